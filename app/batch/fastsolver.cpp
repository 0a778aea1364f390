#include "fastsolver.h"

#include <lapacke.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

// OpenBLAS's, where the system's BLAS is OpenBLAS; weak, so that any other BLAS links as well.
extern "C" int blas_thread_shutdown_() __attribute__((weak));

void ParkBlasThreads()
{
    if (blas_thread_shutdown_) blas_thread_shutdown_();
}

namespace {

// Column-major n x n eigenvectors, one component per column.
using TColumns = std::vector<double>;

// Every column of V (n x k) turned so that its largest magnitude is positive.
void ApplySignRule(TColumns& V, int n, int k)
{
    for (int c = 0; c < k; ++c) {
        double* col = V.data() + std::size_t(c) * std::size_t(n);
        const double* top = std::max_element(
            col, col + n, [](double a, double b) { return std::fabs(a) < std::fabs(b); });
        if (*top < 0)
            for (int j = 0; j < n; ++j) col[j] = -col[j];
    }
}

// The result of eigenvalues W and column-major eigenvectors V (n x n), before the sort.
TPCAResult ToResult(std::vector<double> W, TColumns V, int n)
{
    ApplySignRule(V, n, n);
    TPCAResult r;
    r.Status = pcaDone;
    r.N = n;
    r.AbsEigVals = W;
    r.EigVals = std::move(W);
    r.EigVecs.resize(std::size_t(n) * std::size_t(n));
    for (std::size_t j = 0; j < std::size_t(n); ++j)
        for (std::size_t k = 0; k < std::size_t(n); ++k)
            r.EigVecs[j * std::size_t(n) + k] = V[k * std::size_t(n) + j];
    return r;
}

TPCAResult Failed()
{
    TPCAResult r;
    r.Status = pcaNoConvergence;
    return r;
}

// Symmetric A (column-major, n x n, destroyed) into ascending eigenvalues and their vectors.
bool SymmetricEigen(std::vector<double>& A, int n, std::vector<double>& W, TColumns& V)
{
    W.assign(std::size_t(n), 0.0);
    V.assign(std::size_t(n) * std::size_t(n), 0.0);
    std::vector<lapack_int> support(2 * std::size_t(n));
    lapack_int found = 0;
    return LAPACKE_dsyevr(LAPACK_COL_MAJOR, 'V', 'A', 'U', n, A.data(), n, 0, 0, 0, 0, 0.0, &found,
                          W.data(), V.data(), n, support.data()) == 0 &&
           found == n;
}

TPCAResult FromCross(TMatrix& Cross)
{
    const int n = Cross.NrOfColumns();
    std::vector<double> a(std::size_t(n) * std::size_t(n));
    for (int c = 0; c < n; ++c)
        std::copy(Cross.ColumnData(c + 1), Cross.ColumnData(c + 1) + n,
                  a.begin() + std::ptrdiff_t(c) * n);
    std::vector<double> w;
    TColumns v;
    if (!SymmetricEigen(a, n, w, v)) return Failed();
    return ToResult(std::move(w), std::move(v), n);
}

// The data block scaled so that its cross products Y^T Y / (m - 1) are those of the scaling,
// row-major m x n; columns that the correlation leaves without variance become 0 and are listed.
struct TScaled {
    int m = 0, n = 0;
    std::vector<double> Y;
    std::vector<int> Constant;
};

TScaled Scale(const TMatrixBlock& b, int Scaling)
{
    TScaled s;
    s.m = b.HiRow - b.LoRow + 1;
    s.n = b.HiCol - b.LoCol + 1;
    s.Y.resize(std::size_t(s.m) * std::size_t(s.n));
    for (int c = 0; c < s.n; ++c) {
        std::vector<double> x(std::size_t(s.m));
        for (int r = 0; r < s.m; ++r) x[r] = b.Matrix.Elem(b.LoCol + c, b.LoRow + r);
        double mean = 0, divisor = 1;
        if (Scaling > 0) {
            // About the first value, as the cross products do: a constant column is exactly 0.
            long double sum = 0;
            for (double v : x) sum += v - x[0];
            mean = x[0] + double(sum / s.m);
        }
        if (Scaling == 2) {
            long double squares = 0;
            for (double v : x) squares += (long double)(v - mean) * (v - mean);
            divisor = std::sqrt(double(squares / (s.m - 1)));
            if (divisor == 0) s.Constant.push_back(c);
        }
        for (int r = 0; r < s.m; ++r)
            s.Y[std::size_t(r) * std::size_t(s.n) + c] = divisor == 0 ? 0 : (x[r] - mean) / divisor;
    }
    return s;
}

// The n - k columns after the first k of an n x n matrix become an orthonormal basis of what
// the first k (orthonormal) leave out.
bool CompleteBasis(TColumns& V, int n, int k)
{
    if (k == 0) {
        for (int c = 0; c < n; ++c) V[std::size_t(c) * n + c] = 1;
        return true;
    }
    TColumns q(V.begin(), V.begin() + std::ptrdiff_t(k) * n);
    q.resize(std::size_t(n) * std::size_t(n), 0.0);
    std::vector<double> tau(static_cast<std::size_t>(k));
    if (LAPACKE_dgeqrf(LAPACK_COL_MAJOR, n, k, q.data(), n, tau.data()) != 0) return false;
    if (LAPACKE_dorgqr(LAPACK_COL_MAJOR, n, n, k, q.data(), n, tau.data()) != 0) return false;
    std::copy(q.begin() + std::ptrdiff_t(k) * n, q.end(), V.begin() + std::ptrdiff_t(k) * n);
    return true;
}

// Fewer rows than columns: C = Y^T Y / (m - 1) shares its non-zero eigenvalues with the
// m x m G = Y Y^T / (m - 1); v = Y^T u / sqrt(lambda (m - 1)).
TPCAResult ThroughRows(const TMatrixBlock& Block, int Scaling)
{
    const TScaled s = Scale(Block, Scaling);
    const int m = s.m, n = s.n;
    const double scale = 1.0 / (m - 1);
    std::vector<double> g(std::size_t(m) * std::size_t(m));
    for (int i = 0; i < m; ++i)
        for (int j = 0; j <= i; ++j) {
            const double* a = &s.Y[std::size_t(i) * n];
            const double* b = &s.Y[std::size_t(j) * n];
            double sum = 0;
            for (int c = 0; c < n; ++c) sum += a[c] * b[c];
            g[std::size_t(j) * m + i] = g[std::size_t(i) * m + j] = sum * scale;
        }
    std::vector<double> lambda;
    TColumns u;
    if (!SymmetricEigen(g, m, lambda, u)) return Failed();

    // Components in the order: those of the rows (largest first), the constant columns of a
    // correlation (eigenvalue 1 each), then the completion with eigenvalue 0.
    std::vector<double> w(std::size_t(n), 0.0);
    TColumns v(std::size_t(n) * std::size_t(n), 0.0);
    const double top = std::max(0.0, lambda.empty() ? 0.0 : lambda.back());
    int k = 0;
    for (int i = m - 1; i >= 0 && k < n; --i) {
        // Below this the direction is rounding noise of a zero eigenvalue.
        if (!(lambda[i] > top * 1e-13 * m)) break;
        const double norm = 1 / std::sqrt(lambda[i] * (m - 1));
        double* col = &v[std::size_t(k) * n];
        for (int r = 0; r < m; ++r) {
            const double f = u[std::size_t(i) * m + r] * norm;
            const double* y = &s.Y[std::size_t(r) * n];
            for (int c = 0; c < n; ++c) col[c] += f * y[c];
        }
        w[std::size_t(k++)] = lambda[i];
    }
    for (int c : s.Constant) {
        v[std::size_t(k) * n + c] = 1;
        w[std::size_t(k++)] = 1;
    }
    if (!CompleteBasis(v, n, k)) return Failed();
    return ToResult(std::move(w), std::move(v), n);
}

} // namespace

TPCAResult CalcPCAFast(const TMatrixBlock& Block, int Scaling)
{
    TMatrixBlock b = Block;
    if (b.LoCol == 0 && b.HiCol == 0) b.LoCol = 1, b.HiCol = b.Matrix.NrOfColumns();
    if (b.LoRow == 0 && b.HiRow == 0) b.LoRow = 1, b.HiRow = b.Matrix.NrOfRows();
    const bool wide = b.HiRow - b.LoRow + 1 < b.HiCol - b.LoCol + 1;
    const bool inside = b.LoRow >= 1 && b.HiRow <= b.Matrix.NrOfRows() && b.LoCol >= 1 &&
                        b.HiCol <= b.Matrix.NrOfColumns();
    const bool throughRows = wide && inside && Scaling >= 0 && Scaling <= 2;
    return CalcPCAWith(b, Scaling, true, [&](TMatrix& Cross) {
        return throughRows ? ThroughRows(b, Scaling) : FromCross(Cross);
    });
}

namespace {

// Each Jacobi sweep on one line of standard error, cleared at the end.
class TSweepLine {
  public:
    explicit TSweepLine(bool Show)
    {
        if (Show)
            FProgress.OnSweep = [this](int Sweep, double Sum) {
                char line[128];
                const int length = std::snprintf(
                    line, sizeof line, "pca-batch: sweep %d of at most 100, off-diagonal sum %.6g",
                    Sweep, Sum);
                std::fprintf(stderr, "\r%s%*s", line, std::max(0, FShown - length), "");
                std::fflush(stderr);
                FShown = std::max(FShown, length);
            };
    }
    ~TSweepLine()
    {
        // Blanked with spaces, not an escape sequence: the terminal may be anything.
        if (FShown > 0) std::fprintf(stderr, "\r%*s\r", FShown, "");
    }
    TSweepLine(const TSweepLine&) = delete;
    TSweepLine& operator=(const TSweepLine&) = delete;
    const TPCAProgress* Progress() const { return &FProgress; }

  private:
    TPCAProgress FProgress;
    int FShown = 0; // length of the longest progress line so far
};

} // namespace

TPCAResult BatchComponents(const TAnalysisDataSet& Data, int Scaling, TSolverKind Solver,
                           bool ShowProgress)
{
    if (Solver == skFast)
        return CalcPCAFast({Data.DataMat(), 1, Data.NrOfColumns(), 1, Data.NrOfRows()}, Scaling);
    const TSweepLine line(ShowProgress);
    return CalcComponents(Data, Scaling, line.Progress());
}

TPCAResult BatchDecompose(TMatrix& Cross, TSolverKind Solver, bool ShowProgress)
{
    if (Solver == skFast) return DecomposeCrossProducts(Cross, true, FromCross);
    const TSweepLine line(ShowProgress);
    return DecomposeCrossProducts(Cross, true,
                                  [&line](TMatrix& C) { return JacobiEigen(C, line.Progress()); });
}
