// Painting of the chart: the frame bitmap (window colour, shadow, caption, axes), the plot bitmap
// and the assembly of both onto the control; the drawing itself is the renderer's.
#include "ZEV_kurvex.h"

TkxRenderView TCustomKurvex::View()
{
    TkxRenderView view{this,       FStore,  FLayers,   FLook,       FBackGroundImg,
                       Geometry(), *Font(), FTextFont, FTextLabels, FCrossHairs};
    view.GridScaleX = ScaleObjectX(ActiveLayer());
    view.GridScaleY = ScaleObjectY(ActiveLayer());
    view.OnBeforeRenderData = &OnBeforeRenderData;
    view.OnDataRendered = &OnDataRendered;
    view.OnBeforeRenderChartItem = &OnBeforeRenderChartItem;
    view.OnBeforeRenderText = &OnBeforeRenderText;
    return view;
}

void TCustomKurvex::Paint()
{
    const bool hidden = testAttribute(Qt::WA_WState_ExplicitShowHide) && isHidden();
    if (hidden || FLoading || FUpdateLock) return;
    PaintFrameBitmap();
    SizePlotBitmap();
    PaintPlotBackground(FPlotBitmap->Canvas(), 0, 0, FPlotBitmap->Width(), FPlotBitmap->Height());
    RenderToBitmap(FPlotBitmap.get(), 0, 0, false, false);
    FMouse.PaintTrace(FPlotBitmap->Canvas(), 0, 0);
    FFrameBitmap->Canvas()->Draw(FLook.MarginLeft, FLook.MarginTop, FPlotBitmap.get());
    DrawCrossHairs(FFrameBitmap->Canvas(), 0, 0);
    Canvas()->Draw(0, 0, FFrameBitmap.get());
    FMouse.RedrawBand();
}

void TCustomKurvex::PaintTo(TCanvas* Canvas)
{
    if (!Canvas) return;
    PaintFrame(Canvas);
    const int w = std::max(0, PlotWidth() + 1), h = std::max(0, PlotHeight() + 1);
    PaintPlotBackground(Canvas, FLook.MarginLeft, FLook.MarginTop, w, h);
    RenderItems(Canvas, FLook.MarginLeft, FLook.MarginTop, false, false);
    DrawCrossHairs(Canvas, 0, 0);
}

void TCustomKurvex::PaintFrameBitmap()
{
    FFrameBitmap->SetDevicePixelRatio(devicePixelRatioF());
    FFrameBitmap->SetSize(Width(), Height());
    PaintFrame(FFrameBitmap->Canvas());
}

void TCustomKurvex::PaintFrame(TCanvas* c)
{
    FRenderer.PaintFrame(View(), c);
    // Painting never raises: an axis that cannot be mapped is drawn at the middle of the plot.
    ComputeLayerFactors();
    PaintAxes(c);
    FireEvent(OnScalesRendered, this, c, 0, 0);
}

void TCustomKurvex::PaintPlotBackground(TCanvas* Canvas, int Left, int Top, int W, int H)
{
    // A picture that cannot be read is dropped.
    if (!FRenderer.PaintPlotBackground(View(), Canvas, Left, Top, W, H))
        FBackGroundImg.SetName(QString());
}

void TCustomKurvex::RenderToBitmap(TBitmap* Bitmap, int Left, int Top, bool NoGrid, bool Monochrome)
{
    RenderItems(Bitmap->Canvas(), Left, Top, NoGrid, Monochrome);
}

void TCustomKurvex::RenderItems(TCanvas* Canvas, int Left, int Top, bool NoGrid, bool Monochrome)
{
    FRenderer.RenderItems(View(), Canvas, Left, Top, NoGrid, Monochrome);
}

void TCustomKurvex::DrawCrossHairs(TCanvas* Canvas, int OffsetX, int OffsetY)
{
    TkxRenderer::DrawCrossHairs(View(), Canvas, OffsetX, OffsetY);
}
