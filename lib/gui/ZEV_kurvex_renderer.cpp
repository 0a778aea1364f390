// The chart's frame (window colour, shadow, caption) and its plot background (colour, picture or
// area); the rendering pass itself lives in ZEV_kurvex_render*.cpp.
#include "ZEV_kurvex_renderer.h"

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

TkxRenderer::TkxRenderer() : FPicture(std::make_unique<TBitmap>()) {}

TkxRenderer::~TkxRenderer() = default;

// ---- frame -------------------------------------------------------------------------------------

void TkxRenderer::PaintFrame(const TkxRenderView& View, TCanvas* c) const
{
    const TkxAppearance& look = View.Look;
    c->Pen()->SetStyle(psSolid);
    c->Pen()->SetMode(pmCopy);
    c->Pen()->SetColor(look.WindColor);
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(look.WindColor);
    c->FillRect(Rect(0, 0, View.Geometry.Width, View.Geometry.Height));
    if (look.ShadowWidth > 0) PaintShadow(View, c);
    PaintCaption(View, c);
}

void TkxRenderer::PaintShadow(const TkxRenderView& View, TCanvas* C)
{
    const TkxAppearance& look = View.Look;
    const int w = View.Geometry.Width, h = View.Geometry.Height, s = look.ShadowWidth;
    C->Brush()->SetColor(look.ShadowBakColor);
    C->FillRect(Rect(w - s, 0, w, h));
    C->FillRect(Rect(0, h - s, w, h));
    const bool flying = look.ShadowStyle == ssFlying;
    const int offset = flying ? s - 1 : 0;
    C->Pen()->SetColor(flying ? look.ShadowColor : clBlack);
    C->Brush()->SetColor(look.ShadowColor);
    C->Polygon({{offset, h - s}, {s - 1, h - 1}, {w - 1, h - 1}, {w - s, h - s}});
    C->Polygon({{w - s, h - s}, {w - 1, h - 1}, {w - 1, s - 1}, {w - s, offset}});
    C->Pen()->SetColor(clBlack);
    C->MoveTo(0, 0);
    C->LineTo(w - s, 0);
    C->LineTo(w - s, h - s);
    C->LineTo(0, h - s);
    C->LineTo(0, 0);
}

void TkxRenderer::PaintCaption(const TkxRenderView& View, TCanvas* C)
{
    const TkxAppearance& look = View.Look;
    if (look.Caption.isEmpty()) return;
    C->Pen()->SetColor(look.ChartFrameColor);
    C->Brush()->SetStyle(bsClear);
    C->Font()->Assign(const_cast<TFont*>(&View.CaptionFont));
    C->Font()->SetColor(look.ChartFrameColor);
    QString text = look.Caption;
    if (look.CaptionTrim != 0)
        text = TrimmedCaption(C, text, look.CaptionRoom(View.Geometry.Width));
    const QPoint anchor = look.CaptionAnchor(View.Geometry.Width, View.Geometry.Height);
    int x = anchor.x();
    const int width = C->TextWidth(text);
    if (look.CaptionAlignment == taRightJustify) x -= width;
    if (look.CaptionAlignment == taCenter) x -= width / 2;
    C->TextOut(x, anchor.y(), text);
    C->Brush()->SetStyle(bsSolid);
}

// ---- plot background ---------------------------------------------------------------------------

bool TkxRenderer::PaintPlotBackground(const TkxRenderView& View, TCanvas* Canvas, int Left, int Top,
                                      int W, int H)
{
    Canvas->Pen()->SetStyle(psSolid);
    Canvas->Pen()->SetMode(pmCopy);
    Canvas->Pen()->SetColor(View.Look.ChartFrameColor);
    Canvas->Brush()->SetStyle(bsSolid);
    Canvas->Brush()->SetColor(View.Look.ChartColor);
    const bool picture = !View.Background.Name().isEmpty();
    if (picture) return PaintPicture(View, Canvas, Left, Top, W, H);
    Canvas->Rectangle(Left, Top, Left + W, Top + H);
    PaintArea(View, Canvas, Left, Top, W, H);
    return true;
}

bool TkxRenderer::PaintPicture(const TkxRenderView& View, TCanvas* C, int Left, int Top, int W,
                               int H)
{
    try {
        FPicture->LoadFromFile(View.Background.Name());
    } catch (const EInOutError&) {
        // A picture that cannot be read is dropped; the plain background stands in for it.
        C->Rectangle(Left, Top, Left + W, Top + H);
        return false;
    }
    const TBitmap* pic = FPicture.get();
    switch (View.Background.FillMode()) {
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

void TkxRenderer::PaintArea(const TkxRenderView& View, TCanvas* C, int Left, int Top, int W, int H)
{
    const TBakGndImg& bg = View.Background;
    if (bg.AreaMode() == bamNone) return;
    const int layer = View.Store.Style.ActiveLayer;
    int xl, yt, xr, yb;
    View.Layers.WorldToPixel(layer, bg.AreaLeft(), bg.AreaTop(), xl, yt);
    View.Layers.WorldToPixel(layer, bg.AreaRight(), bg.AreaBottom(), xr, yb);
    // Control pixels to the canvas, where the plot area starts at (Left, Top).
    const int marginLeft = View.Geometry.MarginLeft, marginTop = View.Geometry.MarginTop;
    xl = LimitForDrawing(xl - marginLeft + Left), xr = LimitForDrawing(xr - marginLeft + Left);
    yt = LimitForDrawing(yt - marginTop + Top), yb = LimitForDrawing(yb - marginTop + Top);
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
