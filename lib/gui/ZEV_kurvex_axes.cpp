// The chart's axes: its 32 scale property sets as the layer set holds them, and the 32 internal
// axis scale objects the sets are copied into and that paint the axes onto the frame.
#include "ZEV_kurvex.h"

void TCustomKurvex::CreateScales()
{
    FLayers.OnRangeStored = [this](int Layer) {
        ApplyScaleProps(ScaleObjectX(Layer), ScalePropsX(Layer));
        ApplyScaleProps(ScaleObjectY(Layer), ScalePropsY(Layer));
    };
    for (int n = 1; n <= kxMaxLayer; ++n) {
        auto& scaleX = FScalesX[std::size_t(n - 1)];
        auto& scaleY = FScalesY[std::size_t(n - 1)];
        scaleX = std::make_unique<TScale>();
        scaleY = std::make_unique<TScale>();
        scaleX->SetName(QStringLiteral("KX_FScale_X_%1").arg(n));
        scaleY->SetName(QStringLiteral("KX_FScale_Y_%1").arg(n));
        for (TScale* s : {scaleX.get(), scaleY.get()}) {
            s->SetTargetCanvas(FFrameBitmap->Canvas(), 0, 0);
            s->SetDirectPaint(true);
            s->SetTransparent(true);
            s->SetColorBackGnd(FLook.WindColor);
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
}

TScale* TCustomKurvex::ScaleObjectX(int Layer) const
{
    return FScalesX[std::size_t(std::clamp(Layer, 1, kxMaxLayer) - 1)].get();
}

TScale* TCustomKurvex::ScaleObjectY(int Layer) const
{
    return FScalesY[std::size_t(std::clamp(Layer, 1, kxMaxLayer) - 1)].get();
}

TScalePropsHoriz* TCustomKurvex::ScalePropsX(int Layer) const
{
    return &FLayers.X(Layer >= 1 && Layer <= kxMaxLayer ? Layer : 1);
}

TScalePropsVert* TCustomKurvex::ScalePropsY(int Layer) const
{
    return &FLayers.Y(Layer >= 1 && Layer <= kxMaxLayer ? Layer : 1);
}

void TCustomKurvex::SetScaleX(int Layer, TScalePropsHoriz* Value)
{
    ScalePropsX(Layer)->Assign(Value);
}

void TCustomKurvex::SetScaleY(int Layer, TScalePropsVert* Value)
{
    ScalePropsY(Layer)->Assign(Value);
}

void TCustomKurvex::ResetScaleProps()
{
    FLayers.ResetProps([this](TObject*) { ScalePropsChanged(); });
    ApplyAllScaleProps();
}

void TCustomKurvex::UpdateScaleGeometry()
{
    const QPoint least = FLook.MinimumSize();
    setMinimumSize(least.x(), least.y());
    const int marginLeft = FLook.MarginLeft, marginRight = FLook.MarginRight;
    const int marginTop = FLook.MarginTop, marginBottom = FLook.MarginBottom;
    const int shadowWidth = FLook.ShadowWidth;
    for (int n = 1; n <= kxMaxLayer; ++n) {
        TScale& scaleX = *ScaleObjectX(n);
        TScale& scaleY = *ScaleObjectY(n);
        scaleX.SetMarginLeft(marginLeft);
        scaleX.SetMarginRight(marginRight + shadowWidth - 1);
        scaleY.SetMarginTop(marginTop);
        scaleY.SetMarginBottom(marginBottom + shadowWidth - 1);
        scaleX.SetBounds(0, 0, Width(), Height());
        scaleY.SetBounds(0, 0, Width(), Height());
    }
    ApplyAllScaleProps();
}

void TCustomKurvex::ApplyScaleProps(TScale* Scale, const TScaleProps* Props)
{
    const int w = Width(), h = Height(), pos = Props->ScalePos();
    const TScalePosCode code = Props->PositionCode();
    Scale->SetScaleType(TScaleType(code));
    switch (code) {
    case spcTop:
        Scale->SetMarginBottom(pos + h - FLook.MarginTop - 1);
        break;
    case spcBottom:
        Scale->SetMarginTop(pos + h - FLook.MarginBottom - FLook.ShadowWidth);
        break;
    case spcRight:
        Scale->SetMarginLeft(pos + w - FLook.MarginRight - FLook.ShadowWidth);
        break;
    case spcLeft:
        Scale->SetMarginRight(pos + w - FLook.MarginLeft - 1);
        break;
    }
    Scale->Font()->Assign(const_cast<TFont*>(Props->Font()));
    Scale->SetSettings(Props->Settings());
}

void TCustomKurvex::ApplyAllScaleProps()
{
    for (int n = 1; n <= kxMaxLayer; ++n) {
        ApplyScaleProps(ScaleObjectX(n), ScalePropsX(n));
        ApplyScaleProps(ScaleObjectY(n), ScalePropsY(n));
    }
}

void TCustomKurvex::ScalePropsChanged()
{
    const bool wasLocked = Lock();
    ApplyAllScaleProps();
    for (int n = 1; n <= kxMaxLayer; ++n) {
        const TkxLayerRange r = FLayers.Range(n);
        SetLayerRange(n, r.LoX, r.LoY, r.HiX, r.HiY);
    }
    SetUpdateLock(wasLocked);
}

void TCustomKurvex::Loaded()
{
    FLoading = false;
    for (int n = 1; n <= kxMaxLayer; ++n) {
        ScalePropsX(n)->SetNotLoaded(false);
        ScalePropsY(n)->SetNotLoaded(false);
    }
    ApplyAllScaleProps();
    ComputeLayerFactors();
    Changed();
}

void TCustomKurvex::CalcLayerFactors()
{
    if (FLoading) return;
    if (!ComputeLayerFactors())
        throw EZEVKurvexError(QStringLiteral("Logarithmic axis must not be negative."));
}

void TCustomKurvex::PaintAxes(TCanvas* C)
{
    auto paint = [this, C](TScale* scale, const TScaleProps* props) {
        ApplyScaleProps(scale, props);
        scale->PaintOnto(C, 0, 0);
    };
    for (int n = 1; n <= kxMaxLayer; ++n) paint(ScaleObjectX(n), ScalePropsX(n));
    for (int n = 1; n <= kxMaxLayer; ++n) paint(ScaleObjectY(n), ScalePropsY(n));
}
