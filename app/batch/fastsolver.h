// The console program's "--solver fast": the eigenpairs of the cross products from LAPACK
// instead of the Jacobi method. Same cross products, same relative eigenvalues and ordering;
// the eigenvalues agree with the Jacobi method's to rounding, the eigenvectors up to sign and,
// for repeated eigenvalues, up to a rotation within their space.
#pragma once

#include "ZEV_math2.h"
#include "analysis.h"

// Signs: the largest absolute loading of each component (the first of equal ones) is positive.
// A block with fewer rows than columns is decomposed through the rows x rows problem of the
// scaled data (scalings 0 to 2), its null space filled by an orthonormal completion with
// eigenvalue 0.
TPCAResult CalcPCAFast(const TMatrixBlock& Block, int Scaling);

enum TSolverKind { skJacobi, skFast };

// Stops the worker threads that a threaded BLAS starts as it is loaded and that poll for work for
// a while, taking a core from reading the file; the BLAS starts them again when the fast solver
// calls it. Does nothing with a BLAS that has no such threads.
void ParkBlasThreads();

// The console program's analysis with the chosen solver. With ShowProgress, each Jacobi sweep is
// reported on one line of standard error, which is cleared at the end.
TPCAResult BatchComponents(const TAnalysisDataSet& Data, int Scaling, TSolverKind Solver,
                           bool ShowProgress);
// The same for cross products formed elsewhere (a file read in passes), which are used as work
// space. The fast solver takes them as they are, also for fewer rows than columns.
TPCAResult BatchDecompose(TMatrix& Cross, TSolverKind Solver, bool ShowProgress);
