// Axis scale: TScale, the control that paints one axis either on itself or onto a canvas it is
// given. The tick and label arithmetic it paints from is in ZEV_Scale_ticks.h.
#pragma once

#include "Controls.h"
#include "ZEV_Scale_ticks.h"
#include "ZEV_zevbase_draw.h"

#include <QFont>
#include <QHash>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class TDTLabel;

enum TScaleUnitAnchor : std::uint8_t { uaSclTopLft, uaSclCenter, uaSclBotRgt };

using TScaleRenderedEvent = std::function<void(TObject* Sender, TCanvas* Canvas)>;
using TScaleTickDrawnEvent =
    std::function<void(TObject* Sender, TCanvas* Canvas, TScaleType ScaleType,
                       double CurrentTickPos, int ChartX, int ChartY)>;
using TBeforeTickLabelEvent = std::function<void(TObject* Sender, TScaleType ScaleType,
                                                 double CurrentTickPos, QString& TickLabel)>;
using TScaleMouseEvent =
    std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TScaleMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TScaleContextPopupEvent =
    std::function<void(TObject* Sender, QPoint MousePos, bool& Handled)>;

// ---- the control -------------------------------------------------------------------------------

class TScale : public TCustomControl {
  public:
    static constexpr int MaxRecordedTicks = 250;

    explicit TScale(QWidget* Parent = nullptr);
    ~TScale() override;

    const QString& Caption() const { return FCaption; }
    void SetCaption(const QString& Value);
    int CaptionPosX() const { return FCaptionPosX; }
    void SetCaptionPosX(int Value);
    int CaptionPosY() const { return FCaptionPosY; }
    void SetCaptionPosY(int Value);
    TAlignment CaptionAlignment() const { return FCaptionAlignment; }
    void SetCaptionAlignment(TAlignment Value);
    TScaleUnitAnchor CaptionAnchor() const { return FCaptionAnchor; }
    void SetCaptionAnchor(TScaleUnitAnchor Value);
    TColor ColorBackGnd() const { return FColorBackGnd; }
    void SetColorBackGnd(TColor Value);
    TColor ColorScale() const { return FColorScale; }
    void SetColorScale(TColor Value);
    TColorScheme ColorScheme() const { return FColorScheme; }
    void SetColorScheme(TColorScheme Value);
    TDTLabel* DateFormat() const { return FDateFormat.get(); }
    void SetDateFormat(TDTLabel* Value);
    int DecPlaces() const { return FDecPlaces; }
    void SetDecPlaces(int Value);
    TFrameStyle FrameStyle() const { return FFrameStyle; }
    void SetFrameStyle(TFrameStyle Value);
    TFigType LabelType() const { return FLabelType; }
    void SetLabelType(TFigType Value);
    bool Logarithmic() const { return FLogarithmic; }
    void SetLogarithmic(bool Value);
    int MarginTop() const { return FMarginTop; }
    void SetMarginTop(int Value);
    int MarginBottom() const { return FMarginBottom; }
    void SetMarginBottom(int Value);
    int MarginLeft() const { return FMarginLeft; }
    void SetMarginLeft(int Value);
    int MarginRight() const { return FMarginRight; }
    void SetMarginRight(int Value);
    int MinTicks() const { return FMinTicks; }
    void SetMinTicks(int Value);
    TMouseActMode MouseAction() const { return FMouseAction; }
    void SetMouseAction(TMouseActMode Value) { FMouseAction = Value; }
    int NumTicks() const { return int(FTicks.size()); }
    double RangeLow() const { return FRangeLow; }
    void SetRangeLow(double Value);
    double RangeHigh() const { return FRangeHigh; }
    void SetRangeHigh(double Value);
    bool ShortTicks() const { return FShortTicks; }
    void SetShortTicks(bool Value);
    bool ShowBaseLine() const { return FShowBaseLine; }
    void SetShowBaseLine(bool Value);
    const QString& ScaleInscript() const { return FScaleInscript; }
    void SetScaleInscript(const QString& Value);
    TScaleType ScaleType() const { return FScaleType; }
    void SetScaleType(TScaleType Value);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool Value);
    const QString& UserTickText() const { return FUserTickText; }
    void SetUserTickText(const QString& Value);
    // Not explicitly hidden. A scale without a parent widget keeps the flag only, so scales
    // that paint onto another control's canvas never open a window of their own.
    bool Visible() const { return FVisible; }
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
    double TickValue(int Index) const;
    void CalcScaleParams();
    int ValueToPixel(double Value) const;
    // True while values map through their logarithm: a logarithmic scale over a positive range.
    bool LogMapInUse() const;
    double PixPerUnit() const { return FPixPerUnit; }
    double Offset() const { return FOffset; }

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
    bool Horizontal() const { return FScaleType == sctXB || FScaleType == sctXT; }
    bool MayPaint() const;
    void ApplySchemeColors();
    void HookDateFormat();
    // One painting onto Target; the offsets shift the base coordinate across the axis.
    void Render(TCanvas* Target, int OffsetX, int OffsetY);
    void DrawTicksAndLabels(TCanvas* C, int Base);
    void DrawNotice(TCanvas* C, int Base, TScaleNotice Notice);
    void DrawCaption(TCanvas* C, int Base);
    void DrawBaseLine(TCanvas* C, int Base);
    int BaseCoordinate() const;
    int HorizontalLabelLeft(int TickX, int TextWidth) const;
    int TextWidthOf(TCanvas* C, const QString& Text);

    QString FCaption;
    int FCaptionPosX = 4, FCaptionPosY = 4;
    TAlignment FCaptionAlignment = taCenter;
    TScaleUnitAnchor FCaptionAnchor = uaSclTopLft;
    TColor FColorBackGnd = clBtnFace;
    TColor FColorScale = clBlack;
    TColorScheme FColorScheme = csBWG;
    TColor FColorDark = clBlack, FColorShadow = RGB(128, 128, 128), FColorLight = clWhite;
    std::unique_ptr<TDTLabel> FDateFormat;
    int FDecPlaces = -2;
    TFrameStyle FFrameStyle = fsLowered;
    TFigType FLabelType = ftNum;
    bool FLogarithmic = false;
    int FMarginTop = 20, FMarginBottom = 20, FMarginLeft = 20, FMarginRight = 20;
    int FMinTicks = 3;
    TMouseActMode FMouseAction = maNone;
    double FRangeLow = 0.0, FRangeHigh = 100.0;
    bool FShortTicks = true;
    bool FShowBaseLine = true;
    QString FScaleInscript;
    TScaleType FScaleType = sctXB;
    bool FTransparent = false;
    QString FUserTickText;
    bool FVisible = true;

    double FPixPerUnit = 1.0, FOffset = 0.0;
    std::vector<double> FTicks; // at most MaxRecordedTicks
    TCanvas* FTargetCanvas = nullptr;
    int FTargetX = 0, FTargetY = 0;
    bool FSuppressPaint = true;
    bool FWindowCreated = false;
    bool FDirectPaint = false;
    bool FLoading = false;
    bool FNotLoaded = true; // until Loaded(): Logarithmic is taken without a range check
    std::unique_ptr<TBitmap> FOpaqueBitmap;
    QFont FWidthFont;
    QHash<QString, int> FWidths; // label widths in FWidthFont

    bool FDragging = false;
    int FDragX0 = 0, FDragY0 = 0;
    double FDragLow0 = 0.0, FDragHigh0 = 0.0;
    bool FClickPending = false;
};
