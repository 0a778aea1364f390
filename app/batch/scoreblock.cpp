#include "scoreblock.h"

#include "ZEV_matrix.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {
// Rows per block: the deviations of a block stay in the first-level cache.
constexpr int kBlockRows = 128;
} // namespace

TScoreBlocks::TScoreBlocks(const TDataTable& Table, const TPCAResult& Result, const TVector& Mean,
                           const TVector& StdDev, int Components)
    : FComponents(std::max(Components, 0))
{
    for (int i = 1; i <= Mean.NrOfElem(); ++i)
        if (StdDev.Elem(i) != 0)
            FColumns.push_back({i - 1, Table.DataMat()->ColumnData(i), Table.IsCategory(i),
                                Mean.Elem(i), StdDev.Elem(i)});
    for (int k = 1; k <= FComponents; ++k)
        for (int i = 1; i <= Mean.NrOfElem(); ++i)
            if (StdDev.Elem(i) != 0) FLoadings.push_back(Result.EigVecElem(k, i));
}

void TScoreBlocks::Compute(int First, int Count, double* Out) const
{
    std::vector<double> deviations(FColumns.size() * kBlockRows);
    for (int done = 0; done < Count; done += kBlockRows)
        ComputeBlock(First + done, std::min(kBlockRows, Count - done),
                     Out + std::size_t(done) * std::size_t(FComponents), deviations.data());
}

void TScoreBlocks::ComputeBlock(int First, int Count, double* Out, double* Deviations) const
{
    const std::size_t used = FColumns.size();
    for (std::size_t i = 0; i < used; ++i) {
        const TColumn& c = FColumns[i];
        const double* x = c.Cells + First;
        double* di = Deviations + i * kBlockRows;
        if (c.Rounded)
            for (int r = 0; r < Count; ++r) di[r] = std::nearbyint(x[r]) - c.Mean;
        else
            for (int r = 0; r < Count; ++r) di[r] = x[r] - c.Mean;
    }
    double s[kBlockRows];
    const double* loading = FLoadings.data();
    for (int k = 0; k < FComponents; ++k) {
        std::fill_n(s, Count, 0.0);
        for (std::size_t i = 0; i < used; ++i, ++loading) {
            const double l = *loading, sd = FColumns[i].StdDev;
            const double* di = Deviations + i * kBlockRows;
            // Dividing by 1 gives every bit back (NaN included): scatter and covariance, whose
            // divisors are 1, skip the slowest step.
            if (sd == 1.0)
                for (int r = 0; r < Count; ++r) s[r] += l * di[r];
            else
                for (int r = 0; r < Count; ++r) s[r] += l * di[r] / sd;
        }
        for (int r = 0; r < Count; ++r) Out[std::size_t(r) * std::size_t(FComponents) + k] = s[r];
    }
}

namespace {
// Folds the cells of a column into Lo and Hi, in four interleaved runs so that the comparisons
// need not wait for each other. The extremes are those of one run: a cell that is not a number
// passes every comparison by, and only the sign of a zero could differ, which a bound ignores.
template <typename Read> void FoldRange(int Rows, double& Lo, double& Hi, Read&& Cell)
{
    double lo[4] = {Lo, Lo, Lo, Lo}, hi[4] = {Hi, Hi, Hi, Hi};
    int r = 0;
    for (; r + 4 <= Rows; r += 4)
        for (int k = 0; k < 4; ++k) {
            const double x = Cell(r + k);
            lo[k] = std::min(lo[k], x);
            hi[k] = std::max(hi[k], x);
        }
    for (; r < Rows; ++r) {
        lo[0] = std::min(lo[0], Cell(r));
        hi[0] = std::max(hi[0], Cell(r));
    }
    Lo = std::min({lo[0], lo[1], lo[2], lo[3]});
    Hi = std::max({hi[0], hi[1], hi[2], hi[3]});
}
} // namespace

bool TScoreBlocks::BoundedFar(int Rows) const
{
    // Columns that take no part keep an empty range.
    const std::size_t width = FColumns.empty() ? 0 : std::size_t(FColumns.back().Index) + 1;
    std::vector<double> lo(width, 0.0), hi(width, 0.0);
    for (const TColumn& c : FColumns) {
        double& l = lo[std::size_t(c.Index)];
        double& h = hi[std::size_t(c.Index)];
        l = h = c.Mean;
        if (c.Rounded)
            FoldRange(Rows, l, h, [&c](int r) { return std::nearbyint(c.Cells[r]); });
        else
            FoldRange(Rows, l, h, [&c](int r) { return c.Cells[r]; });
    }
    return BoundedFar(lo, hi);
}

// A bound on every score from the largest deviation of each column.
bool TScoreBlocks::BoundedFar(const std::vector<double>& Lo, const std::vector<double>& Hi) const
{
    std::vector<double> largest(FColumns.size(), 0.0);
    for (std::size_t i = 0; i < FColumns.size(); ++i) {
        const TColumn& c = FColumns[i];
        const double lo = std::min(c.Mean, Lo[std::size_t(c.Index)]);
        const double hi = std::max(c.Mean, Hi[std::size_t(c.Index)]);
        largest[i] = std::max(hi - c.Mean, c.Mean - lo) / std::fabs(c.StdDev);
    }
    const double* loading = FLoadings.data();
    for (int k = 0; k < FComponents; ++k) {
        double bound = 0;
        for (std::size_t i = 0; i < FColumns.size(); ++i)
            bound += std::fabs(*loading++) * largest[i];
        // A quarter of the range covers the rounding of every product and sum along the way.
        if (!(bound < std::numeric_limits<double>::max() / 4)) return false;
    }
    return true;
}

bool TScoreBlocks::AllFinite(int Rows) const
{
    if (BoundedFar(Rows)) return true;
    std::vector<double> block(std::size_t(kBlockRows) * std::size_t(FComponents));
    std::vector<double> deviations(FColumns.size() * kBlockRows);
    for (int first = 0; first < Rows; first += kBlockRows) {
        const int count = std::min(kBlockRows, Rows - first);
        ComputeBlock(first, count, block.data(), deviations.data());
        const auto end = block.begin() + std::ptrdiff_t(count) * FComponents;
        if (!std::all_of(block.begin(), end, [](double v) { return std::isfinite(v); }))
            return false;
    }
    return true;
}
