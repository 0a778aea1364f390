#include "ZEV_math2_crossprod.h"

#include "ZEV_math2_kernels.h"

#include <gtest/gtest.h>

#include <atomic>
#include <bit>
#include <chrono>
#include <random>
#include <vector>

namespace {

// Columns of Rows values far from zero, so that any change in the order of additions shows in
// the last bits.
TMatrix Data(int Cols, int Rows, std::uint64_t Seed)
{
    std::mt19937_64 gen(Seed);
    std::uniform_real_distribution<double> u(0.0, 1000.0);
    TMatrix d;
    d.Resize(Cols, Rows);
    for (int c = 1; c <= Cols; ++c)
        for (int r = 1; r <= Rows; ++r) d.SetElem(c, r, u(gen) + 1e5 * c);
    return d;
}

// Feeds every column of D to Feed(Cols, Count) in chunks whose sizes cycle through Sizes.
template <class F> void InChunks(const TMatrix& D, const std::vector<int>& Sizes, F&& Feed)
{
    const int rows = D.NrOfRows();
    std::vector<const double*> cols(std::size_t(D.NrOfColumns()));
    std::size_t k = 0;
    for (int first = 0; first < rows; ++k) {
        const int count = std::min(Sizes[k % Sizes.size()], rows - first);
        for (int c = 0; c < D.NrOfColumns(); ++c)
            cols[std::size_t(c)] = D.ColumnData(c + 1) + first;
        Feed(cols.data(), count);
        first += count;
    }
}

const std::vector<std::vector<int>> kChunkings = {{1000000},   {256},  {1},
                                                  {7, 1, 300}, {8, 3}, {511, 257, 2}};

TEST(ShiftedSums, EqualTheKernelWhateverTheChunks)
{
    for (int rows : {1, 7, 8, 9, 255, 1001, 4099}) {
        const TMatrix d = Data(3, rows, std::uint64_t(rows));
        for (const std::vector<int>& sizes : kChunkings) {
            TShiftedSums sums({d.Elem(1, 1), d.Elem(2, 1), 17.5});
            InChunks(d, sizes,
                     [&](const double* const* Cols, int Count) { sums.Add(Cols, Count); });
            EXPECT_EQ(sums.Count(), rows);
            for (int c = 0; c < 3; ++c)
                EXPECT_EQ(std::bit_cast<std::uint64_t>(sums.Sum(c)),
                          std::bit_cast<std::uint64_t>(Math2Kernels::Kernels().SumShifted(
                              d.ColumnData(c + 1), rows, sums.Shift(c))))
                    << rows << " rows, column " << c << ", chunks of " << sizes.front();
        }
    }
}

// The cross products of rows fed in chunks, centred on the means of the first pass, fill the
// matrix with CalcCrossProdMatrix's bits in every mode; from 60001 rows it shares the columns of
// the means and the rows of the products between two cores.
TEST(CrossProductSums, ChunksGiveTheBitsOfTheWholeMatrix)
{
    const struct {
        int rows, n;
    } shapes[] = {{2, 6}, {255, 6}, {256, 6}, {257, 6}, {1300, 6}, {60001, 6}, {60001, 7}};
    for (const auto [rows, n] : shapes) {
        const TMatrix d = Data(n, rows, 99 + std::uint64_t(rows));
        for (int mode : {0, 1, 2, 3, 4}) {
            TMatrix want;
            want.Resize(n, n);
            ASSERT_TRUE(CalcCrossProdMatrix(d, want, 0, 0, 0, 0, mode));
            for (const std::vector<int>& sizes : kChunkings) {
                std::vector<double> shifts;
                for (int c = 1; c <= n; ++c) shifts.push_back(d.Elem(c, 1));
                TShiftedSums sums(shifts);
                InChunks(d, sizes, [&](const double* const* C, int Count) { sums.Add(C, Count); });
                std::vector<double> means;
                for (int c = 0; c < n; ++c) means.push_back(ColumnMean(sums, c, 0.0, double(rows)));
                TCrossProductSums products(n, mode, means);
                InChunks(d, sizes,
                         [&](const double* const* C, int Count) { products.Add(C, Count); });
                products.Finish();
                TMatrix got;
                got.Resize(n, n);
                FillCrossMatrix(products.Total(), n, double(rows), mode, got);
                for (int c = 1; c <= n; ++c)
                    for (int j = 1; j <= n; ++j)
                        ASSERT_EQ(std::bit_cast<std::uint64_t>(got.Elem(c, j)),
                                  std::bit_cast<std::uint64_t>(want.Elem(c, j)))
                            << rows << " x " << n << ", mode " << mode << ", chunks of "
                            << sizes.front() << " at " << c << "," << j;
            }
        }
    }
}

// The second core's way: blocks taken from the back, each block's sums kept apart and added
// after the sums of the rows before them, give the bits of the rows summed from the front.
TEST(CrossProductSums, BlocksKeptFromTheBackAddUpInRowOrder)
{
    using Math2Kernels::kBlockRows;
    for (int n : {1, 4, 5, 13}) {
        const int rows = 5 * kBlockRows + 37, front = 2 * kBlockRows;
        const TMatrix d = Data(n, rows, 40 + std::uint64_t(n));
        std::vector<double> centres;
        for (int c = 1; c <= n; ++c) centres.push_back(d.Elem(c, 1) + 0.5);
        std::vector<const double*> at(static_cast<std::size_t>(n));
        auto feed = [&](TCrossProductSums& Sums, int R0, int R1) {
            for (int c = 0; c < n; ++c) at[std::size_t(c)] = d.ColumnData(c + 1) + R0;
            Sums.Add(at.data(), R1 - R0);
            Sums.Finish();
        };
        TCrossProductSums whole(n, 1, centres), first(n, 1, centres), last(n, 1, centres);
        feed(whole, 0, rows);
        feed(first, 0, front);
        std::vector<double> kept;
        last.BlockSums = &kept;
        for (int r0 = (rows - 1) / kBlockRows * kBlockRows; r0 >= front; r0 -= kBlockRows)
            feed(last, r0, std::min(rows, r0 + kBlockRows));
        EXPECT_EQ(kept.size(), 4 * CrossPairCount(n));
        const int n4 = CrossPanelWidth(n);
        std::vector<double> total(first.Total(), first.Total() + n4 * n4);
        AddBlockSums(kept, n, n4, total.data());
        for (int c = 0; c < n; ++c)
            for (int j = 0; j <= c; ++j)
                EXPECT_EQ(std::bit_cast<std::uint64_t>(total[std::size_t(c * n4 + j)]),
                          std::bit_cast<std::uint64_t>(whole.Sum(c, j)))
                    << n << " columns, pair " << c << "," << j;
    }
}

// Rows asked for ahead change no bit, whether they are a whole block, part of one or none, and
// whether a column lies outside the matrix (null).
TEST(CrossProductSums, RowsAskedForAheadChangeNothing)
{
    const int n = 9, rows = 3 * Math2Kernels::kBlockRows;
    const TMatrix d = Data(n, rows, 3);
    std::vector<double> centres(std::size_t(n), 5e4);
    std::vector<const double*> cols, ahead;
    for (int c = 1; c <= n; ++c) cols.push_back(d.ColumnData(c));
    TCrossProductSums plain(n, 1, centres);
    plain.Add(cols.data(), rows);
    for (int aheadRows : {Math2Kernels::kBlockRows, 37, 1})
        for (int missing : {-1, 0, n - 1}) {
            ahead = cols;
            if (missing >= 0) ahead[std::size_t(missing)] = nullptr;
            TCrossProductSums asked(n, 1, centres);
            asked.Ahead = {ahead.data(), aheadRows};
            for (int r0 = 0; r0 < rows; r0 += 100) {
                std::vector<const double*> at = cols;
                for (const double*& x : at) x += r0;
                asked.Add(at.data(), std::min(100, rows - r0));
            }
            for (int c = 0; c < n; ++c)
                for (int j = 0; j <= c; ++j)
                    ASSERT_EQ(std::bit_cast<std::uint64_t>(asked.Sum(c, j)),
                              std::bit_cast<std::uint64_t>(plain.Sum(c, j)))
                        << aheadRows << " rows ahead, column " << missing << " missing";
        }
}

// Rows outside the matrix read 0, on two cores as on one: the same products as a matrix that
// holds those zeros.
TEST(CrossProductSums, RowsOutsideTheMatrixReadZeroOnTwoCores)
{
    const int n = 6, rows = 60001, above = 300, below = 500;
    const TMatrix d = Data(n, rows, 7);
    TMatrix padded;
    padded.Resize(n, above + rows + below);
    for (int c = 1; c <= n; ++c)
        for (int r = 1; r <= rows; ++r) padded.SetElem(c, above + r, d.Elem(c, r));
    TMatrix got, want;
    got.Resize(n, n);
    want.Resize(n, n);
    ASSERT_TRUE(CalcCrossProdMatrix(d, got, 1, n, 1 - above, rows + below, 0));
    ASSERT_TRUE(CalcCrossProdMatrix(padded, want, 0, 0, 0, 0, 0));
    for (int c = 1; c <= n; ++c)
        for (int j = 1; j <= n; ++j)
            EXPECT_EQ(std::bit_cast<std::uint64_t>(got.Elem(c, j)),
                      std::bit_cast<std::uint64_t>(want.Elem(c, j)))
                << c << "," << j;
}

// A cancel during the cross products of a long table ends the analysis before the
// decomposition, and promptly.
TEST(CrossProductSums, CancelStopsBetweenBlocks)
{
    const TMatrix d = Data(40, 200000, 5);
    std::atomic<bool> cancel{true};
    TPCAProgress progress;
    progress.Cancel = &cancel;
    bool decomposed = false;
    const auto start = std::chrono::steady_clock::now();
    const TPCAResult r = CalcPCAWith(
        {d}, 1, true,
        [&](TMatrix& Cross) {
            decomposed = true;
            return JacobiEigen(Cross);
        },
        &cancel);
    EXPECT_EQ(r.Status, pcaCancelled);
    EXPECT_FALSE(decomposed);
    EXPECT_EQ(CalcPCA({d}, 1, true, &progress).Status, pcaCancelled);
    // Whole runs take about a second here; a cancelled one a few blocks.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(300));
}

} // namespace
