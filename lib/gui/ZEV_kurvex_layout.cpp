// Construction of the chart and its sub-objects, the layout properties with their setter rules,
// the standard layouts, the isometric rule and the world-to-pixel mapping of the layers.
#include "ZEV_kurvex.h"

#include <QFileInfo>
#include <algorithm>
#include <cmath>
#include <limits>

// ---- TBakGndImg -----------------------------------------------------------------------------

void TBakGndImg::SetName(const QString& Value)
{
    FName = FIncludePath ? Value : QFileInfo(Value).fileName();
    Changed();
}

void TBakGndImg::SetIncludePath(bool Value)
{
    FIncludePath = Value;
    if (!Value) FName = QFileInfo(FName).fileName();
    Changed();
}

void TBakGndImg::SetFillMode(TBkgFill Value)
{
    FFillMode = Value, Changed();
}
void TBakGndImg::SetAreaMode(TBGAreaMode Value)
{
    FAreaMode = Value, Changed();
}
void TBakGndImg::SetAreaColor(TColor Value)
{
    FAreaColor = Value, Changed();
}
void TBakGndImg::SetAreaLeft(double Value)
{
    FAreaLeft = Value, Changed();
}
void TBakGndImg::SetAreaRight(double Value)
{
    FAreaRight = Value, Changed();
}
void TBakGndImg::SetAreaTop(double Value)
{
    FAreaTop = Value, Changed();
}
void TBakGndImg::SetAreaBottom(double Value)
{
    FAreaBottom = Value, Changed();
}

void TBakGndImg::Assign(TPersistent* Source)
{
    auto* s = dynamic_cast<TBakGndImg*>(Source);
    if (!s) {
        TPersistent::Assign(Source);
        return;
    }
    FName = s->FName, FIncludePath = s->FIncludePath;
    FFillMode = s->FFillMode, FAreaMode = s->FAreaMode, FAreaColor = s->FAreaColor;
    FAreaLeft = s->FAreaLeft, FAreaRight = s->FAreaRight;
    FAreaTop = s->FAreaTop, FAreaBottom = s->FAreaBottom;
    Changed();
}

void TBakGndImg::AssignTo(TPersistent* Dest)
{
    if (!AssignToOwnKind(this, Dest)) TPersistent::AssignTo(Dest);
}

// ---- construction ------------------------------------------------------------------------------

TCustomKurvex::TCustomKurvex(QWidget* Parent)
    : TCustomControl(Parent), FDataList(std::make_shared<TkxItemList>()),
      FAnnotationList(std::make_shared<TkxItemList>())
{
    FLayerShown.fill(true);
    FDataClassShown.fill(true);
    FAnnotationClassShown.fill(true);
    resize(280, 200);
    CreateSubObjects();
    ResetScaleProps();
    UpdateScaleGeometry();
    ApplyLayout(kxl_X1Bottom_Y1Left);
    RegisterCursors();
    FAutoRedraw = true;
}

void TCustomKurvex::CreateSubObjects()
{
    const TNotifyEvent changed = [this](TObject*) { Changed(); };
    for (int i = 1; i <= kxNumCrossHairs; ++i) {
        auto& c = FCrossHairs[std::size_t(i - 1)];
        c = std::make_unique<TCrossHair>();
        c->SetLayer(i);
        c->SetColor(clRed);
        c->SetLineType(psDashDotDot);
        c->SetLineWid(1);
        c->OnChange = changed;
    }
    for (auto& l : FTextLabels) {
        l = std::make_unique<TTextLabel>();
        l->SetPosX(0), l->SetPosY(0);
        l->SetAttachToData(tlamBoth);
        l->SetColorBkg(clWhite);
        l->SetShadowDx(3), l->SetShadowDy(3);
        l->SetColorShadow(clGray);
        l->SetFont(Font());
        l->SetVisible(false);
        l->SetMode(tlOff);
        l->OnChange = changed;
    }
    FBackGroundImg.OnChange = changed;
    FJointLayers = std::make_unique<TJointLayers>(this);
    FJointLayers->OnChange = changed;
    FFrameBitmap = std::make_unique<TBitmap>();
    FPlotBitmap = std::make_unique<TBitmap>();
    FPictureBitmap = std::make_unique<TBitmap>();
    FPictureBitmap->SetSize(10, 10);
    const QImage& device = FPictureBitmap->Image();
    FAspectX = 1.0;
    FAspectY = double(device.dotsPerMeterX()) / device.dotsPerMeterY();
    FFrameBitmap->SetSize(Width(), Height());
    for (int n = 1; n <= kxMaxLayer; ++n) {
        TkxLayer& layer = LayerAt(n);
        layer.PropsX = std::make_unique<TScalePropsHoriz>();
        layer.PropsY = std::make_unique<TScalePropsVert>();
        layer.ScaleX = std::make_unique<TScale>();
        layer.ScaleY = std::make_unique<TScale>();
        layer.ScaleX->SetName(QStringLiteral("KX_FScale_X_%1").arg(n));
        layer.ScaleY->SetName(QStringLiteral("KX_FScale_Y_%1").arg(n));
        for (TScale* s : {layer.ScaleX.get(), layer.ScaleY.get()}) {
            s->SetTargetCanvas(FFrameBitmap->Canvas(), 0, 0);
            s->SetDirectPaint(true);
            s->SetTransparent(true);
            s->SetColorBackGnd(FWindColor);
            s->SetFrameStyle(fsNone);
            s->OnScaleTickDrawn = [this](TObject* Sender, TCanvas* C, TScaleType T, double V, int X,
                                         int Y) {
                FireEvent(OnScaleTickDrawn, Sender, C, T, V, X, Y);
            };
            s->OnBeforeTickLabel = [this](TObject* Sender, TScaleType T, double V, QString& L) {
                FireEvent(OnBeforeTickLabel, Sender, T, V, L);
            };
        }
    }
    FTextFont.Assign(Font());
    FTextFont.OnChange = changed;
}

TkxLayer& TCustomKurvex::LayerAt(int Layer)
{
    return FLayers[std::size_t(std::clamp(Layer, 1, kxMaxLayer) - 1)];
}

const TkxLayer& TCustomKurvex::LayerAt(int Layer) const
{
    return FLayers[std::size_t(std::clamp(Layer, 1, kxMaxLayer) - 1)];
}

TScale* TCustomKurvex::ScaleObjectX(int Layer) const
{
    return LayerAt(Layer).ScaleX.get();
}

TScale* TCustomKurvex::ScaleObjectY(int Layer) const
{
    return LayerAt(Layer).ScaleY.get();
}

bool TCustomKurvex::LayerShown(int Layer) const
{
    return Layer >= 1 && Layer <= kxMaxLayer && FLayerShown[std::size_t(Layer - 1)];
}

void TCustomKurvex::SetLayerShown(int Layer, bool Value)
{
    if (Layer >= 1 && Layer <= kxMaxLayer) SetAndRedraw(FLayerShown[std::size_t(Layer - 1)], Value);
}

bool TCustomKurvex::ClassShown(int ClassNo, bool IsAnnotation) const
{
    if (ClassNo < 0 || ClassNo > 255) return false;
    return (IsAnnotation ? FAnnotationClassShown : FDataClassShown)[std::size_t(ClassNo)];
}

void TCustomKurvex::SetClassShown(int ClassNo, bool IsAnnotation, bool Value)
{
    if (ClassNo < 0 || ClassNo > 255) return;
    SetAndRedraw((IsAnnotation ? FAnnotationClassShown : FDataClassShown)[std::size_t(ClassNo)],
                 Value);
}

TCrossHair* TCustomKurvex::CrossHair(int Index) const
{
    return FCrossHairs[std::size_t(std::clamp(Index, 1, kxNumCrossHairs) - 1)].get();
}

TTextLabel* TCustomKurvex::TextLabel(int Index) const
{
    return FTextLabels[std::size_t(std::clamp(Index, 1, kxNumTextLabels) - 1)].get();
}

void TCustomKurvex::Changed()
{
    if (FAutoRedraw) Invalidate();
}

void TCustomKurvex::SetUpdateLock(bool Value)
{
    FUpdateLock = Value;
    if (!Value) Changed();
}

// ---- geometry ----------------------------------------------------------------------------------

void TCustomKurvex::SetBounds(int Left, int Top, int Width, int Height)
{
    const QSize least = minimumSize();
    const QSize before = size();
    TCustomControl::SetBounds(Left, Top, std::max(Width, least.width()),
                              std::max(Height, least.height()));
    // A widget that is not shown gets no resize event until it is; the axes and the mapping
    // must follow at once.
    if (size() != before && !isVisible()) Resize();
}

void TCustomKurvex::UpdateScaleGeometry()
{
    setMinimumSize(FMarginLeft + FMarginRight + FShadowWidth + 80,
                   FMarginTop + FMarginBottom + FShadowWidth + 20);
    for (TkxLayer& layer : FLayers) {
        layer.ScaleX->SetMarginLeft(FMarginLeft);
        layer.ScaleX->SetMarginRight(FMarginRight + FShadowWidth - 1);
        layer.ScaleY->SetMarginTop(FMarginTop);
        layer.ScaleY->SetMarginBottom(FMarginBottom + FShadowWidth - 1);
        layer.ScaleX->SetBounds(0, 0, Width(), Height());
        layer.ScaleY->SetBounds(0, 0, Width(), Height());
    }
    ApplyAllScaleProps();
}

void TCustomKurvex::SizePlotBitmap()
{
    FPlotBitmap->SetDevicePixelRatio(devicePixelRatioF());
    FPlotBitmap->SetSize(std::max(0, PlotWidth() + 1), std::max(0, PlotHeight() + 1));
}

void TCustomKurvex::MarginsChanged()
{
    SizePlotBitmap();
    if (FIsometric) ApplyIsometric(PlotWidth() + 1);
    UpdateScaleGeometry();
    ComputeLayerFactors();
    Changed();
}

void TCustomKurvex::SetMarginLeft(int Value)
{
    FMarginLeft = Value, MarginsChanged();
}
void TCustomKurvex::SetMarginRight(int Value)
{
    FMarginRight = Value, MarginsChanged();
}
void TCustomKurvex::SetMarginTop(int Value)
{
    FMarginTop = Value, MarginsChanged();
}
void TCustomKurvex::SetMarginBottom(int Value)
{
    FMarginBottom = Value, MarginsChanged();
}

void TCustomKurvex::SetShadowWidth(int Value)
{
    FShadowWidth = std::clamp(Value, 0, 32);
    SizePlotBitmap();
    UpdateScaleGeometry();
    ComputeLayerFactors();
    Changed();
}

void TCustomKurvex::Resize()
{
    if (!FLayers.back().ScaleY) return; // still being built
    const bool wasLocked = FUpdateLock;
    FUpdateLock = true;
    if (FIsometric) ApplyIsometric(PlotWidth() + 1 - FShadowWidth);
    UpdateScaleGeometry();
    ComputeLayerFactors();
    SetUpdateLock(wasLocked);
}

void TCustomKurvex::ApplyIsometric(int PlotWidthPixels)
{
    const int h = PlotHeight() + 1;
    if (PlotWidthPixels <= 0 || h <= 0) return;
    const bool wasLocked = FUpdateLock;
    FUpdateLock = true;
    for (int n = 1; n <= kxMaxLayer; ++n) {
        const TScaleProps& x = *LayerAt(n).PropsX;
        const TScaleProps& y = *LayerAt(n).PropsY;
        // The y axis keeps its direction; only the x span's size counts.
        const double span =
            std::abs(x.RangeHigh() - x.RangeLow()) * h / PlotWidthPixels * FAspectY / FAspectX;
        const double half = (y.RangeHigh() < y.RangeLow() ? -span : span) / 2;
        const double mid = (y.RangeLow() + y.RangeHigh()) / 2;
        StoreLayerRange(n, x.RangeLow(), x.RangeHigh(), mid - half, mid + half);
    }
    ScalePropsChanged();
    SetUpdateLock(wasLocked);
}

// ---- appearance properties ---------------------------------------------------------------------

void TCustomKurvex::SetShadowStyle(TShadowStyle Value)
{
    SetAndRedraw(FShadowStyle, Value);
}
void TCustomKurvex::SetShadowColor(TColor Value)
{
    SetAndRedraw(FShadowColor, Value);
}
void TCustomKurvex::SetShadowBakColor(TColor Value)
{
    SetAndRedraw(FShadowBakColor, Value);
}
void TCustomKurvex::SetWindColor(TColor Value)
{
    for (TkxLayer& layer : FLayers) {
        layer.ScaleX->SetColorBackGnd(Value);
        layer.ScaleY->SetColorBackGnd(Value);
    }
    SetAndRedraw(FWindColor, Value);
}
void TCustomKurvex::SetChartColor(TColor Value)
{
    SetAndRedraw(FChartColor, Value);
}
void TCustomKurvex::SetChartFrameColor(TColor Value)
{
    SetAndRedraw(FChartFrameColor, Value);
}
void TCustomKurvex::SetGridStyle(GridStyleType Value)
{
    SetAndRedraw(FGridStyle, Value);
}
void TCustomKurvex::SetGridColor(TColor Value)
{
    SetAndRedraw(FGridColor, Value);
}
void TCustomKurvex::SetGridDx(double Value)
{
    if (Value >= -3) SetAndRedraw(FGridDx, Value);
}
void TCustomKurvex::SetGridDy(double Value)
{
    if (Value >= -3) SetAndRedraw(FGridDy, Value);
}
void TCustomKurvex::SetCaption(const QString& Value)
{
    SetAndRedraw(FCaption, Value);
}
void TCustomKurvex::SetCaptionPosX(int Value)
{
    SetAndRedraw(FCaptionPosX, Value);
}
void TCustomKurvex::SetCaptionPosY(int Value)
{
    SetAndRedraw(FCaptionPosY, Value);
}
void TCustomKurvex::SetCaptionAlignment(TAlignment Value)
{
    SetAndRedraw(FCaptionAlignment, Value);
}
void TCustomKurvex::SetCaptionAnchorHoriz(TCaptionAnchorHoriz Value)
{
    SetAndRedraw(FCaptionAnchorHoriz, Value);
}
void TCustomKurvex::SetCaptionAnchorVert(TCaptionAnchorVert Value)
{
    SetAndRedraw(FCaptionAnchorVert, Value);
}
void TCustomKurvex::SetCaptionTrim(int Value)
{
    SetAndRedraw(FCaptionTrim, Value == 0 ? 0 : std::clamp(Value, 5, 100));
}

void TCustomKurvex::SetIsometric(bool Value)
{
    FIsometric = Value;
    if (Value) ApplyIsometric(PlotWidth() + 1);
    Changed();
}

void TCustomKurvex::SetAvoidDuplicateMarks(bool Value)
{
    if (Value == FAvoidDuplicateMarks) return;
    FAvoidDuplicateMarks = Value;
    Invalidate();
}

void TCustomKurvex::SetMinDupMarkDist(int Value)
{
    if (Value == FMinDupMarkDist) return;
    FMinDupMarkDist = std::clamp(Value, 1, 3);
    Invalidate();
}

void TCustomKurvex::SetTextFont(TFont* Value)
{
    if (Value && Value != &FTextFont) FTextFont.Assign(Value);
}

void TCustomKurvex::SetBackGroundImg(TBakGndImg* Value)
{
    if (Value && Value != &FBackGroundImg) FBackGroundImg.Assign(Value);
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

bool TCustomKurvex::ComputeLayerFactors()
{
    bool logError = false;
    const int right = Width() - FMarginRight - FShadowWidth;
    const int bottom = Height() - FMarginBottom - FShadowWidth;
    for (TkxLayer& layer : FLayers) {
        TAxisMap x{0, Width() / 2.0L}, y{0, Height() / 2.0L};
        if (PlotWidth() > 0) x = MapAxis(*layer.PropsX, FMarginLeft, right, logError);
        if (PlotHeight() > 0) y = MapAxis(*layer.PropsY, bottom, FMarginTop, logError);
        layer.kx = x.k, layer.dx = x.d, layer.ky = y.k, layer.dy = y.d;
    }
    return !logError;
}

void TCustomKurvex::CalcLayerFactors()
{
    if (FLoading) return;
    if (!ComputeLayerFactors())
        throw EZEVKurvexError(QStringLiteral("Logarithmic axis must not be negative."));
}

TkxAxisMap TCustomKurvex::AxisMapX(int Layer) const
{
    const TkxLayer& l = LayerAt(Layer);
    const TScaleProps& p = *l.PropsX;
    return {l.kx, l.dx, p.Logarithmic(), p.RangeHigh() >= p.RangeLow() ? 0 : Width()};
}

TkxAxisMap TCustomKurvex::AxisMapY(int Layer) const
{
    const TkxLayer& l = LayerAt(Layer);
    const TScaleProps& p = *l.PropsY;
    return {l.ky, l.dy, p.Logarithmic(), p.RangeHigh() >= p.RangeLow() ? Height() : 0};
}

void TCustomKurvex::WorldToPixel(int Layer, double X, double Y, int& PX, int& PY) const
{
    PX = AxisMapX(Layer).Pixel(X);
    PY = AxisMapY(Layer).Pixel(Y);
}

void TCustomKurvex::PixelToWorld(int Layer, int PX, int PY, double& X, double& Y) const
{
    const TkxLayer& l = LayerAt(Layer);
    const TScaleProps& px = *l.PropsX;
    const TScaleProps& py = *l.PropsY;
    X = ToWorld(PX, l.kx, l.dx, px.Logarithmic(), px.RangeLow(), px.RangeHigh());
    Y = ToWorld(PY, l.ky, l.dy, py.Logarithmic(), py.RangeLow(), py.RangeHigh());
}
