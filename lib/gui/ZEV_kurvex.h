// The chart control: 16 layers of drawing commands mapped through per-layer axis ranges, painted
// with frame, shadow, caption, axes and background into off-screen bitmaps. TCustomKurvex is the
// published front over widget-free collaborators (ZEV_kurvex_store, _layers, _appearance,
// _renderer, _interactor); it keeps the widget, its bitmaps, the 32 axis scale objects
// (ZEV_kurvex_axes.cpp), data sharing (ZEV_kurvex_joint.cpp) and the events.
//
// Errors: the setters never raise, except the coupling setters of TJointLayers (EZEVKurvexError).
// A logarithmic axis with a non-positive end raises EZEVKurvexError only from the explicit ranging
// calls (CalcLayerFactors, WriteLayerRange, AutoRange); property changes, SetLayerRange and
// painting map such an axis to the middle of the plot instead.
#pragma once

#include "Controls.h"
#include "ZEV_Scale.h"
#include "ZEV_kurvex_interactor.h"
#include "ZEV_kurvex_renderer.h"

#include <memory>
#include <vector>

class TCustomKurvex : public TCustomControl {
  public:
    explicit TCustomKurvex(QWidget* Parent = nullptr);
    ~TCustomKurvex() override;

    // Copies another chart's item lists (capacity rounded up to its AllocSize), long texts and
    // creation attributes; its sharing, layers and appearance stay this chart's.
    void Assign(TPersistent* Source) override;

    // ---- items and drawing commands ------------------------------------------------------------
    void ClearItems();
    void AddMark(double X, double Y, std::uint8_t MarkType) { FStore.AddMark(X, Y, MarkType); }
    // World units in the data list, pixels in the annotation list.
    void AddLine(int X1, int Y1, int X2, int Y2);
    // CoordMode counts in the annotation list only; data items are always in world units.
    void AddLine(double X1, double Y1, double X2, double Y2, std::uint8_t CoordMode);
    void MoveTo(double X, double Y) { FStore.MoveTo(X, Y); }
    void AddText(double X, double Y, int FontSize, const QString& Text);
    void AddText(double X, double Y, int Dx, int Dy, TAlignment Alignment, std::uint8_t CoordMode,
                 int FontSize, const QString& Text);
    // Fits the ranges of Layer (0: every shown layer) to the data list, with margins and a minimum
    // span in per cent; raises EZEVKurvexError when a logarithmic axis ends non-positive.
    void AutoRange(int Layer, double MarginPercent, double MinSpanPercent = 0);
    void ShowItems();
    // The range write behind every range change: spans below 0.99 MinRange and, on logarithmic
    // axes, ends below 1e-100 are refused per axis; raises like AutoRange.
    void WriteLayerRange(int Layer, double LoX, double HiX, double LoY, double HiY);
    // Range change that follows the layer coupling: a controlled axis keeps its range, layers
    // controlled by Layer follow it. Never raises.
    void SetLayerRange(int Layer, double LoX, double LoY, double HiX, double HiY);

    const TkxItemList& DataItems() const { return FStore.Data(); }
    const TkxItemList& AnnotationItems() const { return FStore.Annotations(); }

    // Creation attributes: stored for later items, nothing repainted.
    TColor DataColor() const { return FStore.Style.DataColor; }
    void SetDataColor(TColor Value) { FStore.Style.DataColor = Value; }
    TColor FillColor() const { return FStore.Style.FillColor; }
    void SetFillColor(TColor Value) { FStore.Style.FillColor = Value; }
    TColor TextBkColor() const { return FillColor(); }
    void SetTextBkColor(TColor Value) { SetFillColor(Value); }
    TPenStyle PenStyle() const { return FStore.Style.PenStyle; }
    void SetPenStyle(TPenStyle Value) { FStore.Style.PenStyle = Value; }
    std::uint8_t LineWidth() const { return FStore.Style.LineWidth; }
    void SetLineWidth(std::uint8_t Value) { FStore.Style.LineWidth = Value; }
    std::uint8_t ClassDefault() const { return FStore.Style.ClassDefault; }
    void SetClassDefault(std::uint8_t Value); // 255 is refused: items carry classes 0..254
    int ItemTag() const { return FStore.Style.ItemTag; }
    void SetItemTag(int Value) { FStore.Style.ItemTag = Value; }
    int ActiveLayer() const { return FStore.Style.ActiveLayer; }
    void SetActiveLayer(int Value); // layer 1..16 of new items; others are ignored
    TAlignment TextAlignment() const { return FStore.Style.TextAlignment; }
    void SetTextAlignment(TAlignment Value) { FStore.Style.TextAlignment = Value; }
    TTextBkg TextBkStyle() const { return FStore.Style.TextBkStyle; }
    void SetTextBkStyle(TTextBkg Value) { FStore.Style.TextBkStyle = Value; }
    bool AnnotationMode() const { return FStore.Style.AnnotationMode; } // new items annotate
    void SetAnnotationMode(bool Value) { FStore.Style.AnnotationMode = Value; }
    int AllocSize() const { return FStore.Style.AllocSize; }
    void SetAllocSize(int Value); // growth step of the lists, 1..1 000 000; others ignored

    // ---- layers, scales and mapping ------------------------------------------------------------
    // Sets of layers 1..16; other indices give layer 1's.
    TScalePropsHoriz* ScalePropsX(int Layer) const;
    TScalePropsVert* ScalePropsY(int Layer) const;
    // Writing a published set copies the given one into the chart's.
    void SetScaleX(int Layer, TScalePropsHoriz* Value);
    void SetScaleY(int Layer, TScalePropsVert* Value);
    TScalePropsHoriz* Scale1X() const { return ScalePropsX(1); }
    TScalePropsHoriz* Scale2X() const { return ScalePropsX(2); }
    TScalePropsHoriz* Scale3X() const { return ScalePropsX(3); }
    TScalePropsHoriz* Scale4X() const { return ScalePropsX(4); }
    TScalePropsVert* Scale1Y() const { return ScalePropsY(1); }
    TScalePropsVert* Scale2Y() const { return ScalePropsY(2); }
    TScalePropsVert* Scale3Y() const { return ScalePropsY(3); }
    TScalePropsVert* Scale4Y() const { return ScalePropsY(4); }
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
    TkxAxisMap AxisMapX(int Layer) const { return FLayers.AxisMapX(Layer); }
    TkxAxisMap AxisMapY(int Layer) const { return FLayers.AxisMapY(Layer); }
    // World point of control pixels. Where an axis has no extent in pixels, the middle of its
    // range.
    void PixelToWorld(int Layer, int PX, int PY, double& X, double& Y) const;
    bool LayerShown(int Layer) const { return FLayers.Shown(Layer); }
    void SetLayerShown(int Layer, bool Value); // layers 1..16; other numbers are ignored
    // Items of a class 0..255 are drawn only while their class is shown; the data list and the
    // annotation list each have their own table.
    bool ClassShown(int ClassNo, bool IsAnnotation) const;
    void SetClassShown(int ClassNo, bool IsAnnotation, bool Value);

    // ---- geometry ------------------------------------------------------------------------------
    // Bounds below the minimum size (margins and shadow plus 80 by 20) are raised to it.
    void SetBounds(int Left, int Top, int Width, int Height);
    void SetWidth(int Value) { SetBounds(Left(), Top(), Value, Height()); }
    void SetHeight(int Value) { SetBounds(Left(), Top(), Width(), Value); }
    int MarginLeft() const { return FLook.MarginLeft; }
    void SetMarginLeft(int Value) { SetMargin(FLook.MarginLeft, Value); }
    int MarginRight() const { return FLook.MarginRight; }
    void SetMarginRight(int Value) { SetMargin(FLook.MarginRight, Value); }
    int MarginTop() const { return FLook.MarginTop; }
    void SetMarginTop(int Value) { SetMargin(FLook.MarginTop, Value); }
    int MarginBottom() const { return FLook.MarginBottom; }
    void SetMarginBottom(int Value) { SetMargin(FLook.MarginBottom, Value); }
    int LRim() const { return MarginLeft(); }
    void SetLRim(int Value) { SetMarginLeft(Value); }
    int RRim() const { return MarginRight(); }
    void SetRRim(int Value) { SetMarginRight(Value); }
    int TRim() const { return MarginTop(); }
    void SetTRim(int Value) { SetMarginTop(Value); }
    int BRim() const { return MarginBottom(); }
    void SetBRim(int Value) { SetMarginBottom(Value); }
    int ShadowWidth() const { return FLook.ShadowWidth; }
    void SetShadowWidth(int Value); // clamped to 0..32
    // The plot area from (MarginLeft, MarginTop); 0 or negative on a small control.
    int PlotWidth() const { return Geometry().PlotWidth(); }
    int PlotHeight() const { return Geometry().PlotHeight(); }
    TkxPlotGeometry Geometry() const { return FLook.Geometry(Width(), Height()); }

    // ---- appearance ----------------------------------------------------------------------------
    const TkxAppearance& Appearance() const { return FLook; }
    TShadowStyle ShadowStyle() const { return FLook.ShadowStyle; }
    void SetShadowStyle(TShadowStyle Value) { Update(FLook.ShadowStyle, Value); }
    TColor ShadowColor() const { return FLook.ShadowColor; }
    void SetShadowColor(TColor Value) { Update(FLook.ShadowColor, Value); }
    TColor ShadowBakColor() const { return FLook.ShadowBakColor; }
    void SetShadowBakColor(TColor Value) { Update(FLook.ShadowBakColor, Value); }
    TColor WindColor() const { return FLook.WindColor; }
    void SetWindColor(TColor Value);
    TColor ChartColor() const { return FLook.ChartColor; }
    void SetChartColor(TColor Value) { Update(FLook.ChartColor, Value); }
    TColor ChartFrameColor() const { return FLook.ChartFrameColor; }
    void SetChartFrameColor(TColor Value) { Update(FLook.ChartFrameColor, Value); }
    GridStyleType GridStyle() const { return FLook.GridStyle; }
    void SetGridStyle(GridStyleType Value) { Update(FLook.GridStyle, Value); }
    TColor GridColor() const { return FLook.GridColor; }
    void SetGridColor(TColor Value) { Update(FLook.GridColor, Value); }
    double GridDx() const { return FLook.GridDx; }
    void SetGridDx(double Value); // values below -3 are ignored, as by SetGridDy
    double GridDy() const { return FLook.GridDy; }
    void SetGridDy(double Value);
    // While set, each layer's y range spans as many world units per screen length as its x range.
    bool Isometric() const { return FLook.Isometric; }
    void SetIsometric(bool Value);
    const QString& Caption() const { return FLook.Caption; }
    void SetCaption(const QString& Value) { Update(FLook.Caption, Value); }
    int CaptionPosX() const { return FLook.CaptionPosX; }
    void SetCaptionPosX(int Value) { Update(FLook.CaptionPosX, Value); }
    int CaptionPosY() const { return FLook.CaptionPosY; }
    void SetCaptionPosY(int Value) { Update(FLook.CaptionPosY, Value); }
    TAlignment CaptionAlignment() const { return FLook.CaptionAlignment; }
    void SetCaptionAlignment(TAlignment Value) { Update(FLook.CaptionAlignment, Value); }
    TCaptionAnchorHoriz CaptionAnchorHoriz() const { return FLook.CaptionAnchorHoriz; }
    void SetCaptionAnchorHoriz(TCaptionAnchorHoriz Value);
    TCaptionAnchorVert CaptionAnchorVert() const { return FLook.CaptionAnchorVert; }
    void SetCaptionAnchorVert(TCaptionAnchorVert Value) { Update(FLook.CaptionAnchorVert, Value); }
    // Per cent of the plot width a caption may take: 0 = never cut, others kept in 5..100.
    int CaptionTrim() const { return FLook.CaptionTrim; }
    void SetCaptionTrim(int Value);
    TkxLayout StandardLayout() const { return FStandardLayout; }
    void SetStandardLayout(TkxLayout Value);
    // Both repaint at once when they change, whatever AutoRedraw says.
    bool AvoidDuplicateMarks() const { return FLook.AvoidDuplicateMarks; }
    void SetAvoidDuplicateMarks(bool Value);
    int MinDupMarkDist() const { return FLook.MinDupMarkDist; }
    void SetMinDupMarkDist(int Value); // kept in 1..3
    TFont* TextFont() { return &FTextFont; }
    void SetTextFont(TFont* Value);
    TFontStyles TextFontStyle() const { return FTextFont.Style(); }
    void SetTextFontStyle(TFontStyles Value) { FTextFont.SetStyle(Value); }
    // When false, ShowItems and the setters leave repainting to the caller.
    bool AutoRedraw() const { return FAutoRedraw; }
    void SetAutoRedraw(bool Value) { FAutoRedraw = Value; }
    TBakGndImg* BackGroundImg() { return &FBackGroundImg; }
    void SetBackGroundImg(TBakGndImg* Value);
    TJointLayers* JointLayers() { return &FLayers.Joint(); }
    void SetJointLayers(TJointLayers* Value); // takes over the controllers of Value
    TCrossHair* CrossHair(int Index) const;   // 1..4, clamped
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
    TCustomKurvex* Sharer(int Index) const; // those showing its items, 1..SharerCount, or nullptr

    // ---- mouse ---------------------------------------------------------------------------------
    static constexpr int MaxMouseTracePoints = TkxInteractor::MaxTracePoints;
    // Pan and zoom gestures move layer 1 only.
    static bool LayerFollowsMouse(int Layer) { return TkxInteractor::LayerFollowsMouse(Layer); }
    // The axis band under a point: the layer of a y axis, minus the layer of an x axis, or 0.
    int AxisAtPoint(int X, int Y) const { return FMouse.AxisAtPoint(X, Y); }
    // Inside the plot area, edges included.
    bool InPlotArea(int X, int Y) const { return Geometry().InPlot(X, Y); }
    const std::vector<TMouseTracePoint>& MouseTrace() const { return FMouse.Trace(); }
    TMouseActMode MouseAction() const { return FMouse.Settings.Action; }
    void SetMouseAction(TMouseActMode Value) { FMouse.Settings.Action = Value; }
    bool MouseCursorFixed() const { return FMouse.Settings.CursorFixed; }
    void SetMouseCursorFixed(bool Value) { FMouse.Settings.CursorFixed = Value; }
    TColor MouseTraceColor() const { return FMouse.Settings.TraceColor; }
    void SetMouseTraceColor(TColor Value) { FMouse.Settings.TraceColor = Value; }
    bool MouseTraceInvert() const { return FMouse.Settings.TraceInvert; }
    void SetMouseTraceInvert(bool Value) { FMouse.Settings.TraceInvert = Value; }
    double PanGridDx() const { return FMouse.Settings.PanGridDx; }
    void SetPanGridDx(double Value) { FMouse.Settings.PanGridDx = Value; }
    double PanGridDy() const { return FMouse.Settings.PanGridDy; }
    void SetPanGridDy(double Value) { FMouse.Settings.PanGridDy = Value; }
    double PanGridOffsX() const { return FMouse.Settings.PanGridOffsX; }
    void SetPanGridOffsX(double Value) { FMouse.Settings.PanGridOffsX = Value; }
    double PanGridOffsY() const { return FMouse.Settings.PanGridOffsY; }
    void SetPanGridOffsY(double Value) { FMouse.Settings.PanGridOffsY = Value; }

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
    bool DataOnTop() const { return FLook.DataOnTop; }
    void SetDataOnTop(bool Value) { Update(FLook.DataOnTop, Value); }
    bool AnnotationsShown() const { return FLook.AnnotationsShown; }
    void SetAnnotationsShown(bool Value) { Update(FLook.AnnotationsShown, Value); }
    bool TextsLast() const { return FLook.TextsLast; }
    void SetTextsLast(bool Value) { Update(FLook.TextsLast, Value); }
    virtual void SetUpdateLock(bool Value); // while set, Paint does nothing; clearing repaints
    bool UpdateLock() const { return FUpdateLock; }
    // The control's canvas while it holds a picture of the control's size, which can be drawn
    // over in part; else nullptr.
    TCanvas* PaintedCanvas();
    // The frame bitmap of the last Paint: the whole control as painted.
    const TBitmap& FrameBitmap() const { return *FFrameBitmap; }
    const TBitmap& PlotBitmap() const { return *FPlotBitmap; }

    // Bracket property writes of a stored layout: no mapping and no painting until Loaded(),
    // which also arms the range check of each set's Logarithmic.
    void BeginLoading() { FLoading = true; }
    void Loaded();

    double AspectX() const { return FAspectX; } // relative width and height of a screen pixel
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
    void AssignTo(TPersistent* Dest) override;
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

    void Changed(); // repaints when AutoRedraw is set; every owned settings object's handler

  private:
    template <typename T> void Update(T& Field, const T& Value) // stores a new Value, repaints
    {
        if (Field == Value) return;
        Field = Value;
        Changed();
    }
    void SetMargin(int& Margin, int Value);
    bool Lock(); // sets the update lock, gives its former state
    TkxRenderView View();
    void RegisterCursors();
    void CreateSubObjects();
    void CreateScales();
    void ApplyLayout(TkxLayout Layout);
    bool ComputeLayerFactors() { return FLayers.ComputeFactors(); } // false: a log axis failed
    void MarginsChanged();
    void UpdateScaleGeometry();
    void ApplyIsometric(int PlotWidthPixels);
    // Copies a set into the axis scale of its layer and puts the axis at its side of the plot.
    void ApplyScaleProps(TScale* Scale, const TScaleProps* Props);
    void ApplyAllScaleProps();
    void ScalePropsChanged(); // the sets' OnChange: scales, coupling, repaint
    void ResetScaleProps();
    // Window colour, shadow, caption and axes onto the frame bitmap, or onto any canvas with the
    // control's top left corner at its origin.
    void PaintFrameBitmap();
    void PaintFrame(TCanvas* C);
    void PaintAxes(TCanvas* C);
    void SizePlotBitmap(); // the plot area plus one pixel each way
    // ShowItems' drawing: the plot bitmap onto the control, the frame left as it is.
    void RefreshPlotArea();
    // Data sharing: the current list to every chart sharing it; ending all sharing at the end.
    void HandOnItems();
    void RepaintSharingCharts();
    void RemoveSharer(TCustomKurvex* Chart);
    void EndSharing();
    void StopUsingData();

    // The side of the chart its mouse handling sees (ZEV_kurvex_mouse.cpp).
    using THostPtr = std::unique_ptr<TkxInteractorHost, void (*)(TkxInteractorHost*)>;
    static THostPtr MakeMouseHost(TCustomKurvex& Chart);

    TkxItemStore FStore;
    TkxLayerSet FLayers;
    TkxAppearance FLook;
    TkxRenderer FRenderer;
    THostPtr FMouseHost;
    TkxInteractor FMouse;
    std::array<std::unique_ptr<TScale>, kxMaxLayer> FScalesX, FScalesY;
    std::unique_ptr<TBitmap> FFrameBitmap, FPlotBitmap;
    TkxLayout FStandardLayout = kxl_X1Bottom_Y1Left;
    TFont FTextFont;
    bool FAutoRedraw = false;
    TBakGndImg FBackGroundImg;
    TkxCrossHairs FCrossHairs;
    TkxTextLabels FTextLabels;
    TCustomKurvex* FUseDataOf = nullptr;
    std::array<TCustomKurvex*, MaxSharers> FSharers{};
    int FSharerCount = 0;
    bool FUpdateLock = false;
    bool FLoading = false;
    double FAspectX = 1.0, FAspectY = 1.0;
};

class TKurvex : public TCustomKurvex {
  public:
    using TCustomKurvex::TCustomKurvex;
};
