#include "Controls.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <map>

namespace Screen {
namespace {
std::map<int, QCursor>& Registered()
{
    static std::map<int, QCursor> cursors;
    return cursors;
}
} // namespace

QCursor Cursor(int Number)
{
    if (auto it = Registered().find(Number); it != Registered().end()) return it->second;
    switch (Number) {
    case crNone:
        return QCursor(Qt::BlankCursor);
    case crCross:
        return QCursor(Qt::CrossCursor);
    case crIBeam:
        return QCursor(Qt::IBeamCursor);
    case crSizeNESW:
        return QCursor(Qt::SizeBDiagCursor);
    case crSizeNS:
    case crVSplit:
        return QCursor(Qt::SizeVerCursor);
    case crSizeNWSE:
        return QCursor(Qt::SizeFDiagCursor);
    case crSizeWE:
    case crHSplit:
        return QCursor(Qt::SizeHorCursor);
    case crUpArrow:
        return QCursor(Qt::UpArrowCursor);
    case crHourGlass:
    case crSQLWait:
        return QCursor(Qt::WaitCursor);
    case crDrag:
    case crMultiDrag:
        return QCursor(Qt::DragMoveCursor);
    case crNoDrop:
    case crNo:
        return QCursor(Qt::ForbiddenCursor);
    case crAppStart:
        return QCursor(Qt::BusyCursor);
    case crHelp:
        return QCursor(Qt::WhatsThisCursor);
    case crHandPoint:
        return QCursor(Qt::PointingHandCursor);
    case crSizeAll:
        return QCursor(Qt::SizeAllCursor);
    default:
        return QCursor(Qt::ArrowCursor);
    }
}

void RegisterCursor(int Number, const QCursor& Cursor)
{
    Registered()[Number] = Cursor;
}
} // namespace Screen

TShiftState ShiftStateOf(Qt::KeyboardModifiers Modifiers, Qt::MouseButtons Buttons)
{
    TShiftState s = 0;
    if (Modifiers & Qt::ShiftModifier) s |= ssShift;
    if (Modifiers & Qt::AltModifier) s |= ssAlt;
    if (Modifiers & Qt::ControlModifier) s |= ssCtrl;
    if (Buttons & Qt::LeftButton) s |= ssLeft;
    if (Buttons & Qt::RightButton) s |= ssRight;
    if (Buttons & Qt::MiddleButton) s |= ssMiddle;
    return s;
}

std::uint16_t VirtualKeyOf(int QtKey)
{
    switch (QtKey) {
    case Qt::Key_Backspace:
        return VK_BACK;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return VK_TAB;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return VK_RETURN;
    case Qt::Key_Shift:
        return VK_SHIFT;
    case Qt::Key_Control:
        return VK_CONTROL;
    case Qt::Key_Alt:
        return VK_MENU;
    case Qt::Key_Escape:
        return VK_ESCAPE;
    case Qt::Key_Space:
        return VK_SPACE;
    case Qt::Key_PageUp:
        return VK_PRIOR;
    case Qt::Key_PageDown:
        return VK_NEXT;
    case Qt::Key_End:
        return VK_END;
    case Qt::Key_Home:
        return VK_HOME;
    case Qt::Key_Left:
        return VK_LEFT;
    case Qt::Key_Up:
        return VK_UP;
    case Qt::Key_Right:
        return VK_RIGHT;
    case Qt::Key_Down:
        return VK_DOWN;
    case Qt::Key_Insert:
        return VK_INSERT;
    case Qt::Key_Delete:
        return VK_DELETE;
    default:
        if (QtKey >= Qt::Key_F1 && QtKey <= Qt::Key_F24)
            return std::uint16_t(VK_F1 + QtKey - Qt::Key_F1);
        if ((QtKey >= Qt::Key_0 && QtKey <= Qt::Key_9) ||
            (QtKey >= Qt::Key_A && QtKey <= Qt::Key_Z))
            return std::uint16_t(QtKey); // letters and digits share their codes
        return 0;
    }
}

TMouseButton MouseButtonOf(Qt::MouseButton b)
{
    return b == Qt::RightButton ? mbRight : b == Qt::MiddleButton ? mbMiddle : mbLeft;
}

TCustomControl::TCustomControl(QWidget* Parent) : QWidget(Parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
}

void TCustomControl::SetColor(TColor Value)
{
    FColor = Value;
    Invalidate();
}

void TCustomControl::SetCursor(int Number)
{
    FCursor = Number;
    setCursor(Screen::Cursor(Number));
}

void TCustomControl::Invalidate()
{
    FNeedsPaint = true;
    update();
}

void TCustomControl::Repaint()
{
    FNeedsPaint = true;
    PaintIfNeeded();
    repaint();
}

const QImage& TCustomControl::Picture()
{
    PaintIfNeeded();
    return FBacking.Image();
}

void TCustomControl::PaintIfNeeded()
{
    // Device pixels of this screen, so that lines and text stay crisp on dense screens.
    if (FBacking.Width() != width() || FBacking.Height() != height() ||
        FBacking.DevicePixelRatio() != devicePixelRatioF()) {
        FBacking.SetDevicePixelRatio(devicePixelRatioF());
        FBacking.SetSize(width(), height());
        FNeedsPaint = true;
    }
    if (!FNeedsPaint || FBacking.Empty()) return;
    FNeedsPaint = false;
    Paint();
}

void TCustomControl::paintEvent(QPaintEvent*)
{
    PaintIfNeeded();
    QPainter p(this);
    p.drawImage(0, 0, FBacking.Image());
}

void TCustomControl::resizeEvent(QResizeEvent*)
{
    FNeedsPaint = true;
    Resize();
}

void TCustomControl::mousePressEvent(QMouseEvent* e)
{
    MouseDown(MouseButtonOf(e->button()), ShiftStateOf(e->modifiers(), e->buttons()),
              e->position().toPoint().x(), e->position().toPoint().y());
}

void TCustomControl::mouseMoveEvent(QMouseEvent* e)
{
    MouseMove(ShiftStateOf(e->modifiers(), e->buttons()), e->position().toPoint().x(),
              e->position().toPoint().y());
}

void TCustomControl::mouseReleaseEvent(QMouseEvent* e)
{
    MouseUp(MouseButtonOf(e->button()), ShiftStateOf(e->modifiers(), e->buttons()),
            e->position().toPoint().x(), e->position().toPoint().y());
}

void TCustomControl::mouseDoubleClickEvent(QMouseEvent* e)
{
    // The classic order: a double click also reports a button press with ssDouble.
    MouseDown(MouseButtonOf(e->button()), ShiftStateOf(e->modifiers(), e->buttons()) | ssDouble,
              e->position().toPoint().x(), e->position().toPoint().y());
    DblClick();
}

void TCustomControl::wheelEvent(QWheelEvent* e)
{
    const bool handled = DoMouseWheel(ShiftStateOf(e->modifiers(), e->buttons()),
                                      e->angleDelta().y(), e->position().toPoint());
    e->setAccepted(handled);
}

void TCustomControl::enterEvent(QEnterEvent*)
{
    MouseEnter();
}
void TCustomControl::leaveEvent(QEvent*)
{
    MouseLeave();
}

void TCustomControl::keyPressEvent(QKeyEvent* e)
{
    std::uint16_t key = VirtualKeyOf(e->key());
    if (key != 0) {
        KeyDown(key, ShiftStateOf(e->modifiers(), Qt::NoButton));
        if (key == 0) return; // the handler swallowed the key
    }
    QString text = e->text();
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) text = QStringLiteral("\r");
    if (text.size() == 1) {
        QChar ch = text.at(0);
        KeyPress(ch);
    }
}

void TCustomControl::keyReleaseEvent(QKeyEvent* e)
{
    std::uint16_t key = VirtualKeyOf(e->key());
    if (key != 0) KeyUp(key, ShiftStateOf(e->modifiers(), Qt::NoButton));
}
