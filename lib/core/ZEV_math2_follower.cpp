#include "ZEV_math2_follower.h"

#include <algorithm>

namespace Math2Kernels {

TEigenvectorFollower::TEigenvectorFollower(const TKernels& Kernels, double* V, double* W,
                                           std::size_t Ld, int N)
    : FKernels(Kernels), FV(V), FW(W), FLd(Ld), FN(N), FLog(RotationLogOffset(N, N - 1) + 1),
      FCounts(std::size_t(N), 0),
      FBlocks(std::uint32_t((Ld + kBehindBlockRows - 1) / kBehindBlockRows)),
      FThread([this] { Run(); })
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

// The waiting thread takes blocks of rows too, so that the last batches of a sweep, which
// it would only wait for, go on both cores.
void TEigenvectorFollower::Drain()
{
    const long long handed = FHanded.load(std::memory_order_relaxed);
    for (;;) {
        if (FApplied.load(std::memory_order_acquire) >= handed) return;
        std::uint64_t seen;
        if (TakeBlocks(seen)) continue;
        // The batch's blocks are all taken: the next change of FClaim comes with the next batch
        // or with the end of this one, which is checked first since it may have come already.
        if (FApplied.load(std::memory_order_acquire) >= handed) return;
        FClaim.wait(seen, std::memory_order_acquire);
    }
}

bool TEigenvectorFollower::TakeBlocks(std::uint64_t& Seen)
{
    bool took = false;
    while (!FStop.load(std::memory_order_relaxed)) {
        const std::uint64_t claim = FClaim.fetch_add(1, std::memory_order_acq_rel);
        const auto block = std::uint32_t(claim);
        if (block >= FBlocks) {
            Seen = claim + 1;
            break;
        }
        const std::size_t begin = block * kBehindBlockRows;
        FKernels.RotateBehindPivot(FV, FW, FLd, FBatch.data(), int(FBatch.size()), begin,
                                   std::min(FLd, begin + kBehindBlockRows));
        if (FBlocksDone.fetch_add(1, std::memory_order_release) + 1 == FBlocks)
            FBlocksDone.notify_all();
        took = true;
    }
    return took;
}

void TEigenvectorFollower::Offer(long long Next, long long End)
{
    const long long rows = FN - 1;
    FBatch.clear();
    for (long long row = Next; row < End; ++row) {
        const int p = int(row % rows);
        const TRotation* log = FLog.data() + RotationLogOffset(FN, p);
        FBatch.insert(FBatch.end(), log, log + FCounts[std::size_t(p)]);
    }
    SortBehindPivot(FBatch.data(), int(FBatch.size()));
    FBlocksDone.store(0, std::memory_order_relaxed);
    FClaim.store(++FBatches << 32, std::memory_order_release);
    FClaim.notify_all();
}

// Rows come in sweep order, N - 1 of them a sweep, so the row of the next one is its count
// modulo N - 1. They are applied in batches of up to kBatchRows rows of one sweep, in the order
// of SortBehindPivot, so that the eigenvectors stream from memory once a batch instead of once
// a row. The wait for a whole batch costs the sweep little: at the end of the sweep the
// sweep's thread takes blocks of the batches still to come.
void TEigenvectorFollower::Run()
{
    const long long rows = FN - 1;
    for (long long next = 0;;) {
        const long long end = std::min(next + kBatchRows, (next / rows + 1) * rows);
        for (long long handed = FHanded.load(std::memory_order_acquire);
             handed < end && !FStop.load(); handed = FHanded.load(std::memory_order_acquire))
            FHanded.wait(handed, std::memory_order_acquire);
        if (FStop.load()) return;
        Offer(next, end);
        std::uint64_t seen;
        TakeBlocks(seen);
        // A stop ends the batch part way too; blocks taken in Drain are always finished.
        if (FStop.load()) return;
        for (std::uint32_t done = FBlocksDone.load(std::memory_order_acquire); done < FBlocks;
             done = FBlocksDone.load(std::memory_order_acquire))
            FBlocksDone.wait(done, std::memory_order_acquire);
        next = end;
        FApplied.store(next, std::memory_order_release);
        FClaim.store(FBatches << 32 | kSpent, std::memory_order_release);
        FClaim.notify_all();
    }
}

} // namespace Math2Kernels
