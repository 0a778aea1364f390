#include "ZEV_math2_follower.h"

#include <algorithm>

namespace Math2Kernels {

TEigenvectorFollower::TEigenvectorFollower(const TKernels& Kernels, double* V, std::size_t Ld,
                                           int N)
    : FKernels(Kernels), FV(V), FLd(Ld), FN(N), FLog(RotationLogOffset(N, N - 1) + 1),
      FCounts(std::size_t(N), 0), FThread([this] { Run(); })
{
}

TEigenvectorFollower::~TEigenvectorFollower()
{
    FStop.store(true);
    FHanded.fetch_add(1); // wakes the thread
    FHanded.notify_one();
    FThread.join();
}

void TEigenvectorFollower::Attach(TJacobiWork& Work)
{
    Work.Log = FLog.data();
    Work.RowDone = &TEigenvectorFollower::RowDone;
    Work.Context = this;
}

void TEigenvectorFollower::RowDone(void* Context, int P, int Count)
{
    auto* self = static_cast<TEigenvectorFollower*>(Context);
    self->FCounts[std::size_t(P)] = Count;
    self->FHanded.fetch_add(1, std::memory_order_release);
    self->FHanded.notify_one();
}

void TEigenvectorFollower::Drain()
{
    const long long handed = FHanded.load(std::memory_order_relaxed);
    for (long long applied = FApplied.load(std::memory_order_acquire); applied < handed;
         applied = FApplied.load(std::memory_order_acquire))
        FApplied.wait(applied, std::memory_order_acquire);
}

// Rows come in sweep order, N - 1 of them a sweep, so the row of the next one is its count
// modulo N - 1. Rows handed over while the thread was busy go together, block of eigenvector
// rows by block: a block of all columns stays in the second-level cache while the rows' rotations
// go over it, so the eigenvectors stream from memory once per batch instead of once per row.
// Each element still takes the rotations in the order of the sweep.
void TEigenvectorFollower::Run()
{
    const long long rows = FN - 1;
    constexpr long long kBatchRows = 16;
    constexpr std::size_t kCacheBytes = 256 * 1024;
    const std::size_t block = std::clamp<std::size_t>(
        kCacheBytes / sizeof(double) / std::size_t(FN) / kLanes * kLanes, kLanes, 512);
    for (long long next = 0;;) {
        long long handed = FHanded.load(std::memory_order_acquire);
        for (; handed <= next; handed = FHanded.load(std::memory_order_acquire))
            FHanded.wait(handed, std::memory_order_acquire);
        if (FStop.load()) return;
        const long long end = std::min(handed, next + kBatchRows);
        // A stop ends the batch early.
        for (std::size_t j = 0; j < FLd; j += block) {
            if (FStop.load(std::memory_order_relaxed)) return;
            for (long long row = next; row < end; ++row) {
                const int p = int(row % rows);
                FKernels.RotateEigenvectors(FV, FLd, j, std::min(FLd, j + block), p,
                                            FLog.data() + RotationLogOffset(FN, p),
                                            FCounts[std::size_t(p)]);
            }
        }
        next = end;
        FApplied.store(next, std::memory_order_release);
        FApplied.notify_one();
    }
}

} // namespace Math2Kernels
