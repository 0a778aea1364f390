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
    const QSize size(40, 10);
    const struct {
        const char* Name;
        std::vector<QPoint> Anchors;
        std::vector<QRect> Expected;
    } cases[] = {
        {"alone: right of the mark", {{50, 50}}, {QRect(55, 45, 40, 10)}},
        {"at the right edge: left", {{190, 50}}, {QRect(145, 45, 40, 10)}},
        {"two on one spot: right, then left",
         {{100, 50}, {100, 50}},
         {QRect(105, 45, 40, 10), QRect(55, 45, 40, 10)}},
        {"a third: above", {{100, 50}, {100, 50}, {100, 50}},
         {QRect(105, 45, 40, 10), QRect(55, 45, 40, 10), QRect(80, 35, 40, 10)}},
        {"in a corner too small for any", {{5, 5}}, {QRect(10, 0, 40, 10)}},
    };
    for (const auto& c : cases) {
        std::vector<TLabelRequest> requests;
        for (QPoint p : c.Anchors) requests.push_back({p, size});
        EXPECT_EQ(PlaceLabels(requests, bounds), c.Expected) << c.Name;
    }
    // Nine labels on one spot: eight positions, the ninth is left out.
    const std::vector<TLabelRequest> crowd(9, TLabelRequest{{100, 50}, QSize(20, 10)});
    const std::vector<QRect> placed = PlaceLabels(crowd, bounds);
    EXPECT_TRUE(placed[8].isEmpty());
    EXPECT_FALSE(AnyOverlap(placed));
    EXPECT_TRUE(PlaceLabels({{{5, 5}, QSize(300, 10)}}, bounds)[0].isEmpty());
}

TEST_F(PlotWindow, LabelledLoadingsOfWineDoNotOverlapAndNameTheColumns)
{
    LoadAndPCA("wine.asc", 1);
    Choose(pkLoadings, {"Label Points"});
    const TKurvex* chart = Chart(pkLoadings);
    // A mark per column instead of its number; the names stand beside the marks.
    ASSERT_EQ(chart->DataItems().Count(), 2 + 1 + 13);
    EXPECT_EQ(chart->DataItems()[3].Kind, ikMark);
    EXPECT_EQ(chart->DataItems()[3].Param3, LoadingMarkType);
    const std::vector<QRect>& rects = Plots().Overlay(pkLoadings).LabelRects();
    ASSERT_EQ(rects.size(), 13u);
    EXPECT_FALSE(AnyOverlap(rects));
    // Eleven columns crowd the origin: some of them find room, the two far ones always.
    const int shown = int(std::count_if(rects.begin(), rects.end(), [](const QRect& r) { return !r.isEmpty(); }));
    EXPECT_GE(shown, 5);
    EXPECT_FALSE(rects[4].isEmpty());  // Magnesium
    EXPECT_FALSE(rects[12].isEmpty()); // Proline
    EXPECT_EQ(Plots().Snapshot().ColumnName(13), QStringLiteral("Proline"));
    EXPECT_TRUE(form->grab().save(Pictures() + "/plot_wine_loadings_labelled.png"));

    // The score plot names its rows the same way; labels that find no room stay out.
    Choose(pkScores, {"Show Legend"});
    const std::vector<QRect>& rows = Plots().Overlay(pkScores).LabelRects();
    ASSERT_EQ(rows.size(), 178u);
    EXPECT_FALSE(AnyOverlap(rows));
    EXPECT_TRUE(form->grab().save(Pictures() + "/plot_wine_scores_labelled.png"));

    Choose(pkScores, {"Label Points"});
    EXPECT_TRUE(Plots().Overlay(pkScores).LabelRects().empty());
    EXPECT_EQ(Chart(pkLoadings)->DataItems()[3].Kind, ikText);
}
