// The hot loops of the principal component analysis, built once for each instruction set worth
// having and picked at run time from what the processor offers, so that a program built for the
// plain x86-64 baseline runs at full speed on a newer processor. Every variant works on vectors
// of the same eight doubles and adds in the same order: all give the same bits.
#pragma once

#include <atomic>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>

namespace Math2Kernels {

// Doubles per vector, whatever the processor: a narrower one works on several registers.
constexpr int kLanes = 8;
// Rows per block of the cross products: the four columns of one side of a panel pair stay in
// the first-level cache while the other side streams from the second level. A multiple of kLanes.
constexpr int kBlockRows = 256;
// Columns per panel; a tile is padded with zero columns to a whole number of panels.
constexpr int kPanel = 4;
// Rows behind the pivot (SortBehindPivot) taken together: the columns p of the rotations of a
// batch of rows stay in the first-level cache while the columns q stream past. A multiple of
// kLanes.
constexpr std::size_t kBehindBlockRows = 128;

// A rotation (P, Q) of a sweep, as the eigenvectors take it.
struct TRotation {
    int P, Q;
    double S, Tau;
};

// The rows behind the pivot. Under rotation (p, q) the pairs (a(j, p), a(j, q)) of the rows
// j < p turn just as the eigenvector pairs (V(j, p), V(j, q)) do, and until the sweep ends
// nothing else touches those rows or reads them: both can wait until the rotations of some rows
// of the sweep are known. They take them in order of q, rows in sweep order where q is the same:
// an element of column c takes the rotations (p, c) of the earlier rows, then those of its own
// row c in order of q, which is the order of the sweep. So each column is read once for all
// the rows, block of rows by block, while the columns p of the rows stay in the first-level
// cache. Sorts R, the rotations of consecutive rows in sweep order, into that order.
void SortBehindPivot(TRotation* R, int Count);

// Where the rotations of row p start in a log of one sweep of order N: row i holds up to
// N - 1 - i of them.
inline std::size_t RotationLogOffset(int N, int P)
{
    return std::size_t(P) * std::size_t(N - 1) - std::size_t(P) * std::size_t(P - 1) / 2;
}

// The Jacobi work: the matrix above its diagonal held column by column (W[q Ld + p] = a(p, q),
// p < q; places below the diagonal are work space), the eigenvector columns padded with zeros to
// Ld, a multiple of kLanes, and the eigenvalue stores D and Z of the cyclic method. A sweep
// stops between two passes of rows once Cancel (when given) is set. With a Log, the rows behind
// the pivot (SortBehindPivot) and the eigenvectors are left alone: the rotations of row p go to
// Log + RotationLogOffset(N, p), and RowDone hands them on when the row is through, in the
// order of the sweep. Without, the sweep applies them itself after each pass.
struct TJacobiWork {
    double* W;
    double* V;
    std::size_t Ld;
    int N;
    double* D;
    double* Z;
    const std::atomic<bool>* Cancel = nullptr;
    TRotation* Log = nullptr;
    void (*RowDone)(void* Context, int P, int Count) = nullptr;
    void* Context = nullptr;
};

// Rows that the products of a block ask the memory for as they go, a share before each pair of
// panels, so that the next block's rows arrive while this one's are multiplied: Rows rows of
// each of the Width columns from Cols[c] (null: none).
struct TFetchAhead {
    const double* const* Cols = nullptr;
    int Width = 0, Rows = 0;
};

struct TKernels {
    // Sum of X[i] - Shift over Count contiguous values.
    double (*SumShifted)(const double* X, long long Count, double Shift);
    // Lanes[l] += X[i] - Shift for the i with i mod kLanes = l among the first Count values, a
    // multiple of kLanes: the running state of SumShifted.
    void (*AddShiftedLanes)(const double* X, long long Count, double Shift, double* Lanes);
    // Dst[k] = Src[k] - Centre for k < Count.
    void (*CopyCentred)(const double* Src, int Count, double Centre, double* Dst);
    // Add the products (or squared differences) of one block of kBlockRows rows of the N
    // columns in Tile, column c at c kBlockRows, to Total, pair (c, j) with j <= c at c N4 + j
    // (N4: N rounded up to whole panels of kPanel). The products leave the places above the
    // diagonal as they were or add 0 there; the tile holds N4 columns.
    // Only the pairs whose first column lies in the panels [PanelBegin, PanelEnd); meanwhile
    // the rows of Next are asked for.
    void (*AccumulateProducts)(const double* Tile, int N, int N4, int PanelBegin, int PanelEnd,
                               double* Total, const TFetchAhead& Next);
    void (*AccumulateSquaredDistances)(const double* Tile, int N, int N4, double* Total);
    // One sweep of rotations over every pair p < q; T0 is the threshold below which an element
    // is left alone, Sweep counts from 1.
    void (*JacobiSweep)(const TJacobiWork& Work, int Sweep, double T0);
    // The rotations R, in the order of SortBehindPivot, on rows [Begin, End) of the eigenvector
    // columns of V and of the matrix columns of W above each rotation's row P, both Ld apart.
    // Begin is a multiple of kBehindBlockRows; rows of different blocks may turn on different
    // threads at once.
    void (*RotateBehindPivot)(double* V, double* W, std::size_t Ld, const TRotation* R, int Count,
                              std::size_t Begin, std::size_t End);
};

// |X| + 200 |A| == |X| summed in 80-bit extended precision, where 200 |A| is exact: the sum
// stays |X| exactly when 200 |A| is at most half a unit in the last place of |X| as an extended
// number, 2^(e - 64) for |X| in [2^e, 2^(e + 1)). As 200 |A| lies in [2^(a + 7), 2^(a + 9)) for
// |A| in [2^a, 2^(a + 1)), the exponents decide at once unless they lie within two of that
// boundary, or a value is subnormal or not finite; only then does the extended sum run.
inline bool Negligible(double A, double X)
{
    constexpr std::uint64_t kMagnitude = ~(std::uint64_t(1) << 63);
    const std::uint64_t a = std::bit_cast<std::uint64_t>(A) & kMagnitude;
    const std::uint64_t x = std::bit_cast<std::uint64_t>(X) & kMagnitude;
    const int ea = int(a >> 52), ex = int(x >> 52);
    // Nothing added: |X| itself, unless it is not a number.
    if (a == 0) return x <= 0x7ff0000000000000u;
    if (ea != 0 && ex != 0 && ea != 0x7ff && ex != 0x7ff) {
        if (ea + 9 <= ex - 64) return true;
        if (ea + 7 > ex - 64) return false;
    }
    const long double g = 200.0L * std::fabs(static_cast<long double>(A));
    const long double absX = std::fabs(static_cast<long double>(X));
    return absX + g == absX;
}

enum class TInstructionSet { Plain, Avx2, Avx512 };

// The kernels for the best instruction set of this processor, or the one set by ForceKernels.
const TKernels& Kernels();
bool ProcessorHas(TInstructionSet Set);
// For tests: use the kernels of Set from now on. False, changing nothing, when the processor
// lacks Set or the build has no variant for it.
bool ForceKernels(TInstructionSet Set);
// Back to the best for this processor.
void ResetKernels();

} // namespace Math2Kernels
