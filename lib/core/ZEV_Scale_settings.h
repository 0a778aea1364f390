// The settings of one axis as one value: range, ticks, labels, caption, colour and visibility,
// each kept by one rule. A scale control (ZEV_Scale.h) and a chart's scale property set
// (ZEV_kurvex_scaleprops.h) hold one each; ComputeScaleTicks (ZEV_Scale_ticks.h) turns it
// into ticks.
#pragma once

#include "Colors.h"
#include "ZEV_zevbase.h"

#include <QString>
#include <cstdint>

enum TScaleUnitAnchor : std::uint8_t { uaSclTopLft, uaSclCenter, uaSclBotRgt };

// The date and time label format inside a settings value. Copies take the fields but never the
// change handler: whoever holds a value stays the handler of its own format, and a copy made
// in passing reports to nobody.
class TScaleDateFormat {
  public:
    TScaleDateFormat();
    TScaleDateFormat(const TScaleDateFormat& Other);
    TScaleDateFormat& operator=(const TScaleDateFormat& Other);
    bool operator==(const TScaleDateFormat& Other) const;

    // The published sub-object; writing to it notifies its handler.
    TDTLabel* Label() const { return &FLabel; }
    // Takes the fields of Value, keeping the own handler.
    void CopyFields(const TDTLabel& Value);

  private:
    mutable TDTLabel FLabel;
};

class TScaleSettings {
  public:
    // Smallest range end a logarithmic axis accepts, and the smallest MinRange.
    static constexpr double LogFloor = 1e-100;

    const QString& Caption() const { return FCaption; }
    void SetCaption(const QString& Value) { FCaption = Value; }
    int CaptionPosX() const { return FCaptionPosX; }
    void SetCaptionPosX(int Value) { FCaptionPosX = Value; }
    int CaptionPosY() const { return FCaptionPosY; }
    void SetCaptionPosY(int Value) { FCaptionPosY = Value; }
    TAlignment CaptionAlignment() const { return FCaptionAlignment; }
    void SetCaptionAlignment(TAlignment Value) { FCaptionAlignment = Value; }
    TScaleUnitAnchor CaptionAnchor() const { return FCaptionAnchor; }
    void SetCaptionAnchor(TScaleUnitAnchor Value) { FCaptionAnchor = Value; }
    TColor ColorScale() const { return FColorScale; }
    void SetColorScale(TColor Value) { FColorScale = Value; }
    TDTLabel* DateFormat() const { return FDateFormat.Label(); }
    void SetDateFormat(const TDTLabel& Value) { FDateFormat.CopyFields(Value); }
    // Kept in -3..12.
    int DecPlaces() const { return FDecPlaces; }
    void SetDecPlaces(int Value);
    // ftDateTime switches Logarithmic off, ftTime sets DecPlaces to 4.
    TFigType LabelType() const { return FLabelType; }
    void SetLabelType(TFigType Value);
    // False is always taken. True is taken unchecked, or checked when both range ends are at
    // least LogFloor and the labels are not calendar dates; otherwise the old value stays.
    bool Logarithmic() const { return FLogarithmic; }
    void SetLogarithmic(bool Value, bool Checked);
    // Stored as given: the scale control keeps its own band.
    int MinTicks() const { return FMinTicks; }
    void SetMinTicks(int Value) { FMinTicks = Value; }
    // Values <= LogFloor (and non-finite ones) are ignored. A narrower range is widened to
    // exactly MinRange about its centre; returns whether that was called for.
    double MinRange() const { return FMinRange; }
    bool SetMinRange(double Value);
    // A value closer than MinRange to the other end moves that end MinRange away; non-finite
    // values and, on a logarithmic axis, values below LogFloor are refused.
    double RangeLow() const { return FRangeLow; }
    void SetRangeLow(double Value);
    double RangeHigh() const { return FRangeHigh; }
    void SetRangeHigh(double Value);
    // Both ends as given, without rules.
    void StoreRange(double Low, double High) { FRangeLow = Low, FRangeHigh = High; }
    bool ShortTicks() const { return FShortTicks; }
    void SetShortTicks(bool Value) { FShortTicks = Value; }
    const QString& ScaleInscript() const { return FScaleInscript; }
    void SetScaleInscript(const QString& Value) { FScaleInscript = Value; }
    const QString& UserTickText() const { return FUserTickText; }
    void SetUserTickText(const QString& Value) { FUserTickText = Value; }
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value) { FVisible = Value; }

    bool operator==(const TScaleSettings& Other) const = default;

  private:
    QString FCaption;
    int FCaptionPosX = 0, FCaptionPosY = 0;
    TAlignment FCaptionAlignment = taCenter;
    TScaleUnitAnchor FCaptionAnchor = uaSclTopLft;
    TColor FColorScale = clBlack;
    TScaleDateFormat FDateFormat;
    int FDecPlaces = -2;
    TFigType FLabelType = ftNum;
    bool FLogarithmic = false;
    int FMinTicks = 3;
    double FMinRange = 1e-10;
    double FRangeLow = 0, FRangeHigh = 1;
    bool FShortTicks = true;
    QString FScaleInscript;
    QString FUserTickText;
    bool FVisible = false;
};
