// ClearItems and ShowItems, and the ranging of layers: AutoRange fits the axes to the data list,
// WriteLayerRange and SetLayerRange store ranges into the scale property sets.
#include "ZEV_kurvex.h"

void TCustomKurvex::AddLine(int X1, int Y1, int X2, int Y2)
{
    AddLine(double(X1), double(Y1), double(X2), double(Y2), cmPixels);
}

void TCustomKurvex::AddLine(double X1, double Y1, double X2, double Y2, std::uint8_t CoordMode)
{
    FStore.AddLine(X1, Y1, X2, Y2, CoordMode);
}

void TCustomKurvex::AddText(double X, double Y, int FontSize, const QString& Text)
{
    AddText(X, Y, 0, 0, TextAlignment(), cmWorld, FontSize, Text);
}

void TCustomKurvex::AddText(double X, double Y, int Dx, int Dy, TAlignment Alignment,
                            std::uint8_t CoordMode, int FontSize, const QString& Text)
{
    FStore.AddText(X, Y, Dx, Dy, Alignment, CoordMode, FontSize, Text);
}

void TCustomKurvex::ClearItems()
{
    SizePlotBitmap();
    PaintPlotBackground(FPlotBitmap->Canvas(), 0, 0, FPlotBitmap->Width(), FPlotBitmap->Height());
    FStore.ClearData();
    FMouse.ClearTrace();
    HandOnItems();
}

void TCustomKurvex::ShowItems()
{
    const bool hidden = testAttribute(Qt::WA_WState_ExplicitShowHide) && isHidden();
    if (!hidden) {
        HandOnItems();
        RefreshPlotArea();
    }
    RepaintSharingCharts();
}

void TCustomKurvex::RefreshPlotArea()
{
    // Without a picture on the control yet there is nothing to refresh a part of.
    if (!FAutoRedraw || !PaintedCanvas()) {
        Invalidate();
        return;
    }
    SizePlotBitmap();
    PaintPlotBackground(FPlotBitmap->Canvas(), 0, 0, FPlotBitmap->Width(), FPlotBitmap->Height());
    RenderToBitmap(FPlotBitmap.get(), 0, 0, false, false);
    DrawCrossHairs(FPlotBitmap->Canvas(), FLook.MarginLeft, FLook.MarginTop);
    Canvas()->Draw(FLook.MarginLeft, FLook.MarginTop, FPlotBitmap.get());
    ShowCanvas();
}

// ---- ranging -----------------------------------------------------------------------------------

void TCustomKurvex::AutoRange(int Layer, double MarginPercent, double MinSpanPercent)
{
    if (Layer == 0) {
        TkxFitRules rules;
        for (int n = 1; n <= kxMaxLayer; ++n)
            rules[std::size_t(n - 1)] = {FLayers.Shown(n), JointLayers()->XController(n),
                                         JointLayers()->YController(n), FLayers.X(n).Logarithmic(),
                                         FLayers.Y(n).Logarithmic()};
        const TkxLayerRanges ranges = FStore.FitAll(MarginPercent, MinSpanPercent, rules);
        for (int n = 1; n <= kxMaxLayer; ++n) {
            if (!FLayers.Shown(n)) continue;
            const TkxLayerRange& r = ranges[std::size_t(n - 1)];
            FLayers.StoreRange(n, r.LoX, r.HiX, r.LoY, r.HiY);
        }
        CalcLayerFactors();
    } else {
        if (Layer < 1 || Layer > kxMaxLayer) return;
        TkxLayerRange r =
            FStore.Fit(Layer, MarginPercent, MinSpanPercent, FLayers.X(Layer).Logarithmic(),
                       FLayers.Y(Layer).Logarithmic());
        const int w = PlotWidth() + 1, h = PlotHeight() + 1;
        if (FLook.Isometric && w > 0 && h > 0) {
            const double half = (r.HiX - r.LoX) * h / w * FAspectY / FAspectX / 2;
            const double mid = (r.HiY + r.LoY) / 2;
            r.LoY = mid - half, r.HiY = mid + half;
        }
        SetLayerRange(Layer, r.LoX, r.LoY, r.HiX, r.HiY);
        CalcLayerFactors();
    }
    Changed();
}

void TCustomKurvex::WriteLayerRange(int Layer, double LoX, double HiX, double LoY, double HiY)
{
    if (Layer < 1 || Layer > kxMaxLayer) return;
    FLayers.StoreRange(Layer, LoX, HiX, LoY, HiY);
    CalcLayerFactors();
}

void TCustomKurvex::SetLayerRange(int Layer, double LoX, double LoY, double HiX, double HiY)
{
    if (Layer < 1 || Layer > kxMaxLayer) return;
    const bool wasLocked = Lock();
    FLayers.CoupledRange(Layer, LoX, LoY, HiX, HiY);
    SetUpdateLock(wasLocked);
}
