#include "ZEV_matrix.h"

#include "ZEV_vector.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {
struct EventLog {
    std::string text;
    void Attach(TMatrix& m)
    {
        m.OnChange = [this](TObject*) { text += 'C'; };
        m.OnResize = [this](TObject*) { text += 'R'; };
    }
};

// Cell (c, r) holds 100 c + r so that misplaced cells are easy to spot.
void FillPattern(TMatrix& m)
{
    for (int c = 1; c <= m.NrOfColumns(); ++c)
        for (int r = 1; r <= m.NrOfRows(); ++r) m.SetElem(c, r, 100.0 * c + r);
}
} // namespace

TEST(TMatrix, StartsAsOneZeroCell)
{
    TMatrix m;
    EXPECT_EQ(m.NrOfColumns(), 1);
    EXPECT_EQ(m.NrOfRows(), 1);
    EXPECT_EQ(m.Elem(1, 1), 0.0);
    EXPECT_TRUE(m.DataID().isEmpty());
}

TEST(TMatrix, ResizeKeepsCommonPartAndReportsChange)
{
    struct Row {
        int cols, rows;
        bool result;
        const char* events;
    };
    const Row rows[] = {
        {3, 4, false, ""},  // own size
        {0, 4, false, ""},  // below 1
        {3, -1, false, ""}, //
        {5, 4, true, "CR"}, // more columns
        {3, 6, true, "CR"}, // more rows
        {2, 2, true, "CR"}, // smaller both ways
        {7, 1, true, "CR"}, //
    };
    for (const Row& r : rows) {
        TMatrix m;
        m.Resize(3, 4);
        FillPattern(m);
        EventLog log;
        log.Attach(m);
        EXPECT_EQ(m.Resize(r.cols, r.rows), r.result) << r.cols << "x" << r.rows;
        EXPECT_EQ(log.text, r.events);
        const int cols = r.result ? r.cols : 3, nrows = r.result ? r.rows : 4;
        ASSERT_EQ(m.NrOfColumns(), cols);
        ASSERT_EQ(m.NrOfRows(), nrows);
        for (int c = 1; c <= cols; ++c)
            for (int row = 1; row <= nrows; ++row)
                EXPECT_EQ(m.Elem(c, row), c <= 3 && row <= 4 ? 100.0 * c + row : 0.0)
                    << c << "," << row;
    }
}

TEST(TMatrix, CountPropertiesAndShrinkGrow)
{
    TMatrix m;
    m.Resize(3, 3);
    FillPattern(m);
    EventLog log;
    log.Attach(m);
    m.SetNrOfColumns(0);
    m.SetNrOfRows(-3);
    EXPECT_EQ(log.text, "");
    EXPECT_EQ(m.NrOfColumns(), 3);
    m.SetNrOfColumns(1);
    m.SetNrOfRows(1);
    m.SetNrOfColumns(3);
    m.SetNrOfRows(3);
    EXPECT_EQ(log.text, "CRCRCRCR");
    EXPECT_EQ(m.Elem(1, 1), 101.0);
    EXPECT_EQ(m.Elem(3, 3), 0.0);
    EXPECT_EQ(m.Elem(1, 2), 0.0);
}

// A cut moves the kept cells in place; cells of the last row beyond the filled ones read 0.
TEST(TMatrix, ShrinkCutsInPlaceAndClearsTheUnfilledEndOfTheLastRow)
{
    TMatrix m;
    m.Resize(4, 5);
    FillPattern(m);
    EventLog log;
    log.Attach(m);
    m.Shrink(3, 2, 1);
    EXPECT_EQ(log.text, "CR");
    ASSERT_EQ(m.NrOfColumns(), 3);
    ASSERT_EQ(m.NrOfRows(), 2);
    const double expected[3][2] = {{101, 102}, {201, 0}, {301, 0}};
    for (int c = 1; c <= 3; ++c)
        for (int r = 1; r <= 2; ++r) EXPECT_EQ(m.Elem(c, r), expected[c - 1][r - 1]) << c << r;
    m.Shrink(9, 0, 9); // counts are clamped to what is there
    EXPECT_EQ(m.NrOfColumns(), 3);
    EXPECT_EQ(m.NrOfRows(), 1);
    EXPECT_EQ(m.Elem(3, 1), 301);
}

TEST(TMatrix, ElementAccessOutOfRangeIsSilentAndColumnsAreContiguous)
{
    TMatrix m;
    m.Resize(3, 4);
    FillPattern(m);
    EventLog log;
    log.Attach(m);
    const int bad[][2] = {{0, 1}, {1, 0}, {4, 1}, {1, 5}, {-1, -1}};
    for (const auto& b : bad) {
        m.SetElem(b[0], b[1], -7);
        EXPECT_EQ(m.Elem(b[0], b[1]), 0.0);
    }
    EXPECT_EQ(log.text, "");
    const double* col2 = m.ColumnData(2);
    ASSERT_NE(col2, nullptr);
    for (int r = 1; r <= 4; ++r) EXPECT_EQ(col2[r - 1], 200.0 + r);
    EXPECT_EQ(m.ColumnData(0), nullptr);
    EXPECT_EQ(m.ColumnData(4), nullptr);
    m.Fill(2);
    EXPECT_EQ(log.text, "C");
    EXPECT_EQ(m.Elem(3, 4), 2.0);
}

TEST(TMatrix, RangeNormalisation)
{
    struct Row {
        int lo, hi;
        bool result;
        int wantLo, wantHi;
    };
    // 5 columns / 5 rows.
    const Row cols[] = {
        {0, 0, false, 1, 5}, {2, 4, false, 2, 4}, {4, 2, false, 2, 4}, {-1, 9, true, 1, 5},
        {9, 0, true, 1, 5},  {6, 6, true, 5, 5},  {0, 3, true, 1, 3},
    };
    TMatrix m;
    m.Resize(5, 5);
    for (const Row& r : cols) {
        int lo = r.lo, hi = r.hi;
        EXPECT_EQ(m.CheckColRange(lo, hi), r.result) << r.lo << ".." << r.hi;
        EXPECT_EQ(lo, r.wantLo);
        EXPECT_EQ(hi, r.wantHi);
        lo = r.lo, hi = r.hi;
        // Rows also report an exchange of the bounds.
        const bool swapped = r.lo == 4 && r.hi == 2;
        EXPECT_EQ(m.CheckRowRange(lo, hi), r.result || swapped) << r.lo << ".." << r.hi;
        EXPECT_EQ(lo, r.wantLo);
        EXPECT_EQ(hi, r.wantHi);
    }
}

TEST(TMatrix, MeanVarOverBlocks)
{
    TMatrix m;
    m.Resize(4, 6);
    FillPattern(m);
    struct Row {
        int loCol, loRow, hiCol, hiRow;
        double mean, variance;
    };
    // Reference values by hand: the block's values are 100 c + r.
    auto blockStats = [](int c0, int r0, int c1, int r1, double& mean, double& var) {
        double s = 0, q = 0;
        int n = 0;
        for (int c = c0; c <= c1; ++c)
            for (int r = r0; r <= r1; ++r) {
                const double x = 100.0 * c + r;
                s += x;
                ++n;
                q += x * x;
            }
        mean = s / n;
        double ss = 0;
        for (int c = c0; c <= c1; ++c)
            for (int r = r0; r <= r1; ++r) ss += (100.0 * c + r - mean) * (100.0 * c + r - mean);
        var = n >= 3 ? ss / (n - 1) : 1.0;
    };
    Row rows[] = {
        {0, 0, 0, 0, 0, 0},  // whole matrix
        {3, 5, 1, 2, 0, 0},  // reversed: columns 1..3, rows 2..5
        {2, 3, 2, 3, 0, 0},  // one value: variance 1
        {2, 3, 2, 4, 0, 0},  // two values: variance 1
        {2, 3, 2, 5, 0, 0},  // three values: sample variance
        {-5, 1, 99, 1, 0, 0} // clipped
    };
    const int expect[][4] = {{1, 1, 4, 6}, {1, 2, 3, 5}, {2, 3, 2, 3},
                             {2, 3, 2, 4}, {2, 3, 2, 5}, {1, 1, 4, 1}};
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        blockStats(expect[i][0], expect[i][1], expect[i][2], expect[i][3], rows[i].mean,
                   rows[i].variance);
        double mean = -1, var = -1;
        m.MeanVar(rows[i].loCol, rows[i].loRow, rows[i].hiCol, rows[i].hiRow, mean, var);
        EXPECT_NEAR(mean, rows[i].mean, 1e-12 * std::abs(rows[i].mean)) << "row " << i;
        EXPECT_NEAR(var, rows[i].variance, 1e-9 * rows[i].variance) << "row " << i;
    }
    // Far from zero compared with the spread, and constant blocks: exact answers expected,
    // which a sum of squares less the squared sum cannot give.
    struct Exact {
        std::vector<double> values;
        double mean, variance;
    };
    const Exact exact[] = {
        {{1e8 + 1, 1e8 + 2, 1e8 + 3}, 1e8 + 2, 1},
        {{1e12 + 4, 1e12 + 8, 1e12 + 6, 1e12 + 2}, 1e12 + 5, 20.0 / 3},
        {std::vector<double>(7, 0.1), 0.1, 0},
        {std::vector<double>(5, -3e9 / 7), -3e9 / 7, 0},
    };
    for (const Exact& e : exact) {
        TMatrix c;
        c.Resize(1, static_cast<int>(e.values.size()));
        for (std::size_t r = 0; r < e.values.size(); ++r)
            c.SetElem(1, static_cast<int>(r) + 1, e.values[r]);
        double mean = 0, var = -1;
        c.MeanVar(0, 0, 0, 0, mean, var);
        EXPECT_EQ(mean, e.mean) << e.values[0];
        EXPECT_NEAR(var, e.variance, 1e-12 * (1 + e.variance)) << e.values[0];
    }
}

// Columns read four at a time give each column's MeanVar bit for bit, for every way the
// columns fall into groups and for row ranges that start and end inside the column.
TEST(TMatrix, ColumnMeanVarsAreEachColumnsMeanVar)
{
    struct Case {
        int cols, rows, loCol, hiCol, loRow, hiRow;
    } cases[] = {{1, 1, 1, 1, 1, 1},   {3, 2, 1, 3, 1, 2},      {4, 3, 1, 4, 1, 3},
                 {5, 17, 1, 5, 1, 17}, {9, 1000, 2, 9, 3, 998}, {7, 40, 1, 7, 40, 1},
                 {6, 50, 1, 6, 0, 0},  {8, 9, 3, 7, 2, 9}};
    for (const Case& k : cases) {
        TMatrix m;
        m.Resize(k.cols, k.rows);
        for (int c = 1; c <= k.cols; ++c)
            for (int r = 1; r <= k.rows; ++r)
                m.SetElem(c, r, 1e6 * c + std::sin(c * 7.0 + r) * 3.0 / (r % 5 + 1));
        std::vector<double> means(std::size_t(k.hiCol - k.loCol + 1), -1.0),
            variances(means.size(), -1.0);
        m.ColumnMeanVars(k.loCol, k.hiCol, k.loRow, k.hiRow, means.data(), variances.data());
        for (int c = k.loCol; c <= k.hiCol; ++c) {
            double mean = 0, var = 0;
            m.MeanVar(c, k.loRow, c, k.hiRow, mean, var);
            EXPECT_EQ(means[std::size_t(c - k.loCol)], mean) << k.cols << "x" << k.rows << " " << c;
            EXPECT_EQ(variances[std::size_t(c - k.loCol)], var)
                << k.cols << "x" << k.rows << " " << c;
        }
    }
}

TEST(TMatrix, ExhaustedMemoryRaisesAndKeepsContents)
{
    TMatrix m;
    m.SetName(QStringLiteral("Cells"));
    m.Resize(2, 3);
    FillPattern(m);
    EventLog log;
    log.Attach(m);
    const int sizes[][2] = {{100000, 100000000}, {2147483647, 2147483647}};
    for (const auto& s : sizes) {
        try {
            m.Resize(s[0], s[1]);
            ADD_FAILURE() << "resize to " << s[0] << "x" << s[1] << " succeeded";
        } catch (const EZEVMatrixError& e) {
            EXPECT_EQ(e.Message(),
                      QStringLiteral("Component \"Cells\": not enough memory on heap"));
        }
        EXPECT_EQ(m.NrOfColumns(), 2);
        EXPECT_EQ(m.NrOfRows(), 3);
        EXPECT_EQ(m.Elem(2, 3), 203.0);
    }
    EXPECT_EQ(log.text, "");
}

TEST(TMatrix, AssignCopiesEverythingWithoutEvents)
{
    TMatrix a, b;
    a.Resize(2, 3);
    FillPattern(a);
    a.SetDataID(QStringLiteral("iris"));
    int fired = 0;
    a.OnChange = [&](TObject*) { ++fired; };
    a.OnPercentDone = [](TObject*, int) {};
    a.OnCalcDistance = [](TObject*, int, int, double&) {};
    fired = 0;
    b.Assign(&a);
    EXPECT_EQ(fired, 0);
    EXPECT_EQ(b.NrOfColumns(), 2);
    EXPECT_EQ(b.NrOfRows(), 3);
    EXPECT_EQ(b.Elem(2, 3), 203.0);
    EXPECT_EQ(b.DataID(), QStringLiteral("iris"));
    EXPECT_TRUE(b.OnPercentDone);
    EXPECT_TRUE(b.OnCalcDistance);
    b.SetElem(1, 1, 0);
    EXPECT_EQ(fired, 1);
    EXPECT_EQ(a.Elem(1, 1), 101.0) << "cells are copied, not shared";
}
