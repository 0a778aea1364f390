#include "ZEV_valgrid_scan.h"

#include <QString>
#include <QStringList>
#include <bit>
#include <cmath>
#include <gtest/gtest.h>
#include <random>
#include <tuple>
#include <vector>

namespace {
struct TFound {
    int I, J;
    double V;
    friend bool operator==(const TFound&, const TFound&) = default;
};
std::ostream& operator<<(std::ostream& os, const TFound& f)
{
    return os << "(" << f.I << "," << f.J << ": " << f.V << ")";
}

std::vector<TFound> Extract(const QString& Text, TExtractExtent* Extent = nullptr)
{
    std::vector<TFound> found;
    const TExtractExtent e = ExtractNumbers(Text, [&](const TExtractRun& Run) {
        for (int k = 0; k < Run.Count; ++k)
            found.push_back({Run.First + k, Run.Line, Run.Values[k]});
    });
    if (Extent) *Extent = e;
    return found;
}
} // namespace

TEST(ValgridScan, ScanNumberFollowsTheStateTable)
{
    struct Case {
        const char* text;
        bool exponent;
        TDecimalSeparator sep;
        double value;
        qsizetype end;
    } cases[] = {
        {"1.5", true, dsEither, 1.5, 3},
        {"  -2e3x", true, dsEither, -2000, 6},
        {"+7 ", true, dsPoint, 7, 2},
        {"1,5", true, dsComma, 1.5, 3},
        {"1,5", true, dsPoint, 1, 1}, // "," is no separator here and ends the number
        {"1.5", true, dsComma, 1, 1},
        {"1..2", true, dsEither, 0, 2}, // a second separator is malformed
        {"5.", true, dsEither, 5, 2},
        {".5", true, dsEither, 0.5, 2},
        {"-.5", true, dsEither, -0.5, 3},
        {"+", true, dsEither, 0, 1},
        {"- 1", true, dsEither, 0, 1},
        {"2e3", false, dsEither, 2, 1},
        {"2.5e3", false, dsEither, 2.5, 3},
        {"1E5000", true, dsEither, 1.7e308, 6}, // read as E500, then limited
        {"-1E5000", true, dsEither, -1.7e308, 7},
        {"1e-5000", true, dsEither, 0, 7},
        {"1.7976931348623157e308", true, dsEither, 1.7e308, 22},
        {"1E0000005", true, dsEither, 1e5, 9},
        {"1e+2.5", true, dsEither, 100, 4}, // a separator ends the exponent
        {"3E", true, dsEither, 0, 2},       // no exponent digits: malformed
        {"3E+x", true, dsEither, 0, 3},
        {"12-3", true, dsEither, 12, 2},
        {"x", true, dsEither, 0, 0},
        // Both conversions: short numbers exactly, long digits and far exponents in general.
        {"1.25e-3", true, dsEither, 1.25e-3, 7},
        {"-2.5000000000000E-0030", true, dsEither, -2.5e-30, 22},
        {"2.5e+30", true, dsEither, 2.5e30, 7},
        {"0.12345678901234567", true, dsEither, 0.12345678901234567, 19},
        {"123456789012345678901234567890", true, dsEither, 1.2345678901234568e29, 30},
        {"000.000", true, dsEither, 0, 7},
        {"0.0000000000000000000000001", true, dsEither, 1e-25, 27},
        {"9007199254740993", true, dsEither, 9007199254740992.0, 16}, // ties to even
    };
    for (const Case& c : cases) {
        qsizetype pos = 0;
        const QString text = QString::fromLatin1(c.text);
        EXPECT_EQ(ScanNumber(text, c.exponent, c.sep, pos), c.value) << c.text;
        EXPECT_EQ(pos, c.end) << c.text;
    }
    // Exponent digits that would pass 4200 are dropped: E4205 reads as E420.
    const QString tiny = QStringLiteral(".") + QString(4199, QChar('0')) + QStringLiteral("1E4205");
    qsizetype pos = 0;
    EXPECT_EQ(ScanNumber(tiny, true, dsEither, pos), 0.0);
    const QString fits = QStringLiteral(".") + QString(4199, QChar('0')) + QStringLiteral("1E4200");
    pos = 0;
    EXPECT_EQ(ScanNumber(fits, true, dsEither, pos), 1.0);
}

TEST(ValgridScan, ExtractPlacesNumbersByLineAndCell)
{
    struct Case {
        const char* name;
        QString text;
        std::vector<TFound> found;
        int columns, rows;
    } cases[] = {
        {"comma and blank, then CR LF",
         QStringLiteral("1.5, 2e3\r\n-4"),
         {{0, 0, 1.5}, {1, 0, 2000}, {0, 1, -4}},
         2,
         2},
        {"LF alone ends lines", QStringLiteral("1\n2\n3"), {{0, 0, 1}, {0, 1, 2}, {0, 2, 3}}, 1, 3},
        {"CR alone ends lines", QStringLiteral("1\r2\r3"), {{0, 0, 1}, {0, 1, 2}, {0, 2, 3}}, 1, 3},
        {"a blank line keeps its row",
         QStringLiteral("1\r\n\r\n2\r\n"),
         {{0, 0, 1}, {0, 2, 2}},
         1,
         3},
        {"tabs make commas decimal points",
         QStringLiteral("1,5\t2,5\n3,5\t4"),
         {{0, 0, 1.5}, {1, 0, 2.5}, {0, 1, 3.5}, {1, 1, 4}},
         2,
         2},
        {"commas without tabs separate",
         QStringLiteral("1,2,3"),
         {{0, 0, 1}, {1, 0, 2}, {2, 0, 3}},
         3,
         1},
        {"empty and #### fields keep their cells",
         QStringLiteral(" 1.0E+0000\t####\t3\r\n\t\t4\r\n"),
         {{0, 0, 1}, {2, 0, 3}, {2, 1, 4}},
         3,
         2},
        {"a cell is one number or nothing",
         QStringLiteral("1 2\t3\tsetosa-1\tSample A7\t 5 \t1.2.3\t1E\t.\t-\t+6\r\n"),
         {{1, 0, 3}, {4, 0, 5}, {9, 0, 6}},
         10,
         1},
        {"lines before the first number are headings",
         QStringLiteral("name\tsepal length\r\n\r\nsetosa-1\t5.1\t3.5\r\n\r\nb\t4.9\t3\r\n"),
         {{1, 0, 5.1}, {2, 0, 3.5}, {1, 2, 4.9}, {2, 2, 3}},
         3,
         3},
        {"without tabs the digits inside words are read",
         QStringLiteral("Sample A7\n\n1 2\nx\n3"),
         {{0, 0, 7}, {0, 2, 1}, {1, 2, 2}, {0, 4, 3}},
         2,
         5},
        {"lines before the first number do not count without tabs",
         QStringLiteral("heading\r\n\r\n1 2\r\n"),
         {{0, 0, 1}, {1, 0, 2}},
         2,
         1},
        {"the character ending a number is not read again",
         QStringLiteral("1-2 1..2"),
         {{0, 0, 1}, {1, 0, 2}, {2, 0, 0}, {3, 0, 2}},
         4,
         1},
        {"words are skipped", QStringLiteral("x=4 kg; y=-1e1"), {{0, 0, 4}, {1, 0, -10}}, 2, 1},
        {"no numbers", QStringLiteral("abc\r\n"), {}, 0, 0},
    };
    for (const Case& c : cases) {
        TExtractExtent extent;
        EXPECT_EQ(Extract(c.text, &extent), c.found) << c.name;
        EXPECT_EQ(extent.Columns, c.columns) << c.name;
        EXPECT_EQ(extent.Rows, c.rows) << c.name;
    }
}

TEST(ValgridScan, ExtractReadsEveryNumberAsScanNumberDoes)
{
    // Short and long mantissas, points anywhere, exponents near and beyond the exact range,
    // and the full-precision form of Copy: the quick reading of plain numbers must give the
    // same bits as the state machine.
    std::mt19937_64 random(7);
    QStringList tokens;
    for (int k = 0; k < 4000; ++k) {
        QString digits = QString::number(random() % 10000000000000000000ull);
        digits.truncate(1 + int(random() % digits.size()));
        if (random() % 3 == 0) digits.prepend(QStringLiteral("000").left(int(random() % 4)));
        if (random() % 2) digits.insert(int(random() % (digits.size() + 1)), QChar('.'));
        if (random() % 3 == 0) digits.prepend(random() % 2 ? QChar('-') : QChar('+'));
        if (random() % 2)
            digits += QStringLiteral("E%1%2")
                          .arg(random() % 2 ? "-" : "+")
                          .arg(int(random() % 40), int(random() % 5), 10, QChar('0'));
        tokens << digits;
    }
    // Copy's form, with a four-digit exponent.
    std::uniform_real_distribution<double> mantissas(-10, 10);
    for (int k = 0; k < 2000; ++k) {
        QString text =
            QString::number(mantissas(random) * std::pow(10.0, int(random() % 80) - 40), 'E', 13);
        text.insert(text.size() - 2, QStringLiteral("00"));
        tokens << text;
    }
    for (double v : {1.0 / 3, -2.5e-12, 123456.789, 6.02214076e23, 5e-324, 1.7e308})
        tokens << QString::number(v, 'E', 13);
    const QString tabText = tokens.join(QChar('\t'));
    const QString blankText = tokens.join(QChar(' '));
    std::vector<double> inCells, inText;
    const auto collect = [](std::vector<double>& To) {
        return [&To](const TExtractRun& Run) {
            To.insert(To.end(), Run.Values, Run.Values + Run.Count);
        };
    };
    ExtractNumbers(tabText, collect(inCells));
    ExtractNumbers(blankText, collect(inText));
    ASSERT_EQ(inCells.size(), std::size_t(tokens.size()));
    ASSERT_EQ(inText.size(), std::size_t(tokens.size()));
    for (qsizetype k = 0; k < tokens.size(); ++k) {
        qsizetype pos = 0;
        const double cell = ScanNumber(tokens[k], true, dsEither, pos);
        pos = 0;
        const double word = ScanNumber(tokens[k], true, dsPoint, pos);
        EXPECT_EQ(std::bit_cast<std::uint64_t>(inCells[std::size_t(k)]),
                  std::bit_cast<std::uint64_t>(cell))
            << tokens[k].toStdString();
        EXPECT_EQ(std::bit_cast<std::uint64_t>(inText[std::size_t(k)]),
                  std::bit_cast<std::uint64_t>(word))
            << tokens[k].toStdString();
    }
}

TEST(ValgridScan, ValueRangeWithOneBoundLeftAtZero)
{
    struct Case {
        double value, low, high, result;
    } cases[] = {
        {12, 0, 10, 10},        {-3, 0, 10, 0},    {5, 0, 10, 5}, // a plain range
        {-1e300, 0, 0, -1e300},                                   // no range
        {3, 5, 0, 5},           {70, 5, 0, 70},                   // only a lower bound
        {-3, 0, -5, -5},        {-70, 0, -5, -70},                // only an upper bound
        {3, 10, 5, 5},          {12, 10, 5, 10},   {7, 10, 5, 7}, // reversed bounds, both set
        {-3, -10, -5, -5},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ClampToValueRange(c.value, c.low, c.high), c.result)
            << c.value << " in [" << c.low << ", " << c.high << "]";
}
