// The chart's 16 layers: the x and y scale property sets of each, which layer controls which
// axis, and the mapping between world units and control pixels that the sets' ranges and the plot
// geometry give. Knows nothing of widgets: the chart tells it its geometry and copies stored
// ranges into its axis scales when told.
//
// Errors: the coupling setters of TJointLayers refuse a coupling that breaks their rules with
// EZEVKurvexError; everything else here never raises.
#pragma once

#include "ZEV_kurvex_base.h"
#include "ZEV_kurvex_scaleprops.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <memory>

// The control's size with its margins and shadow; the plot area lies from (MarginLeft, MarginTop)
// PlotWidth by PlotHeight (either may be 0 or negative on a small control).
struct TkxPlotGeometry {
    int Width = 280, Height = 200;
    int MarginLeft = 50, MarginRight = 10, MarginTop = 16, MarginBottom = 32;
    int ShadowWidth = 0;
    int PlotWidth() const { return Width - MarginLeft - MarginRight - ShadowWidth; }
    int PlotHeight() const { return Height - MarginTop - MarginBottom - ShadowWidth; }
    int PlotRight() const { return Width - MarginRight - ShadowWidth; }
    int PlotBottom() const { return Height - MarginBottom - ShadowWidth; }
    // Inside the plot area, edges included.
    bool InPlot(int X, int Y) const
    {
        return X >= MarginLeft && X <= MarginLeft + PlotWidth() && Y >= MarginTop &&
               Y <= MarginTop + PlotHeight();
    }
};

// One axis of a layer as the world-to-pixel mapping sees it: pixel = K * v + D in extended
// precision, v being ln of the value on a logarithmic axis, rounded to the nearest integer
// (ties to even) within the int range; logarithmic values at or below 1e-100 go to BelowFloor.
// Charts map every mark through it, so the common case is kept cheap.
struct TkxAxisMap {
    long double K = 0, D = 0;
    bool Log = false;
    int BelowFloor = 0;
    TkxAxisMap() = default;
    TkxAxisMap(long double K, long double D, bool Log, int BelowFloor)
        : K(K), D(D), Log(Log), BelowFloor(BelowFloor), FK(double(K)), FD(double(D))
    {
    }
    int Pixel(double V) const
    {
        if (Log && !(V > TScaleProps::LogFloor)) return BelowFloor;
        const double v = Log ? std::log(V) : V;
        // In double first: unless the value lies within its rounding error of a half pixel,
        // the nearest integer is the same as in extended precision.
        const double kv = FK * v, p = kv + FD;
        const double nearest = Nearest(p);
        const double slack = 1e-12 * (std::abs(kv) + std::abs(FD) + 1.0);
        if (std::abs(p) < 2e9 && 0.5 - std::abs(p - nearest) > slack) return int(nearest);
        return Exact(v);
    }

    // For values within Lo..Hi: one slack at least as large as the rounding check takes for any
    // of them, so that PixelWithin need not take it value by value; infinite where that check
    // cannot pass for the whole range.
    double SlackWithin(double Lo, double Hi) const
    {
        const double bound = std::max(std::abs(FK * Lo), std::abs(FK * Hi)) + std::abs(FD) + 1.0;
        return !Log && bound < 1e9 ? 1e-12 * bound : HUGE_VAL;
    }
    // Pixel(V) for a V within the range that Slack was taken for.
    int PixelWithin(double V, double Slack) const
    {
        const double p = FK * V + FD;
        const double nearest = Nearest(p);
        if (0.5 - std::abs(p - nearest) > Slack) return int(nearest);
        return Pixel(V);
    }

  private:
    double FK = 0, FD = 0;
    // The nearest integer, ties to even, of |P| below 2^51.
    static double Nearest(double P)
    {
        constexpr double roundShift = 0x1.8p52;
        return (P + roundShift) - roundShift;
    }
    int Exact(double v) const
    {
        const long double p = K * v + D;
        if (std::isnan(p)) return 0;
        constexpr long double limit = std::numeric_limits<int>::max();
        // Adding and taking away 1.5 * 2^63 rounds as nearbyint does for these magnitudes; the
        // integer then converts exactly through double, which spares the x87 rounding-mode
        // switch of a direct conversion.
        constexpr long double shifter = 0x1.8p63L;
        const long double shifted = std::clamp(p, -limit, limit) + shifter;
        return int(double(shifted - shifter));
    }
};

// The four ends of a layer's ranges.
struct TkxLayerRange {
    double LoX = 0, HiX = 0, LoY = 0, HiY = 0;
    friend bool operator==(const TkxLayerRange&, const TkxLayerRange&) = default;
};

class TkxLayerSet;

// Which layer controls the x and the y axis of each layer; every layer controls itself at
// first. On each axis the couplings form stars of depth one: a controlling layer is free, and a
// layer that controls others cannot be coupled itself.
class TJointLayers : public TPersistent {
  public:
    // Layers, when given, take the controller's range as a coupling is made.
    explicit TJointLayers(TkxLayerSet* Layers = nullptr);
    // Out-of-range layers give themselves.
    int XController(int Layer) const;
    int YController(int Layer) const;
    // Couples an axis of Layer (1..16) to Destination, copying Destination's range of that axis;
    // Destination = Layer frees the axis. Raises EZEVKurvexError and changes nothing when
    // Destination is outside 1..16, is itself controlled, or Layer controls other layers.
    void SetXControlledBy(int Layer, int Destination);
    void SetYControlledBy(int Layer, int Destination);
    // Every axis free again, without touching any range.
    void Reset();
    // Copies the 32 controllers of another coupling as they are, without notifying; the target
    // keeps its own layers and handler.
    void Assign(TPersistent* Source) override;
    TNotifyEvent OnChange;

#define ZEV_JOINT_LAYER_PROPERTIES(NN, N)                                                          \
    int L##NN##xControlledBy() const                                                               \
    {                                                                                              \
        return XController(N);                                                                     \
    }                                                                                              \
    void SetL##NN##xControlledBy(int Value)                                                        \
    {                                                                                              \
        SetXControlledBy(N, Value);                                                                \
    }                                                                                              \
    int L##NN##yControlledBy() const                                                               \
    {                                                                                              \
        return YController(N);                                                                     \
    }                                                                                              \
    void SetL##NN##yControlledBy(int Value)                                                        \
    {                                                                                              \
        SetYControlledBy(N, Value);                                                                \
    }
    ZEV_JOINT_LAYER_PROPERTIES(01, 1)
    ZEV_JOINT_LAYER_PROPERTIES(02, 2)
    ZEV_JOINT_LAYER_PROPERTIES(03, 3)
    ZEV_JOINT_LAYER_PROPERTIES(04, 4)
    ZEV_JOINT_LAYER_PROPERTIES(05, 5)
    ZEV_JOINT_LAYER_PROPERTIES(06, 6)
    ZEV_JOINT_LAYER_PROPERTIES(07, 7)
    ZEV_JOINT_LAYER_PROPERTIES(08, 8)
    ZEV_JOINT_LAYER_PROPERTIES(09, 9)
    ZEV_JOINT_LAYER_PROPERTIES(10, 10)
    ZEV_JOINT_LAYER_PROPERTIES(11, 11)
    ZEV_JOINT_LAYER_PROPERTIES(12, 12)
    ZEV_JOINT_LAYER_PROPERTIES(13, 13)
    ZEV_JOINT_LAYER_PROPERTIES(14, 14)
    ZEV_JOINT_LAYER_PROPERTIES(15, 15)
    ZEV_JOINT_LAYER_PROPERTIES(16, 16)
#undef ZEV_JOINT_LAYER_PROPERTIES

  protected:
    void AssignTo(TPersistent* Dest) override;

  private:
    using TControllers = std::array<int, kxMaxLayer>;
    void Couple(TControllers& Controllers, bool XAxis, int Layer, int Destination);

    TkxLayerSet* FLayers;
    TControllers FXController{};
    TControllers FYController{};
};

class TkxLayerSet {
  public:
    TkxLayerSet();
    ~TkxLayerSet();
    TkxLayerSet(const TkxLayerSet&) = delete;
    TkxLayerSet& operator=(const TkxLayerSet&) = delete;

    // The geometry the mapping is made for, asked at each use (the control's size changes
    // under the layers); without it the geometry of a new chart.
    std::function<TkxPlotGeometry()> GeometryOf;
    // After a layer's sets took new ranges; the chart copies them into its axis scales.
    std::function<void(int Layer)> OnRangeStored;

    // The sets of a layer, clamped to 1..16.
    TScalePropsHoriz& X(int Layer) const;
    TScalePropsVert& Y(int Layer) const;
    TJointLayers& Joint() const { return *FJoint; }
    bool Shown(int Layer) const
    {
        return Layer >= 1 && Layer <= kxMaxLayer && FShown[std::size_t(Layer - 1)];
    }
    // Layers 1..16; false when nothing changed.
    bool SetShown(int Layer, bool Value);
    TkxLayerRange Range(int Layer) const;

    // Defaults, side, distance and colour of all 32 sets; every set reports its changes to
    // Handler.
    void ResetProps(const TNotifyEvent& Handler);
    // Writes both axes of a layer, refusing per axis a span below 0.99 MinRange and, on a
    // logarithmic axis, ends below 1e-100; the mapping is left alone.
    void StoreRange(int Layer, double LoX, double HiX, double LoY, double HiY);
    // Range change that follows the coupling: a controlled axis keeps its range, layers
    // controlled by Layer follow it; then the mapping. Never raises.
    void CoupledRange(int Layer, double LoX, double LoY, double HiX, double HiY);
    // Every layer's y range spans as many world units per screen length as its x range on
    // pixels AspectX wide and AspectY high, kept centred and in its direction.
    void MakeIsometric(int PlotWidthPixels, int PlotHeightPixels, double AspectX, double AspectY);

    // Coefficients of every layer; false when a logarithmic axis has a non-positive end (that
    // axis then maps to the middle of the plot).
    bool ComputeFactors();
    TkxAxisMap AxisMapX(int Layer) const;
    TkxAxisMap AxisMapY(int Layer) const;
    void WorldToPixel(int Layer, double X, double Y, int& PX, int& PY) const
    {
        PX = AxisMapX(Layer).Pixel(X);
        PY = AxisMapY(Layer).Pixel(Y);
    }
    // Where an axis has no extent in pixels, the middle of its range.
    void PixelToWorld(int Layer, int PX, int PY, double& X, double& Y) const;

  private:
    // The sets and the coefficients px = k * x + d (x is ln x on a logarithmic axis).
    struct TLayer {
        std::unique_ptr<TScalePropsHoriz> PropsX;
        std::unique_ptr<TScalePropsVert> PropsY;
        long double kx = 0, dx = 0, ky = 0, dy = 0;
    };
    TLayer& At(int Layer) { return FLayers[std::size_t(std::clamp(Layer, 1, kxMaxLayer) - 1)]; }
    const TLayer& At(int Layer) const
    {
        return FLayers[std::size_t(std::clamp(Layer, 1, kxMaxLayer) - 1)];
    }
    TkxPlotGeometry Geometry() const { return GeometryOf ? GeometryOf() : TkxPlotGeometry(); }

    std::array<TLayer, kxMaxLayer> FLayers;
    std::array<bool, kxMaxLayer> FShown;
    std::unique_ptr<TJointLayers> FJoint;
};
