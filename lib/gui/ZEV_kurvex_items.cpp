// Drawing commands, ClearItems and ShowItems, and the ranging of layers: AutoRange fits the axes
// to the data list, WriteLayerRange and SetLayerRange store ranges into the scale property sets.
#include "ZEV_kurvex.h"

#include <algorithm>
#include <cmath>

namespace {
// One axis of a layer's extent; empty until a value is taken.
struct TAxisExtent {
    double Min = HUGE_VAL, Max = -HUGE_VAL;

    bool Empty() const { return Min > Max; }
    // Non-finite coordinates cannot be drawn and must not stretch a range.
    void Take(double V)
    {
        if (!std::isfinite(V)) return;
        Min = std::min(Min, V), Max = std::max(Max, V);
    }
    void TakeAround(double Centre, double HalfWidth)
    {
        Take(Centre - HalfWidth), Take(Centre + HalfWidth);
    }
    void Widen(const TAxisExtent& Other)
    {
        if (!Other.Empty()) Min = std::min(Min, Other.Min), Max = std::max(Max, Other.Max);
    }
    // An axis without items fits 0..0 (which the equal-ends rule then opens to -1..1).
    void ZeroIfEmpty()
    {
        if (Empty()) Min = Max = 0;
    }

    // Margin of Fraction of the span on each side; on a logarithmic axis a factor instead.
    void AddMargin(double Fraction, bool Logarithmic)
    {
        if (Logarithmic) {
            const double l = std::log(Min > 0 ? Max / Min : Max);
            Min *= std::exp(-Fraction * l), Max *= std::exp(Fraction * l);
        } else {
            const double d = Fraction * (Max - Min);
            Min -= d, Max += d;
        }
    }
    void EnsureSpan(double SpanPercent)
    {
        const double e = SpanPercent * (Max + Min) / 2 / 100;
        if (e > std::abs(Max - Min)) Min -= e, Max += e;
    }
    void OpenEqualEnds()
    {
        if (Min == Max) Min -= 1, Max += 1;
    }
};

struct TLayerExtent {
    TAxisExtent X, Y;
};

TLayerExtent ExtentOf(const TkxItemList& Items, int Layer)
{
    TLayerExtent e;
    for (const TkxChartItem& it : Items) {
        if (it.Layer != Layer) continue;
        if (it.Kind != ikMoveRel && it.Kind != ikLineRel &&
            (it.CoordMode == cmWorld || it.CoordMode == cmWorldThenPixels))
            e.X.Take(it.X), e.Y.Take(it.Y);
        switch (it.Kind) {
        case ikLine:
        case ikRect:
        case ikFilledRect:
        case ikBar3D:
        case ikArrow:
        case ikArrow2:
        case ikShiftedLine:
            e.X.Take(it.X2), e.Y.Take(it.Y2);
            break;
        case ikCross:
            if (it.CoordMode != cmWorld) break;
            [[fallthrough]];
        case ikEllipse:
        case ikArc:
            e.X.TakeAround(it.X, it.X2), e.Y.TakeAround(it.Y, it.Y2);
            break;
        case ikErrorBar:
            if (it.Param1 != 0)
                e.X.TakeAround(it.X, it.X2);
            else
                e.Y.TakeAround(it.Y, it.Y2);
            break;
        default:
            break;
        }
    }
    return e;
}

// A logarithmic margin needs a positive upper end; below that the linear margin keeps the ends
// finite.
void AddMargins(TLayerExtent& E, double Fraction, bool LogX, bool LogY)
{
    E.X.AddMargin(Fraction, LogX && E.X.Max > 0);
    E.Y.AddMargin(Fraction, LogY && E.Y.Max > 0);
}
} // namespace

// ---- creation attributes -----------------------------------------------------------------------

void TCustomKurvex::SetClassDefault(std::uint8_t Value)
{
    if (Value != 255) FClassDefault = Value;
}

void TCustomKurvex::SetActiveLayer(int Value)
{
    if (Value >= 1 && Value <= kxMaxLayer) FActiveLayer = Value;
}

void TCustomKurvex::SetAllocSize(int Value)
{
    if (Value >= 1 && Value <= 1000000) FAllocSize = Value;
}

// ---- commands ----------------------------------------------------------------------------------

TkxChartItem TCustomKurvex::NewItem(TkxItemKind Kind) const
{
    TkxChartItem Item{};
    Item.Kind = Kind;
    Item.Layer = FActiveLayer;
    Item.ClassNo = FClassDefault;
    Item.Color = FDataColor;
    Item.PenStyle = FPenStyle;
    Item.Tag = FItemTag;
    return Item;
}

void TCustomKurvex::AddMark(double X, double Y, std::uint8_t MarkType)
{
    TkxChartItem it = NewItem(ikMark);
    it.X = X, it.Y = Y;
    it.LineWidth = FLineWidth;
    it.Param3 = MarkType;
    TargetList().Append(it, FAllocSize);
}

void TCustomKurvex::AddLine(int X1, int Y1, int X2, int Y2)
{
    AddLine(double(X1), double(Y1), double(X2), double(Y2), cmPixels);
}

void TCustomKurvex::AddLine(double X1, double Y1, double X2, double Y2, std::uint8_t CoordMode)
{
    TkxChartItem it = NewItem(ikLine);
    it.X = X1, it.Y = Y1, it.X2 = X2, it.Y2 = Y2;
    it.FillColor = FFillColor;
    it.LineWidth = FLineWidth;
    it.CoordMode = FAnnotationMode ? TkxCoordMode(CoordMode) : cmWorld;
    TargetList().Append(it, FAllocSize);
}

void TCustomKurvex::MoveTo(double X, double Y)
{
    TkxChartItem it = NewItem(ikMoveTo);
    it.X = X, it.Y = Y;
    it.LineWidth = FLineWidth;
    TargetList().Append(it, FAllocSize);
}

void TCustomKurvex::AddText(double X, double Y, int FontSize, const QString& Text)
{
    AddText(X, Y, 0, 0, FTextAlignment, cmWorld, FontSize, Text);
}

void TCustomKurvex::AddText(double X, double Y, int Dx, int Dy, TAlignment Alignment,
                            std::uint8_t CoordMode, int FontSize, const QString& Text)
{
    TkxItemList& list = TargetList();
    TkxChartItem it = NewItem(Dx != 0 || Dy != 0 ? ikTextOffset : ikText);
    it.X = X, it.Y = Y, it.X2 = Dx, it.Y2 = Dy;
    it.FillColor = FFillColor;
    list.StoreText(it, Text);
    it.Param1 = FontSize;
    it.Param2 = FTextBkStyle;
    // The record's alignment codes: 0 left, 1 right, 2 centre, as TAlignment counts them.
    it.Param3 = Alignment;
    it.CoordMode = FAnnotationMode ? TkxCoordMode(CoordMode) : cmWorld;
    list.Append(it, FAllocSize);
}

void TCustomKurvex::ClearItems()
{
    SizePlotBitmap();
    PaintPlotBackground(FPlotBitmap->Canvas(), 0, 0, FPlotBitmap->Width(), FPlotBitmap->Height());
    OwnDataList().Clear();
    FMouseTrace.clear();
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
    if (!FAutoRedraw) {
        Invalidate();
        return;
    }
    if (!ControlPainted()) {
        Invalidate(); // nothing on the control yet to refresh a part of
        return;
    }
    SizePlotBitmap();
    PaintPlotBackground(FPlotBitmap->Canvas(), 0, 0, FPlotBitmap->Width(), FPlotBitmap->Height());
    RenderToBitmap(FPlotBitmap.get(), 0, 0, false, false);
    DrawCrossHairs(FPlotBitmap->Canvas(), FMarginLeft, FMarginTop);
    Canvas()->Draw(FMarginLeft, FMarginTop, FPlotBitmap.get());
    ShowCanvas();
}

// ---- ranging -----------------------------------------------------------------------------------

void TCustomKurvex::AutoRange(int Layer, double MarginPercent, double MinSpanPercent)
{
    if (Layer == 0) {
        std::array<TLayerExtent, kxMaxLayer> raw;
        for (int n = 1; n <= kxMaxLayer; ++n) {
            TLayerExtent& e = raw[std::size_t(n - 1)];
            e = ExtentOf(*FDataList, n);
            e.X.ZeroIfEmpty(), e.Y.ZeroIfEmpty();
        }
        // A controlling layer's axis covers the data of the layers it controls.
        std::array<TLayerExtent, kxMaxLayer> fitted = raw;
        for (int j = 1; j <= kxMaxLayer; ++j) {
            if (!LayerShown(j)) continue;
            const TLayerExtent own = ExtentOf(*FDataList, j);
            const int cx = FJointLayers->XController(j), cy = FJointLayers->YController(j);
            if (cx != j) fitted[std::size_t(cx - 1)].X.Widen(own.X);
            if (cy != j) fitted[std::size_t(cy - 1)].Y.Widen(own.Y);
        }
        for (int n = 1; n <= kxMaxLayer; ++n) {
            if (!LayerShown(n)) continue;
            TLayerExtent& e = fitted[std::size_t(n - 1)];
            e.X.OpenEqualEnds(), e.Y.OpenEqualEnds();
            if (MarginPercent <= 0) continue;
            const bool logX = ScalePropsX(n)->Logarithmic() && e.X.Min > 0;
            const bool logY = ScalePropsY(n)->Logarithmic() && e.Y.Min > 0;
            AddMargins(e, MarginPercent / 100, logX, logY);
            e.X.EnsureSpan(MinSpanPercent), e.Y.EnsureSpan(MinSpanPercent);
        }
        for (int n = 1; n <= kxMaxLayer; ++n) {
            if (!LayerShown(n)) continue;
            const TAxisExtent& x = fitted[std::size_t(FJointLayers->XController(n) - 1)].X;
            const TAxisExtent& y = fitted[std::size_t(FJointLayers->YController(n) - 1)].Y;
            StoreLayerRange(n, x.Min, x.Max, y.Min, y.Max);
        }
        CalcLayerFactors();
    } else {
        if (Layer < 1 || Layer > kxMaxLayer) return;
        TLayerExtent e = ExtentOf(*FDataList, Layer);
        const bool noItems = e.X.Empty() && e.Y.Empty();
        e.X.ZeroIfEmpty(), e.Y.ZeroIfEmpty();
        if (!noItems) {
            AddMargins(e, MarginPercent / 100, ScalePropsX(Layer)->Logarithmic(),
                       ScalePropsY(Layer)->Logarithmic());
            e.X.EnsureSpan(MinSpanPercent), e.Y.EnsureSpan(MinSpanPercent);
        }
        e.X.OpenEqualEnds(), e.Y.OpenEqualEnds();
        const int w = PlotWidth() + 1, h = PlotHeight() + 1;
        if (FIsometric && w > 0 && h > 0) {
            const double half = (e.X.Max - e.X.Min) * h / w * FAspectY / FAspectX / 2;
            const double mid = (e.Y.Max + e.Y.Min) / 2;
            e.Y.Min = mid - half, e.Y.Max = mid + half;
        }
        SetLayerRange(Layer, e.X.Min, e.Y.Min, e.X.Max, e.Y.Max);
        CalcLayerFactors();
    }
    Changed();
}

void TCustomKurvex::StoreLayerRange(int Layer, double LoX, double HiX, double LoY, double HiY)
{
    if (Layer < 1 || Layer > kxMaxLayer) return;
    auto store = [](TScaleProps& Props, double Lo, double Hi) {
        if (!std::isfinite(Lo) || !std::isfinite(Hi)) return;
        if (Props.Logarithmic()) {
            // Each end is taken only if a logarithmic axis can show it.
            if (Lo < TScaleProps::LogFloor) Lo = Props.RangeLow();
            if (Hi < TScaleProps::LogFloor) Hi = Props.RangeHigh();
        }
        // Checked after the ends were picked, so a refused end cannot leave an empty range.
        if (0.99 * Props.MinRange() > std::abs(Hi - Lo)) return;
        Props.StoreRange(Lo, Hi);
    };
    TkxLayer& layer = LayerAt(Layer);
    store(*layer.PropsX, LoX, HiX);
    store(*layer.PropsY, LoY, HiY);
    ApplyScaleProps(layer.ScaleX.get(), layer.PropsX.get());
    ApplyScaleProps(layer.ScaleY.get(), layer.PropsY.get());
}

void TCustomKurvex::WriteLayerRange(int Layer, double LoX, double HiX, double LoY, double HiY)
{
    if (Layer < 1 || Layer > kxMaxLayer) return;
    StoreLayerRange(Layer, LoX, HiX, LoY, HiY);
    CalcLayerFactors();
}

void TCustomKurvex::SetLayerRange(int Layer, double LoX, double LoY, double HiX, double HiY)
{
    if (Layer < 1 || Layer > kxMaxLayer) return;
    const bool wasLocked = FUpdateLock;
    FUpdateLock = true;
    const TkxLayer& own = LayerAt(Layer);
    if (FJointLayers->XController(Layer) != Layer)
        LoX = own.PropsX->RangeLow(), HiX = own.PropsX->RangeHigh();
    if (FJointLayers->YController(Layer) != Layer)
        LoY = own.PropsY->RangeLow(), HiY = own.PropsY->RangeHigh();
    StoreLayerRange(Layer, LoX, HiX, LoY, HiY);
    for (int i = 1; i <= kxMaxLayer; ++i) {
        const int cx = FJointLayers->XController(i), cy = FJointLayers->YController(i);
        if (i == Layer || (cx != Layer && cy != Layer)) continue;
        const TScaleProps& x = *LayerAt(cx).PropsX;
        const TScaleProps& y = *LayerAt(cy).PropsY;
        StoreLayerRange(i, x.RangeLow(), x.RangeHigh(), y.RangeLow(), y.RangeHigh());
    }
    ComputeLayerFactors();
    SetUpdateLock(wasLocked);
}

bool TCustomKurvex::ControlPainted()
{
    const QImage* screen = Canvas()->Target();
    const QSizeF shown = screen ? screen->deviceIndependentSize() : QSizeF();
    return std::abs(shown.width() - Width()) < 1 && std::abs(shown.height() - Height()) < 1;
}
