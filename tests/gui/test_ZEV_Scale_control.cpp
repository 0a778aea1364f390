// The scale control: setter rules, the value-to-pixel map, zoom and pan arithmetic, mouse
// handling and Assign.
#include "ZEV_Scale_testing.h"

#include <QMouseEvent>
#include <QTest>
#include <functional>
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

    // Once loaded, the scale checks Logarithmic against its range.
    s.BeginLoading();
    s.Loaded();
    s.SetLabelType(ftNum);
    s.SetRange(-1, 10);
    s.SetLogarithmic(true);
    EXPECT_FALSE(s.Logarithmic());
}

TEST(ScaleControl, SettingsFromElsewhereAreTakenAsTheSettersTakeThem)
{
    struct Row {
        const char* Name;
        bool Loaded;
        double Lo, Hi;
        int MinTicks, DecPlaces;
        TFigType LabelType;
        bool Logarithmic;
        double ExpLo, ExpHi;
        int ExpMinTicks, ExpDecPlaces;
        bool ExpLogarithmic;
    };
    // clang-format off
    const std::vector<Row> rows = {
        {"as given", false, 1, 10, 5, 2, ftNum, true, 1, 10, 5, 2, true},
        {"equal ends one apart", false, 3, 3, 3, -2, ftNum, false, 3, 4, 3, -2, false},
        {"MinTicks in the control's band", false, 0, 1, 15, -2, ftNum, false, 0, 1, 10, -2, false},
        {"time labels take four decimals", false, 0, 1, 3, 2, ftTime, false, 0, 1, 3, 4, false},
        {"calendar labels are never logarithmic", false, 1, 10, 3, -2, ftDateTime, true, 1, 10, 3,
         -2, false},
        {"a loaded scale checks Logarithmic", true, -1, 10, 3, -2, ftNum, true, -1, 10, 3, -2,
         false},
    };
    // clang-format on
    for (const Row& r : rows) {
        SCOPED_TRACE(r.Name);
        TScale s;
        if (r.Loaded) {
            s.BeginLoading();
            s.Loaded();
        }
        TScaleSettings v;
        v.StoreRange(r.Lo, r.Hi);
        v.SetMinTicks(r.MinTicks);
        v.SetLabelType(r.LabelType);
        v.SetDecPlaces(r.DecPlaces);
        v.SetLogarithmic(r.Logarithmic, false);
        v.SetCaption(QStringLiteral("mass"));
        s.SetSettings(v);
        EXPECT_EQ(s.RangeLow(), r.ExpLo);
        EXPECT_EQ(s.RangeHigh(), r.ExpHi);
        EXPECT_EQ(s.MinTicks(), r.ExpMinTicks);
        EXPECT_EQ(s.DecPlaces(), r.ExpDecPlaces);
        EXPECT_EQ(s.Logarithmic(), r.ExpLogarithmic);
        EXPECT_EQ(s.Caption(), QStringLiteral("mass"));
        // The map follows the new range.
        EXPECT_EQ(s.ValueToPixel(s.RangeLow()), s.MarginLeft());
    }
}

TEST(ScaleControl, SettersRepaintOnlyWhatChanges)
{
    TScale s;
    TBitmap b;
    Filled(b, 400, 400);
    PaintAt(s, b, 0, 0);
    s.SetSuppressPaint(false);
    int paints = 0;
    s.OnBeforeScaleRendered = [&](TObject*, TCanvas*) { ++paints; };
    const std::vector<std::pair<const char*, std::function<void()>>> rows = {
        {"caption", [&] { s.SetCaption(QStringLiteral("x")); }},
        {"range", [&] { s.SetRange(0, 50); }},
        {"range end onto the other", [&] { s.SetRangeHigh(0); }},
        {"decimals clamped", [&] { s.SetDecPlaces(40); }},
        {"margin clamped", [&] { s.SetMarginLeft(-4); }},
        {"side", [&] { s.SetScaleType(sctYL); }},
        {"base line", [&] { s.SetShowBaseLine(false); }},
        {"background", [&] { s.SetColorBackGnd(clAqua); }},
        {"settings",
         [&] {
             TScaleSettings v = s.Settings();
             v.SetCaption(QStringLiteral("y"));
             s.SetSettings(v);
         }},
    };
    for (const auto& [name, set] : rows) {
        SCOPED_TRACE(name);
        const int before = paints;
        set();
        EXPECT_EQ(paints, before + 1);
        set(); // the same value again
        EXPECT_EQ(paints, before + 1);
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
