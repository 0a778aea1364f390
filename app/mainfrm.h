// The program's one window: tool bar with the three commands and the scaling choice, and the
// pages "Data", "PCA Scores" and "PCA Loadings".
#pragma once

#include "Dialogs.h"
#include "StdCtrls.h"
#include "ZEV_kurvex.h"
#include "ZEV_valgrid.h"
#include "ZEV_vector.h"
#include "analysis.h"
#include "analysis_runner.h"

#include <QFrame>
#include <QPushButton>
#include <QTabWidget>
#include <QWidget>
#include <memory>

class TPlotController;

class TForm1 : public QWidget {
  public:
    explicit TForm1(QWidget* Parent = nullptr);
    ~TForm1() override;

    QFrame* Panel1;
    QPushButton* BButNewData;
    QPushButton* BButLoadData;
    QPushButton* BButPerformPCA;
    TRadioGroup* RGScaling;
    QTabWidget* PageControl1;
    QWidget* TSData;
    QWidget* TSScores;
    QWidget* TSLoadings;
    TValgrid* ValedData;
    TKurvex* KXScores;
    TKurvex* KXLoadings;
    TOpenDialog* ODiag1;
    TVector* Mean;
    TVector* StdDev;

    void BButNewDataClick();
    void BButLoadDataClick();
    void BButPerformPCAClick();
    // What "Load Data From Disk" does once a file is chosen.
    void LoadDataFile(const QString& FileName);
    // The plots' context menu, hovering and row selection.
    TPlotController* Plots() const { return FPlots.get(); }

  private:
    void CreateToolBar();
    void SetTabOrder();
    void CreatePages();
    void SetUpEditor();
    void SetUpPlot(TKurvex* Chart);
    void ShowScorePlot(const TPCAPoints& Result, const QString& Scaling);
    void ShowLoadingPlot(const TPCAPoints& Result, const QString& Scaling);

    TFont FFont;
    std::unique_ptr<TAnalysisDataSet> FDataSet;
    std::unique_ptr<TAnalysisRunner> FRunner;
    std::unique_ptr<TOpenDialog> FODiag1;
    std::unique_ptr<TVector> FMean, FStdDev;
    std::unique_ptr<TPlotController> FPlots;
};
