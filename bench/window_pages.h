// The main window as a user first sees it for the plot benchmarks: started, filled with new
// data, and each plot page laid out at the window's size.
#pragma once

#include "analysis.h"
#include "mainfrm.h"

#include <QCoreApplication>

inline void ShowWindowWithBothPlotPages(TForm1& Form)
{
    AnalysisStartUp();
    Form.show();
    Form.BButNewDataClick();
    for (QWidget* page : {Form.TSLoadings, Form.TSScores}) {
        Form.PageControl1->setCurrentWidget(page);
        QCoreApplication::processEvents();
    }
}
