// Table editor: the copy buffer and clipboard text exchange ("Copy", "Paste", "Extract from
// Clipboard").
#include "ZEV_valgrid.h"

#include "Clipboard.h"
#include "ZEV_matrix.h"

#include <algorithm>
#include <cmath>

void TValgrid::CopyToClipboard()
{
    const TGridRect sel = DataSelection();
    const int cols = sel.Right - sel.Left + 1, rows = sel.Bottom - sel.Top + 1;
    if (cols < 1 || rows < 1) return;
    // A buffer made afresh has zero states: only the cells with a state need a write.
    FCopyBuffer->Resize(1, 1);
    FCopyBuffer->SetCellState(1, 1, 0);
    FCopyBuffer->Resize(cols, rows);
    for (int i = 0; i < cols; ++i) {
        const int c = sel.Left + i;
        const double* from = FTable->DataMat()->ColumnData(c) + (sel.Top - 1);
        double* to = FCopyBuffer->DataMat()->ColumnData(i + 1);
        if (FTable->IsCategory(c))
            std::transform(from, from + rows, to, [](double v) { return std::nearbyint(v); });
        else
            std::copy_n(from, rows, to);
        for (int j = 0; j < rows; ++j)
            if (const std::uint8_t s = FTable->CellState(c, sel.Top + j))
                FCopyBuffer->SetCellState(i + 1, j + 1, s);
    }
    Clipboard().SetAsText(ClipboardText(sel.Left, sel.Top, sel.Right, sel.Bottom));
    FCopyBufferFilled = true;
}

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
            const long long from = std::max<long long>(1, (long long)left + Run.First);
            const long long to =
                std::min<long long>(nc, (long long)left + Run.First + Run.Count - 1);
            const long long first = (long long)left + Run.First;
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
