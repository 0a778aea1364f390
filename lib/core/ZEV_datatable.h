// The data table document: numeric cells with column and row names, attributes, levels of
// measurement, value labels and cell states, and the reader of ASC data files.
#pragma once

#include "Memory.h"
#include "ZEV_asc_number.h"
#include "ZEV_datatable_sparse.h"
#include "ZEV_zevbase.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

class TMatrix;

class EZEVDataTableError : public EZEVError {
  public:
    using EZEVError::EZEVError;
};

// Level of measurement of a column; nominal and ordinal columns are category columns.
enum TMeasLevel : std::uint8_t { mlUnknown, mlNominal, mlOrdinal, mlInterval, mlRatio };

// Display name of a level ("Unknown", "Nominal", ...); empty for a value outside the enumeration.
QString MeasLevelName(TMeasLevel Level);

// A column or row name: at most DTNameLength characters.
using TDTNameStr = QString;
constexpr int DTNameLength = 50;
// Value labels exist for the values 0..DTMaxLabelValue, each at most DTLabelLength characters.
constexpr int DTMaxLabelValue = 150;
constexpr int DTLabelLength = 10;

// Bits of a cell state byte.
enum : std::uint8_t {
    dtcsNotANumber = 1,
    dtcsEmpty = 2,
    dtcsLocked = 16,
    dtcsParenthesis = 32,
    dtcsMarkA = 64,
    dtcsMarkB = 128,
};

// Result codes of TDataTable::ReadASCFile.
enum : int {
    ascOK = 0,
    ascBadColumnCount = -1,
    ascBadRowCount = -2,
    ascBadSwitch = -3,
    ascLineFeedEnding = -4,
    ascBadClassNumber = -5,
    ascBadCell = -6,
    ascFileNotFound = -8,
};

using TDataTableResizeEvent =
    std::function<void(TObject* Sender, int OldColumns, int OldRows, int NewColumns, int NewRows)>;

class TDataTable : public TComponent {
  public:
    explicit TDataTable(TComponent* AOwner = nullptr);
    ~TDataTable() override;
    TDataTable(const TDataTable&) = delete;
    TDataTable& operator=(const TDataTable&) = delete;

    const QString& Comment() const { return FComment; }
    // Characters below code 32 are dropped; fires OnChangeSetup.
    void SetComment(const QString& Value);

    int NrOfColumns() const { return FNrOfColumns; }
    int NrOfRows() const { return FNrOfRows; }
    // Size changes fire OnResize once and nothing else; counts below 1 are ignored.
    void SetNrOfColumns(int Value);
    void SetNrOfRows(int Value);
    void Resize(int NrOfColumns, int NrOfRows);

    // The cell values, element (column, row). The object stays the same for the table's life.
    TMatrix* DataMat() const { return FDataMat; }

    bool SortHeaders() const { return FSortHeaders; }
    void SetSortHeaders(bool Value) { FSortHeaders = Value; }

    // All indices are 1-based; reads outside give 0 or "", writes outside do nothing.
    // In a category column the value reads rounded to the nearest integer (ties to even).
    double Elem(int Col, int Row) const;
    void SetElem(int Col, int Row, double Value);
    std::uint8_t CellState(int Col, int Row) const;
    // The state bytes of column Col, NrOfRows of them, for reading a block without a call per
    // cell; nullptr outside the table. Valid until the size changes.
    const std::uint8_t* CellStateColumn(int Col) const
    {
        return ColOk(Col) ? FCellStates.data() + CellIndex(Col, 1) : nullptr;
    }
    // Fires OnChangeCellState only when the byte changes.
    void SetCellState(int Col, int Row, std::uint8_t Value);
    bool IsNumber(int Col, int Row) const;
    // Clears the mark bits of every cell; fires OnChangeCellState once.
    void ClearMarks();

    TDTNameStr ColName(int Col) const;
    TDTNameStr RowName(int Row) const;
    // Whether Row has a name of its own, not the default "R-n".
    bool HasOwnRowName(int Row) const
    {
        return RowOk(Row) && !FRowNames[std::size_t(Row - 1)].isNull();
    }
    // Keep the first DTNameLength characters; fire OnChangeNames.
    void SetColName(int Col, const TDTNameStr& Value);
    void SetRowName(int Row, const TDTNameStr& Value);

    int ColAttrib(int Col) const;
    int RowAttrib(int Row) const;
    // Fire OnChangeAttrib, also when the value does not change.
    void SetColAttrib(int Col, int Value);
    void SetRowAttrib(int Row, int Value);

    TMeasLevel MeasLevel(int Col) const;
    // Fires OnChangeSetup; a value outside the enumeration is ignored.
    void SetMeasLevel(int Col, TMeasLevel Value);
    bool IsCategory(int Col) const;
    // Empty unless the column is a category column.
    QString ValueLabel(int Col, int Value) const;
    // Keeps the first DTLabelLength characters; a non-empty label is stored in category columns
    // only. Fires OnChangeSetup whenever Col and Value are in range.
    void SetValueLabel(int Col, int Value, const QString& Label);
    // The first value whose label equals Label (cut to DTLabelLength), or -1.
    int FindValueLabel(int Col, const QString& Label, bool IgnoreCase) const;

    // Structural edits; see the source for which events they fire and which they hold back.
    void InsertRow(int Row);
    void DeleteRow(int Row);
    void InsertColumn(int Col);
    void DeleteColumn(int Col);

    // Reads an ASC data file. Returns ascOK or one of the negative codes; raises EInOutError when
    // the file cannot be read, EConvertError for a malformed level line and EZEVDataTableError
    // when the table the header asks for does not fit in memory (the table is then unchanged).
    // CustomData receives two rows: the keys and the values of the custom data section.
    int ReadASCFile(const QString& FileName, TStr2DArray& CustomData);
    int LoadFromASCFile(const QString& FileName);
    // The code whose meaning explains Code, the result of the last read: a file with LF line
    // ends reads as a bad column count (line 2 is never found), and is explained as
    // ascLineFeedEnding instead.
    int ExplainAscCode(int Code) const;

    // From another TDataTable: everything, including the event handlers; fires nothing.
    void Assign(TPersistent* Source) override;

    TNotifyEvent OnChange;
    TNotifyEvent OnChangeSetup;
    TNotifyEvent OnChangeNames;
    TNotifyEvent OnChangeAttrib;
    TNotifyEvent OnChangeCellState;
    TOnPercentDoneEvent OnPercentDone;
    TDataTableResizeEvent OnResize;
    TSortExchgEvent OnSortExchange;
    TExportTextEvent OnExportText;

  private:
    struct TColSetup {
        TMeasLevel Level = mlInterval;
        // Empty until a label is stored, then DTMaxLabelValue + 1 entries.
        std::vector<QString> Labels;
    };
    // Explicit names; a null entry stands for the default name "C-n" / "R-n", so a large table
    // does not carry one string allocation per row.
    using TNameList = TSparseList<QString>;

    friend class TAscReader;
    friend struct TMatrixNotifyGuard;

    bool ColOk(int Col) const { return Col >= 1 && Col <= FNrOfColumns; }
    bool RowOk(int Row) const { return Row >= 1 && Row <= FNrOfRows; }
    std::size_t CellIndex(int Col, int Row) const
    {
        return std::size_t(Col - 1) * std::size_t(FNrOfRows) + std::size_t(Row - 1);
    }
    void AttachMatrix();
    void DetachMatrix();
    void MatrixSortExchange(std::uint8_t ExchgWhat, int index1, int index2, int first, int last);
    // Changes the size without any event; the table is unchanged when it throws, which a size
    // that grows in neither direction never does.
    void ResizeSilently(int NewColumns, int NewRows);
    // A cut to a size not larger in either direction; of the last row kept only the first
    // FilledInLastRow cells hold anything (see TMatrix::Shrink).
    void ShrinkSilently(int NewColumns, int NewRows, int FilledInLastRow);
    void GrowSilently(int NewColumns, int NewRows);
    void ResizeHeadings(int NewColumns, int NewRows);
    void MoveRow(int From, int To);
    void MoveColumn(int From, int To);
    void ClearRow(int Row);
    void ClearColumn(int Col);
    [[noreturn]] void ThrowNoMemory(int Columns, int Rows) const;

    QString FComment;
    int FNrOfColumns = 1;
    int FNrOfRows = 1;
    TMatrix* FDataMat = nullptr;
    bool FSortHeaders = false;
    bool FAscLineFeeds = false; // line 1 of the last file read held a line feed
    TNameList FColNames;
    TNameList FRowNames;
    TSparseList<int> FColAttribs;
    TSparseList<int> FRowAttribs;
    TSparseList<TColSetup> FColSetups;
    // Column-major, NrOfColumns * NrOfRows bytes; states never written cost no memory.
    TZeroedVector<std::uint8_t> FCellStates;
};
