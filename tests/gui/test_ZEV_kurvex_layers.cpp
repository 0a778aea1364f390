// The chart's layer set on its own, without a widget: range writes and their refusals, the
// coupling of axes, the isometric rule and the mapping between world units and pixels.
#include "ZEV_kurvex_layers.h"

#include <gtest/gtest.h>

namespace {
// 300 x 200 with 50/10/20/30 margins: plot from (50, 20) to (290, 170).
TkxPlotGeometry TestGeometry()
{
    return {300, 200, 50, 10, 20, 30, 0};
}

struct TTestLayers : TkxLayerSet {
    TTestLayers()
    {
        GeometryOf = TestGeometry;
        ResetProps(nullptr);
        OnRangeStored = [this](int Layer) { Stored.push_back(Layer); };
    }
    std::vector<int> Stored;
};
} // namespace

TEST(KurvexLayers, StoreRangeRefusesPerAxis)
{
    struct Row {
        const char* Name;
        bool Log;
        double MinRange;
        double Lo, Hi;
        double ExpectLo, ExpectHi;
    };
    const std::vector<Row> rows = {
        {"plain", false, 0, -2, 8, -2, 8},
        {"below MinRange", false, 1, 3, 3.5, 0, 1},
        {"log end below the floor keeps that end", true, 0, 1e-200, 50, 1, 50},
        {"non-finite", false, 0, NAN, 5, 0, 1},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.Name);
        TTestLayers l;
        l.X(1).StoreRange(0, 1);
        if (r.Log) l.X(1).StoreRange(1, 10), l.X(1).SetLogarithmic(true);
        l.X(1).SetMinRange(r.MinRange);
        l.StoreRange(1, r.Lo, r.Hi, 0, 1);
        EXPECT_DOUBLE_EQ(l.X(1).RangeLow(), r.ExpectLo);
        EXPECT_DOUBLE_EQ(l.X(1).RangeHigh(), r.ExpectHi);
        EXPECT_EQ(l.Stored.back(), 1);
    }
}

TEST(KurvexLayers, CoupledRangeFollowsTheController)
{
    TTestLayers l;
    l.Joint().SetXControlledBy(2, 1);
    l.CoupledRange(1, 0, 0, 10, 1);
    EXPECT_EQ(l.Range(2).LoX, 0);
    EXPECT_EQ(l.Range(2).HiX, 10);
    // A controlled axis keeps its range; its free axis takes the new one.
    l.CoupledRange(2, 5, 3, 6, 4);
    EXPECT_EQ(l.Range(2), (TkxLayerRange{0, 10, 3, 4}));
    EXPECT_THROW(l.Joint().SetXControlledBy(3, 2), EZEVKurvexError);
}

TEST(KurvexLayers, MappingOfThePlotArea)
{
    TTestLayers l;
    l.StoreRange(1, 0, 10, -1, 1);
    ASSERT_TRUE(l.ComputeFactors());
    int px, py;
    l.WorldToPixel(1, 0, -1, px, py);
    EXPECT_EQ(px, 50);
    EXPECT_EQ(py, 170);
    l.WorldToPixel(1, 10, 1, px, py);
    EXPECT_EQ(px, 290);
    EXPECT_EQ(py, 20);
    double x, y;
    l.PixelToWorld(1, 170, 95, x, y);
    EXPECT_NEAR(x, 5, 1e-12);
    EXPECT_NEAR(y, 0, 1e-12);
    // A logarithmic axis with a non-positive end maps to the middle and reports it.
    l.Y(2).SetLogarithmic(true);
    l.Y(2).StoreRange(-1, 10);
    EXPECT_FALSE(l.ComputeFactors());
    l.WorldToPixel(2, 0, 5, px, py);
    EXPECT_EQ(py, 95);
}

TEST(KurvexLayers, IsometricRuleKeepsCentreAndDirection)
{
    TTestLayers l;
    l.StoreRange(1, 0, 10, 8, 2); // a downward y axis
    l.MakeIsometric(241, 151, 1.0, 1.0);
    const TkxLayerRange r = l.Range(1);
    EXPECT_NEAR(r.LoY - r.HiY, 10.0 * 151 / 241, 1e-12);
    EXPECT_NEAR((r.LoY + r.HiY) / 2, 5, 1e-12);
}

TEST(KurvexLayers, ShownLayers)
{
    TTestLayers l;
    EXPECT_TRUE(l.Shown(16));
    EXPECT_FALSE(l.Shown(17));
    EXPECT_TRUE(l.SetShown(3, false));
    EXPECT_FALSE(l.SetShown(3, false));
    EXPECT_FALSE(l.SetShown(0, false));
    EXPECT_FALSE(l.Shown(3));
}
