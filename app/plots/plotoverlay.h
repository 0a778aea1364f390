// What the plot additions draw over the chart's own items at the end of its rendering pass:
// labels placed so that they do not overlap, rings round the rows selected in the table editor
// and the class legend. Draws on whatever canvas the chart renders to, screen or page.
#pragma once

#include "pcasnapshot.h"
#include "plotoptions.h"

#include <QRect>
#include <vector>

class TKurvex;
class TCanvas;

enum TPlotKind : std::uint8_t { pkScores, pkLoadings };

class TPlotOverlay {
  public:
    TPlotOverlay(TPlotKind Kind, const TPCASnapshot& Data, const TPlotOptions& Options)
        : FKind(Kind), FData(Data), FOptions(Options)
    {
    }
    // Rows (1-based) ringed on the score plot.
    void SetRingedRows(std::vector<int> Rows) { FRinged = std::move(Rows); }
    const std::vector<int>& RingedRows() const { return FRinged; }
    // The chart's rendering event: Canvas shows control pixel (x, y) at (x - Left, y - Top).
    void Paint(TKurvex& Chart, TCanvas* Canvas, int Top, int Left);
    // Label rectangles of the last painting, in control pixels; empty ones were left out.
    const std::vector<QRect>& LabelRects() const { return FLabelRects; }
    // The legend's rectangle of the last painting in control pixels (empty: none drawn).
    const QRect& LegendRect() const { return FLegendRect; }

  private:
    void PaintLabels(TKurvex& Chart, TCanvas* C, QPoint Shift);
    void PaintRings(TKurvex& Chart, TCanvas* C, QPoint Shift);
    QRect LegendBox(TKurvex& Chart, TCanvas* C) const;
    void PaintLegend(TKurvex& Chart, TCanvas* C, QPoint Shift);
    QPoint MarkPixel(const TKurvex& Chart, int Index) const;

    TPlotKind FKind;
    const TPCASnapshot& FData;
    const TPlotOptions& FOptions;
    std::vector<int> FRinged;
    std::vector<QRect> FLabelRects;
    QRect FLegendRect;
};

// The names the legend gives the classes present in the data, in class order.
std::vector<std::pair<int, QString>> LegendEntries(const TPCASnapshot& Data);
