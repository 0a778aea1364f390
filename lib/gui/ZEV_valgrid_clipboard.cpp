// Table editor: "Paste" from the copy buffer and "Extract from Clipboard".
#include "ZEV_valgrid.h"

#include "Clipboard.h"
#include "ZEV_matrix.h"

#include <algorithm>
#include <cmath>

void TValgrid::PasteFromBuffer()
{
    if (!FCopyBufferFilled) return; // the buffer's single zero was never copied by anyone
    const TGridRect sel = Selection();
    const int left = sel.Left - FA, top = sel.Top - FB;
    const int cols = FCopyBuffer->NrOfColumns(), rows = FCopyBuffer->NrOfRows();
    {
        TBusyScope busy(*this);
        TQuietTable quiet(*FTable);
        // Cells beyond the table are dropped.
        const int lastCol = std::min(left + cols - 1, NrOfColumns());
        const int lastRow = std::min(top + rows - 1, NrOfRows());
        for (int c = std::max(left, 1); c <= lastCol; ++c) {
            const double* from = FCopyBuffer->DataMat()->ColumnData(c - left + 1);
            double* to = FTable->DataMat()->ColumnData(c);
            for (int r = std::max(top, 1); r <= lastRow; ++r) {
                to[r - 1] = ClampEntered(from[r - top]);
                FTable->SetCellState(c, r, FCopyBuffer->CellState(c - left + 1, r - top + 1));
            }
        }
    }
    Invalidate();
    FireGated(OnChange);
    FireGated(OnCellStateChanged);
    FireEvent(OnPaste, this);
    SelectBlock(sel.Left, sel.Top, cols, rows);
}

void TValgrid::ExtractFromClipboard()
{
    const QString text = Clipboard().AsText();
    if (text.isEmpty()) return;
    const TGridRect sel = Selection();
    const int left = sel.Left - FA, top = sel.Top - FB;
    TExtractExtent extent;
    {
        TBusyScope busy(*this);
        TQuietTable quiet(*FTable);
        TMatrix* m = FTable->DataMat();
        const int nc = NrOfColumns(), nr = NrOfRows();
        const bool ranged = FVRangeLow != 0 || FVRangeHigh != 0;
        extent = ExtractNumbers(text, [&](const TExtractRun& Run) {
            const long long r = (long long)top + Run.Line;
            if (r < 1 || r > nr) return;
            // Only the part of the run that lies inside the table.
            const long long first = (long long)left + Run.First;
            const long long from = std::max<long long>(1, first);
            const long long to = std::min<long long>(nc, first + Run.Count - 1);
            for (long long c = from; c <= to; ++c) {
                const double v = Run.Values[c - first];
                m->ColumnData(int(c))[r - 1] = ranged ? ClampEntered(v) : v;
                ShowNumber(int(c), int(r));
            }
        });
    }
    Invalidate();
    FireGated(OnChange);
    FireEvent(OnPaste, this);
    if (extent.Columns > 0) SelectBlock(sel.Left, sel.Top, extent.Columns, extent.Rows);
}

// ---- shared helpers of the bulk commands --------------------------------------------------------

TValgrid::TQuietTable::TQuietTable(TDataTable& T)
    : Table(T), Change(std::move(T.OnChange)), CellState(std::move(T.OnChangeCellState))
{
    T.OnChange = nullptr;
    T.OnChangeCellState = nullptr;
}

TValgrid::TQuietTable::~TQuietTable()
{
    Table.OnChange = std::move(Change);
    Table.OnChangeCellState = std::move(CellState);
}

TGridRect TValgrid::DataSelection() const
{
    const TGridRect sel = Selection();
    return {std::max(sel.Left - FA, 1), std::max(sel.Top - FB, 1),
            std::min(sel.Right - FA, NrOfColumns()), std::min(sel.Bottom - FB, NrOfRows())};
}

void TValgrid::SelectBlock(int Left, int Top, int Columns, int Rows)
{
    // A block reaching past the table selects only what lies in the grid.
    const long long right = std::min<long long>((long long)Left + Columns - 1, ColCount() - 1);
    const long long bottom = std::min<long long>((long long)Top + Rows - 1, RowCount() - 1);
    SetSelection({Left, Top, int(right), int(bottom)});
    Invalidate();
    ReportSelection();
}
