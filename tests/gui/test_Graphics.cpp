#include "Graphics.h"

#include <gtest/gtest.h>

namespace {
// Counts the pixels of Bitmap that differ from white.
int InkedPixels(TBitmap& b)
{
    int n = 0;
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x) n += b.Canvas()->Pixel(x, y) != clWhite;
    return n;
}

TBitmap& WhiteBitmap(TBitmap& b, int w = 20, int h = 20)
{
    b.SetSize(w, h);
    b.Canvas()->Brush()->SetColor(clWhite);
    b.Canvas()->FillRect(Rect(0, 0, w, h));
    return b;
}
} // namespace

TEST(Canvas, LineToLeavesOutItsEndPixel)
{
    TBitmap b;
    TCanvas* c = WhiteBitmap(b).Canvas();
    c->Pen()->SetColor(clBlack);
    c->MoveTo(2, 5);
    c->LineTo(10, 5);
    EXPECT_EQ(c->Pixel(2, 5), clBlack);
    EXPECT_EQ(c->Pixel(9, 5), clBlack);
    EXPECT_EQ(c->Pixel(10, 5), clWhite);
    EXPECT_EQ(InkedPixels(b), 8);
    EXPECT_EQ(c->PenPos(), Point(10, 5));
    c->MoveTo(3, 3);
    c->LineTo(7, 7); // diagonal: 4 pixels, end excluded
    EXPECT_EQ(c->Pixel(6, 6), clBlack);
    EXPECT_EQ(c->Pixel(7, 7), clWhite);
}

TEST(Canvas, LineToSetsItsStartAndLeavesOutItsEndInEveryDirection)
{
    TBitmap b;
    for (int dx = -6; dx <= 6; ++dx)
        for (int dy = -6; dy <= 6; ++dy) {
            if (dx == 0 && dy == 0) continue;
            TCanvas* c = WhiteBitmap(b).Canvas();
            c->Pen()->SetColor(clBlack);
            c->MoveTo(10, 10);
            c->LineTo(10 + dx, 10 + dy);
            EXPECT_EQ(c->Pixel(10, 10), clBlack) << dx << "," << dy;
            EXPECT_EQ(c->Pixel(10 + dx, 10 + dy), clWhite) << dx << "," << dy;
            EXPECT_EQ(InkedPixels(b), std::max(std::abs(dx), std::abs(dy))) << dx << "," << dy;
        }
}

TEST(Canvas, PolygonSetsEveryVertexAndPolylineLeavesOutOnlyItsLastEnd)
{
    TBitmap b;
    TCanvas* c = WhiteBitmap(b).Canvas();
    c->Pen()->SetColor(clBlack);
    c->Brush()->SetColor(clRed);
    c->MoveTo(1, 1);
    c->Polygon({{6, 10}, {10, 3}, {14, 10}});
    for (TPoint v : {Point(6, 10), Point(10, 3), Point(14, 10)})
        EXPECT_EQ(c->Pixel(v.X, v.Y), clBlack);
    EXPECT_EQ(c->Pixel(10, 8), clRed);
    EXPECT_EQ(c->Pixel(10, 11), clWhite);
    EXPECT_EQ(c->PenPos(), Point(1, 1));

    c = WhiteBitmap(b).Canvas();
    c->Polyline({{15, 2}, {5, 2}, {5, 8}, {12, 8}});
    EXPECT_EQ(c->Pixel(15, 2), clBlack);
    EXPECT_EQ(c->Pixel(5, 2), clBlack);
    EXPECT_EQ(c->Pixel(5, 8), clBlack);
    EXPECT_EQ(c->Pixel(12, 8), clWhite);
    EXPECT_EQ(InkedPixels(b), 10 + 6 + 7);
}

TEST(Canvas, RectangleAndEllipseExcludeRightAndBottomEdges)
{
    TBitmap b;
    TCanvas* c = WhiteBitmap(b).Canvas();
    c->Pen()->SetColor(clRed);
    c->Brush()->SetColor(clBlue);
    c->Rectangle(2, 3, 7, 9);
    EXPECT_EQ(c->Pixel(2, 3), clRed);
    EXPECT_EQ(c->Pixel(6, 8), clRed);
    EXPECT_EQ(c->Pixel(7, 8), clWhite);
    EXPECT_EQ(c->Pixel(6, 9), clWhite);
    EXPECT_EQ(c->Pixel(4, 5), clBlue);
    EXPECT_EQ(InkedPixels(b), 5 * 6);

    TBitmap e;
    TCanvas* ec = WhiteBitmap(e).Canvas();
    ec->Pen()->SetColor(clBlack);
    ec->Brush()->SetColor(clBlack);
    ec->Ellipse(1, 1, 8, 8);
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(ec->Pixel(8, i), clWhite);
        EXPECT_EQ(ec->Pixel(i, 8), clWhite);
    }
    EXPECT_EQ(ec->Pixel(4, 1), clBlack);
    EXPECT_EQ(ec->Pixel(4, 7), clBlack);
}

TEST(Canvas, XorDrawnTwiceRestoresTheImageAndNotInverts)
{
    TBitmap b;
    TCanvas* c = WhiteBitmap(b).Canvas();
    c->Brush()->SetColor(RGB(10, 200, 30));
    c->FillRect(Rect(0, 0, 10, 20));
    const QImage before = b.Image().copy();
    c->Pen()->SetMode(pmXor);
    c->Pen()->SetColor(RGB(255, 128, 7));
    c->Brush()->SetStyle(bsClear);
    for (int pass = 0; pass < 2; ++pass) {
        c->MoveTo(0, 0);
        c->LineTo(19, 19);
        c->Rectangle(3, 3, 15, 12);
        if (pass == 0) {
            EXPECT_NE(b.Image(), before);
            EXPECT_EQ(c->Pixel(0, 0), RGB(10 ^ 255, 200 ^ 128, 30 ^ 7));
        }
    }
    EXPECT_EQ(b.Image(), before);

    c->Pen()->SetMode(pmNot);
    c->MoveTo(12, 1);
    c->LineTo(14, 1);
    EXPECT_EQ(c->Pixel(12, 1), RGB(0, 0, 0));
    EXPECT_EQ(c->Pixel(14, 1), clWhite);
}

TEST(Canvas, TextOutFillsBackgroundUnlessBrushIsClear)
{
    TBitmap b;
    TCanvas* c = WhiteBitmap(b, 60, 30).Canvas();
    c->Brush()->SetColor(clLime);
    c->TextOut(2, 2, QStringLiteral("   "));
    const int w = c->TextWidth(QStringLiteral("   "));
    ASSERT_GT(w, 2);
    EXPECT_EQ(c->Pixel(2, 2), clLime);
    EXPECT_EQ(c->Pixel(2 + w - 1, 2 + c->TextHeight(QStringLiteral("X")) - 1), clLime);
    EXPECT_EQ(c->Pixel(2 + w, 2), clWhite);
    EXPECT_EQ(c->PenPos(), Point(2 + w, 2));
    c->Brush()->SetStyle(bsClear);
    c->TextOut(30, 2, QStringLiteral("   "));
    EXPECT_EQ(c->Pixel(31, 3), clWhite);
}

TEST(Bitmap, DenseBitmapKeepsLogicalGeometryInDevicePixels)
{
    TBitmap b;
    b.SetDevicePixelRatio(2);
    WhiteBitmap(b, 10, 6);
    EXPECT_EQ(b.Width(), 10);
    EXPECT_EQ(b.Image().size(), QSize(20, 12));
    TCanvas* c = b.Canvas();
    c->Brush()->SetColor(clRed);
    c->FillRect(Rect(2, 1, 4, 3)); // two by two logical pixels: four by four device pixels
    int red = 0;
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 20; ++x) red += b.Image().pixel(x, y) == qRgb(255, 0, 0);
    EXPECT_EQ(red, 16);
    EXPECT_EQ(c->Pixel(3, 2), clRed);
    EXPECT_EQ(c->Pixel(4, 2), clWhite);

    // A one-pixel pen stays one device pixel wide.
    c->Pen()->SetColor(clBlue);
    c->MoveTo(0, 5);
    c->LineTo(10, 5);
    EXPECT_EQ(b.Image().pixel(6, 10), qRgb(0, 0, 255));
    EXPECT_EQ(b.Image().pixel(6, 11), qRgb(255, 255, 255));

    // Copies count logical pixels on both sides.
    TBitmap copy;
    copy.SetDevicePixelRatio(2);
    WhiteBitmap(copy, 4, 4);
    copy.Canvas()->CopyRect(Rect(0, 0, 2, 2), c, Rect(2, 1, 4, 3));
    EXPECT_EQ(copy.Canvas()->Pixel(1, 1), clRed);
    EXPECT_EQ(copy.Canvas()->Pixel(2, 2), clWhite);
}

TEST(Bitmap, DenseRectangleOutlineMeetsItsFill)
{
    TBitmap b;
    b.SetDevicePixelRatio(2);
    WhiteBitmap(b, 8, 8);
    TCanvas* c = b.Canvas();
    c->Pen()->SetColor(clBlue);
    c->Brush()->SetColor(clRed);
    c->Rectangle(1, 1, 7, 7);
    // Device row 7 crosses the left outline (logical pixel 1 = device 2..3) into the fill.
    const QImage& image = b.Image();
    EXPECT_EQ(image.pixel(1, 7), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(2, 7), qRgb(0, 0, 255));
    EXPECT_EQ(image.pixel(3, 7), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(13, 7), qRgb(0, 0, 255)); // right outline: last device pixel of 6
    EXPECT_EQ(image.pixel(12, 7), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(14, 7), qRgb(255, 255, 255));
}
