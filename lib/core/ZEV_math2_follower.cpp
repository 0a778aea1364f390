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
// modulo N - 1.
void TEigenvectorFollower::Run()
{
    const long long rows = FN - 1;
    for (long long next = 0;; ++next) {
        for (long long handed = FHanded.load(std::memory_order_acquire); handed <= next;
             handed = FHanded.load(std::memory_order_acquire))
            FHanded.wait(handed, std::memory_order_acquire);
        if (FStop.load()) return;
        const int p = int(next % rows);
        const TRotation* log = FLog.data() + RotationLogOffset(FN, p);
        // Blocks of the column that stay in the first-level cache; a stop ends the row early.
        constexpr std::size_t kBlock = 512;
        for (std::size_t j = 0; j < FLd; j += kBlock) {
            if (FStop.load(std::memory_order_relaxed)) return;
            FKernels.RotateEigenvectors(FV, FLd, j, std::min(FLd, j + kBlock), p, log,
                                        FCounts[std::size_t(p)]);
        }
        FApplied.store(next + 1, std::memory_order_release);
        FApplied.notify_one();
    }
}

} // namespace Math2Kernels
