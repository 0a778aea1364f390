// Table editor: the copy buffer and clipboard text exchange ("Copy", "Paste", "Extract from
// Clipboard").
#include "ZEV_valgrid.h"

#include "Clipboard.h"
#include "ZEV_matrix.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace {
const QLatin1StringView NoNumber("####");

// How a column's numbers are written: FloatToField(Width, Decimals, value). Full precision is
// (22, -1): exponential with 14 significant digits; otherwise (1, Precision): fixed notation,
// or two significant digits for precision -1. Either text is exactly as wide as its field.
struct TCellForm {
    int Width;
    int Decimals;
};

// FloatToField for the two forms above without a string per cell.
void AppendNumber(QString& Out, double Value, TCellForm Form)
{
    if (!std::isfinite(Value)) {
        Out += FloatToField(Form.Width, Form.Decimals, Value);
        return;
    }
    char buf[400]; // the longest fixed text: 309 integer digits and 10 decimals
    if (Form.Decimals >= 0) {
        const auto r = std::to_chars(buf, buf + sizeof buf, Value + 0.0, std::chars_format::fixed,
                                     Form.Decimals);
        Out += QLatin1StringView(buf, r.ptr);
        return;
    }
    // Sign and point take 2 characters, "E", its sign and four digits 6 more.
    const int decimals = std::max(1, Form.Width - 9);
    buf[0] = Value < 0 ? '-' : ' ';
    const auto r =
        std::to_chars(buf + 1, buf + 64, std::fabs(Value), std::chars_format::scientific, decimals);
    char* e = std::find(buf + 1, r.ptr, 'e');
    int exponent = 0;
    std::from_chars(e + 2, r.ptr, exponent);
    e[0] = 'E';
    for (int k = 5; k >= 2; --k, exponent /= 10) e[k] = char('0' + exponent % 10);
    Out += QLatin1StringView(buf, e + 6);
}
} // namespace

QString TValgrid::ClipboardText(int Left, int Top, int Right, int Bottom) const
{
    QString text;
    if (Right < Left || Bottom < Top) return text;
    const qsizetype perCell = FClipboardUseFullPrec ? 23 : 12;
    text.reserve(qsizetype(Right - Left + 1) * qsizetype(Bottom - Top + 1) * perCell +
                 2 * qsizetype(Bottom - Top + 1));
    std::vector<TCellForm> forms;
    for (int c = Left; c <= Right; ++c)
        forms.push_back(FClipboardUseFullPrec ? TCellForm{22, -1} : TCellForm{1, Precision(c)});
    for (int r = Top; r <= Bottom; ++r) {
        for (int c = Left; c <= Right; ++c) {
            text += c == Left ? QChar(' ') : QChar('\t');
            if (FTable->IsNumber(c, r))
                AppendNumber(text, FTable->Elem(c, r), forms[std::size_t(c - Left)]);
            else
                text += NoNumber;
        }
        text += QLatin1StringView("\r\n");
    }
    return text;
}

void TValgrid::CopyToClipboard()
{
    const TGridRect sel = DataSelection();
    const int cols = sel.Right - sel.Left + 1, rows = sel.Bottom - sel.Top + 1;
    if (cols < 1 || rows < 1) return;
    FCopyBuffer->Resize(cols, rows);
    for (int i = 0; i < cols; ++i) {
        const int c = sel.Left + i;
        double* to = FCopyBuffer->DataMat()->ColumnData(i + 1);
        for (int j = 0; j < rows; ++j) {
            to[j] = FTable->Elem(c, sel.Top + j);
            FCopyBuffer->SetCellState(i + 1, j + 1, FTable->CellState(c, sel.Top + j));
        }
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
        extent = ExtractNumbers(text, [&](const TExtractRun& Run) {
            const long long r = (long long)top + Run.Line;
            if (r < 1 || r > nr) return;
            // Only the part of the run that lies inside the table.
            const long long from = std::max<long long>(1, (long long)left + Run.First);
            const long long to =
                std::min<long long>(nc, (long long)left + Run.First + Run.Count - 1);
            for (long long c = from; c <= to; ++c) {
                m->ColumnData(int(c))[r - 1] = ClampEntered(Run.Values[c - left - Run.First]);
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
