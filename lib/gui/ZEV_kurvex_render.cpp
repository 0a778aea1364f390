// The rendering pass of the chart: grid, data and annotation lists, text labels and the plot
// frame, with the canvas state cache and the runs of line segments drawn as polylines.
#include "ZEV_kurvex_render.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr int DrawLimit = kxDrawLimit;
// Points of a line run drawn with one polyline call.
constexpr std::size_t RunLimit = 200;

int LimitForDrawing(long long V)
{
    return int(std::clamp<long long>(V, -DrawLimit, DrawLimit));
}

int RoundedPixel(double V)
{
    if (std::isnan(V)) return 0;
    return int(std::nearbyint(std::clamp<double>(V, -DrawLimit, DrawLimit)));
}

bool IsText(TkxItemKind Kind)
{
    return Kind == ikText || Kind == ikTextOffset;
}
} // namespace

void TkxRenderer::RenderItems(const TkxRenderView& View, TCanvas* Canvas, int Left, int Top,
                              bool NoGrid, bool Monochrome)
{
    if (!Canvas) return;
    TkxRenderPass(View, FDupMarkMap, FStampRun, Canvas, Left, Top, Monochrome).Run(NoGrid);
}

TkxRenderPass::TkxRenderPass(const TkxRenderView& View, std::vector<int>& DupMarkMap,
                             TStampRun& Stamps, TCanvas* Canvas, int Left, int Top, bool Monochrome)
    : V(View), FDupMarkMap(DupMarkMap), FStamps(Stamps), C(Canvas), FLeft(Left), FTop(Top),
      FMarginLeft(View.Geometry.MarginLeft), FMarginTop(View.Geometry.MarginTop), FMono(Monochrome),
      FPlotW(View.Geometry.PlotWidth()), FPlotH(View.Geometry.PlotHeight())
{
    FRun.reserve(RunLimit);
    FStamps.Start(Canvas);
    for (int n = 1; n <= kxMaxLayer; ++n) {
        const TScaleProps& x = V.Layers.X(n);
        const TScaleProps& y = V.Layers.Y(n);
        TLayerView& v = FLayerViews[std::size_t(n - 1)];
        v.X = V.Layers.AxisMapX(n);
        v.Y = V.Layers.AxisMapY(n);
        v.XLo = std::min(x.RangeLow(), x.RangeHigh());
        v.XHi = std::max(x.RangeLow(), x.RangeHigh());
        v.YLo = std::min(y.RangeLow(), y.RangeHigh());
        v.YHi = std::max(y.RangeLow(), y.RangeHigh());
        v.XSlack = v.X.SlackWithin(v.XLo, v.XHi);
        v.YSlack = v.Y.SlackWithin(v.YLo, v.YHi);
        FLayerShown[std::size_t(n)] = V.Layers.Shown(n);
    }
}

void TkxRenderPass::Run(bool NoGrid)
{
    const TkxAppearance& look = V.Look;
    if (look.AvoidDuplicateMarks) {
        FDupDist = look.MinDupMarkDist;
        FDupWidth = V.Geometry.Width + 2 * FDupDist;
        FDupMarkMap.assign(std::size_t(FDupWidth) * std::size_t(V.Geometry.Height + 2 * FDupDist),
                           -1);
    }
    const TColor brush = C->Brush()->Color(), pen = C->Pen()->Color();
    FireRenderEvent(V.OnBeforeRenderData);
    C->Brush()->SetColor(brush);
    C->Pen()->SetColor(pen);
    if (look.GridStyle != gsNone && !NoGrid) DrawGrid();

    const int lineWidth = V.Store.Style.LineWidth;
    C->Pen()->SetWidth(lineWidth), FPenWidth = lineWidth;
    FPenPos = {FLeft, FTop};
    C->Pen()->SetColor(look.ChartColor), FPenColor = look.ChartColor;
    C->Brush()->SetColor(look.ChartColor), FBrushColor = look.ChartColor;
    C->Font()->SetColor(look.ChartColor), FFontColor = look.ChartColor;
    C->Pen()->SetStyle(psSolid), FPenStyle = psSolid;

    if (!look.DataOnTop) DrawList(V.Store.Data(), false, TWhich::All);
    if (look.AnnotationsShown) DrawAnnotations();
    if (look.DataOnTop) DrawList(V.Store.Data(), false, TWhich::All);

    UsePenWidth(1);
    DrawTextLabels();
    FireRenderEvent(V.OnDataRendered);
    DrawPlotFrame();
}

void TkxRenderPass::FireRenderEvent(const TRenderEvent* Event)
{
    if (Event) FireEvent(*Event, V.Sender, C, FMarginTop - FTop, FMarginLeft - FLeft);
}

void TkxRenderPass::DrawAnnotations()
{
    const TkxItemList& list = V.Store.Annotations();
    if (V.Look.TextsLast) {
        DrawList(list, true, TWhich::NonTexts);
        DrawList(list, true, TWhich::Texts);
    } else {
        DrawList(list, true, TWhich::All);
    }
}

void TkxRenderPass::DrawList(const TkxItemList& List, bool IsAnnotation, TWhich Which)
{
    const auto& classShown = V.Store.ClassTable(IsAnnotation);
    const TBeforeRenderCItemEvent* before = V.OnBeforeRenderChartItem && *V.OnBeforeRenderChartItem
                                                ? V.OnBeforeRenderChartItem
                                                : nullptr;
    // Handlers see every record whole, texts are never plain marks, and the duplicate-mark map
    // takes the marks one at a time.
    const TkxPackedMark* packed =
        before || Which == TWhich::Texts || FDupWidth > 0 ? nullptr : List.PackedMarks();
    const int count = List.Count();
    for (int i = 0; i < count; ++i) {
        if (packed && packed[i].Layer != 0) {
            const int next = DrawPackedMarks(packed, i, count, classShown);
            if (next > i) {
                i = next - 1;
                continue;
            }
        }
        const TkxChartItem& item = List[i];
        if (Which != TWhich::All && IsText(item.Kind) != (Which == TWhich::Texts)) continue;
        if (!classShown[item.ClassNo] || !V.Layers.Shown(item.Layer)) continue;
        if (!before) {
            DrawItem(item, i, IsAnnotation, List);
            continue;
        }
        // Handlers change a copy: the stored item keeps what it was given. They may draw.
        FStamps.Flush();
        TkxChartItem copy = item;
        (*before)(V.Sender, copy, i, IsAnnotation);
        DrawItem(copy, i, IsAnnotation, List);
    }
    FStamps.Flush();
    Flush();
}

void TkxRenderPass::DrawItem(const TkxChartItem& Item, int Index, bool IsAnnotation,
                             const TkxItemList& List)
{
    if (Item.Kind != ikMark) FStamps.Flush();
    if (!IsText(Item.Kind) && (!FPenWidth || Item.LineWidth != *FPenWidth)) {
        Flush();
        UsePenWidth(Item.LineWidth);
    }
    switch (Item.Kind) {
    case ikMark:
        if (!FRun.empty()) Flush();
        return DrawMarkItem(Item);
    case ikLine:
        return DrawLineItem(Item, FirstPoint(Item), SecondPoint(Item));
    case ikLineTo:
        UsePen(ItemColor(Item), Item.PenStyle);
        return LineSegment(FPenPos, FirstPoint(Item));
    case ikLineRel:
        UsePen(ItemColor(Item), Item.PenStyle);
        return LineSegment(FPenPos,
                           {FPenPos.X + RoundedPixel(Item.X), FPenPos.Y + RoundedPixel(Item.Y)});
    case ikVector: {
        UsePen(ItemColor(Item), Item.PenStyle);
        const TPoint a = FirstPoint(Item);
        return LineSegment(a, {a.X + RoundedPixel(Item.X2), a.Y + RoundedPixel(Item.Y2)});
    }
    case ikMoveTo:
        Flush();
        FPenPos = FirstPoint(Item);
        return;
    case ikMoveRel:
        Flush();
        FPenPos = {FPenPos.X + RoundedPixel(Item.X), FPenPos.Y + RoundedPixel(Item.Y)};
        return;
    default:
        break;
    }
    Flush();
    switch (Item.Kind) {
    case ikText:
    case ikTextOffset:
        return DrawTextItem(Item, Index, IsAnnotation, List);
    case ikRect:
        return DrawRectItem(Item, FirstPoint(Item), SecondPoint(Item));
    case ikFilledRect:
        return DrawFilledRect(Item, FirstPoint(Item), SecondPoint(Item));
    case ikBar3D:
        return DrawBar3D(Item, FirstPoint(Item), SecondPoint(Item));
    case ikBox: {
        const TPoint c = FirstPoint(Item);
        return DrawRectItem(Item, {c.X - Item.Param1, c.Y - Item.Param2},
                            {c.X + Item.Param1, c.Y + Item.Param2});
    }
    case ikEllipse: {
        const auto [a, b] = Extent(Item);
        return DrawEllipseItem(Item, a, b);
    }
    case ikArrow:
    case ikArrow2:
        return DrawArrow(Item, FirstPoint(Item), SecondPoint(Item), Item.Kind == ikArrow2);
    case ikShiftedLine: {
        const TPoint a = FirstPoint(Item), b = SecondPoint(Item);
        const int dx = Item.Param1, dy = Item.Param2;
        return DrawLineItem(Item, {a.X + dx, a.Y + dy}, {b.X + dx, b.Y + dy});
    }
    case ikErrorBar:
        return DrawErrorBar(Item);
    case ikArc:
        return DrawArc(Item);
    case ikCross:
        return DrawCross(Item);
    case ikVertLine:
    case ikHorizLine:
        return DrawAcrossPlot(Item, Item.Kind == ikVertLine);
    default:
        return; // 0, 10 and 11 are never drawn
    }
}

void TkxRenderPass::DrawPlotFrame()
{
    C->Pen()->SetStyle(psSolid);
    C->Pen()->SetColor(V.Look.ChartFrameColor);
    C->Brush()->SetStyle(bsClear);
    C->Rectangle(FLeft, FTop, FLeft + FPlotW + 1, FTop + FPlotH + 1);
    C->Brush()->SetStyle(bsSolid);
}

// ---- canvas state ------------------------------------------------------------------------------

void TkxRenderPass::UsePen(TColor Color, TPenStyle Style)
{
    if (FPenColor == Color && FPenStyle == Style) return;
    Flush();
    if (FPenColor != Color) C->Pen()->SetColor(Color), FPenColor = Color;
    if (FPenStyle != Style) C->Pen()->SetStyle(Style), FPenStyle = Style;
}

void TkxRenderPass::UseBrush(TColor Color)
{
    if (FBrushColor == Color && C->Brush()->Style() == bsSolid) return;
    Flush();
    C->Brush()->SetColor(Color); // also makes a clear brush solid
    FBrushColor = Color;
}

void TkxRenderPass::UseClearBrush()
{
    C->Brush()->SetStyle(bsClear);
}

void TkxRenderPass::UseOutlineAndFill(const TkxChartItem& Item)
{
    UsePen(ItemColor(Item), Item.PenStyle);
    if (Item.NoFill)
        UseClearBrush();
    else
        UseBrush(ItemFill(Item));
}

void TkxRenderPass::UseFontColor(TColor Color)
{
    if (FFontColor == Color) return;
    C->Font()->SetColor(Color);
    FFontColor = Color;
}

void TkxRenderPass::UsePenWidth(int Width)
{
    if (FPenWidth == Width) return;
    C->Pen()->SetWidth(Width);
    FPenWidth = Width;
}

// ---- line runs ---------------------------------------------------------------------------------

void TkxRenderPass::LineSegment(TPoint From, TPoint To)
{
    if (FRun.empty() || !(FRun.back() == From)) {
        Flush();
        FRun.push_back(From);
    }
    FRun.push_back(To);
    FPenPos = To;
    if (FRun.size() >= RunLimit) {
        Flush();
        FRun.push_back(To); // the next run goes on from here
    }
}

void TkxRenderPass::Flush()
{
    if (FRun.size() >= 2) C->Polyline(FRun);
    FRun.clear();
}

// ---- mapping -----------------------------------------------------------------------------------

TPoint TkxRenderPass::World(int Layer, double X, double Y) const
{
    const TLayerView& v = View(Layer);
    return FromControl(v.X.Pixel(X), v.Y.Pixel(Y));
}

TPoint TkxRenderPass::Pixels(double X, double Y) const
{
    return {LimitForDrawing(static_cast<long long>(RoundedPixel(X)) + FLeft),
            LimitForDrawing(static_cast<long long>(RoundedPixel(Y)) + FTop)};
}

TPoint TkxRenderPass::FirstPoint(const TkxChartItem& Item) const
{
    return ItemPoint(Item, Item.X, Item.Y, Item.CoordMode == cmPixelsThenWorld);
}

TPoint TkxRenderPass::SecondPoint(const TkxChartItem& Item) const
{
    return ItemPoint(Item, Item.X2, Item.Y2, Item.CoordMode == cmWorldThenPixels);
}

TPoint TkxRenderPass::ItemPoint(const TkxChartItem& Item, double X, double Y,
                                bool PixelsByMode) const
{
    switch (Item.CoordMode) {
    case cmPixels:
        return Pixels(X, Y);
    case cmPixelXWorldY:
        return {Pixels(X, 0).X, World(Item.Layer, X, Y).Y};
    case cmWorldXPixelY:
        return {World(Item.Layer, X, Y).X, Pixels(0, Y).Y};
    default:
        return PixelsByMode ? Pixels(X, Y) : World(Item.Layer, X, Y);
    }
}

std::pair<TPoint, TPoint> TkxRenderPass::Extent(const TkxChartItem& Item) const
{
    if (Item.CoordMode == cmWorld)
        return {World(Item.Layer, Item.X - Item.X2, Item.Y - Item.Y2),
                World(Item.Layer, Item.X + Item.X2, Item.Y + Item.Y2)};
    // Outside world units the half-sizes are pixels.
    const TPoint c = FirstPoint(Item);
    const int hx = RoundedPixel(Item.X2), hy = RoundedPixel(Item.Y2);
    return {{c.X - hx, c.Y - hy}, {c.X + hx, c.Y + hy}};
}
