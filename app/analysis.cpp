#include "analysis.h"

#include "Random.h"

#include <algorithm>
#include <cmath>
#include <vector>

const std::array<TColor, 16> ClassPalette = {
    0, 16711680, 255, 32768, 0, 16711680, 255, 32768,
    0, 16711680, 255, 32768, 0, 16711680, 255, 32768,
};

TColor ClassColor(int ClassNumber)
{
    if (ClassNumber < 0) ClassNumber = 0;
    return ClassPalette[static_cast<std::size_t>(ClassNumber % 16)];
}

namespace {
std::array<std::uint8_t, 255>& Shuffle()
{
    static std::array<std::uint8_t, 255> table{};
    return table;
}
} // namespace

const std::array<std::uint8_t, 255>& ShuffleTable()
{
    return Shuffle();
}

void AnalysisStartUp()
{
    RandSeed(1234);
    // Each place takes the next draw below 255 that no earlier place holds.
    std::array<bool, 255> taken{};
    for (std::uint8_t& entry : Shuffle()) {
        int x = 0;
        do x = Random(255);
        while (taken[static_cast<std::size_t>(x)]);
        taken[static_cast<std::size_t>(x)] = true;
        entry = static_cast<std::uint8_t>(x);
    }
    ClearEigVecResults();
}

void NewData(TAnalysisDataSet& Data)
{
    Data.SetNrOfColumns(5);
    Data.SetNrOfRows(150);
    for (int i = 1; i <= Data.NrOfRows(); ++i) {
        for (int j = 1; j <= Data.NrOfColumns(); ++j) {
            const double u1 = Random();
            Data.SetElem(j, i, u1 * u1 + (i % 3) * (j % 2));
            // Read back through the data set: a rounding read feeds the next column.
            const double a = Data.Elem(j - 1, i);
            const double b = Data.Elem(j, i);
            const double u2 = Random();
            Data.SetElem(j, i, 3 * a + b + 0.1 * u2);
        }
        Data.SetRowAttrib(i, (i % 3) + 1);
    }
}

TPCAResult CalcComponents(const TAnalysisDataSet& Data, int Scaling, const TPCAProgress* Progress)
{
    return CalcPCA({Data.DataMat(), 1, Data.NrOfColumns(), 1, Data.NrOfRows()}, Scaling, true,
                   Progress);
}

void FillMeanStdDev(const TAnalysisDataSet& Data, int Scaling, TVector& Mean, TVector& StdDev)
{
    const int cols = Data.NrOfColumns(), rows = Data.NrOfRows();
    Mean.SetNrOfElem(cols);
    StdDev.SetNrOfElem(cols);
    std::vector<double> means(std::size_t(std::max(cols, 0)), 0.0), variances(means.size(), 1.0);
    if ((Scaling == psCovariance || Scaling == psCorrelation) && cols > 0)
        Data.DataMat().ColumnMeanVars(1, cols, 1, rows, means.data(), variances.data());
    for (int i = 1; i <= cols; ++i) {
        Mean.SetElem(i, means[std::size_t(i - 1)]);
        StdDev.SetElem(i,
                       Scaling == psCorrelation ? std::sqrt(variances[std::size_t(i - 1)]) : 1.0);
    }
}

TScoreProjector::TScoreProjector(const TPCAResult& Result, const TVector& Mean,
                                 const TVector& StdDev, int Components)
    : FComponents(std::max(Components, 0))
{
    for (int i = 1; i <= Mean.NrOfElem(); ++i)
        if (StdDev.Elem(i) != 0) FColumns.push_back({i, Mean.Elem(i), StdDev.Elem(i)});
    FLoadings.reserve(FColumns.size() * static_cast<std::size_t>(FComponents));
    for (int k = 1; k <= FComponents; ++k)
        for (const TColumn& c : FColumns) FLoadings.push_back(Result.EigVecElem(k, c.Index));
    FDev.resize(FColumns.size());
}

void TScoreProjector::Project(const TAnalysisDataSet& Data, int Row, double* Scores) const
{
    for (std::size_t i = 0; i < FColumns.size(); ++i)
        FDev[i] = Data.Elem(FColumns[i].Index, Row) - FColumns[i].Mean;
    const double* loading = FLoadings.data();
    for (int k = 0; k < FComponents; ++k) {
        double s = 0;
        // Multiply first, divide by the deviation second, then add: the window's order.
        for (std::size_t i = 0; i < FColumns.size(); ++i)
            s += *loading++ * FDev[i] / FColumns[i].StdDev;
        Scores[k] = s;
    }
}

bool AcceptComponents(const TAnalysisDataSet& Data, int Scaling, TPCAResult Result, TVector& Mean,
                      TVector& StdDev, TPCAPoints& Points)
{
    if (!Result.Ok()) return false;
    const int cols = Data.NrOfColumns(), rows = Data.NrOfRows();
    FillMeanStdDev(Data, Scaling, Mean, StdDev);
    const TScoreProjector projector(Result, Mean, StdDev, 2);
    TPCAPoints points;
    points.Scores.reserve(static_cast<std::size_t>(std::max(rows, 0)));
    for (int r = 1; r <= rows; ++r) {
        double s[2];
        projector.Project(Data, r, s);
        points.Scores.push_back(
            {s[0], s[1], ClassColor(static_cast<std::uint8_t>(Data.RowAttrib(r)))});
    }
    points.Loadings.reserve(static_cast<std::size_t>(std::max(cols, 0)));
    for (int i = 1; i <= cols; ++i)
        points.Loadings.push_back(
            {Result.EigVecElem(1, i), Result.EigVecElem(2, i), QString::number(i)});
    Points = std::move(points);
    StoreEigVecResult(std::move(Result));
    return true;
}

bool PerformPCA(const TAnalysisDataSet& Data, int Scaling, TVector& Mean, TVector& StdDev,
                TPCAPoints& Points)
{
    return AcceptComponents(Data, Scaling, CalcComponents(Data, Scaling), Mean, StdDev, Points);
}
