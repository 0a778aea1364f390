// Scale property sets: setter rules, defaults and Assign; on the chart's side their reset, their
// copy into the axis scales and the handler that reacts to their changes.
#include "ZEV_kurvex.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {
constexpr std::array<TColor, kxMaxLayer> LayerColors = {
    clBlack,  clMaroon, clGreen, clOlive,  clNavy, clPurple,  clTeal, clGray,
    clSilver, clRed,    clLime,  clYellow, clBlue, clFuchsia, clAqua, clWhite};

// The other end of a range that must be at least MinRange away from Value in the direction of
// Sign; the neighbouring double when Value is too large for MinRange to register. Not finite
// when there is no room left.
double EndAtDistance(double Value, double MinRange, double Sign)
{
    const double end = Value + Sign * MinRange;
    if (end != Value) return end;
    return std::nextafter(Value, Sign * std::numeric_limits<double>::infinity());
}
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
    FCaption.clear();
    FCaptionPosX = FCaptionPosY = 0;
    FCaptionAlignment = taCenter;
    FCaptionAnchor = uaSclTopLft;
    FColorScale = 0;
    OnChange = nullptr;
    if (!FDateFormat) FDateFormat = std::make_unique<TDTLabel>();
    TDTLabel& f = *FDateFormat;
    f.OnChange = nullptr;
    f.SetTimeFormat(tfHHMMSS);
    f.SetDateSeparator(QLatin1Char('-'));
    f.SetTimeSeparator(QLatin1Char(':'));
    f.SetYearLength(ylYYYY);
    f.SetMonthName(true);
    f.SetDateForTime(dtOnePerDay);
    f.SetDateOrder(doDDMMYY);
    FDecPlaces = -2;
    FLogarithmic = false;
    FLabelType = ftNum;
    FFont.OnChange = nullptr;
    TFont defaults;
    FFont.Assign(&defaults);
    HookFont();
    FMinTicks = 3;
    FNotLoaded = true;
    FRangeLow = 0, FRangeHigh = 1;
    FShortTicks = true;
    FScaleInscript.clear();
    FPositionCode = spcBottom;
    FScalePosHoriz = FScalePosVert = 0;
    FMinRange = 1e-10;
    FMouseAction = maNone;
    FUserTickText.clear();
    FVisible = false;
}

void TScaleProps::SetCaption(const QString& Value)
{
    FCaption = Value, Changed();
}
void TScaleProps::SetCaptionPosX(int Value)
{
    FCaptionPosX = Value, Changed();
}
void TScaleProps::SetCaptionPosY(int Value)
{
    FCaptionPosY = Value, Changed();
}
void TScaleProps::SetCaptionAlignment(TAlignment Value)
{
    FCaptionAlignment = Value, Changed();
}
void TScaleProps::SetCaptionAnchor(TScaleUnitAnchor Value)
{
    FCaptionAnchor = Value, Changed();
}
void TScaleProps::SetColorScale(TColor Value)
{
    FColorScale = Value, Changed();
}
void TScaleProps::SetMinTicks(int Value)
{
    FMinTicks = Value, Changed();
}
void TScaleProps::SetShortTicks(bool Value)
{
    FShortTicks = Value, Changed();
}
void TScaleProps::SetScaleInscript(const QString& Value)
{
    FScaleInscript = Value, Changed();
}
void TScaleProps::SetUserTickText(const QString& Value)
{
    FUserTickText = Value, Changed();
}
void TScaleProps::SetVisible(bool Value)
{
    FVisible = Value, Changed();
}

void TScaleProps::SetDateFormat(TDTLabel* Value)
{
    if (Value && Value != FDateFormat.get()) {
        TNotifyEvent own = FDateFormat->OnChange;
        FDateFormat->Assign(Value);
        FDateFormat->OnChange = own;
    }
    Changed();
}

void TScaleProps::SetDecPlaces(int Value)
{
    FDecPlaces = std::clamp(Value, -3, 12), Changed();
}

void TScaleProps::SetFont(TFont* Value)
{
    if (Value && Value != &FFont)
        FFont.Assign(Value); // notifies through the font's handler
    else
        Changed();
}

void TScaleProps::SetLogarithmic(bool Value)
{
    const bool rangeUsable =
        FRangeLow >= LogFloor && FRangeHigh >= LogFloor && FLabelType != ftDateTime;
    if (!Value || FNotLoaded || rangeUsable) FLogarithmic = Value;
    Changed();
}

void TScaleProps::SetLabelType(TFigType Value)
{
    FLabelType = Value;
    if (Value == ftDateTime) FLogarithmic = false;
    if (Value == ftTime) FDecPlaces = 4;
    Changed();
}

void TScaleProps::SetMinRange(double Value)
{
    if (!(Value > LogFloor) || !std::isfinite(Value)) return;
    FMinRange = Value;
    if (std::abs(FRangeHigh - FRangeLow) >= Value) return;
    // Widened about the old centre, keeping the direction of the axis.
    const double centre = FRangeLow / 2 + FRangeHigh / 2;
    const double sign = FRangeHigh < FRangeLow ? -1.0 : 1.0;
    const double low = EndAtDistance(centre, Value / 2, -sign);
    const double high = EndAtDistance(centre, Value / 2, sign);
    if (std::isfinite(low) && std::isfinite(high)) FRangeLow = low, FRangeHigh = high;
    Changed();
}

void TScaleProps::SetRangeLow(double Value)
{
    if (!std::isfinite(Value)) {
        // refused
    } else if (std::abs(FRangeHigh - Value) < FMinRange) {
        const double high = EndAtDistance(Value, FMinRange, 1.0);
        if (std::isfinite(high)) FRangeLow = Value, FRangeHigh = high;
    } else if (!(FLogarithmic && Value < LogFloor)) {
        FRangeLow = Value;
    }
    Changed();
}

void TScaleProps::SetRangeHigh(double Value)
{
    if (!std::isfinite(Value)) {
        // refused
    } else if (std::abs(Value - FRangeLow) < FMinRange) {
        const double low = EndAtDistance(Value, FMinRange, -1.0);
        if (std::isfinite(low)) FRangeHigh = Value, FRangeLow = low;
    } else if (!(FLogarithmic && Value < LogFloor)) {
        FRangeHigh = Value;
    }
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
    FCaption = s->FCaption;
    FCaptionPosX = s->FCaptionPosX, FCaptionPosY = s->FCaptionPosY;
    FCaptionAlignment = s->FCaptionAlignment;
    FCaptionAnchor = s->FCaptionAnchor;
    FColorScale = s->FColorScale;
    const TNotifyEvent dateHandler = FDateFormat->OnChange;
    FDateFormat->Assign(s->FDateFormat.get());
    FDateFormat->OnChange = dateHandler;
    FDecPlaces = s->FDecPlaces;
    FLogarithmic = s->FLogarithmic;
    FLabelType = s->FLabelType;
    FFont.OnChange = nullptr;
    FFont.Assign(&s->FFont);
    HookFont();
    FMinTicks = s->FMinTicks;
    FNotLoaded = s->FNotLoaded;
    FRangeLow = s->FRangeLow, FRangeHigh = s->FRangeHigh;
    FShortTicks = s->FShortTicks;
    FScaleInscript = s->FScaleInscript;
    FPositionCode = s->FPositionCode;
    FScalePosHoriz = s->FScalePosHoriz, FScalePosVert = s->FScalePosVert;
    FMinRange = s->FMinRange;
    FUserTickText = s->FUserTickText;
    FVisible = s->FVisible;
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
    Scale->SetRange(Props->RangeLow(), Props->RangeHigh());
    Scale->SetVisible(Props->Visible());
    Scale->SetCaption(Props->Caption());
    Scale->SetCaptionPosX(Props->CaptionPosX());
    Scale->SetCaptionPosY(Props->CaptionPosY());
    Scale->SetCaptionAlignment(Props->CaptionAlignment());
    Scale->SetCaptionAnchor(Props->CaptionAnchor());
    Scale->SetColorScale(Props->ColorScale());
    Scale->SetDecPlaces(Props->DecPlaces());
    Scale->SetLogarithmic(Props->Logarithmic());
    Scale->SetLabelType(Props->LabelType());
    Scale->SetShortTicks(Props->ShortTicks());
    Scale->SetMinTicks(Props->MinTicks());
    Scale->SetScaleInscript(Props->ScaleInscript());
    Scale->SetUserTickText(Props->UserTickText());
    Scale->Font()->Assign(const_cast<TFont*>(Props->Font()));
    Scale->SetDateFormat(Props->DateFormat());
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
