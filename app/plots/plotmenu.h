// The context menu of the score and the loading plot: the items, their check marks and what
// choosing each one asks for.
#pragma once

#include "plotoptions.h"
#include "plotoverlay.h"

#include <functional>

class TMenuItem;

struct TPlotMenuActions {
    std::function<void(int Component)> SetComponentX, SetComponentY;
    std::function<void(bool TPlotOptions::*Option)> Toggle;
    std::function<void()> ShowEigenvalues, CopyImage, SaveImage, Print;
};

// Components counts the components the user can choose from (0: no analysis yet).
void FillPlotMenu(TMenuItem& Root, TPlotKind Kind, const TPlotOptions& Options, int Components,
                  const TPlotMenuActions& Actions);
