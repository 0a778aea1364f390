// Shared helpers of the scale tests: paint a scale onto a bitmap and collect what it recorded
// (the tick list) and what it labelled (through OnBeforeTickLabel).
#pragma once

#include "ZEV_Scale.h"

#include <QDate>
#include <QStringList>
#include <ostream>
#include <vector>

inline void PrintTo(const QString& S, std::ostream* Os)
{
    *Os << '"' << S.toStdString() << '"';
}

struct PaintedScale {
    std::vector<double> Ticks;       // TickValue(1..NumTicks)
    QStringList Labels;              // every text passed to OnBeforeTickLabel, in order
    std::vector<double> LabelValues; // the tick value of each of them
    int DrawnTicks = 0;              // OnScaleTickDrawn calls
};

// Paints through the target-canvas path the chart uses.
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

inline PaintedScale Paint(TScale& S)
{
    TBitmap target;
    return PaintOnto(S, target);
}

inline std::vector<double> Steps(double From, double To, double By)
{
    std::vector<double> v;
    const int n = int(std::lround((To - From) / By));
    for (int i = 0; i <= n; ++i) v.push_back(From + i * By);
    return v;
}

// Day number of a calendar date and time, counted from 1899-12-30.
inline double Day(int Y, int M, int D, int H = 0, int Min = 0, double Sec = 0)
{
    return double(QDate(1899, 12, 30).daysTo(QDate(Y, M, D))) +
           (H * 3600 + Min * 60 + Sec) / 86400.0;
}
