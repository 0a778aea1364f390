// The cross products of the engine, accumulated over rows that may come in chunks of any size:
// a whole matrix at once, or a file read a chunk at a time. Every addition happens in the same
// order either way, so the bits do not depend on the chunks.
#pragma once

#include "ZEV_math2.h"
#include "ZEV_math2_aligned.h"

#include <array>
#include <atomic>
#include <vector>

// Column sums of X - Shift in the order of the vector kernels: lane l of eight takes the values
// whose index is l modulo 8, the lanes are added ((s0 + s4) + (s1 + s5)) + ((s2 + s6) + (s3 + s7)),
// then the last Count mod 8 values one by one.
class TShiftedSums {
  public:
    explicit TShiftedSums(std::vector<double> Shifts);
    // Count more values of every column, column c's at Cols[c].
    void Add(const double* const* Cols, long long Count);
    double Sum(int Col) const;
    double Shift(int Col) const { return FShifts[std::size_t(Col)]; }
    long long Count() const { return FCount; }

  private:
    std::vector<double> FShifts;
    std::vector<std::array<double, 8>> FLanes, FPending;
    int FPendingCount = 0; // values of the last, unfinished group of eight
    long long FCount = 0;
};

// Sums of products (modes 0 to 3) or squared differences (mode 4) of the deviations of N columns
// from their centres, pair (c, j) with j <= c. Rows are gathered into blocks of the kernel's
// size, padded with zeros at the end, as the kernels add them. Only the pairs whose first column
// lies in the panels of four [PanelBegin, PanelEnd) are formed (mode 4: all of them); Total,
// when given, receives them (the pairs of other panels stay as they are), otherwise they are
// kept here.
class TCrossProductSums {
  public:
    TCrossProductSums(int N, int Mode, std::vector<double> Centres, int PanelBegin = 0,
                      int PanelEnd = -1, double* Total = nullptr);
    // A copy would add into the original's sums.
    TCrossProductSums(const TCrossProductSums&) = delete;
    TCrossProductSums& operator=(const TCrossProductSums&) = delete;
    TCrossProductSums(TCrossProductSums&&) noexcept = default;
    // Count more rows of every column, column c's at Cols[c]; a null column reads 0. Stops
    // between two blocks once Cancel is set.
    void Add(const double* const* Cols, long long Count);
    // Adds the last block; no rows may follow.
    void Finish();
    double Sum(int Col, int Other) const
    {
        return FTotal[std::size_t(Col) * std::size_t(FN4) + std::size_t(Other)];
    }
    const double* Total() const { return FTotal; }
    const std::atomic<bool>* Cancel = nullptr;
    // When set, each block's sums are appended here (CrossPairCount(N) values a block: pair
    // (c, j) with j <= c in order of c, then j; room reserved by the caller) instead of being
    // added up, for AddBlockSums to add after earlier rows' sums.
    std::vector<double>* BlockSums = nullptr;
    // Where the rows after this Add begin, when the caller knows: Rows rows of column c from
    // Cols[c] (null: none), brought into the cache while the last block of the Add is formed.
    struct TAhead {
        const double* const* Cols = nullptr;
        int Rows = 0;
    } Ahead;
    bool Cancelled() const { return Cancel && Cancel->load(std::memory_order_relaxed); }

  private:
    // The products of the tile; meanwhile the rows of Next are fetched into the cache.
    void AddBlock(TAhead Next);

    int FN, FN4, FMode, FPanelBegin, FPanelEnd, FWidth;
    std::vector<double> FCentres;
    std::vector<const double*> FNext; // where the rows after a block begin
    TAlignedDoubles FTile, FOwnTotal;
    double* FTotal;
    int FFilled = 0; // rows in the tile
};

// The pairs (c, j) with j <= c of N columns.
std::size_t CrossPairCount(int N);
// Adds the sums of each block kept by TCrossProductSums::BlockSums to Total (pair (c, j) at
// c N4 + j), the block kept last first: blocks kept from the last rows backwards go in row order.
void AddBlockSums(const std::vector<double>& Blocks, int N, int N4, double* Total);

// The mean that the cross products centre on: column Col of Sums and Outside more rows that read
// 0, over M rows in all.
double ColumnMean(const TShiftedSums& Sums, int Col, double Outside, double M);

// Columns rounded up to whole panels of four, as the sums are laid out.
int CrossPanelWidth(int N);
// Fills the N x N top-left block of CrossMat from the sums of a mode over M rows (pair (c, j) at
// Total[c CrossPanelWidth(N) + j]), as CalcCrossProdMatrix does.
void FillCrossMatrix(const double* Total, int N, double M, int Mode, TMatrix& CrossMat);

// CalcCrossProdMatrix that stops between two blocks of rows once Cancel is set.
enum TCrossStatus { csDone, csRefused, csCancelled };
TCrossStatus CalcCrossProducts(const TMatrix& DataMat, TMatrix& CrossMat, int LoCol, int HiCol,
                               int LoRow, int HiRow, int Mode,
                               const std::atomic<bool>* Cancel = nullptr);
