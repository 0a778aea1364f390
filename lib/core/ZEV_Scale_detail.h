// Internal steps shared by the tick computation files of the scale unit.
#pragma once

#include "ZEV_Scale_ticks.h"

#include <cmath>

namespace ScaleDetail {
// Half the distance between two ends; finite even where the distance itself overflows.
inline double HalfSpan(double Low, double High)
{
    return std::fabs(High / 2 - Low / 2);
}
bool TickBudgetLeft(const TScaleTicks& Out);
void AddTick(TScaleTicks& Out, double Value, bool LongLength, bool Labelled, QString Label);
// Calendar ticks of an ftDateTime axis, or the notice that replaces them.
void CalendarTicks(const TScaleSettings& S, TScaleTicks& Out);
} // namespace ScaleDetail
