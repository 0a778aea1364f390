#include "PlotWindow.h"
#include "labelplacer.h"
#include "plotbuilder.h"

namespace {
bool AnyOverlap(const std::vector<QRect>& Rects)
{
    for (std::size_t i = 0; i < Rects.size(); ++i)
        for (std::size_t j = i + 1; j < Rects.size(); ++j)
            if (!Rects[i].isEmpty() && !Rects[j].isEmpty() && Rects[i].intersects(Rects[j]))
                return true;
    return false;
}
} // namespace

TEST(LabelPlacer, TriesRightLeftAboveBelowAndLeavesOutWhatFitsNowhere)
{
    const QRect bounds(0, 0, 200, 100);
    const struct {
        const char* Name;
        std::vector<QPoint> Anchors;
        std::vector<QRect> Expected;
    } cases[] = {
        {"alone: right of the mark", {{50, 50}}, {{55, 45, 40, 10}}},
        {"at the right edge: left", {{190, 50}}, {{145, 45, 40, 10}}},
        {"three on one spot: right, left, above",
         {{100, 50}, {100, 50}, {100, 50}},
         {{105, 45, 40, 10}, {55, 45, 40, 10}, {80, 35, 40, 10}}},
        {"a mark in the way: left", {{100, 50}, {112, 50}}, {{55, 45, 40, 10}, {117, 45, 40, 10}}},
    };
    for (const auto& c : cases) {
        std::vector<TLabelRequest> requests;
        for (QPoint p : c.Anchors) requests.push_back({p, QSize(40, 10)});
        EXPECT_EQ(PlaceLabels(requests, bounds), c.Expected) << c.Name;
    }
    const std::vector<TLabelRequest> crowd(9, TLabelRequest{{100, 50}, QSize(20, 10)});
    const std::vector<QRect> placed = PlaceLabels(crowd, bounds);
    EXPECT_TRUE(placed[8].isEmpty()); // at most eight places round a mark
    EXPECT_FALSE(AnyOverlap(placed));
    EXPECT_TRUE(PlaceLabels({{{5, 5}, QSize(300, 10)}}, bounds)[0].isEmpty());
    EXPECT_EQ(PlaceLabels({{{50, 50}, QSize(40, 10)}}, bounds, {{60, 45, 5, 5}})[0],
              QRect(5, 45, 40, 10)); // the legend in the way: left
}

TEST_F(PlotWindow, LabelledLoadingsOfWineDoNotOverlapAndNameTheColumns)
{
    LoadAndPCA("wine.asc", 1);
    Choose(pkLoadings, {"Label Points"});
    // A mark per column instead of its number; the names stand beside the marks.
    ASSERT_EQ(Chart(pkLoadings)->DataItems().Count(), 2 + 1 + 13);
    EXPECT_EQ(Chart(pkLoadings)->DataItems()[3].Param3, LoadingMarkType);
    const std::vector<QRect>& rects = Plots().Overlay(pkLoadings).LabelRects();
    ASSERT_EQ(rects.size(), 13u);
    EXPECT_FALSE(AnyOverlap(rects));
    // Eleven columns crowd the origin: some find room there, the two far ones always.
    EXPECT_GE(std::count_if(rects.begin(), rects.end(), [](QRect r) { return !r.isEmpty(); }), 5);
    EXPECT_FALSE(rects[4].isEmpty() || rects[12].isEmpty()); // Magnesium, Proline
    EXPECT_EQ(Plots().Snapshot().ColumnName(13), QStringLiteral("Proline"));
    EXPECT_TRUE(form->grab().save(Pictures() + "/plot_wine_loadings_labelled.png"));

    Choose(pkScores, {"Show Legend"});
    const std::vector<QRect>& rows = Plots().Overlay(pkScores).LabelRects();
    ASSERT_EQ(rows.size(), 178u);
    EXPECT_FALSE(AnyOverlap(rows));
    const QRect legend = Plots().Overlay(pkScores).LegendRect();
    EXPECT_TRUE(
        std::none_of(rows.begin(), rows.end(), [&](QRect r) { return r.intersects(legend); }));
    EXPECT_TRUE(form->grab().save(Pictures() + "/plot_wine_scores_labelled.png"));

    Choose(pkScores, {"Label Points"});
    EXPECT_TRUE(Plots().Overlay(pkScores).LabelRects().empty());
    EXPECT_EQ(Chart(pkLoadings)->DataItems()[3].Kind, ikText);
}
