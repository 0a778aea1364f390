// Painting of a scale: background and frame, base line, ticks, labels, caption and the notices
// of unusable calendar ranges. The ticks and their texts come from ComputeScaleTicks; this file
// only places them and lets the owner's events see each one.
#include "ZEV_Scale.h"

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
} // namespace

bool TScale::MayPaint() const
{
    return !FLoading && !FSuppressPaint && FVisible;
}

int TScale::BaseCoordinate() const
{
    switch (FScaleType) {
    case sctXB:
        return Height() - FMarginBottom - 1;
    case sctXT:
        return FMarginTop;
    case sctYL:
        return FMarginLeft;
    default:
        return Width() - FMarginRight - 1;
    }
}

int TScale::HorizontalLabelLeft(int TickX, int TextWidth) const
{
    // Centred on the tick, but kept two pixels inside both ends of the control.
    const int half = TextWidth / 2;
    if (TickX + half < Width() - 2) return TickX - std::min(TickX - 2, half);
    return Width() - 2 * half - 2;
}

void TScale::Render(TCanvas* Target, int OffsetX, int OffsetY)
{
    if (!MayPaint() || !Target) return;
    Target->Font()->Assign(Font());
    FireEvent(OnBeforeScaleRendered, this, Target);
    if (FTransparent) {
        Target->Pen()->SetColor(FColorScale);
        const int base = BaseCoordinate() + (Horizontal() ? OffsetY : OffsetX);
        DrawTicksAndLabels(Target, base);
        if (FShowBaseLine) DrawBaseLine(Target, base);
        FireEvent(OnAfterScaleRendered, this, Target);
        return;
    }
    if (!FOpaqueBitmap) FOpaqueBitmap = std::make_unique<TBitmap>();
    FOpaqueBitmap->SetSize(Width(), Height());
    if (FOpaqueBitmap->Empty()) return;
    TCanvas* c = FOpaqueBitmap->Canvas();
    c->Font()->Assign(Font());
    c->Pen()->SetColor(FColorBackGnd);
    c->Brush()->SetColor(FColorBackGnd);
    c->Rectangle(0, 0, Width(), Height());
    c->Pen()->SetColor(FColorScale);
    const int base = BaseCoordinate();
    DrawTicksAndLabels(c, base);
    if (FShowBaseLine) DrawBaseLine(c, base);
    FireEvent(OnAfterScaleRendered, this, c);
    DrawFrame(c, FFrameStyle, 0, 0, Width() - 1, Height() - 1, FColorDark, FColorDark, FColorShadow,
              FrameSilver, FColorLight);
    Target->Draw(OffsetX, OffsetY, FOpaqueBitmap.get());
}

void TScale::DrawBaseLine(TCanvas* C, int Base)
{
    StrokePainter stroke(C);
    if (Horizontal())
        stroke.Line(FMarginLeft, Base, Width() - FMarginRight, Base);
    else
        stroke.Line(Base, FMarginTop, Base, Height() - FMarginBottom);
}

void TScale::DrawTicksAndLabels(TCanvas* C, int Base)
{
    if (FTransparent) {
        C->Brush()->SetStyle(bsClear);
    } else {
        C->Brush()->SetColor(FColorBackGnd);
        C->Brush()->SetStyle(bsSolid);
    }
    TScaleTickSettings s;
    s.RangeLow = FRangeLow, s.RangeHigh = FRangeHigh;
    s.Logarithmic = FLogarithmic;
    s.MinTicks = FMinTicks;
    if (Horizontal() && s.MinTicks != 0) s.MinTicks = std::clamp(s.MinTicks, 2, 20);
    s.ShortTicks = FShortTicks;
    s.DecPlaces = FDecPlaces;
    s.LabelType = FLabelType;
    s.Vertical = !Horizontal();
    s.UserTickText = FUserTickText, s.ScaleInscript = FScaleInscript;
    s.DateFormat = FDateFormat.get();
    FTicks.clear();
    TScaleTicks ticks = ComputeScaleTicks(s);
    if (ticks.Notice != snNone) DrawNotice(C, Base, ticks.Notice);

    // Every label of one font has the same height; measuring it once keeps long axes cheap.
    const int textHeight = C->TextHeight(QStringLiteral("0"));
    const int dir = (FScaleType == sctXB || FScaleType == sctYR) ? -1 : 1;
    auto place = [&](int Pos, const QString& Text, int Lines) {
        const int w = TextWidthOf(C, Text);
        int x, y;
        switch (FScaleType) {
        case sctXB:
            x = HorizontalLabelLeft(Pos, w), y = Base - (Lines + 1) * textHeight - 7;
            break;
        case sctXT:
            x = HorizontalLabelLeft(Pos, w), y = Base + 7 + Lines * textHeight;
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
        const int pos = ValueToPixel(t.Value);
        const int len = Horizontal() ? (t.LongLength ? LongTickH : ShortTickH)
                                     : (t.LongLength ? LongTickV : ShortTickV);
        int chartX, chartY;
        if (Horizontal()) {
            chartX = pos, chartY = Base;
            stroke.Line(pos, Base, pos, Base + dir * len);
        } else {
            chartX = Base, chartY = pos;
            stroke.Line(Base, pos, Base + dir * len, pos);
        }
        if (int(FTicks.size()) < MaxRecordedTicks) FTicks.push_back(t.Value);
        if (OnScaleTickDrawn) {
            stroke.ForText();
            OnScaleTickDrawn(this, C, FScaleType, t.Value, chartX, chartY);
        }
        if (t.Labelled || t.HasDateLine) stroke.ForText();
        if (t.Labelled) {
            FireEvent(OnBeforeTickLabel, this, FScaleType, t.Value, t.Label);
            place(pos, t.Label, 0);
        }
        if (t.HasDateLine) {
            FireEvent(OnBeforeTickLabel, this, FScaleType, t.Value, t.DateLine);
            place(pos, t.DateLine, 1);
        }
    }
    stroke.ForText();
    DrawCaption(C, Base);
}

int TScale::TextWidthOf(TCanvas* C, const QString& Text)
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

void TScale::DrawNotice(TCanvas* C, int Base, TScaleNotice Notice)
{
    const QStringList lines =
        Notice == snInvalidDateTime
            ? QStringList{QStringLiteral("invalid"), QStringLiteral("DateTime"),
                          QStringLiteral("scale")}
            : QStringList{QStringLiteral("DateTime"), QStringLiteral("range is"),
                          QStringLiteral("below 1"), QStringLiteral("second")};
    const int mid = ValueToPixel((FRangeLow + FRangeHigh) / 2);
    if (Horizontal()) {
        const QString text = lines.join(QLatin1Char(' '));
        C->TextOut(mid - C->TextWidth(text) / 2, Base + 7, text);
        return;
    }
    const int lineHeight = C->TextHeight(QStringLiteral("T"));
    for (int i = 0; i < lines.size(); ++i) {
        const int y = mid + (i - 1) * lineHeight;
        const int x = FScaleType == sctYR ? Base - 2 - C->TextWidth(lines[i]) : Base + 2;
        C->TextOut(x, y, lines[i]);
    }
}

void TScale::DrawCaption(TCanvas* C, int Base)
{
    if (FCaption.isEmpty()) return;
    int ax, ay;
    if (Horizontal()) {
        ay = Base;
        ax = FCaptionAnchor == uaSclTopLft ? FMarginLeft
             : FCaptionAnchor == uaSclCenter
                 ? FMarginLeft + (Width() - FMarginLeft - FMarginRight) / 2
                 : Width() - FMarginRight;
    } else {
        ax = Base;
        ay = FCaptionAnchor == uaSclTopLft ? FMarginTop
             : FCaptionAnchor == uaSclCenter
                 ? FMarginTop + (Height() - FMarginTop - FMarginBottom) / 2
                 : Height() - FMarginBottom;
    }
    const int x = ax + FCaptionPosX, y = ay + FCaptionPosY;
    const int w = C->TextWidth(FCaption);
    const int left = FCaptionAlignment == taLeftJustify    ? x
                     : FCaptionAlignment == taRightJustify ? x - w
                                                           : x - w / 2;
    C->TextOut(left, y, FCaption);
}
