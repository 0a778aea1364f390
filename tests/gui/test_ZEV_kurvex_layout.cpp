// The chart's layout and painting: values after construction, setter rules of the layout
// properties, the standard layouts, the world-to-pixel mapping, the isometric rule, painting of
// frame, shadow, caption and background, and a gallery of every layout for a person to look at.
#include "ZEV_kurvex.h"

#include <QDir>
#include <QPainter>
#include <gtest/gtest.h>

#include <cmath>

namespace {
QRgb PixelAt(TKurvex& K, int X, int Y)
{
    return K.Picture().pixel(X, Y) & 0xFFFFFF;
}
QRgb Rgb(TColor C)
{
    return ToQColor(C).rgb() & 0xFFFFFF;
}
} // namespace

TEST(KurvexLayout, ValuesAfterConstruction)
{
    TKurvex k;
    EXPECT_EQ(k.Width(), 280);
    EXPECT_EQ(k.Height(), 200);
    EXPECT_EQ(k.MarginLeft(), 50);
    EXPECT_EQ(k.MarginRight(), 20);
    EXPECT_EQ(k.MarginTop(), 20);
    EXPECT_EQ(k.MarginBottom(), 40);
    EXPECT_EQ(k.ShadowWidth(), 0);
    EXPECT_EQ(k.CaptionPosY(), -16);
    EXPECT_EQ(k.CaptionAlignment(), taRightJustify);
    EXPECT_EQ(k.CaptionTrim(), 100);
    EXPECT_EQ(k.StandardLayout(), kxl_X1Bottom_Y1Left);
    EXPECT_TRUE(k.AutoRedraw());
    EXPECT_EQ(k.ChartColor(), clWhite);
    EXPECT_EQ(k.WindColor(), clBtnFace);
    EXPECT_EQ(k.MouseAction(), maNone);

    for (int i = 1; i <= kxNumCrossHairs; ++i) {
        EXPECT_EQ(k.CrossHair(i)->Layer(), i);
        EXPECT_EQ(k.CrossHair(i)->Color(), clRed);
        EXPECT_EQ(k.CrossHair(i)->Mode(), chOff);
        EXPECT_EQ(k.CrossHair(i)->LineType(), psDashDotDot);
    }
    const TTextLabel* l = k.TextLabel(50);
    EXPECT_EQ(l->PosX(), 0.0);
    EXPECT_EQ(l->AttachToData(), tlamBoth);
    EXPECT_EQ(l->ColorBkg(), clWhite);
    EXPECT_EQ(l->ShadowDx(), 3);
    EXPECT_FALSE(l->Visible());
    EXPECT_EQ(l->Mode(), tlOff);
    EXPECT_EQ(k.BackGroundImg()->FillMode(), bfStretch);
    EXPECT_EQ(k.BackGroundImg()->AreaColor(), 14540253u);
    EXPECT_EQ(k.ScaleObjectX(7)->Name(), QStringLiteral("KX_FScale_X_7"));
    EXPECT_EQ(k.ScaleObjectY(16)->Name(), QStringLiteral("KX_FScale_Y_16"));
    EXPECT_EQ(k.JointLayers()->XController(5), 5);
}

TEST(KurvexLayout, SetterRules)
{
    TKurvex k;
    const std::vector<std::pair<int, int>> shadow = {{40, 32}, {-1, 0}, {5, 5}};
    for (auto [in, out] : shadow) {
        k.SetShadowWidth(in);
        EXPECT_EQ(k.ShadowWidth(), out) << in;
    }
    const std::vector<std::pair<int, int>> trim = {{3, 5}, {0, 0}, {150, 100}, {60, 60}};
    for (auto [in, out] : trim) {
        k.SetCaptionTrim(in);
        EXPECT_EQ(k.CaptionTrim(), out) << in;
    }
    const std::vector<std::pair<int, int>> dist = {{7, 3}, {0, 1}, {2, 2}, {-5, 1}};
    for (auto [in, out] : dist) {
        k.SetMinDupMarkDist(in);
        EXPECT_EQ(k.MinDupMarkDist(), out) << in;
    }
    k.SetGridDx(-4);
    EXPECT_EQ(k.GridDx(), 0.0);
    k.SetGridDx(-3);
    EXPECT_EQ(k.GridDx(), -3.0);

    // Aliases share the value.
    k.SetLRim(70);
    EXPECT_EQ(k.MarginLeft(), 70);
    k.SetBRim(33);
    EXPECT_EQ(k.MarginBottom(), 33);

    // Without IncludePath only the file name is kept, also when it is switched off later.
    TBakGndImg* bg = k.BackGroundImg();
    bg->SetName(QStringLiteral("/some/where/pic.bmp"));
    EXPECT_EQ(bg->Name(), QStringLiteral("pic.bmp"));
    bg->SetIncludePath(true);
    bg->SetName(QStringLiteral("/some/where/pic.bmp"));
    EXPECT_EQ(bg->Name(), QStringLiteral("/some/where/pic.bmp"));
    bg->SetIncludePath(false);
    EXPECT_EQ(bg->Name(), QStringLiteral("pic.bmp"));
}

TEST(KurvexLayout, MinimumSizeFollowsMarginsAndShadow)
{
    TKurvex k;
    k.SetShadowWidth(5);
    k.SetBounds(0, 0, 10, 10);
    EXPECT_EQ(k.Width(), 50 + 20 + 5 + 80);
    EXPECT_EQ(k.Height(), 20 + 40 + 5 + 20);
    k.SetBounds(0, 0, 400, 300);
    EXPECT_EQ(k.Width(), 400);
    // The axes take the new size although the chart is not shown.
    EXPECT_EQ(k.ScaleObjectX(1)->Width(), 400);
    EXPECT_EQ(k.ScaleObjectY(3)->Height(), 300);
    // With a shadow the plot area loses that many pixels on the right and at the bottom.
    EXPECT_EQ(k.PlotWidth(), 400 - 50 - 20 - 5);
    EXPECT_EQ(k.PlotHeight(), 300 - 20 - 40 - 5);
}

TEST(KurvexLayout, StandardLayoutsSetMarginsAndVisibleAxes)
{
    struct Row {
        TkxLayout Layout;
        int Bottom, Top, Left, Right;
        // ScalePos of each visible axis of layers 1..4 (-1 = hidden), x then y; sides
        // in position codes.
        std::array<int, 4> XPos, YPos;
        std::array<int, 4> XSide, YSide;
    };
    const int h = -1;
    const std::vector<Row> rows = {
        {kxl_X1Bottom_Y1Left,
         40,
         20,
         50,
         20,
         {0, h, h, h},
         {0, h, h, h},
         {1, 1, 1, 1},
         {3, 3, 3, 3}},
        {kxl_X1Bottom_Y2Left,
         40,
         24,
         100,
         20,
         {0, h, h, h},
         {0, 50, h, h},
         {1, 1, 1, 1},
         {3, 3, 3, 3}},
        {kxl_X1Bottom_Y3Left,
         40,
         24,
         150,
         20,
         {0, h, h, h},
         {0, 50, 100, h},
         {1, 1, 1, 1},
         {3, 3, 3, 3}},
        {kxl_X1Bottom_Y4Left,
         40,
         24,
         200,
         20,
         {0, h, h, h},
         {0, 50, 100, 150},
         {1, 1, 1, 1},
         {3, 3, 3, 3}},
        {kxl_X1Bottom_Y2Both,
         40,
         24,
         50,
         50,
         {0, h, h, h},
         {0, 0, h, h},
         {1, 1, 1, 1},
         {3, 2, 3, 3}},
        {kxl_X2Bottom_Y2Left,
         70,
         24,
         100,
         20,
         {0, 30, h, h},
         {0, 50, h, h},
         {1, 1, 1, 1},
         {3, 3, 3, 3}},
        {kxl_X2Both_Y2Both, 40, 64, 50, 50, {0, 0, h, h}, {0, 0, h, h}, {1, 0, 1, 1}, {3, 2, 3, 3}},
    };
    for (const Row& r : rows) {
        TKurvex k;
        k.SetStandardLayout(kxl_X2Both_Y2Both); // start from another layout each time
        k.SetStandardLayout(r.Layout);
        SCOPED_TRACE(int(r.Layout));
        EXPECT_EQ(k.MarginBottom(), r.Bottom);
        EXPECT_EQ(k.MarginTop(), r.Top);
        EXPECT_EQ(k.MarginLeft(), r.Left);
        EXPECT_EQ(k.MarginRight(), r.Right);
        for (int n = 1; n <= 4; ++n) {
            const TScaleProps* x = k.ScalePropsX(n);
            const TScaleProps* y = k.ScalePropsY(n);
            EXPECT_EQ(x->Visible(), r.XPos[n - 1] >= 0) << "x" << n;
            EXPECT_EQ(y->Visible(), r.YPos[n - 1] >= 0) << "y" << n;
            EXPECT_EQ(x->ScalePos(), std::max(0, r.XPos[n - 1])) << "x" << n;
            EXPECT_EQ(y->ScalePos(), std::max(0, r.YPos[n - 1])) << "y" << n;
            EXPECT_EQ(x->PositionCode(), r.XSide[n - 1]) << "x" << n;
            EXPECT_EQ(y->PositionCode(), r.YSide[n - 1]) << "y" << n;
            // The internal scales draw what the sets say.
            EXPECT_EQ(k.ScaleObjectX(n)->Visible(), x->Visible());
            EXPECT_EQ(int(k.ScaleObjectY(n)->ScaleType()), r.YSide[n - 1]);
        }
        for (int n = 5; n <= kxMaxLayer; ++n) {
            EXPECT_FALSE(k.ScalePropsX(n)->Visible());
            EXPECT_FALSE(k.ScalePropsY(n)->Visible());
        }
    }
}

TEST(KurvexLayout, ScaleMarginsPutEachAxisAtItsDistanceFromThePlot)
{
    TKurvex k;
    k.SetBounds(0, 0, 400, 300);
    k.SetShadowWidth(4);
    k.SetStandardLayout(kxl_X2Both_Y2Both);
    k.ScalePropsX(1)->SetScalePos(12);
    // Each scale's base line lies ScalePos pixels outside the plot frame.
    const int plotBottom = 300 - 40 - 4, plotRight = 400 - 50 - 4;
    EXPECT_EQ(k.ScaleObjectX(1)->MarginTop(), 12 + plotBottom); // below the plot
    EXPECT_EQ(300 - k.ScaleObjectX(2)->MarginBottom() - 1, 64); // above it
    EXPECT_EQ(k.ScaleObjectY(2)->MarginLeft(), plotRight);      // right of it
    EXPECT_EQ(400 - k.ScaleObjectY(1)->MarginRight() - 1, 50);  // left of it
    EXPECT_EQ(k.ScaleObjectX(1)->MarginRight(), 50 + 4 - 1);
    EXPECT_EQ(k.ScaleObjectY(1)->MarginBottom(), 40 + 4 - 1);
}

TEST(KurvexMapping, PlotCornersForLinearReversedAndLogarithmicRanges)
{
    struct Row {
        const char* Name;
        double XLo, XHi, YLo, YHi;
        bool Log;
    };
    const std::vector<Row> rows = {
        {"linear", -5, 15, 0, 2, false},
        {"reversed", 15, -5, 2, 0, false},
        {"logarithmic", 1, 1000, 0.01, 10, true},
        {"reversed logarithmic", 1000, 1, 10, 0.01, true},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.Name);
        TKurvex k;
        k.SetBounds(0, 0, 300, 220);
        k.SetShadowWidth(3);
        TScaleProps* x = k.ScalePropsX(2);
        TScaleProps* y = k.ScalePropsY(2);
        x->SetLogarithmic(r.Log), y->SetLogarithmic(r.Log);
        k.WriteLayerRange(2, r.XLo, r.XHi, r.YLo, r.YHi);
        const int left = 50, right = 300 - 20 - 3, top = 20, bottom = 220 - 40 - 3;
        int px, py;
        k.WorldToPixel(2, r.XLo, r.YLo, px, py);
        EXPECT_EQ(px, left);
        EXPECT_EQ(py, bottom);
        k.WorldToPixel(2, r.XHi, r.YHi, px, py);
        EXPECT_EQ(px, right);
        EXPECT_EQ(py, top);
        double wx, wy;
        k.PixelToWorld(2, right, top, wx, wy);
        EXPECT_NEAR(wx, r.XHi, 1e-9 * std::abs(r.XHi));
        EXPECT_NEAR(wy, r.YHi, 1e-9 * std::abs(r.YHi));
    }
}

TEST(KurvexMapping, ValuesOutsideTheMapStayUsable)
{
    TKurvex k;
    int px, py;
    // Huge values are limited, not wrapped.
    k.WorldToPixel(1, 1e300, -1e300, px, py);
    EXPECT_EQ(px, 2147483647);
    EXPECT_EQ(py, 2147483647);
    k.WorldToPixel(1, std::nan(""), 0, px, py);
    EXPECT_EQ(px, 0);
    // Layer numbers are clamped.
    k.WorldToPixel(99, 1, 0, px, py);
    int px16, py16;
    k.WorldToPixel(16, 1, 0, px16, py16);
    EXPECT_EQ(px, px16);
    // A logarithmic axis maps non-positive values to the edge its low end is on.
    k.ScalePropsX(1)->SetLogarithmic(true);
    k.WriteLayerRange(1, 1, 10, 0, 1);
    k.WorldToPixel(1, -3, 0, px, py);
    EXPECT_EQ(px, 0);
}

TEST(KurvexMapping, NoPlotAreaOrNoSpanMapsToTheMiddle)
{
    TKurvex k;
    k.SetBounds(0, 0, 300, 220);
    // A range whose ends are the same double (MinRange cannot open it at this size).
    k.ScalePropsX(1)->StoreRange(1e20, 1e20);
    k.CalcLayerFactors();
    int px, py;
    k.WorldToPixel(1, 1e20, 0.5, px, py);
    EXPECT_EQ(px, (50 + 280) / 2);
    double wx, wy;
    k.PixelToWorld(1, 10, 10, wx, wy);
    EXPECT_EQ(wx, 1e20);
    EXPECT_TRUE(std::isfinite(wy));
}

TEST(KurvexMapping, LogarithmicAxisWithNonPositiveEndRaisesOnlyFromRangingCalls)
{
    TKurvex k;
    TScaleProps* x = k.ScalePropsX(1);
    x->SetRangeLow(0), x->SetRangeHigh(10);
    // A chart made at run time takes Logarithmic without checking the range, and its setters
    // must not raise.
    EXPECT_NO_THROW(x->SetLogarithmic(true));
    EXPECT_TRUE(x->Logarithmic());
    EXPECT_NO_THROW(k.SetMarginLeft(60));
    EXPECT_NO_THROW(k.Picture());
    try {
        k.CalcLayerFactors();
        FAIL() << "no error";
    } catch (const EZEVKurvexError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Logarithmic axis must not be negative."));
    }
    EXPECT_THROW(k.AutoRange(1, 0), EZEVKurvexError);
    // Any range write raises while the axis stays unusable, yet maps the other axes.
    int px, py;
    EXPECT_THROW(k.WriteLayerRange(2, 0, 10, 0, 10), EZEVKurvexError);
    k.WorldToPixel(2, 10, 0, px, py);
    EXPECT_EQ(px, 280 - 20);
}

TEST(KurvexMapping, IsometricRuleOnWideAndTallControls)
{
    struct Row {
        int W, H;
    };
    for (const Row& r : std::vector<Row>{{500, 200}, {200, 500}}) {
        SCOPED_TRACE(r.W);
        TKurvex k;
        k.SetBounds(0, 0, r.W, r.H);
        k.WriteLayerRange(1, 0, 10, 4, 6);
        k.SetIsometric(true);
        const double pw = k.PlotWidth() + 1, ph = k.PlotHeight() + 1;
        const TScaleProps* y = k.ScalePropsY(1);
        const double expected = 10 * ph / pw * k.AspectY() / k.AspectX();
        EXPECT_NEAR(y->RangeHigh() - y->RangeLow(), expected, 1e-9);
        EXPECT_NEAR((y->RangeHigh() + y->RangeLow()) / 2, 5.0, 1e-9);
        // One world unit is as long on both axes.
        int x0, y0, x1, y1;
        k.WorldToPixel(1, 0, 5, x0, y0);
        k.WorldToPixel(1, 4, 9, x1, y1);
        EXPECT_NEAR(x1 - x0, y0 - y1, 1.0);

        // AutoRange keeps it isometric.
        k.AddMark(0, 0, 1);
        k.AddMark(20, 1, 1);
        k.AutoRange(1, 0);
        EXPECT_NEAR(y->RangeHigh() - y->RangeLow(), 20 * ph / pw, 1e-9);
    }
}

// A margin that grows a chart not yet shown: the rule follows the size the chart ends up with.
TEST(KurvexMapping, IsometricRuleAfterMarginGrowsHiddenChart)
{
    TKurvex k;
    k.SetLayerRange(1, 0, 0, 10, 10);
    k.SetIsometric(true);
    k.SetMarginLeft(200);
    ASSERT_EQ(k.Width(), 300);
    ASSERT_EQ(k.PlotWidth(), 80);
    ASSERT_EQ(k.PlotHeight(), 140);
    const TScaleProps* y = k.ScalePropsY(1);
    const double half = 10.0 * 141 / 81 * k.AspectY() / k.AspectX() / 2;
    EXPECT_NEAR(y->RangeLow(), 5 - half, 1e-9);
    EXPECT_NEAR(y->RangeHigh(), 5 + half, 1e-9);
    EXPECT_NEAR(y->RangeLow(), -3.7037, 1e-4);
}

// ---- painting ----------------------------------------------------------------------------------

TEST(KurvexPaint, FrameShadowAndPlotColours)
{
    TKurvex k;
    k.SetBounds(0, 0, 300, 200);
    k.SetWindColor(clYellow);
    k.SetChartColor(clAqua);
    k.SetShadowWidth(6);
    k.SetShadowColor(clBlue);
    k.SetShadowBakColor(clLime);
    EXPECT_EQ(PixelAt(k, 2, 2), Rgb(clYellow));
    EXPECT_EQ(PixelAt(k, 150, 100), Rgb(clAqua));
    // Plot frame at both edges of the plot area.
    EXPECT_EQ(PixelAt(k, 50, 100), Rgb(clBlack));
    EXPECT_EQ(PixelAt(k, 300 - 20 - 6, 100), Rgb(clBlack));
    // The flying shadow fills the bottom-right strip except where it starts.
    EXPECT_EQ(PixelAt(k, 150, 197), Rgb(clBlue));
    EXPECT_EQ(PixelAt(k, 297, 100), Rgb(clBlue));
    EXPECT_EQ(PixelAt(k, 2, 198), Rgb(clLime));
    EXPECT_EQ(PixelAt(k, 298, 2), Rgb(clLime));
}

TEST(KurvexPaint, CaptionIsTrimmedToItsShareOfThePlotWidth)
{
    TKurvex k;
    k.SetBounds(0, 0, 300, 200);
    k.SetCaption(QString(200, QLatin1Char('W')));
    k.SetCaptionTrim(50);
    QString drawn;
    // The caption is the only text drawn before the axes; read it back through its width.
    k.Picture();
    TBitmap probe;
    probe.SetSize(10, 10);
    probe.Canvas()->Font()->Assign(k.Font());
    const int room = int(std::nearbyint((300 - 50 - 20) * 0.5));
    int rightmost = -1, leftmost = 1000;
    for (int x = 0; x < 300; ++x)
        for (int y = 0; y < 20; ++y)
            if (PixelAt(k, x, y) == Rgb(clBlack)) {
                rightmost = std::max(rightmost, x);
                leftmost = std::min(leftmost, x);
            }
    ASSERT_GE(rightmost, 0);
    // Right-aligned at the plot's right edge, and no wider than the allowed share.
    EXPECT_LE(rightmost, 280);
    EXPECT_LE(rightmost - leftmost, room);
    EXPECT_GT(rightmost - leftmost, room / 2);
}

TEST(KurvexPaint, ShowItemsRefreshesOnlyThePlotArea)
{
    TKurvex k;
    k.SetBounds(0, 0, 300, 200);
    k.Picture();
    // Changes made while AutoRedraw is off reach the control only through ShowItems.
    k.SetAutoRedraw(false);
    k.SetChartColor(clRed);
    k.SetWindColor(clLime);
    EXPECT_EQ(PixelAt(k, 150, 100), Rgb(clWhite));
    k.SetAutoRedraw(true);
    k.ShowItems();
    EXPECT_EQ(PixelAt(k, 150, 100), Rgb(clRed));
    EXPECT_NE(PixelAt(k, 2, 2), Rgb(clLime)); // the frame is left as it was

    // A hidden chart renders nothing.
    k.hide();
    k.SetAutoRedraw(false);
    k.SetChartColor(clBlue);
    k.SetAutoRedraw(true);
    k.ShowItems();
    EXPECT_EQ(PixelAt(k, 150, 100), Rgb(clRed));
}

TEST(KurvexPaint, MissingBackgroundPictureIsDroppedOnFirstPaint)
{
    TKurvex k;
    k.BackGroundImg()->SetIncludePath(true);
    k.BackGroundImg()->SetName(QStringLiteral("/no/such/picture.bmp"));
    k.SetChartColor(clFuchsia);
    EXPECT_EQ(PixelAt(k, 150, 100), Rgb(clFuchsia));
    EXPECT_TRUE(k.BackGroundImg()->Name().isEmpty());
}

TEST(KurvexPaint, AreaModesColourTheirRegion)
{
    struct Row {
        TBGAreaMode Mode;
        bool Left, Middle, Right; // is the area colour at x = 1, 5, 9 (world, y = 0)
    };
    const std::vector<Row> rows = {
        {bamNone, false, false, false},     {bamLeft, true, false, false},
        {bamRight, false, false, true},     {bamVStripe, false, true, false},
        {bamVStripeInv, true, false, true}, {bamRect, false, true, false},
        {bamRectInv, true, false, true},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(int(r.Mode));
        TKurvex k;
        k.SetBounds(0, 0, 300, 200);
        k.WriteLayerRange(1, 0, 10, -5, 5);
        TBakGndImg* bg = k.BackGroundImg();
        bg->SetAreaColor(clRed);
        bg->SetAreaLeft(3), bg->SetAreaRight(7), bg->SetAreaTop(2), bg->SetAreaBottom(-2);
        bg->SetAreaMode(r.Mode);
        const bool expected[3] = {r.Left, r.Middle, r.Right};
        const double xs[3] = {1, 5, 9};
        for (int i = 0; i < 3; ++i) {
            int px, py;
            k.WorldToPixel(1, xs[i], 0, px, py);
            EXPECT_EQ(PixelAt(k, px, py) == Rgb(clRed), expected[i]) << xs[i];
        }
    }
}

TEST(KurvexPaint, ScalesRenderedEventFollowsTheAxes)
{
    TKurvex k;
    int calls = 0;
    k.OnScalesRendered = [&](TObject*, TCanvas*, int Top, int Left) {
        ++calls;
        EXPECT_EQ(Top, 0);
        EXPECT_EQ(Left, 0);
    };
    int ticks = 0;
    k.OnScaleTickDrawn = [&](TObject*, TCanvas*, TScaleType, double, int, int) { ++ticks; };
    k.Picture();
    EXPECT_EQ(calls, 1);
    EXPECT_GT(ticks, 4); // both visible axes of layer 1 drew ticks
}

TEST(KurvexGallery, WritesEveryStandardLayout)
{
    QDir().mkpath(QStringLiteral(ZEV_TEST_OUTPUT_DIR));
    // A background picture: a soft diagonal gradient.
    const QString pictureFile = QStringLiteral(ZEV_TEST_OUTPUT_DIR "/kurvex_background.png");
    QImage pic(64, 48, QImage::Format_RGB32);
    for (int y = 0; y < pic.height(); ++y)
        for (int x = 0; x < pic.width(); ++x)
            pic.setPixel(x, y, qRgb(225 + x / 4, 235 + y / 5, 250 - (x + y) / 8));
    ASSERT_TRUE(pic.save(pictureFile));

    const int w = 420, h = 300;
    QImage sheet(2 * w, 4 * h, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    for (int l = 0; l < kxNumLayouts; ++l) {
        TKurvex k;
        k.SetStandardLayout(TkxLayout(l));
        k.SetBounds(0, 0, w, h);
        k.SetShadowWidth(l % 2 == 0 ? 6 : 0);
        k.SetShadowStyle(l % 4 == 0 ? ssFlying : ssBox);
        k.SetCaption(QStringLiteral("Layout %1").arg(l));
        k.BackGroundImg()->SetIncludePath(true);
        k.BackGroundImg()->SetFillMode(TBkgFill(l % 3));
        k.BackGroundImg()->SetName(pictureFile);
        for (int n = 1; n <= 4; ++n) {
            k.WriteLayerRange(n, -n * 10.0, n * 25.0, 0, std::pow(10.0, n - 1));
            if (k.ScalePropsX(n)->Visible())
                k.ScalePropsX(n)->SetCaption(QStringLiteral("x%1 [units]").arg(n));
            if (k.ScalePropsY(n)->Visible())
                k.ScalePropsY(n)->SetCaption(QStringLiteral("y%1").arg(n));
        }
        painter.drawImage((l % 2) * w, (l / 2) * h, k.Picture());
    }
    painter.end();
    EXPECT_TRUE(sheet.save(QStringLiteral(ZEV_TEST_OUTPUT_DIR "/kurvex_layouts.png")));
}
