// How a chart looks apart from its items and axes: margins, shadow, colours, grid, caption, the
// plot background and the switches of the rendering pass. A plain value with the rules that keep
// its fields in range; the chart holds one and repaints when it changes.
#pragma once

#include "Graphics.h"
#include "ZEV_kurvex_layers.h"
#include "ZEV_zevbase_draw.h"

#include <QPoint>
#include <QString>
#include <memory>

enum TkxLayout : std::uint8_t {
    kxl_X1Bottom_Y1Left,
    kxl_X1Bottom_Y2Left,
    kxl_X1Bottom_Y3Left,
    kxl_X1Bottom_Y4Left,
    kxl_X1Bottom_Y2Both,
    kxl_X2Bottom_Y2Left,
    kxl_X2Both_Y2Both
};
constexpr int kxNumLayouts = 7;

enum GridStyleType : std::uint8_t {
    gsNone,
    gsPoints,
    gsVertLines,
    gsHorizLines,
    gsLines,
    gsVertDotLines,
    gsHorizDotLines,
    gsDotLines
};

enum TCaptionAnchorHoriz : std::uint8_t {
    cahControlLeft,
    cahChartLeft,
    cahChartCenter,
    cahChartRight,
    cahControlRight
};
enum TCaptionAnchorVert : std::uint8_t {
    cavControlTop,
    cavChartTop,
    cavChartCenter,
    cavChartBottom,
    cavControlBottom
};

// Region of the plot area that gets the background's AreaColor when there is no picture.
enum TBGAreaMode : std::uint8_t {
    bamNone,
    bamLeft,
    bamRight,
    bamTop,
    bamBottom,
    bamVStripe,
    bamHStripe,
    bamRect,
    bamRectInv,
    bamVStripeInv,
    bamHStripeInv
};

// Background of the plot area: a picture read from a file, or a coloured region given in world
// units of the chart's active layer.
class TBakGndImg : public TPersistent {
  public:
    const QString& Name() const { return FName; }
    // Without IncludePath only the file-name part is kept.
    void SetName(const QString& Value);
    bool IncludePath() const { return FIncludePath; }
    void SetIncludePath(bool Value);
    TBkgFill FillMode() const { return FFillMode; }
    void SetFillMode(TBkgFill Value);
    TBGAreaMode AreaMode() const { return FAreaMode; }
    void SetAreaMode(TBGAreaMode Value);
    TColor AreaColor() const { return FAreaColor; }
    void SetAreaColor(TColor Value);
    double AreaLeft() const { return FAreaLeft; }
    void SetAreaLeft(double Value);
    double AreaRight() const { return FAreaRight; }
    void SetAreaRight(double Value);
    double AreaTop() const { return FAreaTop; }
    void SetAreaTop(double Value);
    double AreaBottom() const { return FAreaBottom; }
    void SetAreaBottom(double Value);
    TNotifyEvent OnChange;

    // Copies every field, the handler excepted, and notifies.
    void Assign(TPersistent* Source) override;

  protected:
    void AssignTo(TPersistent* Dest) override;

  private:
    // Stores Value and notifies when it differs.
    template <typename T> void Update(T& Field, const T& Value)
    {
        if (Field == Value) return;
        Field = Value;
        FireEvent(OnChange, this);
    }
    QString FName;
    bool FIncludePath = false;
    TBkgFill FFillMode = bfStretch;
    TBGAreaMode FAreaMode = bamNone;
    TColor FAreaColor = 14540253;
    double FAreaLeft = -1.0, FAreaRight = 1.0, FAreaTop = 1.0, FAreaBottom = -1.0;
};

// A chart's text label; the chart draws it in its rendering pass.
class TTextLabel : public TCustomTextLabel {};

// The overlays of a chart: its cross-hairs and text labels.
using TkxTextLabels = std::array<std::unique_ptr<TTextLabel>, kxNumTextLabels>;
using TkxCrossHairs = std::array<std::unique_ptr<TCrossHair>, kxNumCrossHairs>;

struct TkxAppearance {
    int MarginLeft = 50, MarginRight = 10, MarginTop = 16, MarginBottom = 32;
    int ShadowWidth = 0;
    TShadowStyle ShadowStyle = ssFlying;
    TColor ShadowColor = clGrayText;
    TColor ShadowBakColor = clBtnFace;
    TColor WindColor = clBtnFace;
    TColor ChartColor = clWhite;
    TColor ChartFrameColor = clBlack;
    GridStyleType GridStyle = gsNone;
    TColor GridColor = clBlack;
    double GridDx = 0, GridDy = 0;
    bool Isometric = false;
    QString Caption;
    int CaptionPosX = 0, CaptionPosY = -16;
    TAlignment CaptionAlignment = taRightJustify;
    TCaptionAnchorHoriz CaptionAnchorHoriz = cahChartRight;
    TCaptionAnchorVert CaptionAnchorVert = cavChartTop;
    int CaptionTrim = 100;
    bool AvoidDuplicateMarks = false;
    int MinDupMarkDist = 1;
    // Switches of the rendering pass: the data list after the annotations, the annotations at
    // all, the text annotations after the other annotations.
    bool DataOnTop = false, AnnotationsShown = true, TextsLast = true;

    // The rules of the fields that keep a range: what a setter stores for Value.
    static int ShadowWidthFor(int Value) { return std::clamp(Value, 0, 32); }
    static int CaptionTrimFor(int Value) { return Value == 0 ? 0 : std::clamp(Value, 5, 100); }
    static int MinDupMarkDistFor(int Value) { return std::clamp(Value, 1, 3); }
    // Grid steps below -3 mean nothing and are refused.
    static bool GridStepAccepted(double Value) { return Value >= -3; }

    TkxPlotGeometry Geometry(int Width, int Height) const
    {
        return {Width, Height, MarginLeft, MarginRight, MarginTop, MarginBottom, ShadowWidth};
    }
    // Smallest control: margins and shadow plus 80 by 20.
    QPoint MinimumSize() const
    {
        return {MarginLeft + MarginRight + ShadowWidth + 80,
                MarginTop + MarginBottom + ShadowWidth + 20};
    }
    // The point of a Width x Height control the caption is placed from, before its alignment.
    QPoint CaptionAnchor(int Width, int Height) const;
    // Room for the caption in pixels when CaptionTrim cuts it; 0 when it is never cut.
    int CaptionRoom(int Width) const;
};
