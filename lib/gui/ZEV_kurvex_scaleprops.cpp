// Scale property sets: setter rules, defaults and Assign. The chart's side of them (reset, copy
// into the axis scales, change handler) is in ZEV_kurvex_layers.cpp and ZEV_kurvex_axes.cpp.
#include "ZEV_kurvex_scaleprops.h"
#include "ZEV_kurvex_base.h"

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
