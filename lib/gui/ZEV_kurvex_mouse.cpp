// The chart's mouse events as the widget receives them, handed to its interactor, and what the
// interactor asks of the chart: cursors, the update lock, the screen and the events.
#include "ZEV_kurvex.h"

#include <QMouseEvent>
#include <QPixmap>

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

void TCustomKurvex::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (FMouse.SwallowClick()) return;
    FireEvent(OnMouseDown, this, Button, Shift, X, Y);
    FMouse.ButtonDown(Button, X, Y);
}

void TCustomKurvex::MouseMove(TShiftState Shift, int X, int Y)
{
    FMouse.Move(Shift, X, Y);
}

void TCustomKurvex::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (FMouse.SwallowClick()) return;
    FMouse.ButtonUp(Button);
    FireEvent(OnMouseUp, this, Button, Shift, X, Y);
}

void TCustomKurvex::DblClick()
{
    FMouse.DoubleClick();
    FireEvent(OnDblClick, this);
}

void TCustomKurvex::mouseDoubleClickEvent(QMouseEvent* Event)
{
    const QPoint p = Event->position().toPoint();
    FMouse.SetLastPoint(p);
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

// ---- the interactor's host ---------------------------------------------------------------------

namespace {
class TkxFrontHost final : public TkxInteractorHost {
  public:
    TkxFrontHost(TCustomKurvex& Chart, TkxLayerSet& Layers) : K(Chart), FLayers(Layers) {}
    TkxPlotGeometry Geometry() const override { return K.Geometry(); }
    TkxLayerSet& Layers() override { return FLayers; }
    bool Isometric() const override { return K.Isometric(); }
    int ActiveLayerOfItems() const override { return K.ActiveLayer(); }
    TCrossHair* CrossHair(int Index) const override { return K.CrossHair(Index); }
    TTextLabel* TextLabel(int Index) const override { return K.TextLabel(Index); }
    void SetRanges(int Layer, double LoX, double LoY, double HiX, double HiY) override
    {
        K.SetLayerRange(Layer, LoX, LoY, HiX, HiY);
    }
    bool Lock() override
    {
        const bool wasLocked = K.UpdateLock();
        K.SetUpdateLock(true);
        return wasLocked;
    }
    void Unlock(bool WasLocked) override { K.SetUpdateLock(WasLocked); }
    TCanvas* ScreenCanvas() override { return K.PaintedCanvas(); }
    void ShowScreen() override { K.ShowCanvas(); }
    void SetPointerCursor(int Cursor) override
    {
        if (Cursor != K.Cursor()) K.SetCursor(Cursor);
    }
    void ReportMouseMove(TShiftState Shift, int X, int Y) override
    {
        FireEvent(K.OnMouseMove, &K, Shift, X, Y);
    }
    void ReportPointer(bool InChart, TShiftState Shift, double X, double Y) override
    {
        FireEvent(K.OnMouseMoveInChart, &K, InChart, Shift, X, Y);
    }
    void ReportZoomPan() override { FireEvent(K.OnZoomPan, &K); }
    void ReportWindow(bool Select, int Layer, double X1, double Y1, double X2, double Y2) override
    {
        FireEvent(Select ? K.OnSelectRect : K.OnRubberBand, &K, Layer, X1, Y1, X2, Y2);
    }
    bool AllowCrossHairMove(int Index, int Dx, int Dy) override
    {
        bool allow = true;
        FireEvent(K.OnBeforeCrossHairMove, &K, Index, Dx, Dy, allow);
        return allow;
    }
    void ReportCrossHairMove(int Index) override { FireEvent(K.OnCrossHairMove, &K, Index); }
    void ReportLabelMove(int Index) override { FireEvent(K.OnTextLabelMove, &K, Index); }

  private:
    TCustomKurvex& K;
    TkxLayerSet& FLayers;
};
} // namespace

TCustomKurvex::THostPtr TCustomKurvex::MakeMouseHost(TCustomKurvex& Chart)
{
    return {new TkxFrontHost(Chart, Chart.FLayers),
            [](TkxInteractorHost* Host) { delete static_cast<TkxFrontHost*>(Host); }};
}

TCanvas* TCustomKurvex::PaintedCanvas()
{
    const QImage* screen = Canvas()->Target();
    const QSizeF shown = screen ? screen->deviceIndependentSize() : QSizeF();
    const bool painted =
        std::abs(shown.width() - Width()) < 1 && std::abs(shown.height() - Height()) < 1;
    return painted ? Canvas() : nullptr;
}
