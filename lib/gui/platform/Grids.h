// Grid base of the component library: a custom control with fixed rows and columns, column
// widths and row heights, selection, scrolling, keyboard and mouse navigation, cell drawing and
// in-place editing (a line editor and a drop-down list editor).
//
// Nothing here is proportional to the number of cells: sizes are a default plus the few cells
// that differ, positions come from prefix sums over those few, and painting visits only the
// cells that are on screen.
#pragma once

#include "Controls.h"
#include "Menus.h"

#include <QLineEdit>
#include <QStringList>
#include <map>
#include <vector>

class QScrollBar;
class QToolButton;
class QListWidget;
class QListWidgetItem;

enum TGridOption : std::uint16_t {
    goFixedVertLine = 1,
    goFixedHorzLine = 2,
    goVertLine = 4,
    goHorzLine = 8,
    goRangeSelect = 16,
    goDrawFocusSelected = 32,
    goRowSizing = 64,
    goColSizing = 128,
    goEditing = 256,
    goTabs = 512,
    goRowSelect = 1024,
    goAlwaysShowEditor = 2048,
    goThumbTracking = 4096
};
using TGridOptions = std::uint16_t;
constexpr TGridOptions DefaultGridOptions =
    goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goRangeSelect;

enum TGridDrawStateFlag : std::uint8_t { gdSelected = 1, gdFocused = 2, gdFixed = 4 };
using TGridDrawState = std::uint8_t;

enum TEditStyle : std::uint8_t { esSimple, esEllipsis, esPickList };

struct TGridCoord {
    int X = 0, Y = 0;
    friend bool operator==(const TGridCoord&, const TGridCoord&) = default;
};

struct TGridRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    bool Contains(int ACol, int ARow) const
    {
        return ACol >= Left && ACol <= Right && ARow >= Top && ARow <= Bottom;
    }
    friend bool operator==(const TGridRect&, const TGridRect&) = default;
};

using TKeyEvent = std::function<void(TObject* Sender, std::uint16_t& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TObject* Sender, QChar& Key)>;
using TMouseWheelUpDownEvent =
    std::function<void(TObject* Sender, TShiftState Shift, QPoint MousePos, bool& Handled)>;
using TGetEditEvent = std::function<void(TObject* Sender, int ACol, int ARow, QString& Value)>;
using TSetEditEvent =
    std::function<void(TObject* Sender, int ACol, int ARow, const QString& Value)>;

// Sizes of the cells along one axis, each followed by a grid line. Only sizes that differ from
// the default are stored; positions are answered from a prefix sum over them, rebuilt lazily
// after a change, so a query costs O(log k) for k customised cells.
class TGridAxis {
  public:
    int Count() const { return FCount; }
    // Drops the custom sizes of cells that no longer exist.
    void SetCount(int Value);
    int DefaultSize() const { return FDefault; }
    // Resets every cell to the new default, as the platform does.
    void SetDefaultSize(int Value);
    int LineWidth() const { return FLine; }
    void SetLineWidth(int Value);
    int Size(int Index) const;
    void SetSize(int Index, int Value);
    // Opens a default-sized cell at Index; cells from Index on keep their sizes one further on.
    void Insert(int Index);
    // Closes cell Index; the cells after it keep their sizes one place back.
    void Remove(int Index);
    // Offset of cell Index from cell 0: the sizes and lines of cells 0..Index-1.
    long long Start(int Index) const;
    // The cell whose extent (size plus line) holds Offset, measured from cell 0; Count() when
    // Offset lies beyond the last cell, -1 before the first.
    int IndexAt(long long Offset) const;
    std::size_t CustomCount() const { return FCustom.size(); }

  private:
    void Changed() { FDirty = true; }
    void Rebuild() const;

    int FCount = 0;
    int FDefault = 0;
    int FLine = 1;
    std::map<int, int> FCustom;
    mutable bool FDirty = false;
    mutable std::vector<int> FKeys;
    mutable std::vector<long long> FPrefix; // FPrefix[k]: extra size of the first k custom cells
};

class TCustomGrid;

// Line editor placed over the current cell.
class TInplaceEdit : public QLineEdit {
  public:
    explicit TInplaceEdit(TCustomGrid* Grid);
    TCustomGrid* Grid() const { return FGrid; }
    virtual void SetEditStyle(TEditStyle Value) { FEditStyle = Value; }
    TEditStyle EditStyle() const { return FEditStyle; }
    // Places the editor over the cell rectangle R (grid client coordinates).
    virtual void Place(const TRect& R);
    virtual void CloseUp(bool /*Accept*/) {}

  protected:
    void keyPressEvent(QKeyEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

  private:
    TCustomGrid* FGrid;
    TEditStyle FEditStyle = esSimple;
};

// Line editor with a drop-down list of values; the list is filled through OnGetPickListItems
// each time it opens, so the owner decides the items per cell.
class TInplaceEditList : public TInplaceEdit {
  public:
    explicit TInplaceEditList(TCustomGrid* Grid);
    ~TInplaceEditList() override;
    QStringList PickList;
    int DropDownRows() const { return FDropDownRows; }
    void SetDropDownRows(int Value) { FDropDownRows = Value < 1 ? 1 : Value; }
    std::function<void(int ACol, int ARow, QStringList& Items)> OnGetPickListItems;

    void SetEditStyle(TEditStyle Value) override;
    void Place(const TRect& R) override;
    void DropDown();
    void CloseUp(bool Accept) override;
    bool ListVisible() const;
    QListWidget* List() const { return FList; }

  protected:
    void keyPressEvent(QKeyEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

  private:
    QToolButton* FButton;
    QListWidget* FList;
    int FDropDownRows = 8;
};

class TCustomGrid : public TCustomControl {
  public:
    explicit TCustomGrid(QWidget* Parent = nullptr);
    ~TCustomGrid() override;

    int ColCount() const { return FCols.Count(); }
    void SetColCount(int Value);
    int RowCount() const { return FRows.Count(); }
    void SetRowCount(int Value);
    int FixedCols() const { return FFixedCols; }
    // Ignored unless 0 <= Value < ColCount.
    void SetFixedCols(int Value);
    int FixedRows() const { return FFixedRows; }
    void SetFixedRows(int Value);
    int DefaultColWidth() const { return FCols.DefaultSize(); }
    void SetDefaultColWidth(int Value);
    int DefaultRowHeight() const { return FRows.DefaultSize(); }
    void SetDefaultRowHeight(int Value);
    int ColWidths(int Index) const { return FCols.Size(Index); }
    void SetColWidths(int Index, int Value);
    int RowHeights(int Index) const { return FRows.Size(Index); }
    void SetRowHeights(int Index, int Value);
    int GridLineWidth() const { return FCols.LineWidth(); }
    TGridOptions Options() const { return FOptions; }
    void SetOptions(TGridOptions Value);
    TColor FixedColor() const { return FFixedColor; }
    void SetFixedColor(TColor Value);

    // The current cell, which is always inside the selection.
    int Col() const { return FCurrent.X; }
    void SetCol(int Value) { FocusCell(Value, FCurrent.Y, true); }
    int Row() const { return FCurrent.Y; }
    void SetRow(int Value) { FocusCell(FCurrent.X, Value, true); }
    TGridRect Selection() const;
    // Makes Value's top-left corner the current cell and the anchor of the range.
    void SetSelection(const TGridRect& Value);
    bool IsCellSelected(int ACol, int ARow) const { return Selection().Contains(ACol, ARow); }

    // First scrolling column and row on screen.
    int LeftCol() const { return FTopLeft.X; }
    void SetLeftCol(int Value) { MoveTopLeft(Value, FTopLeft.Y); }
    int TopRow() const { return FTopLeft.Y; }
    void SetTopRow(int Value) { MoveTopLeft(FTopLeft.X, Value); }
    // Scrolling columns and rows that are fully visible.
    int VisibleColCount() const;
    int VisibleRowCount() const;

    // Cell rectangle in client coordinates, without the grid lines; empty when off screen.
    TRect CellRect(int ACol, int ARow) const;
    // Cell under a client point; -1 for a coordinate outside the cells.
    TGridCoord MouseCoord(int X, int Y) const;
    void MouseToCell(int X, int Y, int& ACol, int& ARow) const;
    // Extent of the drawn cells inside the client area.
    int GridWidth() const;
    int GridHeight() const;
    // Client area without the scroll bars.
    int GridClientWidth() const;
    int GridClientHeight() const;

    bool EditorMode() const;
    void SetEditorMode(bool Value);
    TInplaceEdit* InplaceEditor() const { return FEditor; }
    void ShowEditor();
    // Hides the editor; with Commit its text goes to SetEditText, changed or not.
    void HideEditor(bool Commit = true);

    // Shown on a right click when assigned; the caller keeps ownership.
    TPopupMenu* PopupMenu() const { return FPopupMenu; }
    void SetPopupMenu(TPopupMenu* Value) { FPopupMenu = Value; }

    QScrollBar* VertScrollBar() const { return FVScroll; }
    QScrollBar* HorzScrollBar() const { return FHScroll; }

    TNotifyEvent OnTopLeftChanged;
    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;
    TKeyPressEvent OnKeyPress;
    TMouseWheelUpDownEvent OnMouseWheelDown;
    TMouseWheelUpDownEvent OnMouseWheelUp;

  protected:
    virtual void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState);
    virtual void TopLeftChanged() { FireEvent(OnTopLeftChanged, this); }
    // Whether the current cell may move to (ACol, ARow).
    virtual bool SelectCell(int /*ACol*/, int /*ARow*/) { return true; }
    virtual TInplaceEdit* CreateEditor() { return new TInplaceEdit(this); }
    virtual QString GetEditText(int /*ACol*/, int /*ARow*/) { return QString(); }
    virtual void SetEditText(int /*ACol*/, int /*ARow*/, const QString& /*Value*/) {}
    virtual TEditStyle GetEditStyle(int /*ACol*/, int /*ARow*/) { return esSimple; }
    virtual bool CanEditShow() const;
    // While the editor's text is being committed: whether it is still the text GetEditText
    // offered.
    bool EditTextUnchanged() const { return FEditUnchanged; }
    // Whether Tab moves the current cell instead of the keyboard focus.
    virtual bool WantTabs() const { return FOptions & goTabs; }
    virtual bool DoMouseWheelDown(TShiftState Shift, QPoint MousePos);
    virtual bool DoMouseWheelUp(TShiftState Shift, QPoint MousePos);

    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void DblClick() override { FireEvent(OnDblClick, this); }
    bool DoMouseWheel(TShiftState Shift, int WheelDelta, QPoint MousePos) override;
    void KeyDown(std::uint16_t& Key, TShiftState Shift) override;
    void KeyUp(std::uint16_t& Key, TShiftState Shift) override;
    void KeyPress(QChar& Key) override;
    void Resize() override;
    // Printable keys start the editor when editing is allowed and never reach KeyPress; every
    // other character goes to KeyPress.
    void keyPressEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    // Opens the editor with Key typed over its text (a backspace leaves it empty).
    void ShowEditorChar(QChar Key);

    // Moves the current cell; without MoveAnchor the range grows from the anchor instead.
    void FocusCell(int ACol, int ARow, bool MoveAnchor);
    void MoveTopLeft(int ALeft, int ATop);
    // Scrolls so that the current cell is fully visible.
    void ClampInView();
    int MaxTopRow() const;
    int MaxLeftCol() const;
    void UpdateScrollBars();
    // Open a default-sized column (row) at Index, or close one, keeping every other column's
    // width (row's height) and the current cell with the cell it stood on.
    void OpenColumn(int Index);
    void CloseColumn(int Index);
    void OpenRow(int Index);
    void CloseRow(int Index);
    // Brings the scroll bars up to date after size changes that were only recorded.
    void EnsureLayout()
    {
        if (FLayoutDirty) UpdateScrollBars();
    }

    friend class TInplaceEdit;
    friend class TInplaceEditList;

  private:
    // Dragging the edge of a column (row) in the fixed rows (columns) changes its size.
    struct TSizingDrag {
        bool Columns = false;
        int Index = -1; // -1: no drag under way
        int Start = 0;  // the cell's first pixel
    };
    // The column or row whose far edge lies within a few pixels of (X, Y), where sizing is on.
    TSizingDrag SizingHit(int X, int Y) const;
    void InvalidateGrid();
    void PlaceEditor();
    void PaintLines(const TRect& R, bool Fixed, TColor Back);
    int FixedExtentX() const { return int(FCols.Start(FFixedCols)); }
    int FixedExtentY() const { return int(FRows.Start(FFixedRows)); }
    // Position of a column/row on screen, or INT_MIN when it is scrolled away.
    int ColumnX(int ACol) const;
    int RowY(int ARow) const;
    void ClampPositions();
    // Grows or shrinks the scroll bars' visibility to the content; returns true on a change.
    bool LayoutScrollBars();

    TGridAxis FCols, FRows;
    int FFixedCols = 1, FFixedRows = 1;
    TGridOptions FOptions = DefaultGridOptions;
    TColor FFixedColor = clBtnFace;
    TGridCoord FCurrent{1, 1};
    TGridCoord FAnchor{1, 1};
    TGridCoord FTopLeft{1, 1};
    bool FSelecting = false;
    int FWheelRest = 0;
    TInplaceEdit* FEditor = nullptr;
    bool FEditorShown = false;
    bool FHidingEditor = false;
    bool FEditUnchanged = false;
    TGridCoord FEditCell{-1, -1};
    QString FEditOriginal;
    QScrollBar* FVScroll;
    QScrollBar* FHScroll;
    bool FUpdatingScroll = false;
    bool FLayoutDirty = true;
    bool FShowV = false, FShowH = false;
    TPopupMenu* FPopupMenu = nullptr;
    TSizingDrag FSizing;
};
