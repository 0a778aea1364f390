// Grid base: cell sizes, geometry, scrolling and painting.
#include "Grids.h"

#include <QScrollBar>
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
    const int endX = visible(FCols, FFixedCols, FTopLeft.X, GridClientWidth(), cols);
    const int endY = visible(FRows, FFixedRows, FTopLeft.Y, GridClientHeight(), rows);

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
    if (FShowV && FShowH) {
        // The square between the two scroll bars belongs to neither the cells nor a bar.
        c->Brush()->SetColor(clBtnFace);
        c->FillRect(Rect(GridClientWidth(), GridClientHeight(), width, height));
    }
}
