// Perform PCA's engine run for the window: at once for a small table, and for a big one on a
// second thread behind a modal progress dialog with Cancel, so that the window never freezes.
#pragma once

#include "analysis.h"

class QWidget;

class TAnalysisRunner {
  public:
    explicit TAnalysisRunner(QWidget* Parent) : FParent(Parent) {}

    // The engine's result for the whole data set; pcaCancelled when the user cancelled. The
    // data set must not change until this returns (the dialog is modal).
    TPCAResult Run(const TAnalysisDataSet& Data, int Scaling) const;

    // Whether a table of this size takes long enough for a dialog: about a tenth of a second.
    static bool TakesNoticeableTime(int Columns, int Rows);

  private:
    QWidget* FParent;
};

// The dialog's text for the check before sweep Sweep with the off-diagonal sum Sum.
QString SweepProgressText(int Sweep, double Sum);
