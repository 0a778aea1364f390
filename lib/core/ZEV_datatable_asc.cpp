// The ASC data file reader of TDataTable: a four-line header, a free-format token stream of names
// and cells, and the optional level-of-measurement or custom data section.
#include "ZEV_datatable.h"

#include "FileNames.h"
#include "ZEV_matrix.h"
#include "ZEV_stringl.h"

#include <QFile>
#include <QStringDecoder>
#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <sys/mman.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr std::size_t kBufferSize = std::size_t(1) << 20;
constexpr char kQuote = '"';
// A comment's text is reserved up front only this far; a longer one grows as it is read.
constexpr qint64 kMaxCommentReserve = qint64(1) << 31;

bool IsSeparator(char ch)
{
    return static_cast<unsigned char>(ch) <= 32;
}

// Number of leading decimal digits among the 8 bytes of Chunk (first byte lowest).
inline int LeadingDigits(std::uint64_t Chunk)
{
    // A byte is a digit when its high nibble is 3 and stays 3 after adding 6. Carries only leave
    // non-digit bytes, so they cannot hide the first one.
    const std::uint64_t t =
        ((Chunk & 0xF0F0F0F0F0F0F0F0) ^ 0x3030303030303030) |
        (((Chunk + 0x0606060606060606) & 0xF0F0F0F0F0F0F0F0) ^ 0x3030303030303030);
    return t ? __builtin_ctzll(t) / 8 : 8;
}

// The value of the first Count (1..8) digits of Chunk.
inline std::uint64_t DigitsValue(std::uint64_t Chunk, int Count)
{
    // Shifting the digits to the top leaves zeros as leading digits and drops the bytes after.
    std::uint64_t v = (Chunk - 0x3030303030303030) << (8 * (8 - Count));
    v = v * 10 + (v >> 8);
    v = (((v & 0x000000FF000000FF) * (100 + (1000000ULL << 32))) +
         (((v >> 16) & 0x000000FF000000FF) * (1 + (10000ULL << 32)))) >>
        32;
    return v;
}

inline std::uint64_t Load8(const char* p)
{
    std::uint64_t v;
    std::memcpy(&v, p, 8);
    return v;
}

constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                             1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

constexpr std::uint64_t kPow10Int[] = {1,      10,      100,      1000,     10000,
                                       100000, 1000000, 10000000, 100000000};

// The common cell, [-]digits[.digits] with at most 19 digits and no exponent, read straight
// from the buffer at P, which must have 32 bytes readable. Anything else is left to the general
// token path (false).
inline bool FastPlainNumber(const char*& P, double& Value)
{
    const char* q = P;
    const bool negative = *q == '-';
    q += negative;
    const int intDigits = LeadingDigits(Load8(q));
    if (intDigits == 0 || intDigits == 8) return false;
    std::uint64_t mantissa = DigitsValue(Load8(q), intDigits);
    q += intDigits;
    int fracDigits = 0;
    if (*q == '.') {
        ++q;
        const std::uint64_t c1 = Load8(q);
        const int n1 = LeadingDigits(c1);
        if (n1 > 0) mantissa = mantissa * kPow10Int[n1] + DigitsValue(c1, n1);
        fracDigits = n1;
        if (n1 == 8) {
            const std::uint64_t c2 = Load8(q + 8);
            const int n2 = LeadingDigits(c2);
            if (n2 == 8 || intDigits + 8 + n2 > 19) return false;
            if (n2 > 0) mantissa = mantissa * kPow10Int[n2] + DigitsValue(c2, n2);
            fracDigits += n2;
        }
        q += fracDigits;
    }
    if (!IsSeparator(*q) || mantissa > (std::uint64_t(1) << 53)) return false;
    // Exact mantissa, exact power of ten: one correctly rounded division.
    const double d = double(mantissa) / kPow10[fracDigits];
    Value = negative ? -d : d;
    P = q;
    return true;
}

// Opens by the bytes of the name, so that a name that is not UTF-8 opens too.
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

// Maps the pages of a fresh table's cells on another core while the rows are parsed: first
// touches cost about a sixth of a large load. The kernel maps them without writing, so the cells
// the parser has already stored stay as they are. Rows go across all columns, so each column is
// mapped a stretch at a time, in the order the parser reaches them.
class TPageMapper {
  public:
    TPageMapper(double* Cells, std::size_t Rows, std::size_t Columns)
    {
        // Columns shorter than a page are left to the parser.
        if (Rows * Columns * sizeof(double) < kMinBytes || Rows * sizeof(double) < kMinColumnBytes)
            return;
        FThread = std::thread([=] {
            const std::size_t page = std::size_t(sysconf(_SC_PAGESIZE));
            const std::size_t stretch = kStretchBytes / sizeof(double);
            for (std::size_t r = 0; r < Rows; r += stretch)
                for (std::size_t c = 0; c < Columns; ++c) {
                    auto begin = reinterpret_cast<std::uintptr_t>(Cells + c * Rows + r);
                    const auto end = reinterpret_cast<std::uintptr_t>(Cells + c * Rows +
                                                                      std::min(Rows, r + stretch));
                    begin = (begin + page - 1) / page * page;
                    if (end > begin && ::madvise(reinterpret_cast<void*>(begin), end - begin,
                                                 MADV_POPULATE_WRITE) != 0)
                        return; // an older kernel: the parser maps them as before
                }
        });
    }
    ~TPageMapper()
    {
        if (FThread.joinable()) FThread.join();
    }
    TPageMapper(const TPageMapper&) = delete;
    TPageMapper& operator=(const TPageMapper&) = delete;

  private:
    static constexpr std::size_t kMinBytes = std::size_t(8) << 20;
    static constexpr std::size_t kMinColumnBytes = std::size_t(64) << 10;
    static constexpr std::size_t kStretchBytes = std::size_t(1) << 20;
    std::thread FThread;
};

// Where a line lies in the file.
struct TLineSpan {
    qint64 Start = 0;
    qint64 Length = 0;
    bool HasLineFeed = false;
};

// Buffered byte input over a file. Lines end at CR (an LF right after it is skipped); tokens are
// separated by any byte of code 32 or below, whatever the line structure.
class TAscInput {
  public:
    explicit TAscInput(const QString& FileName) : FName(FileName), FBuf(kBufferSize)
    {
        OpenForReading(FFile, FileName);
    }

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
    bool ReadLine(std::string& Line)
    {
        Line.clear();
        if (Peek() < 0) return false;
        Line.reserve(LineLengthAhead());
        return ConsumeLine([&](const char* Begin, const char* End) { Line.append(Begin, End); });
    }

    // Reads past a line without keeping it; Span tells where it lies and whether it holds an LF.
    void SkipLine(TLineSpan& Span)
    {
        Span = {FBase + qint64(FPos), 0, false};
        ConsumeLine([&](const char* Begin, const char* End) {
            Span.Length += End - Begin;
            Span.HasLineFeed = Span.HasLineFeed || std::memchr(Begin, '\n', End - Begin);
        });
    }

    qint64 Size() const { return FFile.size(); }

    // The next value token: a maximal run of bytes above code 32; empty at the end of the input.
    // The separator after it is left unread. The view lasts until the next read.
    std::string_view ScanWord()
    {
        for (;;) {
            while (FPos < FEnd && IsSeparator(FBuf[FPos])) ++FPos;
            if (FPos < FEnd) break;
            if (!Refill()) return {};
        }
        std::size_t start = FPos;
        for (;;) {
            while (FPos < FEnd && !IsSeparator(FBuf[FPos])) ++FPos;
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
        while (FPos < FEnd && IsSeparator(FBuf[FPos])) ++FPos;
        if (FEnd - FPos < 32) return false;
        const char* p = FBuf.data() + FPos;
        if (!FastPlainNumber(p, Value)) return false;
        FPos = std::size_t(p - FBuf.data());
        return true;
    }

    // The next text token (column or row name): bare characters and quoted parts, which may
    // hold blanks and line breaks.
    std::string ReadWord()
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

  private:
    // Hands the pieces of the current line to Piece and reads past its CR (and an LF after it).
    template <typename PieceFn> bool ConsumeLine(PieceFn&& Piece)
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

    // Bytes from here to the next CR or the end of the file, found without moving: a line longer
    // than the buffer is measured by reading ahead, so that it can be stored in one piece.
    std::size_t LineLengthAhead()
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

    // Reads more input after FEnd. Bytes from *Keep on are moved to the front first (and *Keep
    // follows them); without Keep everything already read is dropped. False at the end of input.
    bool Refill(std::size_t* Keep = nullptr)
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
        return got > 0;
    }

    QString FName;
    QFile FFile;
    std::vector<char> FBuf;
    std::size_t FPos = 0;
    std::size_t FEnd = 0;
    qint64 FBase = 0; // file offset of FBuf[0]
};

// Text from the file: UTF-8 when it is valid UTF-8, otherwise read as Latin-1 (older files).
QString DecodeText(std::string_view Bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString s = utf8(QByteArrayView(Bytes.data(), qsizetype(Bytes.size())));
    if (utf8.hasError()) s = QString::fromLatin1(Bytes.data(), qsizetype(Bytes.size()));
    return s;
}

// Cuts a piece of a UTF-8 line before a sequence that the piece's end splits, so that each
// piece decodes on its own.
std::size_t Utf8PieceEnd(const char* Bytes, std::size_t Size)
{
    for (std::size_t k = 1; k <= std::min<std::size_t>(3, Size); ++k) {
        const auto b = static_cast<unsigned char>(Bytes[Size - k]);
        if ((b & 0xC0) == 0x80) continue;
        const std::size_t need = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
        return k < need ? Size - k : Size;
    }
    return Size;
}

// Appends Text without its characters below code 32.
void AppendVisible(QString& To, QStringView Text)
{
    qsizetype start = 0;
    for (qsizetype i = 0; i < Text.size(); ++i) {
        if (Text[i].unicode() >= 32) continue;
        To.append(Text.mid(start, i - start));
        start = i + 1;
    }
    To.append(Text.mid(start));
}

// Case folding of ASCII letters only, as the file's keywords need.
char FoldAscii(char ch)
{
    return ch >= 'A' && ch <= 'Z' ? char(ch - 'A' + 'a') : ch;
}

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return FoldAscii(x) == FoldAscii(y);
           });
}

bool StartsWithNoCase(std::string_view s, std::string_view Prefix)
{
    return s.size() >= Prefix.size() && EqualsNoCase(s.substr(0, Prefix.size()), Prefix);
}

// Where Needle first occurs in Text from From on, without regard to case; npos when nowhere.
// Searches in place: a long line is not copied to be folded.
std::size_t FindNoCase(std::string_view Text, std::string_view Needle, std::size_t From = 0)
{
    if (From > Text.size()) return std::string_view::npos;
    const auto hash = [](char ch) { return std::hash<char>()(FoldAscii(ch)); };
    const auto equal = [](char x, char y) { return FoldAscii(x) == FoldAscii(y); };
    const auto it =
        std::search(Text.begin() + std::ptrdiff_t(From), Text.end(),
                    std::boyer_moore_horspool_searcher(Needle.begin(), Needle.end(), hash, equal));
    return it == Text.end() && !Needle.empty() ? std::string_view::npos
                                               : std::size_t(it - Text.begin());
}

std::string_view TrimSeparators(std::string_view s)
{
    while (!s.empty() && IsSeparator(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsSeparator(s.back())) s.remove_suffix(1);
    return s;
}

// Optional sign and decimal digits, nothing else, within the range of int.
bool ParseInt(std::string_view s, int& Value)
{
    if (s.empty()) return false;
    const bool plus = s.front() == '+';
    if (plus) s.remove_prefix(1);
    if (s.empty() || (plus && s.front() == '-')) return false;
    const auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), Value, 10);
    return ec == std::errc() && ptr == s.data() + s.size();
}

[[noreturn]] void ThrowNotAnInteger(std::string_view s)
{
    throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(DecodeText(s)));
}

// The integer conversion of the platform: the text must be an integer.
int StrToInt(std::string_view s)
{
    int v = 0;
    if (!ParseInt(s, v)) ThrowNotAnInteger(s);
    return v;
}

// A header count: a positive integer, then the end of the line or a blank and any text.
bool ParseCount(std::string_view Line, int& Count)
{
    while (!Line.empty() && IsSeparator(Line.front())) Line.remove_prefix(1);
    std::size_t n = 0;
    while (n < Line.size() && !IsSeparator(Line[n])) ++n;
    return ParseInt(Line.substr(0, n), Count) && Count >= 1;
}

// Line 4: four TRUE/FALSE words, need not be separated. False when one of the first three is
// neither; a missing or different fourth word counts as FALSE.
bool ParseSwitches(std::string_view Line, bool (&Switch)[4])
{
    // Tabs count as blanks, and both are among the separators trimmed here.
    std::string_view rest = TrimSeparators(Line);
    for (int i = 0; i < 4; ++i) {
        if (StartsWithNoCase(rest, "TRUE")) {
            Switch[i] = true;
            rest.remove_prefix(4);
        } else if (StartsWithNoCase(rest, "FALSE")) {
            Switch[i] = false;
            rest.remove_prefix(5);
        } else if (i < 3) {
            return false;
        } else {
            Switch[i] = false;
        }
        rest = TrimSeparators(rest);
    }
    return true;
}

constexpr std::string_view kEmptyName = "(.;#;.)";

} // namespace

bool ParseAscNumber(std::string_view Text, double& Value)
{
    const char* p = Text.data();
    const char* const end = p + Text.size();
    if (p == end) return false;
    const bool negative = *p == '-';
    if (*p == '+' || *p == '-') ++p;
    const char* const unsignedStart = p;

    // Up to 19 significant digits fit in the mantissa; further ones only shift the exponent.
    std::uint64_t mantissa = 0;
    int significant = 0;
    std::int64_t exp10 = 0;
    bool truncated = false;
    bool anyDigit = false;
    for (; p != end && unsigned(*p - '0') < 10; ++p) {
        anyDigit = true;
        if (significant < 19) {
            mantissa = mantissa * 10 + unsigned(*p - '0');
            if (mantissa) ++significant;
        } else {
            ++exp10;
            truncated |= *p != '0';
        }
    }
    if (p != end && *p == '.') {
        for (++p; p != end && unsigned(*p - '0') < 10; ++p) {
            anyDigit = true;
            if (significant < 19) {
                mantissa = mantissa * 10 + unsigned(*p - '0');
                if (mantissa) ++significant;
                --exp10;
            } else {
                truncated |= *p != '0';
            }
        }
    }
    if (!anyDigit) return false;
    if (p != end && (*p == 'e' || *p == 'E')) {
        ++p;
        bool expNegative = false;
        if (p != end && (*p == '+' || *p == '-')) expNegative = *p++ == '-';
        if (p == end || unsigned(*p - '0') >= 10) return false;
        // Beyond this the result is 0 or infinite whatever the digits were.
        std::int64_t e = 0;
        for (; p != end && unsigned(*p - '0') < 10; ++p)
            if (e < 1000000000000) e = e * 10 + (*p - '0');
        exp10 += expNegative ? -e : e;
    }
    if (p != end) return false;

    if (mantissa == 0) {
        Value = negative ? -0.0 : 0.0;
        return true;
    }
    // Exact mantissa and exact power of ten: one correctly rounded operation gives the
    // correctly rounded result.
    if (!truncated && mantissa <= (std::uint64_t(1) << 53) && exp10 >= -22 && exp10 <= 22) {
        double d = double(mantissa);
        d = exp10 < 0 ? d / kPow10[-exp10] : d * kPow10[exp10];
        Value = negative ? -d : d;
        return true;
    }
    double d = 0;
    const auto [ptr, ec] = std::from_chars(unsignedStart, end, d, std::chars_format::general);
    if (ec == std::errc::result_out_of_range) {
        // Too large is refused; too small is zero.
        if (exp10 + significant > 0) return false;
        d = 0.0;
    } else if (ec != std::errc() || ptr != end) {
        return false;
    }
    if (!std::isfinite(d)) return false;
    Value = negative ? -d : d;
    return true;
}

// One reading of one file into one table; the table's fields are written directly where the
// format leaves them silent, and through the setters where their events are part of reading.
class TAscReader {
  public:
    TAscReader(TDataTable& Table, const QString& AFileName, TStr2DArray& CustomData)
        : T(Table), FileName(AFileName), In(AFileName), Custom(CustomData)
    {
    }

    int Run()
    {
        // Line 1 is only measured here; its text is read once the header has passed.
        TLineSpan comment;
        In.SkipLine(comment);
        T.FAscLineFeeds = comment.HasLineFeed;
        std::string line;
        In.ReadLine(line);
        int cols = 0, rows = 0;
        if (!ParseCount(line, cols)) return ascBadColumnCount;
        if (comment.HasLineFeed) return ascLineFeedEnding;
        In.ReadLine(line);
        if (!ParseCount(line, rows)) return ascBadRowCount;
        In.ReadLine(line);
        if (!ParseSwitches(line, Switch)) return ascBadSwitch;
        std::string().swap(line);

        QString text = ReadComment(comment);
        // Throws before anything changes when the table would not fit.
        PrepareTable(cols, RowsToAllocate(cols, rows));
        T.FComment = std::move(text);

        if (Switch[1]) ReadColumnNames(cols);
        int code = ReadRows(cols, rows);
        if (Switch[3])
            ReadLevels();
        else
            ReadCustomData();
        return code;
    }

  private:
    // A file of S bytes holds at most S / 2 + 1 tokens, so the rows beyond that could only end
    // in a row error: they are not allocated up front, and the table grows should rows arrive
    // after all (a file that grows while it is read).
    int RowsToAllocate(int Cols, int Rows) const
    {
        const qint64 tokens = In.Size() / 2 + 1;
        return int(std::min<qint64>(Rows, tokens / Cols + 1));
    }

    // Line 1 without its characters below code 32: UTF-8 when the whole line is valid UTF-8,
    // otherwise Latin-1 (older files). Read again in pieces, so a long comment costs its text
    // and no copy of its bytes.
    QString ReadComment(const TLineSpan& Span) const
    {
        QString text;
        if (Span.Length == 0) return text;
        text.reserve(qsizetype(std::min<qint64>(Span.Length, kMaxCommentReserve)));
        QFile file;
        OpenForReading(file, FileName);
        std::vector<char> buf(kBufferSize);
        for (const bool latin1 : {false, true}) {
            text.resize(0);
            file.seek(Span.Start);
            std::size_t carried = 0;
            bool valid = true;
            for (qint64 left = Span.Length; left > 0 && valid;) {
                const qint64 got = file.read(buf.data() + carried,
                                             std::min<qint64>(left, qint64(buf.size() - carried)));
                if (got <= 0) break; // the file got shorter
                left -= got;
                const std::size_t size = carried + std::size_t(got);
                const std::size_t end = latin1 || left == 0 ? size : Utf8PieceEnd(buf.data(), size);
                if (latin1) {
                    AppendVisible(text, QString::fromLatin1(buf.data(), qsizetype(end)));
                } else {
                    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
                    const QString piece = utf8(QByteArrayView(buf.data(), qsizetype(end)));
                    AppendVisible(text, piece);
                    valid = !utf8.hasError();
                }
                carried = size - end;
                std::memmove(buf.data(), buf.data() + end, carried);
            }
            if (valid) break;
        }
        return text;
    }

    void PrepareTable(int Cols, int Rows)
    {
        // Cells and states beyond the old size come from the resize as zeros, untouched; only
        // the kept block needs clearing, so that a header's size costs nothing the rows do not
        // fill.
        const int keepCols = std::min(Cols, T.FNrOfColumns);
        const int keepRows = std::min(Rows, T.FNrOfRows);
        T.ResizeSilently(Cols, Rows);
        for (int c = 1; c <= keepCols; ++c) {
            std::fill_n(T.FDataMat->ColumnData(c), keepRows, 0.0);
            std::fill_n(T.FCellStates.begin() + std::ptrdiff_t(c - 1) * Rows, keepRows, 0);
        }
        T.FColNames.Reset();
        T.FRowNames.Reset();
        T.FColAttribs.Reset();
        T.FRowAttribs.Reset();
        T.FColSetups.Reset();
        T.FDataMat->SetDataID(QString());
    }

    // Names missing at the end of the file are empty; they are not stored one by one, which
    // for a header promising millions of columns would cost what the file never held.
    void ReadColumnNames(int Cols)
    {
        for (int c = 0; c < Cols; ++c) {
            const std::string word = In.ReadWord();
            if (word.empty() && In.Peek() < 0) {
                T.FColNames.FillFrom(std::size_t(c), NameOf(word));
                return;
            }
            T.FColNames.Set(std::size_t(c), NameOf(word));
        }
    }

    QString ReadName() { return NameOf(In.ReadWord()); }

    static QString NameOf(const std::string& word)
    {
        if (word == kEmptyName) return QString::fromLatin1("", 0);
        QString s = LeftOnCharBoundary(DecodeText(word), DTNameLength);
        return s.isNull() ? QString::fromLatin1("", 0) : s;
    }

    // Returns ascOK, or the code of the row that failed; the table then ends with that row.
    int ReadRows(int Cols, int Rows)
    {
        // Done before the cells move: a growing or cut table may take new storage.
        // Only a table the file can fill is worth mapping ahead.
        std::optional<TPageMapper> mapper;
        if (qint64(T.FNrOfRows) * Cols <= In.Size() / 2 + 1)
            mapper.emplace(T.FDataMat->ColumnData(1), std::size_t(T.FNrOfRows), std::size_t(Cols));
        int code = ascOK;
        int r = 1;
        int filled = 0; // cells read in the failing row
        for (; r <= Rows; ++r) {
            if (r > T.FNrOfRows) {
                mapper.reset();
                T.ResizeSilently(Cols, int(std::min<qint64>(Rows, 2 * qint64(r))));
            }
            // Columns are FNrOfRows apart; the table may have grown since the last row.
            double* const cells = T.FDataMat->ColumnData(1) + (r - 1);
            const std::size_t stride = std::size_t(T.FNrOfRows);
            const std::size_t ri = std::size_t(r - 1);
            if (Switch[0]) {
                double v = 0;
                if (!ParseAscNumber(In.ScanWord(), v)) {
                    code = ascBadClassNumber;
                    break;
                }
                v = std::nearbyint(v);
                // A class that no attribute can hold is as unreadable as a word.
                if (!(v >= double(std::numeric_limits<int>::min()) &&
                      v <= double(std::numeric_limits<int>::max()))) {
                    code = ascBadClassNumber;
                    break;
                }
                T.FRowAttribs.Set(ri, int(v));
            }
            if (Switch[2]) T.FRowNames.Set(ri, ReadName());
            for (int c = 1; c <= Cols; ++c) {
                double v = 0;
                double& cell = cells[std::size_t(c - 1) * stride];
                if (In.FastNumber(v)) {
                    cell = v;
                    continue;
                }
                std::string_view tok = In.ScanWord();
                if (ParseAscNumber(tok, v)) {
                    cell = v;
                } else if (tok == "NAN") {
                    T.SetCellState(c, r, dtcsNotANumber);
                } else if (tok == "###") {
                    T.SetCellState(c, r, dtcsEmpty);
                } else if (tok == "(" && ParseParenthesised(In.ScanWord(), v)) {
                    cell = v;
                    T.SetCellState(c, r, dtcsParenthesis);
                } else {
                    code = ascBadCell;
                    filled = c - 1;
                    break;
                }
            }
            if (code != ascOK) break;
        }
        // Cells after the error were never written: the cut need not read them.
        mapper.reset();
        if (code != ascOK && r < T.FNrOfRows) T.ShrinkSilently(Cols, r, filled);
        return code;
    }

    static bool ParseParenthesised(std::string_view Tok, double& Value)
    {
        return Tok.size() >= 2 && Tok.back() == ')' &&
               ParseAscNumber(Tok.substr(0, Tok.size() - 1), Value);
    }

    // Lines between "<VARTYPES>" and "</VARTYPES>": column, blank, level word, blank, labels.
    void ReadLevels()
    {
        std::string line;
        bool inside = false;
        while (In.ReadLine(line)) {
            if (!inside) {
                inside = FindNoCase(line, "<VARTYPES>") != std::string::npos;
                continue;
            }
            if (FindNoCase(line, "</VARTYPES>") != std::string::npos) {
                inside = false;
                continue;
            }
            ApplyLevelLine(line);
        }
    }

    void ApplyLevelLine(std::string_view Line)
    {
        // Trailing blanks are no label; everything else that is not an integer where one
        // belongs raises the conversion error.
        while (!Line.empty() && IsSeparator(Line.back())) Line.remove_suffix(1);
        std::size_t blank = Line.find(' ');
        const int col = StrToInt(Line.substr(0, blank));
        std::string_view rest = blank == std::string_view::npos ? "" : Line.substr(blank + 1);
        blank = rest.find(' ');
        const std::string_view level = rest.substr(0, blank);
        std::string_view labels = blank == std::string_view::npos ? "" : rest.substr(blank + 1);

        TMeasLevel ml = mlInterval;
        if (EqualsNoCase(level, "NOMINAL"))
            ml = mlNominal;
        else if (EqualsNoCase(level, "ORDINAL"))
            ml = mlOrdinal;
        else if (EqualsNoCase(level, "RATIO"))
            ml = mlRatio;
        T.SetMeasLevel(col, ml);

        while (!labels.empty()) {
            // <value=text>
            const std::size_t eq = labels.find('=');
            if (labels.front() != '<' || eq == std::string_view::npos) ThrowNotAnInteger(labels);
            const int value = StrToInt(labels.substr(1, eq - 1));
            const std::size_t close = labels.find('>', eq + 1);
            const std::string_view text = labels.substr(eq + 1, close - (eq + 1));
            T.SetValueLabel(col, value, DecodeText(text));
            labels = close == std::string_view::npos ? "" : labels.substr(close + 1);
        }
    }

    // From the first line containing "<custdata>": lines "<key>value</key>" until a line whose
    // first tag is "/custdata".
    void ReadCustomData()
    {
        std::string line;
        bool inside = false;
        while (In.ReadLine(line)) {
            if (!inside) {
                inside = FindNoCase(line, "<custdata>") != std::string::npos;
                continue;
            }
            const std::size_t open = line.find('<');
            if (open == std::string::npos) continue;
            const std::size_t close = line.find('>', open + 1);
            if (close == std::string::npos) continue;
            const std::string_view key = std::string_view(line).substr(open + 1, close - open - 1);
            if (EqualsNoCase(key, "/custdata")) break;
            const std::size_t end = FindNoCase(line, "</" + std::string(key) + ">", close + 1);
            if (end == std::string::npos) continue;
            Custom[0].push_back(DecodeText(key));
            Custom[1].push_back(
                DecodeText(std::string_view(line).substr(close + 1, end - close - 1)));
        }
    }

    TDataTable& T;
    QString FileName;
    TAscInput In;
    TStr2DArray& Custom;
    bool Switch[4] = {false, false, false, false};
};

int TDataTable::ReadASCFile(const QString& FileName, TStr2DArray& CustomData)
{
    CustomData.assign(2, {});
    // Only regular files: a device or pipe could feed a header line without end.
    struct stat info {};
    if (FileName.isEmpty() || ::stat(FileNameToBytes(FileName).constData(), &info) != 0 ||
        !S_ISREG(info.st_mode))
        return ascFileNotFound;

    const int oldColumns = FNrOfColumns;
    const int oldRows = FNrOfRows;
    TDataTableResizeEvent resizeHandler = std::move(OnResize);
    OnResize = nullptr;
    DetachMatrix();
    // Runs on every exit, exceptions included, so that listeners learn of whatever the table
    // now holds and the table is left with its handlers attached.
    auto finish = [&] {
        AttachMatrix();
        OnResize = std::move(resizeHandler);
        FireEvent(OnChange, this);
        FireEvent(OnChangeCellState, this);
        FireEvent(OnChangeAttrib, this);
        FireEvent(OnChangeNames, this);
        FireEvent(OnChangeSetup, this);
        FireEvent(OnResize, this, oldColumns, oldRows, FNrOfColumns, FNrOfRows);
    };
    int code = ascOK;
    try {
        TAscReader reader(*this, FileName, CustomData);
        code = reader.Run();
    } catch (...) {
        finish();
        throw;
    }
    finish();
    return code;
}

int TDataTable::ExplainAscCode(int Code) const
{
    return Code == ascBadColumnCount && FAscLineFeeds ? ascLineFeedEnding : Code;
}
