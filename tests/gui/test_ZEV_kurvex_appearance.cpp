// The chart's appearance value and background settings, without a widget: the rules of the
// fields, the geometry they give and where the caption goes.
#include "ZEV_kurvex_appearance.h"

#include <gtest/gtest.h>

TEST(KurvexAppearance, FieldRules)
{
    EXPECT_EQ(TkxAppearance::ShadowWidthFor(-3), 0);
    EXPECT_EQ(TkxAppearance::ShadowWidthFor(40), 32);
    EXPECT_EQ(TkxAppearance::CaptionTrimFor(0), 0);
    EXPECT_EQ(TkxAppearance::CaptionTrimFor(2), 5);
    EXPECT_EQ(TkxAppearance::CaptionTrimFor(120), 100);
    EXPECT_EQ(TkxAppearance::MinDupMarkDistFor(0), 1);
    EXPECT_EQ(TkxAppearance::MinDupMarkDistFor(9), 3);
    EXPECT_FALSE(TkxAppearance::GridStepAccepted(-3.5));
    EXPECT_TRUE(TkxAppearance::GridStepAccepted(-3));
}

TEST(KurvexAppearance, GeometryAndMinimumSize)
{
    TkxAppearance a;
    a.MarginLeft = 40, a.MarginRight = 10, a.MarginTop = 20, a.MarginBottom = 30;
    a.ShadowWidth = 4;
    const TkxPlotGeometry g = a.Geometry(300, 200);
    EXPECT_EQ(g.PlotWidth(), 246);
    EXPECT_EQ(g.PlotHeight(), 146);
    EXPECT_TRUE(g.InPlot(40, 20));
    EXPECT_TRUE(g.InPlot(286, 166));
    EXPECT_FALSE(g.InPlot(287, 100));
    EXPECT_EQ(a.MinimumSize(), QPoint(134, 74));
}

TEST(KurvexAppearance, CaptionAnchors)
{
    struct Row {
        TCaptionAnchorHoriz H;
        TCaptionAnchorVert V;
        QPoint Expected;
    };
    // 300 x 200, margins 50/10/16/32, no shadow, caption offset (2, -16).
    const std::vector<Row> rows = {
        {cahControlLeft, cavControlTop, {2, -16}},
        {cahChartLeft, cavChartTop, {52, 0}},
        {cahChartCenter, cavChartCenter, {172, 76}},
        {cahChartRight, cavChartBottom, {292, 152}},
        {cahControlRight, cavControlBottom, {302, 184}},
    };
    for (const Row& r : rows) {
        TkxAppearance a;
        a.CaptionPosX = 2;
        a.CaptionAnchorHoriz = r.H, a.CaptionAnchorVert = r.V;
        EXPECT_EQ(a.CaptionAnchor(300, 200), r.Expected) << int(r.H);
    }
    TkxAppearance a;
    a.CaptionTrim = 50;
    EXPECT_EQ(a.CaptionRoom(300), 120);
}

TEST(KurvexAppearance, BackgroundNotifiesOnlyOnChange)
{
    TBakGndImg bg;
    int changes = 0;
    bg.OnChange = [&](TObject*) { ++changes; };
    bg.SetName(QStringLiteral("/some/dir/picture.png"));
    EXPECT_EQ(bg.Name(), QStringLiteral("picture.png"));
    bg.SetName(QStringLiteral("/other/picture.png")); // the same name once the path is gone
    bg.SetAreaMode(bamRect);
    bg.SetAreaMode(bamRect);
    EXPECT_EQ(changes, 2);
}
