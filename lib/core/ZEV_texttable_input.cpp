#include "ZEV_texttable_input.h"

#include "Classes.h"
#include "ZEV_datatable.h"

#include <QIODevice>
#include <algorithm>
#include <cstring>

namespace {

constexpr std::size_t kBufferSize = std::size_t(1) << 20;
// Bytes after the data that word-wise number reading may touch: the 0 at the end and more.
constexpr std::size_t kPadding = 32;
constexpr std::size_t kHeadSize = std::size_t(1) << 16;
constexpr int kSampleLines = 20;
constexpr char kQuote = '"';

constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,
                             1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19};

constexpr std::uint64_t kPow10Int[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};

inline std::uint64_t Load8(const char* P)
{
    std::uint64_t v;
    std::memcpy(&v, P, 8);
    return v;
}

// How many of the 8 bytes of Chunk, first byte lowest, are decimal digits before the first
// other byte.
inline int LeadingDigits(std::uint64_t Chunk)
{
    // A digit byte has the high nibble 3, and keeps it when 6 is added. A carry out of a byte
    // comes only from a non-digit and can spoil only bytes after it.
    constexpr std::uint64_t high = 0xF0F0F0F0F0F0F0F0, three = 0x3030303030303030;
    const std::uint64_t other =
        ((Chunk & high) ^ three) | (((Chunk + 0x0606060606060606) & high) ^ three);
    return other ? __builtin_ctzll(other) >> 3 : 8;
}

// The value of the first Count (1..8) digits of Chunk: moved to the top, they are an 8-digit
// number with leading zeros, which three multiplications sum pairwise.
inline std::uint64_t DigitsValue(std::uint64_t Chunk, int Count)
{
    std::uint64_t v = (Chunk << (8 * (8 - Count))) & 0x0F0F0F0F0F0F0F0F;
    v = (v * 2561) >> 8;
    v = ((v & 0x00FF00FF00FF00FF) * 6553601) >> 16;
    return ((v & 0x0000FFFF0000FFFF) * 42949672960001) >> 32;
}

constexpr std::uint64_t kOnes = 0x0101010101010101;
constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7F;

// The high bit of each byte of V that is 0, and of no other byte.
inline std::uint64_t ZeroBytes(std::uint64_t V)
{
    return ~(((V & kLow7) + kLow7) | V | kLow7);
}

// Bytes of Chunk equal to Ch, marked as by ZeroBytes.
inline std::uint64_t BytesEqual(std::uint64_t Chunk, char Ch)
{
    return ZeroBytes(Chunk ^ (kOnes * static_cast<unsigned char>(Ch)));
}

// Appends the digits at P to Mantissa; returns how many there were (at most 8).
inline int AppendDigits(const char*& P, std::uint64_t& Mantissa)
{
    const std::uint64_t chunk = Load8(P);
    const int n = LeadingDigits(chunk);
    if (n > 0) Mantissa = Mantissa * kPow10Int[n] + DigitsValue(chunk, n);
    P += n;
    return n;
}

// Separator counts outside quotes of the first lines of Head, blank lines left out. A last line
// that Head cuts off counts only when Head is all there is.
std::vector<std::array<int, 3>> CountSeparators(std::string_view Head, bool Complete)
{
    static constexpr char kCandidates[3] = {'\t', ';', ','};
    std::vector<std::array<int, 3>> lines;
    std::array<int, 3> count{};
    bool quoted = false, blank = true;
    for (std::size_t i = 0; i <= Head.size() && int(lines.size()) < kSampleLines; ++i) {
        const bool atEnd = i == Head.size();
        if (atEnd && !Complete) break;
        const char ch = atEnd ? '\n' : Head[i];
        if (ch == kQuote) quoted = !quoted;
        if (quoted && !atEnd) continue;
        if (ch == '\r' || ch == '\n') {
            if (!blank) lines.push_back(count);
            count = {};
            blank = true;
            continue;
        }
        if (ch != ' ') blank = false;
        for (int k = 0; k < 3; ++k) count[std::size_t(k)] += ch == kCandidates[k];
    }
    return lines;
}

} // namespace

TTextDialect DetectDialect(std::string_view Head)
{
    static constexpr char kCandidates[3] = {'\t', ';', ','};
    const auto lines = CountSeparators(Head, Head.size() < kHeadSize);
    TTextDialect d;
    if (lines.empty()) return d;
    int chosen = -1;
    for (std::size_t k = 0; k < 3 && chosen < 0; ++k) {
        const std::size_t from = lines.size() > 1 ? 1 : 0;
        const int n = lines[from][k];
        bool alike = n > 0 && (lines[0][k] == n || lines[0][k] == n - 1);
        for (std::size_t i = from; i < lines.size() && alike; ++i) alike = lines[i][k] == n;
        if (alike) chosen = int(k);
    }
    if (chosen < 0) {
        for (std::size_t k = 0; k < 3; ++k)
            if (lines[0][k] > 0 && (chosen < 0 || lines[0][k] > lines[0][std::size_t(chosen)]))
                chosen = int(k);
    }
    if (chosen >= 0) d.Separator = kCandidates[chosen];
    d.DecimalComma = d.Separator == ';';
    return d;
}

bool ParseCellNumber(std::string_view Text, bool DecimalComma, double& Value)
{
    const std::size_t comma = DecimalComma ? Text.find(',') : std::string_view::npos;
    if (comma == std::string_view::npos) return ParseAscNumber(Text, Value);
    if (Text.find('.') != std::string_view::npos) return false;
    std::string s(Text);
    s[comma] = '.';
    return ParseAscNumber(s, Value);
}

bool IsMissingToken(std::string_view Text)
{
    return Text.empty() || Text == "NA" || Text == "NaN" || Text == "?";
}

// A small file gets a buffer of its own size.
TTextInput::TTextInput(QIODevice& Device)
    : FDevice(Device), FCapacity(std::size_t(std::clamp<qint64>(Device.size(), 16, kBufferSize))),
      FBuf(FCapacity + kPadding)
{
}

std::string_view TTextInput::Start()
{
    if (!FDevice.seek(0))
        throw EInOutError(QStringLiteral("Cannot read \"%1\"").arg(FDevice.errorString()));
    FPos = FEnd = 0;
    FBuf[0] = 0;
    FPendingLineFeed = false;
    FLine = FRecordLine = 1;
    FField = 0;
    std::size_t keep = 0;
    while (FEnd < std::min(FCapacity, kHeadSize) && Refill(keep)) {
    }
    const std::string_view head(FBuf.data(), FEnd);
    if (head.starts_with("\xEF\xBB\xBF")) FPos = 3;
    if (head.starts_with("\xFF\xFE") || head.starts_with("\xFE\xFF"))
        Fault(1, 0, QStringLiteral("UTF-8 text, found UTF-16 (save the file as UTF-8)"));
    return head.substr(FPos, kHeadSize);
}

void TTextInput::SetDialect(const TTextDialect& Dialect)
{
    FDialect = Dialect;
    FStop.fill(false);
    FStop[0] = FStop['\r'] = FStop['\n'] = true;
    FStop[static_cast<unsigned char>(Dialect.Separator)] = true;
}

void TTextInput::Fault(int Line, int Column, const QString& Expected) const
{
    throw TTextTableFault{Line, Column, Expected};
}

bool TTextInput::Refill(std::size_t& Keep)
{
    if (Keep > 0) {
        std::memmove(FBuf.data(), FBuf.data() + Keep, FEnd - Keep);
        FEnd -= Keep;
        FPos -= Keep;
        Keep = 0;
    }
    if (FEnd == FCapacity) { // one field fills the buffer
        FCapacity *= 2;
        FBuf.resize(FCapacity + kPadding);
    }
    const qint64 got = FDevice.read(FBuf.data() + FEnd, qint64(FCapacity - FEnd));
    if (got < 0) throw EInOutError(QStringLiteral("Cannot read: %1").arg(FDevice.errorString()));
    FEnd += std::size_t(got);
    FBuf[FEnd] = 0;
    return got > 0;
}

// The small steps are defined inline: the library is built position-independent, where a
// function that is not inline may be replaced at load time and so is never inlined into its
// callers, and these run for every field.
inline int TTextInput::Peek()
{
    if (FPos == FEnd) {
        std::size_t keep = FEnd;
        if (!Refill(keep)) return -1;
    }
    return static_cast<unsigned char>(FBuf[FPos]);
}

inline void TTextInput::ApplyPendingLineFeed()
{
    if (!FPendingLineFeed) [[likely]]
        return;
    FPendingLineFeed = false;
    if (Peek() == '\n') ++FPos;
}

inline void TTextInput::SkipBlanks()
{
    for (int ch = Peek(); ch >= 0 && IsBlank(char(ch)); ch = Peek()) ++FPos;
}

bool TTextInput::NextRecord()
{
    ApplyPendingLineFeed();
    for (;;) {
        SkipBlanks();
        const int ch = Peek();
        if (ch < 0) return false;
        if (ch != '\r' && ch != '\n') break;
        ++FPos;
        ++FLine;
        if (ch == '\r' && Peek() == '\n') ++FPos;
    }
    FRecordLine = FLine;
    FField = 0;
    return true;
}

inline TFieldEnd TTextInput::ConsumeEnd()
{
    if (FPos == FEnd) return feFileEnd;
    const char ch = FBuf[FPos++];
    if (ch == FDialect.Separator) return feSeparator;
    ++FLine;
    if (ch == '\r') {
        // The LF of a CR LF may lie beyond the data read so far; reading on now would move the
        // field the caller is about to get.
        if (FPos == FEnd)
            FPendingLineFeed = true;
        else if (FBuf[FPos] == '\n')
            ++FPos;
    }
    return feLineEnd;
}

std::string_view TTextInput::NextField(TFieldEnd& End)
{
    ApplyPendingLineFeed();
    ++FField;
    SkipBlanks();
    if (Peek() == kQuote) return QuotedField(End);
    std::size_t start = FPos;
    for (;;) {
        const char* p = FBuf.data() + FPos;
        while (!FStop[static_cast<unsigned char>(*p)]) ++p;
        FPos = std::size_t(p - FBuf.data());
        if (FPos < FEnd || !Refill(start)) break;
    }
    if (FPos < FEnd && FBuf[FPos] == 0)
        Fault(FLine, FField, QStringLiteral("text, found a NUL byte (is this a binary file?)"));
    std::size_t stop = FPos;
    while (stop > start && IsBlank(FBuf[stop - 1])) --stop;
    const std::string_view text(FBuf.data() + start, stop - start);
    End = ConsumeEnd();
    return text;
}

std::string_view TTextInput::QuotedField(TFieldEnd& End)
{
    const int line = FLine;
    ++FPos; // the opening quote
    FQuoted.clear();
    for (;;) {
        const int ch = Peek();
        if (ch < 0)
            Fault(line, FField,
                  QStringLiteral("a closing quote for the field that begins on this line"));
        ++FPos;
        if (ch == kQuote) {
            if (Peek() != kQuote) break;
            ++FPos;
        } else if (ch == 0) {
            Fault(FLine, FField, QStringLiteral("text, found a NUL byte (is this a binary file?)"));
        } else if (ch == '\n' || (ch == '\r' && Peek() != '\n')) {
            ++FLine;
        }
        FQuoted.push_back(char(ch));
    }
    SkipBlanks();
    const int next = Peek();
    if (next >= 0 && next != FDialect.Separator && next != '\r' && next != '\n')
        Fault(FLine, FField,
              QStringLiteral("a separator or the end of the line after the closing quote"));
    End = ConsumeEnd();
    return FQuoted;
}

int TTextInput::NextNumbers(double* const* Cells, std::size_t Row, int From, int Fields)
{
    for (int f = From; f < Fields; ++f) {
        TFieldEnd end = feSeparator;
        if (!Cells[f] || !NextNumber(Cells[f][Row], end)) return f;
        if ((end == feSeparator) != (f + 1 < Fields)) return -1;
    }
    return Fields;
}

inline bool TTextInput::NextNumber(double& Value, TFieldEnd& End)
{
    ApplyPendingLineFeed();
    // The data end with a 0 byte and padding, which the word-wise reads below may touch but
    // never take for digits.
    const char* p = FBuf.data() + FPos;
    const bool negative = *p == '-';
    p += negative;
    std::uint64_t mantissa = 0;
    const int intDigits = AppendDigits(p, mantissa);
    if (intDigits == 8) return false;
    int fracDigits = 0;
    if (*p == '.' || (*p == ',' && FDialect.DecimalComma)) {
        ++p;
        fracDigits = AppendDigits(p, mantissa);
        if (fracDigits == 8 && (fracDigits += AppendDigits(p, mantissa)) == 16) return false;
    }
    const int all = intDigits + fracDigits;
    // Up to 19 digits the mantissa is exact; then one correctly rounded division, as the ASC
    // number syntax does it.
    if (all == 0 || all > 19 || mantissa > (std::uint64_t(1) << 53)) return false;
    if (*p != FDialect.Separator && *p != '\n' && *p != '\r') return false;
    const double d = double(mantissa) / kPow10[fracDigits];
    Value = negative ? -d : d;
    FPos = std::size_t(p - FBuf.data());
    ++FField;
    End = ConsumeEnd();
    return true;
}

int TTextInput::SkipPlainRecord()
{
    ApplyPendingLineFeed();
    const char* p = FBuf.data() + FPos;
    int separators = 0;
    for (;; p += 8) {
        const std::uint64_t chunk = Load8(p);
        const std::uint64_t seps = BytesEqual(chunk, FDialect.Separator);
        const std::uint64_t stops = BytesEqual(chunk, '\n') | BytesEqual(chunk, '\r') |
                                    BytesEqual(chunk, kQuote) | ZeroBytes(chunk);
        // The marks are the bytes' high bits: shifted down, one multiplication sums them.
        const std::uint64_t before = stops ? seps & ((stops & (0 - stops)) - 1) : seps;
        separators += int(((before >> 7) * kOnes) >> 56);
        if (stops) {
            p += __builtin_ctzll(stops) >> 3;
            break;
        }
    }
    const char* const end = FBuf.data() + FEnd;
    // A line end whose LF may still be unread, a quote or a 0 byte: the careful way.
    if (p + 1 >= end || (*p != '\n' && *p != '\r')) return 0;
    p += *p == '\r' && p[1] == '\n';
    FPos = std::size_t(p + 1 - FBuf.data());
    ++FLine;
    FField = separators + 1;
    return FField;
}
