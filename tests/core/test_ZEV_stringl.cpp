#include "ZEV_stringl.h"

#include <gtest/gtest.h>

#include <QLocale>
#include <clocale>
#include <cmath>
#include <limits>
#include <string>

namespace {
struct FormatCase {
    int Width, Decimals;
    long double Value;
    const char* Expected;
};

const FormatCase FormatCases[] = {
    // fixed point, right-aligned, never cut
    {1, 0, 1.0L, "1"},
    {1, 0, 2.0L, "2"},
    {5, 2, 3.14159L, " 3.14"},
    {2, 2, 3.14159L, "3.14"},
    {8, 3, -2.5L, "  -2.500"},
    {3, 1, -0.0L, "0.0"},
    // ties in the last digit go to even
    {1, 0, 0.5L, "0"},
    {1, 0, 1.5L, "2"},
    {1, 0, 2.5L, "2"},
    {1, 0, -2.5L, "-2"},
    {1, 2, 0.125L, "0.12"},
    {1, 2, 0.375L, "0.38"},
    // zero padding keeps the minus sign in front
    {-5, 2, 3.14159L, "03.14"},
    {-6, 2, -1.5L, "-01.50"},
    {-5, 2, -1.5L, "-1.50"},
    {-3, 0, 7.0L, "007"},
    // two-digit exponent in |Width| characters
    {10, -2, 12345.0L, " 1.234E+04"},
    {9, -2, -0.00012345L, "-1.23E-04"},
    {8, -2, 0.0L, " 0.0E+00"},
    {4, -2, 5.0L, " 5.0E+00"}, // at least one decimal, longer than the field
    {10, -2, 1e150L, "**********"},
    {10, -2, 1e-100L, "**********"},
    {10, -2, 9.99999e99L, "**********"}, // rounds up into a three-digit exponent
    {-10, -2, 12345.0L, "01.234E+04"},
    // four-digit exponent
    {12, -1, 12345.0L, " 1.234E+0004"},
    {10, -3, -1e150L, "-1.0E+0150"},
    {13, -1, 1e-4000L, " 1.0000E-4000"},
};
} // namespace

TEST(FormatNum, WidthDecimalsAndRounding)
{
    for (const FormatCase& c : FormatCases)
        EXPECT_EQ(FormatNum(c.Width, c.Decimals, c.Value), QString::fromLatin1(c.Expected))
            << "Width " << c.Width << ", Decimals " << c.Decimals << ", value " << double(c.Value);
}

TEST(FormatNum, StaysBoundedAndSafeOnExtremeArguments)
{
    // INT_MIN has no positive counterpart; absurd widths and decimals are capped.
    EXPECT_LE(FormatNum(std::numeric_limits<int>::min(), 0, 1.0L).size(), 255);
    EXPECT_LE(FormatNum(std::numeric_limits<int>::max(), 0, 1.0L).size(), 255);
    EXPECT_EQ(FormatNum(1, std::numeric_limits<int>::max(), 1.0L).size(), 2 + 255);
    EXPECT_EQ(FormatNum(1, std::numeric_limits<int>::min(), 1.0L), " 1.0E+0000");
    EXPECT_EQ(FormatNum(30, -1, 1.0L), "    1.000000000000000000E+0000");
    EXPECT_EQ(FormatNum(1, 0, std::numeric_limits<long double>::max()).size(), 4933);
    EXPECT_EQ(FormatNum(5, 2, std::nanl("")), "  NaN");
    EXPECT_EQ(FormatNum(5, -2, -HUGE_VALL), " -Inf");
}

TEST(FormatNum, IgnoresTheUserLocale)
{
    const QLocale saved;
    const std::string savedC = std::setlocale(LC_ALL, nullptr);
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    std::setlocale(LC_ALL, "de_DE.UTF-8");
    EXPECT_EQ(FormatNum(1, 1, 1234.5L), "1234.5");
    EXPECT_EQ(FormatNum(9, -2, 0.5L), " 5.00E-01");
    std::setlocale(LC_ALL, savedC.c_str());
    QLocale::setDefault(saved);
}

TEST(SplitString, PartsBetweenSeparators)
{
    struct {
        const char *S, *Separator;
        QStringList Expected;
    } cases[] = {
        {"a;b;;c", ";", {"a", "b", "", "c"}},
        {"", ";", {""}},
        {";", ";", {"", ""}},
        {"abc", ";", {"abc"}},
        {"x<>y<><>z", "<>", {"x", "y", "", "z"}},
        {"a;b", "", {"a;b"}},
    };
    for (const auto& c : cases) {
        QStringList parts{"stale"};
        EXPECT_EQ(SplitString(c.S, c.Separator, parts), c.Expected.size()) << c.S;
        EXPECT_EQ(parts, c.Expected) << c.S;
    }
}

TEST(SplitString, ThousandthPartHoldsTheRestUnsplit)
{
    QString s;
    for (int i = 0; i < 1005; ++i) s += QString::number(i) + u',';
    QStringList parts;
    ASSERT_EQ(SplitString(s, ",", parts), 1000);
    EXPECT_EQ(parts[998], "998");
    EXPECT_EQ(parts[999], "999,1000,1001,1002,1003,1004,");

    QString exact = QString(",").repeated(998);
    EXPECT_EQ(SplitString(exact, ",", parts), 999);
}

TEST(StringCleaning, TrimStripReplace)
{
    struct {
        QString In, Expected;
    } trims[] = {{" ", ""}, {"", ""}, {"   ", ""}, {"  a b  ", "a b"}, {"\ta ", "\ta"}, {"x", "x"}};
    for (const auto& c : trims) EXPECT_EQ(TrimBlanks(c.In), c.Expected) << c.In.toStdString();

    EXPECT_EQ(StripControlChars(QString("a\tb\r\nc") + QChar(0) + QChar(31) + " d" + QChar(127)),
              QString("abc d") + QChar(127));
    EXPECT_EQ(ReplaceChar("a_b_c", u'_', u' '), "a b c");
}

TEST(StringCleaning, LeftOnCharBoundaryNeverSplitsACharacter)
{
    const QString smiley = QString::fromUtf8("\xf0\x9f\x98\x80"); // two UTF-16 units
    const QString eAcute = QString::fromUtf8("e\xcc\x81");        // e and a combining accent
    struct {
        QString In;
        int Max;
        QString Expected;
    } rows[] = {
        {"abcdef", 3, "abc"},
        {"abc", 3, "abc"},
        {"abc", 0, ""},
        {"ab" + smiley, 3, "ab"},
        {"ab" + smiley + "c", 4, "ab" + smiley},
        {"ab" + eAcute, 3, "ab"},
        {"ab" + eAcute + "x", 4, "ab" + eAcute},
    };
    for (const auto& r : rows)
        EXPECT_EQ(LeftOnCharBoundary(r.In, r.Max), r.Expected) << r.In.toStdString() << r.Max;
    // A null string stays null (it stands for a default name), an empty one stays empty.
    EXPECT_TRUE(LeftOnCharBoundary(QString(), 5).isNull());
    EXPECT_FALSE(LeftOnCharBoundary(QString(""), 5).isNull());
}

TEST(IsIntegerString, SignsAndDigits)
{
    struct {
        const char* S;
        bool Expected;
    } cases[] = {{"7", true},   {"+0", true},  {"-12", true},  {"0042", true}, {"x", false},
                 {"+", false},  {"-", false},  {"", false},    {"1.0", false}, {" 1", false},
                 {"1 ", false}, {"1-", false}, {"--1", false}, {"+-1", false}};
    for (const auto& c : cases) EXPECT_EQ(IsIntegerString(c.S), c.Expected) << c.S;
    EXPECT_FALSE(IsIntegerString(QString::fromUtf8("\u0663"))); // a non-ASCII digit
}

TEST(Rounding, FloorAndCeil)
{
    struct {
        double Value;
        std::int64_t Down, Up;
    } cases[] = {
        {2.5, 2, 3},
        {-2.5, -3, -2},
        {3.0, 3, 3},
        {-0.0, 0, 0},
        {-1e-300, -1, 0},
        {45000.75, 45000, 45001},
        {1e300, std::numeric_limits<std::int64_t>::max(), std::numeric_limits<std::int64_t>::max()},
        {-1e300, std::numeric_limits<std::int64_t>::min(),
         std::numeric_limits<std::int64_t>::min()},
        {std::nan(""), 0, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(Floor(c.Value), c.Down) << c.Value;
        EXPECT_EQ(Ceil(c.Value), c.Up) << c.Value;
    }
}
