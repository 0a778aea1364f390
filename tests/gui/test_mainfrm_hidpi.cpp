// The window on a screen with two device pixels per logical pixel.
#include "RecordingDialogs.h"
#include "analysis.h"
#include "mainfrm.h"

#include <QTest>
#include <gtest/gtest.h>

namespace {
// Before the test entry point creates the application, which reads the factor once.
const bool DenseScreenFactor = qputenv("QT_SCALE_FACTOR", "2");
} // namespace

TEST(DenseScreen, MainWindowDrawsInDevicePixels)
{
    AnalysisStartUp();
    TForm1 form;
    form.show();
    QTest::mouseClick(form.BButNewData, Qt::LeftButton);
    ASSERT_EQ(form.devicePixelRatioF(), 2.0);
    const QImage window = form.grab().toImage();
    EXPECT_EQ(window.size(), form.size() * 2);
    window.save(QStringLiteral(ZEV_TEST_OUTPUT_DIR "/mainwindow_dense.png"));

    const QImage& grid = form.ValedData->Picture();
    EXPECT_EQ(grid.size(), form.ValedData->size() * 2);
    // Across the grid line right of a data cell: only background and full line colour, and the
    // line covers its logical width in whole device pixels, not two half-intensity ones.
    const TRect cell = form.ValedData->CellRect(3, 2);
    const int y = cell.Top + cell.Bottom; // device row through the middle of the cell
    const QRgb background = grid.pixel(2 * cell.Right - 4, y);
    const QRgb line = grid.pixel(2 * cell.Right, y);
    EXPECT_NE(line, background);
    int lineWidth = 0;
    for (int x = 2 * cell.Right - 4; x < 2 * cell.Right + 4; ++x) {
        const QRgb c = grid.pixel(x, y);
        EXPECT_TRUE(c == background || c == line) << "device x " << x;
        lineWidth += c == line;
    }
    EXPECT_EQ(lineWidth, 2 * form.ValedData->GridLineWidth());
}

TEST(DenseScreen, ScorePlotMarksCoverTheirDevicePixels)
{
    AnalysisStartUp();
    TForm1 form;
    form.show();
    QTest::mouseClick(form.BButNewData, Qt::LeftButton);
    QTest::mouseClick(form.BButPerformPCA, Qt::LeftButton);
    const QImage window = form.grab().toImage();
    window.save(QStringLiteral(ZEV_TEST_OUTPUT_DIR "/plots_dense_scores.png"));
    // The centre of the first mark, a diagonal cross, in its class colour: both device pixels
    // of each logical pixel across.
    const TkxChartItem& mark = form.KXScores->DataItems()[0];
    int x, y;
    form.KXScores->WorldToPixel(1, mark.X, mark.Y, x, y);
    const QImage& chart = form.KXScores->Picture();
    ASSERT_EQ(chart.size(), form.KXScores->size() * 2);
    const QRgb colour = ToQColor(mark.Color).rgb();
    EXPECT_EQ(chart.pixel(2 * x, 2 * y), colour);
    EXPECT_EQ(chart.pixel(2 * x + 1, 2 * y + 1), colour);
    EXPECT_EQ(chart.pixel(2 * x + 2, 2 * y + 2), colour); // the cross's diagonal
}
