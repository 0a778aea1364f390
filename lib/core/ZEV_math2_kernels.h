// The hot loops of the principal component analysis, built once for each instruction set worth
// having and picked at run time from what the processor offers, so that a program built for the
// plain x86-64 baseline runs at full speed on a newer processor. Every variant works on vectors
// of the same eight doubles and adds in the same order: all give the same bits.
#pragma once

#include <atomic>
#include <cstddef>

namespace Math2Kernels {

// Doubles per vector, whatever the processor: a narrower one works on several registers.
constexpr int kLanes = 8;
// Rows per block of the cross products: the four columns of one side of a panel pair stay in
// the first-level cache while the other side streams from the second level. A multiple of kLanes.
constexpr int kBlockRows = 256;
// Columns per panel; a tile is padded with zero columns to a whole number of panels.
constexpr int kPanel = 4;

// The Jacobi work: the matrix above its diagonal held column by column (W[q Ld + p] = a(p, q),
// p < q; places below the diagonal are work space), the eigenvector columns padded with zeros to
// Ld, a multiple of kLanes, and the eigenvalue stores D and Z of the cyclic method. A sweep
// stops between two rows once Cancel (when given) is set.
struct TJacobiWork {
    double* W;
    double* V;
    std::size_t Ld;
    int N;
    double* D;
    double* Z;
    const std::atomic<bool>* Cancel = nullptr;
};

struct TKernels {
    // Sum of X[i] - Shift over Count contiguous values.
    double (*SumShifted)(const double* X, long long Count, double Shift);
    // Dst[k] = Src[k] - Centre for k < Count.
    void (*CopyCentred)(const double* Src, int Count, double Centre, double* Dst);
    // Add the products (or squared differences) of one block of kBlockRows rows of the N4 (a
    // multiple of kPanel) columns in Tile, column c at c kBlockRows, to Total, pair (c, j) with
    // j <= c at c N4 + j.
    void (*AccumulateProducts)(const double* Tile, int N4, double* Total);
    void (*AccumulateSquaredDistances)(const double* Tile, int N, int N4, double* Total);
    // One sweep of rotations over every pair p < q; T0 is the threshold below which an element
    // is left alone, Sweep counts from 1.
    void (*JacobiSweep)(const TJacobiWork& Work, int Sweep, double T0);
};

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
