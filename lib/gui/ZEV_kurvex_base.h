// What every part of the chart counts with: its error class and how many layers, cross-hairs and
// text labels it has.
#pragma once

#include "ZEV_zevbase.h"

#include <array>

class EZEVKurvexError : public EZEVError {
  public:
    using EZEVError::EZEVError;
};

constexpr int kxMaxLayer = 16;
constexpr int kxNumCrossHairs = 4;
constexpr int kxNumTextLabels = 50;
