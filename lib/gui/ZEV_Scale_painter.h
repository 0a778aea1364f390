// Painting of one axis onto any canvas, apart from any widget: background and frame, base
// line, ticks, labels, caption and the notices of unusable calendar ranges. TScale
// (ZEV_Scale.h) paints through one; so does the chart, for each of its axes.
#pragma once

#include "Graphics.h"
#include "ZEV_Scale_map.h"
#include "ZEV_Scale_ticks.h"

#include <QFont>
#include <QHash>
#include <QString>
#include <functional>
#include <memory>

using TScaleRenderedEvent = std::function<void(TObject* Sender, TCanvas* Canvas)>;
using TScaleTickDrawnEvent =
    std::function<void(TObject* Sender, TCanvas* Canvas, TScaleType ScaleType,
                       double CurrentTickPos, int ChartX, int ChartY)>;
using TBeforeTickLabelEvent = std::function<void(TObject* Sender, TScaleType ScaleType,
                                                 double CurrentTickPos, QString& TickLabel)>;

// How an axis looks beyond its settings: the background and frame of an opaque axis, and
// whether the base line is drawn.
struct TScaleLooks {
    TColor ColorBackGnd = clBtnFace;
    TColorScheme ColorScheme = csBWG;
    TColor ColorDark = clBlack, ColorShadow = RGB(128, 128, 128), ColorLight = clWhite;
    TFrameStyle FrameStyle = fsLowered;
    bool Transparent = false;
    bool ShowBaseLine = true;

    // The scheme decides the frame's Shadow and Light colours.
    void SetColorScheme(TColorScheme Value);
    bool operator==(const TScaleLooks& Other) const = default;
};

// What one painting reads, besides the painter's own looks; all of it belongs to the caller.
struct TScaleScene {
    const TScaleSettings& Settings;
    TScaleGeometry Geometry;
    const TScaleMap& Map;
    TFont* Font;
    // Passed to the handlers as the axis that is painted.
    TObject* Sender;
    const TScaleRenderedEvent& BeforeRendered;
    const TScaleTickDrawnEvent& TickDrawn;
    const TBeforeTickLabelEvent& BeforeTickLabel;
    const TScaleRenderedEvent& AfterRendered;
};

class TScalePainter {
  public:
    TScalePainter();
    ~TScalePainter();

    TScaleLooks& Looks() { return FLooks; }
    const TScaleLooks& Looks() const { return FLooks; }
    // The ticks of the last painting.
    const TScaleTickRecord& Ticks() const { return FTicks; }
    void SetTicks(const TScaleTickRecord& Value) { FTicks = Value; }

    // One painting onto Target. An opaque axis is drawn into a bitmap of the control's size and
    // copied to (OffsetX, OffsetY); a transparent one is drawn straight onto Target, its base
    // line shifted by the offset across the axis.
    void Paint(TCanvas* Target, int OffsetX, int OffsetY, const TScaleScene& Scene);

  private:
    void DrawTicksAndLabels(TCanvas* C, int Base, const TScaleScene& Scene);
    int TextWidthOf(TCanvas* C, const QString& Text);

    TScaleLooks FLooks;
    TScaleTickRecord FTicks;
    std::unique_ptr<TBitmap> FOpaqueBitmap;
    QFont FWidthFont;
    QHash<QString, int> FWidths; // label widths in FWidthFont
};
