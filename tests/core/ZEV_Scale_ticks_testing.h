// Shared helpers of the tick and label tests: an axis' settings as a scale control keeps them,
// and what one rendering of them draws, records and labels.
#pragma once

#include "ZEV_Scale_ticks.h"

#include <QDate>
#include <QStringList>
#include <cmath>
#include <ostream>
#include <vector>

inline void PrintTo(const QString& S, std::ostream* Os)
{
    *Os << '"' << S.toStdString() << '"';
}

// The settings with the control's range defaults and rules, its side and its tick record.
struct TickedScale : TScaleSettings {
    TScaleType Type = sctXB;
    TScaleTickRecord Record;

    TickedScale() { StoreRange(0, 100); }
    void SetRange(double Lo, double Hi) { StoreRange(Lo, Lo == Hi ? Lo + 1 : Hi); }
    // A scale created at run time takes it unchecked.
    void SetLogarithmic(bool Value) { TScaleSettings::SetLogarithmic(Value, false); }
    void SetScaleType(TScaleType Value) { Type = Value; }
    int NumTicks() const { return Record.NumTicks(); }
    double TickValue(int Index) const { return Record.TickValue(Index); }
};

struct Rendering {
    std::vector<double> Ticks;       // TickValue(1..NumTicks)
    QStringList Labels;              // every label text and date line, in drawing order
    std::vector<double> LabelValues; // the tick value of each of them
    int DrawnTicks = 0;
};

// One rendering of S: every tick is drawn and recorded in order, labels and date lines follow
// their tick.
inline Rendering Render(TickedScale& S)
{
    Rendering r;
    S.Record.Clear();
    for (const TScaleTick& t : ComputeScaleTicks(S, S.Type).Ticks) {
        S.Record.Add(t.Value);
        ++r.DrawnTicks;
        if (t.Labelled) r.Labels << t.Label, r.LabelValues.push_back(t.Value);
        if (t.HasDateLine) r.Labels << t.DateLine, r.LabelValues.push_back(t.Value);
    }
    for (int i = 1; i <= S.NumTicks(); ++i) r.Ticks.push_back(S.TickValue(i));
    return r;
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
