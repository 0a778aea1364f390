// The rules of an axis' settings, each in one place.
#include "ZEV_Scale_settings.h"

#include <algorithm>
#include <cmath>
#include <limits>

// ---- date format -------------------------------------------------------------------------------

TScaleDateFormat::TScaleDateFormat()
{
    FLabel.SetTimeFormat(tfHHMMSS);
    FLabel.SetDateSeparator(QLatin1Char('-'));
    FLabel.SetTimeSeparator(QLatin1Char(':'));
    FLabel.SetYearLength(ylYYYY);
    FLabel.SetMonthName(true);
    FLabel.SetDateForTime(dtOnePerDay);
    FLabel.SetDateOrder(doDDMMYY);
}

TScaleDateFormat::TScaleDateFormat(const TScaleDateFormat& Other)
{
    CopyFields(Other.FLabel);
}

TScaleDateFormat& TScaleDateFormat::operator=(const TScaleDateFormat& Other)
{
    if (this != &Other) CopyFields(Other.FLabel);
    return *this;
}

void TScaleDateFormat::CopyFields(const TDTLabel& Value)
{
    if (&Value == &FLabel) return;
    const TNotifyEvent own = FLabel.OnChange;
    FLabel.Assign(const_cast<TDTLabel*>(&Value)); // takes the handler too
    FLabel.OnChange = own;
}

bool TScaleDateFormat::operator==(const TScaleDateFormat& Other) const
{
    const TDTLabel &a = FLabel, &b = Other.FLabel;
    return a.TimeFormat() == b.TimeFormat() && a.DateSeparator() == b.DateSeparator() &&
           a.TimeSeparator() == b.TimeSeparator() && a.YearLength() == b.YearLength() &&
           a.MonthName() == b.MonthName() && a.DateOrder() == b.DateOrder() &&
           a.DateForTime() == b.DateForTime();
}

// ---- settings ----------------------------------------------------------------------------------

namespace {
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

void TScaleSettings::SetDecPlaces(int Value)
{
    FDecPlaces = std::clamp(Value, -3, 12);
}

void TScaleSettings::SetLabelType(TFigType Value)
{
    FLabelType = Value;
    if (Value == ftDateTime) FLogarithmic = false;
    if (Value == ftTime) FDecPlaces = 4;
}

void TScaleSettings::SetLogarithmic(bool Value, bool Checked)
{
    const bool rangeUsable =
        FRangeLow >= LogFloor && FRangeHigh >= LogFloor && FLabelType != ftDateTime;
    if (!Value || !Checked || rangeUsable) FLogarithmic = Value;
}

bool TScaleSettings::SetMinRange(double Value)
{
    if (!(Value > LogFloor) || !std::isfinite(Value)) return false;
    FMinRange = Value;
    if (std::abs(FRangeHigh - FRangeLow) >= Value) return false;
    // Widened about the old centre, keeping the direction of the axis.
    const double centre = FRangeLow / 2 + FRangeHigh / 2;
    const double sign = FRangeHigh < FRangeLow ? -1.0 : 1.0;
    const double low = EndAtDistance(centre, Value / 2, -sign);
    const double high = EndAtDistance(centre, Value / 2, sign);
    if (std::isfinite(low) && std::isfinite(high)) FRangeLow = low, FRangeHigh = high;
    return true;
}

void TScaleSettings::SetRangeLow(double Value)
{
    if (!std::isfinite(Value)) return;
    if (std::abs(FRangeHigh - Value) < FMinRange) {
        const double high = EndAtDistance(Value, FMinRange, 1.0);
        if (std::isfinite(high)) FRangeLow = Value, FRangeHigh = high;
    } else if (!(FLogarithmic && Value < LogFloor)) {
        FRangeLow = Value;
    }
}

void TScaleSettings::SetRangeHigh(double Value)
{
    if (!std::isfinite(Value)) return;
    if (std::abs(Value - FRangeLow) < FMinRange) {
        const double low = EndAtDistance(Value, FMinRange, -1.0);
        if (std::isfinite(low)) FRangeHigh = Value, FRangeLow = low;
    } else if (!(FLogarithmic && Value < LogFloor)) {
        FRangeHigh = Value;
    }
}
