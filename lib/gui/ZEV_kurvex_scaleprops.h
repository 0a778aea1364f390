// Scale property sets of the chart: the settings and the current range of one axis of one layer,
// with its change event. The chart passes them to its internal TScale objects before every
// drawing of an axis, and every range the chart shows (fitted, zoomed, panned or coupled) is
// stored here.
#pragma once

#include "Graphics.h"
#include "ZEV_Scale_settings.h"

enum TScaleLocationHoriz : std::uint8_t { slTop, slBottom };
enum TScaleLocationVert : std::uint8_t { slLeft, slRight };

// Side of the plot an axis sits on; the numbers are the TScaleType the axis is drawn with.
enum TScalePosCode : std::uint8_t { spcTop = 0, spcBottom = 1, spcRight = 2, spcLeft = 3 };

class TScaleProps : public TPersistent {
  public:
    // Smallest range end a logarithmic axis accepts, and the smallest MinRange.
    static constexpr double LogFloor = TScaleSettings::LogFloor;

    TScaleProps();
    ~TScaleProps() override;

    // Every setting of the axis but its font, position and mouse action.
    const TScaleSettings& Settings() const { return FSettings; }

    // Every setter applies its rule (ZEV_Scale_settings.h) and then fires OnChange, also when
    // the rule refused the value; MinRange and MouseAction say when they do not.
    const QString& Caption() const { return FSettings.Caption(); }
    void SetCaption(const QString& Value);
    int CaptionPosX() const { return FSettings.CaptionPosX(); }
    void SetCaptionPosX(int Value);
    int CaptionPosY() const { return FSettings.CaptionPosY(); }
    void SetCaptionPosY(int Value);
    TAlignment CaptionAlignment() const { return FSettings.CaptionAlignment(); }
    void SetCaptionAlignment(TAlignment Value);
    TScaleUnitAnchor CaptionAnchor() const { return FSettings.CaptionAnchor(); }
    void SetCaptionAnchor(TScaleUnitAnchor Value);
    TColor ColorScale() const { return FSettings.ColorScale(); }
    void SetColorScale(TColor Value);
    TDTLabel* DateFormat() const { return FSettings.DateFormat(); }
    // Copies the settings of Value; the set stays the owner of its own object and its handler.
    void SetDateFormat(TDTLabel* Value);
    int DecPlaces() const { return FSettings.DecPlaces(); }
    void SetDecPlaces(int Value);
    TFont* Font() { return &FFont; }
    const TFont* Font() const { return &FFont; }
    void SetFont(TFont* Value);
    // Checked against the range once the set has been loaded.
    bool Logarithmic() const { return FSettings.Logarithmic(); }
    void SetLogarithmic(bool Value);
    TFigType LabelType() const { return FSettings.LabelType(); }
    void SetLabelType(TFigType Value);
    int MinTicks() const { return FSettings.MinTicks(); }
    void SetMinTicks(int Value);
    // Notifies only when the range had to be widened.
    double MinRange() const { return FSettings.MinRange(); }
    void SetMinRange(double Value);
    TMouseActMode MouseAction() const { return FMouseAction; }
    void SetMouseAction(TMouseActMode Value) { FMouseAction = Value; }
    double RangeLow() const { return FSettings.RangeLow(); }
    void SetRangeLow(double Value);
    double RangeHigh() const { return FSettings.RangeHigh(); }
    void SetRangeHigh(double Value);
    bool ShortTicks() const { return FSettings.ShortTicks(); }
    void SetShortTicks(bool Value);
    const QString& ScaleInscript() const { return FSettings.ScaleInscript(); }
    void SetScaleInscript(const QString& Value);
    // Pixels by which the axis line lies outside the plot frame; one value is kept for the
    // horizontal positions and one for the vertical ones.
    int ScalePos() const;
    void SetScalePos(int Value);
    const QString& UserTickText() const { return FSettings.UserTickText(); }
    void SetUserTickText(const QString& Value);
    bool Visible() const { return FSettings.Visible(); }
    void SetVisible(bool Value);
    TNotifyEvent OnChange;

    // Every field back to its default, OnChange cleared, the not-loaded flag set.
    virtual void SetDefaults();
    // Copies every setting except MouseAction and ScaleLocation without notifying. The set keeps
    // its own OnChange: a chart's set must keep reporting to its chart after taking a copy.
    void Assign(TPersistent* Source) override;

    // For the owning chart.
    TScalePosCode PositionCode() const { return FPositionCode; }
    void SetPositionCode(TScalePosCode Value) { FPositionCode = Value; }
    bool NotLoaded() const { return FNotLoaded; }
    void SetNotLoaded(bool Value) { FNotLoaded = Value; }
    // Write as they come, without rules or notification.
    void StoreRange(double Low, double High) { FSettings.StoreRange(Low, High); }
    void StoreScalePos(int Value)
    {
        (FPositionCode <= spcBottom ? FScalePosHoriz : FScalePosVert) = Value;
    }
    void StoreColorScale(TColor Value) { FSettings.SetColorScale(Value); }

  protected:
    void AssignTo(TPersistent* Dest) override;
    void Changed() { FireEvent(OnChange, this); }

  private:
    // The one way of every setter: the rule on the settings, then OnChange.
    template <typename Rule> void ChangeSettings(Rule Apply);
    void HookFont();

    TScaleSettings FSettings;
    TFont FFont;
    bool FNotLoaded = true;
    TScalePosCode FPositionCode = spcBottom;
    int FScalePosHoriz = 0, FScalePosVert = 0;
    TMouseActMode FMouseAction = maNone;
};

class TScalePropsHoriz : public TScaleProps {
  public:
    TScalePropsHoriz() { SetDefaults(); }
    TScaleLocationHoriz ScaleLocation() const { return FScaleLocation; }
    // slTop puts the axis above the plot, slBottom below it.
    void SetScaleLocation(TScaleLocationHoriz Value);
    void SetDefaults() override;

  private:
    TScaleLocationHoriz FScaleLocation = slBottom;
};

class TScalePropsVert : public TScaleProps {
  public:
    TScalePropsVert() { SetDefaults(); }
    TScaleLocationVert ScaleLocation() const { return FScaleLocation; }
    void SetScaleLocation(TScaleLocationVert Value);
    void SetDefaults() override;

  private:
    TScaleLocationVert FScaleLocation = slLeft;
};

// The standard colours of layers 1..16 (axes and their captions).
TColor LayerColor(int Layer);
