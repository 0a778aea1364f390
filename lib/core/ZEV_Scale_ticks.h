// Arithmetic behind an axis, apart from any widget: tick positions and label texts for numeric,
// logarithmic, time-span and calendar axes, and the pan and zoom of a range by a mouse drag.
// The scale painter (ZEV_Scale_painter.h) draws what these compute.
#pragma once

#include "ZEV_Scale_settings.h"

#include <QString>
#include <cstdint>
#include <vector>

// First tick, signed step and short-tick subdivisions for MinTicks intervals over Low..High.
// MinTicks 0 asks for unit steps.
void CalcTickSpacing(int MinTicks, double Low, double High, double& First, double& Step,
                     int& NumSub);

// Decimals of numeric labels; DecPlaces -2 and -3 choose automatically, -1 means exponential.
int AutoDecPlaces(int DecPlaces, double A, double B);
int AutoDecPlacesLog(int DecPlaces, long double Hi, long double Lo);

// Fixed-point with D >= 0 decimals, otherwise the short exponential form " 1.2E+03".
QString FormatNumber(double Value, int Decimals);
// Item N (1-based) of a "|"-separated list; beyond the end the last item.
QString UserTickItem(const QString& Text, int N);
// Label wrapped by an inscript: "&" marks where the label goes, otherwise the inscript leads.
QString ApplyInscript(const QString& Label, const QString& Inscript);
// Signed hh:mm:ss of a number of seconds, optionally with milliseconds.
QString FormatTimeSpan(double Seconds, bool WithMillis);

// Day numbers of calendar axes count from 1899-12-30; the calendar covers years 1..9999.
constexpr double MinCalendarDay = -693593.0;   // 0001-01-01
constexpr double EndOfCalendarDay = 2958466.0; // 10000-01-01, first day past the calendar

enum TCalendarLevel : std::uint8_t {
    clvHundredths,
    clvSeconds,
    clvMinutes,
    clvHours,
    clvDays,
    clvMonths,
    clvYears
};
// Calendar label text of day number Value at a level, in the given format.
QString FormatCalendarLabel(double Value, TCalendarLevel Level, const TDTLabel& Format);
// The date added to time-of-day labels.
QString FormatCalendarDate(double Value, const TDTLabel& Format);

enum TScaleNotice : std::uint8_t { snNone, snInvalidDateTime, snDateTimeTooFine };

struct TScaleTick {
    double Value = 0.0;
    bool LongLength = false; // drawn at long-tick length
    bool Labelled = false;
    QString Label;
    bool HasDateLine = false; // time-of-day labels may carry the date as a second text
    QString DateLine;
};

struct TScaleTicks {
    std::vector<TScaleTick> Ticks; // in drawing order
    TScaleNotice Notice = snNone;
    bool CalendarLabels = false; // centred with their own text height
};

// No rendering draws more ticks than this, whatever the range and settings ask for.
constexpr int MaxTicksPerRendering = 10000;

// Every tick of one rendering of an axis on the given side, with its label text, before any
// event has seen it. A horizontal axis takes MinTicks into 2..20 (0 stays).
TScaleTicks ComputeScaleTicks(const TScaleSettings& S, TScaleType Type);

// The tick values of the last rendering in drawing order, the first MaxRecorded of them; the
// chart draws its grid lines at them.
class TScaleTickRecord {
  public:
    static constexpr int MaxRecorded = 250;
    void Clear() { FValues.clear(); }
    void Add(double Value)
    {
        if (int(FValues.size()) < MaxRecorded) FValues.push_back(Value);
    }
    int NumTicks() const { return int(FValues.size()); }
    // 1-based; 0 outside 1..NumTicks.
    double TickValue(int Index) const
    {
        return Index < 1 || Index > NumTicks() ? 0.0 : FValues[std::size_t(Index - 1)];
    }

  private:
    std::vector<double> FValues;
};

// New range for a drag from (X0, Y0) to (X, Y) that started on the range Low0..High0; false
// when the mode does nothing or the geometry gives no usable range.
bool ZoomPanRange(int X, int Y, int X0, int Y0, double Low0, double High0, double Low, double High,
                  bool Logarithmic, TScaleType ScaleType, TMouseActMode MouseAction, int MarginLeft,
                  int MarginRight, int MarginTop, int MarginBottom, int Width, int Height,
                  double& NewLow, double& NewHigh);
