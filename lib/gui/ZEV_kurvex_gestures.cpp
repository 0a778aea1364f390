// Left-button gestures inside the plot area, by MouseAction: panning and zooming of the layers
// that follow the mouse, rubber lines and windows drawn in exclusive-or mode on the control,
// cross-hair and text-label drags, and the free-hand trace.
#include "ZEV_kurvex_interactor.h"

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

void TkxInteractor::GestureStep(int X, int Y)
{
    switch (Settings.Action) {
    case maPan:
    case maPanHoriz:
    case maPanVert:
    case maPanGrid:
    case maZoomDrag:
        if (!FDragActive) {
            StartDrag(X, Y);
            return;
        }
        if (!H.Geometry().InPlot(X, Y)) return;
        ChangeRanges([&] {
            for (int n = 1; n <= kxMaxLayer; ++n) {
                if (!LayerFollowsMouse(n)) continue;
                if (IsPanMode(Settings.Action))
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
        if (FBandActive) MoveBand(X, Y);
        break;
    case maDragCrossH:
        if (!FDragActive)
            StartCrossHairDrag(X, Y);
        else if (H.Geometry().InPlot(X, Y))
            MoveCrossHair(X, Y);
        break;
    case maDragLabel:
        if (!FDragActive)
            StartLabelDrag(X, Y);
        else
            MoveLabel(X, Y);
        break;
    case maDrawMTrace:
        if (!FBandActive) AddTracePoint(X, Y);
        break;
    default:
        break;
    }
}

// ---- pan and zoom ------------------------------------------------------------------------------

void TkxInteractor::PanStep(int Layer, int X, int Y)
{
    const TkxPlotGeometry g = H.Geometry();
    const int w = g.PlotWidth(), h = g.PlotHeight();
    if (w <= 0 || h <= 0) return;
    const TkxLayerRange& s = FStartRanges[std::size_t(Layer - 1)];
    const TkxLayerRange cur = H.Layers().Range(Layer);
    const bool logX = H.Layers().X(Layer).Logarithmic();
    const bool logY = H.Layers().Y(Layer).Logarithmic();
    TEnds x{cur.LoX, cur.HiX}, y{cur.LoY, cur.HiY};
    if (Settings.Action != maPanVert) {
        x = PanAxis(s.LoX, s.HiX, cur.LoX, cur.HiX, logX, double(FDragStart.x() - X) / w);
        if (Settings.Action == maPanGrid && !logX)
            x = SnapToGrid(x, s.LoX, s.HiX, Settings.PanGridDx, Settings.PanGridOffsX);
    }
    if (Settings.Action != maPanHoriz) {
        y = PanAxis(s.LoY, s.HiY, cur.LoY, cur.HiY, logY, double(Y - FDragStart.y()) / h);
        if (Settings.Action == maPanGrid && !logY)
            y = SnapToGrid(y, s.LoY, s.HiY, Settings.PanGridDy, Settings.PanGridOffsY);
    }
    H.SetRanges(Layer, x.first, y.first, x.second, y.second);
}

void TkxInteractor::ZoomDragStep(int Layer, int X, int Y)
{
    const TkxLayerRange& s = FStartRanges[std::size_t(Layer - 1)];
    // Moving right or up zooms in.
    const TkxPlotGeometry g = H.Geometry();
    const double fx = 1 - double(X - FDragStart.x()) / g.Width;
    const double fy = H.Isometric() ? fx : 1 + double(Y - FDragStart.y()) / g.Height;
    const TEnds x = ZoomAxis(s.LoX, s.HiX, H.Layers().X(Layer).Logarithmic(), fx);
    const TEnds y = ZoomAxis(s.LoY, s.HiY, H.Layers().Y(Layer).Logarithmic(), fy);
    H.SetRanges(Layer, x.first, y.first, x.second, y.second);
}

// ---- rubber line and windows -------------------------------------------------------------------

void TkxInteractor::MoveBand(int X, int Y)
{
    QPoint p;
    if (Settings.Action == maRubberBand) {
        p = ClampToPlot({X, Y});
    } else {
        const QPoint s = FBandStart;
        p = ClampToPlot({X, s.y()});
        if (H.Isometric() && Settings.Action != maSelectRect) {
            const int dx = p.x() - s.x();
            Y = (Y - s.y()) * dx >= 1 ? s.y() + dx : s.y() - dx;
        }
        p.setY(ClampToPlot({p.x(), Y}).y());
    }
    EraseBand();
    FBandEnd = p;
    XorBand();
}

void TkxInteractor::XorBand()
{
    // Nothing is on the control before its first paint; that paint draws the band.
    TCanvas* c = H.ScreenCanvas();
    if (!c) return;
    c->Pen()->SetMode(pmXor);
    c->Pen()->SetStyle(psSolid);
    c->Pen()->SetWidth(1);
    c->Pen()->SetColor(clWhite);
    const QPoint a = FBandStart, b = FBandEnd;
    if (Settings.Action == maRubberBand) {
        c->MoveTo(a.x(), a.y());
        c->LineTo(b.x(), b.y());
    } else {
        c->Brush()->SetStyle(bsClear);
        c->Rectangle(std::min(a.x(), b.x()), std::min(a.y(), b.y()), std::max(a.x(), b.x()) + 1,
                     std::max(a.y(), b.y()) + 1);
        c->Brush()->SetStyle(bsSolid);
    }
    c->Pen()->SetMode(pmCopy);
    FBandDrawn = !FBandDrawn;
    H.ShowScreen();
}

void TkxInteractor::EraseBand()
{
    if (FBandDrawn) XorBand();
}

void TkxInteractor::RedrawBand()
{
    if (!FBandDrawn) return;
    FBandDrawn = false;
    XorBand();
}

void TkxInteractor::FinishWindow()
{
    EraseBand();
    const QPoint a = FBandStart, b = FBandEnd;
    if (a.x() == b.x() || a.y() == b.y()) return;
    const bool wasLocked = H.Lock();
    for (int n = 1; n <= kxMaxLayer; ++n) {
        if (!LayerFollowsMouse(n)) continue;
        double x1, y1, x2, y2;
        H.Layers().PixelToWorld(n, a.x(), a.y(), x1, y1);
        H.Layers().PixelToWorld(n, b.x(), b.y(), x2, y2);
        const TkxLayerRange r = H.Layers().Range(n);
        switch (Settings.Action) {
        case maRubberBand:
            H.ReportWindow(false, n, x1, y1, x2, y2);
            break;
        case maSelectRect:
            OrderLikeAxis(x1, x2, r.LoX, r.HiX);
            OrderLikeAxis(y1, y2, r.LoY, r.HiY);
            H.ReportWindow(true, n, x1, y1, x2, y2);
            break;
        case maZoomWindPos:
            OrderLikeAxis(x1, x2, r.LoX, r.HiX);
            OrderLikeAxis(y1, y2, r.LoY, r.HiY);
            H.SetRanges(n, x1, y1, x2, y2);
            break;
        default:
            // Drag order: left to right and top to bottom keep the axes' directions, the
            // opposite drags reverse them.
            H.SetRanges(n, x1, y2, x2, y1);
            break;
        }
    }
    H.ReportZoomPan();
    H.Unlock(wasLocked);
}

// ---- cross-hairs and text labels ---------------------------------------------------------------

void TkxInteractor::StartCrossHairDrag(int X, int Y)
{
    int best = 1;
    double bestDistance = HUGE_VAL;
    for (int i = 1; i <= kxNumCrossHairs; ++i) {
        const TCrossHair& ch = *H.CrossHair(i);
        const TCrossHMode m = ch.Mode();
        if (m == chOff) continue;
        int px, py;
        H.Layers().WorldToPixel(ch.Layer(), ch.PosX(), ch.PosY(), px, py);
        const double dx = X - px, dy = Y - py;
        double d = 0;
        if (m != chHoriz) d += dx * dx; // chVert, chBoth, chCrossBox, chBox
        if (m != chVert) d += dy * dy;  // chHoriz, chBoth, chCrossBox, chBox
        if (d < bestDistance) bestDistance = d, best = i;
    }
    FCrossHair = best;
    const TCrossHair& ch = *H.CrossHair(best);
    int px, py;
    H.Layers().WorldToPixel(ch.Layer(), ch.PosX(), ch.PosY(), px, py);
    if (H.AllowCrossHairMove(best, X - px, Y - py)) FDragActive = true;
}

void TkxInteractor::MoveCrossHair(int X, int Y)
{
    TCrossHair& ch = *H.CrossHair(FCrossHair);
    double wx, wy;
    H.Layers().PixelToWorld(ch.Layer(), X, Y, wx, wy);
    const bool wasLocked = H.Lock();
    ch.SetPosX(wx);
    ch.SetPosY(wy);
    H.Unlock(wasLocked);
    H.ReportCrossHairMove(FCrossHair);
}

QPoint TkxInteractor::LabelAnchor(const TTextLabel& Label) const
{
    const TTxtLblAttachMode m = Label.AttachToData();
    int px, py;
    H.Layers().WorldToPixel(Label.Layer(), Label.PosX(), Label.PosY(), px, py);
    return {m == tlamXOnly || m == tlamBoth ? px : int(std::lround(Label.PosX())),
            m == tlamYOnly || m == tlamBoth ? py : int(std::lround(Label.PosY()))};
}

void TkxInteractor::StartLabelDrag(int X, int Y)
{
    int best = 1;
    double bestDistance = HUGE_VAL;
    for (int i = 1; i <= kxNumTextLabels; ++i) {
        const TTextLabel& label = *H.TextLabel(i);
        if (label.Mode() == tlOff || !label.Visible()) continue;
        const QPoint a = LabelAnchor(label);
        const double dx = X - a.x(), dy = Y - a.y();
        if (dx * dx + dy * dy < bestDistance) bestDistance = dx * dx + dy * dy, best = i;
    }
    FTextLabel = best;
    FDragActive = true;
}

void TkxInteractor::MoveLabel(int X, int Y)
{
    TTextLabel& label = *H.TextLabel(FTextLabel);
    const TTxtLblAttachMode m = label.AttachToData();
    double wx, wy;
    H.Layers().PixelToWorld(label.Layer(), X, Y, wx, wy);
    const bool wasLocked = H.Lock();
    label.SetPosX(m == tlamXOnly || m == tlamBoth ? wx : X);
    label.SetPosY(m == tlamYOnly || m == tlamBoth ? wy : Y);
    H.Unlock(wasLocked);
    H.ReportLabelMove(FTextLabel);
}

// ---- free-hand trace ---------------------------------------------------------------------------

void TkxInteractor::AddTracePoint(int X, int Y)
{
    if (FTrace.size() >= std::size_t(MaxTracePoints)) return;
    const QPoint p = ClampToPlot({X, Y});
    TMouseTracePoint point;
    H.Layers().PixelToWorld(H.ActiveLayerOfItems(), p.x(), p.y(), point.X, point.Y);
    point.Color = Settings.TraceColor;
    point.Flags = Settings.TraceInvert ? 2 : 0;
    FTrace.push_back(point);
    if (FTrace.size() < 2) return;
    const TMouseTracePoint& previous = FTrace[FTrace.size() - 2];
    TCanvas* screen = H.ScreenCanvas();
    if (previous.Flags & 1 || !screen) return;
    DrawTraceSegment(screen, previous, point, {0, 0});
    H.ShowScreen();
}

void TkxInteractor::DrawTraceSegment(TCanvas* Canvas, const TMouseTracePoint& From,
                                     const TMouseTracePoint& To, QPoint Offset) const
{
    int x1, y1, x2, y2;
    H.Layers().WorldToPixel(H.ActiveLayerOfItems(), From.X, From.Y, x1, y1);
    H.Layers().WorldToPixel(H.ActiveLayerOfItems(), To.X, To.Y, x2, y2);
    Canvas->Pen()->SetMode(To.Flags & 2 ? pmXor : pmCopy);
    Canvas->Pen()->SetStyle(psSolid);
    Canvas->Pen()->SetWidth(1);
    Canvas->Pen()->SetColor(To.Color);
    Canvas->MoveTo(x1 - Offset.x(), y1 - Offset.y());
    Canvas->LineTo(x2 - Offset.x(), y2 - Offset.y());
    Canvas->Pen()->SetMode(pmCopy);
}

void TkxInteractor::PaintTrace(TCanvas* Canvas, int Left, int Top) const
{
    const TkxPlotGeometry g = H.Geometry();
    const QPoint offset(g.MarginLeft - Left, g.MarginTop - Top);
    for (std::size_t i = 1; i < FTrace.size(); ++i)
        if (!(FTrace[i - 1].Flags & 1)) DrawTraceSegment(Canvas, FTrace[i - 1], FTrace[i], offset);
}
