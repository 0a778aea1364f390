// Painting of an axis. The ticks and their texts come from ComputeScaleTicks; the painter only
// places them and lets the owner's events see each one.
#include "ZEV_Scale_painter.h"
#include "ZEV_zevbase_draw.h"

#include <algorithm>

namespace {
constexpr int LongTickH = 7, ShortTickH = 4; // horizontal scales
constexpr int LongTickV = 6, ShortTickV = 4; // vertical scales
constexpr TColor FrameSilver = RGB(192, 192, 192);

// Ticks and base lines are axis-parallel strokes. With a plain one-pixel pen a filled
// rectangle sets exactly the pixels of MoveTo/LineTo (end pixel left out) at a fraction of the
// cost; other pens go through LineTo.
class StrokePainter {
  public:
    explicit StrokePainter(TCanvas* C)
        : FC(C), FFast(C->Pen()->Style() == psSolid && C->Pen()->Width() <= 1 &&
                       C->Pen()->Mode() == pmCopy),
          FLabelColor(C->Brush()->Color()), FLabelStyle(C->Brush()->Style())
    {
    }
    ~StrokePainter() { ForText(); }

    void Line(int X0, int Y0, int X1, int Y1)
    {
        if (!FFast) {
            FC->MoveTo(X0, Y0);
            FC->LineTo(X1, Y1);
            return;
        }
        if (!FStrokeBrush) {
            FC->Brush()->SetColor(FC->Pen()->Color());
            FC->Brush()->SetStyle(bsSolid);
            FStrokeBrush = true;
        }
        if (X0 == X1)
            FC->FillRect(Y1 >= Y0 ? Rect(X0, Y0, X0 + 1, Y1) : Rect(X0, Y1 + 1, X0 + 1, Y0 + 1));
        else
            FC->FillRect(X1 >= X0 ? Rect(X0, Y0, X1, Y0 + 1) : Rect(X1 + 1, Y0, X0 + 1, Y0 + 1));
        FC->MoveTo(X1, Y1);
    }

    // Labels and events see the brush the scale set up for text.
    void ForText()
    {
        if (!FStrokeBrush) return;
        FC->Brush()->SetColor(FLabelColor);
        FC->Brush()->SetStyle(FLabelStyle);
        FStrokeBrush = false;
    }

  private:
    TCanvas* FC;
    bool FFast;
    TColor FLabelColor;
    TBrushStyle FLabelStyle;
    bool FStrokeBrush = false;
};

int HorizontalLabelLeft(int TickX, int TextWidth, int Width)
{
    // Centred on the tick, but kept two pixels inside both ends of the control.
    const int half = TextWidth / 2;
    if (TickX + half < Width - 2) return TickX - std::min(TickX - 2, half);
    return Width - 2 * half - 2;
}

int Pixel(const TScaleScene& S, double Value)
{
    return S.Map.ValueToPixel(Value, S.Settings, S.Geometry);
}

void DrawBaseLine(TCanvas* C, int Base, const TScaleGeometry& G)
{
    StrokePainter stroke(C);
    if (G.Horizontal())
        stroke.Line(G.MarginLeft, Base, G.Width - G.MarginRight, Base);
    else
        stroke.Line(Base, G.MarginTop, Base, G.Height - G.MarginBottom);
}

void DrawNotice(TCanvas* C, int Base, TScaleNotice Notice, const TScaleScene& S)
{
    const QStringList lines =
        Notice == snInvalidDateTime
            ? QStringList{QStringLiteral("invalid"), QStringLiteral("DateTime"),
                          QStringLiteral("scale")}
            : QStringList{QStringLiteral("DateTime"), QStringLiteral("range is"),
                          QStringLiteral("below 1"), QStringLiteral("second")};
    const int mid = Pixel(S, (S.Settings.RangeLow() + S.Settings.RangeHigh()) / 2);
    if (S.Geometry.Horizontal()) {
        const QString text = lines.join(QLatin1Char(' '));
        C->TextOut(mid - C->TextWidth(text) / 2, Base + 7, text);
        return;
    }
    const int lineHeight = C->TextHeight(QStringLiteral("T"));
    for (int i = 0; i < lines.size(); ++i) {
        const int y = mid + (i - 1) * lineHeight;
        const int x = S.Geometry.ScaleType == sctYR ? Base - 2 - C->TextWidth(lines[i]) : Base + 2;
        C->TextOut(x, y, lines[i]);
    }
}

void DrawCaption(TCanvas* C, int Base, const TScaleSettings& S, const TScaleGeometry& G)
{
    if (S.Caption().isEmpty()) return;
    const TScaleUnitAnchor anchor = S.CaptionAnchor();
    int ax, ay;
    if (G.Horizontal()) {
        ay = Base;
        ax = anchor == uaSclTopLft   ? G.MarginLeft
             : anchor == uaSclCenter ? G.MarginLeft + (G.Width - G.MarginLeft - G.MarginRight) / 2
                                     : G.Width - G.MarginRight;
    } else {
        ax = Base;
        ay = anchor == uaSclTopLft   ? G.MarginTop
             : anchor == uaSclCenter ? G.MarginTop + (G.Height - G.MarginTop - G.MarginBottom) / 2
                                     : G.Height - G.MarginBottom;
    }
    const int x = ax + S.CaptionPosX(), y = ay + S.CaptionPosY();
    const int w = C->TextWidth(S.Caption());
    const int left = S.CaptionAlignment() == taLeftJustify    ? x
                     : S.CaptionAlignment() == taRightJustify ? x - w
                                                              : x - w / 2;
    C->TextOut(left, y, S.Caption());
}
} // namespace

void TScaleLooks::SetColorScheme(TColorScheme Value)
{
    ColorScheme = Value;
    if (Value == csSystem) {
        ColorShadow = clBtnShadow;
        ColorLight = clBtnHighlight;
    } else {
        ColorShadow = RGB(128, 128, 128);
        ColorLight = clWhite;
    }
}

TScalePainter::TScalePainter() = default;
TScalePainter::~TScalePainter() = default;

void TScalePainter::Paint(TCanvas* Target, int OffsetX, int OffsetY, const TScaleScene& Scene)
{
    const TScaleGeometry& g = Scene.Geometry;
    const TScaleLooks& looks = FLooks;
    Target->Font()->Assign(Scene.Font);
    FireEvent(Scene.BeforeRendered, Scene.Sender, Target);
    if (looks.Transparent) {
        Target->Pen()->SetColor(Scene.Settings.ColorScale());
        const int base = g.BaseCoordinate() + (g.Horizontal() ? OffsetY : OffsetX);
        DrawTicksAndLabels(Target, base, Scene);
        if (looks.ShowBaseLine) DrawBaseLine(Target, base, g);
        FireEvent(Scene.AfterRendered, Scene.Sender, Target);
        return;
    }
    if (!FOpaqueBitmap) FOpaqueBitmap = std::make_unique<TBitmap>();
    FOpaqueBitmap->SetSize(g.Width, g.Height);
    if (FOpaqueBitmap->Empty()) return;
    TCanvas* c = FOpaqueBitmap->Canvas();
    c->Font()->Assign(Scene.Font);
    c->Pen()->SetColor(looks.ColorBackGnd);
    c->Brush()->SetColor(looks.ColorBackGnd);
    c->Rectangle(0, 0, g.Width, g.Height);
    c->Pen()->SetColor(Scene.Settings.ColorScale());
    const int base = g.BaseCoordinate();
    DrawTicksAndLabels(c, base, Scene);
    if (looks.ShowBaseLine) DrawBaseLine(c, base, g);
    FireEvent(Scene.AfterRendered, Scene.Sender, c);
    DrawFrame(c, looks.FrameStyle, 0, 0, g.Width - 1, g.Height - 1, looks.ColorDark,
              looks.ColorDark, looks.ColorShadow, FrameSilver, looks.ColorLight);
    Target->Draw(OffsetX, OffsetY, FOpaqueBitmap.get());
}

void TScalePainter::DrawTicksAndLabels(TCanvas* C, int Base, const TScaleScene& Scene)
{
    const TScaleGeometry& g = Scene.Geometry;
    if (FLooks.Transparent) {
        C->Brush()->SetStyle(bsClear);
    } else {
        C->Brush()->SetColor(FLooks.ColorBackGnd);
        C->Brush()->SetStyle(bsSolid);
    }
    const TScaleType type = g.ScaleType;
    const bool horizontal = g.Horizontal();
    FTicks.Clear();
    TScaleTicks ticks = ComputeScaleTicks(Scene.Settings, type);
    if (ticks.Notice != snNone) DrawNotice(C, Base, ticks.Notice, Scene);

    // Every label of one font has the same height; measuring it once keeps long axes cheap.
    const int textHeight = C->TextHeight(QStringLiteral("0"));
    const int dir = (type == sctXB || type == sctYR) ? -1 : 1;
    auto place = [&](int Pos, const QString& Text, int Lines) {
        const int w = TextWidthOf(C, Text);
        int x, y;
        switch (type) {
        case sctXB:
            x = HorizontalLabelLeft(Pos, w, g.Width), y = Base - (Lines + 1) * textHeight - 7;
            break;
        case sctXT:
            x = HorizontalLabelLeft(Pos, w, g.Width), y = Base + 7 + Lines * textHeight;
            break;
        case sctYL:
            x = Base + 8, y = Pos - (Lines ? 3 : 1) * (textHeight / 2);
            break;
        default:
            x = Base - w - 8, y = Pos - (Lines ? 3 : 1) * (textHeight / 2);
            break;
        }
        C->TextOut(x, y, Text);
    };
    StrokePainter stroke(C);
    for (TScaleTick& t : ticks.Ticks) {
        const int pos = Pixel(Scene, t.Value);
        const int len = horizontal ? (t.LongLength ? LongTickH : ShortTickH)
                                   : (t.LongLength ? LongTickV : ShortTickV);
        int chartX, chartY;
        if (horizontal) {
            chartX = pos, chartY = Base;
            stroke.Line(pos, Base, pos, Base + dir * len);
        } else {
            chartX = Base, chartY = pos;
            stroke.Line(Base, pos, Base + dir * len, pos);
        }
        FTicks.Add(t.Value);
        if (Scene.TickDrawn) {
            stroke.ForText();
            Scene.TickDrawn(Scene.Sender, C, type, t.Value, chartX, chartY);
        }
        if (t.Labelled || t.HasDateLine) stroke.ForText();
        if (t.Labelled) {
            FireEvent(Scene.BeforeTickLabel, Scene.Sender, type, t.Value, t.Label);
            place(pos, t.Label, 0);
        }
        if (t.HasDateLine) {
            FireEvent(Scene.BeforeTickLabel, Scene.Sender, type, t.Value, t.DateLine);
            place(pos, t.DateLine, 1);
        }
    }
    stroke.ForText();
    DrawCaption(C, Base, Scene.Settings, g);
}

int TScalePainter::TextWidthOf(TCanvas* C, const QString& Text)
{
    // An axis repaints the same labels again and again; measuring means shaping the text.
    const QFont font = C->Font()->ToQFont();
    if (!(font == FWidthFont) || FWidths.size() > 2048) {
        FWidths.clear();
        FWidthFont = font;
    }
    auto it = FWidths.constFind(Text);
    if (it != FWidths.constEnd()) return it.value();
    const int w = C->TextWidth(Text);
    FWidths.insert(Text, w);
    return w;
}
