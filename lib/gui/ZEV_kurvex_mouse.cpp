// Mouse handling of the chart: the entry points, the double-click rule, axis bands and axis drags,
// the cursors and the pointer report. The gestures inside the plot area live in
// ZEV_kurvex_gestures.cpp.
#include "ZEV_kurvex.h"

#include <QMouseEvent>
#include <QPixmap>
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

void TCustomKurvex::RegisterCursors()
{
    struct TCursorResource {
        int Number;
        const char* File;
        int HotX, HotY;
    };
    // The hand grips at its palm, the magnifiers aim with the centre of their lens.
    static constexpr TCursorResource resources[] = {{1, "curhand", 15, 15},
                                                    {2, "curzoomw", 12, 12},
                                                    {3, "curzoomd", 12, 12},
                                                    {4, "curzoomp", 12, 12}};
    for (const TCursorResource& r : resources) {
        const QPixmap picture(QStringLiteral(":/cursors/%1.png").arg(QLatin1String(r.File)));
        if (!picture.isNull()) Screen::RegisterCursor(r.Number, QCursor(picture, r.HotX, r.HotY));
    }
}

// ---- geometry ----------------------------------------------------------------------------------

bool TCustomKurvex::InPlotArea(int X, int Y) const
{
    return X >= FMarginLeft && X <= FMarginLeft + PlotWidth() && Y >= FMarginTop &&
           Y <= FMarginTop + PlotHeight();
}

QPoint TCustomKurvex::ClampToPlot(QPoint P) const
{
    const int right = FMarginLeft + std::max(0, PlotWidth());
    const int bottom = FMarginTop + std::max(0, PlotHeight());
    return {std::clamp(P.x(), FMarginLeft, right), std::clamp(P.y(), FMarginTop, bottom)};
}

TkxLayerRange TCustomKurvex::RangeOf(int Layer) const
{
    const TkxLayer& l = LayerAt(Layer);
    return {l.PropsX->RangeLow(), l.PropsX->RangeHigh(), l.PropsY->RangeLow(),
            l.PropsY->RangeHigh()};
}

bool TCustomKurvex::InAxisBand(const TScaleProps& Props, int X, int Y, int DepthX, int DepthY) const
{
    const int pos = Props.ScalePos();
    const bool besideY = FMarginTop < Y && Y < Height() - FMarginBottom;
    const bool besideX = FMarginLeft < X && X < Width() - FMarginRight;
    switch (Props.PositionCode()) {
    case spcRight: {
        const int edge = Width() + pos - FMarginRight;
        return besideY && edge < X && X < edge + DepthY;
    }
    case spcLeft: {
        const int edge = FMarginLeft - pos;
        return besideY && edge - DepthY < X && X < edge;
    }
    case spcBottom: {
        const int edge = Height() + pos - FMarginBottom;
        return besideX && edge < Y && Y < edge + DepthX;
    }
    case spcTop: {
        const int edge = FMarginTop - pos;
        return besideX && edge - DepthX < Y && Y < edge;
    }
    }
    return false;
}

int TCustomKurvex::AxisAtPoint(int X, int Y) const
{
    for (int n = 1; n <= kxMaxLayer; ++n) {
        const TScaleProps& y = *LayerAt(n).PropsY;
        if (y.Visible() && InAxisBand(y, X, Y, PickBandDepthX, PickBandDepthY)) return n;
    }
    for (int n = 1; n <= kxMaxLayer; ++n) {
        const TScaleProps& x = *LayerAt(n).PropsX;
        if (x.Visible() && InAxisBand(x, X, Y, PickBandDepthX, PickBandDepthY)) return -n;
    }
    return 0;
}

// ---- entry points ------------------------------------------------------------------------------

void TCustomKurvex::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (FMouse.DoubleClicked) {
        FMouse.DoubleClicked = false;
        return;
    }
    FireEvent(OnMouseDown, this, Button, Shift, X, Y);
    if (IsWindowMode(FMouseAction) && !FMouse.BandActive && Button == mbLeft && InPlotArea(X, Y)) {
        FMouse.BandActive = true;
        FMouse.BandDrawn = false;
        FMouse.BandStart = FMouse.BandEnd = {X, Y};
    }
}

void TCustomKurvex::MouseMove(TShiftState Shift, int X, int Y)
{
    // A handler below may spin the event loop; moves arriving meanwhile are dropped.
    if (FMouse.InMove) return;
    const QScopedValueRollback<bool> guard(FMouse.InMove, true);
    FMouse.Last = {X, Y};
    FireEvent(OnMouseMove, this, Shift, X, Y);
    if (Shift & ssLeft) {
        AxisDragStep(X, Y);
        GestureStep(X, Y);
    } else {
        FMouse.DragActive = false;
    }
    UpdateCursor(X, Y);
    const bool inChart = InPlotArea(X, Y);
    double wx, wy;
    PixelToWorld(FActiveLayer, X, Y, wx, wy);
    if (inChart) FMouse.WorldX = wx, FMouse.WorldY = wy;
    FireEvent(OnMouseMoveInChart, this, inChart, Shift, wx, wy);
}

void TCustomKurvex::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (FMouse.DoubleClicked) {
        FMouse.DoubleClicked = false;
        return;
    }
    FMouse.DragActive = false;
    if (FMouseAction == maDrawMTrace && !FMouseTrace.empty()) FMouseTrace.back().Flags |= 1;
    // A band ends with any button, also when the mode changed while it was drawn.
    if (FMouse.BandActive) {
        FMouse.BandActive = false;
        if (Button == mbLeft && IsWindowMode(FMouseAction))
            FinishWindow();
        else
            EraseBand();
    }
    FireEvent(OnMouseUp, this, Button, Shift, X, Y);
}

void TCustomKurvex::DblClick()
{
    FMouse.DoubleClicked = true;
    if (const int axis = AxisAtPoint(FMouse.Last.x(), FMouse.Last.y()); axis != 0) {
        TScaleProps& props = axis > 0 ? static_cast<TScaleProps&>(*ScalePropsY(axis))
                                      : static_cast<TScaleProps&>(*ScalePropsX(-axis));
        if (props.MouseAction() == maPan)
            props.SetMouseAction(maZoom);
        else if (props.MouseAction() == maZoom)
            props.SetMouseAction(maPan);
    }
    FireEvent(OnDblClick, this);
}

void TCustomKurvex::mouseDoubleClickEvent(QMouseEvent* Event)
{
    const QPoint p = Event->position().toPoint();
    FMouse.Last = p;
    DblClick();
    MouseDown(MouseButtonOf(Event->button()),
              ShiftStateOf(Event->modifiers(), Event->buttons()) | ssDouble, p.x(), p.y());
}

void TCustomKurvex::MouseEnter()
{
    FireEvent(OnMouseEnter, this);
}

void TCustomKurvex::MouseLeave()
{
    FireEvent(OnMouseLeave, this);
}

// ---- drags -------------------------------------------------------------------------------------

void TCustomKurvex::StartDrag(int X, int Y)
{
    FMouse.DragStart = {X, Y};
    for (int n = 1; n <= kxMaxLayer; ++n) FMouse.StartRanges[std::size_t(n - 1)] = RangeOf(n);
    FMouse.DragActive = true;
}

void TCustomKurvex::ChangeRanges(const std::function<void()>& Change)
{
    std::array<TkxLayerRange, kxMaxLayer> before;
    for (int n = 1; n <= kxMaxLayer; ++n) before[std::size_t(n - 1)] = RangeOf(n);
    const bool wasLocked = FUpdateLock;
    FUpdateLock = true;
    Change();
    bool changed = false;
    for (int n = 1; n <= kxMaxLayer; ++n) changed |= before[std::size_t(n - 1)] != RangeOf(n);
    SetUpdateLock(wasLocked);
    if (changed) FireEvent(OnZoomPan, this);
}

void TCustomKurvex::AxisDragStep(int X, int Y)
{
    if (!FMouse.DragActive) {
        if (AxisAtPoint(X, Y) != 0) StartDrag(X, Y);
        return;
    }
    if (FMouse.BandActive) return;
    const QPoint s = FMouse.DragStart;
    // New ends of one axis, or false when the pointer is not in its band or the drag gives none.
    auto drag = [&](const TScaleProps& P, double Low0, double High0, double& Low, double& High) {
        if (P.MouseAction() == maNone || !InAxisBand(P, X, Y, DragBandDepth, DragBandDepth))
            return false;
        return ZoomPanRange(X, Y, s.x(), s.y(), Low0, High0, Low, High, P.Logarithmic(),
                            TScaleType(P.PositionCode()), P.MouseAction(), FMarginLeft,
                            FMarginRight, FMarginTop, FMarginBottom, Width(), Height(), Low, High);
    };
    ChangeRanges([&] {
        for (int n = 1; n <= kxMaxLayer; ++n) {
            const TkxLayerRange& start = FMouse.StartRanges[std::size_t(n - 1)];
            TkxLayerRange r = RangeOf(n);
            if (drag(*LayerAt(n).PropsX, start.LoX, start.HiX, r.LoX, r.HiX))
                SetLayerRange(n, r.LoX, r.LoY, r.HiX, r.HiY);
            r = RangeOf(n);
            if (drag(*LayerAt(n).PropsY, start.LoY, start.HiY, r.LoY, r.HiY))
                SetLayerRange(n, r.LoX, r.LoY, r.HiX, r.HiY);
        }
    });
}

// ---- cursor ------------------------------------------------------------------------------------

void TCustomKurvex::UpdateCursor(int X, int Y)
{
    int cursor = crDefault;
    if (InPlotArea(X, Y) && !FMouseCursorFixed) {
        switch (FMouseAction) {
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
    if (cursor != Cursor()) SetCursor(cursor);
}
