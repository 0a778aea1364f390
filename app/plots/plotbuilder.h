// Draws the score and the loading plot of an analysis as the user's choices ask: the window's
// own sequence of chart commands, with the chosen components, captions and scaling rule.
#pragma once

#include "pcasnapshot.h"
#include "plotoptions.h"

class TKurvex;

// Mark of a loading while the column names stand beside it instead of its number.
constexpr std::uint8_t LoadingMarkType = 16;

void BuildScorePlot(TKurvex& Chart, const TPCASnapshot& Data, const TPlotOptions& Options,
                    const QString& Scaling);
void BuildLoadingPlot(TKurvex& Chart, const TPCASnapshot& Data, const TPlotOptions& Options,
                      const QString& Scaling);
