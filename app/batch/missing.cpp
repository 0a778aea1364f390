#include "missing.h"

#include "ZEV_matrix.h"

#include <algorithm>

namespace {

bool RowHasMissingCell(const TDataTable& Table, int Row)
{
    for (int c = 1; c <= Table.NrOfColumns(); ++c)
        if (IsMissingCell(Table.CellState(c, Row))) return true;
    return false;
}

// Whether any cell holds no number: a pass down each column's state bytes, much quicker than
// the count in reading order (across the columns), which is needed only when one does.
bool AnyMissingCell(const TDataTable& Table)
{
    const auto rows = std::size_t(std::max(Table.NrOfRows(), 0));
    for (int c = 1; c <= Table.NrOfColumns(); ++c) {
        const std::uint8_t* states = Table.CellStateColumn(c);
        std::uint8_t any = 0;
        for (std::size_t r = 0; r < rows; ++r) any |= states[r];
        if (IsMissingCell(any)) return true;
    }
    return false;
}

void MoveRow(TDataTable& Table, int From, int To)
{
    for (int c = 1; c <= Table.NrOfColumns(); ++c) {
        double* cells = Table.DataMat()->ColumnData(c);
        cells[To - 1] = cells[From - 1];
        Table.SetCellState(c, To, Table.CellState(c, From));
    }
    Table.SetRowName(To, Table.RowName(From));
    Table.SetRowAttrib(To, Table.RowAttrib(From));
}

QString Counted(std::int64_t Count, const char* One, const char* Many)
{
    return QStringLiteral("%1 %2").arg(Count).arg(QLatin1String(Count == 1 ? One : Many));
}

QString CellText(const TMissingCells& Cells)
{
    return QStringLiteral("row %1 (\"%2\"), column %3 (\"%4\") %5")
        .arg(Cells.FirstRow)
        .arg(Cells.FirstRowName)
        .arg(Cells.FirstCol)
        .arg(Cells.FirstColName,
             Cells.FirstEmpty ? QStringLiteral("is empty") : QStringLiteral("is not a number"));
}

} // namespace

std::optional<TMissingMode> MissingModeFromName(const QString& Name)
{
    if (Name == QLatin1String("zero")) return mmZero;
    if (Name == QLatin1String("drop")) return mmDrop;
    if (Name == QLatin1String("error")) return mmError;
    return std::nullopt;
}

bool IsMissingCell(std::uint8_t State)
{
    return State & (dtcsEmpty | dtcsNotANumber);
}

bool TMissingCells::Count(std::uint8_t State, int Col, int Row)
{
    if (!IsMissingCell(State)) return false;
    const bool first = Total() == 0;
    if (first) {
        FirstCol = Col, FirstRow = Row;
        FirstEmpty = State & dtcsEmpty;
    }
    ++(State & dtcsEmpty ? Empty : NotANumber);
    return first;
}

TMissingCells CountMissingCells(const TDataTable& Table)
{
    TMissingCells cells;
    if (!AnyMissingCell(Table)) return cells;
    for (int r = 1; r <= Table.NrOfRows(); ++r)
        for (int c = 1; c <= Table.NrOfColumns(); ++c)
            if (cells.Count(Table.CellState(c, r), c, r)) {
                cells.FirstColName = Table.ColName(c);
                cells.FirstRowName = Table.RowName(r);
            }
    return cells;
}

int DropRowsWithMissingCells(TDataTable& Table)
{
    int kept = 0;
    for (int r = 1; r <= Table.NrOfRows(); ++r) {
        if (RowHasMissingCell(Table, r)) continue;
        if (++kept != r) MoveRow(Table, r, kept);
    }
    if (kept > 0) Table.SetNrOfRows(kept);
    return kept;
}

TMissingOutcome ReportMissingCells(const TMissingCells& Cells, int Rows, int Kept,
                                   const QString& File, TMissingMode Mode,
                                   const std::function<void(const QString&)>& Complain)
{
    if (Cells.Total() == 0) return moAnalyse;
    const QString where = QStringLiteral("\"%1\": ").arg(File);
    switch (Mode) {
    case mmZero:
        Complain(
            QStringLiteral("note: ") + where + Counted(Cells.Empty, "empty cell", "empty cells") +
            QStringLiteral(" and ") +
            Counted(Cells.NotANumber, "cell that is not a number", "cells that are not numbers") +
            QStringLiteral(" enter the analysis as 0 (--missing drop leaves their rows "
                           "out)"));
        return moAnalyse;
    case mmError:
        Complain(where + CellText(Cells) + QStringLiteral(" (--missing error)"));
        return moRefused;
    case mmDrop:
        break;
    }
    if (Kept == 0) {
        Complain(where + QStringLiteral("every row holds an empty cell or one that is not a "
                                        "number: no row is left to analyse"));
        return moNoRowLeft;
    }
    Complain(QStringLiteral("note: ") + where +
             QStringLiteral("left out %1 of %2 rows for an empty cell or one that is not a number")
                 .arg(Rows - Kept)
                 .arg(Rows));
    return moAnalyse;
}

TMissingOutcome HandleMissingCells(TDataTable& Table, const QString& File, TMissingMode Mode,
                                   const std::function<void(const QString&)>& Complain)
{
    const TMissingCells cells = CountMissingCells(Table);
    const int rows = Table.NrOfRows();
    const int kept = cells.Total() > 0 && Mode == mmDrop ? DropRowsWithMissingCells(Table) : rows;
    return ReportMissingCells(cells, rows, kept, File, Mode, Complain);
}
