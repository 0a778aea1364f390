#include "Grids.h"

#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QListWidget>
#include <QScrollBar>
#include <QStyle>
#include <QToolButton>
#include <algorithm>
#include <climits>

// ---- axis ------------------------------------------------------------------------------------

void TGridAxis::SetCount(int Value)
{
    Value = std::max(0, Value);
    if (Value < FCount) FCustom.erase(FCustom.lower_bound(Value), FCustom.end());
    FCount = Value;
    Changed();
}

void TGridAxis::SetDefaultSize(int Value)
{
    FDefault = std::max(0, Value);
    FCustom.clear();
    Changed();
}

void TGridAxis::SetLineWidth(int Value)
{
    FLine = std::max(0, Value);
    Changed();
}

int TGridAxis::Size(int Index) const
{
    if (Index < 0 || Index >= FCount) return 0;
    const auto it = FCustom.find(Index);
    return it == FCustom.end() ? FDefault : it->second;
}

void TGridAxis::SetSize(int Index, int Value)
{
    if (Index < 0 || Index >= FCount) return;
    Value = std::max(0, Value);
    if (Value == FDefault)
        FCustom.erase(Index);
    else
        FCustom[Index] = Value;
    Changed();
}

void TGridAxis::Insert(int Index)
{
    if (Index < 0 || Index > FCount) return;
    std::vector<std::pair<int, int>> moved(FCustom.lower_bound(Index), FCustom.end());
    FCustom.erase(FCustom.lower_bound(Index), FCustom.end());
    for (const auto& [key, size] : moved) FCustom.emplace(key + 1, size);
    ++FCount;
    Changed();
}

void TGridAxis::Remove(int Index)
{
    if (Index < 0 || Index >= FCount) return;
    FCustom.erase(Index);
    std::vector<std::pair<int, int>> moved(FCustom.upper_bound(Index), FCustom.end());
    FCustom.erase(FCustom.upper_bound(Index), FCustom.end());
    for (const auto& [key, size] : moved) FCustom.emplace(key - 1, size);
    --FCount;
    Changed();
}

void TGridAxis::Rebuild() const
{
    FKeys.clear();
    FPrefix.assign(1, 0);
    FKeys.reserve(FCustom.size());
    FPrefix.reserve(FCustom.size() + 1);
    for (const auto& [key, size] : FCustom) {
        FKeys.push_back(key);
        FPrefix.push_back(FPrefix.back() + size - FDefault);
    }
    FDirty = false;
}

long long TGridAxis::Start(int Index) const
{
    Index = std::clamp(Index, 0, FCount);
    if (FDirty) Rebuild();
    const auto k = std::lower_bound(FKeys.begin(), FKeys.end(), Index) - FKeys.begin();
    return static_cast<long long>(Index) * (FDefault + FLine) + FPrefix[std::size_t(k)];
}

int TGridAxis::IndexAt(long long Offset) const
{
    if (Offset < 0) return -1;
    int lo = 0, hi = FCount; // Start(lo) <= Offset holds throughout
    while (lo < hi) {
        const int mid = lo + (hi - lo + 1) / 2;
        if (Start(mid) <= Offset)
            lo = mid;
        else
            hi = mid - 1;
    }
    return lo;
}

// ---- in-place editors --------------------------------------------------------------------------

TInplaceEdit::TInplaceEdit(TCustomGrid* Grid) : QLineEdit(Grid), FGrid(Grid)
{
    setFrame(false);
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
    const int rowHeight = std::max(1, FList->sizeHintForRow(0));
    const int rows = std::clamp(int(PickList.size()), 1, FDropDownRows);
    const int frame = 2 * FList->frameWidth();
    FList->setGeometry(QRect(mapToGlobal(QPoint(0, height())),
                             QSize(std::max(width(), 60), rows * rowHeight + frame)));
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

// ---- grid --------------------------------------------------------------------------------------

TCustomGrid::TCustomGrid(QWidget* Parent)
    : TCustomControl(Parent), FVScroll(new QScrollBar(Qt::Vertical, this)),
      FHScroll(new QScrollBar(Qt::Horizontal, this))
{
    FCols.SetDefaultSize(64);
    FCols.SetCount(5);
    FRows.SetDefaultSize(24);
    FRows.SetCount(5);
    SetColor(clWindow);
    FVScroll->hide();
    FHScroll->hide();
    FVScroll->setFocusPolicy(Qt::NoFocus);
    FHScroll->setFocusPolicy(Qt::NoFocus);
    QObject::connect(FVScroll, &QScrollBar::valueChanged, [this](int v) {
        if (!FUpdatingScroll) MoveTopLeft(FTopLeft.X, FFixedRows + v);
    });
    QObject::connect(FHScroll, &QScrollBar::valueChanged, [this](int v) {
        if (!FUpdatingScroll) MoveTopLeft(FFixedCols + v, FTopLeft.Y);
    });
}

TCustomGrid::~TCustomGrid()
{
    // The editor goes first: while the widget tree is taken down it must not call back into a
    // grid that is half destroyed.
    FEditorShown = false;
    delete FEditor;
    FEditor = nullptr;
}

void TCustomGrid::InvalidateGrid()
{
    FLayoutDirty = true;
    Invalidate();
}

void TCustomGrid::SetColCount(int Value)
{
    Value = std::max(1, Value);
    if (Value == ColCount()) return;
    if (FFixedCols >= Value) FFixedCols = Value - 1;
    FCols.SetCount(Value);
    ClampPositions();
    InvalidateGrid();
}

void TCustomGrid::SetRowCount(int Value)
{
    Value = std::max(1, Value);
    if (Value == RowCount()) return;
    if (FFixedRows >= Value) FFixedRows = Value - 1;
    FRows.SetCount(Value);
    ClampPositions();
    InvalidateGrid();
}

namespace {
void ShiftOpened(int& Pos, int Index)
{
    if (Pos >= Index) ++Pos;
}
void ShiftClosed(int& Pos, int Index)
{
    if (Pos > Index) --Pos;
}
} // namespace

void TCustomGrid::OpenColumn(int Index)
{
    if (Index < 0 || Index > ColCount()) return;
    HideEditor(true);
    FCols.Insert(Index);
    ShiftOpened(FCurrent.X, Index), ShiftOpened(FAnchor.X, Index);
    ClampPositions();
    InvalidateGrid();
}

void TCustomGrid::CloseColumn(int Index)
{
    if (Index < 0 || Index >= ColCount() || ColCount() <= 1) return;
    HideEditor(true);
    FCols.Remove(Index);
    if (FFixedCols >= ColCount()) FFixedCols = ColCount() - 1;
    ShiftClosed(FCurrent.X, Index), ShiftClosed(FAnchor.X, Index);
    ClampPositions();
    InvalidateGrid();
}

void TCustomGrid::OpenRow(int Index)
{
    if (Index < 0 || Index > RowCount()) return;
    HideEditor(true);
    FRows.Insert(Index);
    ShiftOpened(FCurrent.Y, Index), ShiftOpened(FAnchor.Y, Index);
    ClampPositions();
    InvalidateGrid();
}

void TCustomGrid::CloseRow(int Index)
{
    if (Index < 0 || Index >= RowCount() || RowCount() <= 1) return;
    HideEditor(true);
    FRows.Remove(Index);
    if (FFixedRows >= RowCount()) FFixedRows = RowCount() - 1;
    ShiftClosed(FCurrent.Y, Index), ShiftClosed(FAnchor.Y, Index);
    ClampPositions();
    InvalidateGrid();
}

void TCustomGrid::SetFixedCols(int Value)
{
    if (Value < 0 || Value >= ColCount() || Value == FFixedCols) return;
    FFixedCols = Value;
    ClampPositions();
    InvalidateGrid();
}

void TCustomGrid::SetFixedRows(int Value)
{
    if (Value < 0 || Value >= RowCount() || Value == FFixedRows) return;
    FFixedRows = Value;
    ClampPositions();
    InvalidateGrid();
}

void TCustomGrid::SetDefaultColWidth(int Value)
{
    FCols.SetDefaultSize(Value);
    ClampPositions();
    InvalidateGrid();
}

void TCustomGrid::SetDefaultRowHeight(int Value)
{
    FRows.SetDefaultSize(Value);
    ClampPositions();
    InvalidateGrid();
}

void TCustomGrid::SetColWidths(int Index, int Value)
{
    if (Index < 0 || Index >= ColCount() || FCols.Size(Index) == std::max(0, Value)) return;
    FCols.SetSize(Index, Value);
    PlaceEditor();
    InvalidateGrid();
}

void TCustomGrid::SetRowHeights(int Index, int Value)
{
    if (Index < 0 || Index >= RowCount() || FRows.Size(Index) == std::max(0, Value)) return;
    FRows.SetSize(Index, Value);
    PlaceEditor();
    InvalidateGrid();
}

void TCustomGrid::SetOptions(TGridOptions Value)
{
    if (Value == FOptions) return;
    FOptions = Value;
    if (!(FOptions & goEditing)) HideEditor(true);
    if (!(FOptions & goRangeSelect)) FAnchor = FCurrent;
    Invalidate();
}

void TCustomGrid::SetFixedColor(TColor Value)
{
    FFixedColor = Value;
    Invalidate();
}

TGridRect TCustomGrid::Selection() const
{
    TGridRect r{std::min(FAnchor.X, FCurrent.X), std::min(FAnchor.Y, FCurrent.Y),
                std::max(FAnchor.X, FCurrent.X), std::max(FAnchor.Y, FCurrent.Y)};
    if (FOptions & goRowSelect) r.Left = FFixedCols, r.Right = ColCount() - 1;
    return r;
}

void TCustomGrid::SetSelection(const TGridRect& Value)
{
    HideEditor(true);
    FCurrent = {std::min(Value.Left, Value.Right), std::min(Value.Top, Value.Bottom)};
    FAnchor = (FOptions & goRangeSelect)
                  ? TGridCoord{std::max(Value.Left, Value.Right), std::max(Value.Top, Value.Bottom)}
                  : FCurrent;
    ClampPositions();
    Invalidate();
}

void TCustomGrid::ClampPositions()
{
    const auto clampCell = [this](TGridCoord& c) {
        c.X = std::clamp(c.X, FFixedCols, std::max(FFixedCols, ColCount() - 1));
        c.Y = std::clamp(c.Y, FFixedRows, std::max(FFixedRows, RowCount() - 1));
    };
    clampCell(FCurrent);
    clampCell(FAnchor);
    const TGridCoord old = FTopLeft;
    FTopLeft.X = std::clamp(FTopLeft.X, FFixedCols, MaxLeftCol());
    FTopLeft.Y = std::clamp(FTopLeft.Y, FFixedRows, MaxTopRow());
    if (!(FTopLeft == old)) {
        PlaceEditor();
        TopLeftChanged();
    }
}

namespace {
// The first cell from which the cells up to Last fit into Avail pixels (never above Last, never
// below Min).
int FirstToFit(const TGridAxis& a, int Last, long long Avail, int Min)
{
    const long long target = a.Start(Last + 1) - Avail;
    int first = a.IndexAt(std::max(0LL, target));
    if (a.Start(first) < target) ++first;
    return std::clamp(first, Min, std::max(Min, Last));
}
} // namespace

int TCustomGrid::MaxTopRow() const
{
    return FirstToFit(FRows, RowCount() - 1, GridClientHeight() - FixedExtentY(), FFixedRows);
}

int TCustomGrid::MaxLeftCol() const
{
    return FirstToFit(FCols, ColCount() - 1, GridClientWidth() - FixedExtentX(), FFixedCols);
}

int TCustomGrid::VisibleColCount() const
{
    const long long end = FCols.Start(FTopLeft.X) + GridClientWidth() - FixedExtentX();
    const int i = FCols.IndexAt(std::max(0LL, end));
    return std::max(0, std::min(i, ColCount()) - FTopLeft.X);
}

int TCustomGrid::VisibleRowCount() const
{
    const long long end = FRows.Start(FTopLeft.Y) + GridClientHeight() - FixedExtentY();
    const int i = FRows.IndexAt(std::max(0LL, end));
    return std::max(0, std::min(i, RowCount()) - FTopLeft.Y);
}

int TCustomGrid::GridClientWidth() const
{
    return std::max(0, Width() - (FShowV ? FVScroll->sizeHint().width() : 0));
}

int TCustomGrid::GridClientHeight() const
{
    return std::max(0, Height() - (FShowH ? FHScroll->sizeHint().height() : 0));
}

int TCustomGrid::GridWidth() const
{
    const long long w = FixedExtentX() + FCols.Start(ColCount()) - FCols.Start(FTopLeft.X);
    return int(std::min<long long>(GridClientWidth(), w));
}

int TCustomGrid::GridHeight() const
{
    const long long h = FixedExtentY() + FRows.Start(RowCount()) - FRows.Start(FTopLeft.Y);
    return int(std::min<long long>(GridClientHeight(), h));
}

int TCustomGrid::ColumnX(int ACol) const
{
    if (ACol < FFixedCols) return int(FCols.Start(ACol));
    if (ACol < FTopLeft.X) return INT_MIN;
    const long long x = FixedExtentX() + FCols.Start(ACol) - FCols.Start(FTopLeft.X);
    return x > INT_MAX ? INT_MIN : int(x);
}

int TCustomGrid::RowY(int ARow) const
{
    if (ARow < FFixedRows) return int(FRows.Start(ARow));
    if (ARow < FTopLeft.Y) return INT_MIN;
    const long long y = FixedExtentY() + FRows.Start(ARow) - FRows.Start(FTopLeft.Y);
    return y > INT_MAX ? INT_MIN : int(y);
}

TRect TCustomGrid::CellRect(int ACol, int ARow) const
{
    if (ACol < 0 || ACol >= ColCount() || ARow < 0 || ARow >= RowCount()) return {};
    const int x = ColumnX(ACol), y = RowY(ARow);
    if (x == INT_MIN || y == INT_MIN || x >= GridClientWidth() || y >= GridClientHeight())
        return {};
    return {x, y, x + FCols.Size(ACol), y + FRows.Size(ARow)};
}

TGridCoord TCustomGrid::MouseCoord(int X, int Y) const
{
    const auto locate = [](const TGridAxis& a, int fixed, int first, int extent, int limit, int p) {
        if (p < 0 || p >= limit) return -1;
        if (p < extent) return std::min(a.IndexAt(p), fixed - 1);
        const int i = a.IndexAt(p - extent + a.Start(first));
        return i >= a.Count() ? -1 : i;
    };
    return {locate(FCols, FFixedCols, FTopLeft.X, FixedExtentX(), GridClientWidth(), X),
            locate(FRows, FFixedRows, FTopLeft.Y, FixedExtentY(), GridClientHeight(), Y)};
}

void TCustomGrid::MouseToCell(int X, int Y, int& ACol, int& ARow) const
{
    const TGridCoord c = MouseCoord(X, Y);
    ACol = c.X;
    ARow = c.Y;
}

void TCustomGrid::MoveTopLeft(int ALeft, int ATop)
{
    ALeft = std::clamp(ALeft, FFixedCols, MaxLeftCol());
    ATop = std::clamp(ATop, FFixedRows, MaxTopRow());
    if (ALeft == FTopLeft.X && ATop == FTopLeft.Y) return;
    FTopLeft = {ALeft, ATop};
    UpdateScrollBars();
    PlaceEditor();
    Invalidate();
    TopLeftChanged();
}

void TCustomGrid::ClampInView()
{
    int left = FTopLeft.X, top = FTopLeft.Y;
    if (FCurrent.X < left)
        left = FCurrent.X;
    else if (FCurrent.X >= left + std::max(1, VisibleColCount()))
        left = FirstToFit(FCols, FCurrent.X, GridClientWidth() - FixedExtentX(), FFixedCols);
    if (FCurrent.Y < top)
        top = FCurrent.Y;
    else if (FCurrent.Y >= top + std::max(1, VisibleRowCount()))
        top = FirstToFit(FRows, FCurrent.Y, GridClientHeight() - FixedExtentY(), FFixedRows);
    MoveTopLeft(left, top);
}

void TCustomGrid::FocusCell(int ACol, int ARow, bool MoveAnchor)
{
    ACol = std::clamp(ACol, FFixedCols, std::max(FFixedCols, ColCount() - 1));
    ARow = std::clamp(ARow, FFixedRows, std::max(FFixedRows, RowCount() - 1));
    if (!SelectCell(ACol, ARow)) return;
    HideEditor(true);
    FCurrent = {ACol, ARow};
    if (MoveAnchor || !(FOptions & goRangeSelect)) FAnchor = FCurrent;
    EnsureLayout();
    ClampInView();
    Invalidate();
    if (FOptions & goAlwaysShowEditor) ShowEditor();
}

bool TCustomGrid::LayoutScrollBars()
{
    const bool oldV = FShowV, oldH = FShowH;
    const long long contentW = FCols.Start(ColCount()), contentH = FRows.Start(RowCount());
    const int sbW = FVScroll->sizeHint().width(), sbH = FHScroll->sizeHint().height();
    // A scroll bar is needed when everything does not fit; one may force the other.
    FShowV = contentH > Height();
    FShowH = contentW > Width() - (FShowV ? sbW : 0);
    FShowV = contentH > Height() - (FShowH ? sbH : 0);
    FShowH = contentW > Width() - (FShowV ? sbW : 0);
    return oldV != FShowV || oldH != FShowH;
}

void TCustomGrid::UpdateScrollBars()
{
    FLayoutDirty = false;
    LayoutScrollBars();
    FUpdatingScroll = true;
    const int sbW = FVScroll->sizeHint().width(), sbH = FHScroll->sizeHint().height();
    FVScroll->setVisible(FShowV);
    FHScroll->setVisible(FShowH);
    if (FShowV) FVScroll->setGeometry(Width() - sbW, 0, sbW, GridClientHeight());
    if (FShowH) FHScroll->setGeometry(0, Height() - sbH, GridClientWidth(), sbH);
    ClampPositions();
    FVScroll->setRange(0, MaxTopRow() - FFixedRows);
    FVScroll->setPageStep(std::max(1, VisibleRowCount()));
    FVScroll->setValue(FTopLeft.Y - FFixedRows);
    FHScroll->setRange(0, MaxLeftCol() - FFixedCols);
    FHScroll->setPageStep(std::max(1, VisibleColCount()));
    FHScroll->setValue(FTopLeft.X - FFixedCols);
    FUpdatingScroll = false;
}

void TCustomGrid::Resize()
{
    UpdateScrollBars();
    PlaceEditor();
}

// ---- painting ----------------------------------------------------------------------------------

void TCustomGrid::DrawCell(int, int, const TRect& ARect, TGridDrawState)
{
    Canvas()->FillRect(ARect);
}

void TCustomGrid::PaintLines(const TRect& R, bool Fixed, TColor Back)
{
    const int line = GridLineWidth();
    if (line <= 0) return;
    TBrush* b = Canvas()->Brush();
    const bool vert = FOptions & (Fixed ? goFixedVertLine : goVertLine);
    const bool horz = FOptions & (Fixed ? goFixedHorzLine : goHorzLine);
    const TColor lineColor = Fixed ? clGray : clSilver;
    b->SetColor(vert ? lineColor : Back);
    Canvas()->FillRect(Rect(R.Right, R.Top, R.Right + line, R.Bottom + line));
    b->SetColor(horz ? lineColor : Back);
    Canvas()->FillRect(Rect(R.Left, R.Bottom, R.Right, R.Bottom + line));
}

void TCustomGrid::Paint()
{
    EnsureLayout();
    TCanvas* c = Canvas();
    c->Font()->Assign(Font());
    const int width = Width(), height = Height();
    // Only the cells on screen: the fixed ones, then the scrolling ones from the top-left.
    const auto visible = [](const TGridAxis& a, int fixed, int first, int limit,
                            std::vector<std::pair<int, int>>& out) {
        int pos = 0;
        for (int i = 0; i < fixed && i < a.Count() && pos < limit; ++i) {
            out.emplace_back(i, pos);
            pos += a.Size(i) + a.LineWidth();
        }
        for (int i = first; i < a.Count() && pos < limit; ++i) {
            out.emplace_back(i, pos);
            pos += a.Size(i) + a.LineWidth();
        }
        return pos;
    };
    std::vector<std::pair<int, int>> cols, rows;
    const int endX = visible(FCols, FFixedCols, FTopLeft.X, width, cols);
    const int endY = visible(FRows, FFixedRows, FTopLeft.Y, height, rows);

    const TGridRect sel = Selection();
    const bool focused = hasFocus();
    for (const auto& [row, y] : rows) {
        const int h = FRows.Size(row);
        for (const auto& [col, x] : cols) {
            const TRect r{x, y, x + FCols.Size(col), y + h};
            const bool fixed = col < FFixedCols || row < FFixedRows;
            TGridDrawState state = fixed ? gdFixed : 0;
            if (!fixed && sel.Contains(col, row)) state |= gdSelected;
            if (!fixed && col == FCurrent.X && row == FCurrent.Y) state |= gdFocused;
            const TColor back = fixed ? FFixedColor : Color();
            const bool highlight =
                (state & gdSelected) && (!(state & gdFocused) || (FOptions & goDrawFocusSelected));
            c->Brush()->SetColor(highlight ? clHighlight : back);
            c->Font()->SetColor(highlight ? clHighlightText : Font()->Color());
            c->Font()->SetStyle(Font()->Style());
            DrawCell(col, row, r, state);
            if (fixed && r.Width() > 1 && r.Height() > 1) {
                // Raised edge: light above and left, shadow below and right.
                TBrush* b = c->Brush();
                b->SetColor(clBtnHighlight);
                c->FillRect(Rect(r.Left, r.Top, r.Right - 1, r.Top + 1));
                c->FillRect(Rect(r.Left, r.Top, r.Left + 1, r.Bottom - 1));
                b->SetColor(clBtnShadow);
                c->FillRect(Rect(r.Left, r.Bottom - 1, r.Right, r.Bottom));
                c->FillRect(Rect(r.Right - 1, r.Top, r.Right, r.Bottom));
            }
            PaintLines(r, fixed, back);
            if ((state & gdFocused) && focused && !FEditorShown) {
                c->Pen()->SetColor(clBlack);
                c->Pen()->SetStyle(psDot);
                c->Brush()->SetStyle(bsClear);
                c->Rectangle(r.Left, r.Top, r.Right, r.Bottom);
                c->Pen()->SetStyle(psSolid);
                c->Brush()->SetStyle(bsSolid);
            }
        }
    }
    c->Brush()->SetColor(Color());
    if (endX < width) c->FillRect(Rect(endX, 0, width, height));
    if (endY < height) c->FillRect(Rect(0, endY, std::min(endX, width), height));
}

// ---- mouse -------------------------------------------------------------------------------------

void TCustomGrid::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (!hasFocus() && !(FEditorShown && FEditor->hasFocus())) setFocus(Qt::MouseFocusReason);
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
    FEditor->SetEditStyle(GetEditStyle(FCurrent.X, FCurrent.Y));
    FEditOriginal = GetEditText(FCurrent.X, FCurrent.Y);
    FEditor->setText(FEditOriginal);
    FEditorShown = true;
    PlaceEditor();
    if (!FEditorShown) return; // the cell is not on screen
    FEditor->show();
    FEditor->setFocus(Qt::OtherFocusReason);
    FEditor->selectAll();
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
    if (Commit && text != FEditOriginal) SetEditText(FEditCell.X, FEditCell.Y, text);
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
