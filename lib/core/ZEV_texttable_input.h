// The byte level of the text table reader: buffered input over a device, records and fields as
// RFC 4180 has them (quotes around fields, doubled quotes inside), the separator found from the
// first lines, and the number forms of a cell.
#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class QIODevice;

// A fault in the file: where (1-based line, 1-based field or 0 for the whole line) and what was
// expected there.
struct TTextTableFault {
    int Line = 0;
    int Column = 0;
    QString Expected;
};

enum TFieldEnd : std::uint8_t { feSeparator, feLineEnd, feFileEnd };

struct TTextDialect {
    char Separator = ',';
    // With semicolons between fields a comma may stand for the decimal point.
    bool DecimalComma = false;
};

// Finds the separator from the first lines of a file: the one of tab, semicolon and comma that
// splits every line alike (the heading may have one field less), in that order of preference;
// otherwise the one most frequent on the first line. Characters inside quotes do not count.
TTextDialect DetectDialect(std::string_view Head);

// Reads Text as a number: "." as decimal point (also "," in a DecimalComma dialect), optional
// sign and exponent, nothing around it; the same digits give the same double as in ASC files.
bool ParseCellNumber(std::string_view Text, bool DecimalComma, double& Value);

// "", "NA", "NaN" and "?" stand for an empty cell.
bool IsMissingToken(std::string_view Text);

class TTextInput {
  public:
    explicit TTextInput(QIODevice& Device);

    // Back to the first byte of the device, past a UTF-8 byte order mark; faults on a UTF-16
    // one. Returns up to the first 64 KiB for DetectDialect.
    std::string_view Start();
    void SetDialect(const TTextDialect& Dialect);

    // Moves to the next record, over blank lines; false at the end of the input.
    bool NextRecord();
    int RecordLine() const { return FRecordLine; }
    int Line() const { return FLine; }

    // The next field of the record, blanks around it removed and quotes resolved. The view lasts
    // until the next call. End tells what followed it.
    std::string_view NextField(TFieldEnd& End);
    // Plain numbers ([-]digits[.digits], at most 19 digits, followed directly by the separator
    // or a line end) into Cells[f][Row] for the fields f = From.. of the record, as long as they
    // come; Cells[f] nullptr stops too. Returns the field that stopped it, unread (NextField
    // reads it), or Fields when the record ended after its last field; -1 when the record ended
    // elsewhere than there.
    int NextNumbers(double* const* Cells, std::size_t Row, int From, int Fields);

    // The whole record when it is one line without quotes that ends within the data read so
    // far: returns its number of fields. Otherwise 0 with nothing read.
    int SkipPlainRecord();

    [[noreturn]] void Fault(int Line, int Column, const QString& Expected) const;

  private:
    bool NextNumber(double& Value, TFieldEnd& End);
    int Peek();
    void ApplyPendingLineFeed();
    void SkipBlanks();
    std::string_view QuotedField(TFieldEnd& End);
    TFieldEnd ConsumeEnd();
    bool IsBlank(char Ch) const { return Ch == ' ' || (Ch == '\t' && FDialect.Separator != '\t'); }
    // Reads more after FEnd, keeping the bytes from Keep on (Keep then moves to the front).
    // False at the end of the input.
    bool Refill(std::size_t& Keep);

    QIODevice& FDevice;
    std::size_t FCapacity;  // bytes of data the buffer takes
    std::vector<char> FBuf; // FBuf[FEnd] is always 0, so scans stop at the end of the data
    std::size_t FPos = 0;
    std::size_t FEnd = 0;
    bool FPendingLineFeed = false; // a CR ended the data read so far: skip an LF that follows
    int FLine = 1;
    int FRecordLine = 1;
    int FField = 0;
    TTextDialect FDialect;
    std::array<bool, 256> FStop{}; // bytes that end an unquoted field
    std::string FQuoted;
};
