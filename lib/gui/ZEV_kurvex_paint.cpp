// Painting of the chart: the frame bitmap (window colour, shadow, caption, axes), the plot
// background (colour, picture or area) and the assembly of both onto the control.
#include "ZEV_kurvex.h"

#include <algorithm>
#include <cmath>

namespace {
// Drawing coordinates stay well inside what the canvas can take.
constexpr int DrawLimit = 30000;

int LimitForDrawing(int V)
{
    return std::clamp(V, -DrawLimit, DrawLimit);
}

// Caption cut to Limit pixels: its first characters in proportion, less two, then "...".
QString TrimmedCaption(TCanvas* C, const QString& Caption, int Limit)
{
    const int width = C->TextWidth(Caption);
    if (width <= Limit) return Caption;
    const long keep = std::lround(double(Caption.size()) * Limit / width) - 2;
    return Caption.left(std::max(0L, keep)) + QStringLiteral("...");
}
} // namespace

void TCustomKurvex::Paint()
{
    const bool hidden = testAttribute(Qt::WA_WState_ExplicitShowHide) && isHidden();
    if (hidden || FLoading || FUpdateLock) return;
    PaintFrameBitmap();
    SizePlotBitmap();
    PaintPlotBackground(FPlotBitmap->Canvas(), 0, 0, FPlotBitmap->Width(), FPlotBitmap->Height());
    RenderToBitmap(FPlotBitmap.get(), 0, 0, false, false);
    PaintMouseTrace(FPlotBitmap->Canvas(), 0, 0);
    FFrameBitmap->Canvas()->Draw(FMarginLeft, FMarginTop, FPlotBitmap.get());
    DrawCrossHairs(FFrameBitmap->Canvas(), 0, 0);
    Canvas()->Draw(0, 0, FFrameBitmap.get());
    RedrawMouseBand();
}

void TCustomKurvex::PaintTo(TCanvas* Canvas)
{
    if (!Canvas) return;
    PaintFrame(Canvas);
    const int w = std::max(0, PlotWidth() + 1), h = std::max(0, PlotHeight() + 1);
    PaintPlotBackground(Canvas, FMarginLeft, FMarginTop, w, h);
    RenderItems(Canvas, FMarginLeft, FMarginTop, false, false);
    DrawCrossHairs(Canvas, 0, 0);
}

void TCustomKurvex::PaintFrameBitmap()
{
    FFrameBitmap->SetDevicePixelRatio(devicePixelRatioF());
    FFrameBitmap->SetSize(Width(), Height());
    PaintFrame(FFrameBitmap->Canvas());
}

void TCustomKurvex::PaintFrame(TCanvas* c)
{
    c->Pen()->SetStyle(psSolid);
    c->Pen()->SetMode(pmCopy);
    c->Pen()->SetColor(FWindColor);
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(FWindColor);
    c->FillRect(Rect(0, 0, Width(), Height()));
    if (FShadowWidth > 0) PaintShadow(c);
    PaintCaption(c);
    // Painting never raises: an axis that cannot be mapped is drawn at the middle of the plot.
    ComputeLayerFactors();
    PaintAxes(c);
    FireEvent(OnScalesRendered, this, c, 0, 0);
}

void TCustomKurvex::PaintShadow(TCanvas* C)
{
    const int w = Width(), h = Height(), s = FShadowWidth;
    C->Brush()->SetColor(FShadowBakColor);
    C->FillRect(Rect(w - s, 0, w, h));
    C->FillRect(Rect(0, h - s, w, h));
    const bool flying = FShadowStyle == ssFlying;
    const int offset = flying ? s - 1 : 0;
    C->Pen()->SetColor(flying ? FShadowColor : clBlack);
    C->Brush()->SetColor(FShadowColor);
    C->Polygon({{offset, h - s}, {s - 1, h - 1}, {w - 1, h - 1}, {w - s, h - s}});
    C->Polygon({{w - s, h - s}, {w - 1, h - 1}, {w - 1, s - 1}, {w - s, offset}});
    C->Pen()->SetColor(clBlack);
    C->MoveTo(0, 0);
    C->LineTo(w - s, 0);
    C->LineTo(w - s, h - s);
    C->LineTo(0, h - s);
    C->LineTo(0, 0);
}

void TCustomKurvex::PaintCaption(TCanvas* C)
{
    if (FCaption.isEmpty()) return;
    C->Pen()->SetColor(FChartFrameColor);
    C->Brush()->SetStyle(bsClear);
    C->Font()->Assign(Font());
    C->Font()->SetColor(FChartFrameColor);
    QString text = FCaption;
    if (FCaptionTrim != 0) {
        const int room = Width() - FShadowWidth - FMarginLeft - FMarginRight;
        text = TrimmedCaption(C, text, int(std::nearbyint(double(room) * FCaptionTrim / 100)));
    }
    const int plotRight = Width() - FMarginRight - FShadowWidth;
    int x = FCaptionPosX, y = FCaptionPosY;
    switch (FCaptionAnchorHoriz) {
    case cahControlLeft:
        break;
    case cahChartLeft:
        x += FMarginLeft;
        break;
    case cahChartCenter:
        x += FMarginLeft + (Width() - FMarginLeft - FMarginRight - FShadowWidth) / 2;
        break;
    case cahChartRight:
        x += plotRight;
        break;
    case cahControlRight:
        x += Width();
        break;
    }
    switch (FCaptionAnchorVert) {
    case cavControlTop:
        break;
    case cavChartTop:
        y += FMarginTop;
        break;
    case cavChartCenter:
        y += FMarginTop + (Height() - FMarginTop - FMarginBottom - FShadowWidth) / 2;
        break;
    case cavChartBottom:
        y += Height() - FMarginBottom;
        break;
    case cavControlBottom:
        y += Height();
        break;
    }
    const int width = C->TextWidth(text);
    if (FCaptionAlignment == taRightJustify) x -= width;
    if (FCaptionAlignment == taCenter) x -= width / 2;
    C->TextOut(x, y, text);
    C->Brush()->SetStyle(bsSolid);
}

void TCustomKurvex::PaintAxes(TCanvas* C)
{
    auto paint = [this, C](TScale* scale, const TScaleProps* props) {
        ApplyScaleProps(scale, props);
        scale->PaintOnto(C, 0, 0);
    };
    for (TkxLayer& layer : FLayers) paint(layer.ScaleX.get(), layer.PropsX.get());
    for (TkxLayer& layer : FLayers) paint(layer.ScaleY.get(), layer.PropsY.get());
}

// ---- plot background ---------------------------------------------------------------------------

void TCustomKurvex::PaintPlotBackground(TCanvas* Canvas, int Left, int Top, int W, int H)
{
    Canvas->Pen()->SetStyle(psSolid);
    Canvas->Pen()->SetMode(pmCopy);
    Canvas->Pen()->SetColor(FChartFrameColor);
    Canvas->Brush()->SetStyle(bsSolid);
    Canvas->Brush()->SetColor(FChartColor);
    if (!FBackGroundImg.Name().isEmpty() && PaintPicture(Canvas, Left, Top, W, H)) return;
    Canvas->Rectangle(Left, Top, Left + W, Top + H);
    if (FBackGroundImg.Name().isEmpty()) PaintArea(Canvas, Left, Top, W, H);
}

bool TCustomKurvex::PaintPicture(TCanvas* C, int Left, int Top, int W, int H)
{
    try {
        FPictureBitmap->LoadFromFile(FBackGroundImg.Name());
    } catch (const EInOutError&) {
        // A picture that cannot be read is dropped; the plain background stands in for it.
        C->Rectangle(Left, Top, Left + W, Top + H);
        FBackGroundImg.SetName(QString());
        return true;
    }
    const TBitmap* pic = FPictureBitmap.get();
    switch (FBackGroundImg.FillMode()) {
    case bfSimple:
        C->Rectangle(Left, Top, Left + W, Top + H);
        C->Draw(Left, Top, pic);
        break;
    case bfStretch:
        C->StretchDraw(Rect(Left, Top, Left + W, Top + H), pic);
        break;
    case bfTile:
        if (pic->Empty()) break;
        for (int row = 0; row < (H - 1) / pic->Height() + 1; ++row)
            for (int col = 0; col < (W - 1) / pic->Width() + 1; ++col)
                C->Draw(Left + col * pic->Width(), Top + row * pic->Height(), pic);
        break;
    }
    return true;
}

void TCustomKurvex::PaintArea(TCanvas* C, int Left, int Top, int W, int H)
{
    const TBakGndImg& bg = FBackGroundImg;
    if (bg.AreaMode() == bamNone) return;
    int xl, yt, xr, yb;
    WorldToPixel(FActiveLayer, bg.AreaLeft(), bg.AreaTop(), xl, yt);
    WorldToPixel(FActiveLayer, bg.AreaRight(), bg.AreaBottom(), xr, yb);
    // Control pixels to the canvas, where the plot area starts at (Left, Top).
    xl = LimitForDrawing(xl - FMarginLeft + Left), xr = LimitForDrawing(xr - FMarginLeft + Left);
    yt = LimitForDrawing(yt - FMarginTop + Top), yb = LimitForDrawing(yb - FMarginTop + Top);
    const int right = Left + W, bottom = Top + H;
    C->Pen()->SetColor(bg.AreaColor());
    C->Brush()->SetColor(bg.AreaColor());
    auto fill = [C](int X1, int Y1, int X2, int Y2) {
        C->Rectangle(std::min(X1, X2), std::min(Y1, Y2), std::max(X1, X2), std::max(Y1, Y2));
    };
    switch (bg.AreaMode()) {
    case bamNone:
        break;
    case bamLeft:
        fill(Left, Top, xl, bottom);
        break;
    case bamRight:
        fill(xr, Top, right, bottom);
        break;
    case bamTop:
        fill(Left, Top, right, yt);
        break;
    case bamBottom:
        fill(Left, yb, right, bottom);
        break;
    case bamVStripe:
        fill(xl, Top, xr, bottom);
        break;
    case bamHStripe:
        fill(Left, yt, right, yb);
        break;
    case bamRect:
        fill(xl, yt, xr, yb);
        break;
    case bamRectInv:
        fill(Left, Top, right, yt);
        fill(Left, yb, right, bottom);
        fill(Left, yt, xl, yb);
        fill(xr, yt, right, yb);
        break;
    case bamVStripeInv:
        fill(Left, Top, xl, bottom);
        fill(xr, Top, right, bottom);
        break;
    case bamHStripeInv:
        fill(Left, Top, right, yt);
        fill(Left, yb, right, bottom);
        break;
    }
}

// ---- rendering ---------------------------------------------------------------------------------

void TCustomKurvex::RenderToBitmap(TBitmap* Bitmap, int Left, int Top, bool NoGrid, bool Monochrome)
{
    RenderItems(Bitmap->Canvas(), Left, Top, NoGrid, Monochrome);
}
