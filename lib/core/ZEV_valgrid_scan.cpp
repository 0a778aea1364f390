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
// stand for blanks. Classes come from a table over ASCII; everything else is "other".
class TCharReading {
  public:
    TCharReading(TDecimalSeparator Separator, bool ControlBlanks, bool CommaBlank)
    {
        std::fill(std::begin(FClass), std::end(FClass), ccOther);
        for (char c = '0'; c <= '9'; ++c) FClass[int(c)] = ccDigit;
        FClass[int(' ')] = ccBlank;
        FClass[int('E')] = FClass[int('e')] = ccE;
        FClass[int('+')] = FClass[int('-')] = ccSign;
        if (Separator & dsPoint) FClass[int('.')] = ccSeparator;
        if (Separator & dsComma) FClass[int(',')] = ccSeparator;
        if (CommaBlank) FClass[int(',')] = ccBlank;
        if (ControlBlanks) FClass[int('\t')] = FClass[int('\r')] = ccBlank;
    }
    TCharClass Classify(char16_t c) const { return c < 128 ? FClass[c] : ccOther; }

  private:
    TCharClass FClass[128];
};

// What the scan saw of a number: the mantissa's place in the text and, while it has few enough
// digits, its value as an integer with a decimal scale; conversion needs no locale.
struct TNumberText {
    bool Negative = false;
    bool AnyDigit = false;
    bool AfterPoint = false;
    bool HasExponent = false;
    bool ExponentNegative = false;
    bool ExponentDigits = false;
    int Exponent = 0; // value of the kept exponent digits, at most ScanMaxExponent
    qsizetype MantissaBegin = -1, MantissaEnd = -1;
    std::uint64_t Mantissa = 0; // significant digits, while there are at most 19
    int Significant = 0;
    int Scale = 0;      // decimal exponent of the mantissa's last digit
    std::string Digits; // the mantissa as text, made only for the general conversion

    void Clear()
    {
        Negative = AnyDigit = AfterPoint = HasExponent = ExponentNegative = ExponentDigits = false;
        Exponent = 0;
        MantissaBegin = MantissaEnd = -1;
        Mantissa = 0;
        Significant = Scale = 0;
    }
    void MarkMantissa(qsizetype Pos)
    {
        if (MantissaBegin < 0) MantissaBegin = Pos;
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

// Exact powers of ten in double.
constexpr double PowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                  1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                  1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// The common case: at most 15 significant digits and a power of ten within 1e22 are both exact
// in double, so one multiplication or division rounds correctly.
bool ConvertExactly(const TNumberText& N, double& Value)
{
    if (N.Mantissa == 0) {
        Value = 0.0;
        return true;
    }
    const int exponent = N.Scale + (N.ExponentNegative ? -N.Exponent : N.Exponent);
    if (N.Significant > 15 || exponent < -22 || exponent > 22) return false;
    Value = exponent < 0 ? double(N.Mantissa) / PowersOfTen[-exponent]
                         : double(N.Mantissa) * PowersOfTen[exponent];
    return true;
}

// Any other number, through the library's correctly rounded conversion.
double ConvertInGeneral(QStringView Text, TNumberText& N)
{
    std::string& text = N.Digits;
    text.clear();
    for (qsizetype i = N.MantissaBegin; i < N.MantissaEnd; ++i)
        text += Text[i] == u',' ? '.' : char(Text[i].unicode());
    if (text.back() == '.') text += '0';
    if (N.HasExponent) {
        // "e-" and the digits, or "e" and the digits one place further on.
        char exp[8] = {'e', '-'};
        const auto r = std::to_chars(exp + 2, exp + sizeof exp, N.Exponent);
        char* from = N.ExponentNegative ? exp : exp + 1;
        from[0] = 'e';
        text.append(from, r.ptr);
    }
    double value = 0.0;
    const auto r =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
    if (r.ec == std::errc::result_out_of_range)
        value = LeadingExponent(N) >= 0 ? ScanLimit : 0.0;
    else if (r.ec != std::errc())
        value = 0.0;
    return std::min(value, ScanLimit);
}

double Convert(QStringView Text, TNumberText& N)
{
    // "1E" or "1E-" without exponent digits is as malformed as a sign alone.
    if (!N.AnyDigit || (N.HasExponent && !N.ExponentDigits)) return 0.0;
    double value = 0.0;
    if (!ConvertExactly(N, value)) value = ConvertInGeneral(Text, N);
    return N.Negative ? -value : value;
}

// Takes the run of digits at Pos, which leaves the state unchanged (3, 5 or 8).
void TakeDigits(QStringView Text, qsizetype& Pos, int State, TNumberText& N)
{
    const qsizetype n = Text.size();
    if (State == 8) {
        for (; Pos < n && Text[Pos] >= u'0' && Text[Pos] <= u'9'; ++Pos) {
            const int e = N.Exponent * 10 + (Text[Pos].unicode() - u'0');
            N.ExponentDigits = true;
            if (e <= ScanMaxExponent) N.Exponent = e; // further digits would only overflow
        }
        return;
    }
    N.MarkMantissa(Pos);
    N.AnyDigit = true;
    for (; Pos < n && Text[Pos] >= u'0' && Text[Pos] <= u'9'; ++Pos) {
        const unsigned d = Text[Pos].unicode() - u'0';
        if (N.Mantissa != 0 || d != 0) {
            if (N.Significant < 19) N.Mantissa = N.Mantissa * 10 + d;
            ++N.Significant;
        }
        N.Scale -= N.AfterPoint;
    }
    N.MantissaEnd = Pos;
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
        if (next == Done) return Convert(Text, N);
        switch (next) {
        case 2:
            N.Negative = c == u'-';
            break;
        case 3:
        case 5:
        case 8:
            TakeDigits(Text, Pos, next, N);
            state = next;
            continue;
        case 4:
            N.MarkMantissa(Pos);
            N.AfterPoint = true;
            N.MantissaEnd = Pos + 1;
            break;
        case 6:
            N.HasExponent = true;
            break;
        case 7:
            N.ExponentNegative = c == u'-';
            break;
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
    return Scan(Text, ExponentAllowed, TCharReading(Separator, false, false), Pos, number);
}

TExtractExtent ExtractNumbers(QStringView Text, const TExtractSink& Sink)
{
    const bool tabs = Text.contains(u'\t');
    const TCharReading reading(tabs ? dsEither : dsPoint, true, !tabs);
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
