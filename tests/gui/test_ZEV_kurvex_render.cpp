// The chart's rendering pass, checked by pixels at places that do not depend on fonts: mark
// ranges, duplicate marks, grids, coordinate modes, line runs, visibility, monochrome, events and
// cross-hairs; and a picture of every item kind for a person to look at.
#include "ZEV_kurvex.h"

#include <QDir>
#include <gtest/gtest.h>

#include <cmath>

namespace {
// A chart whose plot area is 300 x 200 pixels, mapped one world unit to one pixel: x 0..300
// runs left to right, y 0..200 bottom to top.
struct PixelChart {
    TKurvex K;
    TBitmap Plot;
    PixelChart()
    {
        K.SetBounds(0, 0, 370, 260);
        K.WriteLayerRange(1, 0, 300, 0, 200);
    }
    // The plot bitmap as one pass draws it, the plot's corner at (Left, Top).
    const QImage& Render(int Left = 0, int Top = 0, bool Monochrome = false, bool NoGrid = false)
    {
        Plot.SetSize(K.PlotWidth() + 1 + Left, K.PlotHeight() + 1 + Top);
        Plot.Canvas()->Brush()->SetColor(clWhite);
        Plot.Canvas()->FillRect(Rect(0, 0, Plot.Width(), Plot.Height()));
        K.RenderItems(Plot.Canvas(), Left, Top, NoGrid, Monochrome);
        return Plot.Image();
    }
    // Pixel of world point (X, Y) in the last rendering.
    QRgb At(double X, double Y, int Left = 0, int Top = 0) const
    {
        return Plot.Image().pixel(int(std::lround(X)) + Left, 200 - int(std::lround(Y)) + Top) &
               0xFFFFFF;
    }
};

QRgb Rgb(TColor C)
{
    return ToQColor(C).rgb() & 0xFFFFFF;
}

// Columns of row Y (plot pixels, frame excluded) that hold Color.
std::vector<int> ColumnsOf(const QImage& Image, int Y, TColor Color)
{
    std::vector<int> columns;
    for (int x = 1; x < Image.width() - 1; ++x)
        if ((Image.pixel(x, Y) & 0xFFFFFF) == Rgb(Color)) columns.push_back(x);
    return columns;
}
} // namespace

TEST(KurvexRender, MarksAtTheEndsOfTheRangeAreDrawnAndBeyondThemNot)
{
    struct Row {
        const char* Name;
        double Lo, Hi, X;
        bool Drawn;
    };
    const std::vector<Row> rows = {
        {"at the high end", 0, 10, 10.0, true},
        {"just beyond", 0, 10, 10.000001, false},
        {"reversed, at the end", 10, 0, 10.0, true},
        {"reversed, just beyond", 10, 0, 10.000001, false},
        {"at the low end", 0, 10, 0.0, true},
        {"below the low end", 0, 10, -0.000001, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.Name);
        PixelChart c;
        c.K.WriteLayerRange(1, r.Lo, r.Hi, 0, 200);
        c.K.SetDataColor(clRed);
        c.K.AddMark(r.X, 100, 2); // a plus 5 across: its arm reaches inside the frame
        const QImage& img = c.Render();
        int px, py;
        c.K.WorldToPixel(1, r.X, 100, px, py);
        const int x = px - c.K.MarginLeft(), y = py - c.K.MarginTop();
        const int inside = x == 0 ? 1 : x - 1;
        EXPECT_EQ(img.pixel(inside, y) & 0xFFFFFF, r.Drawn ? Rgb(clRed) : Rgb(clWhite));
    }
}

TEST(KurvexRender, DuplicateMarksAreSkippedByType)
{
    struct Row {
        const char* Name;
        bool Avoid;
        int Distance;
        double SecondX;
        std::uint8_t SecondType;
        bool SecondDrawn;
    };
    // The first mark is a plus 3 across at (50, 50); the second shows at its right arm's end.
    const std::vector<Row> rows = {
        {"same type one pixel away", true, 1, 51, 1, false},
        {"same type two pixels away", true, 1, 52, 1, true},
        {"same type two pixels away, distance 2", true, 2, 52, 1, false},
        {"other type at the same place", true, 1, 50, 4, true},
        {"without the map", false, 1, 51, 1, true},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.Name);
        PixelChart c;
        c.K.SetAvoidDuplicateMarks(r.Avoid);
        c.K.SetMinDupMarkDist(r.Distance);
        c.K.SetDataColor(clRed);
        c.K.AddMark(50, 50, 1);
        c.K.SetDataColor(clBlue);
        c.K.AddMark(r.SecondX, 50, r.SecondType);
        c.Render();
        // Plus 3 across reaches x + 1; the x shape 3 x 3 sets the corner (x + 1, y + 1).
        const double probeX = r.SecondX + 1, probeY = r.SecondType == 1 ? 50 : 49;
        EXPECT_EQ(c.At(probeX, probeY), r.SecondDrawn ? Rgb(clBlue) : Rgb(clWhite));
        EXPECT_EQ(c.At(49, 50), Rgb(clRed)); // the first mark is always there
    }
}

TEST(KurvexRender, MarksKeepTheirPlaceAmongOtherItems)
{
    PixelChart c;
    const struct {
        double X, Y;
        std::uint8_t Type; // 3 plus 7 across, 6 x 7 x 7, 9 filled square 7 x 7, 1 plus 3 across
        TColor Color;
    } marks[] = {{50, 50, 3, clRed},
                 {55, 50, 3, clLime},
                 {100, 100, 6, clRed},
                 {100, 100, 9, clBlue},
                 {100, 100, 1, clLime}};
    for (const auto& m : marks) {
        c.K.SetDataColor(m.Color);
        c.K.AddMark(m.X, m.Y, m.Type);
        if (m.X == 50) c.K.SetDataColor(clBlue), c.K.AddLine(40.0, 50.0, 60.0, 50.0, 1);
    }
    c.Render();
    const struct {
        double X, Y;
        TColor Color;
    } probes[] = {{47, 50, clBlue},   {50, 50, clBlue},   {50, 53, clRed},
                  {56, 50, clLime},   {55, 53, clLime},   {97, 103, clBlue},
                  {100, 100, clLime}, {101, 100, clLime}, {102, 100, clBlue}};
    for (const auto& p : probes) EXPECT_EQ(c.At(p.X, p.Y), Rgb(p.Color)) << p.X << ", " << p.Y;
}

// The packed copies of the marks draw what their records draw: a handler that changes nothing
// makes the pass take every record whole.
TEST(KurvexRender, PackedMarksDrawAsTheirRecords)
{
    struct Row {
        const char* Name;
        bool Monochrome;
        int HiddenClass, HiddenLayer;
    };
    const std::vector<Row> rows = {
        {"as given", false, -1, 0},
        {"monochrome", true, -1, 0},
        {"a class hidden", false, 2, 0},
        {"a layer hidden", false, -1, 2},
    };
    // Stamped glyphs mostly, shapes drawn by the canvas now and then, a character rarely.
    const std::uint8_t types[] = {6, 6, 6, 1, 2, 3, 4, 5, 18, 7, 9, 6, 6, 3, 60};
    const TColor colors[] = {clRed, clBlue, clLime, clBlack};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.Name);
        PixelChart c;
        c.K.WriteLayerRange(2, -50, 250, 20, 180);
        std::uint64_t state = 99;
        auto below = [&state](int n) {
            state = state * 6364136223846793005ull + 1442695040888963407ull;
            return int((state >> 33) % std::uint64_t(n));
        };
        for (int i = 0; i < 30000; ++i) {
            const double x = below(3400) / 10.0 - 20, y = below(2400) / 10.0 - 20;
            c.K.SetDataColor(colors[below(4)]);
            c.K.SetClassDefault(std::uint8_t(below(4)));
            c.K.SetActiveLayer(1 + below(2));
            if (below(500) == 0) c.K.SetLineWidth(std::uint8_t(1 + below(2)));
            const int what = below(100);
            c.K.SetAnnotationMode(what == 0);
            if (what == 1)
                c.K.AddLine(x, y, x + 20, y - 10, 0);
            else if (what == 2)
                c.K.MoveTo(x, y);
            else
                c.K.AddMark(x, y, types[below(int(std::size(types)))]);
        }
        if (r.HiddenClass >= 0) c.K.SetClassShown(r.HiddenClass, false, false);
        if (r.HiddenLayer > 0) c.K.SetLayerShown(r.HiddenLayer, false);
        const QImage packed = c.Render(3, 2, r.Monochrome);
        c.K.OnBeforeRenderChartItem = [](TObject*, TkxChartItem&, int, bool) {};
        EXPECT_TRUE(c.Render(3, 2, r.Monochrome) == packed);
    }
}

TEST(KurvexRender, GridLinesOnLinearAndLogarithmicAxes)
{
    struct Row {
        const char* Name;
        bool Log;
        double Lo, Hi, Step;
        std::vector<double> Lines; // inside the frame
    };
    const std::vector<Row> rows = {
        {"decades, stops below the upper end", true, 1, 1000, -1, {10, 100}},
        {"decades from the first power of ten", true, 0.5, 2000, -1, {1, 10, 100, 1000}},
        {"1-2-5", true, 1, 1000, -2, {2, 5, 10, 20, 50, 100, 200, 500}},
        {"1..9", true, 1, 100, -3, {2, 3, 4, 5, 6, 7, 8, 9, 10, 20, 30, 40, 50, 60, 70, 80, 90}},
        {"fixed step on a logarithmic axis", true, 1, 100, 40, {40, 80}},
        {"fixed step from its first multiple", false, -7, 10, 4, {-4, 0, 4, 8}},
        {"negative step on a linear axis", false, 0, 10, -3, {3, 6, 9}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.Name);
        PixelChart c;
        c.K.Scale1X()->SetLogarithmic(r.Log);
        c.K.WriteLayerRange(1, r.Lo, r.Hi, 0, 200);
        c.K.SetGridStyle(gsVertLines);
        c.K.SetGridColor(clRed);
        c.K.SetGridDx(r.Step);
        const QImage& img = c.Render();
        std::vector<int> expected;
        for (double v : r.Lines) {
            int px, py;
            c.K.WorldToPixel(1, v, 0, px, py);
            expected.push_back(px - c.K.MarginLeft());
        }
        EXPECT_EQ(ColumnsOf(img, 100, clRed), expected);
        // Vertical lines run over the full height, and only vertical lines are drawn.
        EXPECT_EQ(img.pixel(expected[0], 1) & 0xFFFFFF, Rgb(clRed));
        EXPECT_EQ(img.pixel(expected[0], 199) & 0xFFFFFF, Rgb(clRed));
    }
}

TEST(KurvexRender, GridPointsDottedLinesAndTheGridSwitch)
{
    PixelChart c;
    c.K.SetGridColor(clRed);
    c.K.SetGridDx(100), c.K.SetGridDy(100);
    c.K.SetGridStyle(gsPoints);
    c.Render();
    EXPECT_EQ(c.At(100, 100), Rgb(clRed));
    EXPECT_EQ(c.At(101, 100), Rgb(clWhite));
    c.K.SetGridStyle(gsHorizDotLines);
    const QImage& dotted = c.Render();
    const std::size_t dots = ColumnsOf(dotted, 100, clRed).size();
    EXPECT_GT(dots, 100u);
    EXPECT_LT(dots, 200u);
    c.K.SetGridStyle(gsLines);
    c.Render(0, 0, false, true);
    EXPECT_EQ(c.At(100, 50), Rgb(clWhite));
}

TEST(KurvexRender, LinesInWorldAndPixelModesAtTheGivenCanvasOffset)
{
    PixelChart c;
    c.K.SetDataColor(clRed);
    c.K.AddLine(10.0, 150.0, 60.0, 150.0, 1); // data list: always world units
    c.K.SetAnnotationMode(true);
    c.K.SetDataColor(clBlue);
    c.K.AddLine(10, 20, 60, 20); // annotation list: pixels from the plot's corner
    c.K.SetAnnotationMode(false);
    const int left = 5, top = 7;
    const QImage& img = c.Render(left, top);
    EXPECT_EQ(c.At(10, 150, left, top), Rgb(clRed));
    EXPECT_EQ(c.At(59, 150, left, top), Rgb(clRed));
    EXPECT_EQ(c.At(60, 150, left, top), Rgb(clWhite)); // the end pixel is left out
    EXPECT_EQ(img.pixel(10 + left, 20 + top) & 0xFFFFFF, Rgb(clBlue));
    EXPECT_EQ(img.pixel(59 + left, 20 + top) & 0xFFFFFF, Rgb(clBlue));
    EXPECT_EQ(img.pixel(60 + left, 20 + top) & 0xFFFFFF, Rgb(clWhite));
    // The plot frame closes the pass at the offset.
    EXPECT_EQ(img.pixel(left, top + 50) & 0xFFFFFF, Rgb(clBlack));
    EXPECT_EQ(img.pixel(left - 1, top + 50) & 0xFFFFFF, Rgb(clWhite));
}

TEST(KurvexRender, LineRunsLongerThanOnePolylineStayUnbroken)
{
    PixelChart c;
    c.K.SetDataColor(clRed);
    c.K.MoveTo(1, 100);
    for (int x = 2; x <= 299; ++x) c.K.MoveTo(x, 100 + (x % 2)), c.K.MoveTo(x, 100);
    c.Render();
    // Built with MoveTo alone nothing is drawn; the same path as line segments is one run.
    EXPECT_EQ(c.At(150, 100), Rgb(clWhite));

    // Segments come as LineTo items through a handler (no command creates them).
    c.K.OnBeforeRenderChartItem = [](TObject*, TkxChartItem& Item, int Index, bool) {
        if (Index > 0) Item.Kind = ikLineTo;
    };
    c.Render();
    for (int x = 1; x < 299; ++x) ASSERT_EQ(c.At(x, 100), Rgb(clRed)) << x;
    EXPECT_EQ(c.At(151, 101), Rgb(clRed));
}

TEST(KurvexRender, HandlersVisibilityAndMonochromeChangeOnlyTheDrawing)
{
    PixelChart c;
    c.K.SetDataColor(clRed);
    c.K.SetClassDefault(3);
    c.K.AddMark(100, 100, 0);
    c.K.SetClassDefault(0);
    c.K.AddMark(200, 100, 0);

    c.Render(0, 0, true);
    EXPECT_EQ(c.At(100, 100), Rgb(clBlack));

    c.K.SetClassShown(3, false, false);
    c.Render();
    EXPECT_EQ(c.At(100, 100), Rgb(clWhite));
    EXPECT_EQ(c.At(200, 100), Rgb(clRed));
    c.K.SetClassShown(3, true, false); // the annotation table is another one
    c.Render();
    EXPECT_EQ(c.At(100, 100), Rgb(clWhite));

    c.K.SetLayerShown(1, false);
    c.Render();
    EXPECT_EQ(c.At(200, 100), Rgb(clWhite));
    c.K.SetLayerShown(1, true);

    c.K.OnBeforeRenderChartItem = [](TObject*, TkxChartItem& Item, int, bool) {
        Item.Color = clBlue;
    };
    c.Render();
    EXPECT_EQ(c.At(200, 100), Rgb(clBlue));
    EXPECT_EQ(c.K.DataItems()[1].Color, clRed);
}

TEST(KurvexRender, PassEventsTellTheMarginsRelativeToThePassOrigin)
{
    PixelChart c;
    std::vector<std::string> order;
    c.K.OnBeforeRenderData = [&](TObject*, TCanvas*, int Top, int Left) {
        order.push_back("before " + std::to_string(Top) + " " + std::to_string(Left));
    };
    c.K.OnBeforeRenderChartItem = [&](TObject*, TkxChartItem&, int Index, bool Annotation) {
        order.push_back("item " + std::to_string(Index) + (Annotation ? " a" : " d"));
    };
    c.K.OnDataRendered = [&](TObject*, TCanvas* Canvas, int, int) {
        // The plot frame is not drawn yet.
        order.push_back(Canvas->Pixel(3, 50) == clWhite ? "rendered" : "framed too early");
    };
    c.K.AddMark(1, 1, 0);
    c.K.SetAnnotationMode(true);
    c.K.AddText(5, 5, 8, QStringLiteral("t"));
    c.K.AddMark(2, 2, 0);
    c.Render(3, 4);
    const std::vector<std::string> expected = {"before 16 47", "item 0 d", "item 1 a", "item 0 a",
                                               "rendered"};
    EXPECT_EQ(order, expected);
}

TEST(KurvexRender, MultiLineTextHasItsFirstLineCentredOnTheAnchor)
{
    PixelChart c;
    c.K.SetTextBkStyle(tbSolid);
    c.K.SetFillColor(clYellow);
    c.K.AddText(150, 100, 10, QStringLiteral("Ab\nAb"));
    const QImage& img = c.Render();
    TCanvas* canvas = c.Plot.Canvas();
    canvas->Font()->SetSize(10);
    const int lineHeight = canvas->TextHeight(QStringLiteral("Ab")) + 1;
    const int top = 100 - lineHeight / 2 - 2; // the background reaches 2 pixels above the block
    const int bottom = 100 - lineHeight / 2 + 2 * lineHeight + 1;
    EXPECT_EQ(img.pixel(150, top - 1) & 0xFFFFFF, Rgb(clWhite));
    EXPECT_EQ(img.pixel(150, top) & 0xFFFFFF, Rgb(clYellow));
    EXPECT_NE(img.pixel(150, bottom) & 0xFFFFFF, Rgb(clWhite));
    EXPECT_EQ(img.pixel(150, bottom + 1) & 0xFFFFFF, Rgb(clWhite));
}

TEST(KurvexRender, CrossHairBoundsAreStrict)
{
    struct Row {
        const char* Name;
        TCrossHMode Mode;
        int LineWid;
        double PosX, PosY;
        bool Drawn;
    };
    // Plot rows run from 20 (top) to 220 (bottom), columns from 50 to 350.
    const std::vector<Row> rows = {
        {"on the top edge", chHoriz, 1, 150, 200, false},
        {"one below the top edge", chHoriz, 1, 150, 199, true},
        {"within half a width of the top", chHoriz, 3, 150, 199, false},
        {"beyond half a width of the top", chHoriz, 3, 150, 198, true},
        {"on the bottom edge", chHoriz, 1, 150, 0, false},
        {"on the left edge", chVert, 1, 0, 100, false},
        {"one right of the left edge", chVert, 1, 1, 100, true},
        {"on the right edge", chVert, 1, 300, 100, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.Name);
        PixelChart c;
        TCrossHair* ch = c.K.CrossHair(2);
        ch->SetLayer(1);
        ch->SetLineType(psSolid);
        ch->SetLineWid(r.LineWid);
        ch->SetPosX(r.PosX), ch->SetPosY(r.PosY);
        ch->SetMode(r.Mode);
        TBitmap frame;
        frame.SetSize(c.K.Width(), c.K.Height());
        c.K.DrawCrossHairs(frame.Canvas(), 0, 0);
        int x, y;
        c.K.WorldToPixel(1, r.PosX, r.PosY, x, y);
        const QPoint probe = r.Mode == chHoriz ? QPoint(200, y) : QPoint(x, 120);
        EXPECT_EQ(frame.Image().pixel(probe) & 0xFFFFFF, r.Drawn ? Rgb(clRed) : Rgb(clWhite));
    }
}

TEST(KurvexRender, CrossBoxAndBoxOnThePlotBitmapOffset)
{
    PixelChart c;
    c.K.CrossHair(1)->SetMode(chCrossBox);
    c.K.CrossHair(1)->SetLineType(psSolid);
    c.K.CrossHair(1)->SetPosX(100), c.K.CrossHair(1)->SetPosY(100);
    c.K.CrossHair(3)->SetMode(chBox);
    c.K.CrossHair(3)->SetLayer(1);
    c.K.CrossHair(3)->SetLineType(psSolid);
    c.K.CrossHair(3)->SetPosX(200), c.K.CrossHair(3)->SetPosY(100);
    c.Plot.SetSize(301, 201);
    c.K.DrawCrossHairs(c.Plot.Canvas(), c.K.MarginLeft(), c.K.MarginTop());
    EXPECT_EQ(c.At(100 - 3, 100 + 3), Rgb(clWhite));
    EXPECT_EQ(c.At(100 - 2, 100 + 2), Rgb(clBlack));
    EXPECT_EQ(c.At(100 - 13, 100), Rgb(clRed));
    EXPECT_EQ(c.At(100 + 13, 100), Rgb(clRed));
    EXPECT_EQ(c.At(200 - 4, 100 - 4), Rgb(clRed));
    EXPECT_EQ(c.At(200 + 4, 100), Rgb(clRed));
    EXPECT_EQ(c.At(200, 100), Rgb(clWhite)); // the box is open
    // The canvas keeps its pen and brush.
    EXPECT_EQ(c.Plot.Canvas()->Pen()->Color(), clBlack);
    EXPECT_EQ(c.Plot.Canvas()->Brush()->Style(), bsSolid);
}

TEST(KurvexGallery, EveryItemKindAndTextLabelMode)
{
    // No command creates most kinds; a handler turns plain marks into each of them.
    TKurvex k;
    k.SetBounds(0, 0, 640, 440);
    k.SetCaption(QStringLiteral("Item kinds 1..24, text labels"));
    k.WriteLayerRange(1, 0, 8, 0, 4);
    k.SetGridStyle(gsDotLines);
    k.SetGridColor(clSilver);
    k.SetGridDx(1), k.SetGridDy(1);
    for (int kind = 1; kind <= 24; ++kind) {
        const double x = 0.5 + (kind - 1) % 8, y = 3.5 - (kind - 1) / 8;
        k.SetDataColor(kind % 2 ? clBlue : clRed);
        k.AddMark(x, y, 17);
    }
    k.OnBeforeRenderChartItem = [](TObject*, TkxChartItem& It, int Index, bool) {
        const int kind = Index + 1;
        It.Kind = TkxItemKind(kind == 10 || kind == 11 ? ikMark : kind);
        It.X2 = It.X + 0.3, It.Y2 = It.Y - 0.3;
        It.FillColor = clYellow;
        It.Param1 = 6, It.Param2 = 1, It.Param3 = 6;
        It.EdgeColor1 = clWhite, It.EdgeColor2 = clBlack, It.EdgeStyle = 4;
        if (kind == ikText || kind == ikTextOffset) {
            It.Param1 = 9, It.Param3 = 2, It.LineWidth = 0;
            It.Text.Assign(QStringLiteral("text\nkind %1").arg(kind));
        }
        if (kind == ikBar3D) It.Param1 = 45, It.Param2 = 10;
        if (kind == ikEllipse || kind == ikArc || kind == ikCross || kind == ikErrorBar)
            It.X2 = 0.3, It.Y2 = 0.3;
        if (kind == ikArc) It.Param1 = 0, It.Param2 = 300000000;
        if (kind == ikMoveRel || kind == ikLineRel) It.X = 20, It.Y = -10;
        if (kind == ikVector || kind == ikShiftedLine)
            It.X2 = 25, It.Y2 = 15, It.CoordMode = cmWorldThenPixels;
        if (kind == ikShiftedLine) It.X2 = It.X + 0.3, It.Y2 = It.Y, It.CoordMode = cmWorld;
        if (kind == ikBox) It.Param1 = 12, It.Param2 = 8;
    };
    const TTxtLblMode modes[] = {tlsimple, tlBox, tlUnderline, tlShadow};
    for (int i = 0; i < 4; ++i) {
        TTextLabel* l = k.TextLabel(i + 1);
        l->SetCaption(QStringLiteral("label\nmode %1").arg(int(modes[i])));
        l->SetPosX(0.8 + 2 * i), l->SetPosY(0.4);
        l->SetColorBkg(i % 2 ? clAqua : clWhite);
        l->SetMode(modes[i]);
        l->SetVisible(true);
    }
    k.CrossHair(1)->SetMode(chBoth);
    k.CrossHair(1)->SetPosX(7.7), k.CrossHair(1)->SetPosY(0.2);
    QDir().mkpath(QStringLiteral(ZEV_TEST_OUTPUT_DIR));
    const QImage picture = k.Picture();
    EXPECT_TRUE(picture.save(QStringLiteral(ZEV_TEST_OUTPUT_DIR "/kurvex_item_kinds.png")));
}

TEST(KurvexMapping, AxisMapRoundsAsExtendedPrecisionDoes)
{
    // Reference: the mapping computed and rounded in extended precision throughout.
    auto reference = [](const TkxAxisMap& M, double V) {
        const long double p = M.K * (M.Log ? std::log(V) : V) + M.D;
        constexpr long double limit = 2147483647.0L;
        return int(std::nearbyint(std::clamp(p, -limit, limit)));
    };
    std::uint64_t state = 12345;
    auto next = [&state] {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return double(state >> 11) * 0x1p-53;
    };
    for (int i = 0; i < 200000; ++i) {
        const long double k = (next() - 0.5) * std::pow(10.0, int(next() * 12) - 4);
        const long double d = (next() - 0.5) * 4000;
        const TkxAxisMap map(k, d, false, 0);
        // Values landing on half pixels and right next to them, and values far outside.
        const double half = double((std::floor(next() * 2000) - 1000.5 - d) / k);
        for (double v : {half, std::nextafter(half, 1e300), std::nextafter(half, -1e300),
                         (next() - 0.5) * 1e12 / double(k)})
            ASSERT_EQ(map.Pixel(v), reference(map, v)) << double(k) << " " << double(d) << " " << v;
    }
    const TkxAxisMap log(300.0L / std::log(1000.0L), 50, true, 7);
    EXPECT_EQ(log.Pixel(10), reference(log, 10));
    EXPECT_EQ(log.Pixel(0), 7);
    EXPECT_EQ(log.Pixel(1e-101), 7);
    const TkxAxisMap nan(std::numeric_limits<long double>::quiet_NaN(), 0, false, 0);
    EXPECT_EQ(nan.Pixel(1), 0);
}

TEST(KurvexMapping, AxisMapWithinARangeAgreesWithPixel)
{
    std::uint64_t state = 777;
    auto next = [&state] {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return double(state >> 11) * 0x1p-53;
    };
    for (int i = 0; i < 20000; ++i) {
        const long double k = (next() - 0.5) * std::pow(10.0, int(next() * 12) - 4);
        const long double d = (next() - 0.5) * 4000;
        const TkxAxisMap map(k, d, false, 0);
        // Ranges of a few pixels up to far more than the int range holds.
        const double lo = (next() - 0.5) * std::pow(10.0, int(next() * 14)) / double(k);
        const double hi = lo + next() * std::pow(10.0, int(next() * 14)) / std::abs(double(k));
        const double slack = map.SlackWithin(std::min(lo, hi), std::max(lo, hi));
        const double half = std::clamp(double((std::floor(double(k * lo + d)) + 0.5 - d) / k),
                                       std::min(lo, hi), std::max(lo, hi));
        for (double v : {lo, hi, half, std::nextafter(half, lo), std::nextafter(half, hi),
                         lo + next() * (hi - lo)})
            ASSERT_EQ(map.PixelWithin(v, slack), map.Pixel(v))
                << double(k) << " " << double(d) << " " << lo << " " << hi << " " << v;
    }
    const TkxAxisMap log(300.0L / std::log(1000.0L), 50, true, 7);
    const double slack = log.SlackWithin(1, 1000);
    for (double v : {1.0, 10.0, 999.0}) EXPECT_EQ(log.PixelWithin(v, slack), log.Pixel(v));
}
