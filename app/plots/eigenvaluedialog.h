// "Eigenvalues...": the table of components with their eigenvalues and shares of the total, a
// scree plot of the shares with the cumulative line, and how many cells of the analysed block
// were empty or not a number.
#pragma once

#include "pcasnapshot.h"

#include <QDialog>

class QTableWidget;
class TKurvex;

struct TEigenvalueRow {
    int Component;
    double Eigenvalue, Percent, Cumulative;
};
std::vector<TEigenvalueRow> EigenvalueRows(const TPCASnapshot& Data);
// The table as the Copy button puts it on the clipboard: a heading line, then tab-separated rows.
QString EigenvalueTableText(const TPCASnapshot& Data);
// The sentence on the cells that were empty or not a number.
QString EmptyCellsNote(int Count);

class TEigenvalueDialog : public QDialog {
  public:
    TEigenvalueDialog(const TPCASnapshot& Data, QWidget* Parent);
    QTableWidget* Table() const { return FTable; }
    TKurvex* ScreePlot() const { return FScree; }
    void CopyTable();

  private:
    void FillTable();
    void BuildScreePlot();

    const TPCASnapshot& FData;
    QTableWidget* FTable;
    TKurvex* FScree;
};
