// Table editor: construction, properties, the event gate, table notifications and geometry.
#include "ZEV_valgrid.h"

#include "ZEV_stringl.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <algorithm>
#include <new>

TValgrid::TValgrid(QWidget* Parent) : TCustomGrid(Parent)
{
    // The grid base starts with 5 x 5 cells, one fixed column and row, 64 x 24 pixel cells; the
    // busy flag (set by its initialiser) keeps everything below silent.
    SetFixedCols(2);
    // Users widen a column or a row by dragging its edge among the headings.
    SetOptions(Options() | goColSizing | goRowSizing);
    FHeadingEdit = new QLineEdit(this);
    FHeadingEdit->hide();
    FCommentMemo = new QPlainTextEdit(this);
    FCommentMemo->hide();
    FHeadingEdit->installEventFilter(this);
    FCommentMemo->installEventFilter(this);
    SetColWidths(1, AttribColumnWidth);
    SetColWidths(0, HeadingColumnWidth);
    try {
        FCopyBuffer = std::make_unique<TDataTable>();
        FTable = std::make_unique<TDataTable>();
        FTable->Resize(ColCount() - 2, RowCount() - 1);
        for (int c = 1; c <= FTable->NrOfColumns(); ++c)
            for (int r = 1; r <= FTable->NrOfRows(); ++r) FTable->SetElem(c, r, 0.0);
        FPrecision.assign(std::size_t(FTable->NrOfColumns()), 3);
    } catch (const std::bad_alloc&) {
        FTable.reset();
        throw EZEVValgridError(
            QStringLiteral("Component \"%1\": failed to initialize table editor (out of memory)")
                .arg(Name()));
    } catch (const EZEVDataTableError&) {
        FTable.reset();
        throw EZEVValgridError(
            QStringLiteral("Component \"%1\": failed to initialize table editor (out of memory)")
                .arg(Name()));
    }
    HookTable();
    FDataPopup = std::make_unique<TPopupMenu>();
    FDataPopup->SetName(QStringLiteral("PopupDTAction"));
    FHeadingPopup = std::make_unique<TPopupMenu>();
    FHeadingPopup->SetName(QStringLiteral("PopupHTAction"));
    BuildPopups();
    SetColorBackground(clWindow);
    SetColorFixed(clBtnFace);
    Font()->OnChange = [this](TObject*) {
        Canvas()->Font()->Assign(Font());
        Invalidate();
    };
    FBusy = false;
}

TValgrid::~TValgrid()
{
    // The in-place editor may still want to hand its text over while the widget tree goes.
    HideEditor(false);
    if (FTable) {
        FTable->OnResize = nullptr;
        FTable->OnChange = nullptr;
        FTable->OnChangeSetup = nullptr;
    }
}

void TValgrid::HookTable()
{
    FTable->OnResize = [this](TObject*, int oc, int orows, int nc, int nr) {
        TableResized(oc, orows, nc, nr);
    };
    FTable->OnChange = [this](TObject*) {
        FireGated(OnChange);
        Invalidate();
    };
    FTable->OnChangeSetup = [this](TObject*) {
        FireGated(OnChangeSetup);
        Invalidate();
    };
    FTable->OnPercentDone = [this](TObject*, int percent) {
        FireEvent(OnPercentDone, this, percent);
    };
    // Names, attributes and states written straight into the table must show as well.
    FTable->OnChangeNames = [this](TObject*) { Invalidate(); };
    FTable->OnChangeAttrib = [this](TObject*) { Invalidate(); };
    FTable->OnChangeCellState = [this](TObject*) { Invalidate(); };
}

void TValgrid::FireGated(const TNotifyEvent& Event)
{
    if (!FSuppressPaint && !FBusy && Event) Event(this);
}

void TValgrid::SetSuppressPaint(bool Value)
{
    const bool old = FSuppressPaint;
    FSuppressPaint = Value;
    if (old && !Value) Repaint();
}

// ---- names, attributes, precision
// ----------------------------------------------------------------

void TValgrid::SetColName(int Col, const QString& Value)
{
    if (Col < 1 || Col > NrOfColumns()) return;
    FTable->SetColName(Col, LeftOnCharBoundary(Value, DTNameLength));
    FireGated(OnHeadingChanged);
    Invalidate();
}

void TValgrid::SetRowName(int Row, const QString& Value)
{
    if (Row < 1 || Row > NrOfRows()) return;
    FTable->SetRowName(Row, LeftOnCharBoundary(Value, DTNameLength));
    FireGated(OnHeadingChanged);
    Invalidate();
}

void TValgrid::SetColAttrib(int Col, std::uint8_t Value)
{
    if (Col < 1 || Col > NrOfColumns()) return;
    FTable->SetColAttrib(Col, Value);
    Invalidate();
    FireGated(OnAttributeChanged);
}

void TValgrid::SetRowAttrib(int Row, std::uint8_t Value)
{
    if (Row < 1 || Row > NrOfRows()) return;
    FTable->SetRowAttrib(Row, Value);
    Invalidate();
    FireGated(OnAttributeChanged);
}

int TValgrid::Precision(int Col) const
{
    if (Col < 1 || Col > NrOfColumns() || std::size_t(Col) > FPrecision.size()) return 0;
    return FPrecision[std::size_t(Col - 1)];
}

void TValgrid::SetPrecision(int Col, int Value)
{
    if (Col < 1 || Col > NrOfColumns() || std::size_t(Col) > FPrecision.size()) return;
    FPrecision[std::size_t(Col - 1)] = std::int8_t(std::clamp(Value, -1, 10));
    Invalidate();
    FireGated(OnLayoutChanged);
}

void TValgrid::ResizePrecision(int Fill)
{
    try {
        FPrecision.resize(std::size_t(std::max(0, NrOfColumns())), std::int8_t(Fill));
    } catch (const std::bad_alloc&) {
        throw EZEVValgridError(NotEnoughMemoryMessage(Name()));
    } catch (const std::length_error&) {
        throw EZEVValgridError(NotEnoughMemoryMessage(Name()));
    }
}

// ---- sizes
// -----------------------------------------------------------------------------------------

int TValgrid::GridColOf(int Index) const
{
    if (Index > 0) return Index <= NrOfColumns() ? Index + FA : -1;
    if (Index == 0) return 0;
    return FA == 1 ? 1 : -1;
}

int TValgrid::GridRowOf(int Index) const
{
    if (Index > 0) return Index <= NrOfRows() ? Index + FB : -1;
    if (Index == 0) return 0;
    return FB == 1 ? 1 : -1;
}

int TValgrid::ColWidth(int Index) const
{
    const int g = GridColOf(Index);
    return g < 0 ? 0 : ColWidths(g);
}

void TValgrid::SetColWidth(int Index, int Value)
{
    const int g = GridColOf(Index);
    if (g >= 0) SetColWidths(g, Value);
}

int TValgrid::RowHeight(int Index) const
{
    const int g = GridRowOf(Index);
    return g < 0 ? 0 : RowHeights(g);
}

void TValgrid::SetRowHeight(int Index, int Value)
{
    const int g = GridRowOf(Index);
    if (g >= 0) SetRowHeights(g, Value);
}

void TValgrid::SetDefaultColWidth(int Value)
{
    TCustomGrid::SetDefaultColWidth(Value);
    SetColWidths(0, HeadingColumnWidth);
    if (FA == 1) SetColWidths(1, AttribColumnWidth);
    FireGated(OnLayoutChanged);
}

// ---- table size --------------------------------------------------------------------------------

void TValgrid::SetNrOfColumns(int Value)
{
    TBusyScope busy(*this);
    const int lastWidth = ColWidths(ColCount() - 1);
    const int m = NrOfColumns();
    const int fill =
        FPrecision.empty() ? 3 : FPrecision[std::min(FPrecision.size(), std::size_t(m)) - 1];
    FTable->Resize(Value, NrOfRows());
    const int n = NrOfColumns(); // the table may refuse the size
    SetColCount(n + FA + 1);
    if (n >= m)
        for (int i = m + FA; i <= n + FA; ++i) SetColWidths(i, lastWidth);
    ResizePrecision(fill);
}

void TValgrid::SetNrOfRows(int Value)
{
    TBusyScope busy(*this);
    FTable->Resize(NrOfColumns(), Value);
    SetRowCount(NrOfRows() + FB + 1);
}

void TValgrid::TableResized(int OldColumns, int, int NewColumns, int NewRows)
{
    const int lastWidth = ColWidths(ColCount() - 1);
    SetColCount(NewColumns + FA + 1);
    for (int i = OldColumns + FA; i <= NewColumns + FA; ++i) SetColWidths(i, lastWidth);
    SetRowCount(NewRows + FB + 1);
    if (FB + 1 < RowCount()) SetFixedRows(FB + 1);
    const bool inside = OldColumns >= 1 && std::size_t(OldColumns) <= FPrecision.size();
    ResizePrecision(inside ? FPrecision[std::size_t(OldColumns - 1)] : 2);
    Invalidate();
}

// ---- scrolling ---------------------------------------------------------------------------------

void TValgrid::SetLeftCol(int Value)
{
    TCustomGrid::SetLeftCol(std::clamp(Value, 1, std::max(1, NrOfColumns())) + FA);
}

void TValgrid::SetTopRow(int Value)
{
    TCustomGrid::SetTopRow(std::clamp(Value, 1, std::max(1, NrOfRows())) + FB);
    Invalidate();
}

// ---- attribute column and row ----------------------------------------------------------------

void TValgrid::SetAttribRowVisible(bool Value)
{
    if (Value == AttribRowVisible()) return;
    if (Value) {
        // Every width moves one column to the right with its column.
        OpenColumn(1);
        SetFixedCols(2);
        SetColWidths(1, AttribColumnWidth);
        FA = 1;
    } else {
        SetFixedCols(1);
        CloseColumn(1);
        FA = 0;
    }
    Invalidate();
    FireGated(OnLayoutChanged);
}

void TValgrid::SetAttribColVisible(bool Value)
{
    if (Value == AttribColVisible()) return;
    if (Value) {
        OpenRow(1);
        SetFixedRows(2);
        SetRowHeights(1, RowHeights(0));
        FB = 1;
    } else {
        SetFixedRows(1);
        CloseRow(1);
        FB = 0;
    }
    Invalidate();
    FireGated(OnLayoutChanged);
}

// ---- display settings --------------------------------------------------------------------------

void TValgrid::SetLayoutColor(TColor& Field, TColor Value)
{
    Field = Value;
    Invalidate();
    FireGated(OnLayoutChanged);
}

void TValgrid::SetColorEmptyMsg(TColor Value)
{
    if (Value == FColorEmptyMsg) return;
    FColorEmptyMsg = Value;
    Invalidate();
    FireGated(OnChangeSetup);
}

void TValgrid::SetEmptyMessage(const QString& Value)
{
    if (Value == FEmptyMessage) return;
    FEmptyMessage = Value;
    Invalidate();
    FireGated(OnChangeSetup);
}

void TValgrid::SetComment(const QString& Value)
{
    FTable->SetComment(StripControlChars(Value));
    FireGated(OnChange);
}

void TValgrid::SetNumWidth(int Value)
{
    if (Value >= 1 && Value <= MaxNumWidth) {
        FNumWidth = Value;
        Invalidate();
    }
    FireGated(OnLayoutChanged);
}

void TValgrid::SetBoldMarks(bool Value)
{
    if (Value == FBoldMarks) return;
    FBoldMarks = Value;
    FireGated(OnLayoutChanged);
}

void TValgrid::SetBoldSelHeads(bool Value)
{
    if (Value == FBoldSelHeads) return;
    FBoldSelHeads = Value;
    FireGated(OnLayoutChanged);
}

void TValgrid::SetShowCellCursor(bool Value)
{
    if (Value == FShowCellCursor) return;
    FShowCellCursor = Value;
    Invalidate();
}

void TValgrid::SetOptimizeRowHeight(bool Value)
{
    if (Value == FOptimizeRowHeight) return;
    FOptimizeRowHeight = Value;
    Invalidate();
}

void TValgrid::SetDataReadOnly(bool Value)
{
    if (Value == FDataReadOnly) return;
    FDataReadOnly = Value;
    if (Value) {
        HideEditor(false);
        SetOptions(Options() & ~goEditing);
    } else {
        SetOptions(Options() | goEditing);
    }
}

void TValgrid::SetNomEditDropDownCount(int Value)
{
    FNomEditDropDownCount = Value;
    if (auto* list = dynamic_cast<TInplaceEditList*>(InplaceEditor())) list->SetDropDownRows(Value);
}

// ---- in-place editor
// -----------------------------------------------------------------------------

TInplaceEdit* TValgrid::CreateEditor()
{
    auto* editor = new TInplaceEditList(this);
    editor->SetDropDownRows(FNomEditDropDownCount);
    editor->OnGetPickListItems = [this](int, int, QStringList& Items) { Items = FPickList; };
    return editor;
}

bool TValgrid::CanEditShow() const
{
    if (!TCustomGrid::CanEditShow() || FDataReadOnly) return false;
    return !(FTable->CellState(Col() - FA, Row() - FB) & dtcsLocked);
}

TEditStyle TValgrid::GetEditStyle(int ACol, int)
{
    const int c = ACol - FA;
    if (!FTable->IsCategory(c)) return esSimple;
    FPickList.clear();
    for (int v = 0; v <= DTMaxLabelValue; ++v) {
        const QString label = FTable->ValueLabel(c, v);
        if (!label.isEmpty()) FPickList.append(label);
    }
    return esPickList;
}

QString TValgrid::GetEditText(int ACol, int ARow)
{
    const int c = ACol - FA, r = ARow - FB;
    QString text;
    if (FTable->IsCategory(c)) {
        const double v = std::nearbyint(FTable->Elem(c, r));
        const QString label =
            (v >= 0 && v <= DTMaxLabelValue) ? FTable->ValueLabel(c, int(v)) : QString();
        text = label.isEmpty() ? WholeNumberText(v) : label;
    } else {
        text = FormatCellNumber(FNumWidth, Precision(c), FTable->Elem(c, r));
    }
    if (OnGetEditText) OnGetEditText(this, ACol, ARow, text);
    return text;
}
