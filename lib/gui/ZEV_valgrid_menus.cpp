// Table editor: the data popup and the heading popup, and their commands.
#include "ZEV_valgrid.h"

#include "ZEV_matrix.h"

#include <QImage>

namespace {
const char* const ScopeCaptions[] = {"Range", "Column", "Row", "All"};

struct TMarkCommand {
    const char* Caption;
    const char* ItemPrefix;
    std::uint8_t Bit;
    bool Set;
};
const TMarkCommand MarkCommands[] = {
    {"Mark as type A", "M1It", dtcsMarkA, true},
    {"Mark as type B", "M2It", dtcsMarkB, true},
    {"Unmark type A", "U1It", dtcsMarkA, false},
    {"Unmark type B", "U2It", dtcsMarkB, false},
};

QString ItemName(const char* Prefix, int Number)
{
    return QString::fromLatin1(Prefix) + QString::number(Number);
}

// Holds painting back during a structural edit; giving it back repaints once.
class TPaintHold {
  public:
    explicit TPaintHold(TValgrid& G) : FGrid(G), FOld(G.SuppressPaint())
    {
        G.SetSuppressPaint(true);
    }
    ~TPaintHold() { FGrid.SetSuppressPaint(FOld); }
    TPaintHold(const TPaintHold&) = delete;
    TPaintHold& operator=(const TPaintHold&) = delete;

  private:
    TValgrid& FGrid;
    bool FOld;
};

// The checkbox pictures of "Data Read-Only", compiled in from res/bitmaps.
QImage ReadOnlyBitmap(bool Checked)
{
    return QImage(Checked ? QStringLiteral(":/bitmaps/CHECKEDBOX.png")
                          : QStringLiteral(":/bitmaps/EMPTYBOX.png"));
}
} // namespace

void TValgrid::BuildPopups()
{
    TMenuItem* data = FDataPopup->Items();
    int number = 0;
    const auto add = [&](const char* caption, TNotifyEvent onClick) {
        return data->Add(ItemName("DIt", ++number), QString::fromLatin1(caption), onClick);
    };
    for (const TMarkCommand& m : MarkCommands) {
        TMenuItem* parent = add(m.Caption, nullptr);
        for (int s = 0; s < 4; ++s)
            parent->Add(ItemName(m.ItemPrefix, s + 1), QString::fromLatin1(ScopeCaptions[s]),
                        [this, m, s](TObject*) { ChangeMarks(TMarkScope(s), m.Bit, m.Set); });
    }
    add("Unmark All", [this](TObject*) { UnmarkAll(); });
    add("Clear", [this](TObject* Sender) { ClearSelectedCells(Sender); });
    add("Copy", [this](TObject*) { CopyToClipboard(); });
    add("Paste", [this](TObject*) { PasteFromBuffer(); })->Enabled = false;
    add("Extract from Clipboard", [this](TObject*) { ExtractFromClipboard(); });
    add("Data Read-Only", [this](TObject*) { ToggleDataReadOnly(); });
    add("Select All", [this](TObject*) { SelectAllCells(); });
    add("Toggle Empty State", [this](TObject*) { ToggleEmptyStates(); });
    add("Reset All Empty States", [this](TObject*) { ResetAllEmptyStates(); });

    TMenuItem* heading = FHeadingPopup->Items();
    heading->Add(QStringLiteral("HIt1"), QStringLiteral("Edit Heading"),
                 [this](TObject*) { EditHeading(); });
    heading->Add(QStringLiteral("HIt2"), QStringLiteral("Change Precision"),
                 [this](TObject*) { ChangePrecisionAtHeading(); });
    heading->Add(QStringLiteral("HIt3"), QStringLiteral("Select.."),
                 [this](TObject*) { SelectHeadingLine(); });
    heading->Add(QStringLiteral("HIt4"), QStringLiteral("Insert.."),
                 [this](TObject*) { InsertAtHeading(); });
    heading->Add(QStringLiteral("HIt5"), QStringLiteral("Delete.."),
                 [this](TObject*) { DeleteAtHeading(); });
}

void TValgrid::PrepareDataPopup()
{
    TMenuItem* items = FDataPopup->Items();
    items->Find(QStringLiteral("DIt8"))->Enabled = FCopyBufferFilled && !FDataReadOnly;
    items->Find(QStringLiteral("DIt6"))->Enabled = !FDataReadOnly;
    items->Find(QStringLiteral("DIt9"))->Enabled = !FDataReadOnly;
    items->Find(QStringLiteral("DIt10"))->Bitmap = ReadOnlyBitmap(FDataReadOnly);
}

void TValgrid::PrepareHeadingPopup()
{
    TMenuItem* items = FHeadingPopup->Items();
    const bool column = FHeadingCell.Y <= FB;
    items->Find(QStringLiteral("HIt2"))->Enabled = column;
    items->Find(QStringLiteral("HIt3"))->Caption =
        column ? QStringLiteral("Select Column") : QStringLiteral("Select Row");
    items->Find(QStringLiteral("HIt4"))->Caption =
        column ? QStringLiteral("Insert Column") : QStringLiteral("Insert Row");
    items->Find(QStringLiteral("HIt5"))->Caption =
        column ? QStringLiteral("Delete Column") : QStringLiteral("Delete Row");
    items->Find(QStringLiteral("HIt3"))->Enabled = true;
    items->Find(QStringLiteral("HIt4"))->Enabled = !FDataReadOnly;
    items->Find(QStringLiteral("HIt5"))->Enabled = !FDataReadOnly;
}

void TValgrid::PopupAt(TPopupMenu& Menu, int X, int Y)
{
    const QPoint at = mapToGlobal(QPoint(X, Y));
    Menu.Popup(at.x(), at.y());
}

void TValgrid::InvertHeadingOutline()
{
    const TRect r = CellRect(FHeadingCell.X, FHeadingCell.Y);
    if (r.Width() <= 0 || r.Height() <= 0) return;
    TCanvas* c = Canvas();
    c->Pen()->SetMode(pmNot);
    c->Brush()->SetStyle(bsClear);
    c->Rectangle(r.Left, r.Top, r.Right + 1, r.Bottom + 1);
    c->Pen()->SetMode(pmCopy);
    c->Brush()->SetStyle(bsSolid);
    ShowCanvas();
}

// ---- data commands -----------------------------------------------------------------------------

void TValgrid::ChangeStates(const TGridRect& Cells,
                            const std::function<std::uint8_t(std::uint8_t)>& Change)
{
    TBusyScope busy(*this);
    TQuietTable quiet(*FTable);
    for (int c = Cells.Left; c <= Cells.Right; ++c)
        for (int r = Cells.Top; r <= Cells.Bottom; ++r)
            FTable->SetCellState(c, r, Change(FTable->CellState(c, r)));
}

void TValgrid::ChangeMarks(TMarkScope Scope, std::uint8_t Bit, bool Set)
{
    TGridRect cells = DataSelection();
    if (Scope == msColumn || Scope == msAll) cells.Top = 1, cells.Bottom = NrOfRows();
    if (Scope == msRow || Scope == msAll) cells.Left = 1, cells.Right = NrOfColumns();
    ChangeStates(cells,
                 [Bit, Set](std::uint8_t s) { return std::uint8_t(Set ? s | Bit : s & ~Bit); });
    Invalidate();
    FireGated(OnCellStateChanged);
}

void TValgrid::UnmarkAll()
{
    FTable->ClearMarks();
    Invalidate();
    FireGated(OnCellStateChanged);
}

void TValgrid::ClearSelectedCells(TObject* Sender)
{
    {
        TBusyScope busy(*this);
        TQuietTable quiet(*FTable);
        if (OnClear) {
            OnClear(Sender ? Sender : this);
        } else {
            const TGridRect cells = DataSelection();
            for (int c = cells.Left; c <= cells.Right; ++c)
                for (int r = cells.Top; r <= cells.Bottom; ++r) {
                    FTable->DataMat()->ColumnData(c)[r - 1] = 0.0;
                    FTable->SetCellState(c, r, 0);
                }
        }
    }
    Invalidate();
    FireGated(OnChange);
    FireGated(OnCellStateChanged);
}

void TValgrid::ToggleDataReadOnly()
{
    SetDataReadOnly(!FDataReadOnly);
    FireGated(OnChangeSetup);
}

void TValgrid::SelectAllCells()
{
    SetSelection({FA + 1, FB + 1, FA + NrOfColumns(), FB + NrOfRows()});
    Invalidate();
    FLastSel = Selection();
    FireGated(OnSelectionChanged);
}

void TValgrid::ToggleEmptyStates()
{
    ChangeStates(DataSelection(), [](std::uint8_t s) { return std::uint8_t(s ^ dtcsEmpty); });
    Invalidate();
    FireGated(OnEmptyStChanged);
}

void TValgrid::ResetAllEmptyStates()
{
    ChangeStates({1, 1, NrOfColumns(), NrOfRows()},
                 [](std::uint8_t s) { return std::uint8_t(s & ~dtcsEmpty); });
    Invalidate();
    FireGated(OnEmptyStChanged);
}

// ---- heading commands --------------------------------------------------------------------------

void TValgrid::ChangePrecisionAtHeading()
{
    const int col = FHeadingCell.X - FA;
    const int p = Precision(col) - 1;
    SetPrecision(col, p < -1 ? 10 : p);
    // The popup comes back so that the user can step on, with the heading outlined meanwhile.
    Repaint();
    InvertHeadingOutline();
    const TRect r = CellRect(FHeadingCell.X, FHeadingCell.Y);
    PopupAt(*FHeadingPopup, r.Left + 20, r.Top + 20);
    InvertHeadingOutline();
    FireGated(OnLayoutChanged);
}

void TValgrid::SelectHeadingLine()
{
    const TGridCoord h = FHeadingCell;
    if (h.Y <= FB)
        SetSelection({h.X, FB + 1, h.X, FB + NrOfRows()});
    else
        SetSelection({FA + 1, h.Y, FA + NrOfColumns(), h.Y});
    Invalidate();
    FLastSel = Selection();
    FireGated(OnSelectionChanged);
}

void TValgrid::InsertAtHeading()
{
    const bool column = FHeadingCell.Y <= FB;
    const int index = column ? FHeadingCell.X - FA : FHeadingCell.Y - FB;
    if (index < 1 || index > (column ? NrOfColumns() : NrOfRows()) + 1) return;
    TNotifyEvent change = std::move(FTable->OnChange);
    FTable->OnChange = nullptr;
    {
        TPaintHold hold(*this);
        if (column) {
            FTable->InsertColumn(index);
            SetColName(index, QStringLiteral("(...)"));
        } else {
            FTable->InsertRow(index);
            SetRowName(index, QStringLiteral("(...)"));
        }
        FTable->OnChange = std::move(change);
    }
}

void TValgrid::DeleteAtHeading()
{
    const bool column = FHeadingCell.Y <= FB;
    const int index = column ? FHeadingCell.X - FA : FHeadingCell.Y - FB;
    const int count = column ? NrOfColumns() : NrOfRows();
    if (index >= 1 && index <= count && count >= 2) {
        HideEditor(false);
        TPaintHold hold(*this);
        if (column)
            FTable->DeleteColumn(index);
        else
            FTable->DeleteRow(index);
    }
    FireGated(OnChangeSetup);
}
