// Tick values (through the tick list) and label texts of numeric, logarithmic, time-span and
// calendar axes.
#include "ZEV_Scale_ticks_testing.h"

#include <gtest/gtest.h>

namespace {

void ExpectValues(const std::vector<double>& Actual, const std::vector<double>& Expected,
                  const char* What)
{
    ASSERT_EQ(Actual.size(), Expected.size()) << What;
    for (std::size_t i = 0; i < Actual.size(); ++i)
        EXPECT_NEAR(Actual[i], Expected[i], 1e-9 * std::max(1.0, std::fabs(Expected[i])))
            << What << " #" << i;
}

std::vector<double> Tail(const std::vector<double>& V, std::size_t N)
{
    return std::vector<double>(V.end() - std::ptrdiff_t(std::min(N, V.size())), V.end());
}
std::vector<double> Head(const std::vector<double>& V, std::size_t N)
{
    return std::vector<double>(V.begin(), V.begin() + std::ptrdiff_t(std::min(N, V.size())));
}

} // namespace

TEST(ScaleTicks, LinearStepsSubdivisionsAndDirections)
{
    struct Row {
        const char* Name;
        double Lo, Hi;
        int MinTicks;
        bool ShortTicks;
        std::vector<double> Longs, Shorts;
    };
    // clang-format off
    const std::vector<Row> rows = {
        {"step 20 of 4 parts", 0, 100, 3, true, Steps(0, 100, 20), Steps(0, 100, 5)},
        {"step 0.2 of 4 parts", 0, 1, 3, true, Steps(0, 1, 0.2), Steps(0, 1, 0.05)},
        {"step 0.1 of 5 parts", 0, 1, 10, true, Steps(0, 1, 0.1), Steps(0, 1, 0.02)},
        {"reversed", 100, 0, 3, true, Steps(100, 0, -20), Steps(100, 0, -5)},
        {"first tick inside the range", -7, 13, 3, true, Steps(-5, 10, 5), Steps(-7, 13, 1)},
        {"no short ticks", 0, 100, 3, false, Steps(0, 100, 20), {}},
        {"unit steps, wide", 0, 50, 0, true, Steps(0, 50, 1), Steps(0, 50, 1)},
        {"unit steps, narrow", 0, 5, 0, true, Steps(0, 5, 1), Steps(0, 5, 0.2)},
        // A unit step without the range's sign never reaches the far end of a reversed range.
        {"unit steps, reversed", 10, 0, 0, true, Steps(10, 0, -1), Steps(10, 0, -0.2)},
        {"unit steps, reversed wide", 40, 0, 0, false, Steps(40, 0, -1), {}},
    };
    // clang-format on
    for (const Row& r : rows) {
        SCOPED_TRACE(r.Name);
        TickedScale s;
        s.SetRange(r.Lo, r.Hi);
        s.SetMinTicks(r.MinTicks);
        s.SetShortTicks(r.ShortTicks);
        const Rendering p = Render(s);
        ExpectValues(p.LabelValues, r.Longs, "long ticks");
        // Short ticks come first in the list, the long ones follow.
        ExpectValues(Head(p.Ticks, p.Ticks.size() - p.LabelValues.size()), r.Shorts, "short ticks");
        ExpectValues(Tail(p.Ticks, p.LabelValues.size()), r.Longs, "recorded long ticks");
    }
}

TEST(ScaleTicks, CalcTickSpacingPicksOneTwoFive)
{
    struct Row {
        int MinTicks;
        double Lo, Hi, First, Step;
        int NumSub;
    };
    // clang-format off
    const std::vector<Row> rows = {
        {3, 0, 100, 0, 20, 4},    {3, 0, 1, 0, 0.2, 4},   {10, 0, 1, 0, 0.1, 5},
        {3, 100, 0, 100, -20, 4}, {3, 0, 0.5, 0, 0.1, 5}, {2, 0, 10, 0, 2, 4},
        {3, 3, 3, 3, 0, 1},       {3, -7, 13, -5, 5, 5},  {3, 0.001, 0.009, 0.002, 0.002, 4},
        {5, 0, 10, 0, 1, 5}, // exactly 2 per interval takes the smaller step
        {0, 2.5, 9, 3, 1, 5},     {0, 9, 2.5, 9, -1, 5},  {3, 1e6, 4e6, 1e6, 1e6, 5},
    };
    // clang-format on
    for (const Row& r : rows) {
        double first = -1, step = -1;
        int numSub = -1;
        CalcTickSpacing(r.MinTicks, r.Lo, r.Hi, first, step, numSub);
        SCOPED_TRACE(testing::Message() << r.Lo << ".." << r.Hi << " / " << r.MinTicks);
        EXPECT_NEAR(first, r.First, 1e-12 * std::max(1.0, std::fabs(r.First)));
        EXPECT_NEAR(step, r.Step, 1e-12 * std::max(1.0, std::fabs(r.Step)));
        EXPECT_EQ(numSub, r.NumSub);
    }
}

TEST(ScaleTicks, TickListKeeps250ValuesButAllTicksAreDrawn)
{
    TickedScale s;
    s.SetRange(0, 300);
    s.SetMinTicks(0); // 301 short and 301 long ticks
    const Rendering p = Render(s);
    EXPECT_EQ(p.DrawnTicks, 602);
    EXPECT_EQ(s.NumTicks(), 250);
    EXPECT_DOUBLE_EQ(s.TickValue(250), 249.0);
    EXPECT_EQ(s.TickValue(251), 0.0);
    EXPECT_EQ(s.TickValue(0), 0.0);
    EXPECT_DOUBLE_EQ(s.TickValue(1), 0.0);
    EXPECT_DOUBLE_EQ(s.TickValue(2), 1.0);
}

TEST(ScaleTicks, RangesThatWouldNeverEndArePaintedWithBoundedTicks)
{
    // Unit steps over a huge range, a range lost in the precision of its values, and a
    // logarithmic map taken on a range through zero: each painting ends.
    struct Row {
        const char* Name;
        double Lo, Hi;
        int MinTicks;
        bool Log;
    };
    const std::vector<Row> rows = {{"unit steps over 1e9", 0, 1e9, 0, false},
                                   {"span below the precision", 1e10, 1e10 + 1e-6, 3, false},
                                   {"log through zero", -1, 10, 3, true},
                                   {"log from zero", 0, 1000, 10, true}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.Name);
        TickedScale s;
        s.SetRange(r.Lo, r.Hi);
        s.SetMinTicks(r.MinTicks);
        s.SetLogarithmic(r.Log); // a scale created at run time takes it
        EXPECT_EQ(s.Logarithmic(), r.Log);
        const Rendering p = Render(s);
        EXPECT_GT(p.DrawnTicks, 0);
        EXPECT_LE(p.DrawnTicks, MaxTicksPerRendering);
    }
}

TEST(ScaleTicks, LogarithmicDecadesAndSubdivisions)
{
    struct Row {
        const char* Name;
        double Lo, Hi;
        int MinTicks;
        bool ShortTicks;
        bool Vertical;
        int DecPlaces;
        std::vector<double> Ticks;
        QStringList Labels;
    };
    const std::vector<double> full = {1,   2,   3,   4,   5,   6,   7,   8,   9,   10,
                                      20,  30,  40,  50,  60,  70,  80,  90,  100, 200,
                                      300, 400, 500, 600, 700, 800, 900, 1000};
    const QStringList fullLabels = {"1", "2", "5", "10", "20", "50", "100", "200", "500", "1000"};
    // clang-format off
    const std::vector<Row> rows = {
        {"decades only", 1, 1000, 3, true, false, -2, {1, 10, 100, 1000},
         {"1", "10", "100", "1000"}},
        {"reversed", 1000, 1, 3, true, false, -2, {1, 10, 100, 1000}, {"1", "10", "100", "1000"}},
        {"with 2..9", 1, 1000, 10, true, false, -2, full, fullLabels},
        {"vertical with 2..9", 1, 1000, 10, true, true, -2, full, fullLabels},
        {"2 and 5 without short ticks", 1, 1000, 10, false, false, -2,
         {1, 2, 5, 10, 20, 50, 100, 200, 500, 1000}, fullLabels},
        {"trailing zeros removed", 0.01, 100, 3, true, false, -2, {0.01, 0.1, 1, 10, 100},
         {"0.01", "0.1", "1", "10", "100"}},
        {"fixed decimals kept", 1, 100, 2, true, false, 1, {1, 10, 100}, {"1.0", "10.0", "100.0"}},
        {"decade exponents", 1, 1000, 10, false, false, -3,
         {1, 2, 5, 10, 20, 50, 100, 200, 500, 1000}, {"0", "1", "2", "3"}},
        {"below a decade: linear", 1, 5, 3, false, false, -2, {1, 2, 3, 4, 5},
         {"1.0", "2.0", "3.0", "4.0", "5.0"}},
    };
    // clang-format on
    for (const Row& r : rows) {
        SCOPED_TRACE(r.Name);
        TickedScale s;
        s.SetScaleType(r.Vertical ? sctYL : sctXB);
        s.SetRange(r.Lo, r.Hi);
        s.SetLogarithmic(true);
        s.SetMinTicks(r.MinTicks);
        s.SetShortTicks(r.ShortTicks);
        s.SetDecPlaces(r.DecPlaces);
        const Rendering p = Render(s);
        ExpectValues(p.Ticks, r.Ticks, "ticks");
        EXPECT_EQ(p.Labels, r.Labels);
    }
}

TEST(ScaleLabels, NumericTextsInscriptsAndUserTexts)
{
    struct Row {
        const char* Name;
        double Lo, Hi;
        int MinTicks, DecPlaces;
        TFigType LabelType;
        QString Inscript, UserText;
        QStringList Labels;
    };
    // clang-format off
    const std::vector<Row> rows = {
        {"auto: two decimals", 0, 0.5, 3, -2, ftNum, "", "",
         {"0.00", "0.10", "0.20", "0.30", "0.40", "0.50"}},
        // Whole numbers from a span of 100 on, also where 2 - Round(ln(span) / 2.5) would be -1.
        {"auto: no decimals from a span of 100", 0, 800, 3, -2, ftNum, "", "",
         {"0", "200", "400", "600", "800"}},
        {"auto: exponential, zero over a wide range", 0, 2000000, 3, -2, ftNum, "", "",
         {"0.0", " 5.0E+05", " 1.0E+06", " 1.5E+06", " 2.0E+06"}},
        {"exact zero and signs", -1, 1, 3, -2, ftNum, "", "",
         {"-1.00", "-0.50", "0.00", "0.50", "1.00"}},
        {"zero among large steps", -40000, 40000, 2, 0, ftNum, "", "",
         {"-40000", "-20000", "0", "20000", "40000"}},
        {"exponent beyond two digits", 0, 1e200, 2, -1, ftNum, "", "",
         {"0.0", "********", "********", "********", "********", "********"}},
        {"decimals 0 leave fractions unlabelled", 0, 1, 3, 0, ftNum, "", "",
         {"0", "", "", "", "", "1"}},
        {"cut to 14 characters", 12345678, 12345679, 2, 6, ftNum, "", "",
         {"12345678.00000", "12345678.20000", "12345678.40000", "12345678.60000", "12345678.80000", "12345679.00000"}},
        {"inscript around the label", 0, 50, 2, 0, ftNum, "&%", "", {"0%", "20%", "40%"}},
        {"inscript in front", 0, 50, 2, 0, ftNum, "$", "", {"$0", "$20", "$40"}},
        {"unit after the label", 0, 50, 2, 0, ftNum, "& m", "", {"0 m", "20 m", "40 m"}},
        {"user texts repeat the last", 0, 4, 3, -2, ftUserText, "&%", "Jan|Feb|Mar",
         {"Jan", "Feb", "Mar", "Mar", "Mar"}},
        {"user texts with a trailing bar", 0, 4, 3, -2, ftUserText, "", "A|B|",
         {"A", "B", "B", "B", "B"}},
        {"no figures", 0, 100, 3, -2, ftNoFigs, "", "", {}},
    };
    // clang-format on
    for (const Row& r : rows) {
        SCOPED_TRACE(r.Name);
        TickedScale s;
        s.SetRange(r.Lo, r.Hi);
        s.SetMinTicks(r.MinTicks);
        s.SetDecPlaces(r.DecPlaces);
        s.SetLabelType(r.LabelType);
        s.SetScaleInscript(r.Inscript);
        s.SetUserTickText(r.UserText);
        EXPECT_EQ(Render(s).Labels, r.Labels);
    }
}

TEST(ScaleLabels, PureHelpers)
{
    EXPECT_EQ(AutoDecPlaces(-2, 0, 10), 1);
    EXPECT_EQ(AutoDecPlaces(-2, 0, 1), 2);
    EXPECT_EQ(AutoDecPlaces(-3, 0, 0.01), 4);
    EXPECT_EQ(AutoDecPlaces(-2, 0, 100), 0);
    EXPECT_EQ(AutoDecPlaces(-2, 0, 0.0001), -1);
    EXPECT_EQ(AutoDecPlaces(3, 0, 2000000), 3);
    EXPECT_EQ(AutoDecPlacesLog(-2, 100, 0.01), 3);
    EXPECT_EQ(AutoDecPlacesLog(-2, 0.01, 100), 3); // ends in either order
    EXPECT_EQ(AutoDecPlacesLog(-2, 1000, 1), 0);
    EXPECT_EQ(AutoDecPlacesLog(-2, 1e7, 1), -1);
    EXPECT_EQ(FormatNumber(1234, -1), " 1.2E+03");
    // A negative value that rounds to zero is written as zero, without a minus sign.
    EXPECT_EQ(FormatNumber(-0.001, 2), "0.00");
    EXPECT_EQ(FormatNumber(-0.4, 0), "0");
    EXPECT_EQ(FormatNumber(-0.5, 0), "0");
    EXPECT_EQ(FormatNumber(-0.006, 2), "-0.01");
    EXPECT_EQ(UserTickItem("a|b", 0), "");
    EXPECT_EQ(UserTickItem("", 1), "");
    EXPECT_EQ(ApplyInscript("", "$"), "");
    EXPECT_EQ(FormatTimeSpan(59.9996, false), " 00:01:00");
    EXPECT_EQ(FormatTimeSpan(-90061.25, true), "-25:01:01.250");
    EXPECT_EQ(FormatTimeSpan(360000, false), " 100:00:00");
    // Milliseconds round the exact value: 0.0045 is a little below 4.5 ms, whatever its
    // product with 1000 rounds to; exact ties go to even.
    EXPECT_EQ(FormatTimeSpan(0.0045, true), " 00:00:00.004");
    EXPECT_EQ(FormatTimeSpan(-0.0045, true), "-00:00:00.004");
    EXPECT_EQ(FormatTimeSpan(0.0625, true), " 00:00:00.062");
    EXPECT_EQ(FormatTimeSpan(0.0635, true), " 00:00:00.064"); // a little above the tie
}

TEST(ScaleTicks, TimeSpans)
{
    struct Row {
        const char* Name;
        double Lo, Hi;
        int MinTicks;
        bool ShortTicks;
        QStringList Labels;
        std::vector<double> FirstTicks;
        std::size_t NumTicks;
    };
    // clang-format off
    const std::vector<Row> rows = {
        {"half hours with six parts", 0, 7200, 3, true,
         {" 00:00:00", " 00:30:00", " 01:00:00", " 01:30:00", " 02:00:00"}, {0, 300, 600}, 25 + 5},
        {"below a second: milliseconds", 0, 1.5, 3, false,
         {" 00:00:00.000", " 00:00:00.500", " 00:00:01.000", " 00:00:01.500"}, {0, 0.5}, 4},
        // The start is the multiple of the step below RangeLow, also for negative values.
        {"negative range", -3500, 0, 3, true,
         {"-00:50:00", "-00:40:00", "-00:30:00", "-00:20:00", "-00:10:00", " 00:00:00"},
         {-3480, -3360}, 30 + 6},
        // Both ends of a reversed range are inside the window, as they are unreversed.
        {"reversed range", 7200, 0, 3, false,
         {" 02:00:00", " 01:30:00", " 01:00:00", " 00:30:00", " 00:00:00"}, {7200, 5400}, 5},
        {"a day or more per tick: numbers", 0, 400000, 3, false,
         {"0.0", "100000.0000", "200000.0000", "300000.0000", "400000.0000"}, {0}, 5},
    };
    // clang-format on
    for (const Row& r : rows) {
        SCOPED_TRACE(r.Name);
        TickedScale s;
        s.SetRange(r.Lo, r.Hi);
        s.SetMinTicks(r.MinTicks);
        s.SetShortTicks(r.ShortTicks);
        s.SetLabelType(ftTime);
        EXPECT_EQ(s.DecPlaces(), 4);
        const Rendering p = Render(s);
        EXPECT_EQ(p.Labels, r.Labels);
        ExpectValues(Head(p.Ticks, r.FirstTicks.size()), r.FirstTicks, "first ticks");
        EXPECT_EQ(p.Ticks.size(), r.NumTicks);
    }
}

TEST(ScaleTicks, CalendarLevelsFromHundredthsToYears)
{
    struct Row {
        const char* Name;
        double Lo, Hi;
        int MinTicks;
        bool ShortTicks;
        QStringList Labels;
    };
    const double noon = Day(2024, 1, 1, 12);
    // clang-format off
    const std::vector<Row> rows = {
        {"hundredths", noon, noon + 1.6 / 86400, 3, false,
         {"12:00:00.00", "01-Jan-2024", "12:00:00.500", "12:00:01.00", "12:00:01.500"}},
        {"seconds", noon, noon + 65 / 86400.0, 3, false,
         {"12:00:00", "01-Jan-2024", "12:00:20", "12:00:40", "12:01:00"}},
        {"minutes", noon, Day(2024, 1, 1, 13, 5), 3, true,
         {"12:00", "01-Jan-2024", "12:20", "12:40", "13:00"}},
        {"hours, a date per day", Day(2024, 1, 1), Day(2024, 1, 2, 1), 3, true,
         {"00:00", "01-Jan-2024", "08:00", "16:00", "00:00", "02-Jan-2024"}},
        // A whole negative day starts with its own midnight, not with the next day.
        {"hours before day zero", -2.0, -0.95, 3, false,
         {"00:00", "28-Dec-1899", "08:00", "16:00", "00:00", "29-Dec-1899"}},
        {"days", Day(2024, 1, 1), Day(2024, 1, 15), 3, true,
         {"01-Jan-2024", "04-Jan-2024", "07-Jan-2024", "10-Jan-2024", "13-Jan-2024"}},
        {"months", Day(2024, 1, 1), Day(2024, 12, 31), 3, true,
         {"Jan-2024", "Apr-2024", "Jul-2024", "Oct-2024"}},
        // Without short ticks the quarter that holds the range's start is labelled too.
        {"months without short ticks", Day(2024, 1, 1), Day(2024, 12, 31), 3, false,
         {"Jan-2024", "Apr-2024", "Jul-2024", "Oct-2024"}},
        {"months from mid-month", Day(2024, 2, 10), Day(2024, 8, 1), 2, false,
         {"Mar-2024", "May-2024", "Jul-2024"}},
        {"years", Day(2000, 1, 1), Day(2050, 1, 1), 3, true,
         {"2000", "2010", "2020", "2030", "2040", "2050"}},
        {"years from after New Year", Day(2000, 6, 1), Day(2050, 1, 1), 3, false,
         {"2010", "2020", "2030", "2040", "2050"}},
    };
    // clang-format on
    for (const Row& r : rows) {
        SCOPED_TRACE(r.Name);
        TickedScale s;
        s.SetLabelType(ftDateTime);
        s.SetRange(r.Lo, r.Hi);
        s.SetMinTicks(r.MinTicks);
        s.SetShortTicks(r.ShortTicks);
        EXPECT_EQ(Render(s).Labels, r.Labels);
    }
}

TEST(ScaleTicks, CalendarShortTicksFallBetweenLabels)
{
    TickedScale s;
    s.SetLabelType(ftDateTime);
    s.SetRange(Day(2000, 1, 1), Day(2050, 1, 1));
    const Rendering p = Render(s);
    // Labelled every ten years, short ticks at the fives in between.
    ExpectValues(p.Ticks,
                 {Day(2000, 1, 1), Day(2005, 1, 1), Day(2010, 1, 1), Day(2015, 1, 1),
                  Day(2020, 1, 1), Day(2025, 1, 1), Day(2030, 1, 1), Day(2035, 1, 1),
                  Day(2040, 1, 1), Day(2045, 1, 1), Day(2050, 1, 1)},
                 "years");
    EXPECT_EQ(p.Labels.size(), 6);
}

TEST(ScaleTicks, CalendarFormatsFollowDateFormat)
{
    struct Row {
        const char* Name;
        TTimeFormat Time;
        TDateOrder Order;
        TYearLength Year;
        bool MonthName;
        TDateForTime DateForTime;
        double Lo, Hi;
        QStringList Labels;
    };
    // clang-format off
    const std::vector<Row> rows = {
        {"hours with h", tfHHhMM, doDDMMYY, ylYYYY, true, dtNone, Day(2024, 1, 1),
         Day(2024, 1, 2, 1), {"0h", "8h", "16h", "0h"}},
        {"minutes, twelve-hour clock", tfAMPM, doDDMMYY, ylYYYY, true, dtNone, Day(2024, 1, 1, 12),
         Day(2024, 1, 1, 13, 5), {"12:00pm", "12:20pm", "12:40pm", "1:00pm"}},
        {"seconds, twelve-hour clock", tfAMPM, doDDMMYY, ylYYYY, true, dtNone, Day(2024, 1, 1, 0),
         Day(2024, 1, 1, 0, 1, 5), {"12:00.00am", "12:00.20am", "12:00.40am", "12:01.00am"}},
        {"date on every tick", tfHHMMSS, doMMDDYY, ylNone, true, dtAllTicks, Day(2024, 1, 1),
         Day(2024, 1, 2, 1),
         {"00:00", "Jan-01", "08:00", "Jan-01", "16:00", "Jan-01", "00:00", "Jan-02"}},
        {"date once per chart", tfHHMMSS, doYYMMDD, ylYY, false, dtOnePerChart, Day(2024, 1, 1),
         Day(2024, 1, 2, 1), {"00:00", "24-01-01", "08:00", "16:00", "00:00"}},
        {"days, year first", tfHHMMSS, doYYMMDD, ylYY, false, dtNone, Day(2024, 1, 1),
         Day(2024, 1, 7), {"24-01-01", "24-01-03", "24-01-05", "24-01-07"}},
        {"days without year keep separators", tfHHMMSS, doMMDDYY, ylNone, true, dtNone,
         Day(2024, 1, 1), Day(2024, 1, 7), {"Jan-01-", "Jan-03-", "Jan-05-", "Jan-07-"}},
        {"months, year first", tfHHMMSS, doYYMMDD, ylYYYY, true, dtNone, Day(2024, 1, 1),
         Day(2024, 12, 31), {"2024-Jan", "2024-Apr", "2024-Jul", "2024-Oct"}},
        {"years, two digits", tfHHMMSS, doDDMMYY, ylYY, true, dtNone, Day(1990, 1, 1),
         Day(2010, 1, 1), {"90", "95", "00", "05", "10"}},
        {"years without leading zeros", tfHHMMSS, doDDMMYY, ylYYYY, true, dtNone, Day(1, 1, 1),
         Day(301, 1, 1), {"50", "100", "150", "200", "250", "300"}},
    };
    // clang-format on
    for (const Row& r : rows) {
        SCOPED_TRACE(r.Name);
        TickedScale s;
        s.SetLabelType(ftDateTime);
        s.DateFormat()->SetTimeFormat(r.Time);
        s.DateFormat()->SetDateOrder(r.Order);
        s.DateFormat()->SetYearLength(r.Year);
        s.DateFormat()->SetMonthName(r.MonthName);
        s.DateFormat()->SetDateForTime(r.DateForTime);
        s.SetRange(r.Lo, r.Hi);
        s.SetShortTicks(false);
        EXPECT_EQ(Render(s).Labels, r.Labels);
    }
}

TEST(ScaleTicks, UnusableCalendarRangesShowNoticesAndTheWalkEndsWithTheCalendar)
{
    struct Row {
        const char* Name;
        double Lo, Hi;
        bool Ticks;
    };
    // clang-format off
    const std::vector<Row> rows = {
        {"reversed", Day(2024, 12, 31), Day(2024, 1, 1), false},
        {"before year 1", -700000, 0, false},
        {"too far", 0, 3000001, false},
        {"below a hundredth per tick", Day(2024, 1, 1), Day(2024, 1, 1, 0, 0, 0.02), false},
        // The year after 9999 cannot be encoded; ticks stop there.
        {"up to the calendar's end", Day(9000, 1, 1), 2990000, true},
        {"days near the calendar's end", Day(9999, 12, 20), 2958470, true},
    };
    // clang-format on
    for (const Row& r : rows) {
        SCOPED_TRACE(r.Name);
        TickedScale s;
        s.SetLabelType(ftDateTime);
        s.SetRange(r.Lo, r.Hi);
        const Rendering p = Render(s);
        if (!r.Ticks) {
            EXPECT_EQ(s.NumTicks(), 0);
            continue;
        }
        ASSERT_GT(p.Labels.size(), 0);
        EXPECT_LT(p.Ticks.back(), EndOfCalendarDay);
    }
}

TEST(ScaleTicks, LabelsCoverTheWholeRangeWithinTheTickBoundAndTheCalendar)
{
    struct Row {
        const char* Name;
        double Lo, Hi;
        int MinTicks;
        TFigType LabelType;
        double FirstLabel, LastLabel;
        qsizetype Labels; // long ticks; calendar rows also carry one date line
    };
    // clang-format off
    const std::vector<Row> rows = {
        // A million unit steps: the bound must not be spent on short ticks below 10000.
        {"unit steps over a million", 0, 1e6, 0, ftNum, 0, 1e6, 1001},
        {"span beyond the largest double", -1.7e308, 1.7e308, 3, ftNum, -1e308, 1e308, 3},
        // Far from zero a tolerance relative to the values would outgrow the 0.2 s step.
        {"time span far from zero", 1.7e9, 1.7e9 + 1, 5, ftTime, 1.7e9, 1.7e9 + 1, 6},
        // Hours up to the calendar's end: midnight after 9999-12-31 has no date to write.
        {"hours at the calendar's end", 2958465.5, 2958466.5, 3, ftDateTime,
         Day(9999, 12, 31, 16), Day(9999, 12, 31, 16), 2},
    };
    // clang-format on
    for (const Row& r : rows) {
        SCOPED_TRACE(r.Name);
        TickedScale s;
        s.SetRange(r.Lo, r.Hi);
        s.SetMinTicks(r.MinTicks);
        s.SetLabelType(r.LabelType);
        s.SetShortTicks(true);
        const Rendering p = Render(s);
        EXPECT_LE(p.DrawnTicks, MaxTicksPerRendering);
        EXPECT_EQ(p.Labels.size(), r.Labels);
        if (p.Labels.isEmpty()) continue;
        EXPECT_DOUBLE_EQ(p.LabelValues.front(), r.FirstLabel);
        EXPECT_DOUBLE_EQ(p.LabelValues.back(), r.LastLabel);
        for (const QString& label : p.Labels) {
            EXPECT_FALSE(label.contains(QLatin1String("NaN"))) << label.toStdString();
            EXPECT_FALSE(label.contains(QLatin1String("10000"))) << label.toStdString();
        }
    }
}
