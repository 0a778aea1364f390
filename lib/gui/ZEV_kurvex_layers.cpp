// The layers of a chart: their property sets and defaults, the coupling of their axes, the range
// writes and the world-to-pixel mapping.
#include "ZEV_kurvex_layers.h"

#include <QStringList>

// ---- layer coupling ----------------------------------------------------------------------------

TJointLayers::TJointLayers(TkxLayerSet* Layers) : FLayers(Layers)
{
    Reset();
}

void TJointLayers::Reset()
{
    for (int n = 1; n <= kxMaxLayer; ++n)
        FXController[std::size_t(n - 1)] = FYController[std::size_t(n - 1)] = n;
}

int TJointLayers::XController(int Layer) const
{
    return Layer >= 1 && Layer <= kxMaxLayer ? FXController[std::size_t(Layer - 1)] : Layer;
}

int TJointLayers::YController(int Layer) const
{
    return Layer >= 1 && Layer <= kxMaxLayer ? FYController[std::size_t(Layer - 1)] : Layer;
}

void TJointLayers::SetXControlledBy(int Layer, int Destination)
{
    Couple(FXController, true, Layer, Destination);
}

void TJointLayers::SetYControlledBy(int Layer, int Destination)
{
    Couple(FYController, false, Layer, Destination);
}

void TJointLayers::Couple(TControllers& Controllers, bool XAxis, int Layer, int Destination)
{
    if (Layer < 1 || Layer > kxMaxLayer) return;
    if (Destination < 1 || Destination > kxMaxLayer)
        throw EZEVKurvexError(
            QStringLiteral("Destination layer %1 is out of range").arg(Destination));
    int& controller = Controllers[std::size_t(Layer - 1)];
    if (Destination == Layer) {
        controller = Layer;
        return;
    }
    if (Controllers[std::size_t(Destination - 1)] != Destination)
        throw EZEVKurvexError(
            QStringLiteral("Destination layer %1 is already joined").arg(Destination));
    QStringList joined;
    for (int k = 1; k <= kxMaxLayer; ++k)
        if (k != Layer && Controllers[std::size_t(k - 1)] == Layer) joined << QString::number(k);
    if (!joined.isEmpty())
        throw EZEVKurvexError(QStringLiteral("Layer %1 is joined by other layers (%2)")
                                  .arg(Layer)
                                  .arg(joined.join(QStringLiteral(", "))));
    controller = Destination;
    if (FLayers) {
        const TkxLayerRange own = FLayers->Range(Layer), lead = FLayers->Range(Destination);
        if (XAxis)
            FLayers->StoreRange(Layer, lead.LoX, lead.HiX, own.LoY, own.HiY);
        else
            FLayers->StoreRange(Layer, own.LoX, own.HiX, lead.LoY, lead.HiY);
        FLayers->ComputeFactors();
    }
    FireEvent(OnChange, this);
}

void TJointLayers::Assign(TPersistent* Source)
{
    auto* s = dynamic_cast<TJointLayers*>(Source);
    if (!s) {
        TPersistent::Assign(Source);
        return;
    }
    FXController = s->FXController;
    FYController = s->FYController;
}

void TJointLayers::AssignTo(TPersistent* Dest)
{
    if (!AssignToOwnKind(this, Dest)) TPersistent::AssignTo(Dest);
}

// ---- the sets ----------------------------------------------------------------------------------

TkxLayerSet::TkxLayerSet() : FJoint(std::make_unique<TJointLayers>(this))
{
    FShown.fill(true);
    for (TLayer& layer : FLayers) {
        layer.PropsX = std::make_unique<TScalePropsHoriz>();
        layer.PropsY = std::make_unique<TScalePropsVert>();
    }
}

TkxLayerSet::~TkxLayerSet() = default;

TScalePropsHoriz& TkxLayerSet::X(int Layer) const
{
    return *At(Layer).PropsX;
}

TScalePropsVert& TkxLayerSet::Y(int Layer) const
{
    return *At(Layer).PropsY;
}

bool TkxLayerSet::SetShown(int Layer, bool Value)
{
    if (Layer < 1 || Layer > kxMaxLayer || FShown[std::size_t(Layer - 1)] == Value) return false;
    FShown[std::size_t(Layer - 1)] = Value;
    return true;
}

TkxLayerRange TkxLayerSet::Range(int Layer) const
{
    const TLayer& l = At(Layer);
    return {l.PropsX->RangeLow(), l.PropsX->RangeHigh(), l.PropsY->RangeLow(),
            l.PropsY->RangeHigh()};
}

void TkxLayerSet::ResetProps(const TNotifyEvent& Handler)
{
    for (int n = 1; n <= kxMaxLayer; ++n) {
        TLayer& layer = At(n);
        for (TScaleProps* p : {static_cast<TScaleProps*>(layer.PropsX.get()),
                               static_cast<TScaleProps*>(layer.PropsY.get())}) {
            p->SetDefaults();
            p->OnChange = Handler;
            p->DateFormat()->OnChange = p->OnChange;
        }
        const bool odd = n % 2 == 1;
        layer.PropsX->SetPositionCode(odd ? spcBottom : spcTop);
        layer.PropsX->StoreScalePos((n - 1) / 2 * 30);
        layer.PropsX->StoreColorScale(LayerColor(n));
        layer.PropsY->SetPositionCode(odd ? spcLeft : spcRight);
        layer.PropsY->StoreScalePos((n - 1) / 2 * 50);
        layer.PropsY->StoreColorScale(LayerColor(n));
    }
}

// ---- ranges ------------------------------------------------------------------------------------

void TkxLayerSet::StoreRange(int Layer, double LoX, double HiX, double LoY, double HiY)
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
    TLayer& layer = At(Layer);
    store(*layer.PropsX, LoX, HiX);
    store(*layer.PropsY, LoY, HiY);
    if (OnRangeStored) OnRangeStored(Layer);
}

void TkxLayerSet::CoupledRange(int Layer, double LoX, double LoY, double HiX, double HiY)
{
    if (Layer < 1 || Layer > kxMaxLayer) return;
    const TLayer& own = At(Layer);
    if (FJoint->XController(Layer) != Layer)
        LoX = own.PropsX->RangeLow(), HiX = own.PropsX->RangeHigh();
    if (FJoint->YController(Layer) != Layer)
        LoY = own.PropsY->RangeLow(), HiY = own.PropsY->RangeHigh();
    StoreRange(Layer, LoX, HiX, LoY, HiY);
    for (int i = 1; i <= kxMaxLayer; ++i) {
        const int cx = FJoint->XController(i), cy = FJoint->YController(i);
        if (i == Layer || (cx != Layer && cy != Layer)) continue;
        const TScaleProps& x = *At(cx).PropsX;
        const TScaleProps& y = *At(cy).PropsY;
        StoreRange(i, x.RangeLow(), x.RangeHigh(), y.RangeLow(), y.RangeHigh());
    }
    ComputeFactors();
}

void TkxLayerSet::MakeIsometric(int PlotWidthPixels, int PlotHeightPixels, double AspectX,
                                double AspectY)
{
    const int h = PlotHeightPixels;
    for (int n = 1; n <= kxMaxLayer; ++n) {
        const TScaleProps& x = *At(n).PropsX;
        const TScaleProps& y = *At(n).PropsY;
        // The y axis keeps its direction; only the x span's size counts.
        const double span =
            std::abs(x.RangeHigh() - x.RangeLow()) * h / PlotWidthPixels * AspectY / AspectX;
        const double half = (y.RangeHigh() < y.RangeLow() ? -span : span) / 2;
        const double mid = (y.RangeLow() + y.RangeHigh()) / 2;
        StoreRange(n, x.RangeLow(), x.RangeHigh(), mid - half, mid + half);
    }
}

// ---- mapping -----------------------------------------------------------------------------------

namespace {
// Pixel = k * v + d maps the range's low end to pixel A and its high end to pixel B (v is ln of
// the value on a logarithmic axis). Ranges without a usable span map to the middle.
struct TAxisMap {
    long double k = 0, d = 0;
};

TAxisMap MapAxis(const TScaleProps& P, int A, int B, bool& LogError)
{
    const long double mid = (static_cast<long double>(A) + B) / 2;
    long double lo = P.RangeLow(), hi = P.RangeHigh();
    if (P.Logarithmic()) {
        if (lo <= 0 || hi <= 0) {
            LogError = true;
            return {0, mid};
        }
        lo = std::log(lo), hi = std::log(hi);
    }
    const long double span = hi - lo;
    const long double k = (B - A) / span, d = (A * hi - B * lo) / span;
    if (span == 0 || !std::isfinite(k) || !std::isfinite(d)) return {0, mid};
    return {k, d};
}

double ToWorld(long double P, long double K, long double D, bool Logarithmic, double Lo, double Hi)
{
    if (K == 0)
        return Logarithmic && Lo > 0 && Hi > 0 ? std::sqrt(Lo) * std::sqrt(Hi) : Lo / 2 + Hi / 2;
    const long double v = (P - D) / K;
    return double(Logarithmic ? std::exp(v) : v);
}
} // namespace

bool TkxLayerSet::ComputeFactors()
{
    bool logError = false;
    const TkxPlotGeometry g = Geometry();
    for (TLayer& layer : FLayers) {
        TAxisMap x{0, g.Width / 2.0L}, y{0, g.Height / 2.0L};
        if (g.PlotWidth() > 0) x = MapAxis(*layer.PropsX, g.MarginLeft, g.PlotRight(), logError);
        if (g.PlotHeight() > 0) y = MapAxis(*layer.PropsY, g.PlotBottom(), g.MarginTop, logError);
        layer.kx = x.k, layer.dx = x.d, layer.ky = y.k, layer.dy = y.d;
    }
    return !logError;
}

TkxAxisMap TkxLayerSet::AxisMapX(int Layer) const
{
    const TLayer& l = At(Layer);
    const TScaleProps& p = *l.PropsX;
    return {l.kx, l.dx, p.Logarithmic(), p.RangeHigh() >= p.RangeLow() ? 0 : Geometry().Width};
}

TkxAxisMap TkxLayerSet::AxisMapY(int Layer) const
{
    const TLayer& l = At(Layer);
    const TScaleProps& p = *l.PropsY;
    return {l.ky, l.dy, p.Logarithmic(), p.RangeHigh() >= p.RangeLow() ? Geometry().Height : 0};
}

void TkxLayerSet::PixelToWorld(int Layer, int PX, int PY, double& X, double& Y) const
{
    const TLayer& l = At(Layer);
    const TScaleProps& px = *l.PropsX;
    const TScaleProps& py = *l.PropsY;
    X = ToWorld(PX, l.kx, l.dx, px.Logarithmic(), px.RangeLow(), px.RangeHigh());
    Y = ToWorld(PY, l.ky, l.dy, py.Logarithmic(), py.RangeLow(), py.RangeHigh());
}
