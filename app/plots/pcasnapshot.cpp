#include "pcasnapshot.h"

#include "ZEV_datatable.h"

#include <algorithm>

namespace {
bool InRange(int Index, int Count)
{
    return Index >= 1 && Index <= Count;
}

int CountEmptyOrNaN(const TDataTable& Table, int Columns, int Rows)
{
    int count = 0;
    for (int r = 1; r <= Rows; ++r)
        for (int c = 1; c <= Columns; ++c)
            if (Table.CellState(c, r) & (dtcsNotANumber | dtcsEmpty)) ++count;
    return count;
}
} // namespace

double TPCASnapshot::Score(int Row, int Component) const
{
    if (!InRange(Row, Rows) || !InRange(Component, Components)) return 0;
    return Scores[std::size_t(Row - 1) * std::size_t(Components) + std::size_t(Component - 1)];
}

double TPCASnapshot::Loading(int Col, int Component) const
{
    if (!InRange(Col, Columns) || !InRange(Component, Components)) return 0;
    return Loadings[std::size_t(Col - 1) * std::size_t(Components) + std::size_t(Component - 1)];
}

QString TPCASnapshot::RowName(int Row) const
{
    const QString name = InRange(Row, Rows) ? RowNames[Row - 1] : QString();
    return name.isEmpty() ? QString::number(Row) : name;
}

QString TPCASnapshot::ColumnName(int Col) const
{
    const QString name = InRange(Col, Columns) ? ColumnNames[Col - 1] : QString();
    return name.isEmpty() ? QString::number(Col) : name;
}

TPCASnapshot TakeSnapshot(const TAnalysisDataSet& Data, const TDataTable& Table,
                          const TVector& Mean, const TVector& StdDev)
{
    // The analysis the window has just accepted.
    const TPCAResult& result = LastEigVecResult();
    TPCASnapshot s;
    s.Rows = Data.NrOfRows();
    s.Columns = Data.NrOfColumns();
    s.Components = std::min(s.Columns, TPCASnapshot::MaxComponents);
    for (int k = 1; k <= s.Columns; ++k) {
        s.Eigenvalues.push_back(result.AbsoluteEigVal(k));
        s.PercentOfTotal.push_back(100.0 * result.EigVecElem(k, 0));
    }
    // The window's own projection, so components 1 and 2 give its scores to the last bit.
    const TScoreProjector projector(result, Mean, StdDev, s.Components);
    s.Scores.resize(std::size_t(s.Rows) * std::size_t(s.Components));
    for (int r = 1; r <= s.Rows; ++r) {
        projector.Project(Data, r,
                          s.Scores.data() + std::size_t(r - 1) * std::size_t(s.Components));
        s.Classes.push_back(std::uint8_t(Data.RowAttrib(r)));
        s.RowNames << Table.RowName(r);
    }
    for (int c = 1; c <= s.Columns; ++c) {
        for (int k = 1; k <= s.Components; ++k) s.Loadings.push_back(result.EigVecElem(k, c));
        s.ColumnNames << Table.ColName(c);
    }
    s.EmptyOrNaNCells = CountEmptyOrNaN(Table, s.Columns, s.Rows);
    return s;
}
