// What the user chose in the plots' context menu. The defaults are the plots as the window
// draws them without any choice; choices last until the program ends.
#pragma once

#include <QString>

struct TPlotOptions {
    int ComponentX = 1, ComponentY = 2; // 1-based, the same for both plots
    bool ShowLegend = false;
    bool LabelPoints = false;
    bool EqualAxisScales = false;
    bool ExplainedVarianceOnAxes = false;

    bool IsDefault() const { return *this == TPlotOptions(); }
    friend bool operator==(const TPlotOptions&, const TPlotOptions&) = default;
};

// "PC 3", or "PC 1 (72.96 %)" with the share of the total variance in per cent.
QString AxisCaption(int Component, bool WithVariance, double PercentOfTotal);
