#include "ZEV_asc_text.h"

#include "Classes.h"
#include "ZEV_asc_number.h"
#include "ZEV_datatable.h"
#include "ZEV_stringl.h"

#include <QStringDecoder>
#include <algorithm>
#include <charconv>
#include <functional>

namespace Asc {

QString DecodeText(std::string_view Bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString s = utf8(QByteArrayView(Bytes.data(), qsizetype(Bytes.size())));
    if (utf8.hasError()) s = QString::fromLatin1(Bytes.data(), qsizetype(Bytes.size()));
    return s;
}

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
static char FoldAscii(char ch)
{
    return ch >= 'A' && ch <= 'Z' ? char(ch - 'A' + 'a') : ch;
}

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return FoldAscii(x) == FoldAscii(y);
           });
}

static bool StartsWithNoCase(std::string_view s, std::string_view Prefix)
{
    return s.size() >= Prefix.size() && EqualsNoCase(s.substr(0, Prefix.size()), Prefix);
}

// Searches in place: a long line is not copied to be folded.
std::size_t FindNoCase(std::string_view Text, std::string_view Needle, std::size_t From)
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

static std::string_view TrimSeparators(std::string_view s)
{
    while (!s.empty() && IsAscSeparator(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsAscSeparator(s.back())) s.remove_suffix(1);
    return s;
}

// Optional sign and decimal digits, nothing else, within the range of int.
static bool ParseInt(std::string_view s, int& Value)
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

int StrToInt(std::string_view s)
{
    int v = 0;
    if (!ParseInt(s, v)) ThrowNotAnInteger(s);
    return v;
}

bool ParseCount(std::string_view Line, int& Count)
{
    while (!Line.empty() && IsAscSeparator(Line.front())) Line.remove_prefix(1);
    std::size_t n = 0;
    while (n < Line.size() && !IsAscSeparator(Line[n])) ++n;
    return ParseInt(Line.substr(0, n), Count) && Count >= 1;
}

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

QString NameOf(const std::string& Word)
{
    if (Word == kEmptyName) return QString::fromLatin1("", 0);
    QString s = LeftOnCharBoundary(DecodeText(Word), DTNameLength);
    return s.isNull() ? QString::fromLatin1("", 0) : s;
}

} // namespace Asc
