// Mouse handling of the chart: the entry points, the double-click rule, axis bands and axis drags,
// the cursor and the pointer report. The gestures inside the plot area live in
// ZEV_kurvex_gestures.cpp.
#include "ZEV_kurvex_interactor.h"

#include <QScopedValueRollback>

namespace {
// Depth in pixels of the band next to an axis that takes drags, and of the one that finds an
// axis for a double click.
constexpr int DragBandDepth = 50;
constexpr int PickBandDepthY = 50;
constexpr int PickBandDepthX = 40;

bool IsWindowMode(TMouseActMode Mode)
{
    return Mode == maRubberBand || Mode == maZoomWind || Mode == maZoomWindPos ||
           Mode == maSelectRect;
}
} // namespace

// ---- geometry ----------------------------------------------------------------------------------

QPoint TkxInteractor::ClampToPlot(QPoint P) const
{
    const TkxPlotGeometry g = H.Geometry();
    const int right = g.MarginLeft + std::max(0, g.PlotWidth());
    const int bottom = g.MarginTop + std::max(0, g.PlotHeight());
    return {std::clamp(P.x(), g.MarginLeft, right), std::clamp(P.y(), g.MarginTop, bottom)};
}

bool TkxInteractor::InAxisBand(const TScaleProps& Props, int X, int Y, int DepthX, int DepthY) const
{
    const TkxPlotGeometry g = H.Geometry();
    const int pos = Props.ScalePos();
    const bool besideY = g.MarginTop < Y && Y < g.Height - g.MarginBottom;
    const bool besideX = g.MarginLeft < X && X < g.Width - g.MarginRight;
    switch (Props.PositionCode()) {
    case spcRight: {
        const int edge = g.Width + pos - g.MarginRight;
        return besideY && edge < X && X < edge + DepthY;
    }
    case spcLeft: {
        const int edge = g.MarginLeft - pos;
        return besideY && edge - DepthY < X && X < edge;
    }
    case spcBottom: {
        const int edge = g.Height + pos - g.MarginBottom;
        return besideX && edge < Y && Y < edge + DepthX;
    }
    case spcTop: {
        const int edge = g.MarginTop - pos;
        return besideX && edge - DepthX < Y && Y < edge;
    }
    }
    return false;
}

int TkxInteractor::AxisAtPoint(int X, int Y) const
{
    for (int n = 1; n <= kxMaxLayer; ++n) {
        const TScaleProps& y = H.Layers().Y(n);
        if (y.Visible() && InAxisBand(y, X, Y, PickBandDepthX, PickBandDepthY)) return n;
    }
    for (int n = 1; n <= kxMaxLayer; ++n) {
        const TScaleProps& x = H.Layers().X(n);
        if (x.Visible() && InAxisBand(x, X, Y, PickBandDepthX, PickBandDepthY)) return -n;
    }
    return 0;
}

// ---- entry points ------------------------------------------------------------------------------

bool TkxInteractor::SwallowClick()
{
    if (!FDoubleClicked) return false;
    FDoubleClicked = false;
    return true;
}

void TkxInteractor::ButtonDown(TMouseButton Button, int X, int Y)
{
    if (IsWindowMode(Settings.Action) && !FBandActive && Button == mbLeft &&
        H.Geometry().InPlot(X, Y)) {
        FBandActive = true;
        FBandDrawn = false;
        FBandStart = FBandEnd = {X, Y};
    }
}

void TkxInteractor::Move(TShiftState Shift, int X, int Y)
{
    // A handler below may spin the event loop; moves arriving meanwhile are dropped.
    if (FInMove) return;
    const QScopedValueRollback<bool> guard(FInMove, true);
    FLast = {X, Y};
    H.ReportMouseMove(Shift, X, Y);
    if (Shift & ssLeft) {
        AxisDragStep(X, Y);
        GestureStep(X, Y);
    } else {
        FDragActive = false;
    }
    UpdateCursor(X, Y);
    double wx, wy;
    H.Layers().PixelToWorld(H.ActiveLayerOfItems(), X, Y, wx, wy);
    H.ReportPointer(H.Geometry().InPlot(X, Y), Shift, wx, wy);
}

void TkxInteractor::ButtonUp(TMouseButton Button)
{
    FDragActive = false;
    if (Settings.Action == maDrawMTrace && !FTrace.empty()) FTrace.back().Flags |= 1;
    // A band ends with any button, also when the mode changed while it was drawn.
    if (FBandActive) {
        FBandActive = false;
        if (Button == mbLeft && IsWindowMode(Settings.Action))
            FinishWindow();
        else
            EraseBand();
    }
}

void TkxInteractor::DoubleClick()
{
    FDoubleClicked = true;
    if (const int axis = AxisAtPoint(FLast.x(), FLast.y()); axis != 0) {
        TScaleProps& props = axis > 0 ? static_cast<TScaleProps&>(H.Layers().Y(axis))
                                      : static_cast<TScaleProps&>(H.Layers().X(-axis));
        if (props.MouseAction() == maPan)
            props.SetMouseAction(maZoom);
        else if (props.MouseAction() == maZoom)
            props.SetMouseAction(maPan);
    }
}

// ---- drags -------------------------------------------------------------------------------------

void TkxInteractor::StartDrag(int X, int Y)
{
    FDragStart = {X, Y};
    for (int n = 1; n <= kxMaxLayer; ++n) FStartRanges[std::size_t(n - 1)] = H.Layers().Range(n);
    FDragActive = true;
}

void TkxInteractor::ChangeRanges(const std::function<void()>& Change)
{
    std::array<TkxLayerRange, kxMaxLayer> before;
    for (int n = 1; n <= kxMaxLayer; ++n) before[std::size_t(n - 1)] = H.Layers().Range(n);
    const bool wasLocked = H.Lock();
    Change();
    bool changed = false;
    for (int n = 1; n <= kxMaxLayer; ++n)
        changed |= before[std::size_t(n - 1)] != H.Layers().Range(n);
    H.Unlock(wasLocked);
    if (changed) H.ReportZoomPan();
}

void TkxInteractor::AxisDragStep(int X, int Y)
{
    if (!FDragActive) {
        if (AxisAtPoint(X, Y) != 0) StartDrag(X, Y);
        return;
    }
    if (FBandActive) return;
    const QPoint s = FDragStart;
    const TkxPlotGeometry g = H.Geometry();
    // New ends of one axis, or false when the pointer is not in its band or the drag gives none.
    auto drag = [&](const TScaleProps& P, double Low0, double High0, double& Low, double& High) {
        if (P.MouseAction() == maNone || !InAxisBand(P, X, Y, DragBandDepth, DragBandDepth))
            return false;
        return ZoomPanRange(X, Y, s.x(), s.y(), Low0, High0, Low, High, P.Logarithmic(),
                            TScaleType(P.PositionCode()), P.MouseAction(), g.MarginLeft,
                            g.MarginRight, g.MarginTop, g.MarginBottom, g.Width, g.Height, Low,
                            High);
    };
    ChangeRanges([&] {
        for (int n = 1; n <= kxMaxLayer; ++n) {
            const TkxLayerRange& start = FStartRanges[std::size_t(n - 1)];
            TkxLayerRange r = H.Layers().Range(n);
            if (drag(H.Layers().X(n), start.LoX, start.HiX, r.LoX, r.HiX))
                H.SetRanges(n, r.LoX, r.LoY, r.HiX, r.HiY);
            r = H.Layers().Range(n);
            if (drag(H.Layers().Y(n), start.LoY, start.HiY, r.LoY, r.HiY))
                H.SetRanges(n, r.LoX, r.LoY, r.HiX, r.HiY);
        }
    });
}

// ---- cursor ------------------------------------------------------------------------------------

void TkxInteractor::UpdateCursor(int X, int Y)
{
    int cursor = crDefault;
    if (H.Geometry().InPlot(X, Y) && !Settings.CursorFixed) {
        switch (Settings.Action) {
        case maNone:
            cursor = crCross;
            break;
        case maPan:
        case maPanHoriz:
        case maPanVert:
        case maPanGrid:
            cursor = 1;
            break;
        case maZoomWind:
            cursor = 2;
            break;
        case maZoomDrag:
            cursor = 3;
            break;
        case maZoomWindPos:
            cursor = 4;
            break;
        case maRubberBand:
        case maDragCrossH:
        case maDragLabel:
        case maSelectRect:
            break;
        default:
            return;
        }
    }
    H.SetPointerCursor(cursor);
}
