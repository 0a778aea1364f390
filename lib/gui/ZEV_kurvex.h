// The chart control: 16 layers of drawing commands mapped through per-layer axis ranges, painted
// with frame, shadow, caption, axes and background into off-screen bitmaps.
//
// The unit is spread over several files behind this header, one concern each:
//   ZEV_kurvex_scaleprops.cpp  scale property sets, their copy into the axis scales, the reset
//   ZEV_kurvex_itemlist.cpp    item storage
//   ZEV_kurvex_items.cpp       drawing commands, ClearItems, ShowItems, AutoRange, range writes
//   ZEV_kurvex_layout.cpp      construction, layout properties, isometric rule, the mapping
//   ZEV_kurvex_stdlayout.cpp   the seven standard layouts
//   ZEV_kurvex_paint.cpp       Paint, the frame bitmap, caption and plot background
//   ZEV_kurvex_joint.cpp       layer coupling and data sharing between charts
//   ZEV_kurvex_mouse.cpp       mouse entry points, axis bands and drags, cursors
//   ZEV_kurvex_gestures.cpp    pan, zoom, windows, cross-hair and label drags, the trace
//   ZEV_kurvex_render*.cpp     the rendering pass: item kinds, grid, text labels, visibility by
//                              layer and class, and the cross-hair overlay
//
// Errors: the setters never raise, except the coupling setters of TJointLayers, which refuse a
// coupling that breaks their rules with EZEVKurvexError. A logarithmic axis with a non-positive end
// raises EZEVKurvexError only from the explicit ranging calls (CalcLayerFactors, WriteLayerRange,
// AutoRange); property changes, SetLayerRange and painting map such an axis to the middle of the
// plot instead.
#pragma once

#include "Controls.h"
#include "ZEV_Scale.h"
#include "ZEV_kurvex_items.h"
#include "ZEV_kurvex_scaleprops.h"
#include "ZEV_zevbase_draw.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <memory>
#include <vector>

class EZEVKurvexError : public EZEVError {
  public:
    using EZEVError::EZEVError;
};

constexpr int kxMaxLayer = 16;
constexpr int kxNumCrossHairs = 4;
constexpr int kxNumTextLabels = 50;

enum TkxLayout : std::uint8_t {
    kxl_X1Bottom_Y1Left,
    kxl_X1Bottom_Y2Left,
    kxl_X1Bottom_Y3Left,
    kxl_X1Bottom_Y4Left,
    kxl_X1Bottom_Y2Both,
    kxl_X2Bottom_Y2Left,
    kxl_X2Both_Y2Both
};
constexpr int kxNumLayouts = 7;

enum GridStyleType : std::uint8_t {
    gsNone,
    gsPoints,
    gsVertLines,
    gsHorizLines,
    gsLines,
    gsVertDotLines,
    gsHorizDotLines,
    gsDotLines
};

enum TCaptionAnchorHoriz : std::uint8_t {
    cahControlLeft,
    cahChartLeft,
    cahChartCenter,
    cahChartRight,
    cahControlRight
};
enum TCaptionAnchorVert : std::uint8_t {
    cavControlTop,
    cavChartTop,
    cavChartCenter,
    cavChartBottom,
    cavControlBottom
};

// Region of the plot area that gets the background's AreaColor when there is no picture.
enum TBGAreaMode : std::uint8_t {
    bamNone,
    bamLeft,
    bamRight,
    bamTop,
    bamBottom,
    bamVStripe,
    bamHStripe,
    bamRect,
    bamRectInv,
    bamVStripeInv,
    bamHStripeInv
};

using TRenderEvent = std::function<void(TObject* Sender, TCanvas* Canvas, int Top, int Left)>;
struct TkxChartItem;
using TBeforeRenderCItemEvent =
    std::function<void(TObject* Sender, TkxChartItem& ChartItem, int Index, bool IsAnnotation)>;
using TBeforeRenderTextEvent =
    std::function<void(TObject* Sender, QString& Text, int Index, bool IsAnnotation)>;
using TMouseMoveInChartEvent = std::function<void(TObject* Sender, bool InChart, TShiftState Shift,
                                                  double rMousePosX, double rMousePosY)>;
using TBeforeCrossHMoveEvent =
    std::function<void(TObject* Sender, int WhichCrossHair, int dx, int dy, bool& AllowMove)>;
using TCrossHairMoveEvent = std::function<void(TObject* Sender, int WhichCrossHair)>;
using TTextLabelMoveEvent = std::function<void(TObject* Sender, int WhichTextLabel)>;

// A chart's text label; the chart draws it in its rendering pass.
class TTextLabel : public TCustomTextLabel {};

// Background of the plot area: a picture read from a file, or a coloured region given in world
// units of the chart's active layer.
class TBakGndImg : public TPersistent {
  public:
    const QString& Name() const { return FName; }
    // Without IncludePath only the file-name part is kept.
    void SetName(const QString& Value);
    bool IncludePath() const { return FIncludePath; }
    void SetIncludePath(bool Value);
    TBkgFill FillMode() const { return FFillMode; }
    void SetFillMode(TBkgFill Value);
    TBGAreaMode AreaMode() const { return FAreaMode; }
    void SetAreaMode(TBGAreaMode Value);
    TColor AreaColor() const { return FAreaColor; }
    void SetAreaColor(TColor Value);
    double AreaLeft() const { return FAreaLeft; }
    void SetAreaLeft(double Value);
    double AreaRight() const { return FAreaRight; }
    void SetAreaRight(double Value);
    double AreaTop() const { return FAreaTop; }
    void SetAreaTop(double Value);
    double AreaBottom() const { return FAreaBottom; }
    void SetAreaBottom(double Value);
    TNotifyEvent OnChange;

    // Copies every field, the handler excepted, and notifies.
    void Assign(TPersistent* Source) override;

  protected:
    void AssignTo(TPersistent* Dest) override;

  private:
    void Changed() { FireEvent(OnChange, this); }
    QString FName;
    bool FIncludePath = false;
    TBkgFill FFillMode = bfStretch;
    TBGAreaMode FAreaMode = bamNone;
    TColor FAreaColor = 14540253;
    double FAreaLeft = -1.0, FAreaRight = 1.0, FAreaTop = 1.0, FAreaBottom = -1.0;
};

class TCustomKurvex;

// Which layer controls the x and the y axis of each layer; every layer controls itself at
// first. On each axis the couplings form stars of depth one: a controlling layer is free, and a
// layer that controls others cannot be coupled itself.
class TJointLayers : public TPersistent {
  public:
    explicit TJointLayers(TCustomKurvex* Chart);
    // Out-of-range layers give themselves.
    int XController(int Layer) const;
    int YController(int Layer) const;
    // Couples an axis of Layer (1..16) to Destination, copying Destination's range of that axis;
    // Destination = Layer frees the axis. Raises EZEVKurvexError and changes nothing when
    // Destination is outside 1..16, is itself controlled, or Layer controls other layers.
    void SetXControlledBy(int Layer, int Destination);
    void SetYControlledBy(int Layer, int Destination);
    // Every axis free again, without touching any range.
    void Reset();
    // Copies the 32 controllers of another coupling as they are, without notifying; the target
    // keeps its own chart and handler.
    void Assign(TPersistent* Source) override;
    TNotifyEvent OnChange;

#define ZEV_JOINT_LAYER_PROPERTIES(NN, N)                                                          \
    int L##NN##xControlledBy() const                                                               \
    {                                                                                              \
        return XController(N);                                                                     \
    }                                                                                              \
    void SetL##NN##xControlledBy(int Value)                                                        \
    {                                                                                              \
        SetXControlledBy(N, Value);                                                                \
    }                                                                                              \
    int L##NN##yControlledBy() const                                                               \
    {                                                                                              \
        return YController(N);                                                                     \
    }                                                                                              \
    void SetL##NN##yControlledBy(int Value)                                                        \
    {                                                                                              \
        SetYControlledBy(N, Value);                                                                \
    }
    ZEV_JOINT_LAYER_PROPERTIES(01, 1)
    ZEV_JOINT_LAYER_PROPERTIES(02, 2)
    ZEV_JOINT_LAYER_PROPERTIES(03, 3)
    ZEV_JOINT_LAYER_PROPERTIES(04, 4)
    ZEV_JOINT_LAYER_PROPERTIES(05, 5)
    ZEV_JOINT_LAYER_PROPERTIES(06, 6)
    ZEV_JOINT_LAYER_PROPERTIES(07, 7)
    ZEV_JOINT_LAYER_PROPERTIES(08, 8)
    ZEV_JOINT_LAYER_PROPERTIES(09, 9)
    ZEV_JOINT_LAYER_PROPERTIES(10, 10)
    ZEV_JOINT_LAYER_PROPERTIES(11, 11)
    ZEV_JOINT_LAYER_PROPERTIES(12, 12)
    ZEV_JOINT_LAYER_PROPERTIES(13, 13)
    ZEV_JOINT_LAYER_PROPERTIES(14, 14)
    ZEV_JOINT_LAYER_PROPERTIES(15, 15)
    ZEV_JOINT_LAYER_PROPERTIES(16, 16)
#undef ZEV_JOINT_LAYER_PROPERTIES

  protected:
    void AssignTo(TPersistent* Dest) override;

  private:
    using TControllers = std::array<int, kxMaxLayer>;
    void Couple(TControllers& Controllers, bool XAxis, int Layer, int Destination);

    TCustomKurvex* FChart;
    TControllers FXController{};
    TControllers FYController{};
};

// One layer: its two scale property sets, the two axis scales drawn from them, and the world to
// pixel coefficients px = k * x + d (x is ln x on a logarithmic axis).
struct TkxLayer {
    std::unique_ptr<TScalePropsHoriz> PropsX;
    std::unique_ptr<TScalePropsVert> PropsY;
    std::unique_ptr<TScale> ScaleX, ScaleY;
    long double kx = 0, dx = 0, ky = 0, dy = 0;
};

// One axis of a layer as the world-to-pixel mapping sees it: pixel = K * v + D in extended
// precision, v being ln of the value on a logarithmic axis, rounded to the nearest integer
// (ties to even) within the int range; logarithmic values at or below 1e-100 go to BelowFloor.
// Charts map every mark through it, so the common case is kept cheap.
struct TkxAxisMap {
    long double K = 0, D = 0;
    bool Log = false;
    int BelowFloor = 0;
    TkxAxisMap() = default;
    TkxAxisMap(long double K, long double D, bool Log, int BelowFloor)
        : K(K), D(D), Log(Log), BelowFloor(BelowFloor), FK(double(K)), FD(double(D))
    {
    }
    int Pixel(double V) const
    {
        if (Log && !(V > TScaleProps::LogFloor)) return BelowFloor;
        const double v = Log ? std::log(V) : V;
        // In double first: unless the value lies within its rounding error of a half pixel,
        // the nearest integer is the same as in extended precision.
        const double kv = FK * v, p = kv + FD;
        constexpr double roundShift = 0x1.8p52;
        const double nearest = (p + roundShift) - roundShift;
        const double slack = 1e-12 * (std::abs(kv) + std::abs(FD) + 1.0);
        if (std::abs(p) < 2e9 && 0.5 - std::abs(p - nearest) > slack) return int(nearest);
        return Exact(v);
    }

  private:
    double FK = 0, FD = 0;
    int Exact(double v) const
    {
        const long double p = K * v + D;
        if (std::isnan(p)) return 0;
        constexpr long double limit = std::numeric_limits<int>::max();
        // Adding and taking away 1.5 * 2^63 rounds as nearbyint does for these magnitudes; the
        // integer then converts exactly through double, which spares the x87 rounding-mode
        // switch of a direct conversion.
        constexpr long double shifter = 0x1.8p63L;
        const long double shifted = std::clamp(p, -limit, limit) + shifter;
        return int(double(shifted - shifter));
    }
};

// A point of the free-hand mouse trace.
struct TMouseTracePoint {
    double X = 0, Y = 0;
    std::uint16_t Flags = 0; // 1 = pen up after this point, 2 = drawn inverted
    TColor Color = 0;
};

// The four ends of a layer's ranges.
struct TkxLayerRange {
    double LoX = 0, HiX = 0, LoY = 0, HiY = 0;
    friend bool operator==(const TkxLayerRange&, const TkxLayerRange&) = default;
};

// Where a mouse gesture stands.
struct TkxMouseState {
    QPoint Last;                   // control pixels of the last move
    double WorldX = 0, WorldY = 0; // of the last move inside the plot area, active layer
    bool DragActive = false;       // pan, zoom drag, axis drag, cross-hair or label drag
    QPoint DragStart;
    std::array<TkxLayerRange, kxMaxLayer> StartRanges;
    bool BandActive = false;
    bool BandDrawn = false; // the band is on the control now, to be erased by drawing it again
    QPoint BandStart, BandEnd;
    bool DoubleClicked = false; // swallow the next button-down or button-up
    int CrossHair = 1;
    int TextLabel = 1;
    bool InMove = false; // re-entrancy guard of the move handler
};

class TCustomKurvex : public TCustomControl {
  public:
    explicit TCustomKurvex(QWidget* Parent = nullptr);
    ~TCustomKurvex() override;

    // ---- items and drawing commands ------------------------------------------------------------
    void ClearItems();
    void AddMark(double X, double Y, std::uint8_t MarkType);
    // World units in the data list, pixels in the annotation list.
    void AddLine(int X1, int Y1, int X2, int Y2);
    // CoordMode counts in the annotation list only; data items are always in world units.
    void AddLine(double X1, double Y1, double X2, double Y2, std::uint8_t CoordMode);
    void MoveTo(double X, double Y);
    void AddText(double X, double Y, int FontSize, const QString& Text);
    void AddText(double X, double Y, int Dx, int Dy, TAlignment Alignment, std::uint8_t CoordMode,
                 int FontSize, const QString& Text);
    // Fits the ranges of Layer (0: every shown layer) to the data list, with margins and a
    // minimum span in per cent; raises EZEVKurvexError when a logarithmic axis ends up with a
    // non-positive end.
    void AutoRange(int Layer, double MarginPercent, double MinSpanPercent = 0);
    void ShowItems();
    // The range write behind every range change: spans below 0.99 MinRange and, on logarithmic
    // axes, ends below 1e-100 are refused per axis; raises like AutoRange.
    void WriteLayerRange(int Layer, double LoX, double HiX, double LoY, double HiY);
    // Range change that follows the layer coupling: a controlled axis keeps its range, layers
    // controlled by Layer follow it. Never raises.
    void SetLayerRange(int Layer, double LoX, double LoY, double HiX, double HiY);

    const TkxItemList& DataItems() const { return *FDataList; }
    const TkxItemList& AnnotationItems() const { return *FAnnotationList; }

    TColor DataColor() const { return FDataColor; }
    void SetDataColor(TColor Value) { FDataColor = Value; }
    TColor FillColor() const { return FFillColor; }
    void SetFillColor(TColor Value) { FFillColor = Value; }
    TColor TextBkColor() const { return FFillColor; }
    void SetTextBkColor(TColor Value) { FFillColor = Value; }
    TPenStyle PenStyle() const { return FPenStyle; }
    void SetPenStyle(TPenStyle Value) { FPenStyle = Value; }
    std::uint8_t LineWidth() const { return FLineWidth; }
    void SetLineWidth(std::uint8_t Value) { FLineWidth = Value; }
    // 255 is refused: items carry classes 0..254.
    std::uint8_t ClassDefault() const { return FClassDefault; }
    void SetClassDefault(std::uint8_t Value);
    int ItemTag() const { return FItemTag; }
    void SetItemTag(int Value) { FItemTag = Value; }
    // Layer 1..16 of new items; other values are ignored.
    int ActiveLayer() const { return FActiveLayer; }
    void SetActiveLayer(int Value);
    TAlignment TextAlignment() const { return FTextAlignment; }
    void SetTextAlignment(TAlignment Value) { FTextAlignment = Value; }
    TTextBkg TextBkStyle() const { return FTextBkStyle; }
    void SetTextBkStyle(TTextBkg Value) { FTextBkStyle = Value; }
    // New items go to the annotation list while set.
    bool AnnotationMode() const { return FAnnotationMode; }
    void SetAnnotationMode(bool Value) { FAnnotationMode = Value; }
    // Growth step of the item lists, 1..1 000 000; other values are ignored.
    int AllocSize() const { return FAllocSize; }
    void SetAllocSize(int Value);

    // ---- layers, scales and mapping ------------------------------------------------------------
    // Sets of layers 1..16; other indices give layer 1's.
    TScalePropsHoriz* ScalePropsX(int Layer) const;
    TScalePropsVert* ScalePropsY(int Layer) const;
    TScalePropsHoriz* Scale1X() const { return ScalePropsX(1); }
    TScalePropsHoriz* Scale2X() const { return ScalePropsX(2); }
    TScalePropsHoriz* Scale3X() const { return ScalePropsX(3); }
    TScalePropsHoriz* Scale4X() const { return ScalePropsX(4); }
    TScalePropsVert* Scale1Y() const { return ScalePropsY(1); }
    TScalePropsVert* Scale2Y() const { return ScalePropsY(2); }
    TScalePropsVert* Scale3Y() const { return ScalePropsY(3); }
    TScalePropsVert* Scale4Y() const { return ScalePropsY(4); }
    // Writing a published set copies the given one into the chart's.
    void SetScaleX(int Layer, TScalePropsHoriz* Value);
    void SetScaleY(int Layer, TScalePropsVert* Value);
    void SetScale1X(TScalePropsHoriz* Value) { SetScaleX(1, Value); }
    void SetScale2X(TScalePropsHoriz* Value) { SetScaleX(2, Value); }
    void SetScale3X(TScalePropsHoriz* Value) { SetScaleX(3, Value); }
    void SetScale4X(TScalePropsHoriz* Value) { SetScaleX(4, Value); }
    void SetScale1Y(TScalePropsVert* Value) { SetScaleY(1, Value); }
    void SetScale2Y(TScalePropsVert* Value) { SetScaleY(2, Value); }
    void SetScale3Y(TScalePropsVert* Value) { SetScaleY(3, Value); }
    void SetScale4Y(TScalePropsVert* Value) { SetScaleY(4, Value); }
    // The axis scale objects of a layer (1..16, clamped); the chart paints them onto its frame.
    TScale* ScaleObjectX(int Layer) const;
    TScale* ScaleObjectY(int Layer) const;

    // Recomputes every layer's coefficients; raises EZEVKurvexError "Logarithmic axis must not
    // be negative." when a logarithmic axis has a non-positive end (that axis then maps to the
    // middle of the plot, the other axes are updated).
    virtual void CalcLayerFactors();
    // Control pixels of a world point; Layer is clamped to 1..16.
    void WorldToPixel(int Layer, double X, double Y, int& PX, int& PY) const;
    // The mapping of one axis of a layer (clamped to 1..16), as WorldToPixel applies it.
    TkxAxisMap AxisMapX(int Layer) const;
    TkxAxisMap AxisMapY(int Layer) const;
    // World point of control pixels. Where an axis has no extent in pixels, the middle of its
    // range.
    void PixelToWorld(int Layer, int PX, int PY, double& X, double& Y) const;
    bool LayerShown(int Layer) const;
    // Layers 1..16; other numbers are ignored.
    void SetLayerShown(int Layer, bool Value);
    // Items of a class 0..255 are drawn only while their class is shown; the data list and the
    // annotation list each have their own table.
    bool ClassShown(int ClassNo, bool IsAnnotation) const;
    void SetClassShown(int ClassNo, bool IsAnnotation, bool Value);

    // ---- geometry ------------------------------------------------------------------------------
    // Bounds below the minimum size (margins and shadow plus 80 by 20) are raised to it.
    void SetBounds(int Left, int Top, int Width, int Height);
    void SetWidth(int Value) { SetBounds(Left(), Top(), Value, Height()); }
    void SetHeight(int Value) { SetBounds(Left(), Top(), Width(), Value); }
    int MarginLeft() const { return FMarginLeft; }
    void SetMarginLeft(int Value);
    int MarginRight() const { return FMarginRight; }
    void SetMarginRight(int Value);
    int MarginTop() const { return FMarginTop; }
    void SetMarginTop(int Value);
    int MarginBottom() const { return FMarginBottom; }
    void SetMarginBottom(int Value);
    int LRim() const { return FMarginLeft; }
    void SetLRim(int Value) { SetMarginLeft(Value); }
    int RRim() const { return FMarginRight; }
    void SetRRim(int Value) { SetMarginRight(Value); }
    int TRim() const { return FMarginTop; }
    void SetTRim(int Value) { SetMarginTop(Value); }
    int BRim() const { return FMarginBottom; }
    void SetBRim(int Value) { SetMarginBottom(Value); }
    // Clamped to 0..32.
    int ShadowWidth() const { return FShadowWidth; }
    void SetShadowWidth(int Value);
    // The plot area in control pixels: from (MarginLeft, MarginTop), PlotWidth by PlotHeight
    // (either may be 0 or negative on a small control).
    int PlotWidth() const { return Width() - FMarginLeft - FMarginRight - FShadowWidth; }
    int PlotHeight() const { return Height() - FMarginTop - FMarginBottom - FShadowWidth; }

    // ---- appearance ----------------------------------------------------------------------------
    TShadowStyle ShadowStyle() const { return FShadowStyle; }
    void SetShadowStyle(TShadowStyle Value);
    TColor ShadowColor() const { return FShadowColor; }
    void SetShadowColor(TColor Value);
    TColor ShadowBakColor() const { return FShadowBakColor; }
    void SetShadowBakColor(TColor Value);
    TColor WindColor() const { return FWindColor; }
    void SetWindColor(TColor Value);
    TColor ChartColor() const { return FChartColor; }
    void SetChartColor(TColor Value);
    TColor ChartFrameColor() const { return FChartFrameColor; }
    void SetChartFrameColor(TColor Value);
    GridStyleType GridStyle() const { return FGridStyle; }
    void SetGridStyle(GridStyleType Value);
    TColor GridColor() const { return FGridColor; }
    void SetGridColor(TColor Value);
    // Values below -3 are ignored.
    double GridDx() const { return FGridDx; }
    void SetGridDx(double Value);
    double GridDy() const { return FGridDy; }
    void SetGridDy(double Value);
    // While set, every layer's y range spans as many world units per screen length as its x
    // range.
    bool Isometric() const { return FIsometric; }
    void SetIsometric(bool Value);
    const QString& Caption() const { return FCaption; }
    void SetCaption(const QString& Value);
    int CaptionPosX() const { return FCaptionPosX; }
    void SetCaptionPosX(int Value);
    int CaptionPosY() const { return FCaptionPosY; }
    void SetCaptionPosY(int Value);
    TAlignment CaptionAlignment() const { return FCaptionAlignment; }
    void SetCaptionAlignment(TAlignment Value);
    TCaptionAnchorHoriz CaptionAnchorHoriz() const { return FCaptionAnchorHoriz; }
    void SetCaptionAnchorHoriz(TCaptionAnchorHoriz Value);
    TCaptionAnchorVert CaptionAnchorVert() const { return FCaptionAnchorVert; }
    void SetCaptionAnchorVert(TCaptionAnchorVert Value);
    // Per cent of the plot width a caption may take before it is cut; 0 = never cut, other
    // values are kept in 5..100.
    int CaptionTrim() const { return FCaptionTrim; }
    void SetCaptionTrim(int Value);
    TkxLayout StandardLayout() const { return FStandardLayout; }
    void SetStandardLayout(TkxLayout Value);
    bool AvoidDuplicateMarks() const { return FAvoidDuplicateMarks; }
    void SetAvoidDuplicateMarks(bool Value);
    // Kept in 1..3.
    int MinDupMarkDist() const { return FMinDupMarkDist; }
    void SetMinDupMarkDist(int Value);
    TFont* TextFont() { return &FTextFont; }
    void SetTextFont(TFont* Value);
    TFontStyles TextFontStyle() const { return FTextFont.Style(); }
    void SetTextFontStyle(TFontStyles Value) { FTextFont.SetStyle(Value); }
    // When false, ShowItems and the setters leave repainting to the caller.
    bool AutoRedraw() const { return FAutoRedraw; }
    void SetAutoRedraw(bool Value) { FAutoRedraw = Value; }
    TBakGndImg* BackGroundImg() { return &FBackGroundImg; }
    void SetBackGroundImg(TBakGndImg* Value);
    TJointLayers* JointLayers() { return FJointLayers.get(); }
    // Takes over the controllers of Value.
    void SetJointLayers(TJointLayers* Value);
    TCrossHair* CrossHair(int Index) const; // 1..4, clamped
    TCrossHair* CrossHair1() const { return CrossHair(1); }
    TCrossHair* CrossHair2() const { return CrossHair(2); }
    TCrossHair* CrossHair3() const { return CrossHair(3); }
    TCrossHair* CrossHair4() const { return CrossHair(4); }
    TTextLabel* TextLabel(int Index) const; // 1..50, clamped

    // ---- data sharing --------------------------------------------------------------------------
    static constexpr int MaxSharers = 4;
    // The chart whose data items this one displays (nullptr: its own). Requests that cannot be
    // granted are explained to the user in a dialog and change nothing.
    TCustomKurvex* UseDataOf() const { return FUseDataOf; }
    void SetUseDataOf(TCustomKurvex* Value);
    int SharerCount() const { return FSharerCount; }
    // The charts displaying this chart's items, 1..SharerCount; others give nullptr.
    TCustomKurvex* Sharer(int Index) const;

    // ---- mouse ---------------------------------------------------------------------------------
    static constexpr int MaxMouseTracePoints = 5000;
    // Pan and zoom gestures move layer 1 only.
    static bool LayerFollowsMouse(int Layer) { return Layer == 1; }
    // The axis band under a point: the layer of a y axis, minus the layer of an x axis, or 0.
    int AxisAtPoint(int X, int Y) const;
    // Inside the plot area, edges included.
    bool InPlotArea(int X, int Y) const;
    const std::vector<TMouseTracePoint>& MouseTrace() const { return FMouseTrace; }
    TMouseActMode MouseAction() const { return FMouseAction; }
    void SetMouseAction(TMouseActMode Value) { FMouseAction = Value; }
    bool MouseCursorFixed() const { return FMouseCursorFixed; }
    void SetMouseCursorFixed(bool Value) { FMouseCursorFixed = Value; }
    TColor MouseTraceColor() const { return FMouseTraceColor; }
    void SetMouseTraceColor(TColor Value) { FMouseTraceColor = Value; }
    bool MouseTraceInvert() const { return FMouseTraceInvert; }
    void SetMouseTraceInvert(bool Value) { FMouseTraceInvert = Value; }
    double PanGridDx() const { return FPanGridDx; }
    void SetPanGridDx(double Value) { FPanGridDx = Value; }
    double PanGridDy() const { return FPanGridDy; }
    void SetPanGridDy(double Value) { FPanGridDy = Value; }
    double PanGridOffsX() const { return FPanGridOffsX; }
    void SetPanGridOffsX(double Value) { FPanGridOffsX = Value; }
    double PanGridOffsY() const { return FPanGridOffsY; }
    void SetPanGridOffsY(double Value) { FPanGridOffsY = Value; }

    // ---- painting ------------------------------------------------------------------------------
    // Plot background (colour, picture or area) over Width x Height at (Left, Top) of Canvas.
    virtual void PaintPlotBackground(TCanvas* Canvas, int Left, int Top, int Width, int Height);
    virtual void RenderToBitmap(TBitmap* Bitmap, int Left, int Top, bool NoGrid, bool Monochrome);
    // One rendering pass with the plot area's top left corner at (Left, Top) of Canvas.
    virtual void RenderItems(TCanvas* Canvas, int Left, int Top, bool NoGrid, bool Monochrome);
    // Draws the cross-hairs onto a canvas whose origin lies at (OffsetX, OffsetY) of the control.
    void DrawCrossHairs(TCanvas* Canvas, int OffsetX, int OffsetY);
    // The whole chart as Paint shows it, with the control's top left corner at the canvas
    // origin; for canvases other than the control's own, such as the printer's.
    void PaintTo(TCanvas* Canvas);
    // Switches of the rendering pass: the data list after the annotations, the annotations at
    // all, the text annotations after the other annotations.
    bool DataOnTop() const { return FDataOnTop; }
    void SetDataOnTop(bool Value) { SetAndRedraw(FDataOnTop, Value); }
    bool AnnotationsShown() const { return FAnnotationsShown; }
    void SetAnnotationsShown(bool Value) { SetAndRedraw(FAnnotationsShown, Value); }
    bool TextsLast() const { return FTextsLast; }
    void SetTextsLast(bool Value) { SetAndRedraw(FTextsLast, Value); }
    // While set, Paint does nothing; clearing it repaints.
    virtual void SetUpdateLock(bool Value);
    bool UpdateLock() const { return FUpdateLock; }
    // The frame bitmap of the last Paint: the whole control as painted.
    const TBitmap& FrameBitmap() const { return *FFrameBitmap; }
    const TBitmap& PlotBitmap() const { return *FPlotBitmap; }

    // Bracket property writes of a stored layout: no mapping and no painting until Loaded(),
    // which also arms the range check of each set's Logarithmic.
    void BeginLoading() { FLoading = true; }
    void Loaded();

    // Relative width and height of a screen pixel.
    double AspectX() const { return FAspectX; }
    double AspectY() const { return FAspectY; }

    // Fired after the caption and the axes are on the frame bitmap (Top = Left = 0).
    TRenderEvent OnScalesRendered;
    // Forwarded from every axis scale.
    TScaleTickDrawnEvent OnScaleTickDrawn;
    TBeforeTickLabelEvent OnBeforeTickLabel;
    // Fired by the rendering pass.
    TRenderEvent OnBeforeRenderData;
    TRenderEvent OnDataRendered;
    TBeforeRenderCItemEvent OnBeforeRenderChartItem;
    TBeforeRenderTextEvent OnBeforeRenderText;
    // Fired by the mouse handling.
    TMouseMoveInChartEvent OnMouseMoveInChart;
    TZoomPanEvent OnZoomPan;
    TSelectRectEvent OnRubberBand;
    TSelectRectEvent OnSelectRect;
    TBeforeCrossHMoveEvent OnBeforeCrossHairMove;
    TCrossHairMoveEvent OnCrossHairMove;
    TTextLabelMoveEvent OnTextLabelMove;
    // The platform's mouse events.
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TNotifyEvent OnDblClick;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;

  protected:
    void Paint() override;
    void Resize() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void DblClick() override;
    void MouseEnter() override;
    void MouseLeave() override;
    // The classic order: the double click is announced before its button-down.
    void mouseDoubleClickEvent(QMouseEvent* Event) override;

    // The free-hand trace, with the plot area's top left corner at (Left, Top) of Canvas.
    void PaintMouseTrace(TCanvas* Canvas, int Left, int Top);
    // A repaint wipes a band under way off the control; this puts it back.
    void RedrawMouseBand();

    // Repaints when AutoRedraw is set; the handler of every owned settings object.
    void Changed();
    // Stores Value and repaints.
    template <typename T> void SetAndRedraw(T& Field, const T& Value)
    {
        Field = Value;
        Changed();
    }
    TkxLayer& LayerAt(int Layer); // clamped to 1..16
    const TkxLayer& LayerAt(int Layer) const;
    bool Loading() const { return FLoading; }
    // Coefficients of every layer; false when a logarithmic axis has a non-positive end.
    bool ComputeLayerFactors();
    // Writes both axes of a layer into its sets and scales, refusing per axis what
    // WriteLayerRange refuses; the mapping is left alone.
    void StoreLayerRange(int Layer, double LoX, double HiX, double LoY, double HiY);
    // Copies a set into the axis scale of its layer and puts the axis at its side of the plot.
    void ApplyScaleProps(TScale* Scale, const TScaleProps* Props);
    void ApplyAllScaleProps();
    // The OnChange of every scale property set: scales, coupling, repaint.
    void ScalePropsChanged();
    // Defaults, side, distance and colour of all 32 sets.
    void ResetScaleProps();
    // Draws the window colour, shadow, caption and axes onto the frame bitmap.
    void PaintFrameBitmap();
    // The same onto any canvas, the control's top left corner at its origin.
    void PaintFrame(TCanvas* C);
    // Resizes the plot bitmap to the plot area plus one pixel each way.
    void SizePlotBitmap();

    std::shared_ptr<TkxItemList> FDataList;
    std::shared_ptr<TkxItemList> FAnnotationList;
    std::array<TkxLayer, kxMaxLayer> FLayers;
    std::array<bool, kxMaxLayer> FLayerShown;
    std::vector<TMouseTracePoint> FMouseTrace;
    std::unique_ptr<TBitmap> FFrameBitmap, FPlotBitmap, FPictureBitmap;

  private:
    friend class TJointLayers;

    // ---- data sharing
    // The list that item commands change: a chart that stopped sharing keeps showing its former
    // owner's items only until it changes its own.
    TkxItemList& OwnDataList();
    // Gives the charts sharing items with this one the current list.
    void HandOnItems();
    void RepaintSharingCharts();
    // ShowItems' drawing: the plot bitmap onto the control, the frame left as it is.
    void RefreshPlotArea();
    // The control's picture exists at its size, so parts of it can be drawn over.
    bool ControlPainted();
    void RemoveSharer(TCustomKurvex* Chart);
    // Ends every sharing this chart takes part in; run before it goes.
    void EndSharing();

    // ---- mouse
    void RegisterCursors();
    TkxLayerRange RangeOf(int Layer) const;
    QPoint ClampToPlot(QPoint P) const;
    bool InAxisBand(const TScaleProps& Props, int X, int Y, int DepthX, int DepthY) const;
    void StartDrag(int X, int Y);
    // Runs Change under the update lock, then repaints; fires OnZoomPan when a range changed.
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
                          QPoint Offset);
    void UpdateCursor(int X, int Y);

    friend class TkxRenderPass;
    // A record of Kind with the creation attributes that every command records.
    TkxChartItem NewItem(TkxItemKind Kind) const;
    TkxItemList& TargetList() { return FAnnotationMode ? *FAnnotationList : OwnDataList(); }
    void MarginsChanged();
    void UpdateScaleGeometry();
    void ApplyIsometric(int PlotWidthPixels);
    void ApplyLayout(TkxLayout Layout);
    void CreateSubObjects();
    void PaintCaption(TCanvas* C);
    void PaintShadow(TCanvas* C);
    void PaintAxes(TCanvas* C);
    bool PaintPicture(TCanvas* C, int Left, int Top, int Width, int Height);
    void PaintArea(TCanvas* C, int Left, int Top, int Width, int Height);

    TColor FDataColor = clBlack;
    TColor FFillColor = clSilver;
    TPenStyle FPenStyle = psSolid;
    std::uint8_t FLineWidth = 1;
    std::uint8_t FClassDefault = 0;
    int FItemTag = 0;
    int FActiveLayer = 1;
    TAlignment FTextAlignment = taCenter;
    TTextBkg FTextBkStyle = tbClear;
    bool FAnnotationMode = false;
    int FAllocSize = 1000;

    int FMarginLeft = 50, FMarginRight = 10, FMarginTop = 16, FMarginBottom = 32;
    int FShadowWidth = 0;
    TShadowStyle FShadowStyle = ssFlying;
    TColor FShadowColor = clGrayText;
    TColor FShadowBakColor = clBtnFace;
    TColor FWindColor = clBtnFace;
    TColor FChartColor = clWhite;
    TColor FChartFrameColor = clBlack;
    GridStyleType FGridStyle = gsNone;
    TColor FGridColor = clBlack;
    double FGridDx = 0, FGridDy = 0;
    bool FIsometric = false;
    QString FCaption;
    int FCaptionPosX = 0, FCaptionPosY = -16;
    TAlignment FCaptionAlignment = taRightJustify;
    TCaptionAnchorHoriz FCaptionAnchorHoriz = cahChartRight;
    TCaptionAnchorVert FCaptionAnchorVert = cavChartTop;
    int FCaptionTrim = 100;
    TkxLayout FStandardLayout = kxl_X1Bottom_Y1Left;
    bool FAvoidDuplicateMarks = false;
    int FMinDupMarkDist = 1;
    TFont FTextFont;
    bool FAutoRedraw = false;
    TBakGndImg FBackGroundImg;
    std::unique_ptr<TJointLayers> FJointLayers;
    std::array<std::unique_ptr<TCrossHair>, kxNumCrossHairs> FCrossHairs;
    std::array<std::unique_ptr<TTextLabel>, kxNumTextLabels> FTextLabels;

    TMouseActMode FMouseAction = maNone;
    bool FMouseCursorFixed = true;
    TColor FMouseTraceColor = clWhite;
    bool FMouseTraceInvert = true;
    double FPanGridDx = 1.0, FPanGridDy = 1.0, FPanGridOffsX = 0, FPanGridOffsY = 0;

    TkxMouseState FMouse;

    TCustomKurvex* FUseDataOf = nullptr;
    std::array<TCustomKurvex*, MaxSharers> FSharers{};
    int FSharerCount = 0;
    bool FDataListForeign = false; // FDataList came from another chart
    std::array<bool, 256> FDataClassShown;
    std::array<bool, 256> FAnnotationClassShown;
    bool FDataOnTop = false, FAnnotationsShown = true, FTextsLast = true;
    // Mark type last drawn near each control pixel, with a border of MinDupMarkDist.
    std::vector<int> FDupMarkMap;

    bool FUpdateLock = false;
    bool FLoading = false;
    double FAspectX = 1.0, FAspectY = 1.0;
};

class TKurvex : public TCustomKurvex {
  public:
    using TCustomKurvex::TCustomKurvex;
};
