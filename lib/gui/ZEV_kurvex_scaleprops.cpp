// Scale property sets: setters, defaults and Assign; on the chart's side their reset, their
// passing to the axis scales and the handler that reacts to their changes.
#include "ZEV_kurvex.h"

#include <algorithm>

namespace {
constexpr std::array<TColor, kxMaxLayer> LayerColors = {
    clBlack,  clMaroon, clGreen, clOlive,  clNavy, clPurple,  clTeal, clGray,
    clSilver, clRed,    clLime,  clYellow, clBlue, clFuchsia, clAqua, clWhite};
} // namespace

TColor LayerColor(int Layer)
{
    return LayerColors[std::size_t(std::clamp(Layer, 1, kxMaxLayer) - 1)];
}

// ---- TScaleProps -------------------------------------------------------------------------------

TScaleProps::TScaleProps()
{
    SetDefaults();
}

TScaleProps::~TScaleProps() = default;

void TScaleProps::HookFont()
{
    FFont.OnChange = [this](TObject*) { Changed(); };
}

void TScaleProps::SetDefaults()
{
    OnChange = nullptr;
    FSettings = TScaleSettings();
    FSettings.DateFormat()->OnChange = nullptr;
    FFont.OnChange = nullptr;
    TFont defaults;
    FFont.Assign(&defaults);
    HookFont();
    FNotLoaded = true;
    FPositionCode = spcBottom;
    FScalePosHoriz = FScalePosVert = 0;
    FMouseAction = maNone;
}

template <typename Rule> void TScaleProps::ChangeSettings(Rule Apply)
{
    Apply(FSettings);
    Changed();
}

void TScaleProps::SetCaption(const QString& Value)
{
    ChangeSettings([&](TScaleSettings& s) { s.SetCaption(Value); });
}
void TScaleProps::SetCaptionPosX(int Value)
{
    ChangeSettings([&](TScaleSettings& s) { s.SetCaptionPosX(Value); });
}
void TScaleProps::SetCaptionPosY(int Value)
{
    ChangeSettings([&](TScaleSettings& s) { s.SetCaptionPosY(Value); });
}
void TScaleProps::SetCaptionAlignment(TAlignment Value)
{
    ChangeSettings([&](TScaleSettings& s) { s.SetCaptionAlignment(Value); });
}
void TScaleProps::SetCaptionAnchor(TScaleUnitAnchor Value)
{
    ChangeSettings([&](TScaleSettings& s) { s.SetCaptionAnchor(Value); });
}
void TScaleProps::SetColorScale(TColor Value)
{
    ChangeSettings([&](TScaleSettings& s) { s.SetColorScale(Value); });
}
void TScaleProps::SetDateFormat(TDTLabel* Value)
{
    ChangeSettings([&](TScaleSettings& s) {
        if (Value) s.SetDateFormat(*Value);
    });
}
void TScaleProps::SetDecPlaces(int Value)
{
    ChangeSettings([&](TScaleSettings& s) { s.SetDecPlaces(Value); });
}
void TScaleProps::SetLogarithmic(bool Value)
{
    ChangeSettings([&](TScaleSettings& s) { s.SetLogarithmic(Value, !FNotLoaded); });
}
void TScaleProps::SetLabelType(TFigType Value)
{
    ChangeSettings([&](TScaleSettings& s) { s.SetLabelType(Value); });
}
void TScaleProps::SetMinTicks(int Value)
{
    ChangeSettings([&](TScaleSettings& s) { s.SetMinTicks(Value); });
}
void TScaleProps::SetRangeLow(double Value)
{
    ChangeSettings([&](TScaleSettings& s) { s.SetRangeLow(Value); });
}
void TScaleProps::SetRangeHigh(double Value)
{
    ChangeSettings([&](TScaleSettings& s) { s.SetRangeHigh(Value); });
}
void TScaleProps::SetShortTicks(bool Value)
{
    ChangeSettings([&](TScaleSettings& s) { s.SetShortTicks(Value); });
}
void TScaleProps::SetScaleInscript(const QString& Value)
{
    ChangeSettings([&](TScaleSettings& s) { s.SetScaleInscript(Value); });
}
void TScaleProps::SetUserTickText(const QString& Value)
{
    ChangeSettings([&](TScaleSettings& s) { s.SetUserTickText(Value); });
}
void TScaleProps::SetVisible(bool Value)
{
    ChangeSettings([&](TScaleSettings& s) { s.SetVisible(Value); });
}

void TScaleProps::SetMinRange(double Value)
{
    if (FSettings.SetMinRange(Value)) Changed();
}

void TScaleProps::SetFont(TFont* Value)
{
    if (Value && Value != &FFont)
        FFont.Assign(Value); // notifies through the font's handler
    else
        Changed();
}

int TScaleProps::ScalePos() const
{
    return FPositionCode <= spcBottom ? FScalePosHoriz : FScalePosVert;
}

void TScaleProps::SetScalePos(int Value)
{
    StoreScalePos(Value);
    Changed();
}

void TScaleProps::Assign(TPersistent* Source)
{
    auto* s = dynamic_cast<TScaleProps*>(Source);
    if (!s) {
        TPersistent::Assign(Source);
        return;
    }
    if (s == this) return;
    FSettings = s->FSettings; // the own date format keeps its handler
    FFont.OnChange = nullptr;
    FFont.Assign(&s->FFont);
    HookFont();
    FNotLoaded = s->FNotLoaded;
    FPositionCode = s->FPositionCode;
    FScalePosHoriz = s->FScalePosHoriz, FScalePosVert = s->FScalePosVert;
}

void TScaleProps::AssignTo(TPersistent* Dest)
{
    if (!AssignToOwnKind(this, Dest)) TPersistent::AssignTo(Dest);
}

void TScalePropsHoriz::SetScaleLocation(TScaleLocationHoriz Value)
{
    FScaleLocation = Value;
    SetPositionCode(Value == slTop ? spcTop : spcBottom);
    Changed();
}

void TScalePropsHoriz::SetDefaults()
{
    FScaleLocation = slBottom;
    TScaleProps::SetDefaults();
}

void TScalePropsVert::SetScaleLocation(TScaleLocationVert Value)
{
    FScaleLocation = Value;
    SetPositionCode(Value == slLeft ? spcLeft : spcRight);
    Changed();
}

void TScalePropsVert::SetDefaults()
{
    FScaleLocation = slLeft;
    TScaleProps::SetDefaults();
}

// ---- the chart's side --------------------------------------------------------------------------

TScalePropsHoriz* TCustomKurvex::ScalePropsX(int Layer) const
{
    const int n = Layer >= 1 && Layer <= kxMaxLayer ? Layer : 1;
    return FLayers[std::size_t(n - 1)].PropsX.get();
}

TScalePropsVert* TCustomKurvex::ScalePropsY(int Layer) const
{
    const int n = Layer >= 1 && Layer <= kxMaxLayer ? Layer : 1;
    return FLayers[std::size_t(n - 1)].PropsY.get();
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
    for (int n = 1; n <= kxMaxLayer; ++n) {
        TkxLayer& layer = LayerAt(n);
        for (TScaleProps* p : {static_cast<TScaleProps*>(layer.PropsX.get()),
                               static_cast<TScaleProps*>(layer.PropsY.get())}) {
            p->SetDefaults();
            p->OnChange = [this](TObject*) { ScalePropsChanged(); };
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
    ApplyAllScaleProps();
}

void TCustomKurvex::ApplyScaleProps(TScale* Scale, const TScaleProps* Props)
{
    const int w = Width(), h = Height(), pos = Props->ScalePos();
    const TScalePosCode code = Props->PositionCode();
    Scale->SetScaleType(TScaleType(code));
    switch (code) {
    case spcTop:
        Scale->SetMarginBottom(pos + h - FMarginTop - 1);
        break;
    case spcBottom:
        Scale->SetMarginTop(pos + h - FMarginBottom - FShadowWidth);
        break;
    case spcRight:
        Scale->SetMarginLeft(pos + w - FMarginRight - FShadowWidth);
        break;
    case spcLeft:
        Scale->SetMarginRight(pos + w - FMarginLeft - 1);
        break;
    }
    Scale->Font()->Assign(const_cast<TFont*>(Props->Font()));
    Scale->SetSettings(Props->Settings());
}

void TCustomKurvex::ApplyAllScaleProps()
{
    for (TkxLayer& layer : FLayers) {
        ApplyScaleProps(layer.ScaleX.get(), layer.PropsX.get());
        ApplyScaleProps(layer.ScaleY.get(), layer.PropsY.get());
    }
}

void TCustomKurvex::ScalePropsChanged()
{
    const bool wasLocked = FUpdateLock;
    FUpdateLock = true;
    ApplyAllScaleProps();
    for (int n = 1; n <= kxMaxLayer; ++n) {
        const TkxLayer& layer = LayerAt(n);
        SetLayerRange(n, layer.PropsX->RangeLow(), layer.PropsY->RangeLow(),
                      layer.PropsX->RangeHigh(), layer.PropsY->RangeHigh());
    }
    SetUpdateLock(wasLocked);
}

void TCustomKurvex::Loaded()
{
    FLoading = false;
    for (TkxLayer& layer : FLayers) {
        layer.PropsX->SetNotLoaded(false);
        layer.PropsY->SetNotLoaded(false);
    }
    ApplyAllScaleProps();
    ComputeLayerFactors();
    Changed();
}
