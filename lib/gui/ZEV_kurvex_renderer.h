// Drawing of a chart onto any canvas (screen bitmap, printer) from a read-only view of its item
// store, layers and appearance: the frame (window colour, shadow, caption), the plot background,
// the rendering pass of grid, items and text labels, and the cross-hairs. The axes are the
// chart's to draw. Keeps only scratch memory between passes.
#pragma once

#include "StampRun.h"
#include "ZEV_kurvex_appearance.h"
#include "ZEV_kurvex_store.h"

#include <functional>
#include <memory>
#include <vector>

class TScale;

using TRenderEvent = std::function<void(TObject* Sender, TCanvas* Canvas, int Top, int Left)>;
using TBeforeRenderCItemEvent =
    std::function<void(TObject* Sender, TkxChartItem& ChartItem, int Index, bool IsAnnotation)>;
using TBeforeRenderTextEvent =
    std::function<void(TObject* Sender, QString& Text, int Index, bool IsAnnotation)>;

// Everything a drawing reads, none of it changed by drawing.
struct TkxRenderView {
    TObject* Sender; // the chart, as the handlers see it
    const TkxItemStore& Store;
    const TkxLayerSet& Layers;
    const TkxAppearance& Look;
    const TBakGndImg& Background;
    TkxPlotGeometry Geometry;
    const TFont& CaptionFont;
    const TFont& TextFont; // name and style of item texts
    const TkxTextLabels& TextLabels;
    const TkxCrossHairs& CrossHairs;
    // The active layer's axis scales, whose ticks a grid step of 0 follows; none: no ticks.
    const TScale* GridScaleX = nullptr;
    const TScale* GridScaleY = nullptr;
    const TRenderEvent* OnBeforeRenderData = nullptr;
    const TRenderEvent* OnDataRendered = nullptr;
    const TBeforeRenderCItemEvent* OnBeforeRenderChartItem = nullptr;
    const TBeforeRenderTextEvent* OnBeforeRenderText = nullptr;
};

class TkxRenderer {
  public:
    TkxRenderer();
    ~TkxRenderer();
    // Window colour over the whole control, shadow and caption; the control's top left corner
    // at the canvas origin.
    void PaintFrame(const TkxRenderView& View, TCanvas* Canvas) const;
    // Plot background (colour, picture or area) over Width x Height at (Left, Top) of Canvas.
    // False when the background picture could not be read (the plain background stands in).
    bool PaintPlotBackground(const TkxRenderView& View, TCanvas* Canvas, int Left, int Top,
                             int Width, int Height);
    // One rendering pass with the plot area's top left corner at (Left, Top) of Canvas.
    void RenderItems(const TkxRenderView& View, TCanvas* Canvas, int Left, int Top, bool NoGrid,
                     bool Monochrome);
    // The cross-hairs onto a canvas whose origin lies at (OffsetX, OffsetY) of the control.
    static void DrawCrossHairs(const TkxRenderView& View, TCanvas* Canvas, int OffsetX,
                               int OffsetY);

  private:
    bool PaintPicture(const TkxRenderView& View, TCanvas* C, int Left, int Top, int W, int H);
    static void PaintArea(const TkxRenderView& View, TCanvas* C, int Left, int Top, int W, int H);
    static void PaintShadow(const TkxRenderView& View, TCanvas* C);
    static void PaintCaption(const TkxRenderView& View, TCanvas* C);

    std::unique_ptr<TBitmap> FPicture;
    // Mark type last drawn near each control pixel, with a border of MinDupMarkDist.
    std::vector<int> FDupMarkMap;
    TStampRun FStampRun;
};
