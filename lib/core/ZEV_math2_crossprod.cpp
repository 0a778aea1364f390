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
      FNext(std::size_t(N)), FTotal(Total)
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
        if (FFilled < kBlockRows) continue;
        if (done == Count) {
            AddBlock(Ahead);
            continue;
        }
        for (int c = 0; c < FWidth; ++c) FNext[std::size_t(c)] = Cols[c] ? Cols[c] + done : nullptr;
        AddBlock({FNext.data(), int(std::min<long long>(kBlockRows, Count - done))});
    }
}

void TCrossProductSums::Finish()
{
    if (FFilled == 0 || Cancelled()) return;
    // Padding contributes nothing to a product or a difference.
    for (int c = 0; c < FWidth; ++c)
        std::fill(FTile.begin() + std::ptrdiff_t(c) * kBlockRows + FFilled,
                  FTile.begin() + std::ptrdiff_t(c + 1) * kBlockRows, 0.0);
    AddBlock({});
}

void TCrossProductSums::AddBlock(TAhead Next)
{
    const TKernels& kernels = Kernels();
    if (FMode == 4) {
        kernels.AccumulateSquaredDistances(FTile.data(), FN, FN4, FTotal);
    } else {
        kernels.AccumulateProducts(FTile.data(), FN, FN4, FPanelBegin, FPanelEnd, FTotal,
                                   {Next.Cols, FWidth, Next.Rows});
    }
    FFilled = 0;
    if (BlockSums)
        for (int c = 0; c < FN; ++c) {
            double* row = FTotal + std::size_t(c) * std::size_t(FN4);
            BlockSums->insert(BlockSums->end(), row, row + c + 1);
            std::fill_n(row, c + 1, 0.0);
        }
}

std::size_t CrossPairCount(int N)
{
    return std::size_t(N) * std::size_t(N + 1) / 2;
}

void AddBlockSums(const std::vector<double>& Blocks, int N, int N4, double* Total)
{
    const std::size_t size = CrossPairCount(N);
    for (std::size_t b = Blocks.size(); b >= size && size > 0; b -= size) {
        const double* s = Blocks.data() + (b - size);
        for (int c = 0; c < N; ++c)
            for (int j = 0; j <= c; ++j) Total[std::size_t(c) * std::size_t(N4) + j] += *s++;
    }
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

namespace {

// Blocks of rows a core claims at a time: few enough to share out the last ones evenly, enough
// that the two cores seldom meet on the counter.
constexpr long long kClaimBlocks = 4;

// The rows of a range as the cross products read them: Before rows above the matrix, Inside
// rows from it (From[c] the first of column c, null for a column outside the matrix), then
// rows below it; rows outside the matrix read 0.
struct TRowSource {
    std::vector<const double*> From, None; // None: as many null columns
    long long Before, Inside;

    // Rows R0..R1 - 1 of the range into Sums, through the pointers At (one a column), up to
    // the end of the last block when R1 ends the range.
    void Feed(TCrossProductSums& Sums, long long R0, long long R1,
              std::vector<const double*>& At) const
    {
        const long long after = Before + Inside;
        Sums.Add(None.data(), std::max(0LL, std::min(R1, Before) - R0));
        const long long in0 = std::max(R0, Before), in1 = std::min(R1, after);
        if (in0 < in1)
            for (std::size_t c = 0; c < From.size(); ++c)
                At[c] = From[c] ? From[c] + (in0 - Before) : nullptr;
        Sums.Add(At.data(), std::max(0LL, in1 - in0));
        Sums.Add(None.data(), std::max(0LL, R1 - std::max(R0, after)));
        Sums.Finish();
    }

    // Up to a block of rows from R on, for TCrossProductSums::Ahead (through the pointers At):
    // none outside the matrix.
    TCrossProductSums::TAhead AheadOf(long long R, std::vector<const double*>& At) const
    {
        const long long in = R - Before;
        if (in < 0 || in >= Inside) return {};
        for (std::size_t c = 0; c < From.size(); ++c) At[c] = From[c] ? From[c] + in : nullptr;
        return {At.data(), int(std::min<long long>(kBlockRows, Inside - in))};
    }
};

// The blocks of rows 0..Blocks - 1 shared out from both ends: the first core takes them from
// the front, the second from the back, each as fast as it goes, until they meet.
class TBlockClaims {
  public:
    explicit TBlockClaims(long long Blocks) : FBlocks(Blocks) {}
    // Up to Want more blocks: how many are granted, 0 once none is left.
    long long Take(long long Want)
    {
        const long long taken = FTaken.fetch_add(Want, std::memory_order_relaxed);
        return std::clamp(FBlocks - taken, 0LL, Want);
    }

  private:
    const long long FBlocks;
    std::atomic<long long> FTaken{0};
};

// The sums of the products of the rows 0..Rows - 1 of Source about Mean into Total (n4 x n4),
// on two cores when TwoCores. False when cancelled.
//
// Two cores share the rows at block boundaries: the first takes blocks from the front and adds
// them up as it goes, the second takes them from the back and keeps each block's sums apart,
// added after the first's in block order, so that every sum sees the additions of one core.
// Reading from the back, the second starts on the rows the column sums read last. Where keeping
// half the blocks would cost too much, the cores share the panels instead: panel i pairs with
// i + 1 panels, so the first share ends where about half the pairs lie before it.
bool SumProducts(const TRowSource& Source, long long Rows, int Mode,
                 const std::vector<double>& Mean, bool TwoCores, double* Total,
                 const std::atomic<bool>* Cancel)
{
    const int n = static_cast<int>(Mean.size());
    const int panels = CrossPanelWidth(n) / kPanel;
    const long long blocks = (Rows + kBlockRows - 1) / kBlockRows;
    const std::size_t pairs = CrossPairCount(n);
    const long long keepable = static_cast<long long>(kMaxKeptBlockSums / pairs);
    const bool twoShares = TwoCores && Mode >= 0 && Mode <= 3;
    const bool byRows = twoShares && blocks >= 2 && blocks - blocks / 2 <= keepable;
    const bool byPanels = twoShares && !byRows && panels > 1;
    const int split = std::clamp(static_cast<int>(std::lround(panels / std::sqrt(2.0))), 1,
                                 std::max(panels - 1, 1));
    const long long backLimit = byRows ? std::min(blocks, keepable) : 0;
    std::vector<TCrossProductSums> shares;
    std::vector<double> kept;
    try {
        shares.reserve(2);
        shares.emplace_back(n, Mode, Mean, 0, byPanels ? split : panels, Total);
        if (byPanels) shares.emplace_back(n, Mode, Mean, split, panels, Total);
        if (byRows) {
            kept.reserve(std::size_t(backLimit) * pairs);
            shares.emplace_back(n, Mode, Mean);
            shares.back().BlockSums = &kept;
        }
    } catch (const std::bad_alloc&) {
        ThrowNoMemory();
    }
    for (TCrossProductSums& sums : shares) sums.Cancel = Cancel;
    TBlockClaims claims(blocks);
    auto rowOf = [Rows](long long Block) { return std::min(Rows, Block * kBlockRows); };
    OnTwoCores(byRows || byPanels, [&](int Share) {
        if (std::size_t(Share) >= shares.size()) return;
        TCrossProductSums& sums = shares[std::size_t(Share)];
        std::vector<const double*> at(Source.From.size(), nullptr), next = at;
        if (byPanels) return Source.Feed(sums, 0, Rows, at);
        if (Share == 0) {
            for (long long b = 0, got; !sums.Cancelled() && (got = claims.Take(kClaimBlocks));
                 b += got) {
                sums.Ahead = Source.AheadOf(rowOf(b + got), next);
                Source.Feed(sums, rowOf(b), rowOf(b + got), at);
            }
            return;
        }
        for (long long e = blocks, got;
             !sums.Cancelled() && e > blocks - backLimit &&
             (got = claims.Take(std::min(kClaimBlocks, e - (blocks - backLimit))));
             e -= got)
            for (long long b = e - 1; b >= e - got; --b) {
                sums.Ahead =
                    b > 0 ? Source.AheadOf(rowOf(b - 1), next) : TCrossProductSums::TAhead{};
                Source.Feed(sums, rowOf(b), rowOf(b + 1), at);
            }
    });
    if (byRows) AddBlockSums(kept, n, CrossPanelWidth(n), Total);
    for (const TCrossProductSums& sums : shares)
        if (sums.Cancelled()) return false;
    return true;
}

} // namespace

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
    if (IsCentred(Mode)) {
        // Each core takes the next column as it gets through one.
        const double outside = static_cast<double>(mm - inside);
        std::atomic<int> taken{0};
        OnTwoCores(twoCores, [&](int) {
            for (int c; (c = taken.fetch_add(1, std::memory_order_relaxed)) < n;) {
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
    TRowSource source{std::vector<const double*>(un), std::vector<const double*>(un), 0, inside};
    for (int c = 0; c < n; ++c) source.From[c] = cols[c] ? cols[c] + firstRow - 1 : nullptr;
    source.Before = std::max(0LL, std::min<long long>(HiRow, 0) - LoRow + 1);
    if (!SumProducts(source, mm, Mode, mean, twoCores, total.data(), Cancel)) return csCancelled;
    FillCrossMatrix(total.data(), n, m, Mode, CrossMat);
    return csDone;
}
