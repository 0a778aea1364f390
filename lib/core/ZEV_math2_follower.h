// The second core's share of a Jacobi sweep: the rotations of the eigenvectors and of the matrix
// rows behind the pivot, which nothing in the sweep reads back (SortBehindPivot), applied some
// rows of the sweep behind from a log of the rotations.
#pragma once

#include "ZEV_math2_kernels.h"

#include <atomic>
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
    // Waits until every row of the sweep is applied; the log is then free for the next sweep.
    // Only for a whole sweep: the thread waits for whole batches.
    void Drain();

    // Whether order N is worth a second thread: below it, the hand-over of each row costs more
    // than its eigenvector rotations.
    static bool WorthIt(int N) { return N >= 128 && std::thread::hardware_concurrency() > 1; }

  private:
    static constexpr long long kBatchRows = 16;
    static void RowDone(void* Context, int P, int Count);
    void Run();

    const TKernels& FKernels;
    double* FV;
    double* FW;
    std::size_t FLd;
    int FN;
    std::vector<TRotation> FLog;
    std::vector<int> FCounts;                       // rotations logged per row
    std::vector<TRotation> FBatch;                  // the rows in hand, in the order applied
    std::atomic<long long> FHanded{0}, FApplied{0}; // rows over all sweeps
    std::atomic<bool> FStop{false};
    std::thread FThread;
};

} // namespace Math2Kernels
