// Tick positions and label texts of numeric, logarithmic and time-span axes, the decimals of
// numeric labels and the drag arithmetic of zoom and pan. Nothing here needs a widget.
#include "ZEV_Scale_ticks.h"
#include "ZEV_Scale_detail.h"
#include "ZEV_stringl.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace {
constexpr double Ln10 = 2.302585092994046;
constexpr double Log10Of2 = 0.3010299956639812;
constexpr double Log10Of5 = 0.6989700043360189;
// Widens comparisons by a billionth so that values which ought to be equal stay inside.
constexpr double K = 0.999999999;
// The start of a spacing is only ever a step or two away; more means the step is lost in the
// precision of the values and stepping would never arrive.
constexpr int MaxStartAdjustments = 64;

double Trunc(double V)
{
    return std::trunc(V);
}
int RoundInt(double V)
{
    return int(std::nearbyint(V));
}

// Ties to even, as every rounding to whole numbers in the library.
bool NearInteger(double V, double Tolerance)
{
    return std::fabs(V - std::nearbyint(V)) <= Tolerance;
}

// First + K x Step, also where K x Step alone lies beyond the largest double.
double TickAt(double First, double K, double Step)
{
    const double v = First + K * Step;
    return std::isfinite(v) ? v : 2 * (First / 2 + K * (Step / 2));
}

// The first multiple of Step not below Low by more than a thousandth of a step (in the
// direction of Step).
double FirstMultiple(double Low, double Step)
{
    const double sign = Step > 0 ? 1.0 : -1.0;
    // Counted in steps, so that a start one step beyond the largest double is never formed.
    double n = Trunc(Low / Step) - 1;
    for (int i = 0; i < MaxStartAdjustments && sign * (Low - n * Step) > 0.001 * std::fabs(Step);
         ++i)
        n += 1;
    return n * Step;
}
} // namespace

void CalcTickSpacing(int MinTicks, double Low, double High, double& First, double& Step,
                     int& NumSub)
{
    if (High == Low) {
        First = Low, Step = 0.0, NumSub = 1;
        return;
    }
    const double sign = Low < High ? 1.0 : -1.0;
    const double span = std::fabs(High - Low);
    if (MinTicks == 0) {
        // The unit step carries the range's sign; an unsigned step would walk a reversed range
        // away from its far end forever.
        Step = sign;
        First = Trunc(Low) - sign;
        for (int i = 0; i < MaxStartAdjustments && sign * (Low - First) > 0.001; ++i) First += sign;
        NumSub = span > 10 ? 1 : 5;
        return;
    }
    // A span beyond the largest double still has a finite share per tick.
    const double perTick =
        std::isinf(span) ? ScaleDetail::HalfSpan(Low, High) / MinTicks * 2 : span / MinTicks;
    double x = std::log(perTick) / Ln10;
    double f = x - Trunc(x);
    if (std::fabs(f) < 1e-10 || std::fabs(f) > 0.9999999999) {
        x = std::nearbyint(x);
        f = 0.0;
    }
    if (x < 0 && f != 0) x -= 1;
    if (f < 0) f += 1;
    // Mantissa times a power of ten is 10^E without the rounding of pow, so that multiples of
    // the step land exactly on round values.
    double mantissa;
    if (f < Log10Of2 + 1e-10) {
        mantissa = 1;
        NumSub = 5;
    } else if (f < Log10Of5 + 1e-10) {
        mantissa = 2;
        NumSub = 4;
    } else {
        mantissa = 5;
        NumSub = 5;
    }
    Step = sign * mantissa * std::pow(10.0, Trunc(x));
    First = FirstMultiple(Low, Step);
}

int AutoDecPlaces(int DecPlaces, double A, double B)
{
    if (DecPlaces > -2) return DecPlaces;
    const double r = std::fabs(B - A);
    if (r >= 1000000 || r <= 0.0001) return -1;
    if (r >= 100) return 0;
    return 2 - RoundInt(std::log(r) / 2.5);
}

int AutoDecPlacesLog(int DecPlaces, long double Hi, long double Lo)
{
    if (DecPlaces > -2) return DecPlaces;
    if (Lo > Hi) ExchangeExtendeds(Hi, Lo);
    const long double r = Hi - Lo;
    if (r >= 1000000 || r <= 0.0001L) return -1;
    if (Lo >= 1) return 0;
    return 1 - RoundInt(double(std::log10(std::fabs(Lo))));
}

QString FormatNumber(double Value, int Decimals)
{
    if (Decimals >= 0) {
        QString text = FormatNum(1, Decimals, Value);
        // A value that rounds to zero is written without a minus sign.
        if (text.startsWith(QLatin1Char('-')) &&
            std::none_of(text.begin(), text.end(), [](QChar c) { return c >= '1' && c <= '9'; }))
            text.remove(0, 1);
        return text;
    }
    return FormatNum(1, -2, Value);
}

QString UserTickItem(const QString& Text, int N)
{
    if (N < 1 || Text.isEmpty()) return {};
    QStringList items = Text.split(QLatin1Char('|'));
    if (Text.endsWith(QLatin1Char('|'))) items.removeLast();
    if (items.isEmpty()) return {};
    return items.at(std::min<qsizetype>(N, items.size()) - 1);
}

QString ApplyInscript(const QString& Label, const QString& Inscript)
{
    if (Label.isEmpty()) return Label;
    const qsizetype amp = Inscript.indexOf(QLatin1Char('&'));
    if (amp < 0) return Inscript + Label;
    return Inscript.left(amp) + Label + Inscript.mid(amp + 1);
}

namespace {
// V x 1000 rounded to the nearest integer, judged on the exact product: 0.0045 is a little
// below 4.5 thousandths, although its product rounds to 4.5. Exact ties go to even.
long long RoundedThousandths(double V)
{
    const double product = V * 1000.0;
    const double error = std::fma(V, 1000.0, -product); // V x 1000 = product + error, exactly
    const double whole = std::floor(product);
    const double fraction = product - whole; // exact; from 2^52 on the product is whole
    long long n = (long long)whole;
    // Below 2^52 the error is under a quarter, so it only decides where the product is a tie.
    if (fraction > 0.5 || (fraction == 0.5 && (error > 0 || (error == 0 && n % 2 != 0)))) ++n;
    return n;
}
} // namespace

QString FormatTimeSpan(double Seconds, bool WithMillis)
{
    // Milliseconds are rounded first so that 59.9996 s reads as a whole minute, not 00:00:59.
    const double limit = 9.0e15; // keeps the millisecond count inside 64 bits
    const long long ms = RoundedThousandths(std::min(std::fabs(Seconds), limit));
    const long long s = ms / 1000;
    QString text = Seconds >= 0 ? QStringLiteral(" ") : QStringLiteral("-");
    text += QStringLiteral("%1:%2:%3")
                .arg(s / 3600, 2, 10, QLatin1Char('0'))
                .arg((s / 60) % 60, 2, 10, QLatin1Char('0'))
                .arg(s % 60, 2, 10, QLatin1Char('0'));
    if (WithMillis) text += QStringLiteral(".%1").arg(ms % 1000, 3, 10, QLatin1Char('0'));
    return text;
}

// ---- tick lists --------------------------------------------------------------------------------

namespace ScaleDetail {

bool TickBudgetLeft(const TScaleTicks& Out)
{
    return int(Out.Ticks.size()) < MaxTicksPerRendering;
}

void AddTick(TScaleTicks& Out, double Value, bool LongLength, bool Labelled, QString Label)
{
    TScaleTick t;
    t.Value = Value;
    t.LongLength = LongLength;
    t.Labelled = Labelled;
    t.Label = std::move(Label);
    Out.Ticks.push_back(std::move(t));
}

} // namespace ScaleDetail

namespace {
using namespace ScaleDetail;
using ScaleDetail::CalendarTicks;

// Numeric labels go through the same finish: user texts replace them, otherwise the inscript
// wraps them. N counts the labelled ticks of the rendering.
class NumericLabeller {
  public:
    explicit NumericLabeller(const TScaleSettings& S) : FS(S) {}
    bool Enabled() const { return FS.LabelType() != ftNoFigs; }
    QString Finish(QString Label)
    {
        if (Label.size() > 14) Label.truncate(14);
        if (FS.LabelType() == ftUserText) return UserTickItem(FS.UserTickText(), ++FCount);
        return ApplyInscript(Label, FS.ScaleInscript());
    }

  private:
    const TScaleSettings& FS;
    int FCount = 0;
};

QString LinearLabel(const TScaleSettings& S, double V, int D)
{
    const double half = HalfSpan(S.RangeLow(), S.RangeHigh());
    if (std::fabs(V / 2 / half) < 1e-14) {
        if (half <= 50000) return FormatNumber(0.0, D);
        return D != 0 ? QStringLiteral("0.0") : QStringLiteral("0");
    }
    if (S.DecPlaces() == 0 && !NearInteger(V, 1e-6)) return {};
    return FormatNumber(V, D);
}

// Long ticks a step places over the range, counting the one the far end's tolerance admits.
double LongTickCount(double Lo, double Hi, double Step)
{
    return HalfSpan(Lo, Hi) / std::fabs(Step) * 2 + 2;
}

// The rendering's tick bound must leave the whole range covered: short ticks go first, and
// long ticks too many for it take ten times the step (still a round 1-2-5 value).
void FitTickBudget(double Lo, double Hi, double& First, double& Step, bool& ShortTicks, int NumSub)
{
    while (LongTickCount(Lo, Hi, Step) > MaxTicksPerRendering && std::isfinite(Step * 10)) {
        Step *= 10;
        First = FirstMultiple(Lo, Step);
    }
    if (LongTickCount(Lo, Hi, Step) * (NumSub + 1) > MaxTicksPerRendering) ShortTicks = false;
}

void LinearTicks(const TScaleSettings& S, TScaleTicks& Out, NumericLabeller& L)
{
    const double lo = S.RangeLow(), hi = S.RangeHigh();
    double first, step;
    int numSub;
    CalcTickSpacing(S.MinTicks(), lo, hi, first, step, numSub);
    const int d = AutoDecPlaces(S.DecPlaces(), lo, hi);
    const double sign = lo < hi ? 1.0 : -1.0;
    const bool usable = step != 0.0 && std::isfinite(step) && std::isfinite(first);
    bool shortTicks = S.ShortTicks();
    if (usable) FitTickBudget(lo, hi, first, step, shortTicks, numSub);
    if (shortTicks && usable) {
        const double shortStep = step / numSub;
        // From one step before the first long tick, counted from that tick: the step before
        // it may lie beyond the largest double.
        for (long long j = -numSub; TickBudgetLeft(Out); ++j) {
            const double v = TickAt(first, double(j), shortStep);
            // The same thousandth of a step as at the far end, so that rounding cannot drop
            // the short tick on RangeLow.
            if (sign * (v - lo) >= -0.001 * std::fabs(shortStep)) AddTick(Out, v, false, false, {});
            const double next = TickAt(first, double(j + 1), shortStep);
            if (!(sign * (next - hi) <= 0.001 * std::fabs(shortStep))) break;
        }
    }
    for (long long k = 0; TickBudgetLeft(Out); ++k) {
        const double v = TickAt(first, double(k), step);
        if (L.Enabled())
            AddTick(Out, v, true, true, L.Finish(LinearLabel(S, v, d)));
        else
            AddTick(Out, v, true, false, {});
        if (!usable) break;
        const double next = TickAt(first, double(k + 1), step);
        if (!(sign * (next - hi) <= 0.001 * std::fabs(step))) break;
    }
}

QString StripTrailingZeros(QString Label)
{
    if (!Label.contains(QLatin1Char('.')) || Label.contains(QLatin1Char('E')) ||
        Label.contains(QLatin1Char('e')))
        return Label;
    while (Label.endsWith(QLatin1Char('0'))) Label.chop(1);
    if (Label.endsWith(QLatin1Char('.'))) Label.chop(1);
    return Label;
}

// Unlabelled candidates are short ticks on a horizontal axis, long ones on a vertical axis.
void LogTicks(const TScaleSettings& S, bool Vertical, TScaleTicks& Out, NumericLabeller& L)
{
    const double lo = std::min(S.RangeLow(), S.RangeHigh());
    const double hi = std::max(S.RangeLow(), S.RangeHigh());
    // A logarithmic axis with an end at or below zero has no decades to walk.
    const double decades = lo > 0 ? std::fabs(std::log10(S.RangeHigh() / S.RangeLow())) : 0.0;
    if (!(decades >= 1)) {
        LinearTicks(S, Out, L);
        return;
    }
    const int d = AutoDecPlacesLog(S.DecPlaces(), hi, lo);
    const bool subTicks = S.MinTicks() > decades + 0.5;
    const int e0 = int(std::floor(std::log10(lo * K)));
    auto candidate = [&](double v, bool labelled, int exponent) {
        if (!(lo * K < v && v < hi / K) || !TickBudgetLeft(Out)) return;
        if (!labelled) {
            if (S.ShortTicks()) AddTick(Out, v, Vertical, false, {});
            return;
        }
        if (!L.Enabled()) return AddTick(Out, v, true, false, {});
        if (S.DecPlaces() == -3) {
            if (exponent == INT_MIN) return AddTick(Out, v, true, false, {});
            return AddTick(Out, v, true, true, L.Finish(QString::number(exponent)));
        }
        QString text = FormatNumber(v, d);
        if (text.size() > 14) text.truncate(14);
        if (S.DecPlaces() == -2) text = StripTrailingZeros(text);
        AddTick(Out, v, true, true, L.Finish(text));
    };
    // Doubles span about 630 decades, so the walk ends even where a comparison never fails.
    for (int k = 0; k < 700; ++k) {
        const double decade = std::pow(10.0, e0 + k);
        candidate(decade, true, e0 + k);
        if (subTicks)
            for (int i = 2; i <= 9; ++i) candidate(i * decade, i == 2 || i == 5, INT_MIN);
        if (hi < K * decade * 10) break;
    }
}

constexpr double TimeSteps[29] = {0,   0.001, 0.002, 0.005, 0.01, 0.02,  0.05,  0.1,   0.2,  0.5,
                                  1,   2,     5,     10,    20,   30,    60,    120,   180,  300,
                                  600, 1200,  1800,  3600,  7200, 14400, 21600, 43200, 86400};
constexpr int TimeSubdivisions[29] = {0, 5, 4, 5, 5, 4, 5, 5, 4, 5, 5, 4, 5, 5, 4,
                                      6, 6, 6, 6, 5, 5, 6, 6, 6, 4, 4, 6, 6, 6};

// False when the range needs a day or more, or less than a millisecond, per tick.
bool TimeSpanTicks(const TScaleSettings& S, TScaleTicks& Out)
{
    const double lo = S.RangeLow(), hi = S.RangeHigh();
    const double per = std::fabs(hi - lo) / S.MinTicks();
    int index = 28;
    while (index > 0 && per < TimeSteps[index]) --index;
    if (index == 28 || index == 0) return false;
    const double sign = lo < hi ? 1.0 : -1.0;
    const int parts = TimeSubdivisions[index];
    const double major = sign * TimeSteps[index];
    const double minor = major / parts;
    const long long count = (long long)Trunc((hi - lo) / minor) + 5;
    // Tolerances are a thousandth of a short step, as on numeric axes: a tolerance relative to
    // the values themselves would outgrow the step far from zero.
    const double tolerance = 0.001 * std::fabs(minor);
    // The start is the last multiple of the step not beyond RangeLow: truncating towards zero
    // would start inside the range for negative or reversed ranges and lose its first ticks.
    const double start = std::floor(lo / major + 0.001 / parts) * major;
    const double windowLo = std::min(lo, hi) - tolerance;
    const double windowHi = std::max(lo, hi) + tolerance;
    auto inside = [&](double v) { return windowLo <= v && v <= windowHi; };
    if (S.ShortTicks())
        for (long long u = 0; u <= count && TickBudgetLeft(Out); ++u) {
            const double v = start + double(u) * minor;
            if (inside(v)) AddTick(Out, v, false, false, {});
        }
    const bool withMillis = index <= 9;
    // The start is a multiple of the step, so every parts-th short step is a long tick.
    for (long long u = 0; u <= count && TickBudgetLeft(Out); u += parts) {
        const double v = start + double(u) * minor;
        if (!inside(v)) continue;
        if (S.LabelType() == ftNoFigs)
            AddTick(Out, v, true, false, {});
        else
            AddTick(Out, v, true, true, FormatTimeSpan(v, withMillis));
    }
    return true;
}
} // namespace

TScaleTicks ComputeScaleTicks(const TScaleSettings& S, TScaleType Type)
{
    TScaleTicks out;
    if (!std::isfinite(S.RangeLow()) || !std::isfinite(S.RangeHigh())) return out;
    const bool horizontal = Type == sctXB || Type == sctXT;
    const int minTicks = S.MinTicks();
    if (horizontal && minTicks != 0 && minTicks != std::clamp(minTicks, 2, 20)) {
        TScaleSettings banded = S;
        banded.SetMinTicks(std::clamp(minTicks, 2, 20));
        return ComputeScaleTicks(banded, Type);
    }
    if (S.LabelType() == ftDateTime) {
        ScaleDetail::CalendarTicks(S, out);
        return out;
    }
    if (S.LabelType() == ftTime && TimeSpanTicks(S, out)) return out;
    NumericLabeller labeller(S);
    if (S.Logarithmic())
        LogTicks(S, !horizontal, out, labeller);
    else
        LinearTicks(S, out, labeller);
    return out;
}

// ---- drag arithmetic ---------------------------------------------------------------------------

bool ZoomPanRange(int X, int Y, int X0, int Y0, double Low0, double High0, double Low, double High,
                  bool Logarithmic, TScaleType ScaleType, TMouseActMode MouseAction, int MarginLeft,
                  int MarginRight, int MarginTop, int MarginBottom, int Width, int Height,
                  double& NewLow, double& NewHigh)
{
    const bool horizontal = ScaleType == sctXB || ScaleType == sctXT;
    const double aw = Width - MarginLeft - MarginRight;
    const double ah = Height - MarginTop - MarginBottom;
    const double g = std::sqrt(Low0 * High0);
    const double j = High0 / g;
    const double span0 = High0 - Low0;
    const double mid = (Low0 + High0) / 2;
    double lo = Low0, hi = High0;
    auto ratio = [](double num, double den) { return den != 0 ? num / den : NAN; };
    switch (MouseAction) {
    case maPan:
        if (horizontal) {
            if (Logarithmic) {
                const double f = std::pow(High / Low, ratio(X0 - X, aw));
                lo = Low0 * f, hi = High0 * f;
            } else {
                const double d = ratio((X - X0) * (High - Low), aw);
                lo = Low0 - d, hi = High0 - d;
            }
        } else if (Logarithmic) {
            const double f = std::pow(High / Low, ratio(Y - Y0, ah));
            lo = Low0 * f, hi = High0 * f;
        } else {
            const double d = ratio((Y - Y0) * (High - Low), ah);
            lo = Low0 + d, hi = High0 + d;
        }
        break;
    case maZoom:
        if (horizontal) {
            const bool lowSide = X0 < MarginLeft + aw / 2;
            if (Logarithmic) {
                if (lowSide)
                    lo = g / std::pow(j, 1 + ratio(X - X0, aw));
                else
                    hi = g * std::pow(j, 1 + ratio(X0 - X, aw));
            } else if (lowSide) {
                lo = High0 - span0 * ratio(Width - MarginRight - X0, Width - MarginRight - X);
            } else {
                hi = Low0 + span0 * ratio(X0 - MarginLeft, X - MarginLeft);
            }
        } else {
            const bool lowSide = Y0 > MarginTop + ah / 2;
            if (Logarithmic) {
                if (lowSide)
                    lo = g / std::pow(j, 1 + ratio(Y0 - Y, ah));
                else
                    hi = g * std::pow(j, 1 + ratio(Y - Y0, ah));
            } else if (lowSide) {
                lo = High0 - span0 * ratio(Y0 - MarginTop, Y - MarginTop);
            } else {
                hi = Low0 + span0 * ratio(Height - MarginBottom - Y0, Height - MarginBottom - Y);
            }
        }
        break;
    case maZoomDrag:
        if (Logarithmic) {
            const double f = horizontal ? std::pow(j, 1 + ratio(X0 - X, Width))
                                        : std::pow(j, 1 + ratio(Y - Y0, Height));
            lo = g / f, hi = g * f;
        } else {
            const double half = horizontal ? span0 * (1 - ratio(X - X0, Width)) / 2
                                           : span0 * (1 + ratio(Y - Y0, Height)) / 2;
            lo = mid - half, hi = mid + half;
        }
        break;
    default:
        return false;
    }
    // A degenerate geometry or a logarithmic drag over non-positive values yields no range.
    if (!std::isfinite(lo) || !std::isfinite(hi)) return false;
    NewLow = lo, NewHigh = hi;
    return true;
}
