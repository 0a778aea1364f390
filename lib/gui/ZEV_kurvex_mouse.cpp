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

TCanvas* TCustomKurvex::ScreenCanvas()
{
    // Only a picture of the control's size can be drawn over.
    const QImage* screen = Canvas()->Target();
    const QSizeF shown = screen ? screen->deviceIndependentSize() : QSizeF();
    const bool painted =
        std::abs(shown.width() - Width()) < 1 && std::abs(shown.height() - Height()) < 1;
    return painted ? Canvas() : nullptr;
}

void TCustomKurvex::SetPointerCursor(int Cursor)
{
    if (Cursor != this->Cursor()) SetCursor(Cursor);
}

void TCustomKurvex::ReportMouseMove(TShiftState Shift, int X, int Y)
{
    FireEvent(OnMouseMove, this, Shift, X, Y);
}

void TCustomKurvex::ReportPointer(bool InChart, TShiftState Shift, double X, double Y)
{
    FireEvent(OnMouseMoveInChart, this, InChart, Shift, X, Y);
}

void TCustomKurvex::ReportWindow(bool Select, int Layer, double X1, double Y1, double X2, double Y2)
{
    FireEvent(Select ? OnSelectRect : OnRubberBand, this, Layer, X1, Y1, X2, Y2);
}

bool TCustomKurvex::AllowCrossHairMove(int Index, int Dx, int Dy)
{
    bool allow = true;
    FireEvent(OnBeforeCrossHairMove, this, Index, Dx, Dy, allow);
    return allow;
}
