#include "ZEV_datatable.h"

#include "Memory.h"
#include "ZEV_matrix.h"
#include "ZEV_stringl.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>
#include <utility>

namespace {

const char* const kMeasLevelNames[] = {"Unknown", "Nominal", "Ordinal", "Interval", "Ratio"};

// An explicit empty name must not read as the default name, which a null string stands for.
QString ExplicitName(const QString& Value, int MaxLength)
{
    QString s = LeftOnCharBoundary(Value, MaxLength);
    if (s.isNull()) s = QString::fromLatin1("", 0);
    return s;
}

// Bytes a table of the given size holds, beyond fixed overhead; nothing when it overflows.
std::optional<std::uint64_t> TableBytes(int Columns, int Rows)
{
    // Per cell: a double and a state byte. Per row: a name and an attribute. Per column: a name,
    // an attribute and a setup.
    constexpr std::uint64_t perCell = sizeof(double) + 1;
    constexpr std::uint64_t perRow = sizeof(QString) + sizeof(int);
    constexpr std::uint64_t perCol = sizeof(QString) + sizeof(int) + 32;
    const auto cells = CheckedByteCount(std::uint64_t(Columns), std::uint64_t(Rows), perCell);
    if (!cells) return std::nullopt;
    return *cells + perRow * std::uint64_t(Rows) + perCol * std::uint64_t(Columns);
}

} // namespace

QString MeasLevelName(TMeasLevel Level)
{
    return Level <= mlRatio ? QString::fromLatin1(kMeasLevelNames[Level]) : QString();
}

// Keeps the matrix's change notification away from the table while the table rebuilds itself;
// re-attaches on every exit, exceptions included.
struct TMatrixNotifyGuard {
    explicit TMatrixNotifyGuard(TDataTable& T) : Table(T) { Table.DetachMatrix(); }
    ~TMatrixNotifyGuard() { Table.AttachMatrix(); }
    TDataTable& Table;
};

namespace {

// Holds a handler back for the lifetime of the guard.
template <typename Event> struct THeldEvent {
    explicit THeldEvent(Event& E) : Slot(E), Saved(std::move(E)) { Slot = nullptr; }
    ~THeldEvent() { Slot = std::move(Saved); }
    Event& Slot;
    Event Saved;
};

} // namespace

TDataTable::TDataTable(TComponent* AOwner) : TComponent(AOwner)
{
    try {
        FDataMat = new TMatrix(nullptr);
        FColNames.resize(1);
        FRowNames.resize(1);
        FColAttribs.resize(1);
        FRowAttribs.resize(1);
        FColSetups.resize(1);
        FCellStates.assign(1, 0);
    } catch (const std::exception&) {
        delete FDataMat;
        throw EZEVDataTableError(
            QStringLiteral("Component \"%1\": failed to initialize (out of memory)").arg(Name()));
    }
    AttachMatrix();
}

TDataTable::~TDataTable()
{
    delete FDataMat;
}

void TDataTable::AttachMatrix()
{
    FDataMat->OnChange = [this](TObject*) { FireEvent(OnChange, this); };
    FDataMat->OnSortExchange = [this](TObject*, std::uint8_t ExchgWhat, int index1, int index2,
                                      int first, int last) {
        MatrixSortExchange(ExchgWhat, index1, index2, first, last);
    };
}

void TDataTable::DetachMatrix()
{
    FDataMat->OnChange = nullptr;
}

// Says how large a table was asked for: with no name, the message alone would not tell which.
void TDataTable::ThrowNoMemory(int Columns, int Rows) const
{
    const auto bytes = TableBytes(Columns, Rows);
    const QString size =
        bytes ? QStringLiteral(", %1 MB").arg((*bytes + (1 << 20) - 1) >> 20) : QString();
    throw EZEVDataTableError(
        NotEnoughMemoryMessage(Name()) +
        QStringLiteral(" (a table of %1 columns and %2 rows%3)").arg(Columns).arg(Rows).arg(size));
}

void TDataTable::SetComment(const QString& Value)
{
    QString s;
    s.reserve(Value.size());
    for (QChar ch : Value)
        if (ch.unicode() >= 32) s.append(ch);
    FComment = s;
    FireEvent(OnChangeSetup, this);
}

// ---- size ------------------------------------------------------------------------------------

void TDataTable::ResizeSilently(int NewColumns, int NewRows)
{
    if (NewColumns <= FNrOfColumns && NewRows <= FNrOfRows) {
        ShrinkSilently(NewColumns, NewRows, NewColumns);
        return;
    }
    GrowSilently(NewColumns, NewRows);
    ResizeHeadings(NewColumns, NewRows);
}

// A cut works in place: it must not fail for memory however much of it the table holds.
void TDataTable::ShrinkSilently(int NewColumns, int NewRows, int FilledInLastRow)
{
    FDataMat->Shrink(NewColumns, NewRows, FilledInLastRow);
    ShrinkColumnsInPlace(FCellStates, std::size_t(FNrOfRows), std::size_t(NewColumns),
                         std::size_t(NewRows), std::size_t(FilledInLastRow));
    ResizeHeadings(NewColumns, NewRows);
}

void TDataTable::ResizeHeadings(int NewColumns, int NewRows)
{
    FColNames.resize(std::size_t(NewColumns));
    FColAttribs.resize(std::size_t(NewColumns));
    FColSetups.resize(std::size_t(NewColumns));
    FRowNames.resize(std::size_t(NewRows));
    FRowAttribs.resize(std::size_t(NewRows));
    FNrOfColumns = NewColumns;
    FNrOfRows = NewRows;
}

void TDataTable::GrowSilently(int NewColumns, int NewRows)
{
    const auto bytes = TableBytes(NewColumns, NewRows);
    if (!bytes || !CanAllocateBytes(*bytes)) ThrowNoMemory(NewColumns, NewRows);
    try {
        TZeroedVector<std::uint8_t> states(std::size_t(NewColumns) * std::size_t(NewRows));
        const int keepCols = std::min(FNrOfColumns, NewColumns);
        const int keepRows = std::min(FNrOfRows, NewRows);
        for (int c = 0; c < keepCols; ++c)
            std::copy_n(FCellStates.begin() + std::ptrdiff_t(c) * FNrOfRows, keepRows,
                        states.begin() + std::ptrdiff_t(c) * NewRows);
        FDataMat->Resize(NewColumns, NewRows);
        FCellStates.swap(states);
    } catch (const std::bad_alloc&) {
        ThrowNoMemory(NewColumns, NewRows);
    } catch (const EZEVMatrixError&) {
        ThrowNoMemory(NewColumns, NewRows);
    }
}

void TDataTable::Resize(int NewColumns, int NewRows)
{
    // A count below 1 would leave the arrays and the matrix (which refuses it) out of step.
    if (NewColumns < 1 || NewRows < 1) return;
    if (NewColumns == FNrOfColumns && NewRows == FNrOfRows) return;
    const int oldColumns = FNrOfColumns;
    const int oldRows = FNrOfRows;
    {
        TMatrixNotifyGuard guard(*this);
        ResizeSilently(NewColumns, NewRows);
    }
    FireEvent(OnResize, this, oldColumns, oldRows, NewColumns, NewRows);
}

void TDataTable::SetNrOfColumns(int Value)
{
    Resize(Value, FNrOfRows);
}

void TDataTable::SetNrOfRows(int Value)
{
    Resize(FNrOfColumns, Value);
}

// ---- cells -----------------------------------------------------------------------------------

double TDataTable::Elem(int Col, int Row) const
{
    const double v = FDataMat->Elem(Col, Row);
    return IsCategory(Col) ? std::nearbyint(v) : v;
}

void TDataTable::SetElem(int Col, int Row, double Value)
{
    if (!ColOk(Col) || !RowOk(Row)) return;
    FDataMat->SetElem(Col, Row, Value);
    FireEvent(OnChange, this);
}

std::uint8_t TDataTable::CellState(int Col, int Row) const
{
    return ColOk(Col) && RowOk(Row) ? FCellStates[CellIndex(Col, Row)] : 0;
}

void TDataTable::SetCellState(int Col, int Row, std::uint8_t Value)
{
    if (!ColOk(Col) || !RowOk(Row)) return;
    std::uint8_t& s = FCellStates[CellIndex(Col, Row)];
    if (s == Value) return;
    s = Value;
    FireEvent(OnChangeCellState, this);
}

bool TDataTable::IsNumber(int Col, int Row) const
{
    return (CellState(Col, Row) & (dtcsNotANumber | dtcsEmpty)) == 0;
}

void TDataTable::ClearMarks()
{
    for (std::uint8_t& s : FCellStates) s &= std::uint8_t(~(dtcsMarkA | dtcsMarkB));
    FireEvent(OnChangeCellState, this);
}

// ---- names and attributes --------------------------------------------------------------------

TDTNameStr TDataTable::ColName(int Col) const
{
    if (!ColOk(Col)) return QString();
    const QString& s = FColNames[std::size_t(Col - 1)];
    return s.isNull() ? QStringLiteral("C-%1").arg(Col) : s;
}

TDTNameStr TDataTable::RowName(int Row) const
{
    if (!RowOk(Row)) return QString();
    const QString& s = FRowNames[std::size_t(Row - 1)];
    return s.isNull() ? QStringLiteral("R-%1").arg(Row) : s;
}

void TDataTable::SetColName(int Col, const TDTNameStr& Value)
{
    if (!ColOk(Col)) return;
    FColNames.Set(std::size_t(Col - 1), ExplicitName(Value, DTNameLength));
    FireEvent(OnChangeNames, this);
}

void TDataTable::SetRowName(int Row, const TDTNameStr& Value)
{
    if (!RowOk(Row)) return;
    FRowNames.Set(std::size_t(Row - 1), ExplicitName(Value, DTNameLength));
    FireEvent(OnChangeNames, this);
}

int TDataTable::ColAttrib(int Col) const
{
    return ColOk(Col) ? FColAttribs[std::size_t(Col - 1)] : 0;
}

int TDataTable::RowAttrib(int Row) const
{
    return RowOk(Row) ? FRowAttribs[std::size_t(Row - 1)] : 0;
}

void TDataTable::SetColAttrib(int Col, int Value)
{
    if (!ColOk(Col)) return;
    FColAttribs.Set(std::size_t(Col - 1), Value);
    FireEvent(OnChangeAttrib, this);
}

void TDataTable::SetRowAttrib(int Row, int Value)
{
    if (!RowOk(Row)) return;
    FRowAttribs.Set(std::size_t(Row - 1), Value);
    FireEvent(OnChangeAttrib, this);
}

// ---- levels and labels -----------------------------------------------------------------------

TMeasLevel TDataTable::MeasLevel(int Col) const
{
    return ColOk(Col) ? FColSetups[std::size_t(Col - 1)].Level : mlUnknown;
}

void TDataTable::SetMeasLevel(int Col, TMeasLevel Value)
{
    if (!ColOk(Col) || Value > mlRatio) return;
    FColSetups.At(std::size_t(Col - 1)).Level = Value;
    FireEvent(OnChangeSetup, this);
}

bool TDataTable::IsCategory(int Col) const
{
    const TMeasLevel l = MeasLevel(Col);
    return ColOk(Col) && (l == mlNominal || l == mlOrdinal);
}

QString TDataTable::ValueLabel(int Col, int Value) const
{
    if (!IsCategory(Col) || Value < 0 || Value > DTMaxLabelValue) return QString();
    const TColSetup& setup = FColSetups[std::size_t(Col - 1)];
    return setup.Labels.empty() ? QString() : setup.Labels[std::size_t(Value)];
}

void TDataTable::SetValueLabel(int Col, int Value, const QString& Label)
{
    if (!ColOk(Col) || Value < 0 || Value > DTMaxLabelValue) return;
    const QString s = LeftOnCharBoundary(Label, DTLabelLength);
    TColSetup& setup = FColSetups.At(std::size_t(Col - 1));
    if (s.isEmpty()) {
        if (!setup.Labels.empty()) setup.Labels[std::size_t(Value)].clear();
    } else if (IsCategory(Col)) {
        if (setup.Labels.empty()) setup.Labels.resize(DTMaxLabelValue + 1);
        setup.Labels[std::size_t(Value)] = s;
    }
    FireEvent(OnChangeSetup, this);
}

int TDataTable::FindValueLabel(int Col, const QString& Label, bool IgnoreCase) const
{
    if (Label.isEmpty() || !IsCategory(Col)) return -1;
    const TColSetup& setup = FColSetups[std::size_t(Col - 1)];
    if (setup.Labels.empty()) return -1;
    const QString wanted = LeftOnCharBoundary(Label, DTLabelLength);
    const Qt::CaseSensitivity cs = IgnoreCase ? Qt::CaseInsensitive : Qt::CaseSensitive;
    for (int v = 0; v <= DTMaxLabelValue; ++v)
        if (setup.Labels[std::size_t(v)].compare(wanted, cs) == 0) return v;
    return -1;
}

// ---- structural edits ------------------------------------------------------------------------

// Rows and columns move with their raw values: moving through the rounded reading of a category
// column would lose the fractions for good.
void TDataTable::MoveRow(int From, int To)
{
    SetRowAttrib(To, RowAttrib(From));
    SetRowName(To, RowName(From));
    for (int c = 1; c <= FNrOfColumns; ++c) {
        FDataMat->SetElem(c, To, FDataMat->Elem(c, From));
        SetCellState(c, To, CellState(c, From));
    }
}

void TDataTable::ClearRow(int Row)
{
    SetRowAttrib(Row, 0);
    SetRowName(Row, QString());
    for (int c = 1; c <= FNrOfColumns; ++c) {
        FDataMat->SetElem(c, Row, 0.0);
        SetCellState(c, Row, 0);
    }
}

// A column's setup moves as a whole, so labels never end up hidden in, or revived from, a column
// they were not written for.
void TDataTable::MoveColumn(int From, int To)
{
    SetColAttrib(To, ColAttrib(From));
    SetColName(To, ColName(From));
    FColSetups.Set(std::size_t(To - 1), FColSetups[std::size_t(From - 1)]);
    const double* src = FDataMat->ColumnData(From);
    std::copy_n(src, FNrOfRows, FDataMat->ColumnData(To));
    for (int r = 1; r <= FNrOfRows; ++r) SetCellState(To, r, CellState(From, r));
}

void TDataTable::ClearColumn(int Col)
{
    SetColAttrib(Col, 0);
    SetColName(Col, QString());
    FColSetups.Set(std::size_t(Col - 1), TColSetup());
    std::fill_n(FDataMat->ColumnData(Col), FNrOfRows, 0.0);
    for (int r = 1; r <= FNrOfRows; ++r) SetCellState(Col, r, 0);
}

void TDataTable::InsertRow(int Row)
{
    if (Row < 1 || Row > FNrOfRows + 1) return;
    {
        TMatrixNotifyGuard guard(*this);
        THeldEvent<TNotifyEvent> held(OnChange);
        SetNrOfRows(FNrOfRows + 1);
        for (int r = FNrOfRows; r >= Row + 1; --r) MoveRow(r - 1, r);
        ClearRow(Row);
    }
    FireEvent(OnChangeSetup, this);
}

void TDataTable::DeleteRow(int Row)
{
    if (Row < 1 || Row > FNrOfRows || FNrOfRows < 2) return;
    {
        TMatrixNotifyGuard guard(*this);
        THeldEvent<TNotifyEvent> held(OnChange);
        for (int r = Row; r <= FNrOfRows - 1; ++r) MoveRow(r + 1, r);
        SetNrOfRows(FNrOfRows - 1);
    }
    FireEvent(OnChangeSetup, this);
}

void TDataTable::InsertColumn(int Col)
{
    if (Col < 1 || Col > FNrOfColumns + 1) return;
    {
        TMatrixNotifyGuard guard(*this);
        THeldEvent<TNotifyEvent> heldChange(OnChange);
        THeldEvent<TNotifyEvent> heldSetup(OnChangeSetup);
        SetNrOfColumns(FNrOfColumns + 1);
        for (int c = FNrOfColumns; c >= Col + 1; --c) MoveColumn(c - 1, c);
        ClearColumn(Col);
    }
    FireEvent(OnChangeSetup, this);
}

void TDataTable::DeleteColumn(int Col)
{
    if (Col < 1 || Col > FNrOfColumns || FNrOfColumns < 2) return;
    {
        TMatrixNotifyGuard guard(*this);
        THeldEvent<TNotifyEvent> heldChange(OnChange);
        THeldEvent<TNotifyEvent> heldSetup(OnChangeSetup);
        for (int c = Col; c <= FNrOfColumns - 1; ++c) MoveColumn(c + 1, c);
        SetNrOfColumns(FNrOfColumns - 1);
    }
    FireEvent(OnChangeSetup, this);
}

// ---- sorting ---------------------------------------------------------------------------------

void TDataTable::MatrixSortExchange(std::uint8_t ExchgWhat, int index1, int index2, int first,
                                    int last)
{
    const bool columns = ExchgWhat == 1;
    const int count = columns ? FNrOfColumns : FNrOfRows;
    const int cross = columns ? FNrOfRows : FNrOfColumns;
    if (index1 >= 1 && index1 <= count && index2 >= 1 && index2 <= count && index1 != index2) {
        const int lo = std::max(1, std::min(first, last));
        const int hi = std::min(cross, std::max(first, last));
        for (int k = lo; k <= hi; ++k) {
            if (columns)
                std::swap(FCellStates[CellIndex(index1, k)], FCellStates[CellIndex(index2, k)]);
            else
                std::swap(FCellStates[CellIndex(k, index1)], FCellStates[CellIndex(k, index2)]);
        }
        if (FSortHeaders) {
            const std::size_t i1 = std::size_t(index1 - 1), i2 = std::size_t(index2 - 1);
            if (columns) {
                FColAttribs.Exchange(i1, i2);
                FColNames.Exchange(i1, i2);
                FColSetups.Exchange(i1, i2);
            } else {
                FRowAttribs.Exchange(i1, i2);
                FRowNames.Exchange(i1, i2);
            }
        }
    }
    FireEvent(OnSortExchange, this, ExchgWhat, index1, index2, first, last);
}

// ---- copying ---------------------------------------------------------------------------------

void TDataTable::Assign(TPersistent* Source)
{
    auto* src = dynamic_cast<TDataTable*>(Source);
    if (!src) {
        TComponent::Assign(Source);
        return;
    }
    if (src == this) return;
    const auto bytes = TableBytes(src->FNrOfColumns, src->FNrOfRows);
    if (!bytes || !CanAllocateBytes(*bytes)) ThrowNoMemory(src->FNrOfColumns, src->FNrOfRows);
    try {
        // Copies first, so that a failure leaves this table as it was.
        TNameList colNames = src->FColNames, rowNames = src->FRowNames;
        TSparseList<int> colAttribs = src->FColAttribs, rowAttribs = src->FRowAttribs;
        TSparseList<TColSetup> setups = src->FColSetups;
        TZeroedVector<std::uint8_t> states = src->FCellStates;
        QString comment = src->FComment;
        FDataMat->Assign(src->FDataMat);
        // The matrix took over the source's handlers, which speak for the other table.
        AttachMatrix();
        FComment.swap(comment);
        FColNames.swap(colNames);
        FRowNames.swap(rowNames);
        FColAttribs.swap(colAttribs);
        FRowAttribs.swap(rowAttribs);
        FColSetups.swap(setups);
        FCellStates.swap(states);
    } catch (const std::bad_alloc&) {
        AttachMatrix();
        ThrowNoMemory(src->FNrOfColumns, src->FNrOfRows);
    } catch (const EZEVMatrixError&) {
        AttachMatrix();
        ThrowNoMemory(src->FNrOfColumns, src->FNrOfRows);
    }
    FNrOfColumns = src->FNrOfColumns;
    FNrOfRows = src->FNrOfRows;
    FSortHeaders = src->FSortHeaders;
    OnChange = src->OnChange;
    OnChangeSetup = src->OnChangeSetup;
    OnChangeNames = src->OnChangeNames;
    OnChangeAttrib = src->OnChangeAttrib;
    OnChangeCellState = src->OnChangeCellState;
    OnPercentDone = src->OnPercentDone;
    OnResize = src->OnResize;
    OnSortExchange = src->OnSortExchange;
    OnExportText = src->OnExportText;
}

int TDataTable::LoadFromASCFile(const QString& FileName)
{
    TStr2DArray discarded;
    return ReadASCFile(FileName, discarded);
}
