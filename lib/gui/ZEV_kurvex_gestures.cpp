// Left-button gestures inside the plot area, by MouseAction: panning and zooming of the layers
// that follow the mouse, rubber lines and windows drawn in exclusive-or mode on the control,
// cross-hair and text-label drags, and the free-hand trace.
#include "ZEV_kurvex.h"

#include <cmath>
#include <utility>

namespace {
using TEnds = std::pair<double, double>;

// Ends of an axis that started at Lo0..Hi0, moved by Share of its current span Lo..Hi (on a
// logarithmic axis: multiplied by the span's ratio to the power Share).
TEnds PanAxis(double Lo0, double Hi0, double Lo, double Hi, bool Logarithmic, double Share)
{
    if (Logarithmic) {
        const double f = std::pow(Hi / Lo, Share);
        return {Lo0 * f, Hi0 * f};
    }
    const double d = (Hi - Lo) * Share;
    return {Lo0 + d, Hi0 + d};
}

// The low end on the pan grid: whole steps cut toward zero, plus the offset; the span is kept.
TEnds SnapToGrid(TEnds Ends, double Lo0, double Hi0, double Step, double Offset)
{
    if (Step <= 0) return Ends;
    const double lo = std::trunc(Ends.first / Step) * Step + Offset;
    return {lo, lo + (Hi0 - Lo0)};
}

// Lo0..Hi0 scaled by Factor about its centre; a logarithmic axis scales about its geometric
// centre so that both ends stay positive.
TEnds ZoomAxis(double Lo0, double Hi0, bool Logarithmic, double Factor)
{
    if (Logarithmic && Lo0 > 0 && Hi0 > 0) {
        const double g = std::sqrt(Lo0) * std::sqrt(Hi0);
        return {g * std::pow(Lo0 / g, Factor), g * std::pow(Hi0 / g, Factor)};
    }
    const double mid = Lo0 / 2 + Hi0 / 2, half = (Hi0 - Lo0) * Factor / 2;
    return {mid - half, mid + half};
}

bool IsPanMode(TMouseActMode Mode)
{
    return Mode == maPan || Mode == maPanHoriz || Mode == maPanVert || Mode == maPanGrid;
}

// Orders A and B like the axis Lo..Hi.
void OrderLikeAxis(double& A, double& B, double Lo, double Hi)
{
    if ((A < B) != (Lo < Hi)) std::swap(A, B);
}
} // namespace

void TCustomKurvex::GestureStep(int X, int Y)
{
    switch (FMouseAction) {
    case maPan:
    case maPanHoriz:
    case maPanVert:
    case maPanGrid:
    case maZoomDrag:
        if (!FMouse.DragActive) {
            StartDrag(X, Y);
            return;
        }
        if (!InPlotArea(X, Y)) return;
        ChangeRanges([&] {
            for (int n = 1; n <= kxMaxLayer; ++n) {
                if (!LayerFollowsMouse(n)) continue;
                if (IsPanMode(FMouseAction))
                    PanStep(n, X, Y);
                else
                    ZoomDragStep(n, X, Y);
            }
        });
        break;
    case maRubberBand:
    case maZoomWind:
    case maZoomWindPos:
    case maSelectRect:
        if (FMouse.BandActive) MoveBand(X, Y);
        break;
    case maDragCrossH:
        if (!FMouse.DragActive)
            StartCrossHairDrag(X, Y);
        else if (InPlotArea(X, Y))
            MoveCrossHair(X, Y);
        break;
    case maDragLabel:
        if (!FMouse.DragActive)
            StartLabelDrag(X, Y);
        else
            MoveLabel(X, Y);
        break;
    case maDrawMTrace:
        if (!FMouse.BandActive) AddTracePoint(X, Y);
        break;
    default:
        break;
    }
}

// ---- pan and zoom ------------------------------------------------------------------------------

void TCustomKurvex::PanStep(int Layer, int X, int Y)
{
    const int w = PlotWidth(), h = PlotHeight();
    if (w <= 0 || h <= 0) return;
    const TkxLayerRange& s = FMouse.StartRanges[std::size_t(Layer - 1)];
    const TkxLayerRange cur = RangeOf(Layer);
    const bool logX = LayerAt(Layer).PropsX->Logarithmic();
    const bool logY = LayerAt(Layer).PropsY->Logarithmic();
    TEnds x{cur.LoX, cur.HiX}, y{cur.LoY, cur.HiY};
    if (FMouseAction != maPanVert) {
        x = PanAxis(s.LoX, s.HiX, cur.LoX, cur.HiX, logX, double(FMouse.DragStart.x() - X) / w);
        if (FMouseAction == maPanGrid && !logX)
            x = SnapToGrid(x, s.LoX, s.HiX, FPanGridDx, FPanGridOffsX);
    }
    if (FMouseAction != maPanHoriz) {
        y = PanAxis(s.LoY, s.HiY, cur.LoY, cur.HiY, logY, double(Y - FMouse.DragStart.y()) / h);
        if (FMouseAction == maPanGrid && !logY)
            y = SnapToGrid(y, s.LoY, s.HiY, FPanGridDy, FPanGridOffsY);
    }
    SetLayerRange(Layer, x.first, y.first, x.second, y.second);
}

void TCustomKurvex::ZoomDragStep(int Layer, int X, int Y)
{
    const TkxLayerRange& s = FMouse.StartRanges[std::size_t(Layer - 1)];
    // Moving right or up zooms in.
    const double fx = 1 - double(X - FMouse.DragStart.x()) / Width();
    const double fy = FIsometric ? fx : 1 + double(Y - FMouse.DragStart.y()) / Height();
    const TEnds x = ZoomAxis(s.LoX, s.HiX, LayerAt(Layer).PropsX->Logarithmic(), fx);
    const TEnds y = ZoomAxis(s.LoY, s.HiY, LayerAt(Layer).PropsY->Logarithmic(), fy);
    SetLayerRange(Layer, x.first, y.first, x.second, y.second);
}

// ---- rubber line and windows -------------------------------------------------------------------

void TCustomKurvex::MoveBand(int X, int Y)
{
    QPoint p;
    if (FMouseAction == maRubberBand) {
        p = ClampToPlot({X, Y});
    } else {
        const QPoint s = FMouse.BandStart;
        p = ClampToPlot({X, s.y()});
        if (FIsometric && FMouseAction != maSelectRect) {
            const int dx = p.x() - s.x();
            Y = (Y - s.y()) * dx >= 1 ? s.y() + dx : s.y() - dx;
        }
        p.setY(ClampToPlot({p.x(), Y}).y());
    }
    EraseBand();
    FMouse.BandEnd = p;
    XorBand();
}

void TCustomKurvex::XorBand()
{
    // Nothing is on the control before its first paint; that paint draws the band.
    if (!ControlPainted()) return;
    TCanvas* c = Canvas();
    c->Pen()->SetMode(pmXor);
    c->Pen()->SetStyle(psSolid);
    c->Pen()->SetWidth(1);
    c->Pen()->SetColor(clWhite);
    const QPoint a = FMouse.BandStart, b = FMouse.BandEnd;
    if (FMouseAction == maRubberBand) {
        c->MoveTo(a.x(), a.y());
        c->LineTo(b.x(), b.y());
    } else {
        c->Brush()->SetStyle(bsClear);
        c->Rectangle(std::min(a.x(), b.x()), std::min(a.y(), b.y()), std::max(a.x(), b.x()) + 1,
                     std::max(a.y(), b.y()) + 1);
        c->Brush()->SetStyle(bsSolid);
    }
    c->Pen()->SetMode(pmCopy);
    FMouse.BandDrawn = !FMouse.BandDrawn;
    ShowCanvas();
}

void TCustomKurvex::EraseBand()
{
    if (FMouse.BandDrawn) XorBand();
}

void TCustomKurvex::RedrawMouseBand()
{
    if (!FMouse.BandDrawn) return;
    FMouse.BandDrawn = false;
    XorBand();
}

void TCustomKurvex::FinishWindow()
{
    EraseBand();
    const QPoint a = FMouse.BandStart, b = FMouse.BandEnd;
    if (a.x() == b.x() || a.y() == b.y()) return;
    const bool wasLocked = FUpdateLock;
    FUpdateLock = true;
    for (int n = 1; n <= kxMaxLayer; ++n) {
        if (!LayerFollowsMouse(n)) continue;
        double x1, y1, x2, y2;
        PixelToWorld(n, a.x(), a.y(), x1, y1);
        PixelToWorld(n, b.x(), b.y(), x2, y2);
        const TkxLayerRange r = RangeOf(n);
        switch (FMouseAction) {
        case maRubberBand:
            FireEvent(OnRubberBand, this, n, x1, y1, x2, y2);
            break;
        case maSelectRect:
            OrderLikeAxis(x1, x2, r.LoX, r.HiX);
            OrderLikeAxis(y1, y2, r.LoY, r.HiY);
            FireEvent(OnSelectRect, this, n, x1, y1, x2, y2);
            break;
        case maZoomWindPos:
            OrderLikeAxis(x1, x2, r.LoX, r.HiX);
            OrderLikeAxis(y1, y2, r.LoY, r.HiY);
            SetLayerRange(n, x1, y1, x2, y2);
            break;
        default:
            // Drag order: left to right and top to bottom keep the axes' directions, the
            // opposite drags reverse them.
            SetLayerRange(n, x1, y2, x2, y1);
            break;
        }
    }
    FireEvent(OnZoomPan, this);
    SetUpdateLock(wasLocked);
}

// ---- cross-hairs and text labels ---------------------------------------------------------------

void TCustomKurvex::StartCrossHairDrag(int X, int Y)
{
    int best = 1;
    double bestDistance = HUGE_VAL;
    for (int i = 1; i <= kxNumCrossHairs; ++i) {
        const TCrossHair& ch = *CrossHair(i);
        const TCrossHMode m = ch.Mode();
        if (m == chOff) continue;
        int px, py;
        WorldToPixel(ch.Layer(), ch.PosX(), ch.PosY(), px, py);
        const double dx = X - px, dy = Y - py;
        double d = 0;
        if (m != chHoriz) d += dx * dx; // chVert, chBoth, chCrossBox, chBox
        if (m != chVert) d += dy * dy;  // chHoriz, chBoth, chCrossBox, chBox
        if (d < bestDistance) bestDistance = d, best = i;
    }
    FMouse.CrossHair = best;
    const TCrossHair& ch = *CrossHair(best);
    int px, py;
    WorldToPixel(ch.Layer(), ch.PosX(), ch.PosY(), px, py);
    bool allow = true;
    FireEvent(OnBeforeCrossHairMove, this, best, X - px, Y - py, allow);
    if (allow) FMouse.DragActive = true;
}

void TCustomKurvex::MoveCrossHair(int X, int Y)
{
    TCrossHair& ch = *CrossHair(FMouse.CrossHair);
    double wx, wy;
    PixelToWorld(ch.Layer(), X, Y, wx, wy);
    const bool wasLocked = FUpdateLock;
    FUpdateLock = true;
    ch.SetPosX(wx);
    ch.SetPosY(wy);
    SetUpdateLock(wasLocked);
    FireEvent(OnCrossHairMove, this, FMouse.CrossHair);
}

QPoint TCustomKurvex::LabelAnchor(const TTextLabel& Label) const
{
    const TTxtLblAttachMode m = Label.AttachToData();
    int px, py;
    WorldToPixel(Label.Layer(), Label.PosX(), Label.PosY(), px, py);
    return {m == tlamXOnly || m == tlamBoth ? px : int(std::lround(Label.PosX())),
            m == tlamYOnly || m == tlamBoth ? py : int(std::lround(Label.PosY()))};
}

void TCustomKurvex::StartLabelDrag(int X, int Y)
{
    int best = 1;
    double bestDistance = HUGE_VAL;
    for (int i = 1; i <= kxNumTextLabels; ++i) {
        const TTextLabel& label = *TextLabel(i);
        if (label.Mode() == tlOff || !label.Visible()) continue;
        const QPoint a = LabelAnchor(label);
        const double dx = X - a.x(), dy = Y - a.y();
        if (dx * dx + dy * dy < bestDistance) bestDistance = dx * dx + dy * dy, best = i;
    }
    FMouse.TextLabel = best;
    FMouse.DragActive = true;
}

void TCustomKurvex::MoveLabel(int X, int Y)
{
    TTextLabel& label = *TextLabel(FMouse.TextLabel);
    const TTxtLblAttachMode m = label.AttachToData();
    double wx, wy;
    PixelToWorld(label.Layer(), X, Y, wx, wy);
    const bool wasLocked = FUpdateLock;
    FUpdateLock = true;
    label.SetPosX(m == tlamXOnly || m == tlamBoth ? wx : X);
    label.SetPosY(m == tlamYOnly || m == tlamBoth ? wy : Y);
    SetUpdateLock(wasLocked);
    FireEvent(OnTextLabelMove, this, FMouse.TextLabel);
}

// ---- free-hand trace ---------------------------------------------------------------------------

void TCustomKurvex::AddTracePoint(int X, int Y)
{
    if (FMouseTrace.size() >= std::size_t(MaxMouseTracePoints)) return;
    const QPoint p = ClampToPlot({X, Y});
    TMouseTracePoint point;
    PixelToWorld(FActiveLayer, p.x(), p.y(), point.X, point.Y);
    point.Color = FMouseTraceColor;
    point.Flags = FMouseTraceInvert ? 2 : 0;
    FMouseTrace.push_back(point);
    if (FMouseTrace.size() < 2) return;
    const TMouseTracePoint& previous = FMouseTrace[FMouseTrace.size() - 2];
    if (previous.Flags & 1 || !ControlPainted()) return;
    DrawTraceSegment(Canvas(), previous, point, {0, 0});
    ShowCanvas();
}

void TCustomKurvex::DrawTraceSegment(TCanvas* Canvas, const TMouseTracePoint& From,
                                     const TMouseTracePoint& To, QPoint Offset)
{
    int x1, y1, x2, y2;
    WorldToPixel(FActiveLayer, From.X, From.Y, x1, y1);
    WorldToPixel(FActiveLayer, To.X, To.Y, x2, y2);
    Canvas->Pen()->SetMode(To.Flags & 2 ? pmXor : pmCopy);
    Canvas->Pen()->SetStyle(psSolid);
    Canvas->Pen()->SetWidth(1);
    Canvas->Pen()->SetColor(To.Color);
    Canvas->MoveTo(x1 - Offset.x(), y1 - Offset.y());
    Canvas->LineTo(x2 - Offset.x(), y2 - Offset.y());
    Canvas->Pen()->SetMode(pmCopy);
}

void TCustomKurvex::PaintMouseTrace(TCanvas* Canvas, int Left, int Top)
{
    const QPoint offset(FMarginLeft - Left, FMarginTop - Top);
    for (std::size_t i = 1; i < FMouseTrace.size(); ++i)
        if (!(FMouseTrace[i - 1].Flags & 1))
            DrawTraceSegment(Canvas, FMouseTrace[i - 1], FMouseTrace[i], offset);
}
