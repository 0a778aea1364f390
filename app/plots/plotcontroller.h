// The plot additions of the main window: the context menu on both plots, hover texts, selecting
// a row by clicking its score mark and ringing the rows selected in the table editor. Without a
// choice in the menu the plots stay exactly as the window draws them.
#pragma once

#include "Grids.h"
#include "hoverindex.h"
#include "pcasnapshot.h"
#include "plotoptions.h"
#include "plotoverlay.h"

#include <array>
#include <memory>

class TForm1;
class TKurvex;
class TPopupMenu;

class TPlotController {
  public:
    explicit TPlotController(TForm1& Form);
    ~TPlotController();
    TPlotController(const TPlotController&) = delete;
    TPlotController& operator=(const TPlotController&) = delete;

    // After Perform PCA has drawn both plots: keeps the analysis and applies the choices.
    void AnalysisDone(const TAnalysisDataSet& Data, const QString& Scaling);

    const TPlotOptions& Options() const { return FOptions; }
    // Redraws both plots when the choice changed.
    void SetOptions(const TPlotOptions& Value);
    const TPCASnapshot& Snapshot() const { return FSnapshot; }
    const TPlotOverlay& Overlay(TPlotKind Kind) const { return *FOverlays[Kind]; }
    TKurvex& Chart(TPlotKind Kind) const;

    // The row (score plot) or column (loading plot) whose mark lies within a few pixels of
    // control pixel (X, Y), 1-based; 0 when there is none.
    int MarkAt(TPlotKind Kind, int X, int Y) const;
    // What hovering over (X, Y) shows; empty away from the marks.
    QString HoverText(TPlotKind Kind, int X, int Y) const;

  private:
    void Attach(TPlotKind Kind);
    void OpenMenu(TPlotKind Kind, int X, int Y);
    void Hover(TPlotKind Kind, int X, int Y);
    void SelectRow(int Row);
    void UpdateRings();
    void Redraw();
    void BuildIndexes();
    void ShowEigenvalues();
    void SaveImage(TPlotKind Kind);
    void Print(TPlotKind Kind);

    TForm1& FForm;
    TPlotOptions FOptions;
    TPCASnapshot FSnapshot;
    QString FScaling;
    std::array<std::unique_ptr<TPlotOverlay>, 2> FOverlays;
    std::array<THoverIndex, 2> FIndexes;
    TGridRect FClickSelection{-1, -1, -1, -1}; // what the last click on a score mark selected
};
