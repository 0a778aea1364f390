// Painting of a scale: background, frame, base line and ticks onto targets, the rendering
// events, when painting is held back, label placement, and a picture gallery for a person to
// look at.
#include "ZEV_Scale_testing.h"

#include <QDir>
#include <QTest>
#include <gtest/gtest.h>

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

TEST(ScalePainter, PaintsWithoutAControlWhatTheControlPaints)
{
    struct Row {
        const char* Name;
        TScaleType Type;
        bool Transparent;
        int OffX, OffY;
    };
    const std::vector<Row> rows = {{"opaque bottom axis", sctXB, false, 0, 0},
                                   {"transparent left axis, shifted", sctYL, true, 30, 10},
                                   {"opaque right axis at an offset", sctYR, false, 20, 40},
                                   {"transparent top axis", sctXT, true, 0, 25}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.Name);
        TScale control;
        control.SetScaleType(r.Type);
        control.SetTransparent(r.Transparent);
        control.SetRange(-3, 12);
        control.SetCaption(QStringLiteral("volts"));
        TBitmap expected;
        PaintAt(control, Filled(expected, 500, 500), r.OffX, r.OffY);

        TScaleGeometry geometry;
        geometry.ScaleType = r.Type;
        TScaleMap map;
        map.Update(control.Settings(), geometry);
        TScalePainter painter;
        painter.Looks().Transparent = r.Transparent;
        TFont font;
        int drawn = 0;
        const TScaleRenderedEvent none;
        const TScaleTickDrawnEvent counted = [&](TObject*, TCanvas*, TScaleType, double, int, int) {
            ++drawn;
        };
        TBitmap actual;
        painter.Paint(Filled(actual, 500, 500).Canvas(), r.OffX, r.OffY,
                      {control.Settings(), geometry, map, &font, nullptr, none, counted, {}, none});
        EXPECT_TRUE(actual.Image() == expected.Image());
        EXPECT_GT(drawn, 0);
        EXPECT_EQ(painter.Ticks().NumTicks(), drawn);
        EXPECT_EQ(control.NumTicks(), drawn);
    }
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
