// Axis scale: TScale, the control that shows one axis. It holds the axis' settings
// (ZEV_Scale_settings.h) and paints them through a scale painter (ZEV_Scale_painter.h), either
// onto itself or onto a canvas it is given.
#pragma once

#include "Controls.h"
#include "ZEV_Scale_painter.h"

#include <QString>
#include <functional>

using TScaleMouseEvent =
    std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TScaleMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TScaleContextPopupEvent =
    std::function<void(TObject* Sender, QPoint MousePos, bool& Handled)>;

// ---- the control -------------------------------------------------------------------------------

class TScale : public TCustomControl {
  public:
    static constexpr int MaxRecordedTicks = TScaleTickRecord::MaxRecorded;

    explicit TScale(QWidget* Parent = nullptr);
    ~TScale() override;

    // Every setting at once, taken as the setters below would take it one by one.
    const TScaleSettings& Settings() const { return FSettings; }
    void SetSettings(const TScaleSettings& Value);

    const QString& Caption() const { return FSettings.Caption(); }
    void SetCaption(const QString& Value);
    int CaptionPosX() const { return FSettings.CaptionPosX(); }
    void SetCaptionPosX(int Value);
    int CaptionPosY() const { return FSettings.CaptionPosY(); }
    void SetCaptionPosY(int Value);
    TAlignment CaptionAlignment() const { return FSettings.CaptionAlignment(); }
    void SetCaptionAlignment(TAlignment Value);
    TScaleUnitAnchor CaptionAnchor() const { return FSettings.CaptionAnchor(); }
    void SetCaptionAnchor(TScaleUnitAnchor Value);
    TColor ColorBackGnd() const { return FPainter.Looks().ColorBackGnd; }
    void SetColorBackGnd(TColor Value);
    TColor ColorScale() const { return FSettings.ColorScale(); }
    void SetColorScale(TColor Value);
    TColorScheme ColorScheme() const { return FPainter.Looks().ColorScheme; }
    void SetColorScheme(TColorScheme Value);
    TDTLabel* DateFormat() const { return FSettings.DateFormat(); }
    // Copies the settings of Value; the scale stays the handler of its own object.
    void SetDateFormat(TDTLabel* Value);
    int DecPlaces() const { return FSettings.DecPlaces(); }
    void SetDecPlaces(int Value);
    TFrameStyle FrameStyle() const { return FPainter.Looks().FrameStyle; }
    void SetFrameStyle(TFrameStyle Value);
    TFigType LabelType() const { return FSettings.LabelType(); }
    void SetLabelType(TFigType Value);
    bool Logarithmic() const { return FSettings.Logarithmic(); }
    void SetLogarithmic(bool Value);
    int MarginTop() const { return FGeometry.MarginTop; }
    void SetMarginTop(int Value);
    int MarginBottom() const { return FGeometry.MarginBottom; }
    void SetMarginBottom(int Value);
    int MarginLeft() const { return FGeometry.MarginLeft; }
    void SetMarginLeft(int Value);
    int MarginRight() const { return FGeometry.MarginRight; }
    void SetMarginRight(int Value);
    int MinTicks() const { return FSettings.MinTicks(); }
    void SetMinTicks(int Value);
    TMouseActMode MouseAction() const { return FMouseAction; }
    void SetMouseAction(TMouseActMode Value) { FMouseAction = Value; }
    int NumTicks() const { return FPainter.Ticks().NumTicks(); }
    double RangeLow() const { return FSettings.RangeLow(); }
    void SetRangeLow(double Value);
    double RangeHigh() const { return FSettings.RangeHigh(); }
    void SetRangeHigh(double Value);
    bool ShortTicks() const { return FSettings.ShortTicks(); }
    void SetShortTicks(bool Value);
    bool ShowBaseLine() const { return FPainter.Looks().ShowBaseLine; }
    void SetShowBaseLine(bool Value);
    const QString& ScaleInscript() const { return FSettings.ScaleInscript(); }
    void SetScaleInscript(const QString& Value);
    TScaleType ScaleType() const { return FGeometry.ScaleType; }
    void SetScaleType(TScaleType Value);
    bool Transparent() const { return FPainter.Looks().Transparent; }
    void SetTransparent(bool Value);
    const QString& UserTickText() const { return FSettings.UserTickText(); }
    void SetUserTickText(const QString& Value);
    // Not explicitly hidden. A scale without a parent widget keeps the flag only, so scales
    // that paint onto another control's canvas never open a window of their own.
    bool Visible() const { return FSettings.Visible(); }
    void SetVisible(bool Value);

    // Size changes of a scale that is never shown (one that paints onto another control) reach
    // the map at once, not at the first show.
    void SetBounds(int Left, int Top, int Width, int Height);
    void SetWidth(int Value) { SetBounds(Left(), Top(), Value, Height()); }
    void SetHeight(int Value) { SetBounds(Left(), Top(), Width(), Value); }

    bool SuppressPaint() const { return FSuppressPaint; }
    void SetSuppressPaint(bool Value);
    bool DirectPaint() const { return FDirectPaint; }
    void SetDirectPaint(bool Value);
    bool Loading() const { return FLoading; }
    // Bracket the property writes of a stored layout: no map computation or painting until
    // Loaded(), which also arms the range check of Logarithmic.
    void BeginLoading() { FLoading = true; }
    void Loaded();

    void Redraw();
    void SetRange(double Low, double High);
    // Paints onto Canvas at (X, Y) instead of onto the control; nullptr returns to the control.
    void SetTargetCanvas(TCanvas* Canvas, int X, int Y);
    TCanvas* TargetCanvas() const { return FTargetCanvas; }
    void ForcePaint();
    // Paints a Visible axis onto Target at once through the painter, whatever the control's own
    // state: shown or not, painting held back or not. The chart draws its axes this way.
    void PaintOnto(TCanvas* Target, int X, int Y);
    double TickValue(int Index) const { return FPainter.Ticks().TickValue(Index); }
    void CalcScaleParams();
    int ValueToPixel(double Value) const { return FMap.ValueToPixel(Value, FSettings, Geometry()); }
    // True while values map through their logarithm: a logarithmic scale over a positive range.
    bool LogMapInUse() const { return TScaleMap::Logarithmic(FSettings); }
    double PixPerUnit() const { return FMap.PixPerUnit(); }
    double Offset() const { return FMap.Offset(); }

    void Assign(TPersistent* Source) override;

    TScaleRenderedEvent OnBeforeScaleRendered;
    TScaleRenderedEvent OnAfterScaleRendered;
    TScaleTickDrawnEvent OnScaleTickDrawn;
    TBeforeTickLabelEvent OnBeforeTickLabel;
    TZoomPanEvent OnZoomPan;
    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TScaleMouseEvent OnMouseDown;
    TScaleMouseEvent OnMouseUp;
    TScaleMouseMoveEvent OnMouseMove;
    TScaleContextPopupEvent OnContextPopup;

  protected:
    void AssignTo(TPersistent* Dest) override;
    void Paint() override;
    void Resize() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void DblClick() override;
    void showEvent(QShowEvent*) override;
    void moveEvent(QMoveEvent*) override;
    void contextMenuEvent(QContextMenuEvent*) override;

  private:
    // The one way of every setter: the rule on a copy of the settings; nothing more when
    // nothing changed, otherwise store, remap and repaint.
    template <typename Rule> void ChangeSettings(Rule Apply);
    template <typename T> void ChangeGeometry(T TScaleGeometry::*Field, T Value);
    template <typename T> void ChangeLook(T TScaleLooks::*Field, T Value);
    TScaleGeometry Geometry() const;
    bool MayPaint() const;
    // One painting onto Target when painting is allowed.
    void Render(TCanvas* Target, int OffsetX, int OffsetY);

    TScaleSettings FSettings;
    TScaleGeometry FGeometry; // margins and side; the size is the control's
    TScaleMap FMap;
    TScalePainter FPainter;
    TMouseActMode FMouseAction = maNone;
    TCanvas* FTargetCanvas = nullptr;
    int FTargetX = 0, FTargetY = 0;
    bool FSuppressPaint = true;
    bool FWindowCreated = false;
    bool FDirectPaint = false;
    bool FLoading = false;
    bool FNotLoaded = true; // until Loaded(): Logarithmic is taken without a range check

    bool FDragging = false;
    int FDragX0 = 0, FDragY0 = 0;
    double FDragLow0 = 0.0, FDragHigh0 = 0.0;
    bool FClickPending = false;
};
