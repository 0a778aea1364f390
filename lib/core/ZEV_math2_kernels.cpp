#include "ZEV_math2_kernels.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

// The variants for newer instruction sets need GCC's per-function target options; any other
// compiler or processor builds the plain one alone.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define ZEV_MATH2_X86_VARIANTS 1
#else
#define ZEV_MATH2_X86_VARIANTS 0
#endif

namespace Math2Kernels {
namespace {

// Registers of two doubles, baseline x86-64 and most others: one column of a panel at a time.
namespace plain {
#define ZEV_KERNEL_WIDTH 2
constexpr int kPassRows = 1;
#include "ZEV_math2_kernels.inc"

#include "ZEV_math2_jacobi.inc"
#undef ZEV_KERNEL_WIDTH
} // namespace plain
constexpr TKernels kPlain{plain::SumShifted,
                          plain::AddShiftedLanes,
                          plain::CopyCentred,
                          plain::AccumulateProducts,
                          plain::AccumulateSquaredDistances,
                          plain::JacobiSweep,
                          plain::RotateBehindPivot};

#if ZEV_MATH2_X86_VARIANTS
// Sixteen registers of four doubles: again one column at a time, its four sums in eight.
#pragma GCC push_options
#pragma GCC target("avx2")
namespace avx2 {
#define ZEV_KERNEL_WIDTH 4
constexpr int kPassRows = 1;
#include "ZEV_math2_kernels.inc"

#include "ZEV_math2_jacobi.inc"
#undef ZEV_KERNEL_WIDTH
} // namespace avx2
#pragma GCC pop_options
constexpr TKernels kAvx2{avx2::SumShifted,
                         avx2::AddShiftedLanes,
                         avx2::CopyCentred,
                         avx2::AccumulateProducts,
                         avx2::AccumulateSquaredDistances,
                         avx2::JacobiSweep,
                         avx2::RotateBehindPivot};

// Thirty-two registers of eight doubles: the sixteen sums of a panel pair fit.
#pragma GCC push_options
#pragma GCC target("avx512f")
namespace avx512 {
#define ZEV_KERNEL_WIDTH 8
constexpr int kPassRows = kPanel;
#include "ZEV_math2_kernels.inc"

#include "ZEV_math2_jacobi.inc"
#undef ZEV_KERNEL_WIDTH
} // namespace avx512
#pragma GCC pop_options
constexpr TKernels kAvx512{avx512::SumShifted,
                           avx512::AddShiftedLanes,
                           avx512::CopyCentred,
                           avx512::AccumulateProducts,
                           avx512::AccumulateSquaredDistances,
                           avx512::JacobiSweep,
                           avx512::RotateBehindPivot};
#endif

// The variant built for Set; null when this build has none.
const TKernels* Variant(TInstructionSet Set)
{
    switch (Set) {
    case TInstructionSet::Plain:
        return &kPlain;
#if ZEV_MATH2_X86_VARIANTS
    case TInstructionSet::Avx2:
        return &kAvx2;
    case TInstructionSet::Avx512:
        return &kAvx512;
#endif
    default:
        return nullptr;
    }
}

const TKernels* Best()
{
    for (TInstructionSet set : {TInstructionSet::Avx512, TInstructionSet::Avx2})
        if (ProcessorHas(set) && Variant(set)) return Variant(set);
    return &kPlain;
}

std::atomic<const TKernels*> gActive{nullptr};

} // namespace

void SortBehindPivot(TRotation* R, int Count)
{
    std::stable_sort(R, R + Count,
                     [](const TRotation& A, const TRotation& B) { return A.Q < B.Q; });
}

bool ProcessorHas(TInstructionSet Set)
{
#if defined(__x86_64__) && defined(__GNUC__)
    // Also asks whether the system saves the wide registers on a task switch.
    __builtin_cpu_init();
    switch (Set) {
    case TInstructionSet::Plain:
        return true;
    case TInstructionSet::Avx2:
        return __builtin_cpu_supports("avx2");
    case TInstructionSet::Avx512:
        return __builtin_cpu_supports("avx512f");
    }
    return false;
#else
    return Set == TInstructionSet::Plain;
#endif
}

const TKernels& Kernels()
{
    const TKernels* k = gActive.load(std::memory_order_acquire);
    if (!k) {
        k = Best();
        gActive.store(k, std::memory_order_release);
    }
    return *k;
}

bool ForceKernels(TInstructionSet Set)
{
    const TKernels* k = Variant(Set);
    if (!k || !ProcessorHas(Set)) return false;
    gActive.store(k, std::memory_order_release);
    return true;
}

void ResetKernels()
{
    gActive.store(Best(), std::memory_order_release);
}

} // namespace Math2Kernels
