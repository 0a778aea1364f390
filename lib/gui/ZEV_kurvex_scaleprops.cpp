// Scale property sets: setters, defaults and Assign. The chart's side of them (reset, passing to
// the axis scales, change handler) is in ZEV_kurvex_layers.cpp and ZEV_kurvex_axes.cpp.
#include "ZEV_kurvex_scaleprops.h"
#include "ZEV_kurvex_base.h"

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
