// Buffered byte input over an ASC file: lines for the header and the trailing sections, tokens
// for the stream of names and cells.
#pragma once

#include "ZEV_asc_number.h"

#include <QFile>
#include <QString>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Opens by the bytes of the name, so that a name that is not UTF-8 opens too; raises EInOutError
// when it cannot.
void OpenForReading(QFile& File, const QString& FileName);

// Where a line lies in the file.
struct TLineSpan {
    qint64 Start = 0;
    qint64 Length = 0;
    bool HasLineFeed = false;
};

// Lines end at CR (an LF right after it is skipped); tokens are separated by any byte of code 32
// or below, whatever the line structure. Read errors raise EInOutError.
class TAscInput {
  public:
    // BufferSize: bytes read at a time (the default when 0).
    explicit TAscInput(const QString& FileName, std::size_t BufferSize = 0);

    int Get()
    {
        if (FPos == FEnd && !Refill()) return -1;
        return static_cast<unsigned char>(FBuf[FPos++]);
    }

    int Peek()
    {
        if (FPos == FEnd && !Refill()) return -1;
        return static_cast<unsigned char>(FBuf[FPos]);
    }

    // False when the input was already exhausted, so no line was there to read. Line takes the
    // line's size and no more, however long it is.
    bool ReadLine(std::string& Line);
    // Reads past a line without keeping it; Span tells where it lies and whether it holds an LF.
    void SkipLine(TLineSpan& Span);

    qint64 Size() const { return FFile.size(); }
    // The file offset of the next byte to be read.
    qint64 Tell() const { return FBase + qint64(FPos); }
    // Reads on from file offset Offset.
    void Seek(qint64 Offset);

    // The next value token: a maximal run of bytes above code 32; empty at the end of the input.
    // The separator after it is left unread. The view lasts until the next read.
    std::string_view ScanWord()
    {
        for (;;) {
            while (FPos < FEnd && IsAscSeparator(FBuf[FPos])) ++FPos;
            if (FPos < FEnd) break;
            if (!Refill()) return {};
        }
        std::size_t start = FPos;
        for (;;) {
            while (FPos < FEnd && !IsAscSeparator(FBuf[FPos])) ++FPos;
            if (FPos < FEnd) break;
            // The token runs into the end of the buffer: keep it and read on.
            if (!Refill(&start)) break;
        }
        return {FBuf.data() + start, FPos - start};
    }

    // The next token when it is a plain number that lies well inside the buffer; otherwise
    // false, with only separators consumed, and ScanWord reads the token.
    bool FastNumber(double& Value)
    {
        while (FPos < FEnd && IsAscSeparator(FBuf[FPos])) ++FPos;
        if (FEnd - FPos < 32) return false;
        const char* p = FBuf.data() + FPos;
        if (!AscNumber::FastPlainNumber(p, Value)) return false;
        FPos = std::size_t(p - FBuf.data());
        return true;
    }

    // The next text token (column or row name): bare characters and quoted parts, which may
    // hold blanks and line breaks.
    std::string ReadWord();

    // The unread input, at least Want bytes of it (at most the buffer's size) unless the input
    // ends first, as AtEnd() then says. The view lasts until the next read.
    std::string_view Ahead(std::size_t Want);
    bool AtEnd() const { return FAtEnd; }
    // Reads past Count bytes of what Ahead showed.
    void Skip(std::size_t Count) { FPos += Count; }

  private:
    // Hands the pieces of the current line to Piece and reads past its CR (and an LF after it).
    template <typename PieceFn> bool ConsumeLine(PieceFn&& Piece);
    // Bytes from here to the next CR or the end of the file, found without moving.
    std::size_t LineLengthAhead();
    // Reads more input after FEnd. Bytes from *Keep on are moved to the front first (and *Keep
    // follows them); without Keep everything already read is dropped. False at the end of input.
    bool Refill(std::size_t* Keep = nullptr);

    QString FName;
    QFile FFile;
    std::vector<char> FBuf;
    std::size_t FPos = 0;
    std::size_t FEnd = 0;
    qint64 FBase = 0; // file offset of FBuf[0]
    bool FAtEnd = false;
};
