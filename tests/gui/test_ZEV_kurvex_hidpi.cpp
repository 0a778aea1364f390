// The chart on a screen with two device pixels per logical pixel.
#include "ZEV_kurvex.h"

#include <gtest/gtest.h>

namespace {
// Before the test entry point creates the application, which reads the factor once.
const bool DenseScreenFactor = qputenv("QT_SCALE_FACTOR", "2");
} // namespace

TEST(KurvexDenseScreen, FrameAxesAndPlotInDevicePixels)
{
    TKurvex k;
    k.SetBounds(0, 0, 300, 200);
    k.SetCaption(QStringLiteral("dense"));
    k.show();
    ASSERT_EQ(k.devicePixelRatioF(), 2.0);
    const QImage& picture = k.Picture();
    EXPECT_EQ(picture.size(), k.size() * 2);
    picture.save(QStringLiteral(ZEV_TEST_OUTPUT_DIR "/kurvex_dense.png"));
    // The window colour reaches the control's edge; the plot starts at logical x 50.
    const int y = 2 * 100;
    const QRgb window = ToQColor(clBtnFace).rgb(), frame = ToQColor(clBlack).rgb();
    for (int x = 0; x < 4; ++x) EXPECT_EQ(picture.pixel(x, y), window) << x;
    EXPECT_EQ(picture.pixel(2 * 50 - 1, y), window);
    EXPECT_EQ(picture.pixel(2 * 50, y), frame);
    // ShowItems refreshes the plot area at the same density.
    k.SetAutoRedraw(false);
    k.SetChartColor(clRed);
    k.SetAutoRedraw(true);
    k.ShowItems();
    EXPECT_EQ(k.Picture().pixel(2 * 150, y), ToQColor(clRed).rgb());
    EXPECT_EQ(k.Picture().pixel(2 * 50, y), frame);
}
