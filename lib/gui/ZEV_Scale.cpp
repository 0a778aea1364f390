// TScale as a control: properties with their setter rules, painting entry points, Assign, and
// the mouse drag that pans and zooms the range.
#include "ZEV_Scale.h"

#include <QContextMenuEvent>
#include <algorithm>

namespace {
// A scale control's band of MinTicks; 0 (unit steps) stays.
int BandedMinTicks(int Value)
{
    return Value == 0 ? 0 : std::clamp(Value, 2, 10);
}
} // namespace

TScale::TScale(QWidget* Parent) : TCustomControl(Parent)
{
    // A control starts from its own defaults, not from those of a chart's property set.
    FSettings.StoreRange(0.0, 100.0);
    FSettings.SetCaptionPosX(4);
    FSettings.SetCaptionPosY(4);
    FSettings.SetVisible(true);
    FSettings.DateFormat()->OnChange = [this](TObject*) { Redraw(); };
    Font()->OnChange = [this](TObject*) { Redraw(); };
    resize(400, 400);
    CalcScaleParams();
}

TScale::~TScale() = default;

// ---- properties --------------------------------------------------------------------------------

template <typename Rule> void TScale::ChangeSettings(Rule Apply)
{
    TScaleSettings s = FSettings;
    Apply(s);
    if (s == FSettings) return;
    FSettings = s; // the own date format keeps its handler
    CalcScaleParams();
    Redraw();
}

template <typename T> void TScale::ChangeGeometry(T TScaleGeometry::*Field, T Value)
{
    if (FGeometry.*Field == Value) return;
    FGeometry.*Field = Value;
    CalcScaleParams();
    Redraw();
}

template <typename T> void TScale::ChangeLook(T TScaleLooks::*Field, T Value)
{
    if (FPainter.Looks().*Field == Value) return;
    FPainter.Looks().*Field = Value;
    Redraw();
}

void TScale::SetSettings(const TScaleSettings& Value)
{
    // A property set keeps rules of its own (MinTicks as given, ends MinRange apart); the scale
    // applies its own on top, the label type last so that its consequences win, as they do
    // when the setters run one by one in their published order.
    ChangeSettings([&](TScaleSettings& s) {
        const bool wasLogarithmic = s.Logarithmic();
        s = Value;
        if (s.RangeLow() == s.RangeHigh()) s.StoreRange(s.RangeLow(), s.RangeLow() + 1);
        s.SetMinTicks(BandedMinTicks(s.MinTicks()));
        s.SetLogarithmic(wasLogarithmic, false);
        s.SetLogarithmic(Value.Logarithmic(), !FNotLoaded);
        s.SetLabelType(s.LabelType());
    });
    if (parentWidget()) QWidget::setVisible(Visible());
}

void TScale::SetCaption(const QString& Value)
{
    ChangeSettings([&](TScaleSettings& s) { s.SetCaption(Value); });
}
void TScale::SetCaptionPosX(int Value)
{
    ChangeSettings([&](TScaleSettings& s) { s.SetCaptionPosX(Value); });
}
void TScale::SetCaptionPosY(int Value)
{
    ChangeSettings([&](TScaleSettings& s) { s.SetCaptionPosY(Value); });
}
void TScale::SetCaptionAlignment(TAlignment Value)
{
    ChangeSettings([&](TScaleSettings& s) { s.SetCaptionAlignment(Value); });
}
void TScale::SetCaptionAnchor(TScaleUnitAnchor Value)
{
    ChangeSettings([&](TScaleSettings& s) { s.SetCaptionAnchor(Value); });
}
void TScale::SetColorScale(TColor Value)
{
    ChangeSettings([&](TScaleSettings& s) { s.SetColorScale(Value); });
}
void TScale::SetDateFormat(TDTLabel* Value)
{
    if (!Value || Value == DateFormat()) return;
    ChangeSettings([&](TScaleSettings& s) { s.SetDateFormat(*Value); });
}
void TScale::SetDecPlaces(int Value)
{
    ChangeSettings([&](TScaleSettings& s) { s.SetDecPlaces(Value); });
}
void TScale::SetLabelType(TFigType Value)
{
    ChangeSettings([&](TScaleSettings& s) { s.SetLabelType(Value); });
}
void TScale::SetLogarithmic(bool Value)
{
    // Scales that never went through Loaded() take the value as it comes, so a range set after
    // the axis type still works.
    ChangeSettings([&](TScaleSettings& s) { s.SetLogarithmic(Value, !FNotLoaded); });
}
void TScale::SetMinTicks(int Value)
{
    ChangeSettings([&](TScaleSettings& s) { s.SetMinTicks(BandedMinTicks(Value)); });
}
void TScale::SetShortTicks(bool Value)
{
    ChangeSettings([&](TScaleSettings& s) { s.SetShortTicks(Value); });
}
void TScale::SetScaleInscript(const QString& Value)
{
    ChangeSettings([&](TScaleSettings& s) { s.SetScaleInscript(Value); });
}
void TScale::SetUserTickText(const QString& Value)
{
    ChangeSettings([&](TScaleSettings& s) { s.SetUserTickText(Value); });
}

// Equal ends are moved one apart: a single end set onto the other pushes that one to it + 1.
void TScale::SetRangeLow(double Value)
{
    ChangeSettings([&](TScaleSettings& s) {
        s.StoreRange(Value, Value == s.RangeHigh() ? Value + 1 : s.RangeHigh());
    });
}
void TScale::SetRangeHigh(double Value)
{
    ChangeSettings([&](TScaleSettings& s) {
        s.StoreRange(Value == s.RangeLow() ? Value + 1 : s.RangeLow(), Value);
    });
}
void TScale::SetRange(double Low, double High)
{
    ChangeSettings([&](TScaleSettings& s) { s.StoreRange(Low, Low == High ? Low + 1 : High); });
}

void TScale::SetColorBackGnd(TColor Value)
{
    ChangeLook(&TScaleLooks::ColorBackGnd, Value);
}
void TScale::SetFrameStyle(TFrameStyle Value)
{
    ChangeLook(&TScaleLooks::FrameStyle, Value);
}
void TScale::SetShowBaseLine(bool Value)
{
    ChangeLook(&TScaleLooks::ShowBaseLine, Value);
}
void TScale::SetTransparent(bool Value)
{
    ChangeLook(&TScaleLooks::Transparent, Value);
}
void TScale::SetColorScheme(TColorScheme Value)
{
    if (Value == ColorScheme()) return;
    FPainter.Looks().SetColorScheme(Value);
    Redraw();
}

void TScale::SetMarginTop(int Value)
{
    ChangeGeometry(&TScaleGeometry::MarginTop, std::max(0, Value));
}
void TScale::SetMarginBottom(int Value)
{
    ChangeGeometry(&TScaleGeometry::MarginBottom, std::max(0, Value));
}
void TScale::SetMarginLeft(int Value)
{
    ChangeGeometry(&TScaleGeometry::MarginLeft, std::max(0, Value));
}
void TScale::SetMarginRight(int Value)
{
    ChangeGeometry(&TScaleGeometry::MarginRight, std::max(0, Value));
}
void TScale::SetScaleType(TScaleType Value)
{
    ChangeGeometry(&TScaleGeometry::ScaleType, Value);
}

void TScale::SetVisible(bool Value)
{
    FSettings.SetVisible(Value);
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
    if (Transparent() && !FDirectPaint) {
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
    if (Transparent() && MayPaint()) {
        Canvas()->Brush()->SetColor(FromQColor(palette().color(backgroundRole())));
        Canvas()->FillRect(Rect(0, 0, Width(), Height()));
    }
    Render(Canvas(), 0, 0);
}

bool TScale::MayPaint() const
{
    return !FLoading && !FSuppressPaint && Visible();
}

void TScale::Render(TCanvas* Target, int OffsetX, int OffsetY)
{
    if (MayPaint()) PaintOnto(Target, OffsetX, OffsetY);
}

void TScale::PaintOnto(TCanvas* Target, int X, int Y)
{
    if (!Visible() || !Target) return;
    FPainter.Paint(Target, X, Y,
                   {FSettings, Geometry(), FMap, Font(), this, OnBeforeScaleRendered,
                    OnScaleTickDrawn, OnBeforeTickLabel, OnAfterScaleRendered});
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

// ---- value-to-pixel map ------------------------------------------------------------------------

TScaleGeometry TScale::Geometry() const
{
    TScaleGeometry g = FGeometry;
    g.Width = Width(), g.Height = Height();
    return g;
}

void TScale::CalcScaleParams()
{
    if (!FLoading) FMap.Update(FSettings, Geometry());
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
    FPainter.Looks() = s->FPainter.Looks();
    FPainter.SetTicks(s->FPainter.Ticks()); // NumTicks follows the list
    OnScaleTickDrawn = s->OnScaleTickDrawn;
    OnBeforeTickLabel = s->OnBeforeTickLabel;
    const bool visible = Visible(); // the platform's, not copied
    FSettings = s->FSettings;       // the own date format keeps its handler
    FSettings.SetVisible(visible);
    FMap = s->FMap;
    FGeometry = s->FGeometry;
    FTargetX = s->FTargetX, FTargetY = s->FTargetY;
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
    const TScaleGeometry& g = FGeometry;
    const bool inBand =
        g.Horizontal() ? g.MarginLeft < X && X < Width() - g.MarginRight && 0 < Y && Y < Height()
                       : 0 < X && X < Width() && g.MarginTop < Y && Y < Height() - g.MarginBottom;
    if (!inBand) return;
    if (!FDragging) {
        FDragging = true;
        FDragX0 = X, FDragY0 = Y;
        FDragLow0 = RangeLow(), FDragHigh0 = RangeHigh();
        return;
    }
    double lo, hi;
    if (!ZoomPanRange(X, Y, FDragX0, FDragY0, FDragLow0, FDragHigh0, RangeLow(), RangeHigh(),
                      LogMapInUse(), g.ScaleType, FMouseAction, g.MarginLeft, g.MarginRight,
                      g.MarginTop, g.MarginBottom, Width(), Height(), lo, hi))
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
