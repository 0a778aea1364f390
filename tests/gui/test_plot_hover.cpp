#include "PlotWindow.h"
#include "hoverindex.h"

#include <QToolTip>
#include <random>

namespace {
// The answer by looking at every point.
int BruteNearest(const std::vector<THoverIndex::TPoint>& P, double X, double Y, double Kx,
                 double Ky, double R)
{
    int best = -1;
    double bestD = R * R;
    for (std::size_t i = 0; i < P.size(); ++i) {
        const double dx = (P[i].X - X) * Kx, dy = (P[i].Y - Y) * Ky, d = dx * dx + dy * dy;
        if (d < bestD || (d == bestD && best < 0)) best = int(i), bestD = d;
    }
    return best;
}

QPoint MarkPixel(const TKurvex* Chart, double X, double Y)
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
    points[10] = points[20];               // a duplicate: the lower index wins
    points[30] = {std::nan(""), 0};        // never found
    const THoverIndex index(points);
    const struct {
        double Kx, Ky, Radius;
    } mappings[] = {{200, -5, 5}, {200, -5, 0.5}, {10, -0.1, 8}, {1e4, -1e2, 3}};
    std::uniform_real_distribution<double> u(-3, 3);
    for (const auto& m : mappings)
        for (int q = 0; q < 300; ++q) {
            const double x = u(random), y = 30 * u(random);
            ASSERT_EQ(index.Nearest(x, y, m.Kx, m.Ky, m.Radius),
                      BruteNearest(points, x, y, m.Kx, m.Ky, m.Radius))
                << x << " " << y;
        }
    EXPECT_EQ(index.Nearest(points[20].X, points[20].Y, 1, 1, 0), 10);
    EXPECT_EQ(THoverIndex().Nearest(0, 0, 1, 1, 100), -1);
}

TEST_F(PlotWindow, HoveringOverAMarkNamesItAndGivesItsValues)
{
    LoadAndPCA("iris.asc", 1);
    const TPCASnapshot& s = Plots().Snapshot();
    const TKurvex* scores = Chart(pkScores);
    ShowPage(pkScores);
    // A row whose mark stands alone, so the nearest mark is its own.
    int row = 0;
    for (int r = 1; r <= s.Rows && !row; ++r) {
        const QPoint p = MarkPixel(scores, s.Score(r, 1), s.Score(r, 2));
        bool alone = true;
        for (int o = 1; o <= s.Rows; ++o)
            alone = alone && (o == r || (MarkPixel(scores, s.Score(o, 1), s.Score(o, 2)) - p).manhattanLength() > 12);
        if (alone) row = r;
    }
    ASSERT_GT(row, 0);
    const QPoint p = MarkPixel(scores, s.Score(row, 1), s.Score(row, 2));
    const QString text = Plots().HoverText(pkScores, p.x() + 2, p.y() - 2);
    const QStringList lines = text.split('\n');
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0], s.RowName(row));
    EXPECT_EQ(lines[1], QStringLiteral("Class %1").arg(s.Classes[std::size_t(row - 1)]));
    EXPECT_EQ(lines[2], QStringLiteral("PC 1: ") + QString::number(s.Score(row, 1), 'g', 6));
    EXPECT_TRUE(Plots().HoverText(pkScores, p.x() + 9, p.y()).isEmpty());
    QTest::mouseMove(Chart(pkScores), p);
    EXPECT_EQ(QToolTip::text(), text);

    ShowPage(pkLoadings);
    const QPoint l = MarkPixel(Chart(pkLoadings), s.Loading(4, 1), s.Loading(4, 2));
    EXPECT_TRUE(Plots().HoverText(pkLoadings, l.x(), l.y()).startsWith(s.ColumnName(4) + "\nPC 1: "));
}

TEST_F(PlotWindow, ClickingAScoreMarkSelectsItsRowAndSelectedRowsAreRinged)
{
    NewDataAndPCA();
    const QImage before = Chart(pkScores)->Picture().copy();
    const TPCASnapshot& s = Plots().Snapshot();
    const int row = 42;
    const QPoint p = MarkPixel(Chart(pkScores), s.Score(row, 1), s.Score(row, 2));
    const int clicked = Plots().MarkAt(pkScores, p.x(), p.y());
    ASSERT_GT(clicked, 0);
    QTest::mouseClick(Chart(pkScores), Qt::LeftButton, {}, p);
    const TGridRect sel = form->ValedData->Selection();
    EXPECT_EQ(sel.Top, clicked);
    EXPECT_EQ(sel.Bottom, clicked);
    EXPECT_EQ(sel.Right - sel.Left + 1, 5);
    EXPECT_EQ(Plots().Overlay(pkScores).RingedRows(), std::vector<int>{clicked});
    const QImage ringed = Chart(pkScores)->Picture().convertToFormat(QImage::Format_RGB32);
    const QPoint c = MarkPixel(Chart(pkScores), s.Score(clicked, 1), s.Score(clicked, 2));
    int orange = 0;
    for (int y = c.y() - 9; y <= c.y() + 9; ++y)
        for (int x = c.x() - 9; x <= c.x() + 9; ++x) orange += ringed.pixel(x, y) == qRgb(255, 128, 0);
    EXPECT_GT(orange, 20);
    form->PageControl1->setCurrentWidget(form->TSData);
    EXPECT_TRUE(form->grab().save(Pictures() + "/plot_selected_row_data.png"));

    // Every row selected: every mark ringed; the current cell alone: none, as before.
    form->ValedData->SelectAllCells();
    EXPECT_EQ(Plots().Overlay(pkScores).RingedRows().size(), 150u);
    ShowPage(pkScores);
    EXPECT_TRUE(form->grab().save(Pictures() + "/plot_all_rows_ringed.png"));
    form->PageControl1->setCurrentWidget(form->TSData);
    QTest::mouseClick(form->ValedData, Qt::LeftButton, {},
                      form->ValedData->CellRect(3, form->ValedData->TopRow() + 1).ToQRect().center());
    ASSERT_EQ(form->ValedData->Selection().Left, 3);
    EXPECT_TRUE(Plots().Overlay(pkScores).RingedRows().empty());
    EXPECT_EQ(Chart(pkScores)->Picture(), before);
}
