#include "ZEV_stringl.h"

#include <QTextBoundaryFinder>

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <utility>

namespace {
// Texts stay within the classic short-string length, so an absurd width or decimal count cannot
// make a caller allocate without bound.
constexpr long long MaxField = 255;
constexpr int MaxFixedDecimals = 255;
// An extended value carries about 19 significant digits; further mantissa digits would only
// spell out binary noise, so a wider field is padded instead.
constexpr int MaxMantissaDecimals = 18;

std::string FixedText(long double Value, int Decimals)
{
    std::string buf(std::size_t(LDBL_MAX_10_EXP + Decimals + 16), '\0');
    const auto r = std::to_chars(buf.data(), buf.data() + buf.size(), Value,
                                 std::chars_format::fixed, Decimals);
    buf.resize(std::size_t(r.ptr - buf.data()));
    return buf;
}

// A blank or minus sign, the mantissa with one digit before the point, "E", the exponent's sign
// and four exponent digits.
std::string ScientificText(long double Value, int Decimals)
{
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, std::fabs(Value),
                                 std::chars_format::scientific, Decimals);
    const std::string digits(buf, r.ptr);
    const std::size_t e = digits.find('e');
    int exponent = 0;
    std::from_chars(digits.data() + e + 2, digits.data() + digits.size(), exponent);
    if (digits[e + 1] == '-') exponent = -exponent;
    char exp4[16];
    std::snprintf(exp4, sizeof exp4, "%04d", std::abs(exponent));
    std::string text(1, Value < 0 ? '-' : ' ');
    text.append(digits, 0, e);
    text += 'E';
    text += exponent < 0 ? '-' : '+';
    text += exp4;
    return text;
}

void PadLeft(std::string& Text, long long Field)
{
    if (static_cast<long long>(Text.size()) < Field)
        Text.insert(0, std::size_t(Field) - Text.size(), ' ');
}

int MantissaDecimals(long long Field)
{
    // Sign, leading digit, point, "E", exponent sign and four exponent digits take 9 characters.
    return int(std::clamp<long long>(Field - 9, 1, MaxMantissaDecimals));
}
} // namespace

QString FormatNum(int Width, int Decimals, long double Value)
{
    const long long field = std::min(std::llabs(static_cast<long long>(Width)), MaxField);
    std::string text;
    if (std::isnan(Value)) {
        text = "NaN";
        PadLeft(text, field);
    } else if (std::isinf(Value)) {
        text = Value < 0 ? "-Inf" : "+Inf";
        PadLeft(text, field);
    } else if (Decimals >= 0) {
        // Adding zero turns -0 into +0, so zero is never written with a minus sign.
        text = FixedText(Value + 0.0L, std::min(Decimals, MaxFixedDecimals));
        PadLeft(text, field);
    } else if (Decimals == -2) {
        text = ScientificText(Value, MantissaDecimals(field + 2));
        PadLeft(text, field + 2);
        // The exponent's four digits are the last four characters.
        const std::size_t e = text.size() - 6;
        const bool fits = text[e + 2] == '0' && text[e + 3] == '0';
        text = text.substr(0, e + 2) + text.substr(e + 4);
        if (!fits) text.assign(text.size(), '*');
    } else {
        text = ScientificText(Value, MantissaDecimals(field));
        PadLeft(text, field);
    }
    if (Width < 0) {
        std::size_t i = 0;
        for (; i < text.size() && text[i] == ' '; ++i) text[i] = '0';
        if (i < text.size() && text[i] == '-') {
            text[i] = '0';
            text[0] = '-';
        }
    }
    return QString::fromLatin1(text.data(), qsizetype(text.size()));
}

QString ReplaceChar(const QString& S, QChar Old, QChar New)
{
    QString result = S;
    result.replace(Old, New);
    return result;
}

QString StripControlChars(const QString& S)
{
    QString result;
    result.reserve(S.size());
    for (QChar c : S)
        if (c.unicode() > 31) result += c;
    return result;
}

QString LeftOnCharBoundary(const QString& S, int MaxUnits)
{
    if (S.size() <= MaxUnits) return S;
    if (MaxUnits <= 0) return S.left(0);
    QTextBoundaryFinder boundaries(QTextBoundaryFinder::Grapheme, S);
    boundaries.setPosition(MaxUnits);
    if (!boundaries.isAtBoundary()) boundaries.toPreviousBoundary();
    return S.left(std::max<qsizetype>(boundaries.position(), 0));
}

int SplitString(const QString& S, const QString& Separator, QStringList& Parts)
{
    constexpr int MaxSeparators = 999;
    Parts.clear();
    qsizetype from = 0;
    // An empty separator would match everywhere without advancing.
    if (!Separator.isEmpty()) {
        for (int consumed = 0; consumed < MaxSeparators; ++consumed) {
            const qsizetype at = S.indexOf(Separator, from);
            if (at < 0) break;
            Parts << S.mid(from, at - from);
            from = at + Separator.size();
        }
    }
    Parts << S.mid(from);
    return int(Parts.size());
}

QString TrimBlanks(const QString& S)
{
    qsizetype first = 0, last = S.size() - 1;
    while (first <= last && S[first] == u' ') ++first;
    while (last >= first && S[last] == u' ') --last;
    return S.mid(first, last - first + 1);
}

bool IsIntegerString(const QString& S)
{
    const auto isDigit = [](QChar c) { return c >= u'0' && c <= u'9'; };
    if (S.isEmpty()) return false;
    if (S.size() == 1) return isDigit(S[0]);
    if (!isDigit(S[0]) && S[0] != u'+' && S[0] != u'-') return false;
    return std::all_of(S.begin() + 1, S.end(), isDigit);
}

void ExchangeInts(std::int32_t& A, std::int32_t& B)
{
    std::swap(A, B);
}
void ExchangeDoubles(double& A, double& B)
{
    std::swap(A, B);
}
void ExchangeExtendeds(long double& A, long double& B)
{
    std::swap(A, B);
}

namespace {
std::int64_t SaturatedInt64(double WholeValue)
{
    if (std::isnan(WholeValue)) return 0;
    // 2^63 is exactly representable; every double below it converts without overflow.
    constexpr double Limit = 9223372036854775808.0;
    if (WholeValue >= Limit) return std::numeric_limits<std::int64_t>::max();
    if (WholeValue < -Limit) return std::numeric_limits<std::int64_t>::min();
    return static_cast<std::int64_t>(WholeValue);
}
} // namespace

std::int64_t Floor(double Value)
{
    return SaturatedInt64(std::floor(Value));
}
std::int64_t Ceil(double Value)
{
    return SaturatedInt64(std::ceil(Value));
}
