// Grid base: the in-place editors and everything the user drives: mouse, wheel, keyboard and
// editing.
#include "Grids.h"

#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QListWidget>
#include <QScrollBar>
#include <QToolButton>
#include <algorithm>
#include <climits>
#include <cstdlib>

// ---- in-place editors --------------------------------------------------------------------------

TInplaceEdit::TInplaceEdit(TCustomGrid* Grid) : QLineEdit(Grid), FGrid(Grid)
{
    setFrame(false);
    // At the top as the cell draws its text (one pixel down, two in), not centred in the cell.
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    hide();
}

void TInplaceEdit::Place(const TRect& R)
{
    setGeometry(R.Left, R.Top, R.Width(), R.Height());
}

void TInplaceEdit::keyPressEvent(QKeyEvent* e)
{
    const TShiftState shift = ShiftStateOf(e->modifiers(), Qt::NoButton);
    switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: {
        QChar key('\r'); // the grid's Enter closes the editor and keeps the text
        FGrid->KeyPress(key);
        return;
    }
    case Qt::Key_Escape: {
        FGrid->HideEditor(false);
        QChar key(27);
        FGrid->KeyPress(key);
        return;
    }
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Tab:
    case Qt::Key_Backtab: {
        if ((e->key() == Qt::Key_Tab || e->key() == Qt::Key_Backtab) && !FGrid->WantTabs()) break;
        std::uint16_t key = VirtualKeyOf(e->key());
        FGrid->HideEditor(true);
        FGrid->KeyDown(key, e->key() == Qt::Key_Backtab ? TShiftState(shift | ssShift) : shift);
        return;
    }
    default:
        break;
    }
    QLineEdit::keyPressEvent(e);
}

void TInplaceEdit::focusOutEvent(QFocusEvent* e)
{
    QLineEdit::focusOutEvent(e);
    // Losing focus to a popup or another window keeps the edit open, as the user comes back.
    const auto r = e->reason();
    if (r == Qt::MouseFocusReason || r == Qt::TabFocusReason || r == Qt::BacktabFocusReason ||
        r == Qt::OtherFocusReason)
        FGrid->HideEditor(true);
}

namespace {
// The drop-down list: a popup window that reports how it was closed.
class TPickListPopup : public QListWidget {
  public:
    std::function<void(bool Accept)> OnClose;
    TPickListPopup() : QListWidget(nullptr)
    {
        setWindowFlags(Qt::Popup);
        setUniformItemSizes(true);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        connect(this, &QListWidget::itemClicked, [this](QListWidgetItem*) { Close(true); });
    }

  protected:
    void keyPressEvent(QKeyEvent* e) override
    {
        if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) return Close(true);
        if (e->key() == Qt::Key_Escape) return Close(false);
        QListWidget::keyPressEvent(e);
    }

  private:
    void Close(bool Accept)
    {
        if (OnClose) OnClose(Accept);
    }
};
} // namespace

TInplaceEditList::TInplaceEditList(TCustomGrid* Grid)
    : TInplaceEdit(Grid), FButton(new QToolButton(this)), FList(new TPickListPopup)
{
    FButton->setArrowType(Qt::DownArrow);
    FButton->setFocusPolicy(Qt::NoFocus);
    FButton->hide();
    QObject::connect(FButton, &QToolButton::clicked, [this] {
        if (ListVisible())
            CloseUp(false);
        else
            DropDown();
    });
    static_cast<TPickListPopup*>(FList)->OnClose = [this](bool Accept) { CloseUp(Accept); };
}

TInplaceEditList::~TInplaceEditList()
{
    delete FList;
}

void TInplaceEditList::SetEditStyle(TEditStyle Value)
{
    TInplaceEdit::SetEditStyle(Value);
    FButton->setVisible(Value == esPickList);
    setTextMargins(0, 0, Value == esPickList ? FButton->sizeHint().width() : 0, 0);
    if (Value != esPickList) CloseUp(false);
}

void TInplaceEditList::Place(const TRect& R)
{
    TInplaceEdit::Place(R);
    const int w = std::min(R.Width(), FButton->sizeHint().width());
    FButton->setGeometry(R.Width() - w, 0, w, R.Height());
}

void TInplaceEditList::DropDown()
{
    if (EditStyle() != esPickList) return;
    if (OnGetPickListItems) OnGetPickListItems(Grid()->Col(), Grid()->Row(), PickList);
    FList->clear();
    FList->addItems(PickList);
    const auto found = FList->findItems(text(), Qt::MatchExactly);
    FList->setCurrentItem(found.isEmpty() ? FList->item(0) : found.first());
    // Tall enough for DropDownRows items and wide enough for the longest, so that only a
    // longer list needs a scroll bar.
    const int rowHeight = std::max(1, FList->sizeHintForRow(0));
    const int rows = std::clamp(int(PickList.size()), 1, FDropDownRows);
    const int frame = 2 * FList->frameWidth();
    const int bar =
        int(PickList.size()) > rows ? FList->verticalScrollBar()->sizeHint().width() : 0;
    const int wide = FList->sizeHintForColumn(0) + frame + bar + 4;
    FList->setGeometry(QRect(mapToGlobal(QPoint(0, height())),
                             QSize(std::max({width(), 60, wide}), rows * rowHeight + frame)));
    FList->show();
    FList->setFocus(Qt::PopupFocusReason);
}

void TInplaceEditList::CloseUp(bool Accept)
{
    if (!FList->isVisible()) return;
    if (Accept && FList->currentItem()) setText(FList->currentItem()->text());
    FList->hide();
    if (isVisible()) setFocus(Qt::PopupFocusReason);
}

bool TInplaceEditList::ListVisible() const
{
    return FList->isVisible();
}

void TInplaceEditList::keyPressEvent(QKeyEvent* e)
{
    const bool altDown = e->key() == Qt::Key_Down && (e->modifiers() & Qt::AltModifier);
    if (EditStyle() == esPickList && (altDown || e->key() == Qt::Key_F4)) return DropDown();
    TInplaceEdit::keyPressEvent(e);
}

void TInplaceEditList::focusOutEvent(QFocusEvent* e)
{
    if (ListVisible()) return QLineEdit::focusOutEvent(e);
    TInplaceEdit::focusOutEvent(e);
}

// ---- mouse -------------------------------------------------------------------------------------

TCustomGrid::TSizingDrag TCustomGrid::SizingHit(int X, int Y) const
{
    constexpr int Reach = 2;
    const auto nearest = [&](bool columns, int at) -> TSizingDrag {
        const TGridCoord cell = MouseCoord(X, Y);
        const int here = columns ? cell.X : cell.Y;
        for (int i : {here, here - 1}) {
            if (i < 0 || i >= (columns ? ColCount() : RowCount())) continue;
            const int start = columns ? ColumnX(i) : RowY(i);
            if (start == INT_MIN) continue;
            const int edge = start + (columns ? FCols.Size(i) : FRows.Size(i));
            if (std::abs(at - edge) <= Reach) return {columns, i, start};
        }
        return {};
    };
    if ((FOptions & goColSizing) && Y >= 0 && Y < FixedExtentY())
        if (TSizingDrag hit = nearest(true, X); hit.Index >= 0) return hit;
    if ((FOptions & goRowSizing) && X >= 0 && X < FixedExtentX()) return nearest(false, Y);
    return {};
}

void TCustomGrid::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (!hasFocus() && !(FEditorShown && FEditor->hasFocus())) setFocus(Qt::MouseFocusReason);
    if (Button == mbLeft && (FSizing = SizingHit(X, Y)).Index >= 0) {
        if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
        return;
    }
    const TGridCoord cell = MouseCoord(X, Y);
    const bool scrolling = cell.X >= FFixedCols && cell.Y >= FFixedRows;
    if (Button == mbLeft && scrolling) {
        if ((Shift & ssShift) && (FOptions & goRangeSelect)) {
            FocusCell(cell.X, cell.Y, false);
        } else if (cell == FCurrent && (FOptions & goEditing) && !(Shift & ssDouble)) {
            ShowEditor(); // a press on the current cell starts editing
        } else {
            FocusCell(cell.X, cell.Y, true);
        }
        FSelecting = (FOptions & goRangeSelect) && !FEditorShown;
    }
    if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}

void TCustomGrid::MouseMove(TShiftState Shift, int X, int Y)
{
    if (FSizing.Index >= 0) {
        const int size = std::max(1, (FSizing.Columns ? X : Y) - FSizing.Start);
        if (FSizing.Columns)
            SetColWidths(FSizing.Index, size);
        else
            SetRowHeights(FSizing.Index, size);
    } else if (!(Shift & ssLeft)) {
        const TSizingDrag hit = SizingHit(X, Y);
        SetCursor(hit.Index < 0 ? crDefault : hit.Columns ? crHSplit : crVSplit);
    }
    if (FSelecting && (Shift & ssLeft)) {
        // Dragging past an edge scrolls one cell per move towards it.
        if (Y >= GridClientHeight() && FTopLeft.Y < MaxTopRow()) SetTopRow(FTopLeft.Y + 1);
        if (Y < FixedExtentY() && FTopLeft.Y > FFixedRows) SetTopRow(FTopLeft.Y - 1);
        if (X >= GridClientWidth() && FTopLeft.X < MaxLeftCol()) SetLeftCol(FTopLeft.X + 1);
        if (X < FixedExtentX() && FTopLeft.X > FFixedCols) SetLeftCol(FTopLeft.X - 1);
        const int cx = std::clamp(X, FixedExtentX(), std::max(FixedExtentX(), GridWidth() - 1));
        const int cy = std::clamp(Y, FixedExtentY(), std::max(FixedExtentY(), GridHeight() - 1));
        const TGridCoord cell = MouseCoord(cx, cy);
        if (cell.X >= FFixedCols && cell.Y >= FFixedRows && !(cell == FCurrent))
            FocusCell(cell.X, cell.Y, false);
    }
    if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}

void TCustomGrid::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    const bool wasSelecting = FSelecting;
    FSelecting = false;
    FSizing = {};
    if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
    if (Button == mbLeft && wasSelecting) FireEvent(OnClick, this);
}

bool TCustomGrid::DoMouseWheel(TShiftState Shift, int WheelDelta, QPoint MousePos)
{
    bool handled = false;
    FWheelRest += WheelDelta;
    for (; FWheelRest >= 120; FWheelRest -= 120) handled |= DoMouseWheelUp(Shift, MousePos);
    for (; FWheelRest <= -120; FWheelRest += 120) handled |= DoMouseWheelDown(Shift, MousePos);
    return handled || WheelDelta != 0;
}

bool TCustomGrid::DoMouseWheelDown(TShiftState Shift, QPoint MousePos)
{
    bool handled = false;
    if (OnMouseWheelDown) OnMouseWheelDown(this, Shift, MousePos, handled);
    if (!handled && FCurrent.Y < RowCount() - 1) {
        FocusCell(FCurrent.X, FCurrent.Y + 1, true);
        handled = true;
    }
    return handled;
}

bool TCustomGrid::DoMouseWheelUp(TShiftState Shift, QPoint MousePos)
{
    bool handled = false;
    if (OnMouseWheelUp) OnMouseWheelUp(this, Shift, MousePos, handled);
    if (!handled && FCurrent.Y > FFixedRows) {
        FocusCell(FCurrent.X, FCurrent.Y - 1, true);
        handled = true;
    }
    return handled;
}

// ---- keyboard ----------------------------------------------------------------------------------

void TCustomGrid::keyPressEvent(QKeyEvent* e)
{
    std::uint16_t key = VirtualKeyOf(e->key());
    if (key != 0) {
        KeyDown(key, ShiftStateOf(e->modifiers(), Qt::NoButton));
        if (key == 0) return; // swallowed
    }
    QString text = e->text();
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) text = QStringLiteral("\r");
    if (text.size() != 1) return;
    QChar ch = text.at(0);
    const bool typing = (ch.unicode() >= 32 && ch.unicode() != 127) || ch.unicode() == 8;
    if (typing && (FOptions & goEditing) && CanEditShow())
        ShowEditorChar(ch);
    else
        KeyPress(ch);
}

void TCustomGrid::KeyDown(std::uint16_t& Key, TShiftState Shift)
{
    if (OnKeyDown) OnKeyDown(this, Key, Shift);
    const bool extend = (Shift & ssShift) && (FOptions & goRangeSelect);
    const bool ctrl = Shift & ssCtrl;
    int c = FCurrent.X, r = FCurrent.Y;
    switch (Key) {
    case VK_UP:
        --r;
        break;
    case VK_DOWN:
        ++r;
        break;
    case VK_LEFT:
        --c;
        break;
    case VK_RIGHT:
        ++c;
        break;
    case VK_PRIOR:
    case VK_NEXT: {
        // A page moves the view and the cursor together.
        const int page = std::max(1, VisibleRowCount()) * (Key == VK_NEXT ? 1 : -1);
        r += page;
        SetTopRow(FTopLeft.Y + page);
        break;
    }
    case VK_HOME:
        c = FFixedCols;
        if (ctrl) r = FFixedRows;
        break;
    case VK_END:
        c = ColCount() - 1;
        if (ctrl) r = RowCount() - 1;
        break;
    case VK_TAB:
        if (!WantTabs()) return;
        if (Shift & ssShift) {
            if (--c < FFixedCols) c = ColCount() - 1, r = r > FFixedRows ? r - 1 : RowCount() - 1;
        } else {
            if (++c >= ColCount()) c = FFixedCols, r = r < RowCount() - 1 ? r + 1 : FFixedRows;
        }
        FocusCell(c, r, true);
        Key = 0; // no tab character after the move
        return;
    case VK_F2:
        ShowEditor();
        return;
    default:
        return;
    }
    FocusCell(c, r, !extend);
}

void TCustomGrid::KeyUp(std::uint16_t& Key, TShiftState Shift)
{
    if (OnKeyUp) OnKeyUp(this, Key, Shift);
}

void TCustomGrid::KeyPress(QChar& Key)
{
    if (OnKeyPress) OnKeyPress(this, Key);
    if (Key == QChar('\r') && (FOptions & goEditing) && !(FOptions & goAlwaysShowEditor)) {
        if (FEditorShown)
            HideEditor(true);
        else
            ShowEditor();
        Key = QChar(0);
    }
}

void TCustomGrid::focusInEvent(QFocusEvent*)
{
    Invalidate();
}
void TCustomGrid::focusOutEvent(QFocusEvent*)
{
    Invalidate();
}

// ---- editing -----------------------------------------------------------------------------------

bool TCustomGrid::CanEditShow() const
{
    return (FOptions & goEditing) && !(FOptions & goRowSelect) && FCurrent.X >= FFixedCols &&
           FCurrent.Y >= FFixedRows && FCurrent.X < ColCount() && FCurrent.Y < RowCount();
}

bool TCustomGrid::EditorMode() const
{
    return FEditorShown;
}

void TCustomGrid::SetEditorMode(bool Value)
{
    if (Value)
        ShowEditor();
    else
        HideEditor(true);
}

void TCustomGrid::ShowEditor()
{
    if (FEditorShown || !CanEditShow()) return;
    ClampInView();
    if (!FEditor) FEditor = CreateEditor();
    if (!FEditor) return;
    FEditCell = FCurrent;
    FEditor->setFont(Font()->ToQFont()); // the cells' font, which the widget does not inherit
    FEditor->SetEditStyle(GetEditStyle(FCurrent.X, FCurrent.Y));
    FEditOriginal = GetEditText(FCurrent.X, FCurrent.Y);
    FEditor->setText(FEditOriginal);
    FEditorShown = true;
    PlaceEditor();
    if (!FEditorShown) return; // the cell is not on screen
    FEditor->show();
    FEditor->setFocus(Qt::OtherFocusReason);
    // All selected, with the cursor in front so that a text wider than the cell shows its start.
    FEditor->setSelection(int(FEditOriginal.size()), -int(FEditOriginal.size()));
    Invalidate();
}

void TCustomGrid::ShowEditorChar(QChar Key)
{
    ShowEditor();
    if (!FEditorShown) return;
    FEditor->setText(Key.unicode() == 8 ? QString() : QString(Key));
    FEditor->end(false);
}

void TCustomGrid::HideEditor(bool Commit)
{
    if (!FEditorShown || FHidingEditor) return;
    FHidingEditor = true;
    FEditorShown = false;
    const bool hadFocus = FEditor->hasFocus();
    FEditor->CloseUp(false);
    FEditor->hide();
    const QString text = FEditor->text();
    if (Commit) {
        // Confirming the text unchanged is an entry too: it may clear a failed entry's mark.
        FEditUnchanged = text == FEditOriginal;
        SetEditText(FEditCell.X, FEditCell.Y, text);
        FEditUnchanged = false;
    }
    if (hadFocus) setFocus(Qt::OtherFocusReason);
    FHidingEditor = false;
    Invalidate();
}

void TCustomGrid::PlaceEditor()
{
    if (!FEditorShown || !FEditor) return;
    const TRect r = CellRect(FEditCell.X, FEditCell.Y);
    if (r.Width() <= 0 || r.Height() <= 0) {
        HideEditor(true);
        return;
    }
    FEditor->Place(r);
}

void TCustomGrid::contextMenuEvent(QContextMenuEvent* e)
{
    if (!FPopupMenu) return e->ignore();
    FPopupMenu->Popup(e->globalPos().x(), e->globalPos().y());
}
