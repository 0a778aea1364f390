// Table editor: typing into cells, the keyboard, the mouse and wheel, selection reporting, and
// the two overlay editors for headings and the comment.
#include "ZEV_valgrid.h"

#include "ZEV_stringl.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>
#include <charconv>
#include <cmath>

namespace {
// A whole number in the range of a 64-bit integer; longer digit strings are refused rather
// than wrapped.
bool ReadWholeNumber(const QString& Text, double& Value)
{
    if (!IsIntegerString(Text)) return false;
    const QByteArray digits = Text.toLatin1();
    const char* first = digits.constData() + (digits.startsWith('+') ? 1 : 0);
    long long n = 0;
    const auto r = std::from_chars(first, digits.constData() + digits.size(), n);
    if (r.ec != std::errc() || r.ptr != digits.constData() + digits.size()) return false;
    Value = double(n);
    return true;
}

// The locale-free number syntax of data files; an overflow is no number.
bool ReadNumber(const QString& Text, double& Value)
{
    const QByteArray latin = Text.toLatin1();
    return ParseAscNumber(std::string_view(latin.constData(), std::size_t(latin.size())), Value);
}

bool IsEnterOrEscape(const QKeyEvent& e)
{
    return e.key() == Qt::Key_Return || e.key() == Qt::Key_Enter || e.key() == Qt::Key_Escape;
}
} // namespace

// ---- cell entry --------------------------------------------------------------------------------

void TValgrid::SetEditText(int ACol, int ARow, const QString& Value)
{
    const int c = ACol - FA, r = ARow - FB;
    // Confirming the offered text is an entry too: it clears what the cell hid or marked. The
    // text may be rounded for display, so it leaves the value exactly as it was.
    const bool offered = EditTextUnchanged();
    if (FTable->IsCategory(c))
        StoreCategoryText(c, r, Value, offered);
    else
        StoreNumberText(c, r, Value, offered);
    TCustomGrid::SetEditText(ACol, ARow, Value);
    if (OnSetEditText) OnSetEditText(this, ACol, ARow, Value);
}

void TValgrid::StoreCategoryText(int Col, int Row, const QString& Value, bool Offered)
{
    // Bounds are whole numbers in a category column.
    const auto clampWhole = [this](double v) {
        return ClampToValueRange(v, std::nearbyint(FVRangeLow), std::nearbyint(FVRangeHigh));
    };
    const int label = FTable->FindValueLabel(Col, Value.left(255), true);
    double number = 0;
    if (label >= 0) {
        if (!Offered) FTable->SetElem(Col, Row, clampWhole(label));
        FTable->SetCellState(Col, Row, 0); // a chosen label starts the cell afresh
    } else if (ReadWholeNumber(Value, number)) {
        if (!Offered) FTable->SetElem(Col, Row, clampWhole(number));
        ShowNumber(Col, Row);
    } else if (!Offered) {
        FTable->SetCellState(Col, Row, FTable->CellState(Col, Row) | dtcsNotANumber);
    }
}

void TValgrid::StoreNumberText(int Col, int Row, const QString& Value, bool Offered)
{
    double number = 0;
    if (ReadNumber(TrimBlanks(ReplaceChar(Value, u',', u'.')), number)) {
        if (!Offered) FTable->SetElem(Col, Row, ClampEntered(number));
        ShowNumber(Col, Row);
    } else if (!Offered) { // an offered text of asterisks hides no failed entry
        FTable->SetCellState(Col, Row, FTable->CellState(Col, Row) | dtcsNotANumber);
    }
}

void TValgrid::ShowNumber(int Col, int Row)
{
    const std::uint8_t state = FTable->CellState(Col, Row);
    if (state & (dtcsNotANumber | dtcsEmpty))
        FTable->SetCellState(Col, Row, state & ~(dtcsNotANumber | dtcsEmpty));
}

// ---- the editing switch ------------------------------------------------------------------------

void TValgrid::SetEditing(bool On)
{
    SetOptions(On ? Options() | goEditing : Options() & ~goEditing);
}

bool TValgrid::CellLocked(int ACol, int ARow) const
{
    return FTable->CellState(ACol - FA, ARow - FB) & dtcsLocked;
}

// ---- keyboard ----------------------------------------------------------------------------------

void TValgrid::KeyPress(QChar& Key)
{
    const TGridRect sel = Selection();
    if (CellLocked(sel.Left, sel.Top) || FDataReadOnly) {
        SetEditing(false);
        return;
    }
    SetEditing(true);
    const bool typing = (Key.unicode() >= 32 && Key.unicode() != 127) || Key.unicode() == 8;
    if (typing && !EditorMode()) {
        // The key that finds editing switched off starts the editor instead of getting lost.
        ShowEditorChar(Key);
        Key = QChar(0);
        return;
    }
    TCustomGrid::KeyPress(Key);
    if (FAutoAdvance && (Key.unicode() == 0 || Key == QChar('\r'))) {
        std::uint16_t step = FAutoAdvanceDir == orVert ? VK_DOWN : VK_RIGHT;
        KeyDown(step, 0);
    }
    if (Key.unicode() == VK_ESCAPE && InplaceEditor()) {
        SetEditing(false);
        HideEditor(false);
    }
}

void TValgrid::KeyDown(std::uint16_t& Key, TShiftState Shift)
{
    const TGridRect sel = Selection();
    const bool movesAway = Key == 0 || Key == VK_RETURN || (Key >= VK_LEFT && Key <= VK_DOWN);
    if (CellLocked(sel.Left, sel.Top) && !movesAway) {
        SetEditing(false);
        Key = 0;
        return;
    }
    TCustomGrid::KeyDown(Key, Shift);
    FireGated(OnSelectionChanged);
    DrawCellCursor();
    Invalidate();
}

bool TValgrid::DoMouseWheelDown(TShiftState Shift, QPoint MousePos)
{
    return AfterWheelStep(TCustomGrid::DoMouseWheelDown(Shift, MousePos));
}

bool TValgrid::DoMouseWheelUp(TShiftState Shift, QPoint MousePos)
{
    return AfterWheelStep(TCustomGrid::DoMouseWheelUp(Shift, MousePos));
}

bool TValgrid::AfterWheelStep(bool Handled)
{
    DrawCellCursor();
    FireGated(OnSelectionChanged);
    Invalidate();
    return Handled;
}

// ---- selection reporting -----------------------------------------------------------------------

void TValgrid::ReportSelection()
{
    const TGridRect sel = Selection();
    if (sel == FLastSel) return;
    FLastSel = sel;
    FireGated(OnSelectionChanged);
}

void TValgrid::MouseMove(TShiftState Shift, int X, int Y)
{
    TCustomGrid::MouseMove(Shift, X, Y);
    ReportSelection();
}

void TValgrid::TopLeftChanged()
{
    ReportSelection();
    TCustomGrid::TopLeftChanged();
}

// ---- mouse -------------------------------------------------------------------------------------

void TValgrid::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (FCommentEditing) {
        TCustomGrid::MouseDown(Button, Shift, X, Y);
        FHeadingCell = MouseCoord(X, Y);
        if (FHeadingCell == TGridCoord{0, 0}) CloseCommentMemo(false);
        return;
    }
    if (FHeadingEditing) {
        FHeadingEdit->setFocus(Qt::OtherFocusReason); // the toolkit moved it to the grid
        return;
    }
    const TGridCoord previous = MouseCoord(FPrevPress.X, FPrevPress.Y);
    const TGridCoord cell = MouseCoord(X, Y);
    FHeadingCell = cell;
    if (!(previous == cell)) SetEditing(false);
    TCustomGrid::MouseDown(Button, Shift, X, Y);
    Invalidate();
    if (X <= 0 || X >= GridWidth() || Y <= 0 || Y >= GridHeight()) return;
    FPrevPress = {X, Y};
    const bool internalPopup = !PopupMenu() && !FBlockInternalPopup;
    if (cell.X > FA && cell.Y > FB) {
        if (previous == cell && !FDataReadOnly) SetEditing(true);
        if (CellLocked(cell.X, cell.Y) || FDataReadOnly) SetEditing(false);
        if (Button == mbRight && internalPopup) {
            PrepareDataPopup();
            if (OnBeforePopup) OnBeforePopup(this, FDataPopup.get());
            PopupAt(*FDataPopup, X + 10, Y - 20);
        }
        if (Button == mbLeft) DrawCellCursor();
        return;
    }
    if (cell.X == 0 && cell.Y == 0) {
        if (Button == mbRight && !FBlockInternalPopup && FCommentEditingAllowed) OpenCommentMemo();
        return;
    }
    if (cell.X <= FA && cell.Y <= FB) return;
    if (Button == mbRight && internalPopup) {
        PrepareHeadingPopup();
        InvertHeadingOutline();
        if (OnBeforePopup) OnBeforePopup(this, FHeadingPopup.get());
        const TRect r = CellRect(cell.X, cell.Y);
        PopupAt(*FHeadingPopup, r.Left + 20, r.Top + 20);
    }
}

void TValgrid::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    // The release of a press that the open heading edit box ignored must not move the heading
    // cell, or Enter would store the text under another heading.
    if (FHeadingEditing) return;
    TCustomGrid::MouseUp(Button, Shift, X, Y);
    FHeadingCell = MouseCoord(X, Y);
    SetEditing(!(CellLocked(FHeadingCell.X, FHeadingCell.Y) || FDataReadOnly));
}

// ---- heading edit box --------------------------------------------------------------------------

void TValgrid::EditHeading()
{
    const TGridCoord h = FHeadingCell;
    if ((h.X <= FA && h.Y <= FB) || h.X < 0 || h.Y < 0) return;
    QString text;
    if (h.Y == 0)
        text = ColName(h.X - FA);
    else if (FB == 1 && h.Y == 1)
        text = QString::number(ColAttrib(h.X - FA));
    else if (FA == 1 && h.X == 1)
        text = QString::number(RowAttrib(h.Y - FB));
    else
        text = RowName(h.Y - FB);
    const TRect r = CellRect(h.X, h.Y);
    FHeadingEdit->move(r.Left + 30, r.Bottom + 5);
    FHeadingEdit->setText(text);
    FHeadingEdit->show();
    FHeadingEdit->raise();
    FHeadingEdit->setFocus(Qt::OtherFocusReason);
    // A closing popup menu hands the focus back to the grid afterwards; take it once more then.
    QTimer::singleShot(0, FHeadingEdit, [this] {
        if (FHeadingEditing) FHeadingEdit->setFocus(Qt::OtherFocusReason);
    });
    FHeadingEditing = true;
}

void TValgrid::CloseHeadingEdit(bool Store)
{
    FHeadingEdit->hide();
    FHeadingEditing = false;
    if (Store) StoreHeadingText(FHeadingEdit->text());
    setFocus(Qt::OtherFocusReason);
    Invalidate();
}

void TValgrid::StoreHeadingText(const QString& Text)
{
    const TGridCoord h = FHeadingCell;
    const bool colAttrib = FB == 1 && h.Y == 1 && h.X > FA;
    const bool rowAttrib = FA == 1 && h.X == 1 && h.Y > FB;
    if (colAttrib || rowAttrib) {
        // Digits alone must fit a 64-bit integer: a 20-digit class number is refused, not
        // taken as the largest class.
        const QString text = TrimBlanks(Text);
        double v = 0;
        if (!(IsIntegerString(text) ? ReadWholeNumber(text, v) : ReadNumber(text, v))) return;
        const auto attrib = std::uint8_t(std::nearbyint(std::clamp(v, 0.0, 255.0)));
        if (colAttrib)
            SetColAttrib(h.X - FA, attrib);
        else
            SetRowAttrib(h.Y - FB, attrib);
    } else if (h.Y == 0) {
        SetColName(h.X - FA, Text.left(DTNameLength));
    } else {
        SetRowName(h.Y - FB, Text.left(DTNameLength));
    }
    FireGated(OnHeadingChanged);
}

// ---- comment memo ------------------------------------------------------------------------------

void TValgrid::OpenCommentMemo()
{
    FCommentEditing = true;
    const int left = ColWidths(0);
    FCommentMemo->setGeometry(left, 0, Width() - left - 20, 80);
    FCommentMemo->setPlainText(FTable->Comment());
    QPalette p = FCommentMemo->palette();
    p.setColor(QPalette::Base, ToQColor(8421376));
    p.setColor(QPalette::Text, Qt::white);
    FCommentMemo->setPalette(p);
    FCommentMemo->show();
    FCommentMemo->raise();
    FCommentMemo->setFocus(Qt::OtherFocusReason);
    Invalidate();
}

void TValgrid::CloseCommentMemo(bool Store)
{
    FCommentMemo->hide();
    FCommentEditing = false;
    if (Store) {
        FTable->SetComment(FCommentMemo->toPlainText());
        FireGated(OnChange);
    }
    setFocus(Qt::OtherFocusReason);
    Invalidate();
    DrawCellCursor();
}

bool TValgrid::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Event->type() != QEvent::KeyPress) return TCustomGrid::eventFilter(Watched, Event);
    const auto& key = static_cast<const QKeyEvent&>(*Event);
    if (!IsEnterOrEscape(key)) return false;
    const bool store = key.key() != Qt::Key_Escape;
    if (Watched == FHeadingEdit)
        CloseHeadingEdit(store);
    else if (Watched == FCommentMemo)
        CloseCommentMemo(store);
    else
        return false;
    return true;
}
