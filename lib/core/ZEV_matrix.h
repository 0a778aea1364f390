// TMatrix: a resizable, 1-based two-dimensional array of doubles addressed (column, row), stored
// column by column so that a walk down one column is sequential in memory.
#pragma once

#include "Memory.h"
#include "ZEV_zevbase.h"

#include <vector>

class EZEVMatrixError : public EZEVError {
  public:
    using EZEVError::EZEVError;
};

using TOnCalcDistanceEvent =
    std::function<void(TObject* Sender, int Row1, int Row2, double& Distance)>;

// TMatrix::MeanVar's result from its sums of the N values less Shift: S of the differences, Q of
// their squares. Fewer than three values give a variance of 1.
void MeanVarFromSums(double Shift, double S, double Q, double N, double& Mean, double& Variance);

class TMatrix : public TComponent {
  public:
    explicit TMatrix(TComponent* AOwner = nullptr);

    int NrOfColumns() const { return FCols; }
    int NrOfRows() const { return FRows; }
    void SetNrOfColumns(int Value);
    void SetNrOfRows(int Value);
    // False, and nothing happens, when a count is below 1 or the size does not change. A size
    // that grows in neither direction is cut in place and never fails for memory.
    bool Resize(int NrOfColumns, int NrOfRows);
    // Cuts in place to at most the present size (counts are clamped to 1..now). Of the last row
    // kept, only the first FilledInLastRow columns keep their values; the others are known to
    // be zero and are not read, so that storage never written stays untouched.
    void Shrink(int NrOfColumns, int NrOfRows, int FilledInLastRow);

    const QString& DataID() const { return FDataID; }
    void SetDataID(const QString& Value) { FDataID = Value; }

    double Elem(int Col, int Row) const
    {
        return InRange(Col, Row) ? FCells[Offset(Col, Row)] : 0.0;
    }
    void SetElem(int Col, int Row, double Value);
    void Fill(double Value);

    // Mean and variance of the block; the bounds are normalised as by CheckColRange and
    // CheckRowRange (0..0 is the whole range). Fewer than three values give a variance of 1.
    void MeanVar(int LoCol, int LoRow, int HiCol, int HiRow, double& Mean, double& Variance) const;
    // MeanVar(c, LoRow, c, HiRow) of each column c of LoCol..HiCol into Means[c - LoCol] and
    // Variances[c - LoCol], to the last bit; columns are read four at a time.
    void ColumnMeanVars(int LoCol, int HiCol, int LoRow, int HiRow, double* Means,
                        double* Variances) const;
    // Normalise a range in place; 0..0 becomes the whole range and returns false. True when a
    // bound had to be clipped (for rows also when the bounds were exchanged).
    bool CheckColRange(int& Lo, int& Hi) const;
    bool CheckRowRange(int& Lo, int& Hi) const;

    // Contiguous cells of column Col (NrOfRows of them), or nullptr outside 1..NrOfColumns.
    // Writing through it fires nothing; call Changed afterwards.
    double* ColumnData(int Col)
    {
        return Col >= 1 && Col <= FCols ? &FCells[Offset(Col, 1)] : nullptr;
    }
    const double* ColumnData(int Col) const
    {
        return Col >= 1 && Col <= FCols ? &FCells[Offset(Col, 1)] : nullptr;
    }
    // Fires OnChange after bulk writes through ColumnData.
    void Changed() { FireEvent(OnChange, this); }

    void Assign(TPersistent* Source) override;

    TNotifyEvent OnChange;
    TNotifyEvent OnResize;
    TSortExchgEvent OnSortExchange;
    TOnCalcDistanceEvent OnCalcDistance;
    TOnPercentDoneEvent OnPercentDone;

  protected:
    void AssignTo(TPersistent* Dest) override;

  private:
    // Resize to a size larger in at least one direction; throws and changes nothing when the
    // cells do not fit.
    void Grow(std::size_t Columns, std::size_t Rows);
    bool InRange(int Col, int Row) const
    {
        return Col >= 1 && Col <= FCols && Row >= 1 && Row <= FRows;
    }
    std::size_t Offset(int Col, int Row) const
    {
        return static_cast<std::size_t>(Col - 1) * static_cast<std::size_t>(FRows) +
               static_cast<std::size_t>(Row - 1);
    }

    int FCols = 1;
    int FRows = 1;
    QString FDataID;
    // FCols columns of FRows cells each; cells never written cost no memory.
    TZeroedVector<double> FCells;
};
