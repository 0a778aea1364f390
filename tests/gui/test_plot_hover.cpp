#include "PlotWindow.h"
#include "hoverindex.h"

#include <QToolTip>
#include <random>

namespace {
QPoint Pixel(const TKurvex* Chart, double X, double Y)
{
    int px = 0, py = 0;
    Chart->WorldToPixel(1, X, Y, px, py);
    return {px, py};
}
} // namespace

TEST(HoverIndex, FindsWhatLookingAtEveryPointFinds)
{
    std::mt19937 random(7);
    std::normal_distribution<double> normal(0, 1);
    std::vector<THoverIndex::TPoint> points(5000);
    for (auto& p : points) p = {normal(random), 30 * normal(random)};
    points[20] = points[10];        // a duplicate: the lower index wins
    points[30] = {std::nan(""), 0}; // never found
    const THoverIndex index(points);
    const auto brute = [&](double X, double Y, double Kx, double Ky, double R) {
        int best = -1;
        double bestD = R * R;
        for (std::size_t i = 0; i < points.size(); ++i) {
            const double dx = (points[i].X - X) * Kx, dy = (points[i].Y - Y) * Ky;
            const double d = dx * dx + dy * dy;
            if (d < bestD || (d == bestD && best < 0)) best = int(i), bestD = d;
        }
        return best;
    };
    std::uniform_real_distribution<double> u(-3, 3);
    for (const auto& [kx, ky, radius] :
         {std::tuple{200., -5., 5.}, {200., -5., 0.5}, {10., -0.1, 8.}})
        for (int q = 0; q < 300; ++q) {
            const double x = u(random), y = 30 * u(random);
            ASSERT_EQ(index.Nearest(x, y, kx, ky, radius), brute(x, y, kx, ky, radius))
                << x << " " << y;
        }
    EXPECT_EQ(index.Nearest(points[20].X, points[20].Y, 1, 1, 0), 10);
    EXPECT_EQ(THoverIndex().Nearest(0, 0, 1, 1, 100), -1);
}

TEST_F(PlotWindow, HoveringOverAMarkNamesItAndGivesItsValues)
{
    LoadAndPCA("iris.asc", 1);
    const TPCASnapshot& s = Plots().Snapshot();
    ShowPage(pkScores);
    const QPoint p = Pixel(Chart(pkScores), s.Score(1, 1), s.Score(1, 2));
    const int row = Plots().MarkAt(pkScores, p.x() + 2, p.y() - 2);
    ASSERT_GT(row, 0);
    const QString text = Plots().HoverText(pkScores, p.x() + 2, p.y() - 2);
    EXPECT_EQ(text, QStringLiteral("%1\nClass %2\nPC 1: %3\nPC 2: %4")
                        .arg(s.RowName(row))
                        .arg(s.Classes[std::size_t(row - 1)])
                        .arg(s.Score(row, 1), 0, 'g', 6)
                        .arg(s.Score(row, 2), 0, 'g', 6));
    QTest::mouseMove(Chart(pkScores), p + QPoint(2, -2));
    EXPECT_EQ(QToolTip::text(), text);
    EXPECT_TRUE(Plots().HoverText(pkScores, 2, 2).isEmpty()); // outside the plot area

    ShowPage(pkLoadings);
    const QPoint l = Pixel(Chart(pkLoadings), s.Loading(4, 1), s.Loading(4, 2));
    EXPECT_TRUE(
        Plots().HoverText(pkLoadings, l.x(), l.y()).startsWith(s.ColumnName(4) + "\nPC 1: "));
}

TEST_F(PlotWindow, ClickingAScoreMarkSelectsItsRowAndSelectedRowsAreRinged)
{
    NewDataAndPCA();
    const QImage before = Chart(pkScores)->Picture().copy();
    const TPCASnapshot& s = Plots().Snapshot();
    const QPoint p = Pixel(Chart(pkScores), s.Score(42, 1), s.Score(42, 2));
    const int row = Plots().MarkAt(pkScores, p.x(), p.y());
    QTest::mouseClick(Chart(pkScores), Qt::LeftButton, {}, p);
    const TGridRect sel = form->ValedData->Selection();
    EXPECT_EQ(std::tuple(sel.Top, sel.Bottom, sel.Right - sel.Left), std::tuple(row, row, 4));
    EXPECT_EQ(Plots().Overlay(pkScores).RingedRows(), std::vector<int>{row});
    const QPoint c = Pixel(Chart(pkScores), s.Score(row, 1), s.Score(row, 2));
    const QImage ring = Chart(pkScores)->Picture().copy(QRect(c - QPoint(9, 9), QSize(19, 19)));
    int orange = 0;
    for (int y = 0; y < 19; ++y)
        for (int x = 0; x < 19; ++x) orange += ring.pixel(x, y) == qRgb(255, 128, 0);
    EXPECT_GT(orange, 20);
    form->PageControl1->setCurrentWidget(form->TSData);
    EXPECT_TRUE(form->grab().save(Pictures() + "/plot_selected_row_data.png"));

    // Every row selected: every mark ringed; a click on one cell: none, as before.
    form->ValedData->SelectAllCells();
    EXPECT_EQ(Plots().Overlay(pkScores).RingedRows().size(), 150u);
    const TRect cell = form->ValedData->CellRect(3, form->ValedData->TopRow() + 1);
    QTest::mouseClick(form->ValedData, Qt::LeftButton, {}, cell.ToQRect().center());
    EXPECT_TRUE(Plots().Overlay(pkScores).RingedRows().empty());
    EXPECT_EQ(Chart(pkScores)->Picture(), before);
}
