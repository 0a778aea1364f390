// Mouse gestures on a chart, sent as real mouse events: panning and zooming by every mode and by
// axis drags, windows, rubber lines and selections with their events, cross-hair and label drags,
// the trace, the double-click rule, the pointer report, the cursors and the re-entrancy guard.
#include "ZEV_kurvex.h"

#include <QTest>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {
// Plot area 200 x 200 pixels from (50, 20): layer 1 shows 0..10 on both axes, so one world unit
// is 20 pixels, x = (px - 50) / 20 and y = (220 - py) / 20.
std::unique_ptr<TKurvex> MakeChart(TMouseActMode Mode)
{
    auto k = std::make_unique<TKurvex>();
    k->SetMarginLeft(50);
    k->SetMarginRight(50);
    k->SetMarginTop(20);
    k->SetMarginBottom(40);
    k->SetBounds(0, 0, 300, 260);
    k->WriteLayerRange(1, 0, 10, 0, 10);
    k->SetMouseAction(Mode);
    k->show();
    (void)k->Picture();
    return k;
}

QPoint At(double X, double Y)
{
    return {50 + int(X * 20), 220 - int(Y * 20)};
}

// Press, a first move that starts the drag where the button went down, a move to To, release.
void Drag(TKurvex& K, QPoint From, QPoint To, Qt::MouseButton Release = Qt::LeftButton)
{
    QTest::mousePress(&K, Qt::LeftButton, {}, From);
    QTest::mouseMove(&K, From);
    QTest::mouseMove(&K, To);
    if (Release != Qt::LeftButton) QTest::mousePress(&K, Release, {}, To);
    QTest::mouseRelease(&K, Release, {}, To);
    if (Release != Qt::LeftButton) QTest::mouseRelease(&K, Qt::LeftButton, {}, To);
}

// What the window system sends for a double click: the toolkit's test double click is the second
// press alone.
void DoubleClick(TKurvex& K, QPoint P)
{
    QTest::mouseClick(&K, Qt::LeftButton, {}, P);
    QTest::mouseDClick(&K, Qt::LeftButton, {}, P);
    QTest::mouseRelease(&K, Qt::LeftButton, {}, P);
}

TkxLayerRange Range(const TKurvex& K, int Layer = 1)
{
    return {K.ScalePropsX(Layer)->RangeLow(), K.ScalePropsX(Layer)->RangeHigh(),
            K.ScalePropsY(Layer)->RangeLow(), K.ScalePropsY(Layer)->RangeHigh()};
}

void ExpectRange(const TKurvex& K, TkxLayerRange Expected, int Layer = 1)
{
    const TkxLayerRange r = Range(K, Layer);
    EXPECT_NEAR(r.LoX, Expected.LoX, 1e-9);
    EXPECT_NEAR(r.HiX, Expected.HiX, 1e-9);
    EXPECT_NEAR(r.LoY, Expected.LoY, 1e-9);
    EXPECT_NEAR(r.HiY, Expected.HiY, 1e-9);
}
} // namespace

TEST(KurvexMouse, PanAndZoomDragsMoveLayerOne)
{
    struct Case {
        const char* Name;
        TMouseActMode Mode;
        QPoint From, To;
        TkxLayerRange Expected;
        int ZoomPans;
    };
    const Case cases[] = {
        {"pan right 20", maPan, At(5, 5), At(6, 5), {-1, 9, 0, 10}, 1},
        {"pan diagonally", maPan, At(5, 5), At(3, 7), {2, 12, -2, 8}, 1},
        {"pan x only", maPanHoriz, At(5, 5), At(3, 7), {2, 12, 0, 10}, 1},
        {"pan y only", maPanVert, At(5, 5), At(3, 7), {0, 10, -2, 8}, 1},
        {"zoom drag 0 px", maZoomDrag, At(5, 5), At(5, 5), {0, 10, 0, 10}, 0},
        // Right by Width / 2 and up by Height / 2 halves both spans about the centre.
        {"zoom drag in", maZoomDrag, QPoint(60, 200), QPoint(210, 70), {2.5, 7.5, 2.5, 7.5}, 1},
        {"zoom drag out",
         maZoomDrag,
         QPoint(200, 60),
         QPoint(125, 125),
         {-1.25, 11.25, -1.25, 11.25},
         1},
        {"nothing in maZoom", maZoom, At(5, 5), At(6, 5), {0, 10, 0, 10}, 0},
        {"nothing in maNone", maNone, At(5, 5), At(6, 5), {0, 10, 0, 10}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        auto k = MakeChart(c.Mode);
        k->WriteLayerRange(2, 0, 10, 0, 10);
        int zoomPans = 0;
        k->OnZoomPan = [&](TObject*) { ++zoomPans; };
        Drag(*k, c.From, c.To);
        ExpectRange(*k, c.Expected);
        ExpectRange(*k, {0, 10, 0, 10}, 2); // only layer 1 follows the mouse
        EXPECT_EQ(zoomPans, c.ZoomPans);
    }
}

TEST(KurvexMouse, PanStepsIgnoreMovesOutsideThePlotAndFollowCoupledLayers)
{
    auto k = MakeChart(maPan);
    k->WriteLayerRange(2, 0, 1, 0, 1);
    k->JointLayers()->SetL02xControlledBy(1);
    QTest::mousePress(k.get(), Qt::LeftButton, {}, At(5, 5));
    QTest::mouseMove(k.get(), At(5, 5));
    QTest::mouseMove(k.get(), QPoint(10, 120)); // left of the plot: ignored
    ExpectRange(*k, {0, 10, 0, 10});
    QTest::mouseMove(k.get(), At(4, 5));
    QTest::mouseRelease(k.get(), Qt::LeftButton, {}, At(4, 5));
    ExpectRange(*k, {1, 11, 0, 10});
    ExpectRange(*k, {1, 11, 0, 1}, 2);
}

TEST(KurvexMouse, PanOnLogarithmicAxesMultiplies)
{
    auto k = MakeChart(maPan);
    k->WriteLayerRange(1, 1, 1e4, 1, 1e4);
    k->ScalePropsX(1)->SetLogarithmic(true);
    k->ScalePropsY(1)->SetLogarithmic(true);
    // A quarter of the plot is one decade of four.
    Drag(*k, QPoint(150, 120), QPoint(100, 170));
    ExpectRange(*k, {10, 1e5, 10, 1e5});
}

TEST(KurvexMouse, PanGridKeepsTheLowEndOnTheGrid)
{
    auto k = MakeChart(maPanGrid);
    k->SetPanGridDx(1);
    k->SetPanGridOffsX(0.5);
    k->SetPanGridDy(0); // no snapping
    for (int dx : {-25, 7, 33, -61, 90}) {
        SCOPED_TRACE(dx);
        k->WriteLayerRange(1, 0, 10, 0, 10);
        Drag(*k, At(5, 5), At(5, 5) + QPoint(dx, 10));
        const TkxLayerRange r = Range(*k);
        EXPECT_DOUBLE_EQ(r.LoX - std::floor(r.LoX), 0.5);
        EXPECT_DOUBLE_EQ(r.HiX - r.LoX, 10);
        EXPECT_DOUBLE_EQ(r.LoY, 0.5);
    }
    k->WriteLayerRange(1, 0, 10, 0, 10);
    Drag(*k, At(5, 5), At(5, 5) + QPoint(25, 0)); // 1.25 units: cut toward zero, plus offset
    EXPECT_DOUBLE_EQ(Range(*k).LoX, -0.5);
}

TEST(KurvexMouse, WindowsZoomReportAndSelect)
{
    struct Case {
        const char* Name;
        TMouseActMode Mode;
        bool Reversed; // layer 1's x axis runs 10..0
        QPoint From, To;
        TkxLayerRange Expected;
        int Events;
    };
    const Case cases[] = {
        {"window pos, dragged up left", maZoomWindPos, false, At(9, 1), At(1, 9), {1, 9, 1, 9}, 0},
        {"window, dragged up left", maZoomWind, false, At(9, 1), At(1, 9), {9, 1, 9, 1}, 0},
        {"window, dragged down right", maZoomWind, false, At(1, 9), At(9, 1), {1, 9, 1, 9}, 0},
        {"window pos, reversed axis", maZoomWindPos, true, At(1, 9), At(9, 1), {9, 1, 1, 9}, 0},
        {"zero width", maZoomWind, false, At(4, 1), At(4, 9), {0, 10, 0, 10}, 0},
        {"select", maSelectRect, false, At(8, 2), At(2, 7), {0, 10, 0, 10}, 1},
        {"rubber band", maRubberBand, false, At(8, 2), At(2, 7), {0, 10, 0, 10}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        auto k = MakeChart(c.Mode);
        if (c.Reversed) k->WriteLayerRange(1, 10, 0, 0, 10);
        const TkxLayerRange before = Range(*k);
        int zoomPans = 0;
        std::vector<std::array<double, 5>> selected, rubber;
        k->OnZoomPan = [&](TObject*) { ++zoomPans; };
        k->OnSelectRect = [&](TObject*, int L, double LoX, double LoY, double HiX, double HiY) {
            selected.push_back({double(L), LoX, LoY, HiX, HiY});
        };
        k->OnRubberBand = [&](TObject*, int L, double LoX, double LoY, double HiX, double HiY) {
            rubber.push_back({double(L), LoX, LoY, HiX, HiY});
        };
        Drag(*k, c.From, c.To);
        ExpectRange(*k, c.Reversed && c.Expected.LoX == 0 ? before : c.Expected);
        const bool zeroWidth = c.From.x() == c.To.x();
        EXPECT_EQ(zoomPans, zeroWidth ? 0 : 1);
        EXPECT_EQ(selected.size() + rubber.size(), std::size_t(c.Events));
        if (!selected.empty()) { // corners ordered like the axes
            EXPECT_EQ(selected[0], (std::array<double, 5>{1, 2, 2, 8, 7}));
        }
        if (!rubber.empty()) { // start and end as dragged
            EXPECT_EQ(rubber[0], (std::array<double, 5>{1, 8, 2, 2, 7}));
        }
    }
}

TEST(KurvexMouse, BandsAreDrawnOnTheControlAndErasedWhenCancelled)
{
    for (TMouseActMode mode : {maZoomWind, maRubberBand, maSelectRect}) {
        SCOPED_TRACE(int(mode));
        auto k = MakeChart(mode);
        const QImage before = k->Picture().copy();
        QTest::mousePress(k.get(), Qt::LeftButton, {}, At(2, 2));
        QTest::mouseMove(k.get(), At(2, 2));
        QTest::mouseMove(k.get(), At(6, 7));
        // White drawn in exclusive-or over the white plot shows black.
        EXPECT_EQ(
            k->Picture().pixel(At(6, 7) + QPoint(-1, mode == maRubberBand ? 1 : 0)) & 0xFFFFFF, 0u);
        // A repaint while the band is up keeps it on the control.
        k->Invalidate();
        EXPECT_NE(k->Picture(), before);
        QTest::mouseMove(k.get(), QPoint(290, 5)); // clamped to the plot's corner
        QTest::mousePress(k.get(), Qt::RightButton, {}, At(6, 7));
        QTest::mouseRelease(k.get(), Qt::RightButton, {}, At(6, 7));
        EXPECT_EQ(k->Picture(), before);
        ExpectRange(*k, {0, 10, 0, 10});
        QTest::mouseRelease(k.get(), Qt::LeftButton, {}, At(6, 7));
        ExpectRange(*k, {0, 10, 0, 10});
    }
}

TEST(KurvexMouse, IsometricZoomWindowIsSquare)
{
    auto k = MakeChart(maZoomWindPos);
    k->SetIsometric(true);
    k->WriteLayerRange(1, 0, 10, 0, 10);
    Drag(*k, At(1, 1), At(5, 2));
    const TkxLayerRange r = Range(*k);
    EXPECT_NEAR(r.HiX - r.LoX, 4, 1e-9);
    EXPECT_NEAR(r.HiY - r.LoY, 4, 1e-9);
}

TEST(KurvexMouse, CrossHairDragPicksTheNearestAndMayBeVetoed)
{
    auto k = MakeChart(maDragCrossH);
    for (int i = 1; i <= 4; ++i) k->CrossHair(i)->SetLayer(1);
    // Every cross-hair off: the first is taken and moved although it is not shown.
    std::vector<int> moved;
    k->OnCrossHairMove = [&](TObject*, int Which) { moved.push_back(Which); };
    Drag(*k, At(5, 5), At(3, 4));
    EXPECT_DOUBLE_EQ(k->CrossHair1()->PosX(), 3);
    EXPECT_DOUBLE_EQ(k->CrossHair1()->PosY(), 4);
    EXPECT_EQ(moved, std::vector<int>{1});

    // A vertical line counts its horizontal distance, a horizontal line its vertical one.
    k->CrossHair2()->SetMode(chVert);
    k->CrossHair2()->SetPosX(2);
    k->CrossHair3()->SetMode(chHoriz);
    k->CrossHair3()->SetPosY(8);
    k->CrossHair3()->SetPosX(2.5);
    std::vector<std::array<int, 3>> asked;
    bool allow = true;
    k->OnBeforeCrossHairMove = [&](TObject*, int Which, int dx, int dy, bool& AllowMove) {
        asked.push_back({Which, dx, dy});
        AllowMove = allow;
    };
    Drag(*k, At(2.5, 1), At(6, 6));
    ASSERT_FALSE(asked.empty());
    EXPECT_EQ(asked[0], (std::array<int, 3>{2, 10, -20}));
    EXPECT_DOUBLE_EQ(k->CrossHair2()->PosX(), 6);
    Drag(*k, At(9, 7.5), At(7, 7));
    EXPECT_EQ(asked.back()[0], 3);
    EXPECT_DOUBLE_EQ(k->CrossHair3()->PosY(), 7);

    allow = false;
    Drag(*k, At(6, 1), At(1, 1));
    EXPECT_DOUBLE_EQ(k->CrossHair2()->PosX(), 6);
}

TEST(KurvexMouse, LabelDragMovesTheNearestShownLabelInItsOwnUnits)
{
    auto k = MakeChart(maDragLabel);
    TTextLabel& world = *k->TextLabel(3);
    world.SetMode(tlsimple), world.SetVisible(true), world.SetLayer(1);
    world.SetPosX(5), world.SetPosY(5);
    TTextLabel& pixels = *k->TextLabel(4);
    pixels.SetMode(tlBox), pixels.SetVisible(true), pixels.SetAttachToData(tlamNone);
    pixels.SetPosX(80), pixels.SetPosY(40);
    TTextLabel& hidden = *k->TextLabel(5);
    hidden.SetMode(tlBox), hidden.SetAttachToData(tlamNone);
    hidden.SetPosX(200), hidden.SetPosY(200);
    std::vector<int> moved;
    k->OnTextLabelMove = [&](TObject*, int Which) { moved.push_back(Which); };

    Drag(*k, At(5.5, 4.5), At(7, 2));
    EXPECT_DOUBLE_EQ(world.PosX(), 7);
    EXPECT_DOUBLE_EQ(world.PosY(), 2);
    Drag(*k, QPoint(85, 45), QPoint(120, 30));
    EXPECT_DOUBLE_EQ(pixels.PosX(), 120);
    EXPECT_DOUBLE_EQ(pixels.PosY(), 30);
    Drag(*k, QPoint(199, 199), QPoint(190, 190)); // the hidden label is not picked
    EXPECT_DOUBLE_EQ(hidden.PosX(), 200);
    EXPECT_EQ(moved, (std::vector<int>{3, 4, 3}));
}

TEST(KurvexMouse, TraceRecordsStrokesUpToItsLimitAndIsRepainted)
{
    auto k = MakeChart(maDrawMTrace);
    k->SetMouseTraceColor(clRed);
    k->SetMouseTraceInvert(false);
    QTest::mousePress(k.get(), Qt::LeftButton, {}, At(1, 1));
    for (int i = 1; i <= 5; ++i) QTest::mouseMove(k.get(), At(i, 1));
    QTest::mouseMove(k.get(), QPoint(290, 120)); // clamped into the plot
    QTest::mouseRelease(k.get(), Qt::LeftButton, {}, At(5, 1));
    const auto& trace = k->MouseTrace();
    ASSERT_EQ(trace.size(), 6u);
    EXPECT_DOUBLE_EQ(trace[2].X, 3);
    EXPECT_DOUBLE_EQ(trace[5].X, 10);
    EXPECT_EQ(trace[5].Flags, 1); // pen up: the next stroke starts anew
    EXPECT_EQ(trace[0].Color, clRed);
    const QRgb red = qRgb(255, 0, 0);
    EXPECT_EQ(k->Picture().pixel(At(2.5, 1)) & 0xFFFFFF, red & 0xFFFFFF);
    k->Repaint();
    EXPECT_EQ(k->Picture().pixel(At(2.5, 1)) & 0xFFFFFF, red & 0xFFFFFF);

    QTest::mousePress(k.get(), Qt::LeftButton, {}, At(1, 5));
    for (int i = 0; i < TKurvex::MaxMouseTracePoints; ++i)
        QTest::mouseMove(k.get(), At(1, 5) + QPoint(i % 100, i / 100));
    QTest::mouseRelease(k.get(), Qt::LeftButton, {}, At(1, 5));
    EXPECT_EQ(k->MouseTrace().size(), std::size_t(TKurvex::MaxMouseTracePoints));
    k->ClearItems();
    EXPECT_TRUE(k->MouseTrace().empty());
}

TEST(KurvexMouse, AxisBandsFindAxesAndDragThem)
{
    auto k = MakeChart(maNone);
    // Layer 1: x axis below, y axis left; layer 2: y axis right, 8 pixels off the plot.
    k->ScalePropsY(2)->SetScaleLocation(slRight);
    k->ScalePropsY(2)->SetVisible(true);
    k->ScalePropsY(2)->SetScalePos(8);
    struct Probe {
        QPoint P;
        int Axis;
    };
    for (const Probe& p :
         {Probe{{49, 120}, 1}, Probe{{1, 120}, 1}, Probe{{0, 120}, 0}, Probe{{50, 120}, 0},
          Probe{{49, 20}, 0}, Probe{{259, 120}, 2}, Probe{{258, 120}, 0}, Probe{{150, 221}, -1},
          Probe{{150, 259}, -1}, Probe{{150, 260}, 0}, Probe{{50, 230}, 0}}) {
        EXPECT_EQ(k->AxisAtPoint(p.P.x(), p.P.y()), p.Axis) << p.P.x() << "," << p.P.y();
    }

    k->ScalePropsY(1)->SetMouseAction(maPan);
    k->ScalePropsX(1)->SetMouseAction(maZoom);
    int zoomPans = 0;
    k->OnZoomPan = [&](TObject*) { ++zoomPans; };
    Drag(*k, QPoint(30, 100), QPoint(30, 120)); // 20 of 200 pixels down
    ExpectRange(*k, {0, 10, 1, 11});
    EXPECT_EQ(zoomPans, 1);
    // Zooming the x axis from its upper half: the high end follows the pointer.
    Drag(*k, QPoint(200, 240), QPoint(150, 240));
    ExpectRange(*k, {0, 15, 1, 11});
}

TEST(KurvexMouse, DoubleClickTogglesAxisModeAndSwallowsTheNextButton)
{
    auto k = MakeChart(maZoomWind);
    k->ScalePropsY(1)->SetMouseAction(maPan);
    k->ScalePropsX(1)->SetMouseAction(maRubberBand);
    int downs = 0, ups = 0, doubles = 0;
    k->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { ++downs; };
    k->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int, int) { ++ups; };
    k->OnDblClick = [&](TObject*) { ++doubles; };

    DoubleClick(*k, QPoint(30, 120));
    EXPECT_EQ(k->ScalePropsY(1)->MouseAction(), maZoom);
    DoubleClick(*k, QPoint(30, 120));
    EXPECT_EQ(k->ScalePropsY(1)->MouseAction(), maPan);
    DoubleClick(*k, QPoint(150, 240));
    EXPECT_EQ(k->ScalePropsX(1)->MouseAction(), maRubberBand); // other values stay
    EXPECT_EQ(doubles, 3);
    // Each double click reports its first press and release and the second release.
    EXPECT_EQ(downs, 3);
    EXPECT_EQ(ups, 6);

    // A double click in the plot leaves no window open behind it.
    DoubleClick(*k, At(5, 5));
    Drag(*k, At(2, 8), At(8, 2));
    ExpectRange(*k, {2, 8, 2, 8});
}

TEST(KurvexMouse, PointerReportAndCursors)
{
    auto k = MakeChart(maNone);
    std::vector<std::array<double, 3>> reports;
    k->OnMouseMoveInChart = [&](TObject*, bool InChart, TShiftState, double X, double Y) {
        reports.push_back({double(InChart), X, Y});
    };
    QTest::mouseMove(k.get(), QPoint(49, 120));
    QTest::mouseMove(k.get(), QPoint(50, 120));
    QTest::mouseMove(k.get(), QPoint(250, 220));
    QTest::mouseMove(k.get(), QPoint(251, 220));
    ASSERT_EQ(reports.size(), 4u);
    EXPECT_EQ(reports[0], (std::array<double, 3>{0, -0.05, 5}));
    EXPECT_EQ(reports[1], (std::array<double, 3>{1, 0, 5}));
    EXPECT_EQ(reports[2], (std::array<double, 3>{1, 10, 0}));
    EXPECT_EQ(reports[3][0], 0);

    struct CursorCase {
        TMouseActMode Mode;
        int Cursor;
    };
    k->SetMouseCursorFixed(false);
    for (const CursorCase& c :
         {CursorCase{maNone, crCross}, CursorCase{maPanGrid, 1}, CursorCase{maZoomWind, 2},
          CursorCase{maZoomDrag, 3}, CursorCase{maZoomWindPos, 4},
          CursorCase{maSelectRect, crDefault}, CursorCase{maRotate, crDefault}}) {
        k->SetMouseAction(c.Mode);
        QTest::mouseMove(k.get(), At(5, 5) + QPoint(c.Mode, 0));
        EXPECT_EQ(k->Cursor(), c.Cursor) << int(c.Mode);
    }
    k->SetMouseAction(maPan);
    QTest::mouseMove(k.get(), At(5, 5));
    EXPECT_EQ(k->cursor().shape(), Qt::BitmapCursor); // our own picture
    QTest::mouseMove(k.get(), QPoint(10, 10));
    EXPECT_EQ(k->Cursor(), crDefault);
    k->SetMouseCursorFixed(true);
    QTest::mouseMove(k.get(), At(5, 5));
    EXPECT_EQ(k->Cursor(), crDefault);
}

TEST(KurvexMouse, MovesArrivingDuringAMoveAreDropped)
{
    auto k = MakeChart(maPan);
    int reports = 0;
    k->OnMouseMove = [&](TObject*, TShiftState, int X, int) {
        if (X == 100) QTest::mouseMove(k.get(), QPoint(140, 120));
    };
    k->OnMouseMoveInChart = [&](TObject*, bool, TShiftState, double, double) { ++reports; };
    QTest::mouseMove(k.get(), QPoint(100, 120));
    EXPECT_EQ(reports, 1);
}

TEST(KurvexMousePicture, TraceAndWindowOverThePlot)
{
    auto k = MakeChart(maDrawMTrace);
    k->SetMouseTraceColor(clBlue);
    k->SetMouseTraceInvert(false);
    QTest::mousePress(k.get(), Qt::LeftButton, {}, At(1, 1));
    for (int i = 0; i <= 40; ++i)
        QTest::mouseMove(k.get(), At(1 + i * 0.2, 5 + 4 * std::sin(i * 0.3)));
    QTest::mouseRelease(k.get(), Qt::LeftButton, {}, At(9, 5));
    k->SetMouseAction(maZoomWind);
    QTest::mousePress(k.get(), Qt::LeftButton, {}, At(2, 8));
    QTest::mouseMove(k.get(), At(2, 8));
    QTest::mouseMove(k.get(), At(7, 3));
    const QImage picture = k->Picture().copy();
    QTest::mouseRelease(k.get(), Qt::RightButton, {}, At(7, 3));
    QTest::mouseRelease(k.get(), Qt::LeftButton, {}, At(7, 3));
    EXPECT_TRUE(picture.save(QStringLiteral(ZEV_TEST_OUTPUT_DIR "/kurvex_mouse.png")));
}
