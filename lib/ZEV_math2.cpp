#include "ZEV_math2.h"

#include "Memory.h"
#include "ZEV_vector.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

namespace {

struct TEigResult {
    int n = 0;
    std::vector<double> eigenvalues;  // component k at k - 1
    std::vector<double> eigenvectors; // (variable j, component k) at (j - 1) n + (k - 1)
};

TEigResult& Results()
{
    static TEigResult results;
    return results;
}

// The vector helpers below are internal to this file, so the note that their calling
// convention differs without AVX concerns no caller.
#pragma GCC diagnostic ignored "-Wpsabi"

// Four doubles; the compiler maps it to whatever the target has.
using v4d = double __attribute__((vector_size(32)));

inline v4d Load(const double* p)
{
    v4d v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
inline void Store(double* p, v4d v)
{
    std::memcpy(p, &v, sizeof v);
}

// ---------------------------------------------------------------------------------------------
// Cross products

// Rows per block: a block of every column stays in the first-level cache for n up to ~40 and in
// the second level beyond, and each pair of columns is then one contiguous dot product.
constexpr int kBlockRows = 128;

// Where the running sum of pair (j, c), j <= c, is kept.
inline std::size_t PairIndex(int c, int j)
{
    return static_cast<std::size_t>(c) * (c + 1) / 2 + j;
}

// Adds the products of one block to the running sums, pairs of columns against pairs of
// columns so that every value loaded serves two products. The sums stay in vectors until the
// end, so a block costs no horizontal additions.
void AccumulateProducts(const double* tile, int n, v4d* acc)
{
    for (int c = 0; c < n; c += 2) {
        const bool two = c + 1 < n;
        const double* a0 = tile + static_cast<std::size_t>(c) * kBlockRows;
        const double* a1 = two ? a0 + kBlockRows : a0;
        for (int j = 0; j <= c; j += 2) {
            const double* b0 = tile + static_cast<std::size_t>(j) * kBlockRows;
            const double* b1 = b0 + kBlockRows; // j + 1 <= c + 1: exists when it is used
            v4d s00{}, s01{}, s10{}, s11{}, t00{}, t01{}, t10{}, t11{};
            for (int i = 0; i < kBlockRows; i += 8) {
                const v4d x0 = Load(a0 + i), x1 = Load(a1 + i), y0 = Load(b0 + i),
                          y1 = Load(j + 1 < n ? b1 + i : b0 + i);
                s00 += x0 * y0;
                s01 += x0 * y1;
                s10 += x1 * y0;
                s11 += x1 * y1;
                const v4d u0 = Load(a0 + i + 4), u1 = Load(a1 + i + 4), w0 = Load(b0 + i + 4),
                          w1 = Load(j + 1 < n ? b1 + i + 4 : b0 + i + 4);
                t00 += u0 * w0;
                t01 += u0 * w1;
                t10 += u1 * w0;
                t11 += u1 * w1;
            }
            acc[PairIndex(c, j)] += s00 + t00;
            if (j + 1 <= c) acc[PairIndex(c, j + 1)] += s01 + t01;
            if (two) {
                acc[PairIndex(c + 1, j)] += s10 + t10;
                acc[PairIndex(c + 1, j + 1)] += s11 + t11;
            }
        }
    }
}

// The same for squared differences, pair by pair (a mode the program itself does not use).
void AccumulateSquaredDistances(const double* tile, int n, v4d* acc)
{
    for (int c = 0; c < n; ++c) {
        const double* a = tile + static_cast<std::size_t>(c) * kBlockRows;
        for (int j = 0; j <= c; ++j) {
            const double* b = tile + static_cast<std::size_t>(j) * kBlockRows;
            v4d s0{}, s1{};
            for (int i = 0; i < kBlockRows; i += 8) {
                const v4d d0 = Load(a + i) - Load(b + i), d1 = Load(a + i + 4) - Load(b + i + 4);
                s0 += d0 * d0;
                s1 += d1 * d1;
            }
            acc[PairIndex(c, j)] += s0 + s1;
        }
    }
}

// Sum of x - Shift over Count contiguous values, in eight interleaved partial sums.
double SumShifted(const double* x, long long Count, double Shift)
{
    const v4d vs = {Shift, Shift, Shift, Shift};
    v4d s0{}, s1{};
    long long i = 0;
    for (; i + 8 <= Count; i += 8) {
        s0 += Load(x + i) - vs;
        s1 += Load(x + i + 4) - vs;
    }
    const v4d t = s0 + s1;
    double sum = (t[0] + t[1]) + (t[2] + t[3]);
    for (; i < Count; ++i) sum += x[i] - Shift;
    return sum;
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
    if (Mode > 0) {
        double* s = sum.Data();
        // Rows outside the matrix read as 0.
        const long long inside = std::max(0, lastRow - firstRow + 1);
        const double outside = static_cast<double>(mm - inside);
        for (int c = 0; c < n; ++c) {
            const double shift = DataMat.Elem(LoCol + c, LoRow);
            if (cols[c] && inside > 0) s[c] = SumShifted(cols[c] + firstRow - 1, inside, shift);
            s[c] -= outside * shift;
            mean[c] = shift + s[c] / m;
        }
    }

    // Upper triangle of the sums, pair (j, c) with j <= c at PairIndex(c, j), four partial
    // sums each, and one block of rows of every column.
    const std::size_t pairs = un * (un + 1) / 2;
    if (!CanAllocateBytes(pairs * sizeof(v4d) + un * kBlockRows * sizeof(double)))
        throw EZEVVectorError(NotEnoughMemoryMessage(QStringLiteral("CalcCrossProdMatrix")));
    std::vector<v4d> partial;
    std::vector<double> tile;
    try {
        partial.assign(pairs, v4d{});
        tile.assign(un * kBlockRows, 0.0);
    } catch (const std::bad_alloc&) {
        throw EZEVVectorError(NotEnoughMemoryMessage(QStringLiteral("CalcCrossProdMatrix")));
    }
    if (Mode >= 0 && Mode <= 4) {
        const bool centred = Mode >= 1 && Mode <= 3;
        for (long long r0 = LoRow; r0 <= HiRow; r0 += kBlockRows) {
            const long long r1 = std::min<long long>(HiRow, r0 + kBlockRows - 1);
            for (int c = 0; c < n; ++c) {
                double* t = &tile[static_cast<std::size_t>(c) * kBlockRows];
                const double centre = centred ? mean[c] : 0.0;
                // Rows outside the matrix read as 0 like every other access.
                const long long in0 = std::max<long long>(r0, 1);
                const long long in1 = cols[c] ? std::min<long long>(r1, dataRows) : 0;
                int i = 0;
                for (long long r = r0; r < std::min(in0, r1 + 1); ++r) t[i++] = -centre;
                if (in0 <= in1) {
                    const double* src = cols[c] + (in0 - 1);
                    const int len = static_cast<int>(in1 - in0 + 1);
                    for (int k = 0; k < len; ++k) t[i + k] = src[k] - centre;
                    i += len;
                }
                for (long long r = std::max(in1 + 1, in0); r <= r1; ++r) t[i++] = -centre;
                // Padding contributes nothing to a product or a difference.
                for (; i < kBlockRows; ++i) t[i] = 0.0;
            }
            if (Mode == 4)
                AccumulateSquaredDistances(tile.data(), n, partial.data());
            else
                AccumulateProducts(tile.data(), n, partial.data());
        }
    }
    auto sumOf = [&partial](int c, int j) {
        const v4d& p = partial[PairIndex(c, j)];
        return (p[0] + p[1]) + (p[2] + p[3]);
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

// The widest vector the target has, for the rotations.
#if defined(__AVX512F__)
using vNd = double __attribute__((vector_size(64)));
#else
using vNd = v4d;
#endif
constexpr std::size_t kLanes = sizeof(vNd) / sizeof(double);

inline vNd LoadN(const double* p)
{
    vNd v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
inline void StoreN(double* p, vNd v)
{
    std::memcpy(p, &v, sizeof v);
}

// x' = x - s (y + x tau), y' = y + s (x - y tau) for two pairs of contiguous runs of Len:
// the two matrix columns and the two eigenvector columns of one rotation.
void Rotate(double* __restrict x, double* __restrict y, double* __restrict u, double* __restrict v,
            std::size_t Len, double s, double tau)
{
    const vNd vs = vNd{} + s, vt = vNd{} + tau;
    std::size_t i = 0;
    for (; i + kLanes <= Len; i += kLanes) {
        const vNd a = LoadN(x + i), b = LoadN(y + i);
        StoreN(x + i, a - vs * (b + a * vt));
        StoreN(y + i, b + vs * (a - b * vt));
        const vNd e = LoadN(u + i), f = LoadN(v + i);
        StoreN(u + i, e - vs * (f + e * vt));
        StoreN(v + i, f + vs * (e - f * vt));
    }
    for (; i < Len; ++i) {
        const double a = x[i], b = y[i];
        x[i] = a - s * (b + a * tau);
        y[i] = b + s * (a - b * tau);
        const double e = u[i], f = v[i];
        u[i] = e - s * (f + e * tau);
        v[i] = f + s * (e - f * tau);
    }
}

using v4i = long long __attribute__((vector_size(32)));

// In the symmetric work matrix w (column-major, order n), element (row c, col r) := element
// (row r, col c) for r in [R0, R1), c in [C0, C1); the two ranges must not overlap. Tiles of
// 4 x 4 go through registers so that both sides are read and written in whole vectors.
void MirrorRect(double* w, std::size_t n, int R0, int R1, int C0, int C1)
{
    int c = C0;
    for (; c + 4 <= C1; c += 4) {
        int r = R0;
        for (; r + 4 <= R1; r += 4) {
            // a_k: column c + k, rows r..r + 3; d_j: column r + j, rows c..c + 3.
            const double* src = w + static_cast<std::size_t>(c) * n + r;
            const v4d a0 = Load(src), a1 = Load(src + n), a2 = Load(src + 2 * n),
                      a3 = Load(src + 3 * n);
            const v4d t0 = __builtin_shuffle(a0, a1, v4i{0, 4, 2, 6});
            const v4d t1 = __builtin_shuffle(a0, a1, v4i{1, 5, 3, 7});
            const v4d t2 = __builtin_shuffle(a2, a3, v4i{0, 4, 2, 6});
            const v4d t3 = __builtin_shuffle(a2, a3, v4i{1, 5, 3, 7});
            double* dst = w + static_cast<std::size_t>(r) * n + c;
            Store(dst, __builtin_shuffle(t0, t2, v4i{0, 1, 4, 5}));
            Store(dst + n, __builtin_shuffle(t1, t3, v4i{0, 1, 4, 5}));
            Store(dst + 2 * n, __builtin_shuffle(t0, t2, v4i{2, 3, 6, 7}));
            Store(dst + 3 * n, __builtin_shuffle(t1, t3, v4i{2, 3, 6, 7}));
        }
        for (; r < R1; ++r)
            for (int k = c; k < c + 4; ++k) w[r * n + k] = w[k * n + r];
    }
    for (; c < C1; ++c)
        for (int r = R0; r < R1; ++r) w[r * n + c] = w[c * n + r];
}

// Below the diagonal from above it for columns [I0, n): (row q, col i) := (row i, col q), q > i.
void MirrorUpperToLower(double* w, std::size_t n, int I0, int Tile)
{
    const int order = static_cast<int>(n);
    for (int q0 = I0 + 1; q0 < order; q0 += Tile) {
        const int q1 = std::min(order, q0 + Tile);
        // Source: rows [I0, q0) of columns [q0, q1), then the small triangle inside the tile.
        MirrorRect(w, n, I0, q0, q0, q1);
        for (int i = q0; i < q1 - 1; ++i)
            for (int q = i + 1; q < q1; ++q) w[i * n + q] = w[q * n + i];
    }
}

std::vector<double> AllocateOrThrow(std::size_t Count)
{
    if (!CanAllocate(Count, sizeof(double)))
        throw EZEVMath2Error(QStringLiteral("CalcEigVec: not enough memory"));
    try {
        return std::vector<double>(Count, 0.0);
    } catch (const std::bad_alloc&) {
        throw EZEVMath2Error(QStringLiteral("CalcEigVec: not enough memory"));
    }
}

} // namespace

bool CalcEigVec(TMatrix& Matrix)
{
    const int n = Matrix.NrOfColumns();
    if (n > MaxEigVecVariables) return false;
    const auto un = static_cast<std::size_t>(n);

    // The symmetric matrix is held in full, column by column (w[q n + p] = a(p, q) = w[p n + q]),
    // so that rotating rows and columns p and q touches two contiguous columns; the row halves
    // are kept equal by copying. The eigenvectors are held column by column for the same reason.
    std::vector<double> w = AllocateOrThrow(un * un);
    std::vector<double> v = AllocateOrThrow(un * un);
    std::vector<double> eigenvectors = AllocateOrThrow(un * un);
    std::vector<double> d = AllocateOrThrow(un), b = AllocateOrThrow(un), z = AllocateOrThrow(un);

    for (int q = 0; q < n; ++q)
        for (int p = 0; p < q; ++p) w[q * un + p] = w[p * un + q] = Matrix.Elem(q + 1, p + 1);
    for (int i = 0; i < n; ++i) {
        v[i * un + i] = 1;
        b[i] = d[i] = Matrix.Elem(i + 1, i + 1);
    }

    constexpr int kTile = 8;
    bool converged = false;
    for (int k = 1; k <= 100; ++k) {
        double sm = 0;
        for (int q = 1; q < n; ++q)
            for (int p = 0; p < q; ++p) sm += std::fabs(w[q * un + p]);
        if (sm == 0) {
            // Only a check before the hundredth counts as convergence.
            converged = k < 100;
            break;
        }
        // Columns left behind by the previous sweep get their part below the diagonal back.
        MirrorUpperToLower(w.data(), un, 0, kTile);
        const double t0 = k < 4 ? 0.2 * sm / (static_cast<double>(n) * n) : 0.0;
        // Within one p only column p and column q change, so the copies of a(j, q) held in
        // other columns go stale. Instead of copying each rotated column across the matrix
        // (one scattered store per element), row q is gathered into column q just before it is
        // needed, and the part below the diagonal is refreshed once per p; both in tiles of
        // kTile columns so that every cache line fetched is used whole.
        for (int p = 0; p < n - 1; ++p) {
            double* colP = &w[p * un];
            for (int q0 = p + 1; q0 < n; q0 += kTile) {
                const int q1 = std::min(n, q0 + kTile);
                MirrorRect(w.data(), un, q0, q1, p + 1, q0);
                for (int q = q0; q < q1; ++q) {
                    double* colQ = &w[q * un];
                    for (int i = q0; i < q; ++i) colQ[i] = w[i * un + q];
                    // Column p is current for a(p, q); row p is copied out after this p.
                    const double apq = colP[q];
                    // Extended precision: these tests decide when an element is negligible.
                    const long double g = 200.0L * std::fabs(static_cast<long double>(apq));
                    const long double dp = std::fabs(static_cast<long double>(d[p]));
                    const long double dq = std::fabs(static_cast<long double>(d[q]));
                    if (k > 4 && dp + g == dp && dq + g == dq) {
                        colQ[p] = colP[q] = 0;
                        continue;
                    }
                    if (!(std::fabs(apq) > t0)) continue;
                    double h = d[q] - d[p];
                    double t;
                    const long double absH = std::fabs(static_cast<long double>(h));
                    if (absH + g == absH) {
                        t = apq / h;
                    } else {
                        const double theta = h / apq / 2;
                        t = 1 / (std::fabs(theta) + std::sqrt(theta * theta + 1));
                        if (theta < 0) t = -t;
                    }
                    const double c = 1 / std::sqrt(t * t + 1);
                    const double s = t * c;
                    const double tau = s / (1 + c);
                    h = t * apq;
                    z[p] -= h;
                    z[q] += h;
                    d[p] -= h;
                    d[q] += h;
                    // Every j other than p and q: (a(j, p), a(j, q)) in the upper-triangle terms.
                    // Rows p and q go along to keep the run whole: the diagonal places of w are
                    // never read, and a(p, q) is set to 0 afterwards.
                    Rotate(colP, colQ, &v[p * un], &v[q * un], un, s, tau);
                    colQ[p] = colP[q] = 0;
                }
            }
            // Below the diagonal from above it in the columns the next p reads (those after p;
            // the earlier ones wait for the next sweep); then row p.
            MirrorUpperToLower(w.data(), un, p + 1, kTile);
            for (int j = 0; j < n; ++j)
                if (j != p) w[j * un + p] = colP[j];
        }
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
        for (int p = 0; p < rows; ++p) col[p] = w[q * un + p];
    }
    if (n > 1) Matrix.Changed();

    for (std::size_t j = 0; j < un; ++j)
        for (std::size_t comp = 0; comp < un; ++comp)
            eigenvectors[j * un + comp] = v[comp * un + j];
    TEigResult& r = Results();
    r.n = n;
    r.eigenvalues = std::move(d);
    r.eigenvectors = std::move(eigenvectors);
    return converged;
}

bool CalcPrincComp(const TMatrix& DataMat, int LoCol, int HiCol, int LoRow, int HiRow, int Scaling)
{
    return CalcPrincCompEx(DataMat, LoCol, HiCol, LoRow, HiRow, Scaling, true);
}

bool CalcPrincCompEx(const TMatrix& DataMat, int LoCol, int HiCol, int LoRow, int HiRow,
                     int Scaling, bool RelEigVals)
{
    // The same "0..0 is everything" as the cross products, so that n is the real count.
    if (LoCol == 0 && HiCol == 0) HiCol = DataMat.NrOfColumns(), LoCol = 1;
    const long long nn = static_cast<long long>(HiCol) - LoCol + 1;
    if (nn < 1) return false;
    // Refused before the n x n work matrix is built, with the same outcome as the size test.
    if (nn > MaxEigVecVariables) return false;
    const int n = static_cast<int>(nn);

    {
        TMatrix cross;
        cross.Resize(n, n);
        if (!CalcCrossProdMatrix(DataMat, cross, LoCol, HiCol, LoRow, HiRow, Scaling)) return false;
        if (!CalcEigVec(cross)) return false;
    }

    TEigResult& r = Results();
    std::vector<double>& d = r.eigenvalues;
    std::vector<double>& vec = r.eigenvectors;
    const auto un = static_cast<std::size_t>(n);
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
        for (std::size_t j = 0; j < un; ++j) std::swap(vec[j * un + k], vec[j * un + index]);
    }
    return true;
}

double EigVecElem(int Component, int Variable)
{
    const TEigResult& r = Results();
    if (r.n < 1 || Component < 1 || Component > r.n || Variable < 0 || Variable > r.n) return 0;
    if (Variable == 0) return r.eigenvalues[static_cast<std::size_t>(Component - 1)];
    return r.eigenvectors[static_cast<std::size_t>(Variable - 1) * static_cast<std::size_t>(r.n) +
                          static_cast<std::size_t>(Component - 1)];
}

int EigVecCount()
{
    return Results().n;
}

void ClearEigVecResults()
{
    TEigResult& r = Results();
    r.n = 0;
    r.eigenvalues.clear();
    r.eigenvalues.shrink_to_fit();
    r.eigenvectors.clear();
    r.eigenvectors.shrink_to_fit();
}
