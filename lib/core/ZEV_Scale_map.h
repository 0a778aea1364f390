// Where an axis lies in its control and how its values map to pixels along it.
#pragma once

#include "ZEV_Scale_settings.h"

struct TScaleGeometry {
    int Width = 400, Height = 400;
    int MarginTop = 20, MarginBottom = 20, MarginLeft = 20, MarginRight = 20;
    TScaleType ScaleType = sctXB;

    bool Horizontal() const { return ScaleType == sctXB || ScaleType == sctXT; }
    // Row of a horizontal, column of a vertical base line.
    int BaseCoordinate() const;
};

// pixel = PixPerUnit * v + Offset along the axis, v being ln of the value while the map is
// logarithmic. Horizontal axes grow to the right from RangeLow, vertical ones upward.
class TScaleMap {
  public:
    double PixPerUnit() const { return FPixPerUnit; }
    double Offset() const { return FOffset; }
    // True while values map through their logarithm: a logarithmic axis over a positive range.
    static bool Logarithmic(const TScaleSettings& S);
    // An empty range keeps the previous map.
    void Update(const TScaleSettings& S, const TScaleGeometry& G);
    // Rounded to the nearest pixel (ties to even) within the int range.
    int ValueToPixel(double Value, const TScaleSettings& S, const TScaleGeometry& G) const;

  private:
    double FPixPerUnit = 1.0, FOffset = 0.0;
};
