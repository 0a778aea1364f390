#include "ZEV_valgrid_scan.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <string>
#include <vector>

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

// Digits at P into the mantissa, which counts significant digits only.
const char16_t* TakeMantissaDigits(const char16_t* P, const char16_t* End, std::uint64_t& Mantissa,
                                   int& Significant, int& Scale, bool AfterPoint)
{
    for (; P < End && IsDigit(*P); ++P) {
        const unsigned d = unsigned(*P - u'0');
        if (Mantissa != 0 || d != 0) {
            Mantissa = Mantissa * 10 + d; // wraps only past 19 digits, which are refused
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

// The common token "[sign]digits[.digits][E[sign]digits]" read in one pass, when at most 15
// significant digits and a power of ten within 1e22 make the conversion exact, and the token
// ends where the general scan would end it too. Returns the character after the token, or
// nullptr when the general scan must read it; both give the same value.
const char16_t* ReadPlainNumber(const char16_t* P, const char16_t* End, double& Value)
{
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
        for (; P < End && IsDigit(*P) && P - first < 4; ++P) exponent = exponent * 10 + (*P - u'0');
        if (P == first) return nullptr;
        if (exponentNegative) exponent = -exponent;
    }
    if (P < End && (IsDigit(*P) || *P == u'.' || *P == u',' || *P == u'E' || *P == u'e'))
        return nullptr;
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
        if (!FValues.empty() && (FCell != FFirst + int(FValues.size()) || FValues.size() >= 4096))
            Flush();
        if (FValues.empty()) FFirst = FCell;
        FValues.push_back(Value);
        FStarted = true;
        FColumns = std::max(FColumns, FCell + 1);
        FRows = FLine + 1;
    }
    TExtractExtent Finish()
    {
        Flush();
        return {FColumns, FRows};
    }

  private:
    void Flush()
    {
        if (!FValues.empty() && FSink) FSink({FLine, FFirst, FValues.data(), int(FValues.size())});
        FValues.clear();
    }

    const TExtractSink& FSink;
    std::vector<double> FValues;
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
