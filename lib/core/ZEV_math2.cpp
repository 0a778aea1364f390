#include "ZEV_math2.h"

#include "Memory.h"
#include "ZEV_math2_follower.h"
#include "ZEV_math2_kernels.h"
#include "ZEV_vector.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <new>
#include <thread>
#include <utility>
#include <vector>

namespace {

TPCAResult& Results()
{
    static TPCAResult results;
    return results;
}

using namespace Math2Kernels;

inline int AlignUp(int x)
{
    return (x + kLanes - 1) / kLanes * kLanes;
}

// Work arrays start on a cache line, so that columns whose length is a whole number of vectors
// never split a vector load or store across two lines.
template <class T> struct TCacheLineAllocator {
    using value_type = T;
    static constexpr std::align_val_t kAlign{64};
    TCacheLineAllocator() = default;
    template <class U> TCacheLineAllocator(const TCacheLineAllocator<U>&) {}
    T* allocate(std::size_t Count)
    {
        if (Count > std::size_t(-1) / sizeof(T)) throw std::bad_alloc();
        return static_cast<T*>(::operator new(Count * sizeof(T), kAlign));
    }
    void deallocate(T* p, std::size_t) { ::operator delete(p, kAlign); }
    template <class U> bool operator==(const TCacheLineAllocator<U>&) const { return true; }
};
using TAlignedDoubles = std::vector<double, TCacheLineAllocator<double>>;

// Cross products (rows times pairs of columns) from which a second thread pays for its start.
constexpr long long kTwoCoreProducts = 1 << 21;

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

} // namespace

bool CalcCrossProdMatrix(const TMatrix& DataMat, TMatrix& CrossMat, int LoCol, int HiCol, int LoRow,
                         int HiRow, int Mode)
{
    if (LoCol == 0 && HiCol == 0) HiCol = DataMat.NrOfColumns(), LoCol = 1;
    if (LoRow == 0 && HiRow == 0) HiRow = DataMat.NrOfRows(), LoRow = 1;
    const long long nn = static_cast<long long>(HiCol) - LoCol + 1;
    const long long mm = static_cast<long long>(HiRow) - LoRow + 1;
    if (nn < 1 || CrossMat.NrOfColumns() < nn || CrossMat.NrOfRows() < nn) return false;
    // One observation would divide every product by m - 1 = 0.
    if (mm < 2) return false;
    const int n = static_cast<int>(nn);
    const double m = static_cast<double>(mm);
    const auto un = static_cast<std::size_t>(n);
    const TKernels& kernels = Kernels();

    // The data columns; rows outside the matrix read as 0 like every other access.
    std::vector<const double*> cols(un);
    for (int c = 0; c < n; ++c) cols[c] = DataMat.ColumnData(LoCol + c);
    const int dataRows = DataMat.NrOfRows();
    const int firstRow = std::max(LoRow, 1), lastRow = std::min(HiRow, dataRows);

    // Column means, summed about the column's first value so that a constant column has
    // exactly its value as mean and deviations of exactly 0. The variances come later from the
    // centred squares: the sum of squares less the squared sum cancels to noise (or below 0,
    // and then 1e-38 as divisor) once the values lie far from zero compared with their spread.
    TVector sum;
    sum.Resize(n);
    std::vector<double> mean(un, 0.0), var(un, 0.0);
    // Big enough to pay for starting a thread: both cores share the work, each sum keeping its
    // order of additions.
    const bool twoCores = mm * nn * nn >= kTwoCoreProducts;
    if (Mode > 0) {
        double* s = sum.Data();
        // Rows outside the matrix read as 0.
        const long long inside = std::max(0, lastRow - firstRow + 1);
        const double outside = static_cast<double>(mm - inside);
        OnTwoCores(twoCores, [&](int Share) {
            for (int c = Share * n / 2; c < (Share + 1) * n / 2; ++c) {
                const double shift = DataMat.Elem(LoCol + c, LoRow);
                if (cols[c] && inside > 0)
                    s[c] = kernels.SumShifted(cols[c] + firstRow - 1, inside, shift);
                s[c] -= outside * shift;
                mean[c] = shift + s[c] / m;
            }
        });
    }

    // The sums, pair (c, j) with j <= c at c n4 + j (the square's other half is scratch), and
    // one block of rows of every column for each core, all padded to whole panels of columns.
    const int n4 = (n + kPanel - 1) / kPanel * kPanel;
    const auto un4 = static_cast<std::size_t>(n4);
    if (!CanAllocateBytes((un4 * un4 + 2 * un4 * kBlockRows) * sizeof(double)))
        throw EZEVVectorError(NotEnoughMemoryMessage(QStringLiteral("CalcCrossProdMatrix")));
    TAlignedDoubles total, tiles;
    try {
        total.assign(un4 * un4, 0.0);
        tiles.assign(2 * un4 * kBlockRows, 0.0);
    } catch (const std::bad_alloc&) {
        throw EZEVVectorError(NotEnoughMemoryMessage(QStringLiteral("CalcCrossProdMatrix")));
    }
    const bool centred = Mode >= 1 && Mode <= 3;
    // Rows R0..R1 of columns [0, Cols) into Tile, centred as the mode wants.
    auto fillTile = [&](long long r0, long long r1, int Cols, double* Tile) {
        for (int c = 0; c < Cols; ++c) {
            double* t = &Tile[static_cast<std::size_t>(c) * kBlockRows];
            const double centre = centred ? mean[c] : 0.0;
            // Rows outside the matrix read as 0 like every other access.
            const long long in0 = std::max<long long>(r0, 1);
            const long long in1 = cols[c] ? std::min<long long>(r1, dataRows) : 0;
            int i = 0;
            for (long long r = r0; r < std::min(in0, r1 + 1); ++r) t[i++] = -centre;
            if (in0 <= in1) {
                const double* src = cols[c] + (in0 - 1);
                const int len = static_cast<int>(in1 - in0 + 1);
                kernels.CopyCentred(src, len, centre, t + i);
                i += len;
            }
            for (long long r = std::max(in1 + 1, in0); r <= r1; ++r) t[i++] = -centre;
            // Padding contributes nothing to a product or a difference.
            for (; i < kBlockRows; ++i) t[i] = 0.0;
        }
    };
    if (Mode == 4) {
        for (long long r0 = LoRow; r0 <= HiRow; r0 += kBlockRows) {
            fillTile(r0, std::min<long long>(HiRow, r0 + kBlockRows - 1), n, tiles.data());
            kernels.AccumulateSquaredDistances(tiles.data(), n, n4, total.data());
        }
    } else if (Mode >= 0 && Mode <= 3) {
        // Panel i pairs with i + 1 panels: the first share ends where about half the pairs lie
        // before it, and reads only the columns of its own panels.
        const int panels = n4 / kPanel;
        const int split = std::clamp(static_cast<int>(std::lround(panels / std::sqrt(2.0))), 1,
                                     std::max(panels - 1, 1));
        auto accumulate = [&](int Begin, int End, double* Tile) {
            const int width = std::min(n, End * kPanel);
            for (long long r0 = LoRow; r0 <= HiRow; r0 += kBlockRows) {
                fillTile(r0, std::min<long long>(HiRow, r0 + kBlockRows - 1), width, Tile);
                kernels.AccumulateProducts(Tile, n4, Begin, End, total.data());
            }
        };
        if (twoCores && panels > 1)
            OnTwoCores(true, [&](int Share) {
                accumulate(Share == 0 ? 0 : split, Share == 0 ? split : panels,
                           tiles.data() + static_cast<std::size_t>(Share) * un4 * kBlockRows);
            });
        else
            accumulate(0, panels, tiles.data());
    }
    auto sumOf = [&total, un4](int c, int j) {
        return total[static_cast<std::size_t>(c) * un4 + j];
    };

    if (Mode == 2 || Mode == 3)
        for (int c = 0; c < n; ++c) {
            var[c] = sumOf(c, c) / (m - 1);
            if (var[c] < 0) var[c] = 0;
        }
    for (int c = 0; c < n; ++c) {
        double* crossCol = CrossMat.ColumnData(c + 1);
        for (int j = 0; j <= c; ++j) {
            double v = sumOf(c, j);
            if (Mode == 2 || Mode == 3) {
                double f = std::sqrt(var[c] * var[j]);
                if (var[c] * var[j] == 0) f = 1e-38;
                v = v / f / (m - 1);
                if (Mode == 3) v = v * v;
            } else if (Mode >= 0 && Mode <= 4) {
                v = v / (m - 1);
            } else {
                v = 0;
            }
            if (Mode == 2 && c == j) v = 1;
            CrossMat.ColumnData(j + 1)[c] = v; // element (j, c)
            crossCol[j] = v;                   // element (c, j)
        }
    }
    CrossMat.Changed();
    return true;
}

namespace {

template <class Doubles> Doubles AllocateOrThrow(std::size_t Count)
{
    if (!CanAllocate(Count, sizeof(double)))
        throw EZEVMath2Error(QStringLiteral("CalcEigVec: not enough memory"));
    try {
        return Doubles(Count, 0.0);
    } catch (const std::bad_alloc&) {
        throw EZEVMath2Error(QStringLiteral("CalcEigVec: not enough memory"));
    }
}

} // namespace

TPCAResult JacobiEigen(TMatrix& Matrix, const TPCAProgress* Progress)
{
    const int n = Matrix.NrOfColumns();
    TPCAResult r;
    r.Status = pcaTooManyVariables;
    if (n > MaxEigVecVariables) return r;
    const auto un = static_cast<std::size_t>(n);

    // The matrix above its diagonal is held column by column (w[q ld + p] = a(p, q), p < q), so
    // that the column part of a rotation is contiguous; the places below the diagonal are work
    // space. The eigenvectors are held column by column for the same reason, padded with zeros
    // to whole vectors (rotations keep them 0) so that they rotate without a scalar tail.
    const std::size_t ld = static_cast<std::size_t>(AlignUp(n));
    TAlignedDoubles w = AllocateOrThrow<TAlignedDoubles>(ld * un);
    TAlignedDoubles v = AllocateOrThrow<TAlignedDoubles>(ld * un);
    std::vector<double> eigenvectors = AllocateOrThrow<std::vector<double>>(un * un);
    std::vector<double> d = AllocateOrThrow<std::vector<double>>(un);
    std::vector<double> b = AllocateOrThrow<std::vector<double>>(un);
    std::vector<double> z = AllocateOrThrow<std::vector<double>>(un);

    for (int q = 0; q < n; ++q)
        for (int p = 0; p < q; ++p) w[q * ld + p] = Matrix.Elem(q + 1, p + 1);
    for (int i = 0; i < n; ++i) {
        v[i * ld + i] = 1;
        b[i] = d[i] = Matrix.Elem(i + 1, i + 1);
    }

    const std::atomic<bool>* cancel = Progress ? Progress->Cancel : nullptr;
    auto cancelled = [cancel] { return cancel && cancel->load(std::memory_order_relaxed); };
    const TKernels& kernels = Kernels();
    TJacobiWork work{w.data(), v.data(), ld, n, d.data(), z.data(), cancel};
    std::unique_ptr<TEigenvectorFollower> follower;
    if (TEigenvectorFollower::WorthIt(n)) {
        follower = std::make_unique<TEigenvectorFollower>(kernels, v.data(), w.data(), ld, n);
        follower->Attach(work);
    }
    r.Status = pcaNoConvergence;
    for (int k = 1; k <= 100; ++k) {
        double sm = 0;
        for (int q = 1; q < n; ++q)
            for (int p = 0; p < q; ++p) sm += std::fabs(w[q * ld + p]);
        if (sm == 0) {
            // Only a check before the hundredth counts as convergence.
            if (k < 100) r.Status = pcaDone;
            break;
        }
        if (Progress && Progress->OnSweep) Progress->OnSweep(k, sm);
        const double t0 = k < 4 ? 0.2 * sm / (static_cast<double>(n) * n) : 0.0;
        kernels.JacobiSweep(work, k, t0);
        // Cancelled: the eigenvectors are of no use, so the follower stops after its row.
        if (cancelled()) {
            r.Status = pcaCancelled;
            return r;
        }
        if (follower) follower->Drain();
        for (int i = 0; i < n; ++i) {
            b[i] += z[i];
            d[i] = b[i];
            z[i] = 0;
        }
    }

    // The destroyed upper part goes back as the iteration left it.
    for (int q = 1; q < n; ++q) {
        double* col = Matrix.ColumnData(q + 1);
        const int rows = std::min(q, Matrix.NrOfRows());
        for (int p = 0; p < rows; ++p) col[p] = w[q * ld + p];
    }
    if (n > 1) Matrix.Changed();

    for (std::size_t j = 0; j < un; ++j)
        for (std::size_t comp = 0; comp < un; ++comp)
            eigenvectors[j * un + comp] = v[comp * ld + j];
    r.N = n;
    r.AbsEigVals = d;
    r.EigVals = std::move(d);
    r.EigVecs = std::move(eigenvectors);
    return r;
}

bool CalcEigVec(TMatrix& Matrix)
{
    TPCAResult r = JacobiEigen(Matrix);
    const bool ok = r.Ok();
    if (r.Decomposed()) StoreEigVecResult(std::move(r));
    return ok;
}

namespace {

// Relative eigenvalues when asked, then a selection sort by decreasing eigenvalue.
void NormaliseAndSort(TPCAResult& r, bool RelEigVals)
{
    std::vector<double>& d = r.EigVals;
    std::vector<double>& vec = r.EigVecs;
    const auto un = static_cast<std::size_t>(r.N);
    if (RelEigVals) {
        double total = 0;
        for (double x : d) total += std::fabs(x);
        if (total != 0)
            for (double& x : d) x /= total;
    }
    // Strict comparison from 0: ties keep their order and nothing non-positive moves forward.
    for (std::size_t k = 0; k < un; ++k) {
        double best = 0;
        std::size_t index = k;
        for (std::size_t i = k; i < un; ++i)
            if (d[i] > best) {
                best = d[i];
                index = i;
            }
        if (index == k) continue;
        std::swap(d[k], d[index]);
        std::swap(r.AbsEigVals[k], r.AbsEigVals[index]);
        for (std::size_t j = 0; j < un; ++j) std::swap(vec[j * un + k], vec[j * un + index]);
    }
}

bool AllFinite(const std::vector<double>& Values)
{
    return std::all_of(Values.begin(), Values.end(), [](double x) { return std::isfinite(x); });
}

} // namespace

TPCAResult CalcPCAWith(const TMatrixBlock& Block, int Scaling, bool RelEigVals,
                       const TEigenSolver& Solver)
{
    // The same "0..0 is everything" as the cross products, so that n is the real count.
    int loCol = Block.LoCol, hiCol = Block.HiCol;
    if (loCol == 0 && hiCol == 0) hiCol = Block.Matrix.NrOfColumns(), loCol = 1;
    const long long nn = static_cast<long long>(hiCol) - loCol + 1;
    TPCAResult r;
    if (nn < 1) return r;
    // Refused before the n x n work matrix is built, with the same outcome as the size test.
    r.Status = pcaTooManyVariables;
    if (nn > MaxEigVecVariables) return r;
    const int n = static_cast<int>(nn);

    {
        TMatrix cross;
        cross.Resize(n, n);
        // With the block's columns and a matrix of their size, only the rows can fail.
        r.Status = pcaTooFewRows;
        if (!CalcCrossProdMatrix(Block.Matrix, cross, loCol, hiCol, Block.LoRow, Block.HiRow,
                                 Scaling))
            return r;
        r = Solver(cross);
    }
    if (!r.Ok()) return r;
    NormaliseAndSort(r, RelEigVals);
    if (!AllFinite(r.EigVals) || !AllFinite(r.AbsEigVals) || !AllFinite(r.EigVecs))
        r.Status = pcaNotFinite;
    return r;
}

TPCAResult CalcPCA(const TMatrixBlock& Block, int Scaling, bool RelEigVals,
                   const TPCAProgress* Progress)
{
    return CalcPCAWith(Block, Scaling, RelEigVals,
                       [Progress](TMatrix& Cross) { return JacobiEigen(Cross, Progress); });
}

bool CalcPrincComp(const TMatrix& DataMat, int LoCol, int HiCol, int LoRow, int HiRow, int Scaling)
{
    return CalcPrincCompEx(DataMat, LoCol, HiCol, LoRow, HiRow, Scaling, true);
}

// An overflowed result still counts as a result here, as it always has.
bool CalcPrincCompEx(const TMatrix& DataMat, int LoCol, int HiCol, int LoRow, int HiRow,
                     int Scaling, bool RelEigVals)
{
    TPCAResult r = CalcPCA({DataMat, LoCol, HiCol, LoRow, HiRow}, Scaling, RelEigVals);
    const bool ok = r.Ok() || r.Status == pcaNotFinite;
    if (r.Decomposed()) StoreEigVecResult(std::move(r));
    return ok;
}

double TPCAResult::EigVecElem(int Component, int Variable) const
{
    if (N < 1 || Component < 1 || Component > N || Variable < 0 || Variable > N) return 0;
    if (Variable == 0) return EigVals[static_cast<std::size_t>(Component - 1)];
    return EigVecs[static_cast<std::size_t>(Variable - 1) * static_cast<std::size_t>(N) +
                   static_cast<std::size_t>(Component - 1)];
}

double TPCAResult::AbsoluteEigVal(int Component) const
{
    if (N < 1 || Component < 1 || Component > N) return 0;
    return AbsEigVals[static_cast<std::size_t>(Component - 1)];
}

double EigVecElem(int Component, int Variable)
{
    return Results().EigVecElem(Component, Variable);
}

double AbsoluteEigVal(int Component)
{
    return Results().AbsoluteEigVal(Component);
}

int EigVecCount()
{
    return Results().N;
}

void ClearEigVecResults()
{
    Results() = TPCAResult();
}

void StoreEigVecResult(TPCAResult Result)
{
    Results() = std::move(Result);
}

const TPCAResult& LastEigVecResult()
{
    return Results();
}
