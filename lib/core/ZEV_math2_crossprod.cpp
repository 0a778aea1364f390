#include "ZEV_math2_crossprod.h"

#include "Memory.h"
#include "ZEV_math2_kernels.h"
#include "ZEV_vector.h"

#include <algorithm>
#include <cmath>
#include <thread>
#include <utility>

using namespace Math2Kernels;

namespace {

// Cross products (rows times pairs of columns) from which a second thread pays for its start.
constexpr long long kTwoCoreProducts = 1 << 21;
// Block sums the second core may keep apart when the cores share the rows (64 MB).
constexpr std::size_t kMaxKeptBlockSums = std::size_t(8) << 20;

// Share(0) on a second thread and Share(1) on this one when Both, else the two in turn here.
// The shares must not throw.
template <class F> void OnTwoCores(bool Both, const F& Share)
{
    if (!Both || std::thread::hardware_concurrency() < 2) {
        Share(0);
        Share(1);
        return;
    }
    std::thread other([&Share] { Share(0); });
    Share(1);
    other.join();
}

bool IsCentred(int Mode)
{
    return Mode >= 1 && Mode <= 3;
}

[[noreturn]] void ThrowNoMemory()
{
    throw EZEVVectorError(NotEnoughMemoryMessage(QStringLiteral("CalcCrossProdMatrix")));
}

} // namespace

TShiftedSums::TShiftedSums(std::vector<double> Shifts)
    : FShifts(std::move(Shifts)), FLanes(FShifts.size()), FPending(FShifts.size())
{
    for (auto& lanes : FLanes) lanes.fill(0.0);
}

void TShiftedSums::Add(const double* const* Cols, long long Count)
{
    const TKernels& kernels = Kernels();
    int pending = FPendingCount;
    for (std::size_t c = 0; c < FShifts.size(); ++c) {
        const double* x = Cols[c];
        const double shift = FShifts[c];
        std::array<double, 8>& held = FPending[c];
        long long i = 0;
        int p = FPendingCount;
        // A group of eight begun in an earlier chunk is completed first.
        while (p > 0 && p < 8 && i < Count) held[std::size_t(p++)] = x[i++];
        std::array<double, 8> s = FLanes[c];
        if (p == 8) {
            for (std::size_t l = 0; l < 8; ++l) s[l] += held[l] - shift;
            p = 0;
        }
        if (p == 0) {
            const long long whole = (Count - i) / 8 * 8;
            kernels.AddShiftedLanes(x + i, whole, shift, s.data());
            i += whole;
            for (; i < Count; ++i) held[std::size_t(p++)] = x[i];
        }
        FLanes[c] = s;
        pending = p;
    }
    FPendingCount = pending;
    FCount += Count;
}

double TShiftedSums::Sum(int Col) const
{
    const std::array<double, 8>& l = FLanes[std::size_t(Col)];
    double sum = ((l[0] + l[4]) + (l[1] + l[5])) + ((l[2] + l[6]) + (l[3] + l[7]));
    for (int k = 0; k < FPendingCount; ++k)
        sum += FPending[std::size_t(Col)][std::size_t(k)] - FShifts[std::size_t(Col)];
    return sum;
}

double ColumnMean(const TShiftedSums& Sums, int Col, double Outside, double M)
{
    const double s = Sums.Sum(Col) - Outside * Sums.Shift(Col);
    return Sums.Shift(Col) + s / M;
}

int CrossPanelWidth(int N)
{
    return (N + kPanel - 1) / kPanel * kPanel;
}

TCrossProductSums::TCrossProductSums(int N, int Mode, std::vector<double> Centres, int PanelBegin,
                                     int PanelEnd, double* Total)
    : FN(N), FN4(CrossPanelWidth(N)), FMode(Mode), FPanelBegin(PanelBegin),
      FPanelEnd(PanelEnd < 0 ? FN4 / kPanel : PanelEnd),
      FWidth(Mode == 4 ? N : std::min(N, FPanelEnd * kPanel)), FCentres(std::move(Centres)),
      FTotal(Total)
{
    if (!IsCentred(Mode)) FCentres.assign(std::size_t(N), 0.0);
    FTile.assign(std::size_t(FN4) * kBlockRows, 0.0);
    if (!FTotal) {
        FOwnTotal.assign(std::size_t(FN4) * std::size_t(FN4), 0.0);
        FTotal = FOwnTotal.data();
    }
}

void TCrossProductSums::Add(const double* const* Cols, long long Count)
{
    if (FMode < 0 || FMode > 4) return;
    const TKernels& kernels = Kernels();
    for (long long done = 0; done < Count;) {
        if (Cancelled()) return;
        const int take = int(std::min<long long>(kBlockRows - FFilled, Count - done));
        for (int c = 0; c < FWidth; ++c) {
            double* t = FTile.data() + std::size_t(c) * kBlockRows + FFilled;
            const double centre = FCentres[std::size_t(c)];
            // A column outside the matrix reads 0 like every other access.
            if (Cols[c])
                kernels.CopyCentred(Cols[c] + done, take, centre, t);
            else
                std::fill_n(t, take, -centre);
        }
        FFilled += take;
        done += take;
        if (FFilled == kBlockRows) AddBlock();
    }
}

void TCrossProductSums::Finish()
{
    if (FFilled == 0 || Cancelled()) return;
    // Padding contributes nothing to a product or a difference.
    for (int c = 0; c < FWidth; ++c)
        std::fill(FTile.begin() + std::ptrdiff_t(c) * kBlockRows + FFilled,
                  FTile.begin() + std::ptrdiff_t(c + 1) * kBlockRows, 0.0);
    AddBlock();
}

void TCrossProductSums::AddBlock()
{
    const TKernels& kernels = Kernels();
    if (FMode == 4)
        kernels.AccumulateSquaredDistances(FTile.data(), FN, FN4, FTotal);
    else
        kernels.AccumulateProducts(FTile.data(), FN, FN4, FPanelBegin, FPanelEnd, FTotal);
    FFilled = 0;
    if (BlockSums) {
        const std::size_t size = std::size_t(FN4) * std::size_t(FN4);
        BlockSums->insert(BlockSums->end(), FTotal, FTotal + size);
        std::fill_n(FTotal, size, 0.0);
    }
}

void AddBlockSums(const std::vector<double>& Blocks, int N4, double* Total)
{
    const std::size_t size = std::size_t(N4) * std::size_t(N4);
    for (std::size_t b = 0; b < Blocks.size(); b += size)
        for (std::size_t i = 0; i < size; ++i) Total[i] += Blocks[b + i];
}

void FillCrossMatrix(const double* Total, int N, double M, int Mode, TMatrix& CrossMat)
{
    const auto un4 = static_cast<std::size_t>(CrossPanelWidth(N));
    auto sumOf = [Total, un4](int c, int j) {
        return Total[static_cast<std::size_t>(c) * un4 + j];
    };
    std::vector<double> var(static_cast<std::size_t>(N), 0.0);
    if (Mode == 2 || Mode == 3)
        for (int c = 0; c < N; ++c) {
            var[c] = sumOf(c, c) / (M - 1);
            if (var[c] < 0) var[c] = 0;
        }
    for (int c = 0; c < N; ++c) {
        double* crossCol = CrossMat.ColumnData(c + 1);
        for (int j = 0; j <= c; ++j) {
            double v = sumOf(c, j);
            if (Mode == 2 || Mode == 3) {
                double f = std::sqrt(var[c] * var[j]);
                if (var[c] * var[j] == 0) f = 1e-38;
                v = v / f / (M - 1);
                if (Mode == 3) v = v * v;
            } else if (Mode >= 0 && Mode <= 4) {
                v = v / (M - 1);
            } else {
                v = 0;
            }
            if (Mode == 2 && c == j) v = 1;
            CrossMat.ColumnData(j + 1)[c] = v; // element (j, c)
            crossCol[j] = v;                   // element (c, j)
        }
    }
    CrossMat.Changed();
}

TCrossStatus CalcCrossProducts(const TMatrix& DataMat, TMatrix& CrossMat, int LoCol, int HiCol,
                               int LoRow, int HiRow, int Mode, const std::atomic<bool>* Cancel)
{
    if (LoCol == 0 && HiCol == 0) HiCol = DataMat.NrOfColumns(), LoCol = 1;
    if (LoRow == 0 && HiRow == 0) HiRow = DataMat.NrOfRows(), LoRow = 1;
    const long long nn = static_cast<long long>(HiCol) - LoCol + 1;
    const long long mm = static_cast<long long>(HiRow) - LoRow + 1;
    if (nn < 1 || CrossMat.NrOfColumns() < nn || CrossMat.NrOfRows() < nn) return csRefused;
    // One observation would divide every product by m - 1 = 0.
    if (mm < 2) return csRefused;
    const int n = static_cast<int>(nn);
    const double m = static_cast<double>(mm);
    const auto un = static_cast<std::size_t>(n);

    // The data columns; rows outside the matrix read as 0 like every other access.
    std::vector<const double*> cols(un);
    for (int c = 0; c < n; ++c) cols[c] = DataMat.ColumnData(LoCol + c);
    const int dataRows = DataMat.NrOfRows();
    const int firstRow = std::max(LoRow, 1), lastRow = std::min(HiRow, dataRows);
    const long long inside = std::max(0, lastRow - firstRow + 1);

    // Column means, summed about the column's first value so that a constant column has
    // exactly its value as mean and deviations of exactly 0. The variances come later from the
    // centred squares: the sum of squares less the squared sum cancels to noise (or below 0,
    // and then 1e-38 as divisor) once the values lie far from zero compared with their spread.
    std::vector<double> mean(un, 0.0);
    // Big enough to pay for starting a thread: both cores share the work, each sum keeping its
    // order of additions.
    const bool twoCores = mm * nn * nn >= kTwoCoreProducts;
    if (Mode > 0) {
        const double outside = static_cast<double>(mm - inside);
        OnTwoCores(twoCores, [&](int Share) {
            for (int c = Share * n / 2; c < (Share + 1) * n / 2; ++c) {
                TShiftedSums sums({DataMat.Elem(LoCol + c, LoRow)});
                const double* first = cols[c] ? cols[c] + firstRow - 1 : nullptr;
                if (first) sums.Add(&first, inside);
                mean[c] = ColumnMean(sums, 0, outside, m);
            }
        });
    }

    // The sums, pair (c, j) with j <= c at c n4 + j (the square's other half is scratch), and
    // one block of rows of every column for each core, all padded to whole panels of columns.
    const int n4 = CrossPanelWidth(n);
    const auto un4 = static_cast<std::size_t>(n4);
    if (!CanAllocateBytes((un4 * un4 + 2 * un4 * kBlockRows) * sizeof(double))) ThrowNoMemory();
    TAlignedDoubles total;
    try {
        total.assign(un4 * un4, 0.0);
    } catch (const std::bad_alloc&) {
        ThrowNoMemory();
    }
    // Two cores share the rows at a block boundary: the first adds its blocks up as it goes,
    // the second keeps each block's sums apart, added after the first's in block order, so that
    // every sum sees the additions of one core. Where keeping them would cost too much, the
    // cores share the panels instead: panel i pairs with i + 1 panels, so the first share ends
    // where about half the pairs lie before it.
    const int panels = n4 / kPanel;
    const long long blocks = (mm + kBlockRows - 1) / kBlockRows;
    const long long firstRows = blocks / 2 * kBlockRows;
    const std::size_t keptValues = std::size_t(blocks - blocks / 2) * un4 * un4;
    const bool twoShares = twoCores && Mode >= 0 && Mode <= 3;
    const bool byRows = twoShares && blocks >= 2 && keptValues <= kMaxKeptBlockSums;
    const bool byPanels = twoShares && !byRows && panels > 1;
    const int split = std::clamp(static_cast<int>(std::lround(panels / std::sqrt(2.0))), 1,
                                 std::max(panels - 1, 1));
    std::vector<TCrossProductSums> shares;
    std::vector<double> kept;
    try {
        shares.reserve(2);
        shares.emplace_back(n, Mode, mean, 0, byPanels ? split : panels, total.data());
        if (byPanels) shares.emplace_back(n, Mode, mean, split, panels, total.data());
        if (byRows) {
            kept.reserve(keptValues);
            shares.emplace_back(n, Mode, mean);
            shares.back().BlockSums = &kept;
        }
    } catch (const std::bad_alloc&) {
        ThrowNoMemory();
    }
    const std::vector<const double*> none(un, nullptr);
    std::vector<const double*> from(un);
    for (int c = 0; c < n; ++c) from[c] = cols[c] ? cols[c] + firstRow - 1 : nullptr;
    // Rows R0..R1 - 1 of the range; those outside the matrix read 0.
    const long long before = std::max(0LL, std::min<long long>(HiRow, 0) - LoRow + 1);
    const long long after = before + inside;
    std::vector<const double*> starts[2] = {none, none};
    auto accumulate = [&](TCrossProductSums& Sums, long long R0, long long R1,
                          std::vector<const double*>& At) {
        Sums.Cancel = Cancel;
        Sums.Add(none.data(), std::max(0LL, std::min(R1, before) - R0));
        const long long in0 = std::max(R0, before), in1 = std::min(R1, after);
        for (int c = 0; c < n; ++c)
            if (from[c] && in0 < in1) At[c] = from[c] + (in0 - before);
        Sums.Add(At.data(), std::max(0LL, in1 - in0));
        Sums.Add(none.data(), std::max(0LL, R1 - std::max(R0, after)));
        Sums.Finish();
    };
    OnTwoCores(byRows || byPanels, [&](int Share) {
        if (std::size_t(Share) >= shares.size()) return;
        TCrossProductSums& sums = shares[std::size_t(Share)];
        std::vector<const double*>& at = starts[Share];
        if (byRows)
            accumulate(sums, Share == 0 ? 0 : firstRows, Share == 0 ? firstRows : mm, at);
        else
            accumulate(sums, 0, mm, at);
    });
    if (byRows) AddBlockSums(kept, n4, total.data());
    for (const TCrossProductSums& sums : shares)
        if (sums.Cancelled()) return csCancelled;
    FillCrossMatrix(total.data(), n, m, Mode, CrossMat);
    return csDone;
}
