#include "ZEV_math2.h"

#include "Memory.h"
#include "ZEV_math2_aligned.h"
#include "ZEV_math2_crossprod.h"
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

} // namespace

bool CalcCrossProdMatrix(const TMatrix& DataMat, TMatrix& CrossMat, int LoCol, int HiCol, int LoRow,
                         int HiRow, int Mode)
{
    return CalcCrossProducts(DataMat, CrossMat, LoCol, HiCol, LoRow, HiRow, Mode) == csDone;
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

TPCAResult DecomposeCrossProducts(TMatrix& Cross, bool RelEigVals, const TEigenSolver& Solver)
{
    TPCAResult r = Solver(Cross);
    if (!r.Ok()) return r;
    NormaliseAndSort(r, RelEigVals);
    if (!AllFinite(r.EigVals) || !AllFinite(r.AbsEigVals) || !AllFinite(r.EigVecs))
        r.Status = pcaNotFinite;
    return r;
}

TPCAResult CalcPCAWith(const TMatrixBlock& Block, int Scaling, bool RelEigVals,
                       const TEigenSolver& Solver, const std::atomic<bool>* Cancel)
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

    TMatrix cross;
    cross.Resize(n, n);
    // With the block's columns and a matrix of their size, only the rows can fail.
    switch (CalcCrossProducts(Block.Matrix, cross, loCol, hiCol, Block.LoRow, Block.HiRow, Scaling,
                              Cancel)) {
    case csRefused:
        r.Status = pcaTooFewRows;
        return r;
    case csCancelled:
        r.Status = pcaCancelled;
        return r;
    case csDone:
        break;
    }
    return DecomposeCrossProducts(cross, RelEigVals, Solver);
}

TPCAResult CalcPCA(const TMatrixBlock& Block, int Scaling, bool RelEigVals,
                   const TPCAProgress* Progress)
{
    return CalcPCAWith(
        Block, Scaling, RelEigVals,
        [Progress](TMatrix& Cross) { return JacobiEigen(Cross, Progress); },
        Progress ? Progress->Cancel : nullptr);
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
