#include "ZEV_valgrid_scan.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <string>

namespace {
enum TCharClass : std::uint8_t { ccSeparator, ccDigit, ccE, ccSign, ccBlank, ccOther };

constexpr int Malformed = -1;
constexpr int Done = 9;

// Next state by state (1..8) and character class; state 3's "E" without exponents is Done.
constexpr int Transition[8][6] = {
    // sep digit  E   sign blank other
    {4, 3, Malformed, 2, 1, Malformed},                    // 1 start
    {4, 3, Malformed, Malformed, Malformed, Malformed},    // 2 after sign
    {4, 3, 6, Done, Done, Done},                           // 3 integer digits
    {Malformed, 5, 6, Done, Done, Done},                   // 4 after separator
    {Malformed, 5, 6, Done, Done, Done},                   // 5 fraction digits
    {Malformed, 8, Malformed, 7, Malformed, Done},         // 6 after "E"
    {Malformed, 8, Malformed, Malformed, Malformed, Done}, // 7 after exponent sign
    {Done, 8, Done, Done, Done, Done},                     // 8 exponent digits
};

// How the characters of a text are read: in clipboard text tabs, CRs and (without tabs) commas
// stand for blanks.
struct TCharReading {
    TDecimalSeparator Separator = dsEither;
    bool ControlBlanks = false;
    bool CommaBlank = false;

    TCharClass Classify(char16_t c) const
    {
        if (c >= u'0' && c <= u'9') return ccDigit;
        if (c == u' ') return ccBlank;
        if (c == u'.') return (Separator & dsPoint) ? ccSeparator : ccOther;
        if (c == u',') {
            if (CommaBlank) return ccBlank;
            return (Separator & dsComma) ? ccSeparator : ccOther;
        }
        if (c == u'E' || c == u'e') return ccE;
        if (c == u'+' || c == u'-') return ccSign;
        if (ControlBlanks && (c == u'\t' || c == u'\r')) return ccBlank;
        return ccOther;
    }
};

// The pieces of a scanned number, kept apart so that conversion needs no locale.
struct TNumberText {
    bool Negative = false;
    std::string Digits; // mantissa digits with "." where the separator stood
    bool HasExponent = false;
    bool ExponentNegative = false;
    bool ExponentDigits = false;
    int Exponent = 0; // value of the kept exponent digits, at most ScanMaxExponent

    void Clear()
    {
        Negative = HasExponent = ExponentNegative = ExponentDigits = false;
        Digits.clear();
        Exponent = 0;
    }
};

// Decimal exponent of the leading significant digit, used only when conversion leaves the range
// of double to tell overflow from underflow.
long long LeadingExponent(const TNumberText& N)
{
    const std::size_t point = std::min(N.Digits.find('.'), N.Digits.size());
    const std::size_t first = N.Digits.find_first_not_of("0.");
    if (first == std::string::npos) return LLONG_MIN;
    const long long place =
        first < point ? (long long)(point - first) - 1 : -(long long)(first - point);
    return place + (N.ExponentNegative ? -N.Exponent : N.Exponent);
}

double Convert(TNumberText& N)
{
    const bool anyDigit = N.Digits.find_first_of("0123456789") != std::string::npos;
    // "1E" or "1E-" without exponent digits is as malformed as a sign alone.
    if (!anyDigit || (N.HasExponent && !N.ExponentDigits)) return 0.0;
    std::string& text = N.Digits;
    if (text.back() == '.') text += '0';
    if (N.HasExponent) {
        text += N.ExponentNegative ? "e-" : "e";
        text += std::to_string(N.Exponent);
    }
    double value = 0.0;
    const auto r =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
    if (r.ec == std::errc::result_out_of_range)
        value = LeadingExponent(N) >= 0 ? ScanLimit : 0.0;
    else if (r.ec != std::errc())
        value = 0.0;
    value = std::min(value, ScanLimit);
    return N.Negative ? -value : value;
}

double Scan(QStringView Text, bool ExponentAllowed, const TCharReading& Reading, qsizetype& Pos,
            TNumberText& N)
{
    N.Clear();
    int state = 1;
    for (;;) {
        const char16_t c = Pos < Text.size() ? Text[Pos].unicode() : u'Z';
        const TCharClass cls = Reading.Classify(c);
        int next = Transition[state - 1][cls];
        if (next == 6 && !ExponentAllowed) next = Done;
        if (next == Malformed) return 0.0;
        if (next == Done) return Convert(N);
        switch (next) {
        case 2:
            N.Negative = c == u'-';
            break;
        case 3:
        case 5:
            N.Digits += char(c);
            break;
        case 4:
            N.Digits += '.';
            break;
        case 6:
            N.HasExponent = true;
            break;
        case 7:
            N.ExponentNegative = c == u'-';
            break;
        case 8: {
            const int e = N.Exponent * 10 + (c - u'0');
            N.ExponentDigits = true;
            if (e <= ScanMaxExponent) N.Exponent = e; // further digits would only overflow
            break;
        }
        default:
            break; // leading blanks
        }
        state = next;
        ++Pos;
    }
}

// Characters that mean more than a blank after a number, so the scan must see them again.
bool EndsCellOrLine(char16_t c)
{
    return c == u'\n' || c == u'\r' || c == u'\t';
}
} // namespace

bool CanStartNumber(QChar C)
{
    const char16_t c = C.unicode();
    return (c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == u'.';
}

double ScanNumber(QStringView Text, bool ExponentAllowed, TDecimalSeparator Separator,
                  qsizetype& Pos)
{
    TNumberText number;
    TCharReading reading;
    reading.Separator = Separator;
    return Scan(Text, ExponentAllowed, reading, Pos, number);
}

TExtractExtent ExtractNumbers(QStringView Text, const TExtractSink& Sink)
{
    TCharReading reading;
    reading.ControlBlanks = true;
    reading.CommaBlank = !Text.contains(u'\t');
    reading.Separator = reading.CommaBlank ? dsPoint : dsEither;
    TNumberText number;
    const qsizetype n = Text.size();
    int i = 0, j = 0, field = 0, maxI = -1, maxJ = -1;
    qsizetype pos = 0;
    for (;;) {
        for (; pos < n && !CanStartNumber(Text[pos]); ++pos) {
            const char16_t c = Text[pos].unicode();
            if (c == u'\n' || (c == u'\r' && (pos + 1 >= n || Text[pos + 1] != u'\n'))) {
                if (j < INT_MAX - 1) ++j;
                i = field = 0;
            } else if (c == u'\t' && field < INT_MAX - 1) {
                // A tab moves on one cell, so an empty or "####" field keeps its place.
                i = std::max(i, ++field);
            }
        }
        if (pos >= n) break;
        const double value = Scan(Text, true, reading, pos, number);
        if (Sink) Sink(i, j, value);
        maxI = std::max(maxI, i);
        maxJ = std::max(maxJ, j);
        if (i < INT_MAX - 1) ++i;
        if (pos < n && !EndsCellOrLine(Text[pos].unicode())) ++pos;
    }
    return {maxI + 1, maxJ + 1};
}

double ClampToValueRange(double Value, double Low, double High)
{
    if (Low == 0 && High == 0) return Value;
    if (Low > High) {
        if (High == 0) return std::max(Value, Low);
        if (Low == 0) return std::min(Value, High);
        std::swap(Low, High);
    }
    return std::clamp(Value, Low, High);
}
