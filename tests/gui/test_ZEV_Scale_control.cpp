// The scale control: setter rules, the value-to-pixel map, zoom and pan arithmetic, mouse
// handling, painting onto targets, Assign, and a picture gallery for a person to look at.
#include "ZEV_Scale_testing.h"

#include <QDir>
#include <QMouseEvent>
#include <QTest>
#include <gtest/gtest.h>

TEST(ScaleControl, DefaultsOfANewScale)
{
    TScale s;
    EXPECT_EQ(s.Width(), 400);
    EXPECT_EQ(s.Height(), 400);
    EXPECT_EQ(s.RangeLow(), 0.0);
    EXPECT_EQ(s.RangeHigh(), 100.0);
    EXPECT_EQ(s.MinTicks(), 3);
    EXPECT_EQ(s.DecPlaces(), -2);
    EXPECT_EQ(s.MarginLeft() + s.MarginRight() + s.MarginTop() + s.MarginBottom(), 80);
    EXPECT_TRUE(s.ShortTicks());
    EXPECT_TRUE(s.ShowBaseLine());
    EXPECT_EQ(s.FrameStyle(), fsLowered);
    EXPECT_EQ(s.ColorBackGnd(), clBtnFace);
    EXPECT_EQ(s.CaptionAlignment(), taCenter);
    EXPECT_EQ(s.CaptionPosX(), 4);
    EXPECT_EQ(s.LabelType(), ftNum);
    EXPECT_EQ(s.ScaleType(), sctXB);
    EXPECT_EQ(s.MouseAction(), maNone);
    EXPECT_TRUE(s.SuppressPaint());
    const TDTLabel* f = s.DateFormat();
    EXPECT_EQ(f->DateSeparator(), QLatin1Char('-'));
    EXPECT_EQ(f->TimeSeparator(), QLatin1Char(':'));
    EXPECT_EQ(f->YearLength(), ylYYYY);
    EXPECT_TRUE(f->MonthName());
    EXPECT_EQ(f->DateForTime(), dtOnePerDay);
    EXPECT_EQ(f->DateOrder(), doDDMMYY);
}

TEST(ScaleControl, SetterRules)
{
    TScale s;
    s.SetRangeHigh(0); // equal to RangeLow: the range becomes 1..0
    EXPECT_EQ(s.RangeLow(), 1.0);
    EXPECT_EQ(s.RangeHigh(), 0.0);
    s.SetRangeLow(0); // equal to RangeHigh: 0..1
    EXPECT_EQ(s.RangeHigh(), 1.0);
    s.SetRange(5, 5);
    EXPECT_EQ(s.RangeLow(), 5.0);
    EXPECT_EQ(s.RangeHigh(), 6.0);

    const std::vector<std::pair<int, int>> minTicks = {{1, 2}, {15, 10}, {0, 0}, {5, 5}, {-3, 2}};
    for (auto [in, out] : minTicks) {
        s.SetMinTicks(in);
        EXPECT_EQ(s.MinTicks(), out) << in;
    }
    const std::vector<std::pair<int, int>> decPlaces = {{-5, -3}, {20, 12}, {-1, -1}, {7, 7}};
    for (auto [in, out] : decPlaces) {
        s.SetDecPlaces(in);
        EXPECT_EQ(s.DecPlaces(), out) << in;
    }
    s.SetMarginLeft(-4);
    EXPECT_EQ(s.MarginLeft(), 0);

    s.SetLabelType(ftTime);
    EXPECT_EQ(s.DecPlaces(), 4);
    s.SetRange(1, 10);
    s.SetLogarithmic(true);
    s.SetLabelType(ftDateTime);
    EXPECT_FALSE(s.Logarithmic());
}

TEST(ScaleControl, LogarithmicIsCheckedOnlyOnceLoaded)
{
    struct Row {
        const char* Name;
        bool Loaded;
        double Lo, Hi;
        TFigType LabelType;
        bool Taken;
    };
    // clang-format off
    const std::vector<Row> rows = {
        {"loaded, through zero", true, -1, 10, ftNum, false},
        {"loaded, positive", true, 1, 10, ftNum, true},
        {"loaded, calendar", true, 1, 10, ftDateTime, false},
        {"loaded, at the limit", true, 1e-100, 1, ftNum, true},
        {"created at run time, through zero", false, -1, 10, ftNum, true},
    };
    // clang-format on
    for (const Row& r : rows) {
        SCOPED_TRACE(r.Name);
        TScale s;
        if (r.Loaded) {
            s.BeginLoading();
            s.Loaded();
        }
        s.SetRange(r.Lo, r.Hi);
        s.SetLabelType(r.LabelType);
        s.SetLogarithmic(true);
        EXPECT_EQ(s.Logarithmic(), r.Taken);
        s.SetLogarithmic(false);
        EXPECT_FALSE(s.Logarithmic());
    }
}

TEST(ScaleControl, ValueToPixelMap)
{
    struct Row {
        const char* Name;
        TScaleType Type;
        double Lo, Hi;
        bool Log;
        int W, H;
        std::vector<std::pair<double, int>> Points;
    };
    // clang-format off
    const std::vector<Row> rows = {
        // 359 pixels between the margins; 50 lands on 199.5, which rounds to the even 200.
        {"horizontal", sctXB, 0, 100, false, 400, 400,
         {{0, 20}, {100, 379}, {50, 200}, {-1e300, -2147483647}}},
        // 3 lands on 199.5 up to the last bit, which a fused multiply-add in one build and
        // not in another would round to different pixels.
        {"half a pixel", sctXB, 0.999, 5.001, false, 400, 400, {{3, 200}}},
        {"horizontal reversed", sctXT, 100, 0, false, 400, 400, {{100, 20}, {0, 379}}},
        {"vertical grows upward", sctYL, 0, 100, false, 400, 400, {{0, 379}, {100, 20}}},
        {"vertical reversed", sctYR, 100, 0, false, 400, 400, {{0, 20}, {100, 379}}},
        {"logarithmic", sctXB, 1, 1000, true, 400, 400, {{1, 20}, {1000, 379}, {10, 140}, {0, 0}}},
        {"logarithmic reversed", sctXB, 1000, 1, true, 400, 400, {{1000, 20}, {1, 379}, {-5, 400}}},
        {"logarithmic vertical", sctYL, 1, 100, true, 400, 400, {{1, 379}, {100, 20}}},
        {"resized", sctXB, 0, 100, false, 200, 50, {{0, 20}, {100, 179}}},
        {"no room between the margins", sctXB, 0, 100, false, 30, 30, {{0, 15}, {100, 15}}},
        // Ticks over a range through zero are linear, and so is the map they are drawn with.
        {"logarithmic through zero", sctXB, -1, 100, true, 400, 400,
         {{-1, 20}, {0, 24}, {20, 95}, {40, 166}, {100, 379}}},
        {"logarithmic through zero, vertical", sctYL, -1, 100, true, 400, 400,
         {{-1, 379}, {100, 20}}},
        // Ends whose distance overflows a double still spread over the axis.
        {"span beyond the largest double", sctXB, -1.5e308, 1.5e308, false, 400, 400,
         {{-1.5e308, 20}, {0, 200}, {1.5e308, 379}}},
    };
    // clang-format on
    for (const Row& r : rows) {
        SCOPED_TRACE(r.Name);
        TScale s;
        s.SetBounds(0, 0, r.W, r.H);
        s.SetScaleType(r.Type);
        s.SetRange(r.Lo, r.Hi);
        s.SetLogarithmic(r.Log);
        for (auto [v, px] : r.Points) EXPECT_EQ(s.ValueToPixel(v), px) << v;
    }
}

TEST(ScaleControl, ZoomPanRange)
{
    struct Row {
        const char* Name;
        TMouseActMode Mode;
        TScaleType Type;
        bool Log;
        double Lo, Hi;
        int X0, Y0, X, Y;
        bool Applies;
        double NewLo, NewHi;
    };
    // A 400 x 400 control with margins of 20: the axis is 360 pixels long.
    // clang-format off
    const std::vector<Row> rows = {
        {"pan right by the axis length", maPan, sctXB, false, 0, 100, 30, 5, 390, 5, true, -100, 0},
        {"pan down a quarter", maPan, sctYL, false, 0, 100, 5, 100, 5, 190, true, 25, 125},
        {"log pan right a third", maPan, sctXT, true, 1, 1000, 100, 5, 220, 5, true, 0.1, 100},
        {"log pan down a third", maPan, sctYR, true, 1, 1000, 5, 100, 5, 220, true, 10, 10000},
        {"zoom, low side", maZoom, sctXB, false, 0, 100, 100, 5, 240, 5, true, -100, 100},
        {"zoom, high side", maZoom, sctXB, false, 0, 100, 300, 5, 160, 5, true, 0, 200},
        {"zoom vertical, low side", maZoom, sctYL, false, 0, 100, 5, 300, 5, 160, true, -100, 100},
        {"zoom vertical, high side", maZoom, sctYL, false, 0, 100, 5, 100, 5, 240, true, 0, 200},
        {"log zoom, low side", maZoom, sctXB, true, 1, 100, 100, 5, 280, 5, true, 0.316227766, 100},
        {"log zoom, high side", maZoom, sctXB, true, 1, 100, 300, 5, 120, 5, true, 1, 316.227766},
        {"log zoom vertical, low side", maZoom, sctYL, true, 1, 100, 5, 300, 5, 120, true,
         0.316227766, 100},
        {"log zoom vertical, high side", maZoom, sctYL, true, 1, 100, 5, 100, 5, 280, true, 1,
         316.227766},
        {"zoom-drag right narrows", maZoomDrag, sctXB, false, 0, 100, 100, 5, 200, 5, true, 12.5,
         87.5},
        {"zoom-drag down widens", maZoomDrag, sctYL, false, 0, 100, 5, 100, 5, 200, true, -12.5,
         112.5},
        {"log zoom-drag", maZoomDrag, sctXB, true, 1, 100, 100, 5, 200, 5, true, 1.778279410,
         56.23413252},
        {"no mode", maNone, sctXB, false, 0, 100, 100, 5, 200, 5, false, 0, 0},
        {"other mode", maRubberBand, sctXB, false, 0, 100, 100, 5, 200, 5, false, 0, 0},
        {"log pan over zero", maPan, sctXB, true, -1, 10, 100, 5, 200, 5, false, 0, 0},
    };
    // clang-format on
    for (const Row& r : rows) {
        SCOPED_TRACE(r.Name);
        double lo = 0, hi = 0;
        const bool applies = ZoomPanRange(r.X, r.Y, r.X0, r.Y0, r.Lo, r.Hi, r.Lo, r.Hi, r.Log,
                                          r.Type, r.Mode, 20, 20, 20, 20, 400, 400, lo, hi);
        EXPECT_EQ(applies, r.Applies);
        if (!r.Applies) continue;
        EXPECT_NEAR(lo, r.NewLo, 1e-6 * std::max(1.0, std::fabs(r.NewLo)));
        EXPECT_NEAR(hi, r.NewHi, 1e-6 * std::max(1.0, std::fabs(r.NewHi)));
    }
    double lo = 7, hi = 7; // an axis without length gives no range
    EXPECT_FALSE(ZoomPanRange(50, 5, 10, 5, 0, 100, 0, 100, false, sctXB, maPan, 20, 20, 20, 20, 40,
                              400, lo, hi));
    EXPECT_EQ(lo, 7.0);
}

namespace {
void SendMove(QWidget* W, int X, int Y, Qt::MouseButtons Buttons)
{
    QMouseEvent e(QEvent::MouseMove, QPointF(X, Y), W->mapToGlobal(QPointF(X, Y)), Qt::NoButton,
                  Buttons, Qt::NoModifier);
    QApplication::sendEvent(W, &e);
}
} // namespace

TEST(ScaleControl, MouseDragPansAndDoubleClickSwitchesMode)
{
    TScale s;
    s.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&s));
    EXPECT_FALSE(s.SuppressPaint()); // the window exists
    s.SetMouseAction(maPan);
    int zoomPans = 0;
    s.OnZoomPan = [&](TObject* Sender) {
        EXPECT_EQ(Sender, &s);
        ++zoomPans;
    };
    QTest::mousePress(&s, Qt::LeftButton, Qt::NoModifier, QPoint(100, 200));
    SendMove(&s, 100, 200, Qt::LeftButton); // starts the drag
    SendMove(&s, 190, 200, Qt::LeftButton); // a quarter of the axis to the right
    EXPECT_DOUBLE_EQ(s.RangeLow(), -25.0);
    EXPECT_DOUBLE_EQ(s.RangeHigh(), 75.0);
    SendMove(&s, 390, 200, Qt::LeftButton); // beyond the right margin: ignored
    EXPECT_DOUBLE_EQ(s.RangeLow(), -25.0);
    SendMove(&s, 10, 200, Qt::LeftButton); // left of the band: ignored
    EXPECT_DOUBLE_EQ(s.RangeLow(), -25.0);
    SendMove(&s, 280, 200, Qt::LeftButton); // back in: still measured from the start
    EXPECT_DOUBLE_EQ(s.RangeLow(), -50.0);
    QTest::mouseRelease(&s, Qt::LeftButton, Qt::NoModifier, QPoint(280, 200));
    EXPECT_EQ(zoomPans, 2);
    SendMove(&s, 300, 200, Qt::NoButton); // no button: nothing
    EXPECT_DOUBLE_EQ(s.RangeLow(), -50.0);
    SendMove(&s, 300, 200, Qt::LeftButton); // a new drag starts here
    SendMove(&s, 300, 200, Qt::LeftButton);
    EXPECT_DOUBLE_EQ(s.RangeLow(), -50.0);

    struct Row {
        TMouseActMode Before, After;
    };
    int dblClicks = 0;
    s.OnDblClick = [&](TObject*) { ++dblClicks; };
    for (Row r : {Row{maPan, maZoom}, Row{maZoom, maPan}, Row{maNone, maNone},
                  Row{maZoomDrag, maZoomDrag}}) {
        s.SetMouseAction(r.Before);
        QTest::mouseDClick(&s, Qt::LeftButton, Qt::NoModifier, QPoint(200, 200));
        EXPECT_EQ(s.MouseAction(), r.After) << int(r.Before);
    }
    EXPECT_EQ(dblClicks, 4);
}

// ---- painting ----------------------------------------------------------------------------------

namespace {
TBitmap& Filled(TBitmap& B, int W, int H, TColor Color = clWhite)
{
    B.SetSize(W, H);
    B.Canvas()->Brush()->SetColor(Color);
    B.Canvas()->FillRect(Rect(0, 0, W, H));
    return B;
}

int InkedPixels(TBitmap& B, int X1, int Y1, int X2, int Y2, TColor Background = clWhite)
{
    int n = 0;
    for (int y = Y1; y < Y2; ++y)
        for (int x = X1; x < X2; ++x) n += B.Canvas()->Pixel(x, y) != Background;
    return n;
}

void PaintAt(TScale& S, TBitmap& Target, int X, int Y)
{
    S.SetTargetCanvas(Target.Canvas(), X, Y);
    S.SetDirectPaint(true);
    S.ForcePaint();
}
} // namespace

TEST(ScaleRendering, OpaqueScaleHasBackgroundFrameBaseLineAndTwoTickLengths)
{
    TScale s;
    s.SetColorBackGnd(clYellow);
    s.SetColorScale(clBlue);
    TBitmap b;
    PaintAt(s, Filled(b, 400, 400), 0, 0);
    TCanvas* c = b.Canvas();
    EXPECT_EQ(c->Pixel(200, 100), clYellow);
    // Lowered frame: shadow outside top-left, light outside bottom-right, dark and silver inside.
    EXPECT_EQ(c->Pixel(0, 50), RGB(128, 128, 128));
    EXPECT_EQ(c->Pixel(399, 50), clWhite);
    EXPECT_EQ(c->Pixel(1, 50), clBlack);
    EXPECT_EQ(c->Pixel(398, 50), RGB(192, 192, 192));
    // Base line at y = 379 from x = 20 to 379.
    EXPECT_EQ(c->Pixel(20, 379), clBlue);
    EXPECT_EQ(c->Pixel(379, 379), clBlue);
    EXPECT_EQ(c->Pixel(19, 379), clYellow);
    EXPECT_EQ(c->Pixel(380, 379), clYellow);
    // 0..100 with MinTicks 3: a long tick at 20 (x = 92), a short one at 5 (x = 38).
    EXPECT_EQ(c->Pixel(92, 373), clBlue);
    EXPECT_EQ(c->Pixel(92, 372), clYellow);
    EXPECT_EQ(c->Pixel(38, 376), clBlue);
    EXPECT_EQ(c->Pixel(38, 375), clYellow);

    s.SetColorScheme(csSystem);
    s.SetFrameStyle(fsRaised);
    PaintAt(s, b, 0, 0);
    EXPECT_EQ(c->Pixel(0, 50), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(c->Pixel(399, 50), clBlack);
    EXPECT_EQ(c->Pixel(398, 50), ColorToRGB(clBtnShadow));
}

TEST(ScaleRendering, TargetOffsetsAndTransparency)
{
    struct Row {
        const char* Name;
        TScaleType Type;
        bool Transparent;
        int OffX, OffY;
        TPoint Inked, Blank;
    };
    // clang-format off
    const std::vector<Row> rows = {
        // Transparent scales shift only across the axis; along it they stay put.
        {"transparent bottom axis", sctXB, true, 70, 100, {200, 479}, {270, 379}},
        {"transparent left axis", sctYL, true, 50, 70, {70, 200}, {20, 200}},
        {"transparent right axis", sctYR, true, -30, 0, {349, 200}, {379, 200}},
        // Opaque scales copy their whole picture to the offset.
        {"opaque at an offset", sctXB, false, 50, 60, {50, 60}, {49, 59}},
    };
    // clang-format on
    for (const Row& r : rows) {
        SCOPED_TRACE(r.Name);
        TScale s;
        s.SetScaleType(r.Type);
        s.SetTransparent(r.Transparent);
        s.SetColorScale(clRed);
        TBitmap b;
        PaintAt(s, Filled(b, 500, 500), r.OffX, r.OffY);
        EXPECT_NE(b.Canvas()->Pixel(r.Inked.X, r.Inked.Y), clWhite);
        EXPECT_EQ(b.Canvas()->Pixel(r.Blank.X, r.Blank.Y), clWhite);
        if (r.Transparent) {
            EXPECT_EQ(b.Canvas()->Pixel(250, 5), clWhite); // no background
        }
    }
}

TEST(ScaleRendering, RenderingEventsSeeTheRightCanvasInOrder)
{
    for (bool transparent : {true, false}) {
        SCOPED_TRACE(transparent ? "transparent" : "opaque");
        TScale s;
        s.SetTransparent(transparent);
        s.SetColorBackGnd(clAqua);
        TBitmap b;
        Filled(b, 400, 400);
        QStringList order;
        TCanvas* before = nullptr;
        TCanvas* after = nullptr;
        s.OnBeforeScaleRendered = [&](TObject*, TCanvas* c) { before = c, order << "before"; };
        s.OnScaleTickDrawn = [&](TObject*, TCanvas*, TScaleType, double, int, int) {
            if (order.last() != "tick") order << "tick";
        };
        s.OnAfterScaleRendered = [&](TObject*, TCanvas* c) {
            after = c, order << "after";
            if (!transparent) {
                EXPECT_EQ(c->Pixel(0, 50), clAqua); // the frame comes later
            }
        };
        PaintAt(s, b, 0, 0);
        EXPECT_EQ(order, QStringList({"before", "tick", "after"}));
        EXPECT_EQ(before, b.Canvas());
        if (transparent)
            EXPECT_EQ(after, b.Canvas());
        else
            EXPECT_NE(after, b.Canvas());
    }
}

TEST(ScaleRendering, PaintingIsHeldBackWhenItShouldBe)
{
    TScale s;
    TBitmap b;
    Filled(b, 400, 400);
    int paints = 0;
    s.OnBeforeScaleRendered = [&](TObject*, TCanvas*) { ++paints; };
    s.SetTargetCanvas(b.Canvas(), 0, 0);
    s.SetDirectPaint(true); // still suppressed: the scale has no window
    EXPECT_EQ(paints, 0);
    s.SetSuppressPaint(false); // lifting it paints
    EXPECT_EQ(paints, 1);
    s.DateFormat()->SetDateForTime(dtAllTicks); // its own date format repaints it
    EXPECT_EQ(paints, 2);
    s.Font()->SetSize(12); // and so does its font
    EXPECT_EQ(paints, 3);
    s.SetVisible(false);
    s.Redraw();
    EXPECT_EQ(paints, 3);
    s.SetVisible(true);
    s.BeginLoading();
    s.SetRange(5, 10);
    EXPECT_EQ(paints, 3);
    s.Loaded();
    EXPECT_EQ(paints, 4);
    s.SetSuppressPaint(true);
    s.ForcePaint();
    EXPECT_EQ(paints, 5);
    EXPECT_TRUE(s.SuppressPaint());
    // Only the first show lifts the hold of creation; later ones keep the owner's setting.
    s.show();
    EXPECT_FALSE(s.SuppressPaint());
    s.SetSuppressPaint(true);
    s.hide();
    s.show();
    EXPECT_TRUE(s.SuppressPaint());
    s.SetSuppressPaint(false);
    s.SetTransparent(true);
    s.SetDirectPaint(false); // a transparent scale only asks for a later repaint
    const int before = paints;
    s.Redraw();
    EXPECT_EQ(paints, before);
}

TEST(ScaleRendering, HorizontalLabelsStayTwoPixelsInsideTheControl)
{
    for (TScaleType type : {sctXB, sctXT}) {
        TScale s;
        s.SetScaleType(type);
        s.SetTransparent(true);
        s.SetMarginLeft(0); // ticks on the first and the last column
        s.SetMarginRight(0);
        TBitmap b;
        PaintAt(s, Filled(b, 400, 400), 0, 0);
        // The label rows lie beyond the 7 pixels of the long ticks.
        const int y1 = type == sctXB ? 340 : 28, y2 = type == sctXB ? 372 : 60;
        EXPECT_EQ(InkedPixels(b, 0, y1, 2, y2), 0);
        EXPECT_GT(InkedPixels(b, 2, y1, 12, y2), 0);
        EXPECT_EQ(InkedPixels(b, 398, y1, 400, y2), 0);
        EXPECT_GT(InkedPixels(b, 380, y1, 398, y2), 0);
    }
}

TEST(ScaleRendering, TransparentScaleOnItsOwnWindowLeavesNoOldTicks)
{
    QWidget parent;
    QPalette pal = parent.palette();
    pal.setColor(QPalette::Window, QColor(10, 200, 30));
    parent.setPalette(pal);
    parent.resize(400, 400);
    TScale* s = new TScale(&parent);
    s->SetTransparent(true);
    parent.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
    s->SetDirectPaint(true);                               // paints at once
    EXPECT_EQ(s->Picture().pixel(92, 374), qRgb(0, 0, 0)); // the long tick at 20
    s->SetRange(0, 130);                                   // no tick near x = 92 any more
    EXPECT_EQ(s->Picture().pixel(92, 374), qRgb(10, 200, 30));
}

TEST(ScaleRendering, CalendarNoticeIsWrittenBelowAHorizontalAxis)
{
    TScale s;
    s.SetTransparent(true);
    s.SetLabelType(ftDateTime);
    TBitmap b;
    s.SetRange(Day(2024, 1, 1), Day(2024, 12, 31));
    PaintAt(s, Filled(b, 400, 400), 0, 0);
    EXPECT_EQ(InkedPixels(b, 100, 386, 300, 400), 0); // labels sit above the line
    s.SetRange(Day(2024, 12, 31), Day(2024, 1, 1));   // reversed: invalid
    PaintAt(s, Filled(b, 400, 400), 0, 0);
    EXPECT_GT(InkedPixels(b, 100, 386, 300, 400), 20);
    EXPECT_EQ(s.NumTicks(), 0);
}

TEST(ScaleControl, AssignCopiesSettingsButNotMouseActionOrTarget)
{
    TScale a, b;
    TBitmap target;
    Filled(target, 400, 400);
    a.SetRange(-5, 5);
    a.SetScaleType(sctYR);
    a.SetCaption("volts");
    a.SetMinTicks(7);
    a.SetLabelType(ftUserText);
    a.SetUserTickText("x|y");
    a.SetMouseAction(maPan);
    a.SetTargetCanvas(target.Canvas(), 3, 4);
    a.DateFormat()->SetYearLength(ylYY);
    int labelsSeen = 0;
    a.OnBeforeTickLabel = [&](TObject*, TScaleType, double, QString&) { ++labelsSeen; };
    b.Assign(&a);
    EXPECT_EQ(b.RangeLow(), -5.0);
    EXPECT_EQ(b.ScaleType(), sctYR);
    EXPECT_EQ(b.Caption(), "volts");
    EXPECT_EQ(b.MinTicks(), 7);
    EXPECT_EQ(b.UserTickText(), "x|y");
    EXPECT_EQ(b.DateFormat()->YearLength(), ylYY);
    EXPECT_EQ(b.MouseAction(), maNone);
    EXPECT_EQ(b.TargetCanvas(), nullptr);
    EXPECT_TRUE(bool(b.OnBeforeTickLabel));
    // The copy's date format still repaints the copy, not the original.
    int paints = 0;
    b.OnBeforeScaleRendered = [&](TObject*, TCanvas*) { ++paints; };
    b.SetTargetCanvas(target.Canvas(), 0, 0);
    b.SetSuppressPaint(false);
    b.SetDirectPaint(true);
    const int afterSetup = paints;
    b.DateFormat()->SetYearLength(ylNone);
    EXPECT_EQ(paints, afterSetup + 1);
    EXPECT_EQ(a.DateFormat()->YearLength(), ylYY);

    TDTLabel foreign;
    EXPECT_THROW(b.Assign(&foreign), EAssignError);
    // SetDateFormat copies the settings but keeps the scale as their handler.
    int foreignChanges = 0;
    foreign.OnChange = [&](TObject*) { ++foreignChanges; };
    foreign.SetDateOrder(doYYMMDD);
    b.SetDateFormat(&foreign);
    EXPECT_EQ(b.DateFormat()->DateOrder(), doYYMMDD);
    b.DateFormat()->SetDateOrder(doMMDDYY);
    EXPECT_EQ(foreignChanges, 1);
}

// ---- gallery -----------------------------------------------------------------------------------

namespace {
struct GalleryCell {
    QString Caption;
    TScaleType Type;
    double Lo, Hi;
    TFigType Labels;
    bool Log, Transparent;
    TFrameStyle Frame;
    int MinTicks;
};

void DrawCell(TBitmap& Gallery, const GalleryCell& G, int X, int Y, int W, int H)
{
    TScale s;
    s.SetBounds(0, 0, W, H);
    s.SetScaleType(G.Type);
    const bool vertical = G.Type == sctYL || G.Type == sctYR;
    s.SetMarginLeft(vertical ? (G.Type == sctYL ? 12 : 80) : 30);
    s.SetMarginRight(vertical ? (G.Type == sctYL ? 80 : 12) : 30);
    s.SetMarginTop(vertical ? 24 : (G.Type == sctXT ? 8 : 20));
    s.SetMarginBottom(vertical ? 24 : (G.Type == sctXB ? 24 : 20));
    s.SetLabelType(G.Labels);
    s.SetRange(G.Lo, G.Hi);
    s.SetLogarithmic(G.Log);
    s.SetMinTicks(G.MinTicks);
    s.SetTransparent(G.Transparent);
    s.SetFrameStyle(G.Frame);
    s.SetColorBackGnd(RGB(236, 236, 228));
    s.SetColorScale(G.Transparent ? RGB(0, 0, 140) : clBlack);
    s.SetCaption(G.Caption);
    s.SetCaptionAnchor(vertical ? uaSclTopLft : uaSclBotRgt);
    s.SetCaptionAlignment(G.Type == sctYL ? taLeftJustify : taRightJustify);
    s.SetCaptionPosX(0);
    s.SetCaptionPosY(vertical ? -20 : (G.Type == sctXB ? 6 : 44));
    TBitmap cell;
    Filled(cell, W, H, RGB(214, 228, 246)); // transparent scales show this through
    PaintOnto(s, cell);
    Gallery.Canvas()->Draw(X, Y, &cell);
}
} // namespace

TEST(ScaleGallery, WritesAPictureOfEveryKindOfScale)
{
    const double jan = Day(2024, 1, 1);
    // clang-format off
    const std::vector<GalleryCell> horizontal = {
        {"linear, lowered", sctXB, 0, 100, ftNum, false, false, fsLowered, 3},
        {"reversed, top, raised", sctXT, 100, -50, ftNum, false, false, fsRaised, 5},
        {"log 1..1000, embossed", sctXB, 1, 1000, ftNum, true, false, fsEmbossed, 10},
        {"time span (s), transparent", sctXB, 0, 7200, ftTime, false, true, fsNone, 3},
        {"months, simple frame", sctXB, jan, Day(2024, 12, 31), ftDateTime, false, false, fsSimple,
         3},
        {"hours with dates, transparent", sctXB, jan + 0.5, jan + 2.25, ftDateTime, false, true,
         fsNone, 4},
        {"years, top, engraved", sctXT, Day(1950, 1, 1), Day(2030, 1, 1), ftDateTime, false, false,
         fsEngraved, 3},
        {"reversed dates: notice", sctXT, jan + 10, jan, ftDateTime, false, false, fsLowered, 3},
    };
    // clang-format on
    // clang-format off
    const std::vector<GalleryCell> vertical = {
        {"linear", sctYL, -1, 1, ftNum, false, false, fsLowered, 4},
        {"log", sctYR, 1, 1e5, ftNum, true, false, fsRaised, 10},
        {"time", sctYL, 0, 90, ftTime, false, true, fsNone, 5},
        {"days", sctYR, jan, jan + 20, ftDateTime, false, false, fsEmbossed, 4},
        {"notice", sctYL, jan, jan + 1e-7, ftDateTime, false, false, fsSimple, 3},
    };
    // clang-format on
    const int hw = 460, hh = 78, vw = 130, vh = 330;
    TBitmap gallery;
    Filled(gallery, hw + 10 + 3 * (vw + 10), int(horizontal.size()) * (hh + 6), RGB(255, 255, 255));
    for (std::size_t i = 0; i < horizontal.size(); ++i)
        DrawCell(gallery, horizontal[i], 0, int(i) * (hh + 6), hw, hh);
    for (std::size_t i = 0; i < vertical.size(); ++i)
        DrawCell(gallery, vertical[i], hw + 10 + int(i % 3) * (vw + 10), int(i / 3) * (vh + 10), vw,
                 vh);
    QDir().mkpath(ZEV_TEST_OUTPUT_DIR);
    const QString file = QStringLiteral(ZEV_TEST_OUTPUT_DIR "/scale_gallery.png");
    ASSERT_TRUE(gallery.Image().save(file));
    EXPECT_GT(InkedPixels(gallery, 0, 0, hw, hh, RGB(214, 228, 246)), 500);
}
