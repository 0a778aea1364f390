#include "analysis.h"

#include "Random.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

namespace {

// A plain in-memory data set; optionally rounds the reads of one column, as a window does for
// category columns.
class TPlainTable : public TAnalysisDataSet {
  public:
    int RoundedColumn = 0;

    int NrOfColumns() const override { return FCells.NrOfColumns(); }
    void SetNrOfColumns(int Value) override { FCells.SetNrOfColumns(Value); }
    int NrOfRows() const override { return FCells.NrOfRows(); }
    void SetNrOfRows(int Value) override
    {
        FCells.SetNrOfRows(Value);
        FAttrib.resize(static_cast<std::size_t>(FCells.NrOfRows()), 0);
    }
    const TMatrix& DataMat() const override { return FCells; }
    double Elem(int Col, int Row) const override
    {
        const double v = FCells.Elem(Col, Row);
        return Col == RoundedColumn ? std::nearbyint(v) : v;
    }
    void SetElem(int Col, int Row, double Value) override { FCells.SetElem(Col, Row, Value); }
    int RowAttrib(int Row) const override
    {
        return Row >= 1 && Row <= NrOfRows() ? FAttrib[static_cast<std::size_t>(Row - 1)] : 0;
    }
    void SetRowAttrib(int Row, int Value) override
    {
        if (Row >= 1 && Row <= NrOfRows()) FAttrib[static_cast<std::size_t>(Row - 1)] = Value;
    }
    void Resize(int Cols, int Rows)
    {
        SetNrOfColumns(Cols);
        SetNrOfRows(Rows);
    }

  private:
    TMatrix FCells;
    std::vector<int> FAttrib = std::vector<int>(1, 0);
};

// Scores recomputed from the stored loadings with column statistics taken independently.
void ExpectScores(const TPlainTable& t, int scaling, const TPCAPoints& p)
{
    const int cols = t.NrOfColumns(), rows = t.NrOfRows();
    ASSERT_EQ(p.Scores.size(), static_cast<std::size_t>(rows));
    // Long double keeps a constant column's mean exact, so its deviations are exactly 0.
    std::vector<double> mean(cols, 0.0), sd(cols, 1.0);
    for (int i = 0; i < cols; ++i) {
        if (scaling == 0) continue;
        long double s = 0;
        for (int r = 1; r <= rows; ++r) s += t.DataMat().Elem(i + 1, r);
        const long double m = s / rows;
        mean[i] = static_cast<double>(m);
        if (scaling == 2 && rows >= 3) {
            long double q = 0;
            for (int r = 1; r <= rows; ++r)
                q += (t.DataMat().Elem(i + 1, r) - m) * (t.DataMat().Elem(i + 1, r) - m);
            sd[i] = static_cast<double>(std::sqrt(q / (rows - 1)));
        }
    }
    for (int r = 1; r <= rows; ++r) {
        double s1 = 0, s2 = 0;
        for (int i = 0; i < cols; ++i) {
            if (sd[i] == 0) continue;
            s1 += EigVecElem(1, i + 1) * (t.Elem(i + 1, r) - mean[i]) / sd[i];
            s2 += EigVecElem(2, i + 1) * (t.Elem(i + 1, r) - mean[i]) / sd[i];
        }
        EXPECT_NEAR(p.Scores[r - 1].X, s1, 1e-9 * (1 + std::fabs(s1))) << "row " << r;
        EXPECT_NEAR(p.Scores[r - 1].Y, s2, 1e-9 * (1 + std::fabs(s2))) << "row " << r;
    }
}

} // namespace

TEST(Analysis, ClassColors)
{
    const struct {
        int cls;
        TColor color;
    } rows[] = {{-5, 0}, {0, 0},     {1, 16711680},  {2, 255},     {3, 32768},
                {4, 0},  {7, 32768}, {17, 16711680}, {255, 32768}, {1000, 0}};
    for (const auto& r : rows) EXPECT_EQ(ClassColor(r.cls), r.color) << r.cls;
    EXPECT_EQ(ClassColor(1), clBlue);
    EXPECT_EQ(ClassColor(2), clRed);
    EXPECT_EQ(ClassColor(3), clGreen);
}

TEST(Analysis, StartUpIsRepeatableAndDrawsAPermutation)
{
    TPlainTable a, b;
    AnalysisStartUp();
    EXPECT_EQ(EigVecCount(), 0);
    std::set<int> entries(ShuffleTable().begin(), ShuffleTable().end());
    EXPECT_EQ(entries.size(), 255u);
    EXPECT_EQ(*entries.rbegin(), 254);
    NewData(a);
    NewData(b);
    AnalysisStartUp();
    TPlainTable again;
    NewData(again);
    // A second New Data continues the sequence; a new start begins it again.
    EXPECT_NE(a.Elem(1, 1), b.Elem(1, 1));
    for (int c = 1; c <= 5; ++c)
        for (int r = 1; r <= 150; ++r) ASSERT_EQ(again.Elem(c, r), a.Elem(c, r));
}

TEST(Analysis, NewDataRewritesEverythingInDrawOrder)
{
    TPlainTable t;
    t.Resize(8, 300);
    for (int c = 1; c <= 8; ++c)
        for (int r = 1; r <= 300; ++r) t.SetElem(c, r, 1e6);
    t.RoundedColumn = 2; // its rounded read-back feeds column 3
    RandSeed(99);
    NewData(t);
    ASSERT_EQ(t.NrOfColumns(), 5);
    ASSERT_EQ(t.NrOfRows(), 150);

    RandSeed(99);
    for (int i = 1; i <= 150; ++i) {
        double previous = 0;
        for (int j = 1; j <= 5; ++j) {
            const double u1 = Random();
            double b = u1 * u1 + (i % 3) * (j % 2);
            if (j == 2) b = std::nearbyint(b);
            const double u2 = Random();
            const double want = 3 * previous + b + 0.1 * u2;
            ASSERT_EQ(t.DataMat().Elem(j, i), want) << j << "," << i;
            previous = j == 2 ? std::nearbyint(want) : want;
        }
        EXPECT_EQ(t.RowAttrib(i), i % 3 + 1);
    }
    EXPECT_EQ(t.RowAttrib(1), 2);
    EXPECT_EQ(t.RowAttrib(2), 3);
    EXPECT_EQ(t.RowAttrib(3), 1);
}

TEST(Analysis, PerformPCAAfterNewData)
{
    AnalysisStartUp();
    TPlainTable t;
    NewData(t);
    for (int scaling : {0, 1, 2}) {
        TVector mean, sd;
        TPCAPoints p;
        ASSERT_TRUE(PerformPCA(t, scaling, mean, sd, p)) << scaling;
        ASSERT_EQ(p.Scores.size(), 150u);
        const TColor cycle[] = {clRed, clGreen, clBlue};
        for (int r = 1; r <= 150; ++r) ASSERT_EQ(p.Scores[r - 1].Color, cycle[(r - 1) % 3]);
        ASSERT_EQ(p.Loadings.size(), 5u);
        for (int i = 1; i <= 5; ++i) {
            EXPECT_EQ(p.Loadings[i - 1].Label, QString::number(i));
            EXPECT_EQ(p.Loadings[i - 1].X, EigVecElem(1, i));
            EXPECT_EQ(p.Loadings[i - 1].Y, EigVecElem(2, i));
        }
        ASSERT_EQ(mean.NrOfElem(), 5);
        ASSERT_EQ(sd.NrOfElem(), 5);
        for (int i = 1; i <= 5; ++i) {
            double m = 0, v = 0;
            t.DataMat().MeanVar(i, 1, i, 150, m, v);
            EXPECT_EQ(mean.Elem(i), scaling == 0 ? 0.0 : m);
            EXPECT_EQ(sd.Elem(i), scaling == 2 ? std::sqrt(v) : 1.0);
        }
        ExpectScores(t, scaling, p);
        // The first component carries most of the cumulative structure.
        EXPECT_GT(EigVecElem(1, 0), EigVecElem(2, 0));
    }
}

TEST(Analysis, ConstantColumnAndTinyTablesUnderCorrelation)
{
    TPlainTable t;
    t.Resize(3, 12);
    for (int r = 1; r <= 12; ++r) {
        t.SetElem(1, r, r * r);
        t.SetElem(2, r, 0.1); // constant: excluded from the scores
        t.SetElem(3, r, std::sin(r));
        t.SetRowAttrib(r, r);
    }
    TVector mean, sd;
    TPCAPoints p;
    ASSERT_TRUE(PerformPCA(t, 2, mean, sd, p));
    EXPECT_EQ(sd.Elem(2), 0.0);
    EXPECT_EQ(p.Loadings.size(), 3u);
    ExpectScores(t, 2, p);
    EXPECT_EQ(p.Scores[15 % 12].Color, ClassColor(4));

    // Two rows: the scores divide by 1, whatever the engine's own divisors were.
    TPlainTable two;
    two.Resize(2, 2);
    two.SetElem(1, 1, 1);
    two.SetElem(1, 2, 4);
    two.SetElem(2, 1, 2);
    two.SetElem(2, 2, -1);
    ASSERT_TRUE(PerformPCA(two, 2, mean, sd, p));
    EXPECT_EQ(sd.Elem(1), 1.0);
    EXPECT_EQ(sd.Elem(2), 1.0);
    EXPECT_EQ(mean.Elem(1), 2.5);
    EXPECT_EQ(p.Scores.size(), 2u);
}

TEST(Analysis, FailureChangesNothing)
{
    AnalysisStartUp();
    TPlainTable t;
    NewData(t);
    TVector mean, sd;
    TPCAPoints p;
    ASSERT_TRUE(PerformPCA(t, 1, mean, sd, p));
    const TPCAPoints before = p;
    const double mean3 = mean.Elem(3), loading = EigVecElem(1, 2);
    int events = 0;
    mean.OnChange = sd.OnChange = [&](TObject*) { ++events; };

    // One row divides by m - 1 = 0.
    TPlainTable single;
    single.Resize(5, 1);
    for (int c = 1; c <= 5; ++c) single.SetElem(c, 1, c);
    for (int scaling : {0, 1, 2}) EXPECT_FALSE(PerformPCA(single, scaling, mean, sd, p));
    EXPECT_EQ(events, 0);
    EXPECT_EQ(mean.NrOfElem(), 5);
    EXPECT_EQ(mean.Elem(3), mean3);
    ASSERT_EQ(p.Scores.size(), before.Scores.size());
    EXPECT_EQ(p.Scores[7].X, before.Scores[7].X);
    EXPECT_EQ(p.Loadings[1].Label, before.Loadings[1].Label);
    EXPECT_EQ(EigVecElem(1, 2), loading);
    EXPECT_EQ(PCAFailureMessage, QStringLiteral("Cannot calculate principal components"));
}
