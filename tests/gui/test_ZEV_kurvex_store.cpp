// The chart's item store on its own, without a widget: commands into the right list, sharing the
// data list by reference, class visibility and the extents AutoRange fits to.
#include "ZEV_kurvex_store.h"

#include <gtest/gtest.h>

TEST(KurvexStore, CommandsGoToTheListTheModeSelects)
{
    TkxItemStore s;
    s.Style.DataColor = clRed;
    s.AddMark(1, 2, 5);
    s.Style.AnnotationMode = true;
    s.AddLine(1, 2, 3, 4, cmPixels);
    s.AddText(0, 0, 2, 0, taLeftJustify, cmPixels, 8, QStringLiteral("t"));
    ASSERT_EQ(s.Data().Count(), 1);
    EXPECT_EQ(s.Data()[0].Color, clRed);
    EXPECT_EQ(s.Data()[0].Param3, 5);
    ASSERT_EQ(s.Annotations().Count(), 2);
    EXPECT_EQ(s.Annotations()[0].CoordMode, cmPixels);
    EXPECT_EQ(s.Annotations()[1].Kind, ikTextOffset);
    s.ClearData();
    EXPECT_EQ(s.Data().Count(), 0);
    EXPECT_EQ(s.Annotations().Count(), 2);
}

TEST(KurvexStore, SharedDataListUntilTheSharerWritesAfterSharingEnded)
{
    TkxItemStore owner, sharer;
    owner.AddMark(1, 1, 1);
    sharer.ShowDataOf(owner);
    EXPECT_TRUE(sharer.SameData(owner));
    EXPECT_EQ(sharer.Data().Count(), 1);
    // Still sharing: the sharer's commands land in the shared list.
    sharer.AddMark(2, 2, 1);
    EXPECT_EQ(owner.Data().Count(), 2);
    sharer.EndShowingForeignData();
    EXPECT_EQ(sharer.Data().Count(), 2); // shown until it writes
    sharer.AddMark(3, 3, 1);
    EXPECT_FALSE(sharer.SameData(owner));
    EXPECT_EQ(sharer.Data().Count(), 1);
    EXPECT_EQ(owner.Data().Count(), 2);
}

TEST(KurvexStore, ClassVisibilityReportsChanges)
{
    TkxItemStore s;
    EXPECT_TRUE(s.ClassShown(7, false));
    EXPECT_TRUE(s.SetClassShown(7, false, false));
    EXPECT_FALSE(s.SetClassShown(7, false, false));
    EXPECT_FALSE(s.ClassShown(7, false));
    EXPECT_TRUE(s.ClassShown(7, true));
    EXPECT_FALSE(s.SetClassShown(256, true, false));
    EXPECT_FALSE(s.ClassShown(-1, true));
}

TEST(KurvexStore, FitOfOneLayer)
{
    struct Row {
        const char* Name;
        std::vector<std::pair<double, double>> Marks;
        double Margin, MinSpan;
        bool LogX;
        TkxLayerRange Expected;
    };
    const std::vector<Row> rows = {
        {"no items", {}, 3, 0, false, {-1, 1, -1, 1}},
        {"equal y ends opened after the margin",
         {{0, 5}, {10, 5}},
         3,
         0,
         false,
         {-0.3, 10.3, 4, 6}},
        {"minimum span", {{10, 1}, {10.5, 2}}, 0, 20, false, {7.95, 12.55, 1, 2}},
        {"logarithmic margin",
         {{1, 1}, {100, 2}},
         10,
         0,
         true,
         {std::pow(10.0, -0.2), std::pow(10.0, 2.2), 0.9, 2.1}},
        {"non-finite points ignored", {{1, 1}, {HUGE_VAL, 2}, {3, NAN}}, 0, 0, false, {1, 3, 1, 2}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.Name);
        TkxItemStore s;
        for (auto [x, y] : r.Marks) s.AddMark(x, y, 1);
        const TkxLayerRange f = s.Fit(1, r.Margin, r.MinSpan, r.LogX, false);
        EXPECT_NEAR(f.LoX, r.Expected.LoX, 1e-9);
        EXPECT_NEAR(f.HiX, r.Expected.HiX, 1e-9);
        EXPECT_NEAR(f.LoY, r.Expected.LoY, 1e-9);
        EXPECT_NEAR(f.HiY, r.Expected.HiY, 1e-9);
    }
}

TEST(KurvexStore, FitAllWidensControllersAndSkipsHiddenLayers)
{
    TkxItemStore s;
    s.AddMark(0, 0, 1);
    s.AddMark(1, 1, 1);
    s.Style.ActiveLayer = 2;
    s.AddMark(5, -4, 1);
    TkxFitRules rules;
    for (int n = 1; n <= kxMaxLayer; ++n) rules[std::size_t(n - 1)] = {n <= 2, n, n, false, false};
    rules[1].XController = 1; // layer 2's x axis follows layer 1
    const TkxLayerRanges r = s.FitAll(0, 0, rules);
    EXPECT_EQ(r[0], (TkxLayerRange{0, 5, 0, 1}));
    EXPECT_EQ(r[1], (TkxLayerRange{0, 5, -5, -3}));
    EXPECT_EQ(r[2], TkxLayerRange{});
}
