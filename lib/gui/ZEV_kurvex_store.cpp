// Drawing commands into the item lists, sharing of the data list, class visibility and the
// extents that AutoRange fits the axes to.
#include "ZEV_kurvex_store.h"

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

TkxItemStore::TkxItemStore()
    : FData(std::make_shared<TkxItemList>()), FAnnotations(std::make_shared<TkxItemList>())
{
    FDataClassShown.fill(true);
    FAnnotationClassShown.fill(true);
}

// ---- commands ----------------------------------------------------------------------------------

TkxChartItem TkxItemStore::NewItem(TkxItemKind Kind) const
{
    TkxChartItem Item{};
    Item.Kind = Kind;
    Item.Layer = Style.ActiveLayer;
    Item.ClassNo = Style.ClassDefault;
    Item.Color = Style.DataColor;
    Item.PenStyle = Style.PenStyle;
    Item.Tag = Style.ItemTag;
    return Item;
}

void TkxItemStore::AddMark(double X, double Y, std::uint8_t MarkType)
{
    TkxChartItem it = NewItem(ikMark);
    it.X = X, it.Y = Y;
    it.LineWidth = Style.LineWidth;
    it.Param3 = MarkType;
    Target().Append(it, Style.AllocSize);
}

void TkxItemStore::AddLine(double X1, double Y1, double X2, double Y2, std::uint8_t CoordMode)
{
    TkxChartItem it = NewItem(ikLine);
    it.X = X1, it.Y = Y1, it.X2 = X2, it.Y2 = Y2;
    it.FillColor = Style.FillColor;
    it.LineWidth = Style.LineWidth;
    it.CoordMode = Style.AnnotationMode ? TkxCoordMode(CoordMode) : cmWorld;
    Target().Append(it, Style.AllocSize);
}

void TkxItemStore::MoveTo(double X, double Y)
{
    TkxChartItem it = NewItem(ikMoveTo);
    it.X = X, it.Y = Y;
    it.LineWidth = Style.LineWidth;
    Target().Append(it, Style.AllocSize);
}

void TkxItemStore::AddText(double X, double Y, int Dx, int Dy, TAlignment Alignment,
                           std::uint8_t CoordMode, int FontSize, const QString& Text)
{
    TkxItemList& list = Target();
    TkxChartItem it = NewItem(Dx != 0 || Dy != 0 ? ikTextOffset : ikText);
    it.X = X, it.Y = Y, it.X2 = Dx, it.Y2 = Dy;
    it.FillColor = Style.FillColor;
    list.StoreText(it, Text);
    it.Param1 = FontSize;
    it.Param2 = Style.TextBkStyle;
    // The record's alignment codes: 0 left, 1 right, 2 centre, as TAlignment counts them.
    it.Param3 = Alignment;
    it.CoordMode = Style.AnnotationMode ? TkxCoordMode(CoordMode) : cmWorld;
    list.Append(it, Style.AllocSize);
}

void TkxItemStore::Assign(const TkxItemStore& Source)
{
    if (&Source == this) return;
    Style = Source.Style;
    auto data = std::make_shared<TkxItemList>();
    data->CopyFrom(*Source.FData, Style.AllocSize);
    auto annotations = std::make_shared<TkxItemList>();
    annotations->CopyFrom(*Source.FAnnotations, Style.AllocSize);
    FData = std::move(data), FAnnotations = std::move(annotations);
    FForeign = FStopShowing = false;
}

// ---- sharing -----------------------------------------------------------------------------------

void TkxItemStore::ShowDataOf(const TkxItemStore& Owner)
{
    FData = Owner.FData;
    FForeign = true;
    FStopShowing = false;
}

TkxItemList& TkxItemStore::OwnData()
{
    // A store that stopped sharing shows its former owner's items only until it changes its own.
    if (FForeign && FStopShowing) {
        FData = std::make_shared<TkxItemList>();
        FForeign = FStopShowing = false;
    }
    return *FData;
}

bool TkxItemStore::SetClassShown(int ClassNo, bool IsAnnotation, bool Value)
{
    if (ClassNo < 0 || ClassNo > 255) return false;
    bool& shown = (IsAnnotation ? FAnnotationClassShown : FDataClassShown)[std::size_t(ClassNo)];
    if (shown == Value) return false;
    shown = Value;
    return true;
}

// ---- fitting -----------------------------------------------------------------------------------

TkxLayerRange TkxItemStore::Fit(int Layer, double MarginPercent, double MinSpanPercent, bool LogX,
                                bool LogY) const
{
    TLayerExtent e = ExtentOf(*FData, Layer);
    const bool noItems = e.X.Empty() && e.Y.Empty();
    e.X.ZeroIfEmpty(), e.Y.ZeroIfEmpty();
    if (!noItems) {
        AddMargins(e, MarginPercent / 100, LogX, LogY);
        e.X.EnsureSpan(MinSpanPercent), e.Y.EnsureSpan(MinSpanPercent);
    }
    e.X.OpenEqualEnds(), e.Y.OpenEqualEnds();
    return {e.X.Min, e.X.Max, e.Y.Min, e.Y.Max};
}

TkxLayerRanges TkxItemStore::FitAll(double MarginPercent, double MinSpanPercent,
                                    const TkxFitRules& Rules) const
{
    std::array<TLayerExtent, kxMaxLayer> own, fitted;
    for (int n = 1; n <= kxMaxLayer; ++n) {
        own[std::size_t(n - 1)] = ExtentOf(*FData, n);
        TLayerExtent& e = fitted[std::size_t(n - 1)] = own[std::size_t(n - 1)];
        e.X.ZeroIfEmpty(), e.Y.ZeroIfEmpty();
    }
    // A controlling layer's axis covers the data of the layers it controls.
    for (int j = 1; j <= kxMaxLayer; ++j) {
        const TkxFitRule& r = Rules[std::size_t(j - 1)];
        if (!r.Shown) continue;
        if (r.XController != j) fitted[std::size_t(r.XController - 1)].X.Widen(own[j - 1].X);
        if (r.YController != j) fitted[std::size_t(r.YController - 1)].Y.Widen(own[j - 1].Y);
    }
    for (int n = 1; n <= kxMaxLayer; ++n) {
        const TkxFitRule& r = Rules[std::size_t(n - 1)];
        if (!r.Shown) continue;
        TLayerExtent& e = fitted[std::size_t(n - 1)];
        e.X.OpenEqualEnds(), e.Y.OpenEqualEnds();
        if (MarginPercent <= 0) continue;
        AddMargins(e, MarginPercent / 100, r.LogX && e.X.Min > 0, r.LogY && e.Y.Min > 0);
        e.X.EnsureSpan(MinSpanPercent), e.Y.EnsureSpan(MinSpanPercent);
    }
    TkxLayerRanges ranges{};
    for (int n = 1; n <= kxMaxLayer; ++n) {
        const TkxFitRule& r = Rules[std::size_t(n - 1)];
        if (!r.Shown) continue;
        const TAxisExtent& x = fitted[std::size_t(r.XController - 1)].X;
        const TAxisExtent& y = fitted[std::size_t(r.YController - 1)].Y;
        ranges[std::size_t(n - 1)] = {x.Min, x.Max, y.Min, y.Max};
    }
    return ranges;
}
