// Calendar axes: tick positions from hundredths of a second to years, and their label texts.
// Day numbers count from 1899-12-30; the calendar arithmetic is Qt's proleptic Gregorian one,
// limited to the years 1..9999 that the labels can be written for.
#include "ZEV_Scale_detail.h"
#include "ZEV_Scale_ticks.h"
#include "ZEV_stringl.h"

#include <QDate>
#include <QLocale>
#include <cmath>

namespace {
using namespace ScaleDetail;

constexpr int LastCalendarYear = 9999;
constexpr long long MsPerDay = 86400000;

const QDate& DayZero()
{
    static const QDate zero(1899, 12, 30);
    return zero;
}

double DayOf(const QDate& D)
{
    return double(DayZero().daysTo(D));
}
double DayOf(int Year, int Month, int Day)
{
    return DayOf(QDate(Year, Month, Day));
}

// A day number split into the calendar date and the time of day in milliseconds. A negative
// day number keeps a positive time of day: -1.25 is 1899-12-28 at 18:00.
struct TDecoded {
    QDate Date;
    long long Ms = 0;
    int Hour() const { return int(Ms / 3600000); }
    int Minute() const { return int(Ms / 60000 % 60); }
    int Second() const { return int(Ms / 1000 % 60); }
    int Milli() const { return int(Ms % 1000); }
};

TDecoded Decode(double Value)
{
    if (std::fabs(Value) < 1e-8) Value = 0;
    const double day = std::floor(Value);
    long long ms = std::llround((Value - day) * double(MsPerDay));
    TDecoded d;
    d.Date = DayZero().addDays((long long)day);
    if (ms >= MsPerDay) { // a time that rounds up to midnight belongs to the next day
        ms -= MsPerDay;
        d.Date = d.Date.addDays(1);
    }
    d.Ms = ms;
    return d;
}

QString Quoted(QChar C)
{
    if (C.isNull()) return {};
    return C == QLatin1Char('"') ? QStringLiteral("'\"'") : QStringLiteral("\"%1\"").arg(C);
}

QString Pad(int V, int Digits)
{
    return QStringLiteral("%1").arg(V, Digits, 10, QLatin1Char('0'));
}

// Writes a date and time after a pattern of the classic date-time formatting: yyyy yy mmm mm
// dd hh h nn ss zz am/pm, quoted literals, and any other character as it stands.
QString FormatPattern(const QString& Pattern, const TDecoded& D)
{
    const bool twelveHour = Pattern.contains(QLatin1String("am/pm"));
    QString out;
    const qsizetype n = Pattern.size();
    auto at = [&](qsizetype i, const char* token) {
        return Pattern.mid(i, qsizetype(qstrlen(token))) == QLatin1String(token);
    };
    for (qsizetype i = 0; i < n;) {
        const QChar c = Pattern.at(i);
        if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            const qsizetype end = Pattern.indexOf(c, i + 1);
            const qsizetype stop = end < 0 ? n : end;
            out += Pattern.mid(i + 1, stop - i - 1);
            i = stop + 1;
        } else if (at(i, "am/pm")) {
            out += D.Hour() < 12 ? QLatin1String("am") : QLatin1String("pm");
            i += 5;
        } else if (at(i, "yyyy")) {
            out += Pad(D.Date.year(), 4);
            i += 4;
        } else if (at(i, "yy")) {
            out += Pad(D.Date.year() % 100, 2);
            i += 2;
        } else if (at(i, "mmm")) {
            out += QLocale::c().monthName(D.Date.month(), QLocale::ShortFormat);
            i += 3;
        } else if (at(i, "mm")) {
            out += Pad(D.Date.month(), 2);
            i += 2;
        } else if (at(i, "dd")) {
            out += Pad(D.Date.day(), 2);
            i += 2;
        } else if (at(i, "hh") || at(i, "h")) {
            int h = D.Hour();
            if (twelveHour) h = h % 12 == 0 ? 12 : h % 12;
            const bool two = at(i, "hh");
            out += two ? Pad(h, 2) : QString::number(h);
            i += two ? 2 : 1;
        } else if (at(i, "nn")) {
            out += Pad(D.Minute(), 2);
            i += 2;
        } else if (at(i, "ss")) {
            out += Pad(D.Second(), 2);
            i += 2;
        } else if (at(i, "zz")) {
            out += Pad(D.Milli(), 2);
            i += 2;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

QString MonthPart(const TDTLabel& F)
{
    return F.MonthName() ? QStringLiteral("mmm") : QStringLiteral("mm");
}

QString YearPart(const TDTLabel& F)
{
    switch (F.YearLength()) {
    case ylYY:
        return QStringLiteral("yy");
    case ylYYYY:
        return QStringLiteral("yyyy");
    default:
        return {};
    }
}

QString TimePattern(TCalendarLevel Level, const TDTLabel& F)
{
    const QString t = Quoted(F.TimeSeparator());
    const QString seconds = Level == clvHundredths ? QStringLiteral("ss.zz") : QStringLiteral("ss");
    switch (F.TimeFormat()) {
    case tfHHhMM:
        if (Level == clvHours) return QStringLiteral("h\"h\"");
        if (Level == clvMinutes) return QStringLiteral("h\"h\"nn");
        return QStringLiteral("h\"h\"nn") + t + seconds;
    case tfAMPM:
        if (Level == clvHours) return QStringLiteral("ham/pm");
        if (Level == clvMinutes) return QStringLiteral("h") + t + QStringLiteral("nnam/pm");
        return QStringLiteral("h") + t + QStringLiteral("nn\".\"") + seconds +
               QStringLiteral("am/pm");
    default:
        if (Level == clvHours || Level == clvMinutes)
            return QStringLiteral("hh") + t + QStringLiteral("nn");
        return QStringLiteral("hh") + t + QStringLiteral("nn") + t + seconds;
    }
}

QString DatePattern(TCalendarLevel Level, const TDTLabel& F)
{
    const QString s = Quoted(F.DateSeparator());
    const QString m = MonthPart(F), y = YearPart(F), d = QStringLiteral("dd");
    if (Level == clvYears) return y;
    if (Level == clvMonths) return F.DateOrder() == doYYMMDD ? y + s + m : m + s + y;
    switch (F.DateOrder()) {
    case doMMDDYY:
        return m + s + d + s + y;
    case doDDMMYY:
        return d + s + m + s + y;
    default:
        return y + s + m + s + d;
    }
}
} // namespace

QString FormatCalendarLabel(double Value, TCalendarLevel Level, const TDTLabel& Format)
{
    const bool timeLevel = Level <= clvHours;
    QString text = FormatPattern(
        timeLevel ? TimePattern(Level, Format) : DatePattern(Level, Format), Decode(Value));
    if (Level == clvYears && Format.YearLength() == ylYYYY)
        while (text.size() > 1 && text.startsWith(QLatin1Char('0'))) text.remove(0, 1);
    return text;
}

QString FormatCalendarDate(double Value, const TDTLabel& Format)
{
    const QString s = Quoted(Format.DateSeparator());
    const QString m = MonthPart(Format), y = YearPart(Format), d = QStringLiteral("dd");
    QString pattern;
    switch (Format.DateOrder()) {
    case doMMDDYY:
        pattern = y.isEmpty() ? m + s + d : m + s + d + s + y;
        break;
    case doDDMMYY:
        pattern = y.isEmpty() ? d + s + m : d + s + m + s + y;
        break;
    default:
        pattern = y.isEmpty() ? m + s + d : y + s + m + s + d;
        break;
    }
    return FormatPattern(pattern, Decode(Value));
}

// ---- calendar ticks ----------------------------------------------------------------------------

namespace {
struct TTimeRow {
    int Steps[6];
    int Shorts[6];
};
constexpr TTimeRow HourRow{{1, 2, 3, 6, 8, 12}, {1, 1, 1, 2, 2, 3}};
constexpr TTimeRow MinuteSecondRow{{1, 2, 5, 10, 20, 30}, {1, 1, 1, 2, 5, 10}};
constexpr TTimeRow HundredthRow{{1, 2, 5, 10, 20, 50}, {1, 1, 1, 5, 10, 10}};
constexpr int DaySteps[6] = {1, 2, 3, 7, 14, 28};
constexpr int MonthSteps[5] = {1, 2, 3, 4, 6};

// Walks of calendar ticks stop where the calendar ends, whatever RangeHigh says. A value just
// short of the end is written to the millisecond, and may so round into the year after it.
bool InCalendar(double V)
{
    return V < EndOfCalendarDay && Decode(V).Date.year() <= LastCalendarYear;
}

class CalendarWalk {
  public:
    CalendarWalk(const TScaleSettings& S, TScaleTicks& Out, TCalendarLevel Level)
        : FS(S), FOut(Out), FLevel(Level)
    {
    }

    bool Continues(double V) const
    {
        return V - FS.RangeHigh() < 1e-8 && InCalendar(V) && TickBudgetLeft(FOut);
    }

    void Tick(double V, bool Long)
    {
        if (!Long || FS.LabelType() == ftNoFigs) return AddTick(FOut, V, Long, false, {});
        AddTick(FOut, V, true, true, FormatCalendarLabel(V, FLevel, *FS.DateFormat()));
        if (FLevel <= clvHours) AddDateLine(V);
    }

  private:
    void AddDateLine(double V)
    {
        bool draw = false;
        const int day = Decode(V).Date.day();
        switch (FS.DateFormat()->DateForTime()) {
        case dtOnePerChart:
            draw = FFirstLong;
            break;
        case dtOnePerDay:
            draw = day != FLastDay;
            break;
        case dtAllTicks:
            draw = true;
            break;
        default:
            break;
        }
        FFirstLong = false;
        if (!draw) return;
        FLastDay = day;
        TScaleTick& t = FOut.Ticks.back();
        t.HasDateLine = true;
        t.DateLine = FormatCalendarDate(V, *FS.DateFormat());
    }

    const TScaleSettings& FS;
    TScaleTicks& FOut;
    TCalendarLevel FLevel;
    bool FFirstLong = true;
    int FLastDay = 0; // day of the month of the last date drawn; 0 before the first
};

void TimeLevelTicks(const TScaleSettings& S, TScaleTicks& Out, TCalendarLevel Level, double Per)
{
    const double units = Level == clvHours     ? 24
                         : Level == clvMinutes ? 1440
                         : Level == clvSeconds ? 86400
                                               : 8640000;
    const TTimeRow& row = Level == clvHours        ? HourRow
                          : Level == clvHundredths ? HundredthRow
                                                   : MinuteSecondRow;
    int choice = 0;
    for (int i = 0; i < 6; ++i)
        if (row.Steps[i] <= Per * units) choice = i;
    const long long step = row.Steps[choice];
    const double lo = S.RangeLow();
    const double day0 = std::floor(lo);
    // The fraction is measured from the day's own midnight, so a whole negative day starts
    // with its first tick instead of losing a day.
    long long part = Ceil(units * (lo - day0));
    part = (part + step - 1) / step * step;
    double first = day0 + double(part) / units;
    const double major = double(step) / units;
    const double minor = double(row.Shorts[choice]) / units;
    if (S.ShortTicks())
        for (int i = 0; i < 64 && first > lo; ++i) first -= minor;
    CalendarWalk walk(S, Out, Level);
    // Each tick is placed from the first by multiplication, so rounding cannot pile up.
    const double advance = S.ShortTicks() ? minor : major;
    for (long long k = 0;; ++k) {
        const double v = first + double(k) * advance;
        if (!walk.Continues(v)) break;
        if (v >= lo)
            walk.Tick(v,
                      !S.ShortTicks() || std::fabs(v / major - std::nearbyint(v / major)) <= 0.1);
    }
}

long long FloorMod(long long A, long long B)
{
    return ((A % B) + B) % B;
}

void DayTicks(const TScaleSettings& S, TScaleTicks& Out, double Per)
{
    int choice = 0;
    for (int i = 0; i < 6; ++i)
        if (DaySteps[i] <= Per) choice = i;
    const long long step = DaySteps[choice];
    const double lo = S.RangeLow();
    const double jan1 = DayOf(Decode(std::floor(lo)).Date.year(), 1, 1);
    const double first = jan1 + double((long long)std::trunc(lo - jan1) / step * step);
    // Modulo rounded down keeps the pattern of long ticks across day zero.
    const long long residue = FloorMod(std::llround(first), step);
    const double advance = S.ShortTicks() ? (step >= 14 ? 7 : 1) : double(step);
    CalendarWalk walk(S, Out, clvDays);
    for (long long k = 0;; ++k) {
        const double v = first + double(k) * advance;
        if (!walk.Continues(v)) break;
        if (v >= lo) walk.Tick(v, !S.ShortTicks() || FloorMod(std::llround(v), step) == residue);
    }
}

void MonthTicks(const TScaleSettings& S, TScaleTicks& Out)
{
    const double perMonths = (S.RangeHigh() - S.RangeLow()) / 30.4375 / std::max(S.MinTicks(), 1);
    int step = 1;
    for (int m : MonthSteps)
        if (m <= perMonths) step = m;
    const QDate start = Decode(std::floor(S.RangeLow())).Date;
    int year = start.year(), month = start.month();
    auto advance = [&](int by) {
        month += by;
        while (month > 12) month -= 12, ++year;
    };
    // Labelled months are those with month mod step = 1; the range's own month counts when it
    // is one, so a quarterly axis from January starts with January.
    if (step > 1 && !S.ShortTicks())
        while (month % step != 1) advance(1);
    CalendarWalk walk(S, Out, clvMonths);
    while (year <= LastCalendarYear) {
        const double v = DayOf(year, month, 1);
        if (!walk.Continues(v)) break;
        if (v >= S.RangeLow()) walk.Tick(v, !(S.ShortTicks() && step > 1 && month % step != 1));
        advance(S.ShortTicks() ? 1 : step);
    }
}

void YearTicks(const TScaleSettings& S, TScaleTicks& Out)
{
    const double perYears =
        std::max(1.0, (S.RangeHigh() - S.RangeLow()) / 365.25 / std::max(S.MinTicks(), 1));
    const double l = std::log10(perYears);
    const double m = std::pow(10.0, l - std::trunc(l));
    const int f = m >= 5 ? 5 : m >= 2 ? 2 : 1;
    const long long h = std::llround(std::nearbyint(std::trunc(std::pow(10.0, std::trunc(l))) * f));
    long long inc = h;
    if (S.ShortTicks() && h > 1) inc = std::llround(std::nearbyint(double(h) / (f == 5 ? 5 : 2)));
    const int year0 = Decode(std::floor(S.RangeLow())).Date.year();
    long long year = (year0 + inc - 1) / inc * inc;
    if (year == year0 && S.RangeLow() > DayOf(year0, 1, 1)) year += inc;
    CalendarWalk walk(S, Out, clvYears);
    // The walk ends with the calendar's last year: the year after it cannot be encoded.
    for (; year <= LastCalendarYear; year += inc) {
        const double v = DayOf(int(year), 1, 1);
        if (!walk.Continues(v)) break;
        if (v >= S.RangeLow()) walk.Tick(v, !(S.ShortTicks() && year % h != 0));
    }
}
} // namespace

namespace ScaleDetail {

void CalendarTicks(const TScaleSettings& S, TScaleTicks& Out)
{
    Out.CalendarLabels = true;
    const double lo = S.RangeLow(), hi = S.RangeHigh();
    if (!(hi >= lo && lo >= MinCalendarDay && hi <= 3000000)) {
        Out.Notice = snInvalidDateTime;
        return;
    }
    // MinTicks 0 asks for unit steps, which a calendar does not have: one interval then.
    const double per = (hi - lo) / std::max(S.MinTicks(), 1);
    if (per <= 1.1574074074074074e-7) {
        Out.Notice = snDateTimeTooFine;
        return;
    }
    if (per <= 1.1574074074074073e-5)
        TimeLevelTicks(S, Out, clvHundredths, per);
    else if (per <= 6.944444444444445e-4)
        TimeLevelTicks(S, Out, clvSeconds, per);
    else if (per <= 0.041667)
        TimeLevelTicks(S, Out, clvMinutes, per);
    else if (per <= 1)
        TimeLevelTicks(S, Out, clvHours, per);
    else if (per <= 30)
        DayTicks(S, Out, per);
    else if (per > 366)
        YearTicks(S, Out);
    else
        MonthTicks(S, Out);
}

} // namespace ScaleDetail
