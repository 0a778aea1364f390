// TScale as a control: properties with their setter rules, the value-to-pixel map, painting
// entry points, Assign, and the mouse drag that pans and zooms the range.
#include "ZEV_Scale.h"

#include <QContextMenuEvent>
#include <algorithm>
#include <cmath>
#include <limits>

TScale::TScale(QWidget* Parent) : TCustomControl(Parent), FDateFormat(std::make_unique<TDTLabel>())
{
    FDateFormat->SetTimeFormat(tfHHMMSS);
    FDateFormat->SetDateSeparator(QLatin1Char('-'));
    FDateFormat->SetTimeSeparator(QLatin1Char(':'));
    FDateFormat->SetYearLength(ylYYYY);
    FDateFormat->SetMonthName(true);
    FDateFormat->SetDateForTime(dtOnePerDay);
    FDateFormat->SetDateOrder(doDDMMYY);
    HookDateFormat();
    Font()->OnChange = [this](TObject*) { Redraw(); };
    resize(400, 400);
    CalcScaleParams();
}

TScale::~TScale() = default;

void TScale::HookDateFormat()
{
    FDateFormat->OnChange = [this](TObject*) { Redraw(); };
}

void TScale::ApplySchemeColors()
{
    if (FColorScheme == csSystem) {
        FColorShadow = clBtnShadow;
        FColorLight = clBtnHighlight;
    } else {
        FColorShadow = RGB(128, 128, 128);
        FColorLight = clWhite;
    }
}

// ---- properties --------------------------------------------------------------------------------

void TScale::SetCaption(const QString& Value)
{
    FCaption = Value, Redraw();
}
void TScale::SetCaptionPosX(int Value)
{
    FCaptionPosX = Value, Redraw();
}
void TScale::SetCaptionPosY(int Value)
{
    FCaptionPosY = Value, Redraw();
}
void TScale::SetCaptionAlignment(TAlignment Value)
{
    FCaptionAlignment = Value, Redraw();
}
void TScale::SetCaptionAnchor(TScaleUnitAnchor Value)
{
    FCaptionAnchor = Value, Redraw();
}

void TScale::SetColorBackGnd(TColor Value)
{
    if (Value == FColorBackGnd) return;
    FColorBackGnd = Value;
    Redraw();
}

void TScale::SetColorScale(TColor Value)
{
    if (Value == FColorScale) return;
    FColorScale = Value;
    Redraw();
}

void TScale::SetColorScheme(TColorScheme Value)
{
    if (Value == FColorScheme) return;
    FColorScheme = Value;
    ApplySchemeColors();
    Redraw();
}

void TScale::SetDateFormat(TDTLabel* Value)
{
    if (!Value || Value == FDateFormat.get()) return;
    // Assign copies the handler too; the scale stays the handler of its own settings.
    FDateFormat->Assign(Value);
    HookDateFormat();
    Redraw();
}

void TScale::SetDecPlaces(int Value)
{
    FDecPlaces = std::clamp(Value, -3, 12);
    CalcScaleParams();
    Redraw();
}

void TScale::SetFrameStyle(TFrameStyle Value)
{
    if (Value == FFrameStyle) return;
    FFrameStyle = Value;
    Redraw();
}

void TScale::SetLabelType(TFigType Value)
{
    FLabelType = Value;
    if (Value == ftDateTime) {
        FLogarithmic = false;
        CalcScaleParams();
    }
    if (Value == ftTime) FDecPlaces = 4;
    Redraw();
}

void TScale::SetLogarithmic(bool Value)
{
    // Scales that never went through Loaded() take the value as it comes, so a range set after
    // the axis type still works.
    if (Value && !FNotLoaded &&
        !(FRangeLow >= 1e-100 && FRangeHigh >= 1e-100 && FLabelType != ftDateTime))
        return;
    FLogarithmic = Value;
    CalcScaleParams();
    Redraw();
}

void TScale::SetMarginTop(int Value)
{
    FMarginTop = std::max(0, Value), CalcScaleParams(), Redraw();
}
void TScale::SetMarginBottom(int Value)
{
    FMarginBottom = std::max(0, Value), CalcScaleParams(), Redraw();
}
void TScale::SetMarginLeft(int Value)
{
    FMarginLeft = std::max(0, Value), CalcScaleParams(), Redraw();
}
void TScale::SetMarginRight(int Value)
{
    FMarginRight = std::max(0, Value), CalcScaleParams(), Redraw();
}

void TScale::SetMinTicks(int Value)
{
    FMinTicks = Value == 0 ? 0 : std::clamp(Value, 2, 10);
    Redraw();
}

void TScale::SetRangeLow(double Value)
{
    FRangeLow = Value;
    if (FRangeLow == FRangeHigh) FRangeHigh = Value + 1;
    CalcScaleParams();
    Redraw();
}

void TScale::SetRangeHigh(double Value)
{
    FRangeHigh = Value;
    if (FRangeHigh == FRangeLow) FRangeLow = Value + 1;
    CalcScaleParams();
    Redraw();
}

void TScale::SetRange(double Low, double High)
{
    FRangeLow = Low;
    FRangeHigh = Low == High ? Low + 1 : High;
    CalcScaleParams();
    Redraw();
}

void TScale::SetShortTicks(bool Value)
{
    if (Value == FShortTicks) return;
    FShortTicks = Value;
    Redraw();
}

void TScale::SetShowBaseLine(bool Value)
{
    FShowBaseLine = Value, Redraw();
}
void TScale::SetScaleInscript(const QString& Value)
{
    FScaleInscript = Value, Redraw();
}

void TScale::SetScaleType(TScaleType Value)
{
    if (Value == FScaleType) return;
    FScaleType = Value;
    CalcScaleParams();
    Redraw();
}

void TScale::SetTransparent(bool Value)
{
    FTransparent = Value, Redraw();
}
void TScale::SetUserTickText(const QString& Value)
{
    FUserTickText = Value, Redraw();
}

void TScale::SetVisible(bool Value)
{
    FVisible = Value;
    if (parentWidget()) QWidget::setVisible(Value);
}

void TScale::SetSuppressPaint(bool Value)
{
    const bool was = FSuppressPaint;
    FSuppressPaint = Value;
    if (was && !Value) Redraw();
}

void TScale::SetDirectPaint(bool Value)
{
    if (Value == FDirectPaint) return;
    FDirectPaint = Value;
    Redraw();
}

void TScale::Loaded()
{
    FLoading = false;
    FNotLoaded = false;
    CalcScaleParams();
    Redraw();
}

// ---- painting entry points ---------------------------------------------------------------------

void TScale::Redraw()
{
    if (FTransparent && !FDirectPaint) {
        Invalidate();
        return;
    }
    if (!MayPaint()) return;
    if (FTargetCanvas)
        Render(FTargetCanvas, FTargetX, FTargetY);
    else
        Repaint();
}

void TScale::Paint()
{
    if (FTargetCanvas) {
        Render(FTargetCanvas, FTargetX, FTargetY);
        return;
    }
    // The control keeps its picture in a bitmap; a transparent scale starts each painting from
    // the background it stands on, not from its previous ticks.
    if (FTransparent && MayPaint()) {
        Canvas()->Brush()->SetColor(FromQColor(palette().color(backgroundRole())));
        Canvas()->FillRect(Rect(0, 0, Width(), Height()));
    }
    Render(Canvas(), 0, 0);
}

void TScale::SetTargetCanvas(TCanvas* Canvas, int X, int Y)
{
    FTargetCanvas = Canvas;
    FTargetX = X;
    FTargetY = Y;
}

void TScale::ForcePaint()
{
    const bool was = FSuppressPaint;
    FSuppressPaint = false;
    Redraw();
    FSuppressPaint = was;
}

double TScale::TickValue(int Index) const
{
    if (Index < 1 || Index > NumTicks()) return 0.0;
    return FTicks[std::size_t(Index - 1)];
}

// ---- value-to-pixel map ------------------------------------------------------------------------

bool TScale::LogMapInUse() const
{
    // Over a range through zero the ticks fall back to linear ones, and so does the map.
    return FLogarithmic && FRangeLow > 0 && FRangeHigh > 0;
}

void TScale::CalcScaleParams()
{
    if (FLoading || FRangeLow == FRangeHigh) return;
    const bool horizontal = Horizontal();
    const double avail = horizontal ? Width() - FMarginLeft - FMarginRight - 1
                                    : Height() - FMarginTop - FMarginBottom - 1;
    if (avail <= 0) {
        FPixPerUnit = 0, FOffset = (horizontal ? Width() : Height()) / 2.0;
        return;
    }
    // Horizontal axes grow to the right from RangeLow, vertical ones upward to RangeHigh.
    const double from = horizontal ? FRangeLow : FRangeHigh;
    const double to = horizontal ? FRangeHigh : FRangeLow;
    const int start = horizontal ? FMarginLeft : FMarginTop;
    if (LogMapInUse()) {
        FPixPerUnit = avail / (std::log(to) - std::log(from));
        FOffset = start - std::log(from) * FPixPerUnit;
    } else {
        // Halves keep the span finite for ends near the largest doubles.
        FPixPerUnit = avail / 2 / (to / 2 - from / 2);
        FOffset = start - from * FPixPerUnit;
    }
}

int TScale::ValueToPixel(double Value) const
{
    double p;
    if (LogMapInUse()) {
        if (!(Value > 1e-100)) return FRangeHigh >= FRangeLow ? 0 : Width();
        p = FPixPerUnit * std::log(Value) + FOffset;
    } else {
        p = FPixPerUnit * Value + FOffset;
    }
    if (std::isnan(p)) return 0;
    constexpr double limit = std::numeric_limits<int>::max();
    return int(std::nearbyint(std::clamp(p, -limit, limit)));
}

// ---- Assign ------------------------------------------------------------------------------------

void TScale::Assign(TPersistent* Source)
{
    auto* s = dynamic_cast<TScale*>(Source);
    if (!s) {
        TCustomControl::Assign(Source);
        return;
    }
    if (s == this) return;
    FFrameStyle = s->FFrameStyle;
    FColorBackGnd = s->FColorBackGnd, FColorScale = s->FColorScale;
    FColorDark = s->FColorDark, FColorShadow = s->FColorShadow, FColorLight = s->FColorLight;
    FColorScheme = s->FColorScheme;
    OnScaleTickDrawn = s->OnScaleTickDrawn;
    OnBeforeTickLabel = s->OnBeforeTickLabel;
    FLogarithmic = s->FLogarithmic;
    FPixPerUnit = s->FPixPerUnit, FOffset = s->FOffset;
    FRangeLow = s->FRangeLow, FRangeHigh = s->FRangeHigh;
    FShortTicks = s->FShortTicks;
    FMinTicks = s->FMinTicks;
    FDecPlaces = s->FDecPlaces;
    FShowBaseLine = s->FShowBaseLine;
    FTransparent = s->FTransparent;
    FLabelType = s->FLabelType;
    FDateFormat->Assign(s->FDateFormat.get());
    HookDateFormat();
    FMarginTop = s->FMarginTop, FMarginBottom = s->FMarginBottom;
    FMarginLeft = s->FMarginLeft, FMarginRight = s->FMarginRight;
    FCaptionPosX = s->FCaptionPosX, FCaptionPosY = s->FCaptionPosY;
    FUserTickText = s->FUserTickText;
    FScaleInscript = s->FScaleInscript;
    FTicks = s->FTicks; // NumTicks follows the list
    FCaption = s->FCaption;
    FCaptionAnchor = s->FCaptionAnchor;
    FCaptionAlignment = s->FCaptionAlignment;
    FTargetX = s->FTargetX, FTargetY = s->FTargetY;
    FScaleType = s->FScaleType;
    FDirectPaint = s->FDirectPaint;
    OnBeforeScaleRendered = s->OnBeforeScaleRendered;
    OnAfterScaleRendered = s->OnAfterScaleRendered;
    FSuppressPaint = s->FSuppressPaint;
    Redraw();
}

void TScale::AssignTo(TPersistent* Dest)
{
    if (!AssignToOwnKind(this, Dest)) TCustomControl::AssignTo(Dest);
}

// ---- size, visibility and mouse ----------------------------------------------------------------

void TScale::SetBounds(int Left, int Top, int Width, int Height)
{
    const bool changed = Left != this->Left() || Top != this->Top() || Width != this->Width() ||
                         Height != this->Height();
    TCustomControl::SetBounds(Left, Top, Width, Height);
    if (changed && !isVisible()) Resize();
}

void TScale::Resize()
{
    CalcScaleParams();
    Redraw();
}

void TScale::moveEvent(QMoveEvent*)
{
    CalcScaleParams();
    Redraw();
}

void TScale::showEvent(QShowEvent*)
{
    // The window exists now; painting was held back until it did. Later shows keep whatever
    // the owner has set since.
    if (FWindowCreated) return;
    FWindowCreated = true;
    FSuppressPaint = false;
}

void TScale::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    FClickPending = Button == mbLeft && !(Shift & ssDouble);
    FireEvent(OnMouseDown, this, Button, Shift, X, Y);
}

void TScale::MouseMove(TShiftState Shift, int X, int Y)
{
    FireEvent(OnMouseMove, this, Shift, X, Y);
    if (!(Shift & ssLeft)) return;
    const bool inBand =
        Horizontal() ? FMarginLeft < X && X < Width() - FMarginRight && 0 < Y && Y < Height()
                     : 0 < X && X < Width() && FMarginTop < Y && Y < Height() - FMarginBottom;
    if (!inBand) return;
    if (!FDragging) {
        FDragging = true;
        FDragX0 = X, FDragY0 = Y;
        FDragLow0 = FRangeLow, FDragHigh0 = FRangeHigh;
        return;
    }
    double lo, hi;
    if (!ZoomPanRange(X, Y, FDragX0, FDragY0, FDragLow0, FDragHigh0, FRangeLow, FRangeHigh,
                      LogMapInUse(), FScaleType, FMouseAction, FMarginLeft, FMarginRight,
                      FMarginTop, FMarginBottom, Width(), Height(), lo, hi))
        return;
    const bool was = FSuppressPaint;
    FSuppressPaint = true;
    SetRange(lo, hi);
    SetSuppressPaint(was);
    FireEvent(OnZoomPan, this);
}

void TScale::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    FDragging = false;
    FireEvent(OnMouseUp, this, Button, Shift, X, Y);
    if (Button == mbLeft && FClickPending && rect().contains(X, Y)) FireEvent(OnClick, this);
    FClickPending = false;
}

void TScale::DblClick()
{
    if (FMouseAction == maPan)
        FMouseAction = maZoom;
    else if (FMouseAction == maZoom)
        FMouseAction = maPan;
    FireEvent(OnDblClick, this);
}

void TScale::contextMenuEvent(QContextMenuEvent* e)
{
    bool handled = false;
    FireEvent(OnContextPopup, this, e->pos(), handled);
    e->setAccepted(handled);
}
