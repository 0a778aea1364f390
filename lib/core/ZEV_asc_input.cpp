#include "ZEV_asc_input.h"

#include "FileNames.h"
#include "ZEV_zevbase.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace {

constexpr std::size_t kBufferSize = std::size_t(1) << 20;
constexpr char kQuote = '"';

} // namespace

void OpenForReading(QFile& File, const QString& FileName)
{
    const int fd = OpenFileForReading(FileName);
    if (fd < 0 ||
        !File.open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        const QString reason =
            fd < 0 ? QString::fromLocal8Bit(std::strerror(errno)) : File.errorString();
        if (fd >= 0) ::close(fd);
        throw EInOutError(QStringLiteral("Cannot open file \"%1\": %2").arg(FileName, reason));
    }
}

TAscInput::TAscInput(const QString& FileName, std::size_t BufferSize)
    : FName(FileName), FBuf(BufferSize > 0 ? BufferSize : kBufferSize)
{
    OpenForReading(FFile, FileName);
}

bool TAscInput::ReadLine(std::string& Line)
{
    Line.clear();
    if (Peek() < 0) return false;
    Line.reserve(LineLengthAhead());
    return ConsumeLine([&](const char* Begin, const char* End) { Line.append(Begin, End); });
}

void TAscInput::SkipLine(TLineSpan& Span)
{
    Span = {FBase + qint64(FPos), 0, false};
    ConsumeLine([&](const char* Begin, const char* End) {
        Span.Length += End - Begin;
        Span.HasLineFeed = Span.HasLineFeed || std::memchr(Begin, '\n', End - Begin);
    });
}

std::string TAscInput::ReadWord()
{
    enum { Outside, Opened, Quoted, Bare } state = Outside;
    std::string text;
    for (int ch = Get(); ch >= 0; ch = Get()) {
        switch (state) {
        case Outside:
            if (ch <= 32) break;
            if (ch == kQuote) {
                state = Opened;
            } else {
                text.push_back(char(ch));
                state = Bare;
            }
            break;
        case Opened:
            if (ch < 32) return text;
            // A quote right after an opening one is a literal quote, not an empty name.
            text.push_back(char(ch));
            state = ch == kQuote ? Bare : Quoted;
            break;
        case Quoted:
            if (ch == kQuote)
                state = Bare;
            else
                text.push_back(char(ch));
            break;
        case Bare:
            if (ch <= 32) return text;
            if (ch == kQuote)
                state = Opened;
            else
                text.push_back(char(ch));
            break;
        }
    }
    return text;
}

void TAscInput::Seek(qint64 Offset)
{
    if (Offset >= FBase && Offset <= FBase + qint64(FEnd)) {
        FPos = std::size_t(Offset - FBase);
        return;
    }
    if (!FFile.seek(Offset))
        throw EInOutError(
            QStringLiteral("Cannot read file \"%1\": %2").arg(FName, FFile.errorString()));
    FBase = Offset;
    FPos = FEnd = 0;
    FAtEnd = false;
}

template <typename PieceFn> bool TAscInput::ConsumeLine(PieceFn&& Piece)
{
    for (;;) {
        const char* begin = FBuf.data() + FPos;
        const void* cr = std::memchr(begin, '\r', FEnd - FPos);
        if (cr) {
            const char* stop = static_cast<const char*>(cr);
            Piece(begin, stop);
            FPos += std::size_t(stop - begin) + 1;
            if (Peek() == '\n') ++FPos;
            return true;
        }
        Piece(begin, FBuf.data() + FEnd);
        FPos = FEnd;
        if (!Refill()) return true;
    }
}

// A line longer than the buffer is measured by reading ahead, so that it can be stored in one
// piece.
std::size_t TAscInput::LineLengthAhead()
{
    const char* begin = FBuf.data() + FPos;
    if (const void* cr = std::memchr(begin, '\r', FEnd - FPos))
        return std::size_t(static_cast<const char*>(cr) - begin);
    const qint64 back = FFile.pos();
    std::vector<char> ahead(kBufferSize);
    std::size_t length = FEnd - FPos;
    for (qint64 got; (got = FFile.read(ahead.data(), qint64(ahead.size()))) > 0;) {
        if (const void* cr = std::memchr(ahead.data(), '\r', std::size_t(got))) {
            length += std::size_t(static_cast<const char*>(cr) - ahead.data());
            break;
        }
        length += std::size_t(got);
    }
    FFile.seek(back);
    return length;
}

bool TAscInput::Refill(std::size_t* Keep)
{
    const std::size_t keep = Keep ? *Keep : FEnd;
    if (keep > 0) {
        std::memmove(FBuf.data(), FBuf.data() + keep, FEnd - keep);
        FBase += qint64(keep);
        FEnd -= keep;
        FPos -= keep;
        if (Keep) *Keep = 0;
    }
    if (FEnd == FBuf.size()) FBuf.resize(FBuf.size() * 2); // one token fills the buffer
    const qint64 got = FFile.read(FBuf.data() + FEnd, qint64(FBuf.size() - FEnd));
    if (got < 0)
        throw EInOutError(
            QStringLiteral("Cannot read file \"%1\": %2").arg(FName, FFile.errorString()));
    FEnd += std::size_t(got);
    FAtEnd = got == 0;
    return got > 0;
}

std::string_view TAscInput::Ahead(std::size_t Want)
{
    Want = std::min(Want, FBuf.size());
    while (FEnd - FPos < Want && !FAtEnd) {
        std::size_t keep = FPos;
        Refill(&keep);
    }
    return {FBuf.data() + FPos, FEnd - FPos};
}
