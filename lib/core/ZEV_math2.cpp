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
    std::vector<double> absolute;     // the same before they were made relative
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

// Unaligned loads and stores of either vector width.
template <typename V = v4d> inline V Load(const double* p)
{
    V v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
template <typename V> inline void Store(double* p, V v)
{
    std::memcpy(p, &v, sizeof v);
}

// The widest vector the target has, for the products and the rotations.
#if defined(__AVX512F__)
using vNd = double __attribute__((vector_size(64)));
#else
using vNd = v4d;
#endif
constexpr int kLanes = sizeof(vNd) / sizeof(double);

inline vNd LoadN(const double* p)
{
    return Load<vNd>(p);
}

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

// ---------------------------------------------------------------------------------------------
// Cross products

// Rows per block: the four columns of one side of a panel pair stay in the first-level cache
// while the other side streams from the second level. A multiple of kLanes.
constexpr int kBlockRows = 256;
// Columns per panel; the tile is padded with zero columns to a whole number of panels.
constexpr int kPanel = 4;

// Adds to Dst[k] the sum of the lanes of S[k], k = 0..3.
inline void AddLaneSums(const vNd* S, double* Dst)
{
    v4d h[4];
    for (int k = 0; k < 4; ++k) {
#if defined(__AVX512F__)
        h[k] = __builtin_shufflevector(S[k], S[k], 0, 1, 2, 3) +
               __builtin_shufflevector(S[k], S[k], 4, 5, 6, 7);
#else
        h[k] = S[k];
#endif
    }
    const v4d t0 = __builtin_shufflevector(h[0], h[1], 0, 4, 2, 6) +
                   __builtin_shufflevector(h[0], h[1], 1, 5, 3, 7);
    const v4d t1 = __builtin_shufflevector(h[2], h[3], 0, 4, 2, 6) +
                   __builtin_shufflevector(h[2], h[3], 1, 5, 3, 7);
    Store(Dst, Load(Dst) + __builtin_shufflevector(t0, t1, 0, 1, 4, 5) +
                   __builtin_shufflevector(t0, t1, 2, 3, 6, 7));
}

// Adds the products of one block to the totals (square, order N4, pair (c, j) at c N4 + j),
// a panel of four columns against a panel of four: every vector loaded serves four products,
// and the sixteen sums stay in registers for the whole block.
void AccumulateProducts(const double* tile, int N4, double* total)
{
    for (int c0 = 0; c0 < N4; c0 += kPanel) {
        const double* a = tile + static_cast<std::size_t>(c0) * kBlockRows;
        for (int j0 = 0; j0 <= c0; j0 += kPanel) {
            const double* b = tile + static_cast<std::size_t>(j0) * kBlockRows;
            vNd s[kPanel][kPanel] = {};
            for (int i = 0; i < kBlockRows; i += kLanes) {
                vNd x[kPanel], y[kPanel];
                for (int k = 0; k < kPanel; ++k) {
                    x[k] = LoadN(a + k * kBlockRows + i);
                    y[k] = LoadN(b + k * kBlockRows + i);
                }
                for (int r = 0; r < kPanel; ++r)
                    for (int k = 0; k < kPanel; ++k) s[r][k] += x[r] * y[k];
            }
            for (int r = 0; r < kPanel; ++r)
                AddLaneSums(s[r], total + static_cast<std::size_t>(c0 + r) * N4 + j0);
        }
    }
}

// The same for squared differences, pair by pair (a mode the program itself does not use).
void AccumulateSquaredDistances(const double* tile, int n, int N4, double* total)
{
    for (int c = 0; c < n; ++c) {
        const double* a = tile + static_cast<std::size_t>(c) * kBlockRows;
        for (int j = 0; j <= c; ++j) {
            const double* b = tile + static_cast<std::size_t>(j) * kBlockRows;
            vNd s = {};
            for (int i = 0; i < kBlockRows; i += kLanes) {
                const vNd d = LoadN(a + i) - LoadN(b + i);
                s += d * d;
            }
            double sum = 0;
            for (int k = 0; k < kLanes; ++k) sum += s[k];
            total[static_cast<std::size_t>(c) * N4 + j] += sum;
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

    // The sums, pair (c, j) with j <= c at c n4 + j (the square's other half is scratch), and
    // one block of rows of every column, both padded to whole panels of columns.
    const int n4 = (n + kPanel - 1) / kPanel * kPanel;
    const auto un4 = static_cast<std::size_t>(n4);
    if (!CanAllocateBytes((un4 * un4 + un4 * kBlockRows) * sizeof(double)))
        throw EZEVVectorError(NotEnoughMemoryMessage(QStringLiteral("CalcCrossProdMatrix")));
    TAlignedDoubles total, tile;
    try {
        total.assign(un4 * un4, 0.0);
        tile.assign(un4 * kBlockRows, 0.0);
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
                AccumulateSquaredDistances(tile.data(), n, n4, total.data());
            else
                AccumulateProducts(tile.data(), n4, total.data());
        }
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

// x' = x - s (y + x tau), y' = y + s (x - y tau) on [Begin, End), a range of whole vectors, of
// two runs.
inline void RotateRange(double* __restrict x, double* __restrict y, std::size_t Begin,
                        std::size_t End, vNd vs, vNd vt)
{
    for (std::size_t i = Begin; i < End; i += kLanes) {
        const vNd a = LoadN(x + i), b = LoadN(y + i);
        Store(x + i, a - vs * (b + a * vt));
        Store(y + i, b + vs * (a - b * vt));
    }
}

inline void RotatePair(double& x, double& y, double s, double tau)
{
    const double a = x, b = y;
    x = a - s * (b + a * tau);
    y = b + s * (a - b * tau);
}

// One rotation: the first Rows elements of two matrix columns, whole vectors then the rest one
// by one, and the two eigenvector columns of Len, a multiple of kLanes, in whole vectors.
void Rotate(double* x, double* y, std::size_t Rows, double* u, double* v, std::size_t Len, double s,
            double tau)
{
    const vNd vs = vNd{} + s, vt = vNd{} + tau;
    const std::size_t whole = Rows / kLanes * kLanes;
    RotateRange(x, y, 0, whole, vs, vt);
    for (std::size_t i = whole; i < Rows; ++i) RotatePair(x[i], y[i], s, tau);
    RotateRange(u, v, 0, Len, vs, vt);
}

enum TAction { acKeep, acZero, acRotate };
struct TStep {
    TAction action = acKeep;
    double s = 0, tau = 0;
};

// What happens to the pair (p, q) given the current a(p, q), with the updates of the eigenvalue
// stores that a rotation brings. Divisions and square roots make this a long chain of latencies
// that every rotation waits for.
TStep Plan(int Sweep, double T0, double Apq, double& Dp, double& Dq, double& Zp, double& Zq)
{
    // Extended precision: these tests decide when an element is negligible.
    const long double g = 200.0L * std::fabs(static_cast<long double>(Apq));
    const long double dp = std::fabs(static_cast<long double>(Dp));
    const long double dq = std::fabs(static_cast<long double>(Dq));
    if (Sweep > 4 && dp + g == dp && dq + g == dq) return {acZero};
    if (!(std::fabs(Apq) > T0)) return {acKeep};
    double h = Dq - Dp;
    double t;
    const long double absH = std::fabs(static_cast<long double>(h));
    if (absH + g == absH) {
        t = Apq / h;
    } else {
        const double theta = h / Apq / 2;
        t = 1 / (std::fabs(theta) + std::sqrt(theta * theta + 1));
        if (theta < 0) t = -t;
    }
    const double c = 1 / std::sqrt(t * t + 1);
    const double s = t * c;
    const double tau = s / (1 + c);
    h = t * Apq;
    Zp -= h;
    Zq += h;
    Dp -= h;
    Dq += h;
    return {acRotate, s, tau};
}

// A kLanes x kLanes block in registers, r[k] holding column k, becomes its transpose.
inline void Transpose(vNd* r)
{
#if defined(__AVX512F__)
    vNd b[8], c[8];
    for (int k = 0; k < 8; k += 2) {
        b[k] = __builtin_shufflevector(r[k], r[k + 1], 0, 8, 2, 10, 4, 12, 6, 14);
        b[k + 1] = __builtin_shufflevector(r[k], r[k + 1], 1, 9, 3, 11, 5, 13, 7, 15);
    }
    for (int k = 0; k < 8; k += 4)
        for (int e = 0; e < 2; ++e) {
            c[k + e] = __builtin_shufflevector(b[k + e], b[k + e + 2], 0, 1, 8, 9, 4, 5, 12, 13);
            c[k + e + 2] =
                __builtin_shufflevector(b[k + e], b[k + e + 2], 2, 3, 10, 11, 6, 7, 14, 15);
        }
    for (int e = 0; e < 4; ++e) {
        r[e] = __builtin_shufflevector(c[e], c[e + 4], 0, 1, 2, 3, 8, 9, 10, 11);
        r[e + 4] = __builtin_shufflevector(c[e], c[e + 4], 4, 5, 6, 7, 12, 13, 14, 15);
    }
#else
    const v4d t0 = __builtin_shufflevector(r[0], r[1], 0, 4, 2, 6);
    const v4d t1 = __builtin_shufflevector(r[0], r[1], 1, 5, 3, 7);
    const v4d t2 = __builtin_shufflevector(r[2], r[3], 0, 4, 2, 6);
    const v4d t3 = __builtin_shufflevector(r[2], r[3], 1, 5, 3, 7);
    r[0] = __builtin_shufflevector(t0, t2, 0, 1, 4, 5);
    r[1] = __builtin_shufflevector(t1, t3, 0, 1, 4, 5);
    r[2] = __builtin_shufflevector(t0, t2, 2, 3, 6, 7);
    r[3] = __builtin_shufflevector(t1, t3, 2, 3, 6, 7);
#endif
}

// The rotations (p, Base + t), t < kLanes, of one tile (those that do not rotate are acKeep) on
// their pairs (a(p, c), a(Base + t, c)) for the columns c in [C0, C1), all after the tile, C0 a
// multiple of kLanes. Rows Base.. of kLanes such columns are one vector each; turned in
// registers, each row is one vector across the columns, so that the rotations run on whole
// vectors and every cache line is fetched once for all of them.
void RotateRows(double* w, std::size_t Ld, double* ColP, int Base, const TStep* Steps, int C0,
                int C1)
{
    int c = C0;
    for (; c + kLanes <= C1; c += kLanes) {
        vNd r[kLanes];
        for (int k = 0; k < kLanes; ++k) r[k] = LoadN(w + (c + k) * Ld + Base);
        Transpose(r);
        vNd x = LoadN(ColP + c);
        for (int t = 0; t < kLanes; ++t) {
            if (Steps[t].action != acRotate) continue;
            const vNd vs = vNd{} + Steps[t].s, vt = vNd{} + Steps[t].tau;
            const vNd y = r[t];
            r[t] = y + vs * (x - y * vt);
            x = x - vs * (y + x * vt);
        }
        Transpose(r);
        for (int k = 0; k < kLanes; ++k) Store(w + (c + k) * Ld + Base, r[k]);
        Store(ColP + c, x);
    }
    for (; c < C1; ++c)
        for (int t = 0; t < kLanes; ++t)
            if (Steps[t].action == acRotate)
                RotatePair(ColP[c], w[c * Ld + Base + t], Steps[t].s, Steps[t].tau);
}

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

bool CalcEigVec(TMatrix& Matrix)
{
    const int n = Matrix.NrOfColumns();
    if (n > MaxEigVecVariables) return false;
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

    bool converged = false;
    for (int k = 1; k <= 100; ++k) {
        double sm = 0;
        for (int q = 1; q < n; ++q)
            for (int p = 0; p < q; ++p) sm += std::fabs(w[q * ld + p]);
        if (sm == 0) {
            // Only a check before the hundredth counts as convergence.
            converged = k < 100;
            break;
        }
        const double t0 = k < 4 ? 0.2 * sm / (static_cast<double>(n) * n) : 0.0;
        // Only the part above the diagonal is kept; while p is current, row p is held as the
        // part of column p below the diagonal. Rotation (p, q) changes column q above row q,
        // which is contiguous, and row q right of column q, which is not: those pairs,
        // (a(p, j), a(q, j)) for j > q, are applied one by one within the tile of kLanes rows
        // that q belongs to, and for the columns after the tile all at once when the tile is
        // done (RotateRows). Every element still goes through the same operations in the same
        // order as in a plain sweep, so the results are the same to the last bit.
        //
        // Within a tile each pair is planned one step ahead, from a(p, q + 1) as the rotation
        // of (p, q) leaves it, so that the planning chain of the next pair overlaps the vector
        // work of this one.
        for (int p = 0; p < n - 1; ++p) {
            double* colP = &w[p * ld];
            for (int j = p + 1; j < n; ++j) colP[j] = w[j * ld + p];
            for (int q0 = p + 1; q0 < n;) {
                const int base = q0 / kLanes * kLanes;
                const int q1 = std::min(n, base + kLanes);
                TStep steps[kLanes];
                TStep step = Plan(k, t0, colP[q0], d[p], d[q0], z[p], z[q0]);
                for (int q = q0; q < q1; ++q) {
                    double* colQ = &w[q * ld];
                    const TStep current = step;
                    steps[q - base] = current;
                    if (current.action == acRotate)
                        for (int j = q + 1; j < q1; ++j)
                            RotatePair(colP[j], w[j * ld + q], current.s, current.tau);
                    if (q + 1 < q1) step = Plan(k, t0, colP[q + 1], d[p], d[q + 1], z[p], z[q + 1]);
                    // Rows p and q of the pairs go along or are left out as suits the run:
                    // the diagonal places are never read, and a(p, q) is set to 0 afterwards.
                    if (current.action == acRotate)
                        Rotate(colP, colQ, q, &v[p * ld], &v[q * ld], ld, current.s, current.tau);
                    if (current.action != acKeep) colQ[p] = colP[q] = 0;
                }
                if (q1 < n) RotateRows(w.data(), ld, colP, base, steps, q1, n);
                q0 = q1;
            }
            for (int j = p + 1; j < n; ++j) w[j * ld + p] = colP[j];
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
        for (int p = 0; p < rows; ++p) col[p] = w[q * ld + p];
    }
    if (n > 1) Matrix.Changed();

    for (std::size_t j = 0; j < un; ++j)
        for (std::size_t comp = 0; comp < un; ++comp)
            eigenvectors[j * un + comp] = v[comp * ld + j];
    TEigResult& r = Results();
    r.n = n;
    r.absolute = d;
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
        std::swap(r.absolute[k], r.absolute[index]);
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

double AbsoluteEigVal(int Component)
{
    const TEigResult& r = Results();
    if (r.n < 1 || Component < 1 || Component > r.n) return 0;
    return r.absolute[static_cast<std::size_t>(Component - 1)];
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
    r.absolute.clear();
    r.absolute.shrink_to_fit();
    r.eigenvectors.clear();
    r.eigenvectors.shrink_to_fit();
}
