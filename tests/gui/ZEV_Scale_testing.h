// Shared helpers of the scale control tests: paint a scale onto a bitmap and collect what it
// recorded (the tick list) and what it labelled (through OnBeforeTickLabel).
#pragma once

#include "../core/ZEV_Scale_ticks_testing.h"
#include "ZEV_Scale.h"

struct PaintedScale {
    std::vector<double> Ticks;       // TickValue(1..NumTicks)
    QStringList Labels;              // every text passed to OnBeforeTickLabel, in order
    std::vector<double> LabelValues; // the tick value of each of them
    int DrawnTicks = 0;              // OnScaleTickDrawn calls
};

// Paints through the target-canvas path of a control.
inline PaintedScale PaintOnto(TScale& S, TBitmap& Target)
{
    PaintedScale p;
    Target.SetSize(S.Width(), S.Height());
    S.SetTargetCanvas(Target.Canvas(), 0, 0);
    S.OnBeforeTickLabel = [&p](TObject*, TScaleType, double v, QString& text) {
        p.Labels << text;
        p.LabelValues.push_back(v);
    };
    S.OnScaleTickDrawn = [&p](TObject*, TCanvas*, TScaleType, double, int, int) { ++p.DrawnTicks; };
    S.SetDirectPaint(true);
    S.ForcePaint();
    for (int i = 1; i <= S.NumTicks(); ++i) p.Ticks.push_back(S.TickValue(i));
    S.OnBeforeTickLabel = nullptr;
    S.OnScaleTickDrawn = nullptr;
    return p;
}

// A bitmap of W x H in one colour.
inline TBitmap& Filled(TBitmap& B, int W, int H, TColor Color = clWhite)
{
    B.SetSize(W, H);
    B.Canvas()->Brush()->SetColor(Color);
    B.Canvas()->FillRect(Rect(0, 0, W, H));
    return B;
}

inline int InkedPixels(TBitmap& B, int X1, int Y1, int X2, int Y2, TColor Background = clWhite)
{
    int n = 0;
    for (int y = Y1; y < Y2; ++y)
        for (int x = X1; x < X2; ++x) n += B.Canvas()->Pixel(x, y) != Background;
    return n;
}

inline void PaintAt(TScale& S, TBitmap& Target, int X, int Y)
{
    S.SetTargetCanvas(Target.Canvas(), X, Y);
    S.SetDirectPaint(true);
    S.ForcePaint();
}
