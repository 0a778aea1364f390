// The chart's mouse handling apart from the widget: axis bands and drags, pan and zoom, rubber
// lines and windows drawn in exclusive-or mode, cross-hair and text-label drags, the free-hand
// trace, the cursor and the pointer report. It reaches the chart only through
// TkxInteractorHost.
#pragma once

#include "Controls.h"
#include "ZEV_Scale_ticks.h"
#include "ZEV_kurvex_appearance.h"
#include "ZEV_kurvex_layers.h"

#include <QPoint>
#include <vector>

using TMouseMoveInChartEvent = std::function<void(TObject* Sender, bool InChart, TShiftState Shift,
                                                  double rMousePosX, double rMousePosY)>;
using TBeforeCrossHMoveEvent =
    std::function<void(TObject* Sender, int WhichCrossHair, int dx, int dy, bool& AllowMove)>;
using TCrossHairMoveEvent = std::function<void(TObject* Sender, int WhichCrossHair)>;
using TTextLabelMoveEvent = std::function<void(TObject* Sender, int WhichTextLabel)>;

// A point of the free-hand mouse trace.
struct TMouseTracePoint {
    double X = 0, Y = 0;
    std::uint16_t Flags = 0; // 1 = pen up after this point, 2 = drawn inverted
    TColor Color = 0;
};

// What the mouse handling needs of the chart.
class TkxInteractorHost {
  public:
    virtual TkxPlotGeometry Geometry() const = 0;
    virtual TkxLayerSet& Layers() = 0;
    virtual bool Isometric() const = 0;
    virtual int ActiveLayerOfItems() const = 0;
    virtual TCrossHair* CrossHair(int Index) const = 0;
    virtual TTextLabel* TextLabel(int Index) const = 0;
    // The chart's coupled range change.
    virtual void SetRanges(int Layer, double LoX, double LoY, double HiX, double HiY) = 0;
    // Sets the update lock and gives its former state; Unlock restores it.
    virtual bool Lock() = 0;
    virtual void Unlock(bool WasLocked) = 0;
    // The control's picture as shown, to draw over; nullptr before it was first painted.
    virtual TCanvas* ScreenCanvas() = 0;
    virtual void ShowScreen() = 0;
    virtual void SetPointerCursor(int Cursor) = 0;
    // The events.
    virtual void ReportMouseMove(TShiftState Shift, int X, int Y) = 0;
    virtual void ReportPointer(bool InChart, TShiftState Shift, double X, double Y) = 0;
    virtual void ReportZoomPan() = 0;
    virtual void ReportWindow(bool Select, int Layer, double X1, double Y1, double X2,
                              double Y2) = 0;
    virtual bool AllowCrossHairMove(int Index, int Dx, int Dy) = 0;
    virtual void ReportCrossHairMove(int Index) = 0;
    virtual void ReportLabelMove(int Index) = 0;

  protected:
    ~TkxInteractorHost() = default;
};

struct TkxMouseSettings {
    TMouseActMode Action = maNone;
    bool CursorFixed = true;
    TColor TraceColor = clWhite;
    bool TraceInvert = true;
    double PanGridDx = 1.0, PanGridDy = 1.0, PanGridOffsX = 0, PanGridOffsY = 0;
};

class TkxInteractor {
  public:
    static constexpr int MaxTracePoints = 5000;
    // Pan and zoom gestures move layer 1 only.
    static bool LayerFollowsMouse(int Layer) { return Layer == 1; }

    explicit TkxInteractor(TkxInteractorHost& Host) : H(Host) {}
    TkxMouseSettings Settings;

    // The axis band under a point: the layer of a y axis, minus the layer of an x axis, or 0.
    int AxisAtPoint(int X, int Y) const;
    const std::vector<TMouseTracePoint>& Trace() const { return FTrace; }
    void ClearTrace() { FTrace.clear(); }

    // ---- entry points
    // True for the button event that follows a double click, which is swallowed.
    bool SwallowClick();
    void ButtonDown(TMouseButton Button, int X, int Y);
    void ButtonUp(TMouseButton Button);
    void Move(TShiftState Shift, int X, int Y);
    // At the point of the last move: toggles the mouse action of an axis between pan and zoom.
    void DoubleClick();
    void SetLastPoint(QPoint P) { FLast = P; }

    // The free-hand trace, with the plot area's top left corner at (Left, Top) of Canvas.
    void PaintTrace(TCanvas* Canvas, int Left, int Top) const;
    // A repaint wipes a band under way off the control; this puts it back.
    void RedrawBand();

  private:
    bool InAxisBand(const TScaleProps& Props, int X, int Y, int DepthX, int DepthY) const;
    QPoint ClampToPlot(QPoint P) const;
    void StartDrag(int X, int Y);
    // Runs Change under the update lock; reports a zoom or pan when a range changed.
    void ChangeRanges(const std::function<void()>& Change);
    void AxisDragStep(int X, int Y);
    void GestureStep(int X, int Y);
    void PanStep(int Layer, int X, int Y);
    void ZoomDragStep(int Layer, int X, int Y);
    void MoveBand(int X, int Y);
    // Draws the band in exclusive-or mode: a second drawing erases it.
    void XorBand();
    void EraseBand();
    void FinishWindow();
    void StartCrossHairDrag(int X, int Y);
    void MoveCrossHair(int X, int Y);
    void StartLabelDrag(int X, int Y);
    void MoveLabel(int X, int Y);
    QPoint LabelAnchor(const TTextLabel& Label) const;
    void AddTracePoint(int X, int Y);
    void DrawTraceSegment(TCanvas* Canvas, const TMouseTracePoint& From, const TMouseTracePoint& To,
                          QPoint Offset) const;
    void UpdateCursor(int X, int Y);

    TkxInteractorHost& H;
    std::vector<TMouseTracePoint> FTrace;
    QPoint FLast;             // control pixels of the last move
    bool FDragActive = false; // pan, zoom drag, axis drag, cross-hair or label drag
    QPoint FDragStart;
    std::array<TkxLayerRange, kxMaxLayer> FStartRanges;
    bool FBandActive = false;
    bool FBandDrawn = false; // the band is on the control now, to be erased by drawing it again
    QPoint FBandStart, FBandEnd;
    bool FDoubleClicked = false; // swallow the next button-down or button-up
    int FCrossHair = 1;
    int FTextLabel = 1;
    bool FInMove = false; // re-entrancy guard of the move handler
};
