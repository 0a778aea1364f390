#include "ZEV_math2_follower.h"

#include <algorithm>

namespace Math2Kernels {

TEigenvectorFollower::TEigenvectorFollower(const TKernels& Kernels, double* V, double* W,
                                           std::size_t Ld, int N)
    : FKernels(Kernels), FV(V), FW(W), FLd(Ld), FN(N), FLog(RotationLogOffset(N, N - 1) + 1),
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
    // The thread waits for whole batches (see Run): a wake-up before one is complete is wasted.
    if ((P + 1) % kBatchRows == 0 || P == self->FN - 2) self->FHanded.notify_one();
}

void TEigenvectorFollower::Drain()
{
    const long long handed = FHanded.load(std::memory_order_relaxed);
    for (long long applied = FApplied.load(std::memory_order_acquire); applied < handed;
         applied = FApplied.load(std::memory_order_acquire))
        FApplied.wait(applied, std::memory_order_acquire);
}

// Rows come in sweep order, N - 1 of them a sweep, so the row of the next one is its count
// modulo N - 1. They are applied in batches of up to kBatchRows rows of one sweep, in the order
// of SortBehindPivot, so that the eigenvectors stream from memory once a batch instead of once
// a row. The wait for a whole batch costs the sweep little, since the pivot is the slower side.
void TEigenvectorFollower::Run()
{
    const long long rows = FN - 1;
    for (long long next = 0;;) {
        const long long end = std::min(next + kBatchRows, (next / rows + 1) * rows);
        for (long long handed = FHanded.load(std::memory_order_acquire);
             handed < end && !FStop.load(); handed = FHanded.load(std::memory_order_acquire))
            FHanded.wait(handed, std::memory_order_acquire);
        if (FStop.load()) return;
        FBatch.clear();
        for (long long row = next; row < end; ++row) {
            const int p = int(row % rows);
            const TRotation* log = FLog.data() + RotationLogOffset(FN, p);
            FBatch.insert(FBatch.end(), log, log + FCounts[std::size_t(p)]);
        }
        SortBehindPivot(FBatch.data(), int(FBatch.size()));
        // A stop ends the batch part way too.
        if (!FKernels.RotateBehindPivot(FV, FW, FLd, FBatch.data(), int(FBatch.size()), &FStop))
            return;
        next = end;
        FApplied.store(next, std::memory_order_release);
        FApplied.notify_one();
    }
}

} // namespace Math2Kernels
