// The table editor: a grid that shows one data table with its row and column names, the row and
// column attributes, formatted numbers, value labels, marks and the empty-table message. The
// editor keeps no cell values of its own; every cell is read from the table when it is drawn.
#pragma once

#include "Grids.h"
#include "Menus.h"
#include "ZEV_datatable.h"
#include "ZEV_valgrid_scan.h"
#include "ZEV_zevbase.h"

#include <QStringList>
#include <memory>
#include <vector>

class QLineEdit;
class QPlainTextEdit;

class EZEVValgridError : public EZEVError {
  public:
    using EZEVError::EZEVError;
};

using TBeforeRenderCellEvent =
    std::function<void(TObject* Sender, int colix, int rowix, QString& Text, TColor& ColorText,
                       TColor& ColorBakg, TFontStyles& FontStyles)>;
using TBeforePopupEvent = std::function<void(TObject* Sender, TPopupMenu* PMenu)>;

// The text form of floats in the editor. Decimals >= 0: fixed notation right-aligned in Width
// characters. Decimals -1: exponential with min(18, max(2, Width - 8)) significant digits and a
// four-digit exponent, right-aligned in Width. Decimals -2: the -1 form for Width + 2 with the
// exponent cut to two digits, or all "*" when it needs more.
QString FloatToField(int Width, int Decimals, double Value);
// A data cell's number: fixed notation with Precision decimals while at most nine significant
// digits show, exponential otherwise.
QString FormatCellNumber(int Width, int Precision, double Value);
// A whole number in decimal, without a sign on zero.
QString WholeNumberText(double Value);
// Top-left origins of the lines of the empty-table message: centred, lifted by 2 pixels.
std::vector<TPoint> EmptyMessageOrigins(int Width, int Height, int LineHeight,
                                        const std::vector<int>& LineWidths);

// What one grid cell shows, computed apart from any drawing.
struct TValgridCellLook {
    bool Draws = true; // false: only the background
    QString Text;
    TColor FontColor = clBlack;
    TColor BrushColor = clWindow;
    TFontStyles Style = 0;
    int Inset = 0;      // the cell shrinks by this on each side before anything is drawn
    int RightCut = 0;   // the text is clipped this much further from the right edge
    int DX = 2, DY = 1; // text origin within the (shrunk) cell
};

class TValgrid : public TCustomGrid {
  public:
    static constexpr int AttribColumnWidth = 32;
    static constexpr int HeadingColumnWidth = 80;
    static constexpr int MaxNumWidth = 20;

    explicit TValgrid(QWidget* Parent = nullptr);
    ~TValgrid() override;

    TDataTable* DataTable() const { return FTable.get(); }
    TDataTable* CopyBuffer() const { return FCopyBuffer.get(); }

    bool SuppressPaint() const { return FSuppressPaint; }
    // Turning it off repaints at once.
    void SetSuppressPaint(bool Value);

    // Data access with 1-based data indices; reads outside the table give 0 or "".
    double Elem(int Col, int Row) const { return FTable->Elem(Col, Row); }
    std::uint8_t CellState(int Col, int Row) const { return FTable->CellState(Col, Row); }
    QString ColName(int Col) const { return FTable->ColName(Col); }
    QString RowName(int Row) const { return FTable->RowName(Row); }
    void SetColName(int Col, const QString& Value);
    void SetRowName(int Row, const QString& Value);
    int ColAttrib(int Col) const { return FTable->ColAttrib(Col); }
    int RowAttrib(int Row) const { return FTable->RowAttrib(Row); }
    void SetColAttrib(int Col, std::uint8_t Value);
    void SetRowAttrib(int Row, std::uint8_t Value);
    int Precision(int Col) const;
    // Negative values become -1 (exponential), values above 10 become 10.
    void SetPrecision(int Col, int Value);

    // Index >= 1: data column (row); 0: the heading column (row); negative: the attribute
    // column (row), read as 0 and not written while it is hidden.
    int ColWidth(int Index) const;
    void SetColWidth(int Index, int Value);
    int RowHeight(int Index) const;
    void SetRowHeight(int Index, int Value);
    // Sizes row Index to the font's text height plus Extra plus 2 (at least 8); returns it.
    int FitRowHeight(int Index, int Extra);

    int NrOfColumns() const { return FTable->NrOfColumns(); }
    void SetNrOfColumns(int Value);
    int NrOfRows() const { return FTable->NrOfRows(); }
    void SetNrOfRows(int Value);

    // First visible data column and row (data indices).
    int LeftCol() const { return TCustomGrid::LeftCol() - FA; }
    void SetLeftCol(int Value);
    int TopRow() const { return TCustomGrid::TopRow() - FB; }
    void SetTopRow(int Value);

    bool AttribRowVisible() const { return FA == 1; }
    void SetAttribRowVisible(bool Value);
    bool AttribColVisible() const { return FB == 1; }
    void SetAttribColVisible(bool Value);

    // Resets every column to Value, then the heading and attribute columns to their widths.
    void SetDefaultColWidth(int Value);

    const QString& Comment() const { return FTable->Comment(); }
    void SetComment(const QString& Value);
    const QString& EmptyMessage() const { return FEmptyMessage; }
    void SetEmptyMessage(const QString& Value);

    TColor ColorBackground() const { return Color(); }
    void SetColorBackground(TColor Value) { SetColor(Value); }
    TColor ColorFixed() const { return FixedColor(); }
    void SetColorFixed(TColor Value) { SetFixedColor(Value); }
    TColor ColorEmptyMsg() const { return FColorEmptyMsg; }
    void SetColorEmptyMsg(TColor Value);
    TColor ColorNormal() const { return FColorNormal; }
    void SetColorNormal(TColor Value) { SetLayoutColor(FColorNormal, Value); }
    TColor ColorSelected() const { return FColorSelected; }
    void SetColorSelected(TColor Value) { SetLayoutColor(FColorSelected, Value); }
    TColor ColorMarkedA() const { return FColorMarkedA; }
    void SetColorMarkedA(TColor Value) { SetLayoutColor(FColorMarkedA, Value); }
    TColor ColorMarkedB() const { return FColorMarkedB; }
    void SetColorMarkedB(TColor Value) { SetLayoutColor(FColorMarkedB, Value); }
    TColor ColorMarkedBoth() const { return FColorMarkedBoth; }
    void SetColorMarkedBoth(TColor Value) { SetLayoutColor(FColorMarkedBoth, Value); }
    TColor ColorRangeSelFG() const { return FColorRangeSelFG; }
    void SetColorRangeSelFG(TColor Value) { SetLayoutColor(FColorRangeSelFG, Value); }
    TColor ColorRangeSelBG() const { return FColorRangeSelBG; }
    void SetColorRangeSelBG(TColor Value) { SetLayoutColor(FColorRangeSelBG, Value); }

    int NumWidth() const { return FNumWidth; }
    // Values outside 1..20 are ignored; OnLayoutChanged fires either way.
    void SetNumWidth(int Value);
    bool BoldMarks() const { return FBoldMarks; }
    void SetBoldMarks(bool Value);
    bool BoldSelHeads() const { return FBoldSelHeads; }
    void SetBoldSelHeads(bool Value);
    bool ShowCellCursor() const { return FShowCellCursor; }
    void SetShowCellCursor(bool Value);
    bool OptimizeRowHeight() const { return FOptimizeRowHeight; }
    void SetOptimizeRowHeight(bool Value);

    bool AutoAdvance() const { return FAutoAdvance; }
    void SetAutoAdvance(bool Value) { FAutoAdvance = Value; }
    TOrientation AutoAdvanceDir() const { return FAutoAdvanceDir; }
    void SetAutoAdvanceDir(TOrientation Value) { FAutoAdvanceDir = Value; }
    bool BlockInternalPopup() const { return FBlockInternalPopup; }
    void SetBlockInternalPopup(bool Value) { FBlockInternalPopup = Value; }
    bool CommentEditingAllowed() const { return FCommentEditingAllowed; }
    void SetCommentEditingAllowed(bool Value) { FCommentEditingAllowed = Value; }
    bool ClipboardUseFullPrec() const { return FClipboardUseFullPrec; }
    void SetClipboardUseFullPrec(bool Value) { FClipboardUseFullPrec = Value; }
    bool DataReadOnly() const { return FDataReadOnly; }
    // True hides the cell editor and switches editing off; False switches it on.
    void SetDataReadOnly(bool Value);
    int NomEditDropDownCount() const { return FNomEditDropDownCount; }
    void SetNomEditDropDownCount(int Value);
    double VRangeLow() const { return FVRangeLow; }
    void SetVRangeLow(double Value) { FVRangeLow = Value; }
    double VRangeHigh() const { return FVRangeHigh; }
    void SetVRangeHigh(double Value) { FVRangeHigh = Value; }

    // What grid cell (ACol, ARow) shows with the current table, selection and settings; for a
    // data cell this includes what OnBeforeRenderCell made of it.
    TValgridCellLook CellLook(int ACol, int ARow);
    // The text a data cell shows before OnBeforeRenderCell (1-based data indices).
    QString CellText(int Col, int Row) const;
    // Draws the current cell's position into the corner cell without a full paint.
    void DrawCellCursor();

    TPopupMenu* DataPopup() const { return FDataPopup.get(); }
    TPopupMenu* HeadingPopup() const { return FHeadingPopup.get(); }
    const QStringList& PickList() const { return FPickList; }
    QLineEdit* HeadingEdit() const { return FHeadingEdit; }
    QPlainTextEdit* CommentMemo() const { return FCommentMemo; }
    bool HeadingEditing() const { return FHeadingEditing; }
    bool CommentEditing() const { return FCommentEditing; }

    // Clipboard exchange. Copy puts the selected block into the copy buffer and its text on the
    // clipboard; Paste writes the copy buffer at the selection; Extract writes the numbers found
    // in the clipboard's text as a block from the selection's top-left cell.
    void CopyToClipboard();
    void PasteFromBuffer();
    void ExtractFromClipboard();
    bool CopyBufferFilled() const { return FCopyBufferFilled; }
    // The clipboard text of the data cells Left..Right x Top..Bottom (1-based data indices)
    // that lie in the table.
    QString ClipboardText(int Left, int Top, int Right, int Bottom) const;

    // Commands of the data popup.
    enum TMarkScope : std::uint8_t { msRange, msColumn, msRow, msAll };
    // Sets (or clears) state bit Bit on the cells of Scope.
    void ChangeMarks(TMarkScope Scope, std::uint8_t Bit, bool Set);
    void UnmarkAll();
    void ClearSelectedCells(TObject* Sender = nullptr);
    void SelectAllCells();
    void ToggleEmptyStates();
    void ResetAllEmptyStates();
    void ToggleDataReadOnly();

    // The heading or attribute cell the heading commands act on (grid coordinates): the cell
    // of the last mouse press or release.
    TGridCoord HeadingCell() const { return FHeadingCell; }
    void SetHeadingCell(TGridCoord Value) { FHeadingCell = Value; }
    // Commands of the heading popup.
    void EditHeading();
    void ChangePrecisionAtHeading();
    void SelectHeadingLine();
    void InsertAtHeading();
    void DeleteAtHeading();
    // Opens the comment editor over the top of the table.
    void OpenCommentMemo();

    TNotifyEvent OnChange;
    TNotifyEvent OnChangeSetup;
    TNotifyEvent OnHeadingChanged;
    TNotifyEvent OnAttributeChanged;
    TNotifyEvent OnCellStateChanged;
    TNotifyEvent OnEmptyStChanged;
    TNotifyEvent OnLayoutChanged;
    TNotifyEvent OnSelectionChanged;
    TNotifyEvent OnClear;
    TNotifyEvent OnPaste;
    TOnPercentDoneEvent OnPercentDone;
    TBeforePopupEvent OnBeforePopup;
    TBeforeRenderCellEvent OnBeforeRenderCell;
    TGetEditEvent OnGetEditText;
    TSetEditEvent OnSetEditText;

  protected:
    void Paint() override;
    void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) override;
    TInplaceEdit* CreateEditor() override;
    TEditStyle GetEditStyle(int ACol, int ARow) override;
    QString GetEditText(int ACol, int ARow) override;
    void SetEditText(int ACol, int ARow, const QString& Value) override;
    bool WantTabs() const override { return true; }
    // Locked cells and read-only data never open the cell editor, whatever the editing option.
    bool CanEditShow() const override;
    void KeyPress(QChar& Key) override;
    void KeyDown(std::uint16_t& Key, TShiftState Shift) override;
    bool DoMouseWheelDown(TShiftState Shift, QPoint MousePos) override;
    bool DoMouseWheelUp(TShiftState Shift, QPoint MousePos) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void TopLeftChanged() override;
    // Enter and Escape in the heading edit box and the comment memo.
    bool eventFilter(QObject* Watched, QEvent* Event) override;

    // Fires a change event unless painting is suppressed or a bulk operation runs.
    void FireGated(const TNotifyEvent& Event);
    // Holds the busy flag for a scope, also when it is left by an exception.
    struct TBusyScope {
        explicit TBusyScope(TValgrid& G) : Grid(G), Old(G.FBusy) { G.FBusy = true; }
        ~TBusyScope() { Grid.FBusy = Old; }
        TValgrid& Grid;
        bool Old;
    };
    void HookTable();
    bool Busy() const { return FBusy; }

    bool FHeadingEditing = false;
    bool FCommentEditing = false;
    TGridRect FLastSel{-1, -1, -1, -1};

  private:
    // Holds back the table's value and cell-state notifications for a bulk change, which is
    // announced once afterwards.
    struct TQuietTable {
        explicit TQuietTable(TDataTable& T);
        ~TQuietTable();
        TDataTable& Table;
        TNotifyEvent Change, CellState;
    };
    void BuildPopups();
    void PrepareDataPopup();
    void PrepareHeadingPopup();
    void PopupAt(TPopupMenu& Menu, int X, int Y);
    // Outlines the heading cell with an inverting pen; a second call restores it.
    void InvertHeadingOutline();
    void SetEditing(bool On);
    bool CellLocked(int ACol, int ARow) const;
    // The selection as 1-based data indices.
    TGridRect DataSelection() const;
    // Selects Columns x Rows data cells from grid cell (Left, Top), limited to the grid.
    void SelectBlock(int Left, int Top, int Columns, int Rows);
    void ReportSelection();
    // Shows and reports where a wheel step moved the current cell; passes Handled on.
    bool AfterWheelStep(bool Handled);
    // The text of a block of data cells inside the table; Meanwhile runs while a second thread
    // already writes part of a large block.
    QString BlockText(TGridRect Block, const std::function<void()>& Meanwhile) const;
    void FillCopyBuffer(const TGridRect& Block);
    double ClampEntered(double Value) const
    {
        return ClampToValueRange(Value, FVRangeLow, FVRangeHigh);
    }
    // Offered: the text is the one the cell editor offered, unchanged.
    void StoreCategoryText(int Col, int Row, const QString& Value, bool Offered);
    void StoreNumberText(int Col, int Row, const QString& Value, bool Offered);
    // A number was entered: the cell shows it again (marks and the lock stay).
    void ShowNumber(int Col, int Row);
    void CloseHeadingEdit(bool Store);
    void StoreHeadingText(const QString& Text);
    void CloseCommentMemo(bool Store);
    // Applies Change to the state byte of every data cell in the rectangle (data indices).
    void ChangeStates(const TGridRect& Cells,
                      const std::function<std::uint8_t(std::uint8_t)>& Change);
    void SetLayoutColor(TColor& Field, TColor Value);
    void TableResized(int OldColumns, int OldRows, int NewColumns, int NewRows);
    // Sizes the precision array to the table, new entries taking Fill.
    void ResizePrecision(int Fill);
    void PaintEmptyMessage();
    TValgridCellLook DataCellLook(int ACol, int ARow, bool Selected);
    TValgridCellLook FixedCellLook(int ACol, int ARow);
    // Grid column (row) of an editor index as ColWidth/RowHeight read it; -1 when there is none.
    int GridColOf(int Index) const;
    int GridRowOf(int Index) const;

    std::unique_ptr<TDataTable> FCopyBuffer;
    std::unique_ptr<TDataTable> FTable;
    std::unique_ptr<TPopupMenu> FDataPopup;
    std::unique_ptr<TPopupMenu> FHeadingPopup;
    QLineEdit* FHeadingEdit = nullptr;
    QPlainTextEdit* FCommentMemo = nullptr;
    QStringList FPickList;
    std::vector<std::int8_t> FPrecision;

    int FA = 1; // attribute column shown
    int FB = 0; // attribute row shown
    bool FSuppressPaint = false;
    bool FBusy = true;
    QString FEmptyMessage;
    TColor FColorEmptyMsg = clBlack;
    TColor FColorNormal = 8192;
    TColor FColorSelected = 4210752;
    TColor FColorMarkedA = clRed;
    TColor FColorMarkedB = clBlue;
    TColor FColorMarkedBoth = 13369531;
    TColor FColorRangeSelFG = 8410412;
    TColor FColorRangeSelBG = 16312544;
    int FNumWidth = 1;
    bool FBoldMarks = true;
    bool FBoldSelHeads = true;
    bool FShowCellCursor = true;
    bool FOptimizeRowHeight = false;
    bool FAutoAdvance = true;
    TOrientation FAutoAdvanceDir = orVert;
    bool FBlockInternalPopup = false;
    bool FCommentEditingAllowed = true;
    bool FClipboardUseFullPrec = true;
    bool FDataReadOnly = false;
    int FNomEditDropDownCount = 8;
    bool FCopyBufferFilled = false;
    TGridCoord FHeadingCell{0, 0};
    TPoint FPrevPress{0, 0};
    double FVRangeLow = 0;
    double FVRangeHigh = 0;
};
