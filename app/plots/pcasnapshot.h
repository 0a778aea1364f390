// What the plot additions need of one analysis, taken once when it succeeds: they must keep
// showing that analysis while the table is edited. The only place that reads the engine's
// result storage for them.
#pragma once

#include "analysis.h"

#include <QString>
#include <QStringList>
#include <vector>

class TDataTable;

struct TPCASnapshot {
    int Rows = 0, Columns = 0;
    // Components whose scores and loadings are kept: every component up to MaxComponents.
    int Components = 0;
    static constexpr int MaxComponents = 32;
    std::vector<double> Eigenvalues;    // per component 1..Columns, as the engine found them
    std::vector<double> PercentOfTotal; // per component, the engine's share times 100
    std::vector<double> Scores;         // Rows x Components, row by row
    std::vector<double> Loadings;       // Columns x Components, column by column
    std::vector<int> Classes;           // per row, the class byte
    QStringList RowNames, ColumnNames;
    // Cells of the analysed block marked empty or not a number: they took part with the value
    // they hold.
    int EmptyOrNaNCells = 0;

    bool Valid() const { return Components > 0; }
    double Score(int Row, int Component) const;   // 1-based, 0 outside
    double Loading(int Col, int Component) const; // 1-based, 0 outside
    QString RowName(int Row) const;               // the name, or the row number
    QString ColumnName(int Col) const;            // the name, or the column number
};

// Reads the engine's last result, which Perform PCA has just stored; Mean and StdDev as it
// filled them.
TPCASnapshot TakeSnapshot(const TAnalysisDataSet& Data, const TDataTable& Table,
                          const TVector& Mean, const TVector& StdDev);
