// Principal component analysis: cross-product matrices of the columns of a TMatrix, their
// eigen-decomposition by the cyclic Jacobi method and the ordering of the components. A
// computation returns its result as a value; the classic calls below keep the last one in
// storage shared by the whole process, read with EigVecElem.
#pragma once

#include "ZEV_matrix.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

class EZEVMath2Error : public EZEVError {
  public:
    using EZEVError::EZEVError;
};

// The eigen-decomposition keeps fixed work arrays of this many places.
constexpr int MaxEigVecVariables = 10000;

enum TPCAStatus : std::uint8_t {
    pcaDone,
    pcaTooFewRows,       // fewer than two observations
    pcaTooManyVariables, // more than MaxEigVecVariables
    pcaNoConvergence,    // the values are those of the last sweep, neither relative nor sorted
    pcaNotFinite,        // an eigenvalue or loading overflowed
    pcaNoVariables,      // the block has no column
    pcaCancelled
};

// The components of one analysis, sorted by decreasing eigenvalue, non-positive ones last.
struct TPCAResult {
    TPCAStatus Status = pcaNoVariables;
    int N = 0;                      // variables, and components
    std::vector<double> EigVals;    // component k at k - 1; relative to their total when asked
    std::vector<double> AbsEigVals; // the same as the decomposition found them
    std::vector<double> EigVecs;    // (variable j, component k) at (j - 1) N + (k - 1)

    bool Ok() const { return Status == pcaDone; }
    // Whether the decomposition ran to its end, converged or not: what the classic calls keep.
    bool Decomposed() const
    {
        return Status == pcaDone || Status == pcaNoConvergence || Status == pcaNotFinite;
    }
    // As the function of the same name, on this result.
    double EigVecElem(int Component, int Variable) const;
    double AbsoluteEigVal(int Component) const;
};

// A block of a matrix; 0..0 column or row ranges mean all of them.
struct TMatrixBlock {
    const TMatrix& Matrix;
    int LoCol = 0, HiCol = 0, LoRow = 0, HiRow = 0;
};

// What a long decomposition reports and listens to; both may be left empty.
struct TPCAProgress {
    // Called before each sweep (1..100) with the sum of the absolute off-diagonal elements, on
    // the computing thread.
    std::function<void(int Sweep, double OffDiagonalSum)> OnSweep;
    // Polled between the blocks of rows of the cross products and between the rows of a sweep;
    // once set, the computation ends as pcaCancelled.
    const std::atomic<bool>* Cancel = nullptr;
};

// The eigen-decomposition of a symmetric cross-product matrix, in place of the Jacobi method:
// a result with N, unsorted eigenvalues (the relative ones equal to the absolute) and the
// eigenvectors, and its status.
using TEigenSolver = std::function<TPCAResult(TMatrix& Cross)>;

// The whole analysis of a block: cross products of the Scaling mode, the decomposition, the
// eigenvalues made relative to the sum of their magnitudes when asked, the sorting. Touches no
// shared storage, so it may run on any thread.
TPCAResult CalcPCA(const TMatrixBlock& Block, int Scaling, bool RelEigVals = true,
                   const TPCAProgress* Progress = nullptr);
// The same with another decomposition of the cross products; the cross products stop between
// two blocks of rows once Cancel is set (pcaCancelled).
TPCAResult CalcPCAWith(const TMatrixBlock& Block, int Scaling, bool RelEigVals,
                       const TEigenSolver& Solver, const std::atomic<bool>* Cancel = nullptr);
// The decomposition of cross products formed elsewhere, then as CalcPCAWith: Cross is used as
// work space.
TPCAResult DecomposeCrossProducts(TMatrix& Cross, bool RelEigVals, const TEigenSolver& Solver);
// CalcEigVec as a value: eigenvalues and eigenvectors of the symmetric Matrix, whose part above
// the diagonal is destroyed.
TPCAResult JacobiEigen(TMatrix& Matrix, const TPCAProgress* Progress = nullptr);

// Fills the n x n top-left block of CrossMat (n = HiCol - LoCol + 1) with the cross products of
// the data columns over rows LoRow..HiRow. Mode 0: scatter (raw values), 1: covariance,
// 2: correlation, 3: squared correlation, 4: mean squared difference; any other mode gives 0.
// 0..0 ranges mean all columns or all rows. False, without touching CrossMat, when CrossMat is
// smaller than n x n, when there is no column, or when there are fewer than two observations
// (every product is divided by their number less one).
bool CalcCrossProdMatrix(const TMatrix& DataMat, TMatrix& CrossMat, int LoCol, int HiCol, int LoRow,
                         int HiRow, int Mode);

// Eigenvalues and unit eigenvectors of the symmetric matrix of order NrOfColumns into the result
// storage. The part of Matrix above the diagonal is used as work space and destroyed. False for
// more than MaxEigVecVariables variables or when the iteration does not converge.
bool CalcEigVec(TMatrix& Matrix);

// The whole analysis with eigenvalues relative to their total.
bool CalcPrincComp(const TMatrix& DataMat, int LoCol, int HiCol, int LoRow, int HiRow, int Scaling);
// The whole analysis; components sorted by decreasing eigenvalue, non-positive ones last.
bool CalcPrincCompEx(const TMatrix& DataMat, int LoCol, int HiCol, int LoRow, int HiRow,
                     int Scaling, bool RelEigVals);

// Variable 0: the eigenvalue of Component; Variable 1..n: the loading of that variable on
// Component. 0 when there is no result or an index is out of range.
double EigVecElem(int Component, int Variable);
// The eigenvalue of Component as the decomposition found it, also when EigVecElem gives it
// relative to the total; 0 when there is no result or Component is out of range.
double AbsoluteEigVal(int Component);
// Number of variables of the stored result; 0 before the first computation.
int EigVecCount();
// Empties the result storage, as at program start.
void ClearEigVecResults();
// The result storage: replaced by Result, and read back.
void StoreEigVecResult(TPCAResult Result);
const TPCAResult& LastEigVecResult();
