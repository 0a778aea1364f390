// The value-to-pixel map of an axis.
#include "ZEV_Scale_map.h"

#include <algorithm>
#include <cmath>
#include <limits>

int TScaleGeometry::BaseCoordinate() const
{
    switch (ScaleType) {
    case sctXB:
        return Height - MarginBottom - 1;
    case sctXT:
        return MarginTop;
    case sctYL:
        return MarginLeft;
    default:
        return Width - MarginRight - 1;
    }
}

bool TScaleMap::Logarithmic(const TScaleSettings& S)
{
    // Over a range through zero the ticks fall back to linear ones, and so does the map.
    return S.Logarithmic() && S.RangeLow() > 0 && S.RangeHigh() > 0;
}

void TScaleMap::Update(const TScaleSettings& S, const TScaleGeometry& G)
{
    if (S.RangeLow() == S.RangeHigh()) return;
    const bool horizontal = G.Horizontal();
    const double avail = horizontal ? G.Width - G.MarginLeft - G.MarginRight - 1
                                    : G.Height - G.MarginTop - G.MarginBottom - 1;
    if (avail <= 0) {
        FPixPerUnit = 0, FOffset = (horizontal ? G.Width : G.Height) / 2.0;
        return;
    }
    const double from = horizontal ? S.RangeLow() : S.RangeHigh();
    const double to = horizontal ? S.RangeHigh() : S.RangeLow();
    const int start = horizontal ? G.MarginLeft : G.MarginTop;
    if (Logarithmic(S)) {
        FPixPerUnit = avail / (std::log(to) - std::log(from));
        FOffset = start - std::log(from) * FPixPerUnit;
    } else {
        // Halves keep the span finite for ends near the largest doubles.
        FPixPerUnit = avail / 2 / (to / 2 - from / 2);
        FOffset = start - from * FPixPerUnit;
    }
}

int TScaleMap::ValueToPixel(double Value, const TScaleSettings& S, const TScaleGeometry& G) const
{
    double p;
    if (Logarithmic(S)) {
        if (!(Value > TScaleSettings::LogFloor)) return S.RangeHigh() >= S.RangeLow() ? 0 : G.Width;
        p = FPixPerUnit * std::log(Value) + FOffset;
    } else {
        p = FPixPerUnit * Value + FOffset;
    }
    if (std::isnan(p)) return 0;
    constexpr double limit = std::numeric_limits<int>::max();
    return int(std::nearbyint(std::clamp(p, -limit, limit)));
}
