// The second core's share of a Jacobi sweep: the rotations of the eigenvectors and of the matrix
// rows behind the pivot, which nothing in the sweep reads back (SortBehindPivot), applied some
// rows of the sweep behind from a log of the rotations.
#pragma once

#include "ZEV_math2_kernels.h"

#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

namespace Math2Kernels {

class TEigenvectorFollower {
  public:
    // Starts the thread for eigenvector columns in V and matrix columns in W (as TJacobiWork
    // holds them) of Ld doubles each, order N.
    TEigenvectorFollower(const TKernels& Kernels, double* V, double* W, std::size_t Ld, int N);
    // Stops the thread, leaving rows not yet applied (the current one unfinished).
    ~TEigenvectorFollower();
    TEigenvectorFollower(const TEigenvectorFollower&) = delete;
    TEigenvectorFollower& operator=(const TEigenvectorFollower&) = delete;

    // Sets the sweep's log and row report in Work.
    void Attach(TJacobiWork& Work);
    // Waits until every row of the sweep is applied, meanwhile taking on blocks of rows of the
    // batch in hand; the log is then free for the next sweep. Only for a whole sweep: the thread
    // waits for whole batches.
    void Drain();

    // Whether order N is worth a second thread: below it, the hand-over of each row costs more
    // than its eigenvector rotations.
    static bool WorthIt(int N) { return N >= 128 && std::thread::hardware_concurrency() > 1; }

  private:
    static constexpr long long kBatchRows = 32;
    // The low half of FClaim once a batch is through, until the next one is offered.
    static constexpr std::uint64_t kSpent = std::uint64_t(1) << 31;
    static void RowDone(void* Context, int P, int Count);
    void Run();
    // Gathers rows [Next, End) of the sweep into the batch and offers its blocks.
    void Offer(long long Next, long long End);
    // Takes blocks of the batch in hand and applies the batch to them until none is left, or
    // until a stop; whether it took any. Seen: FClaim as the last failed take left it.
    bool TakeBlocks(std::uint64_t& Seen);

    const TKernels& FKernels;
    double* FV;
    double* FW;
    std::size_t FLd;
    int FN;
    std::vector<TRotation> FLog;
    std::vector<int> FCounts;      // rotations logged per row
    std::vector<TRotation> FBatch; // the rows in hand, in the order applied
    std::uint32_t FBlocks;         // of kBehindBlockRows rows, in a batch
    std::uint64_t FBatches = 0;    // offered so far
    // The batch number << 32 | the next of its blocks to take: each block goes to the thread that
    // takes it, the follower or one waiting in Drain.
    std::atomic<std::uint64_t> FClaim{kSpent};
    std::atomic<std::uint32_t> FBlocksDone{0};
    std::atomic<long long> FHanded{0}, FApplied{0}; // rows over all sweeps
    std::atomic<bool> FStop{false};
    std::thread FThread;
};

} // namespace Math2Kernels
