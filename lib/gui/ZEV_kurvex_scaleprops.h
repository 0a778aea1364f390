// Scale property sets of the chart: the settings and the current range of one axis of one layer.
// The chart copies them into its internal TScale objects before every drawing of an axis, and
// every range the chart shows (fitted, zoomed, panned or coupled) is stored here.
#pragma once

#include "ZEV_Scale.h"
#include "ZEV_zevbase.h"

#include <memory>

enum TScaleLocationHoriz : std::uint8_t { slTop, slBottom };
enum TScaleLocationVert : std::uint8_t { slLeft, slRight };

// Side of the plot an axis sits on; the numbers are the TScaleType the axis is drawn with.
enum TScalePosCode : std::uint8_t { spcTop = 0, spcBottom = 1, spcRight = 2, spcLeft = 3 };

class TScaleProps : public TPersistent {
  public:
    // Smallest range end a logarithmic axis accepts, and the smallest MinRange.
    static constexpr double LogFloor = 1e-100;

    TScaleProps();
    ~TScaleProps() override;

    const QString& Caption() const { return FCaption; }
    void SetCaption(const QString& Value);
    int CaptionPosX() const { return FCaptionPosX; }
    void SetCaptionPosX(int Value);
    int CaptionPosY() const { return FCaptionPosY; }
    void SetCaptionPosY(int Value);
    TAlignment CaptionAlignment() const { return FCaptionAlignment; }
    void SetCaptionAlignment(TAlignment Value);
    TScaleUnitAnchor CaptionAnchor() const { return FCaptionAnchor; }
    void SetCaptionAnchor(TScaleUnitAnchor Value);
    TColor ColorScale() const { return FColorScale; }
    void SetColorScale(TColor Value);
    TDTLabel* DateFormat() const { return FDateFormat.get(); }
    // Copies the settings of Value; the set stays the owner of its own object and its handler.
    void SetDateFormat(TDTLabel* Value);
    // Kept in -3..12.
    int DecPlaces() const { return FDecPlaces; }
    void SetDecPlaces(int Value);
    TFont* Font() { return &FFont; }
    const TFont* Font() const { return &FFont; }
    void SetFont(TFont* Value);
    // True is refused on a range with an end below LogFloor or with date/time labels, unless the
    // set has not been loaded yet.
    bool Logarithmic() const { return FLogarithmic; }
    void SetLogarithmic(bool Value);
    // ftDateTime switches Logarithmic off, ftTime sets DecPlaces to 4.
    TFigType LabelType() const { return FLabelType; }
    void SetLabelType(TFigType Value);
    int MinTicks() const { return FMinTicks; }
    void SetMinTicks(int Value);
    // Widens a narrower range to exactly MinRange about its centre; values <= LogFloor are
    // ignored without notice.
    double MinRange() const { return FMinRange; }
    void SetMinRange(double Value);
    TMouseActMode MouseAction() const { return FMouseAction; }
    void SetMouseAction(TMouseActMode Value) { FMouseAction = Value; }
    // A value closer than MinRange to the other end moves that end MinRange away; non-finite
    // values and, on a logarithmic axis, values below LogFloor are refused.
    double RangeLow() const { return FRangeLow; }
    void SetRangeLow(double Value);
    double RangeHigh() const { return FRangeHigh; }
    void SetRangeHigh(double Value);
    bool ShortTicks() const { return FShortTicks; }
    void SetShortTicks(bool Value);
    const QString& ScaleInscript() const { return FScaleInscript; }
    void SetScaleInscript(const QString& Value);
    // Pixels by which the axis line lies outside the plot frame; one value is kept for the
    // horizontal positions and one for the vertical ones.
    int ScalePos() const;
    void SetScalePos(int Value);
    const QString& UserTickText() const { return FUserTickText; }
    void SetUserTickText(const QString& Value);
    bool Visible() const { return FVisible; }
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
    void StoreRange(double Low, double High) { FRangeLow = Low, FRangeHigh = High; }
    void StoreScalePos(int Value)
    {
        (FPositionCode <= spcBottom ? FScalePosHoriz : FScalePosVert) = Value;
    }
    void StoreColorScale(TColor Value) { FColorScale = Value; }

  protected:
    void AssignTo(TPersistent* Dest) override;
    void Changed() { FireEvent(OnChange, this); }

  private:
    void HookFont();

    QString FCaption;
    int FCaptionPosX = 0, FCaptionPosY = 0;
    TAlignment FCaptionAlignment = taCenter;
    TScaleUnitAnchor FCaptionAnchor = uaSclTopLft;
    TColor FColorScale = 0;
    std::unique_ptr<TDTLabel> FDateFormat;
    int FDecPlaces = -2;
    bool FLogarithmic = false;
    TFigType FLabelType = ftNum;
    TFont FFont;
    int FMinTicks = 3;
    bool FNotLoaded = true;
    double FRangeLow = 0, FRangeHigh = 1;
    bool FShortTicks = true;
    QString FScaleInscript;
    TScalePosCode FPositionCode = spcBottom;
    int FScalePosHoriz = 0, FScalePosVert = 0;
    double FMinRange = 1e-10;
    TMouseActMode FMouseAction = maNone;
    QString FUserTickText;
    bool FVisible = false;
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
