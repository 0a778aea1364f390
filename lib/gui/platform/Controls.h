// Custom-control base: a QWidget with a backing bitmap that Paint() draws into, and the classic
// mouse and keyboard handlers. Screen cursors are addressed by number.
#pragma once

#include "Graphics.h"

#include <QCursor>
#include <QWidget>

enum TMouseButton : std::uint8_t { mbLeft, mbRight, mbMiddle };

enum TShiftFlag : std::uint16_t {
    ssShift = 1,
    ssAlt = 2,
    ssCtrl = 4,
    ssLeft = 8,
    ssRight = 16,
    ssMiddle = 32,
    ssDouble = 64
};
using TShiftState = std::uint16_t;

// Virtual key codes of the classic desktop platform.
enum TVirtualKey : std::uint16_t {
    VK_BACK = 8,
    VK_TAB = 9,
    VK_RETURN = 13,
    VK_SHIFT = 16,
    VK_CONTROL = 17,
    VK_MENU = 18,
    VK_ESCAPE = 27,
    VK_SPACE = 32,
    VK_PRIOR = 33,
    VK_NEXT = 34,
    VK_END = 35,
    VK_HOME = 36,
    VK_LEFT = 37,
    VK_UP = 38,
    VK_RIGHT = 39,
    VK_DOWN = 40,
    VK_INSERT = 45,
    VK_DELETE = 46,
    VK_F1 = 112,
    VK_F2 = 113
};

// Screen cursor numbers; positive numbers are the program's own registered cursors.
enum TCursorNumber : int {
    crDefault = 0,
    crNone = -1,
    crArrow = -2,
    crCross = -3,
    crIBeam = -4,
    crSizeNESW = -6,
    crSizeNS = -7,
    crSizeNWSE = -8,
    crSizeWE = -9,
    crUpArrow = -10,
    crHourGlass = -11,
    crDrag = -12,
    crNoDrop = -13,
    crHSplit = -14,
    crVSplit = -15,
    crMultiDrag = -16,
    crSQLWait = -17,
    crNo = -18,
    crAppStart = -19,
    crHelp = -20,
    crHandPoint = -21,
    crSizeAll = -22
};

namespace Screen {
QCursor Cursor(int Number);
void RegisterCursor(int Number, const QCursor& Cursor);
} // namespace Screen

using TMouseEvent =
    std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;

// Maps toolkit input to the classic values.
TShiftState ShiftStateOf(Qt::KeyboardModifiers Modifiers, Qt::MouseButtons Buttons);
std::uint16_t VirtualKeyOf(int QtKey);
TMouseButton MouseButtonOf(Qt::MouseButton Button);

class TCustomControl : public QWidget, public TComponent {
  public:
    explicit TCustomControl(QWidget* Parent = nullptr);

    TCanvas* Canvas() { return FBacking.Canvas(); }
    TFont* Font() { return &FFont; }
    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    int Left() const { return x(); }
    int Top() const { return y(); }
    int Width() const { return width(); }
    int Height() const { return height(); }
    int ClientWidth() const { return width(); }
    int ClientHeight() const { return height(); }
    void SetBounds(int Left, int Top, int Width, int Height)
    {
        setGeometry(Left, Top, Width, Height);
    }
    int Cursor() const { return FCursor; }
    void SetCursor(int Number);

    // Asks for a full repaint through Paint() at the next paint event.
    void Invalidate();
    // Paints at once through Paint() and shows the result.
    void Repaint();
    // Shows what has been drawn into the backing bitmap without calling Paint().
    void ShowCanvas() { update(); }
    // The picture the control currently shows, painted first when needed.
    const QImage& Picture();

  protected:
    virtual void Paint() {}
    virtual void MouseDown(TMouseButton, TShiftState, int /*X*/, int /*Y*/) {}
    virtual void MouseMove(TShiftState, int /*X*/, int /*Y*/) {}
    virtual void MouseUp(TMouseButton, TShiftState, int /*X*/, int /*Y*/) {}
    virtual void DblClick() {}
    virtual bool DoMouseWheel(TShiftState, int /*WheelDelta*/, QPoint /*MousePos*/)
    {
        return false;
    }
    virtual void MouseEnter() {}
    virtual void MouseLeave() {}
    virtual void KeyDown(std::uint16_t& /*Key*/, TShiftState) {}
    virtual void KeyUp(std::uint16_t& /*Key*/, TShiftState) {}
    virtual void KeyPress(QChar& /*Key*/) {}
    virtual void Resize() {}

    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void mouseDoubleClickEvent(QMouseEvent*) override;
    void wheelEvent(QWheelEvent*) override;
    void enterEvent(QEnterEvent*) override;
    void leaveEvent(QEvent*) override;
    void keyPressEvent(QKeyEvent*) override;
    void keyReleaseEvent(QKeyEvent*) override;
    bool focusNextPrevChild(bool) override { return false; } // Tab reaches KeyDown

  private:
    void PaintIfNeeded();

    TBitmap FBacking;
    TFont FFont;
    TColor FColor = clBtnFace;
    int FCursor = crDefault;
    bool FNeedsPaint = true;
};
