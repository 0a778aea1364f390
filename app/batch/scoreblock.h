// The scores of the rows of a data table, computed a block of rows at a time straight from the
// table's columns. Per element it is the window's arithmetic (TScoreProjector): the deviation
// from the mean, multiplied by the loading, divided by the divisor, added in column order; so
// every bit is the same, only the order of the loops differs.
#pragma once

#include "ZEV_datatable.h"
#include "ZEV_math2.h"
#include "ZEV_vector.h"

#include <vector>

class TScoreBlocks {
  public:
    TScoreBlocks() = default;
    // The loadings are taken from Result now.
    TScoreBlocks(const TDataTable& Table, const TPCAResult& Result, const TVector& Mean,
                 const TVector& StdDev, int Components);
    int Components() const { return FComponents; }
    // Scores of the Count rows from First (0-based), Components() values per row, into Out.
    void Compute(int First, int Count, double* Out) const;
    // False when a score of any row is not finite.
    bool AllFinite(int Rows) const;
    // Whether no score can overflow for rows whose values lie within Lo[i]..Hi[i] in table column
    // i + 1 (as the scores read them): then none needs computing to know it.
    bool BoundedFar(const std::vector<double>& Lo, const std::vector<double>& Hi) const;

  private:
    struct TColumn {
        int Index; // the table's column, from 0
        const double* Cells;
        bool Rounded; // a category column reads rounded, as the table shows it
        double Mean, StdDev;
    };
    bool BoundedFar(int Rows) const;
    // Deviations: room for kBlockRows rows of every column that takes part.
    void ComputeBlock(int First, int Count, double* Out, double* Deviations) const;

    int FComponents = 0;
    std::vector<TColumn> FColumns;
    std::vector<double> FLoadings; // per component, one per column that takes part
};
