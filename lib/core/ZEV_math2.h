// Principal component analysis: cross-product matrices of the columns of a TMatrix, their
// eigen-decomposition by the cyclic Jacobi method and the ordering of the components. The last
// result is kept in storage shared by the whole process and read with EigVecElem.
#pragma once

#include "ZEV_matrix.h"

class EZEVMath2Error : public EZEVError {
  public:
    using EZEVError::EZEVError;
};

// The eigen-decomposition keeps fixed work arrays of this many places.
constexpr int MaxEigVecVariables = 10000;

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
