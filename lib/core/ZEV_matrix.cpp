#include "ZEV_matrix.h"

#include <algorithm>
#include <new>

TMatrix::TMatrix(TComponent* AOwner) : TComponent(AOwner)
{
    try {
        FCells.assign(1, 0.0);
    } catch (const std::bad_alloc&) {
        throw EZEVMatrixError(NotEnoughMemoryMessage(Name()));
    }
}

void TMatrix::SetNrOfColumns(int Value)
{
    Resize(std::max(Value, 0), FRows);
}

void TMatrix::SetNrOfRows(int Value)
{
    Resize(FCols, std::max(Value, 0));
}

bool TMatrix::Resize(int NrOfColumns, int NrOfRows)
{
    if (NrOfColumns < 1 || NrOfRows < 1 || (NrOfColumns == FCols && NrOfRows == FRows))
        return false;
    if (NrOfColumns <= FCols && NrOfRows <= FRows) {
        Shrink(NrOfColumns, NrOfRows, NrOfColumns);
        return true;
    }
    Grow(static_cast<std::size_t>(NrOfColumns), static_cast<std::size_t>(NrOfRows));
    FCols = NrOfColumns;
    FRows = NrOfRows;
    FireEvent(OnChange, this);
    FireEvent(OnResize, this);
    return true;
}

void TMatrix::Shrink(int NrOfColumns, int NrOfRows, int FilledInLastRow)
{
    NrOfColumns = std::clamp(NrOfColumns, 1, FCols);
    NrOfRows = std::clamp(NrOfRows, 1, FRows);
    ShrinkColumnsInPlace(FCells, std::size_t(FRows), std::size_t(NrOfColumns),
                         std::size_t(NrOfRows), std::size_t(std::max(FilledInLastRow, 0)));
    FCols = NrOfColumns;
    FRows = NrOfRows;
    FireEvent(OnChange, this);
    FireEvent(OnResize, this);
}

void TMatrix::Grow(std::size_t Columns, std::size_t Rows)
{
    if (!CanAllocate(Columns, Rows, sizeof(double)))
        throw EZEVMatrixError(NotEnoughMemoryMessage(Name()));
    try {
        // Built aside and swapped in, so a failure leaves the old cells as they were. The new
        // cells read as zeros without being written.
        TZeroedVector<double> cells(Columns * Rows);
        const std::size_t keepCols = std::min(Columns, static_cast<std::size_t>(FCols));
        const std::size_t keepRows = std::min(Rows, static_cast<std::size_t>(FRows));
        for (std::size_t c = 0; c < keepCols; ++c)
            std::copy_n(FCells.begin() + static_cast<std::ptrdiff_t>(c * FRows), keepRows,
                        cells.begin() + static_cast<std::ptrdiff_t>(c * Rows));
        FCells.swap(cells);
    } catch (const std::bad_alloc&) {
        throw EZEVMatrixError(NotEnoughMemoryMessage(Name()));
    }
}

void TMatrix::SetElem(int Col, int Row, double Value)
{
    if (!InRange(Col, Row)) return;
    FCells[Offset(Col, Row)] = Value;
    FireEvent(OnChange, this);
}

void TMatrix::Fill(double Value)
{
    std::fill(FCells.begin(), FCells.end(), Value);
    FireEvent(OnChange, this);
}

namespace {
// Steps 2 and 3 of the range normalisation; Exchanged tells whether step 3 swapped the bounds.
bool ClipRange(int& Lo, int& Hi, int Count, bool& Exchanged)
{
    Exchanged = false;
    bool clipped = false;
    if (Lo < 1) Lo = 1, clipped = true;
    if (Lo > Count) Lo = Count, clipped = true;
    if (Hi < 1) Hi = 1, clipped = true;
    if (Hi > Count) Hi = Count, clipped = true;
    if (Lo > Hi) {
        std::swap(Lo, Hi);
        Exchanged = true;
    }
    return clipped;
}
} // namespace

void MeanVarFromSums(double Shift, double S, double Q, double N, double& Mean, double& Variance)
{
    Mean = Shift + S / N;
    Variance = 1;
    // Three values, not two, before the sample variance is trusted.
    if (N >= 3) Variance = (Q - S * S / N) / (N - 1);
    if (Variance < 0) Variance = 0;
}

bool TMatrix::CheckColRange(int& Lo, int& Hi) const
{
    if (Lo == 0 && Hi == 0) {
        Lo = 1;
        Hi = FCols;
        return false;
    }
    bool exchanged = false;
    return ClipRange(Lo, Hi, FCols, exchanged);
}

bool TMatrix::CheckRowRange(int& Lo, int& Hi) const
{
    if (Lo == 0 && Hi == 0) {
        Lo = 1;
        Hi = FRows;
        return false;
    }
    bool exchanged = false;
    const bool clipped = ClipRange(Lo, Hi, FRows, exchanged);
    return clipped || exchanged;
}

void TMatrix::MeanVar(int LoCol, int LoRow, int HiCol, int HiRow, double& Mean,
                      double& Variance) const
{
    Mean = 0;
    Variance = 0;
    CheckColRange(LoCol, HiCol);
    CheckRowRange(LoRow, HiRow);
    // Sums are taken about the block's first value: the plain sum of squares less the squared
    // sum cancels to noise (or below 0) once the values lie far from zero compared with their
    // spread, and a constant block must give exactly its value and a variance of 0.
    const double shift = FCells[Offset(LoCol, LoRow)];
    double s = 0, q = 0, n = 0;
    for (int c = LoCol; c <= HiCol; ++c) {
        const double* col = &FCells[Offset(c, 1)];
        for (int r = LoRow; r <= HiRow; ++r) {
            const double d = col[r - 1] - shift;
            s += d;
            q += d * d;
        }
        n += HiRow - LoRow + 1;
    }
    MeanVarFromSums(shift, s, q, n, Mean, Variance);
}

void TMatrix::ColumnMeanVars(int LoCol, int HiCol, int LoRow, int HiRow, double* Means,
                             double* Variances) const
{
    CheckRowRange(LoRow, HiRow);
    constexpr int kTogether = 4;
    for (int first = LoCol; first <= HiCol; first += kTogether) {
        const int count = std::min(kTogether, HiCol - first + 1);
        // Each column's sums in its own accumulators, in MeanVar's order; a group short of four
        // repeats its last column and drops the copies.
        const double* col[kTogether];
        double shift[kTogether], s[kTogether] = {}, q[kTogether] = {};
        for (int k = 0; k < kTogether; ++k) {
            int c = first + std::min(k, count - 1), lo = c, hi = c;
            CheckColRange(lo, hi);
            col[k] = &FCells[Offset(lo, LoRow)];
            shift[k] = col[k][0];
        }
        for (int r = 0; r <= HiRow - LoRow; ++r)
            for (int k = 0; k < kTogether; ++k) {
                const double d = col[k][r] - shift[k];
                s[k] += d;
                q[k] += d * d;
            }
        for (int k = 0; k < count; ++k)
            MeanVarFromSums(shift[k], s[k], q[k], HiRow - LoRow + 1, Means[first - LoCol + k],
                            Variances[first - LoCol + k]);
    }
}

void TMatrix::Assign(TPersistent* Source)
{
    auto* src = dynamic_cast<TMatrix*>(Source);
    if (!src) {
        TComponent::Assign(Source);
        return;
    }
    if (src == this) return;
    if (!CanAllocate(src->FCells.size(), sizeof(double)))
        throw EZEVMatrixError(NotEnoughMemoryMessage(Name()));
    try {
        TZeroedVector<double> cells(src->FCells);
        FCells.swap(cells);
    } catch (const std::bad_alloc&) {
        throw EZEVMatrixError(NotEnoughMemoryMessage(Name()));
    }
    FCols = src->FCols;
    FRows = src->FRows;
    FDataID = src->FDataID;
    OnChange = src->OnChange;
    OnResize = src->OnResize;
    OnSortExchange = src->OnSortExchange;
    OnCalcDistance = src->OnCalcDistance;
    OnPercentDone = src->OnPercentDone;
}

void TMatrix::AssignTo(TPersistent* Dest)
{
    if (!AssignToOwnKind(this, Dest)) TComponent::AssignTo(Dest);
}
