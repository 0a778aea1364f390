// The chart on a screen with two device pixels per logical pixel: painting and mouse bands.
#include "ZEV_kurvex.h"

#include <QTest>
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

TEST(KurvexDenseScreen, BandsAreDrawnAndErasedInDevicePixels)
{
    TKurvex k;
    k.SetBounds(0, 0, 300, 200);
    k.SetMouseAction(maZoomWind);
    k.show();
    const QImage before = k.Picture().copy();
    QTest::mousePress(&k, Qt::LeftButton, {}, QPoint(100, 60));
    QTest::mouseMove(&k, QPoint(100, 60));
    QTest::mouseMove(&k, QPoint(200, 120));
    // White drawn in exclusive-or over the white plot: the band's top edge shows black, its
    // inside stays white.
    EXPECT_EQ(k.Picture().pixel(2 * 150, 2 * 60) & 0xFFFFFF, 0u);
    EXPECT_EQ(k.Picture().pixel(2 * 150, 2 * 90) & 0xFFFFFF, 0xFFFFFFu);
    QTest::mousePress(&k, Qt::RightButton, {}, QPoint(200, 120));
    QTest::mouseRelease(&k, Qt::RightButton, {}, QPoint(200, 120));
    QTest::mouseRelease(&k, Qt::LeftButton, {}, QPoint(200, 120));
    EXPECT_EQ(k.Picture(), before);
}
