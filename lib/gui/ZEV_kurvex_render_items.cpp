// Drawing of the chart's item kinds other than the line runs and marks: lines, texts, rectangles,
// bars, ellipses, arrows, error bars, arcs, crosses and lines across the plot.
#include "ZEV_kurvex_render.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {
// Half-length in pixels of the end ticks of an error bar (7 pixels across).
constexpr int ErrorTickHalf = 3;
// Angle between an arrow's shaft and each side of its head.
constexpr double ArrowHeadAngle = 25.0 * std::numbers::pi / 180.0;

// Corners in any order to the platform's rectangle, which leaves out its right and bottom edge.
TRect InclusiveRect(TPoint A, TPoint B)
{
    return Rect(std::min(A.X, B.X), std::min(A.Y, B.Y), std::max(A.X, B.X) + 1,
                std::max(A.Y, B.Y) + 1);
}
} // namespace

// ---- lines -------------------------------------------------------------------------------------

void TkxRenderPass::DrawLineItem(const TkxChartItem& Item, TPoint A, TPoint B)
{
    UsePen(ItemColor(Item), Item.PenStyle);
    UseBrush(ItemFill(Item));
    if (A == B) {
        C->SetPixel(A.X, A.Y, ItemColor(Item));
    } else {
        C->MoveTo(A.X, A.Y);
        C->LineTo(B.X, B.Y);
    }
    FPenPos = B;
}

void TkxRenderPass::StrokeInclusive(TPoint A, TPoint B)
{
    if (A == B) return C->SetPixel(A.X, A.Y, *FPenColor);
    C->MoveTo(A.X, A.Y);
    C->LineTo(B.X, B.Y);
    C->SetPixel(B.X, B.Y, *FPenColor);
}

void TkxRenderPass::DrawAcrossPlot(const TkxChartItem& Item, bool Vertical)
{
    UsePen(ItemColor(Item), Item.PenStyle);
    const TPoint p = FirstPoint(Item);
    if (Vertical)
        StrokeInclusive({p.X, FTop}, {p.X, FTop + FPlotH});
    else
        StrokeInclusive({FLeft, p.Y}, {FLeft + FPlotW, p.Y});
}

void TkxRenderPass::DrawCross(const TkxChartItem& Item)
{
    UsePen(ItemColor(Item), Item.PenStyle);
    const TPoint c = FirstPoint(Item);
    const auto [a, b] = Extent(Item);
    StrokeInclusive({a.X, c.Y}, {b.X, c.Y});
    StrokeInclusive({c.X, a.Y}, {c.X, b.Y});
}

void TkxRenderPass::DrawErrorBar(const TkxChartItem& Item)
{
    UsePen(ItemColor(Item), Item.PenStyle);
    const TPoint c = FirstPoint(Item);
    const auto [a, b] = Extent(Item);
    const int t = ErrorTickHalf;
    if (Item.Param1 != 0) {
        StrokeInclusive({a.X, c.Y}, {b.X, c.Y});
        for (const int x : {a.X, b.X}) StrokeInclusive({x, c.Y - t}, {x, c.Y + t});
    } else {
        StrokeInclusive({c.X, a.Y}, {c.X, b.Y});
        for (const int y : {a.Y, b.Y}) StrokeInclusive({c.X - t, y}, {c.X + t, y});
    }
    DrawMark(C, std::uint8_t(Item.Param3), c.X, c.Y);
    if (std::uint8_t(Item.Param3) > 51) FBrushColor.reset(), FFontColor.reset();
}

void TkxRenderPass::DrawArrow(const TkxChartItem& Item, TPoint A, TPoint B, bool BothEnds)
{
    DrawLineItem(Item, A, B);
    if (Item.Param1 < 1 || A == B) return;
    DrawArrowHead(Item, A, B);
    if (BothEnds) DrawArrowHead(Item, B, A);
    FPenPos = B;
}

void TkxRenderPass::DrawArrowHead(const TkxChartItem& Item, TPoint Tail, TPoint Tip)
{
    const double back = std::atan2(double(Tail.Y - Tip.Y), double(Tail.X - Tip.X));
    auto side = [&](double turn) {
        return TPoint{Tip.X + int(std::lround(Item.Param1 * std::cos(back + turn))),
                      Tip.Y + int(std::lround(Item.Param1 * std::sin(back + turn)))};
    };
    const TPoint left = side(ArrowHeadAngle), right = side(-ArrowHeadAngle);
    if (Item.NoFill) {
        StrokeInclusive(Tip, left);
        StrokeInclusive(Tip, right);
        return;
    }
    UseBrush(ItemColor(Item));
    C->Polygon({Tip, left, right});
}

// ---- areas -------------------------------------------------------------------------------------

void TkxRenderPass::DrawRectItem(const TkxChartItem& Item, TPoint A, TPoint B)
{
    if (A == B) return C->SetPixel(A.X, A.Y, ItemColor(Item));
    UseOutlineAndFill(Item);
    C->Rectangle(InclusiveRect(A, B));
}

void TkxRenderPass::DrawFilledRect(const TkxChartItem& Item, TPoint A, TPoint B)
{
    const TColor fill = ItemFill(Item);
    UsePen(fill, Item.PenStyle);
    if (A == B) return C->SetPixel(A.X, A.Y, ItemColor(Item));
    UseBrush(fill);
    const TRect r = InclusiveRect(A, B);
    C->Rectangle(r);
    const int style = Item.EdgeStyle;
    if (style < 2 || style > 5) return;
    const bool firstLight = style == 2 || style == 4;
    const TColor e1 = FMono ? clBlack : Item.EdgeColor1, e2 = FMono ? clBlack : Item.EdgeColor2;
    const TColor topLeft = firstLight ? e1 : e2, bottomRight = firstLight ? e2 : e1;
    const int lines = style >= 4 ? 2 : 1;
    for (int i = 0; i < lines; ++i) {
        const int l = r.Left + i, t = r.Top + i, rr = r.Right - 1 - i, b = r.Bottom - 1 - i;
        if (rr < l || b < t) break;
        UsePen(topLeft, psSolid);
        StrokeInclusive({l, b}, {l, t});
        StrokeInclusive({l, t}, {rr, t});
        UsePen(bottomRight, psSolid);
        StrokeInclusive({rr, t}, {rr, b});
        StrokeInclusive({rr, b}, {l, b});
    }
}

void TkxRenderPass::DrawBar3D(const TkxChartItem& Item, TPoint A, TPoint B)
{
    DrawRectItem(Item, A, B);
    const TRect r = InclusiveRect(A, B);
    const double angle = Item.Param1 * std::numbers::pi / 180.0;
    const int dx = int(std::lround(Item.Param2 * std::cos(angle)));
    const int dy = int(std::lround(Item.Param2 * std::sin(angle)));
    if (dx == 0 && dy == 0) return;
    const int left = r.Left, top = r.Top, right = r.Right - 1, bottom = r.Bottom - 1;
    UseOutlineAndFill(Item);
    C->Polygon({{left, top}, {left + dx, top - dy}, {right + dx, top - dy}, {right, top}});
    C->Polygon({{right, top}, {right + dx, top - dy}, {right + dx, bottom - dy}, {right, bottom}});
}

void TkxRenderPass::DrawEllipseItem(const TkxChartItem& Item, TPoint A, TPoint B)
{
    if (A == B) return C->SetPixel(A.X, A.Y, ItemColor(Item));
    UseOutlineAndFill(Item);
    const TRect r = InclusiveRect(A, B);
    C->Ellipse(r.Left, r.Top, r.Right, r.Bottom);
}

void TkxRenderPass::DrawArc(const TkxChartItem& Item)
{
    UsePen(ItemColor(Item), Item.PenStyle);
    const auto [a, b] = Extent(Item);
    if (a == b) return C->SetPixel(a.X, a.Y, ItemColor(Item));
    const TRect r = InclusiveRect(a, b);
    // Angles come in units of 1e-8 radian, counter-clockwise from the positive x axis.
    const double from = Item.Param1 * 1e-8, to = Item.Param2 * 1e-8;
    const TPoint c = FirstPoint(Item);
    auto ray = [&](double angle) {
        return TPoint{c.X + int(std::lround(1000 * std::cos(angle))),
                      c.Y - int(std::lround(1000 * std::sin(angle)))};
    };
    const TPoint p = ray(from), q = ray(to);
    C->Arc(r.Left, r.Top, r.Right, r.Bottom, p.X, p.Y, q.X, q.Y);
}

// ---- texts -------------------------------------------------------------------------------------

void TkxRenderPass::DrawTextItem(const TkxChartItem& Item, int Index, bool IsAnnotation,
                                 const TkxItemList& List)
{
    TFont* font = C->Font();
    font->SetName(V.TextFont.Name());
    font->SetStyle(V.TextFont.Style());
    font->SetSize(Item.Param1);
    UseFontColor(ItemColor(Item));
    const TColor background = FMono ? clWhite : Item.FillColor;
    const bool solid = Item.Param2 != 0;
    if (solid)
        UseBrush(background);
    else
        UseClearBrush();

    TPoint anchor = FirstPoint(Item);
    if (Item.Kind == ikTextOffset) anchor = {anchor.X + int(Item.X2), anchor.Y + int(Item.Y2)};
    QString text = Item.LineWidth == 0 ? Item.Text.ToString() : List.LongText(Item.LineWidth);
    if (V.OnBeforeRenderText) FireEvent(*V.OnBeforeRenderText, V.Sender, text, Index, IsAnnotation);

    const auto alignment = TAlignment(std::clamp(Item.Param3, 0, 2));
    const TTextBlock block = MeasureTextBlock(C, text, 1);
    const int top = anchor.Y - block.LineHeight / 2;
    const int left = AlignedLeft(anchor.X, block.Width, alignment);
    if (block.Lines.size() == 1) {
        C->TextOut(left, top, text);
    } else {
        if (solid) {
            C->Pen()->SetStyle(psClear);
            C->Rectangle(left - 4, top - 2, left + block.Width + 4, top + block.Height() + 2);
            C->Pen()->SetStyle(*FPenStyle);
        }
        DrawTextBlock(C, block, left, top, alignment);
    }
    if (!solid) C->Brush()->SetStyle(bsSolid);
}

TTextBlock MeasureTextBlock(TCanvas* Canvas, const QString& Text, int ExtraLineSpacing)
{
    TTextBlock block;
    block.Lines = Text.split(QChar(10));
    block.LineHeight = Canvas->TextHeight(Text) + ExtraLineSpacing;
    for (const QString& line : block.Lines) {
        block.Widths.push_back(Canvas->TextWidth(line));
        block.Width = std::max(block.Width, block.Widths.back());
    }
    return block;
}

int AlignedLeft(int X, int Width, TAlignment Alignment)
{
    switch (Alignment) {
    case taRightJustify:
        return X - Width;
    case taCenter:
        return X - Width / 2;
    default:
        return X;
    }
}

void DrawTextBlock(TCanvas* Canvas, const TTextBlock& Block, int Left, int Top,
                   TAlignment Alignment)
{
    for (int i = 0; i < int(Block.Lines.size()); ++i) {
        const int within = Alignment == taRightJustify ? Block.Width - Block.Widths[std::size_t(i)]
                           : Alignment == taCenter
                               ? (Block.Width - Block.Widths[std::size_t(i)]) / 2
                               : 0;
        Canvas->TextOut(Left + within, Top + i * Block.LineHeight, Block.Lines[i]);
    }
}
