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

// The widest vector the target has, for the products and the rotations.
#if defined(__AVX512F__)
using vNd = double __attribute__((vector_size(64)));
#else
using vNd = v4d;
#endif
constexpr int kLanes = sizeof(vNd) / sizeof(double);

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
// two pairs of runs: the two matrix columns and the two eigenvector columns of one rotation.
inline void RotateRange(double* __restrict x, double* __restrict y, double* __restrict u,
                        double* __restrict v, std::size_t Begin, std::size_t End, vNd vs, vNd vt)
{
    for (std::size_t i = Begin; i < End; i += kLanes) {
        const vNd a = LoadN(x + i), b = LoadN(y + i);
        StoreN(x + i, a - vs * (b + a * vt));
        StoreN(y + i, b + vs * (a - b * vt));
        const vNd e = LoadN(u + i), f = LoadN(v + i);
        StoreN(u + i, e - vs * (f + e * vt));
        StoreN(v + i, f + vs * (e - f * vt));
    }
}

// One rotation over runs of Len, a multiple of kLanes, starting at the vector that holds element
// First: the next pairs are planned from the elements there, which are then ready first.
void Rotate(double* x, double* y, double* u, double* v, std::size_t Len, std::size_t First,
            double s, double tau)
{
    const vNd vs = vNd{} + s, vt = vNd{} + tau;
    const std::size_t begin = std::min(First / kLanes * kLanes, Len);
    RotateRange(x, y, u, v, begin, Len, vs, vt);
    RotateRange(x, y, u, v, 0, begin, vs, vt);
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

// A kLanes x kLanes block through registers: Src holds one run of kLanes rows in each of
// kLanes columns (Ld apart), Dst receives them as rows.
inline void TransposeBlock(const double* Src, double* Dst, std::size_t Ld)
{
#if defined(__AVX512F__)
    vNd a[8], b[8], c[8];
    for (int k = 0; k < 8; ++k) a[k] = LoadN(Src + k * Ld);
    for (int k = 0; k < 8; k += 2) {
        b[k] = __builtin_shufflevector(a[k], a[k + 1], 0, 8, 2, 10, 4, 12, 6, 14);
        b[k + 1] = __builtin_shufflevector(a[k], a[k + 1], 1, 9, 3, 11, 5, 13, 7, 15);
    }
    for (int k = 0; k < 8; k += 4)
        for (int e = 0; e < 2; ++e) {
            c[k + e] = __builtin_shufflevector(b[k + e], b[k + e + 2], 0, 1, 8, 9, 4, 5, 12, 13);
            c[k + e + 2] =
                __builtin_shufflevector(b[k + e], b[k + e + 2], 2, 3, 10, 11, 6, 7, 14, 15);
        }
    for (int e = 0; e < 4; ++e) {
        StoreN(Dst + e * Ld, __builtin_shufflevector(c[e], c[e + 4], 0, 1, 2, 3, 8, 9, 10, 11));
        StoreN(Dst + (e + 4) * Ld,
               __builtin_shufflevector(c[e], c[e + 4], 4, 5, 6, 7, 12, 13, 14, 15));
    }
#else
    const v4d a0 = Load(Src), a1 = Load(Src + Ld), a2 = Load(Src + 2 * Ld), a3 = Load(Src + 3 * Ld);
    const v4d t0 = __builtin_shufflevector(a0, a1, 0, 4, 2, 6);
    const v4d t1 = __builtin_shufflevector(a0, a1, 1, 5, 3, 7);
    const v4d t2 = __builtin_shufflevector(a2, a3, 0, 4, 2, 6);
    const v4d t3 = __builtin_shufflevector(a2, a3, 1, 5, 3, 7);
    Store(Dst, __builtin_shufflevector(t0, t2, 0, 1, 4, 5));
    Store(Dst + Ld, __builtin_shufflevector(t1, t3, 0, 1, 4, 5));
    Store(Dst + 2 * Ld, __builtin_shufflevector(t0, t2, 2, 3, 6, 7));
    Store(Dst + 3 * Ld, __builtin_shufflevector(t1, t3, 2, 3, 6, 7));
#endif
}

// In the symmetric work matrix w (column-major, leading dimension Ld), element (row c, col r)
// := element (row r, col c) for r in [R0, R1), c in [C0, C1); the two ranges must not overlap.
// Only source columns c marked in Changed are needed (the others already agree with their
// mirror image); nullptr marks all. Whole blocks go through registers, aligned on both sides
// when R0 is a multiple of kLanes.
void MirrorRect(double* w, std::size_t Ld, int R0, int R1, int C0, int C1,
                const unsigned char* Changed)
{
    auto needed = [Changed](int c0, int c1) {
        if (!Changed) return true;
        for (int c = c0; c < c1; ++c)
            if (Changed[c]) return true;
        return false;
    };
    auto copy = [w, Ld, Changed](int r0, int r1, int c0, int c1) {
        for (int c = c0; c < c1; ++c)
            if (!Changed || Changed[c])
                for (int r = r0; r < r1; ++r) w[r * Ld + c] = w[c * Ld + r];
    };
    const int body = std::min(C1, AlignUp(C0));
    copy(R0, R1, C0, body);
    int c = body;
    for (; c + kLanes <= C1; c += kLanes) {
        if (!needed(c, c + kLanes)) continue;
        int r = R0;
        for (; r + kLanes <= R1; r += kLanes) TransposeBlock(w + c * Ld + r, w + r * Ld + c, Ld);
        copy(r, R1, c, c + kLanes);
    }
    copy(R0, R1, c, C1);
}

// Below the diagonal from above it for columns [I0, n): (row q, col i) := (row i, col q), q > i,
// for the columns q marked in Changed (nullptr: all). Tiles of columns end on multiples of
// kLanes so that the blocks stay aligned.
void MirrorUpperToLower(double* w, std::size_t Ld, int n, int I0, const unsigned char* Changed)
{
    for (int q0 = I0 + 1; q0 < n;) {
        const int q1 = std::min(n, AlignUp(q0 + 1));
        // Source: rows [I0, q0) of columns [q0, q1), then the small triangle inside the tile.
        MirrorRect(w, Ld, I0, q0, q0, q1, Changed);
        for (int q = q0 + 1; q < q1; ++q)
            if (!Changed || Changed[q])
                for (int i = q0; i < q; ++i) w[i * Ld + q] = w[q * Ld + i];
        q0 = q1;
    }
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

    // The symmetric matrix is held in full, column by column (w[q ld + p] = a(p, q) = w[p ld + q]),
    // so that rotating rows and columns p and q touches two contiguous columns; the row halves
    // are kept equal by copying. The eigenvectors are held column by column for the same reason.
    // Columns are padded with zeros to whole vectors (rotations keep them 0), so a rotation
    // runs in aligned vectors without a scalar tail.
    const std::size_t ld = static_cast<std::size_t>(AlignUp(n));
    TAlignedDoubles w = AllocateOrThrow<TAlignedDoubles>(ld * un);
    TAlignedDoubles v = AllocateOrThrow<TAlignedDoubles>(ld * un);
    std::vector<double> eigenvectors = AllocateOrThrow<std::vector<double>>(un * un);
    std::vector<double> d = AllocateOrThrow<std::vector<double>>(un);
    std::vector<double> b = AllocateOrThrow<std::vector<double>>(un);
    std::vector<double> z = AllocateOrThrow<std::vector<double>>(un);
    // Columns q rotated with the current p: only their parts need mirroring.
    std::vector<unsigned char> rotated(un);

    for (int q = 0; q < n; ++q)
        for (int p = 0; p < q; ++p) w[q * ld + p] = w[p * ld + q] = Matrix.Elem(q + 1, p + 1);
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
        // Columns left behind by the previous sweep get their part below the diagonal back.
        MirrorUpperToLower(w.data(), ld, n, 0, nullptr);
        const double t0 = k < 4 ? 0.2 * sm / (static_cast<double>(n) * n) : 0.0;
        // Within one p only column p and column q change, so the copies of a(j, q) held in
        // other columns go stale. Instead of copying each rotated column across the matrix
        // (one scattered store per element), row q is gathered into column q just before it is
        // needed, and the part below the diagonal is refreshed once per p; both in tiles of
        // kLanes columns so that every cache line fetched is used whole.
        //
        // Each pair is planned one step ahead, from a(p, q + 1) as the rotation of (p, q) will
        // leave it (the same formula as in Rotate, so the same bits), so that the planning
        // chain of the next pair overlaps the vector work of this one.
        for (int p = 0; p < n - 1; ++p) {
            double* colP = &w[p * ld];
            TStep step = Plan(k, t0, colP[p + 1], d[p], d[p + 1], z[p], z[p + 1]);
            for (int q0 = p + 1; q0 < n;) {
                const int q1 = std::min(n, AlignUp(q0 + 1));
                MirrorRect(w.data(), ld, q0, q1, p + 1, q0, rotated.data());
                for (int q = q0; q < q1; ++q) {
                    double* colQ = &w[q * ld];
                    for (int i = q0; i < q; ++i)
                        if (rotated[i]) colQ[i] = w[i * ld + q];
                    const TStep current = step;
                    if (q + 1 < n) {
                        double next = colP[q + 1];
                        if (current.action == acRotate)
                            next = next - current.s * (colQ[q + 1] + next * current.tau);
                        step = Plan(k, t0, next, d[p], d[q + 1], z[p], z[q + 1]);
                    }
                    // Every j other than p and q: (a(j, p), a(j, q)) in the upper-triangle
                    // terms. Rows p and q go along to keep the run whole: the diagonal places
                    // of w are never read, and a(p, q) is set to 0 afterwards.
                    rotated[q] = current.action == acRotate;
                    if (current.action == acRotate)
                        Rotate(colP, colQ, &v[p * ld], &v[q * ld], ld, q + 1, current.s,
                               current.tau);
                    if (current.action != acKeep) colQ[p] = colP[q] = 0;
                }
                q0 = q1;
            }
            // Below the diagonal from above it in the columns the next p reads (those after p;
            // the earlier ones wait for the next sweep); then row p.
            MirrorUpperToLower(w.data(), ld, n, p + 1, rotated.data());
            for (int j = 0; j < n; ++j)
                if (j != p) w[j * ld + p] = colP[j];
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
