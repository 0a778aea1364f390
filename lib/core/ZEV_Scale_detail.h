// Internal steps shared by the tick computation files of the scale unit.
#pragma once

#include "ZEV_Scale_ticks.h"

namespace ScaleDetail {
bool TickBudgetLeft(const TScaleTicks& Out);
void AddTick(TScaleTicks& Out, double Value, bool LongLength, bool Labelled, QString Label);
// Calendar ticks of an ftDateTime axis, or the notice that replaces them.
void CalendarTicks(const TScaleTickSettings& S, TScaleTicks& Out);
} // namespace ScaleDetail
