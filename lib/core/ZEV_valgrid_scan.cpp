#include "ZEV_valgrid_scan.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>
#include <string>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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
    std::uint64_t Mantissa = 0; // the significant digits; holds them while there are at most 15
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
bool ExactDecimal(std::uint64_t Mantissa, int Significant, int Exponent, double& Value)
{
    if (Mantissa == 0) {
        Value = 0.0;
        return true;
    }
    if (Significant > 15 || Exponent < -22 || Exponent > 22) return false;
    Value = Exponent < 0 ? double(Mantissa) / PowersOfTen[-Exponent]
                         : double(Mantissa) * PowersOfTen[Exponent];
    return true;
}

bool ConvertExactly(const TNumberText& N, double& Value)
{
    return ExactDecimal(N.Mantissa, N.Significant,
                        N.Scale + (N.ExponentNegative ? -N.Exponent : N.Exponent), Value);
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

// False for a malformed number: no digit at all, or "1E" / "1E-" without exponent digits.
bool Convert(QStringView Text, TNumberText& N, double& Value)
{
    Value = 0.0;
    if (!N.AnyDigit || (N.HasExponent && !N.ExponentDigits)) return false;
    if (!ConvertExactly(N, Value)) Value = ConvertInGeneral(Text, N);
    if (N.Negative) Value = -Value;
    return true;
}

bool IsDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

bool CanStart(char16_t c)
{
    return IsDigit(c) || c == u'+' || c == u'-' || c == u'.';
}

// A lone CR ends a line as LF and CR LF do; the CR of a CR LF leaves that to the LF.
bool EndsLineAt(const char16_t* P, const char16_t* End)
{
    return *P == u'\n' || (*P == u'\r' && (P + 1 == End || P[1] != u'\n'));
}

bool EndsCell(char16_t c)
{
    return c == u'\t' || c == u'\r' || c == u'\n';
}

const char16_t* SkipBlanks(const char16_t* P, const char16_t* End)
{
    while (P < End && *P == u' ') ++P;
    return P;
}

// Four UTF-16 characters read at once, the first in the lowest 16 bits.
std::uint64_t FourChars(const char16_t* P)
{
    std::uint64_t chars;
    std::memcpy(&chars, P, sizeof chars);
    if constexpr (std::endian::native == std::endian::big)
        chars = (chars >> 48) | ((chars >> 16) & 0xFFFF0000u) | ((chars << 16) & 0xFFFF00000000u) |
                (chars << 48);
    return chars;
}

// Whether each of the four characters is a digit: below 128, at least "0", below ":".
bool FourDigits(std::uint64_t Chars)
{
    constexpr std::uint64_t Lanes = 0x0001000100010001u;
    const std::uint64_t high = Lanes * 0xFF80u;
    const std::uint64_t belowZero = (Chars + Lanes * (0x80u - '0')) & (Lanes * 0x80u);
    const std::uint64_t aboveNine = (Chars + Lanes * (0x80u - ':')) & (Lanes * 0x80u);
    return (Chars & high) == 0 && belowZero == Lanes * 0x80u && aboveNine == 0;
}

// The number the four digits make, the first the most significant.
std::uint32_t FourDigitsValue(std::uint64_t Chars)
{
    constexpr std::uint64_t Lanes = 0x0001000100010001u;
    const std::uint64_t digits = Chars - Lanes * '0';
    // Pairs in lanes 0 and 2, then both pairs in lane 0.
    const std::uint64_t pairs = (digits * 10 + (digits >> 16)) & 0x0000FFFF0000FFFFu;
    return std::uint32_t((pairs * 100 + (pairs >> 32)) & 0xFFFF);
}

// Whether the eight characters at P are digits, and the number they make.
bool EightDigits(const char16_t* P, std::uint32_t& Value)
{
#if defined(__SSE2__)
    const __m128i chars = _mm_loadu_si128(reinterpret_cast<const __m128i*>(P));
    const __m128i digits = _mm_sub_epi16(chars, _mm_set1_epi16('0'));
    // Below "0" wraps to above 9; saturating subtraction of 9 leaves 0 for digits only.
    const __m128i over = _mm_subs_epu16(digits, _mm_set1_epi16(9));
    if (_mm_movemask_epi8(_mm_cmpeq_epi16(over, _mm_setzero_si128())) != 0xFFFF) return false;
    const __m128i pairs = _mm_madd_epi16(digits, _mm_set_epi16(1, 10, 1, 10, 1, 10, 1, 10));
    const __m128i quads = _mm_madd_epi16(_mm_packs_epi32(pairs, pairs),
                                         _mm_set_epi16(1, 100, 1, 100, 1, 100, 1, 100));
    Value = std::uint32_t(_mm_cvtsi128_si32(quads)) * 10000 +
            std::uint32_t(_mm_cvtsi128_si32(_mm_srli_si128(quads, 4)));
    return true;
#else
    const std::uint64_t high = FourChars(P), low = FourChars(P + 4);
    if (!FourDigits(high) || !FourDigits(low)) return false;
    Value = FourDigitsValue(high) * 10000 + FourDigitsValue(low);
    return true;
#endif
}

int DecimalDigits(std::uint32_t N) // of N below 10^4
{
    return N >= 1000 ? 4 : N >= 100 ? 3 : N >= 10 ? 2 : N > 0 ? 1 : 0;
}

// Digits at P into the mantissa, which counts significant digits only; four at a time while
// there are four.
const char16_t* TakeMantissaDigits(const char16_t* P, const char16_t* End, std::uint64_t& Mantissa,
                                   int& Significant, int& Scale, bool AfterPoint)
{
    for (; End - P >= 4; P += 4) {
        const std::uint64_t chars = FourChars(P);
        if (!FourDigits(chars)) break;
        const std::uint32_t four = FourDigitsValue(chars);
        Significant += Mantissa != 0 ? 4 : DecimalDigits(four);
        Mantissa = Mantissa * 10000 + four; // wraps only past digits the exact way refuses
        Scale -= 4 * AfterPoint;
    }
    for (; P < End && IsDigit(*P); ++P) {
        const unsigned d = unsigned(*P - u'0');
        if (Mantissa != 0 || d != 0) {
            Mantissa = Mantissa * 10 + d;
            ++Significant;
        }
        Scale -= AfterPoint;
    }
    return P;
}

// Takes the run of digits at Pos, which leaves the state unchanged (3, 5 or 8).
void TakeDigits(QStringView Text, qsizetype& Pos, int State, TNumberText& N)
{
    const qsizetype n = Text.size();
    if (State == 8) {
        for (; Pos < n && IsDigit(Text[Pos].unicode()); ++Pos) {
            const int e = N.Exponent * 10 + (Text[Pos].unicode() - u'0');
            N.ExponentDigits = true;
            if (e <= ScanMaxExponent) N.Exponent = e; // further digits would only overflow
        }
        return;
    }
    N.MarkMantissa(Pos);
    N.AnyDigit = true;
    const char16_t* text = Text.utf16();
    Pos =
        TakeMantissaDigits(text + Pos, text + n, N.Mantissa, N.Significant, N.Scale, N.AfterPoint) -
        text;
    N.MantissaEnd = Pos;
}

// Reads one number at Pos into Value; false (and 0) when it is malformed.
bool Scan(QStringView Text, bool ExponentAllowed, const TCharReading& Reading, qsizetype& Pos,
          TNumberText& N, double& Value)
{
    N.Clear();
    Value = 0.0;
    int state = 1;
    for (;;) {
        const char16_t c = Pos < Text.size() ? Text[Pos].unicode() : u'Z';
        const TCharClass cls = Reading.Classify(c);
        int next = Transition[state - 1][cls];
        if (next == 6 && !ExponentAllowed) next = Done;
        if (next == Malformed) return false;
        if (next == Done) return Convert(Text, N, Value);
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

// Whether the character after a number read in one pass is one the general scan stops at as
// well, so that both end the number in the same place.
bool EndsPlainNumber(const char16_t* P, const char16_t* End)
{
    return P == End || !(IsDigit(*P) || *P == u'.' || *P == u',' || *P == u'E' || *P == u'e');
}

// The form Copy writes, "[-]d.dddddddddddddE+dddd", in fixed places: four digits at a time.
const char16_t* ReadCopiedNumber(const char16_t* P, const char16_t* End, double& Value)
{
    const bool negative = P < End && *P == u'-';
    P += negative;
    if (End - P < 21 || !IsDigit(P[0]) || P[1] != u'.' || P[15] != u'E' ||
        (P[16] != u'+' && P[16] != u'-'))
        return nullptr;
    // The 13 decimals as digits 2..9 and 7..14, which overlap.
    std::uint32_t first = 0, last = 0;
    const std::uint64_t exponentDigits = FourChars(P + 17);
    if (!EightDigits(P + 2, first) || !EightDigits(P + 7, last) || !FourDigits(exponentDigits) ||
        !EndsPlainNumber(P + 21, End))
        return nullptr;
    const std::uint64_t mantissa =
        (std::uint64_t(P[0] - u'0') * 100000000 + first) * 100000 + last % 100000;
    const int exponent = int(FourDigitsValue(exponentDigits));
    if (!ExactDecimal(mantissa, 14, (P[16] == u'-' ? -exponent : exponent) - 13, Value))
        return nullptr;
    if (negative) Value = -Value;
    return P + 21;
}

// The common token "[sign]digits[.digits][E[sign]digits]" read in one pass, when at most 15
// significant digits and a power of ten within 1e22 make the conversion exact, and the token
// ends where the general scan would end it too. Returns the character after the token, or
// nullptr when the general scan must read it; both give the same value.
const char16_t* ReadPlainNumber(const char16_t* P, const char16_t* End, double& Value)
{
    if (const char16_t* after = ReadCopiedNumber(P, End, Value)) return after;
    bool negative = false;
    if (P < End && (*P == u'-' || *P == u'+')) negative = *P++ == u'-';
    std::uint64_t mantissa = 0;
    int significant = 0, scale = 0;
    const char16_t* first = P;
    P = TakeMantissaDigits(P, End, mantissa, significant, scale, false);
    bool digits = P != first;
    if (P < End && *P == u'.') {
        first = ++P;
        P = TakeMantissaDigits(P, End, mantissa, significant, scale, true);
        digits = digits || P != first;
    }
    if (!digits || significant > 15) return nullptr;
    int exponent = 0;
    if (P < End && (*P == u'E' || *P == u'e')) {
        bool exponentNegative = false;
        if (++P < End && (*P == u'-' || *P == u'+')) exponentNegative = *P++ == u'-';
        first = P;
        if (End - P >= 4 && FourDigits(FourChars(P))) {
            exponent = int(FourDigitsValue(FourChars(P)));
            P += 4;
        }
        for (; P < End && IsDigit(*P) && P - first < 4; ++P) exponent = exponent * 10 + (*P - u'0');
        if (P == first) return nullptr;
        if (exponentNegative) exponent = -exponent;
    }
    if (!EndsPlainNumber(P, End)) return nullptr;
    if (!ExactDecimal(mantissa, significant, scale + exponent, Value)) return nullptr;
    if (negative) Value = -Value;
    return P;
}

// Where the numbers go: the line and cell of the next number, and the numbers of the current
// line gathered into runs of neighbouring cells for the sink.
class TRunCollector {
  public:
    explicit TRunCollector(const TExtractSink& Sink) : FSink(Sink) {}

    // Lines before the first number are headings, not rows.
    void EndLine()
    {
        Flush();
        if (FStarted && FLine < INT_MAX - 1) ++FLine;
        FCell = 0;
    }
    void NextCell()
    {
        if (FCell < INT_MAX - 1) ++FCell;
    }
    void Add(double Value)
    {
        // Runs stay short, so a line of a million numbers needs no buffer of that size.
        if (FCount != 0 && (FCell != FFirst + FCount || FCount == RunLength)) Flush();
        if (FCount == 0) FFirst = FCell;
        FValues[std::size_t(FCount++)] = Value;
        FStarted = true;
    }
    TExtractExtent Finish()
    {
        Flush();
        return {FColumns, FRows};
    }

  private:
    static constexpr int RunLength = 1024;

    void Flush()
    {
        if (FCount == 0) return;
        FColumns = std::max(FColumns, FFirst + FCount);
        FRows = FLine + 1;
        if (FSink) FSink({FLine, FFirst, FValues.data(), FCount});
        FCount = 0;
    }

    const TExtractSink& FSink;
    std::array<double, RunLength> FValues;
    int FCount = 0;
    int FLine = 0, FCell = 0, FFirst = 0, FColumns = 0, FRows = 0;
    bool FStarted = false;
};

// Text without tabs: every number inside it, wherever it stands.
void ReadFreeText(QStringView Text, TRunCollector& Runs)
{
    const TCharReading reading(dsPoint, true, true);
    TNumberText number;
    const char16_t* const begin = Text.utf16();
    const char16_t* const end = begin + Text.size();
    const char16_t* p = begin;
    for (;;) {
        for (; p < end && !CanStart(*p); ++p)
            if (EndsLineAt(p, end)) Runs.EndLine();
        if (p == end) break;
        double value = 0.0;
        if (const char16_t* after = ReadPlainNumber(p, end, value)) {
            p = after;
        } else {
            qsizetype pos = p - begin;
            Scan(Text, true, reading, pos, number, value); // a malformed number reads as 0
            p = begin + pos;
        }
        Runs.Add(value);
        Runs.NextCell();
        // The character that ended the number is not read again, unless it ends the line.
        if (p < end && *p != u'\n' && *p != u'\r') ++p;
    }
}

// Whether Cell, blanks aside, is exactly one well-formed number.
bool ReadWholeCell(QStringView Cell, const TCharReading& Reading, TNumberText& N, double& Value)
{
    while (!Cell.isEmpty() && Cell.back() == u' ') Cell.chop(1);
    qsizetype pos = 0;
    return Scan(Cell, true, Reading, pos, N, Value) && pos == Cell.size();
}

// Text with tabs: one number or nothing per cell.
void ReadCells(QStringView Text, TRunCollector& Runs)
{
    const TCharReading reading(dsEither, true, false);
    TNumberText number;
    const char16_t* p = Text.utf16();
    const char16_t* const end = p + Text.size();
    for (;;) {
        double value = 0.0;
        const char16_t* after = ReadPlainNumber(SkipBlanks(p, end), end, value);
        if (after) after = SkipBlanks(after, end);
        if (after && (after == end || EndsCell(*after))) {
            Runs.Add(value);
            p = after;
        } else {
            const char16_t* cellEnd = std::find_if(p, end, EndsCell);
            if (ReadWholeCell(QStringView(p, cellEnd), reading, number, value)) Runs.Add(value);
            p = cellEnd;
        }
        if (p == end) break;
        if (*p == u'\t') {
            Runs.NextCell();
            ++p;
        } else {
            Runs.EndLine();
            p += *p == u'\r' && p + 1 < end && p[1] == u'\n' ? 2 : 1;
        }
    }
}
} // namespace

bool CanStartNumber(QChar C)
{
    return CanStart(C.unicode());
}

double ScanNumber(QStringView Text, bool ExponentAllowed, TDecimalSeparator Separator,
                  qsizetype& Pos)
{
    TNumberText number;
    double value = 0.0;
    Scan(Text, ExponentAllowed, TCharReading(Separator, false, false), Pos, number, value);
    return value;
}

TExtractExtent ExtractNumbers(QStringView Text, const TExtractSink& Sink)
{
    TRunCollector runs(Sink);
    if (Text.contains(u'\t'))
        ReadCells(Text, runs);
    else
        ReadFreeText(Text, runs);
    return runs.Finish();
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
