// A plain stand-in for the chart control on the two plot pages: it shows the points of the last
// analysis (marks in their colours or numbered labels) inside axes fitted with a 3 % margin.
#pragma once

#include "Colors.h"

#include <QString>
#include <QWidget>
#include <vector>

struct TPlotPoint {
    double X = 0, Y = 0;
    TColor Color = 0;
    QString Label; // empty: drawn as a mark
};

class TPlotPreview : public QWidget {
  public:
    explicit TPlotPreview(QWidget* Parent = nullptr);
    void SetPlot(const QString& Caption, const QString& CaptionX, const QString& CaptionY,
                 std::vector<TPlotPoint> Points, bool AxesThroughOrigin);
    const std::vector<TPlotPoint>& Points() const { return FPoints; }
    const QString& Caption() const { return FCaption; }

  protected:
    void paintEvent(QPaintEvent*) override;

  private:
    QString FCaption, FCaptionX, FCaptionY;
    std::vector<TPlotPoint> FPoints;
    bool FAxesThroughOrigin = false;
};
