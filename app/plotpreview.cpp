#include "plotpreview.h"

#include "Graphics.h"

#include <QPainter>
#include <algorithm>

TPlotPreview::TPlotPreview(QWidget* Parent) : QWidget(Parent)
{
    setAutoFillBackground(true);
    setCursor(Qt::CrossCursor);
}

void TPlotPreview::SetPlot(const QString& Caption, const QString& CaptionX, const QString& CaptionY,
                           std::vector<TPlotPoint> Points, bool AxesThroughOrigin)
{
    FCaption = Caption, FCaptionX = CaptionX, FCaptionY = CaptionY;
    FPoints = std::move(Points);
    FAxesThroughOrigin = AxesThroughOrigin;
    update();
}

namespace {
struct TRange {
    double Lo = 0, Hi = 0;
    void Include(double v) { Lo = std::min(Lo, v), Hi = std::max(Hi, v); }
    // Widens the range by Percent on each side; an empty range gets a unit width.
    void Widen(double Percent)
    {
        const double margin = Hi > Lo ? (Hi - Lo) * Percent / 100.0 : 0.5;
        Lo -= margin, Hi += margin;
    }
};
} // namespace

void TPlotPreview::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    if (FPoints.empty()) return;
    TRange rx{FPoints[0].X, FPoints[0].X}, ry{FPoints[0].Y, FPoints[0].Y};
    for (const TPlotPoint& pt : FPoints) rx.Include(pt.X), ry.Include(pt.Y);
    if (FAxesThroughOrigin) rx.Include(-1), rx.Include(1), ry.Include(-1), ry.Include(1);
    rx.Widen(3), ry.Widen(3);

    const QRect area = rect().adjusted(60, 30, -20, -40);
    auto toX = [&](double x) { return area.left() + (x - rx.Lo) / (rx.Hi - rx.Lo) * area.width(); };
    auto toY = [&](double y) {
        return area.bottom() - (y - ry.Lo) / (ry.Hi - ry.Lo) * area.height();
    };

    p.setPen(Qt::black);
    p.drawRect(area);
    p.drawText(QRect(0, 4, width() - 20, 20), Qt::AlignRight, FCaption);
    p.drawText(QRect(area.left(), area.bottom() + 8, area.width(), 20), Qt::AlignHCenter,
               FCaptionX);
    p.drawText(QPoint(area.left(), area.top() - 6), FCaptionY);
    p.drawText(QPoint(4, area.bottom()), QString::number(ry.Lo, 'g', 3));
    p.drawText(QPoint(4, area.top() + 10), QString::number(ry.Hi, 'g', 3));
    p.drawText(QPoint(area.left(), area.bottom() + 36), QString::number(rx.Lo, 'g', 3));
    p.drawText(QPoint(area.right() - 40, area.bottom() + 36), QString::number(rx.Hi, 'g', 3));
    if (FAxesThroughOrigin) {
        p.setPen(QColor(128, 128, 128));
        p.drawLine(QPointF(toX(-1), toY(0)), QPointF(toX(1), toY(0)));
        p.drawLine(QPointF(toX(0), toY(-1)), QPointF(toX(0), toY(1)));
    }
    for (const TPlotPoint& pt : FPoints) {
        const QPointF at(toX(pt.X), toY(pt.Y));
        p.setPen(ToQColor(pt.Color));
        if (pt.Label.isEmpty()) {
            p.drawLine(at + QPointF(-3, -3), at + QPointF(3, 3));
            p.drawLine(at + QPointF(-3, 3), at + QPointF(3, -3));
        } else {
            p.drawText(QRectF(at.x() - 20, at.y() - 8, 40, 16), Qt::AlignCenter, pt.Label);
        }
    }
}
