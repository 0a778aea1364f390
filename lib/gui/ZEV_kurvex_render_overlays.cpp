// What the chart draws over its items: the 50 text labels (end of the rendering pass) and the
// four cross-hairs (drawn onto the frame or plot bitmap after the pass).
#include "ZEV_kurvex_render.h"

#include <algorithm>
#include <cmath>

namespace {
// Half-length of the arms of a cross-box cross-hair, and the half-sizes of its squares.
constexpr int CrossBoxArm = 13, CrossBoxOuter = 3, CrossBoxInner = 2, BoxHalf = 4;

int ControlPixel(double V)
{
    if (std::isnan(V)) return 0;
    return int(std::nearbyint(std::clamp(V, -2147483647.0, 2147483647.0)));
}
} // namespace

// ---- text labels -------------------------------------------------------------------------------

void TkxRenderPass::DrawTextLabels()
{
    for (int i = kxNumTextLabels; i >= 1; --i) {
        const TTextLabel& label = *V.TextLabels[std::size_t(i - 1)];
        if (label.Mode() == tlOff || !V.Layers.Shown(label.Layer()) || !label.Visible()) continue;
        DrawTextLabel(label);
    }
}

void TkxRenderPass::DrawTextLabel(const TTextLabel& Label)
{
    int mappedX, mappedY;
    V.Layers.WorldToPixel(Label.Layer(), Label.PosX(), Label.PosY(), mappedX, mappedY);
    const TTxtLblAttachMode attach = Label.AttachToData();
    const bool dataX = attach == tlamXOnly || attach == tlamBoth;
    const bool dataY = attach == tlamYOnly || attach == tlamBoth;
    const TPoint anchor = FromControl(dataX ? mappedX : ControlPixel(Label.PosX()),
                                      dataY ? mappedY : ControlPixel(Label.PosY()));

    C->Font()->Assign(const_cast<TFont*>(Label.Font()));
    FFontColor = Label.Font()->Color();
    const TTextBlock block = MeasureTextBlock(C, Label.Caption(), 0);
    const int left = AlignedLeft(anchor.X, block.Width, Label.Alignment());
    const int top = Label.VerticalAlignment() == vaTop      ? anchor.Y
                    : Label.VerticalAlignment() == vaCenter ? anchor.Y - block.Height() / 2
                                                            : anchor.Y - block.Height();
    const TRect text = Rect(left, top, left + block.Width, top + block.Height());
    const TRect box = Rect(text.Left - 4, text.Top - 2, text.Right + 4, text.Bottom + 2);
    auto rectangle = [this](const TRect& R, TColor Pen, TColor Fill, bool Filled) {
        UsePen(Pen, psSolid);
        if (Filled)
            UseBrush(Fill);
        else
            UseClearBrush();
        C->Rectangle(R);
    };
    const bool opaque = !Label.Transparent();
    switch (Label.Mode()) {
    case tlsimple:
        if (opaque) rectangle(text, Label.ColorBkg(), Label.ColorBkg(), true);
        break;
    case tlBox:
        rectangle(box, Label.ColorBorder(), Label.ColorBkg(), opaque);
        break;
    case tlUnderline:
        if (opaque) rectangle(text, Label.ColorBkg(), Label.ColorBkg(), true);
        UsePen(Label.ColorBorder(), psSolid);
        C->MoveTo(text.Left, text.Bottom);
        C->LineTo(text.Right, text.Bottom);
        break;
    case tlShadow: {
        const TRect shadow = Rect(box.Left + Label.ShadowDx(), box.Top + Label.ShadowDy(),
                                  box.Right + Label.ShadowDx(), box.Bottom + Label.ShadowDy());
        rectangle(shadow, Label.ColorShadow(), Label.ColorShadow(), true);
        rectangle(box, Label.ColorBorder(), Label.ColorBkg(), opaque);
        break;
    }
    case tlOff:
        return;
    }
    if (opaque)
        UseBrush(Label.ColorBkg());
    else
        UseClearBrush();
    DrawTextBlock(C, block, left, top, Label.Alignment());
    C->Brush()->SetStyle(bsSolid);
}

// ---- cross-hairs -------------------------------------------------------------------------------

void TkxRenderer::DrawCrossHairs(const TkxRenderView& View, TCanvas* Canvas, int OffsetX,
                                 int OffsetY)
{
    const bool any = std::any_of(View.CrossHairs.begin(), View.CrossHairs.end(),
                                 [](const auto& c) { return c->Mode() != chOff; });
    if (!Canvas || !any) return;
    TPen pen;
    TBrush brush;
    pen.Assign(Canvas->Pen());
    brush.Assign(Canvas->Brush());
    auto line = [&](int X1, int Y1, int X2, int Y2) {
        Canvas->MoveTo(X1 - OffsetX, Y1 - OffsetY);
        Canvas->LineTo(X2 - OffsetX, Y2 - OffsetY);
    };
    auto square = [&](int X, int Y, int Half, TColor Color) {
        Canvas->Pen()->SetColor(Color);
        Canvas->Rectangle(X - Half - OffsetX, Y - Half - OffsetY, X + Half + 1 - OffsetX,
                          Y + Half + 1 - OffsetY);
    };
    const TkxPlotGeometry& g = View.Geometry;
    const int right = g.PlotRight(), bottom = g.PlotBottom();
    for (int i = kxNumCrossHairs; i >= 1; --i) {
        const TCrossHair& ch = *View.CrossHairs[std::size_t(i - 1)];
        const TCrossHMode mode = ch.Mode();
        if (mode == chOff) continue;
        int x, y;
        View.Layers.WorldToPixel(ch.Layer(), ch.PosX(), ch.PosY(), x, y);
        Canvas->Pen()->SetColor(ch.Color());
        Canvas->Pen()->SetWidth(ch.LineWid());
        Canvas->Pen()->SetStyle(ch.LineType());
        Canvas->Brush()->SetColor(View.Look.ChartColor);
        const int hw = ch.LineWid() / 2;
        // Strict bounds: a line on the plot's edge (or within half its width of it) is hidden.
        const bool rowInside = g.MarginTop + hw < y && y < bottom - hw;
        const bool columnInside = g.MarginLeft + hw < x && x < right - hw;
        if ((mode == chHoriz || mode == chBoth) && rowInside)
            line(g.MarginLeft + hw + 1, y, right - hw, y);
        if ((mode == chVert || mode == chBoth) && columnInside)
            line(x, g.MarginTop + hw + 1, x, bottom - hw);
        if (!rowInside || !columnInside) continue;
        if (mode == chCrossBox) {
            line(x - CrossBoxArm, y, x + CrossBoxArm + 1, y);
            line(x, y - CrossBoxArm, x, y + CrossBoxArm + 1);
            Canvas->Brush()->SetStyle(bsClear);
            Canvas->Pen()->SetStyle(psSolid);
            Canvas->Pen()->SetWidth(1);
            square(x, y, CrossBoxOuter, clWhite);
            square(x, y, CrossBoxInner, clBlack);
        } else if (mode == chBox) {
            Canvas->Brush()->SetStyle(bsClear);
            square(x, y, BoxHalf, ch.Color());
        }
    }
    Canvas->Pen()->Assign(&pen);
    Canvas->Brush()->Assign(&brush);
}
