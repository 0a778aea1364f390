#include "plotoverlay.h"

#include "ZEV_kurvex.h"
#include "labelplacer.h"

#include <set>

namespace {
constexpr int LabelFontSize = 8;
constexpr TColor RingColor = 0x0080FF; // orange: none of the class colours
constexpr TColor LabelColor = 0x404040;
constexpr int LegendPad = 5, LegendMarkSpace = 14;

int LegendLine(TCanvas* C)
{
    return C->TextHeight(QStringLiteral("Class")) + 2;
}

// The chart's text face at the labels' size.
void UseLabelFont(TKurvex& Chart, TCanvas* C, TColor Color)
{
    C->Font()->SetName(Chart.TextFont()->Name());
    C->Font()->SetSize(LabelFontSize);
    C->Font()->SetStyle(0);
    C->Font()->SetColor(Color);
    C->Brush()->SetStyle(bsClear);
}

QRect PlotRect(const TKurvex& Chart)
{
    return QRect(Chart.MarginLeft(), Chart.MarginTop(), Chart.PlotWidth(), Chart.PlotHeight());
}
} // namespace

std::vector<std::pair<int, QString>> LegendEntries(const TPCASnapshot& Data)
{
    const std::set<int> classes(Data.Classes.begin(), Data.Classes.end());
    std::vector<std::pair<int, QString>> entries;
    for (int k : classes) entries.emplace_back(k, QStringLiteral("Class %1").arg(k));
    return entries;
}

QPoint TPlotOverlay::MarkPixel(const TKurvex& Chart, int Index) const
{
    const int kx = FOptions.ComponentX, ky = FOptions.ComponentY;
    const double x = FKind == pkScores ? FData.Score(Index, kx) : FData.Loading(Index, kx);
    const double y = FKind == pkScores ? FData.Score(Index, ky) : FData.Loading(Index, ky);
    int px = 0, py = 0;
    Chart.WorldToPixel(1, x, y, px, py);
    return {px, py};
}

void TPlotOverlay::Paint(TKurvex& Chart, TCanvas* Canvas, int Top, int Left)
{
    FLabelRects.clear();
    FLegendRect = QRect();
    if (!FData.Valid()) return;
    const TColor pen = Canvas->Pen()->Color(), brush = Canvas->Brush()->Color();
    const TBrushStyle brushStyle = Canvas->Brush()->Style();
    const QPoint shift(Left, Top);
    const bool legend = FKind == pkScores && FOptions.ShowLegend;
    if (legend) FLegendRect = LegendBox(Chart, Canvas);
    if (FOptions.LabelPoints) PaintLabels(Chart, Canvas, shift);
    if (FKind == pkScores) PaintRings(Chart, Canvas, shift);
    if (legend) PaintLegend(Chart, Canvas, shift);
    Canvas->Pen()->SetColor(pen);
    Canvas->Brush()->SetColor(brush);
    Canvas->Brush()->SetStyle(brushStyle);
}

void TPlotOverlay::PaintLabels(TKurvex& Chart, TCanvas* C, QPoint Shift)
{
    UseLabelFont(Chart, C, FKind == pkScores ? LabelColor : TColor(8388608));
    const int count = FKind == pkScores ? FData.Rows : FData.Columns;
    std::vector<TLabelRequest> requests;
    QStringList texts;
    requests.reserve(std::size_t(count));
    const int height = C->TextHeight(QStringLiteral("Xg")); // one line in one font
    for (int i = 1; i <= count; ++i) {
        texts << (FKind == pkScores ? FData.RowName(i) : FData.ColumnName(i));
        requests.push_back({MarkPixel(Chart, i), QSize(C->TextWidth(texts.back()), height)});
    }
    std::vector<QRect> obstacles;
    if (!FLegendRect.isEmpty()) obstacles.push_back(FLegendRect);
    FLabelRects = PlaceLabels(requests, PlotRect(Chart), obstacles);
    for (std::size_t i = 0; i < FLabelRects.size(); ++i) {
        const QRect& r = FLabelRects[i];
        if (!r.isEmpty()) C->TextOut(r.left() - Shift.x(), r.top() - Shift.y(), texts[int(i)]);
    }
}

void TPlotOverlay::PaintRings(TKurvex& Chart, TCanvas* C, QPoint Shift)
{
    if (FRinged.empty()) return;
    C->Pen()->SetColor(RingColor);
    C->Pen()->SetWidth(2);
    C->Brush()->SetStyle(bsClear);
    const QRect plot = PlotRect(Chart);
    for (int row : FRinged) {
        if (row < 1 || row > FData.Rows) continue;
        const QPoint mark = MarkPixel(Chart, row);
        if (!plot.contains(mark)) continue;
        const QPoint p = mark - Shift;
        C->Ellipse(p.x() - 7, p.y() - 7, p.x() + 8, p.y() + 8);
    }
    C->Pen()->SetWidth(1);
}

QRect TPlotOverlay::LegendBox(TKurvex& Chart, TCanvas* C) const
{
    const auto entries = LegendEntries(FData);
    if (entries.empty()) return {};
    UseLabelFont(Chart, C, clBlack);
    int width = 0;
    for (const auto& e : entries) width = std::max(width, C->TextWidth(e.second));
    QRect box(0, 0, LegendPad + LegendMarkSpace + width + LegendPad,
              LegendPad + LegendLine(C) * int(entries.size()) + LegendPad);
    box.moveTopRight(PlotRect(Chart).topRight() + QPoint(-6, 6));
    return box;
}

void TPlotOverlay::PaintLegend(TKurvex& Chart, TCanvas* C, QPoint Shift)
{
    if (FLegendRect.isEmpty()) return;
    const auto entries = LegendEntries(FData);
    UseLabelFont(Chart, C, clBlack);
    const int line = LegendLine(C);
    const QRect box = FLegendRect.translated(-Shift);
    C->Pen()->SetColor(clBlack);
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(clWhite);
    C->Rectangle(box.left(), box.top(), box.right() + 1, box.bottom() + 1);
    C->Brush()->SetStyle(bsClear);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const int top = box.top() + LegendPad + line * int(i);
        C->Pen()->SetColor(ClassColor(entries[i].first));
        DrawMark(C, 6, box.left() + LegendPad + 4, top + line / 2);
        C->TextOut(box.left() + LegendPad + LegendMarkSpace, top + 1, entries[i].second);
    }
}
