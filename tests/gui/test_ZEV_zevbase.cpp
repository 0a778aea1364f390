#include "ZEV_zevbase_draw.h"

#include <gtest/gtest.h>

#include <QDir>
#include <string>
#include <vector>

namespace {

TBitmap& WhiteBitmap(TBitmap& b, int w = 21, int h = 21)
{
    b.SetSize(w, h);
    b.Canvas()->Brush()->SetColor(clWhite);
    b.Canvas()->FillRect(Rect(0, 0, w, h));
    return b;
}

// The mark drawn in red on white at the centre of a 21 x 21 bitmap.
TBitmap& MarkBitmap(TBitmap& b, int Mark, bool Printer = false)
{
    TCanvas* c = WhiteBitmap(b).Canvas();
    c->SetIsPrinter(Printer);
    c->Pen()->SetColor(clRed);
    DrawMark(c, std::uint8_t(Mark), 10, 10);
    return b;
}

struct MarkArt {
    int Mark;
    bool Printer;
    int Top;                       // row offset of the first art row
    std::vector<std::string> Rows; // columns X-5..X+5, "#" inked
};

// Shapes whose pixels follow from whole-pixel rules alone (glyphs, rectangles, axis-parallel and
// 45-degree strokes), so they do not depend on the toolkit's rounding of slanted edges.
const MarkArt ExactMarks[] = {
    {0, false, 0, {".....#....."}},
    {1, false, -1, {".....#.....", "....###....", ".....#....."}},
    {2, false, -2, {".....#.....", ".....#.....", "...#####...", ".....#.....", ".....#....."}},
    {3,
     false,
     -3,
     {".....#.....", ".....#.....", ".....#.....", "..#######..", ".....#.....", ".....#.....",
      ".....#....."}},
    {4, false, -1, {"....#.#....", ".....#.....", "....#.#...."}},
    {5, false, -2, {"...#...#...", "....#.#....", ".....#.....", "....#.#....", "...#...#..."}},
    {6,
     false,
     -3,
     {"..#.....#..", "...#...#...", "....#.#....", ".....#.....", "....#.#....", "...#...#...",
      "..#.....#.."}},
    {7, false, -1, {"....###....", "....###....", "....###...."}},
    {8, false, -2, {"...#####...", "...#####...", "...#####...", "...#####...", "...#####..."}},
    {9,
     false,
     -3,
     {"..#######..", "..#######..", "..#######..", "..#######..", "..#######..", "..#######..",
      "..#######.."}},
    {10, false, -1, {"....###....", "....#.#....", "....###...."}},
    {11, false, -2, {"...#####...", "...#...#...", "...#...#...", "...#...#...", "...#####..."}},
    {12,
     false,
     -3,
     {"..#######..", "..#.....#..", "..#.....#..", "..#.....#..", "..#.....#..", "..#.....#..",
      "..#######.."}},
    {13,
     false,
     -3,
     {".....#.....", "....#.#....", "...#...#...", "..#..#..#..", "...#...#...", "....#.#....",
      ".....#....."}},
    {14, false, -2, {".....#.....", "....###....", "...#####...", "....###....", ".....#....."}},
    {15,
     false,
     -3,
     {".....#.....", "....###....", "...#####...", "..#######..", "...#####...", "....###....",
      ".....#....."}},
    {18,
     false,
     -3,
     {"..#.#.#.#..", "...#.#.#...", "..#.#.#.#..", "...#.#.#...", "..#.#.#.#..", "...#.#.#...",
      "..#.#.#.#.."}},
    {19,
     false,
     -3,
     {".....#.....", "....#.#....", "...#...#...", "..#.....#..", "...#...#...", "....#.#....",
      ".....#....."}},
    {20, false, 0, {".....#.....", "....#.#....", "...#...#..."}},
    {21, false, 0, {".....#.....", "....#.#....", "...#...#...", "..#.....#.."}},
    {22, false, -2, {"...#...#...", "....#.#....", ".....#....."}},
    {23, false, -3, {"..#.....#..", "...#...#...", "....#.#....", ".....#....."}},
    {25,
     false,
     -3,
     {"..##...##..", "..###.###..", "...#####...", "....###....", "...#####...", "..###.###..",
      "..##...##.."}},
    {37,
     false,
     -7,
     {".....#.....", ".....#.....", ".....#.....", ".....#.....", ".....#.....", ".....#.....",
      ".....#.....", "..#######.."}},
    {38, false, -2, {"..#######..", ".....#.....", ".....#.....", ".....#.....", "..#######.."}},
    {48,
     false,
     -3,
     {"..#######..", "..#..#..#..", "..#..#..#..", "..#######..", "..#..#..#..", "..#..#..#..",
      "..#######.."}},
    {49,
     false,
     -4,
     {".....#.....", ".....#.....", "...#####...", "...#.#.#...", ".#########.", "...#.#.#...",
      "...#####...", ".....#.....", ".....#....."}},
    {50,
     false,
     -4,
     {".....#.....", "..#..#..#..", "...#.#.#...", "....###....", ".#########.", "....###....",
      "...#.#.#...", "..#..#..#..", ".....#....."}},
    {51,
     false,
     -4,
     {".....#.....", "....###....", ".....#.....", "..#..#..#..", ".#########.", "..#..#..#..",
      ".....#.....", "....###....", ".....#....."}},
    // Printers get pen lines instead of glyphs, and a thinner bold cross.
    {1, true, -2, {".....#.....", ".....#.....", "...####....", ".....#....."}},
    {3,
     true,
     -4,
     {".....#.....", ".....#.....", ".....#.....", ".....#.....", ".########..", ".....#.....",
      ".....#.....", ".....#....."}},
    {18,
     true,
     -3,
     {"..#.#.#.#..", "...#.#.#...", "..#.#.#.#..", "...#.#.#...", "..#.#.#.#..", "...#.#.#...",
      "..#.#.#.#.."}},
    {25,
     true,
     -3,
     {"..##.......", "..###.##...", "...#####...", "....###....", "...#####...", "..###.##...",
      "..##......."}},
};

std::vector<std::string> ArtOf(TBitmap& b, int Top, int Rows)
{
    std::vector<std::string> art;
    for (int r = 0; r < Rows; ++r) {
        std::string row;
        for (int dx = -5; dx <= 5; ++dx)
            row += b.Canvas()->Pixel(10 + dx, 10 + Top + r) == clRed ? '#' : '.';
        art.push_back(row);
    }
    return art;
}

int InkOutside(TBitmap& b, int Left, int Top, int Right, int Bottom)
{
    int n = 0;
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x)
            if ((x < Left || x > Right || y < Top || y > Bottom) &&
                b.Canvas()->Pixel(x, y) != clWhite)
                ++n;
    return n;
}

} // namespace

TEST(DrawMark, ExactShapesSetTheirPixels)
{
    for (const MarkArt& m : ExactMarks) {
        TBitmap b;
        MarkBitmap(b, m.Mark, m.Printer);
        const int rows = int(m.Rows.size());
        EXPECT_EQ(ArtOf(b, m.Top, rows), m.Rows)
            << "mark " << m.Mark << (m.Printer ? " (printer)" : "");
        EXPECT_EQ(InkOutside(b, 5, 10 + m.Top, 15, 10 + m.Top + rows - 1), 0) << "mark " << m.Mark;
    }
}

TEST(DrawMark, RoundAndSlantedShapesFillTheirBoxes)
{
    // Bounding box (inclusive offsets) and whether a probe pixel inside the outline is inked.
    struct {
        int Mark, Left, Top, Right, Bottom, ProbeX, ProbeY;
        bool Filled;
    } cases[] = {
        {16, -2, -2, 2, 2, 0, 0, false}, {17, -3, -3, 3, 3, 0, 0, false},
        {24, -3, -3, 3, 3, 0, 0, true},  {26, -2, -2, 2, 2, 0, 0, true},
        {27, -2, -2, 1, 1, 0, 0, false}, {28, -2, -2, 1, 1, 0, 0, true},
        {39, -3, -3, 3, 3, 1, 1, false}, {29, -2, 0, 2, 2, 0, 1, true},
        {30, -3, 0, 3, 3, 0, 1, true},   {31, -2, 0, 2, 2, 0, 1, false},
        {32, -3, 0, 3, 3, 0, 1, false},  {33, -4, -3, 4, 4, 0, -1, false},
        {34, -4, -3, 4, 4, 0, -1, true}, {35, -4, -4, 4, 3, 0, 1, false},
        {36, -4, -4, 4, 3, 0, 1, true},  {40, -2, -2, 3, 2, 1, 0, false},
        {41, -2, -2, 3, 2, 1, 0, true},  {42, -3, -3, 4, 3, 1, 0, false},
        {43, -3, -3, 4, 3, 1, 0, true},  {44, -3, -2, 2, 2, -1, 0, false},
        {45, -3, -2, 2, 2, -1, 0, true}, {46, -4, -3, 3, 3, -1, 0, false},
        {47, -4, -3, 3, 3, -1, 0, true},
    };
    for (const auto& c : cases) {
        TBitmap b;
        TCanvas* canvas = MarkBitmap(b, c.Mark).Canvas();
        EXPECT_EQ(InkOutside(b, 10 + c.Left, 10 + c.Top, 10 + c.Right, 10 + c.Bottom), 0)
            << "mark " << c.Mark;
        // The outline touches all four sides of the box.
        bool left = false, right = false, top = false, bottom = false;
        for (int i = -5; i <= 5; ++i) {
            left |= canvas->Pixel(10 + c.Left, 10 + i) == clRed;
            right |= canvas->Pixel(10 + c.Right, 10 + i) == clRed;
            top |= canvas->Pixel(10 + i, 10 + c.Top) == clRed;
            bottom |= canvas->Pixel(10 + i, 10 + c.Bottom) == clRed;
        }
        EXPECT_TRUE(left && right && top && bottom) << "mark " << c.Mark;
        EXPECT_EQ(canvas->Pixel(10 + c.ProbeX, 10 + c.ProbeY) == clRed, c.Filled)
            << "mark " << c.Mark;
    }
}

TEST(DrawMark, CharacterMarksDrawTheirCharacterCentred)
{
    // Digits for 200..209, the character's own code otherwise (128 in the Western code page).
    const std::pair<int, QChar> cases[] = {{205, u'5'},         {200, u'0'}, {209, u'9'},
                                           {65, u'A'},          {52, u'4'},  {255, QChar(0xFF)},
                                           {128, QChar(0x20AC)}};
    for (const auto& [mark, ch] : cases) {
        TBitmap drawn, expected;
        MarkBitmap(drawn, mark);
        TCanvas* c = WhiteBitmap(expected).Canvas();
        c->Brush()->SetStyle(bsClear);
        c->Font()->SetColor(clRed);
        const QString text(ch);
        c->TextOut(10 - c->TextWidth(text) / 2, 10 - c->TextHeight(text) / 2, text);
        drawn.Canvas()->ReleaseTarget();
        expected.Canvas()->ReleaseTarget();
        EXPECT_EQ(drawn.Image(), expected.Image()) << "mark " << mark;
        EXPECT_GT(InkOutside(drawn, 0, 0, -1, -1), 0) << "mark " << mark;
    }
}

TEST(DrawMark, LeavesTheBrushAsDescribed)
{
    TBitmap b;
    TCanvas* c = WhiteBitmap(b).Canvas();
    c->Pen()->SetColor(clNavy);
    for (int mark = 0; mark <= 51; ++mark) {
        c->Brush()->SetColor(clYellow);
        DrawMark(c, std::uint8_t(mark), 10, 10);
        EXPECT_EQ(c->Brush()->Color(), clYellow) << "mark " << mark;
        EXPECT_EQ(c->Brush()->Style(), bsSolid) << "mark " << mark;
    }
    // A stroke-only mark does not make a clear brush solid.
    c->Brush()->SetStyle(bsClear);
    DrawMark(c, 20, 10, 10);
    EXPECT_EQ(c->Brush()->Style(), bsClear);

    c->Brush()->SetColor(clYellow);
    DrawMark(c, 65, 10, 10);
    EXPECT_EQ(c->Brush()->Style(), bsClear);
    EXPECT_EQ(c->Font()->Color(), clNavy);
}

namespace {
constexpr TColor SimpleC = clFuchsia, C1 = clRed, C2 = clLime, C3 = clBlue, C4 = clYellow;

// Expected colour of pixel (x, y) for a frame around (L, T)-(R, B), inclusive.
TColor FrameColor(TFrameStyle Style, int L, int T, int R, int B, int x, int y)
{
    const auto onEdge = [](int l, int t, int r, int b, int x, int y) {
        return x >= l && x <= r && y >= t && y <= b && (x == l || x == r || y == t || y == b);
    };
    const auto bevel = [](int r, int b, int x, int y, TColor TopLeft, TColor BottomRight) {
        return x == r || y == b ? BottomRight : TopLeft;
    };
    struct {
        TColor A, B, C, D;
    } look{};
    switch (Style) {
    case fsNone:
        return clWhite;
    case fsSimple:
        return onEdge(L, T, R, B, x, y) ? SimpleC : clWhite;
    case fsLowered:
        look = {C2, C4, C1, C3};
        break;
    case fsRaised:
        look = {C4, C1, C3, C2};
        break;
    case fsEmbossed:
        look = {C4, C2, C2, C4};
        break;
    case fsEngraved:
        look = {C2, C4, C4, C2};
        break;
    }
    if (onEdge(L, T, R, B, x, y)) return bevel(R, B, x, y, look.A, look.B);
    if (onEdge(L + 1, T + 1, R - 1, B - 1, x, y)) return bevel(R - 1, B - 1, x, y, look.C, look.D);
    return clWhite;
}
} // namespace

TEST(DrawFrame, EveryStyleColoursItsEdges)
{
    constexpr int L = 2, T = 1, R = 11, B = 8;
    for (TFrameStyle style : {fsNone, fsSimple, fsLowered, fsRaised, fsEmbossed, fsEngraved}) {
        TBitmap b;
        TCanvas* c = WhiteBitmap(b, 14, 11).Canvas();
        c->Pen()->SetColor(clGray);
        c->Pen()->SetWidth(3);
        DrawFrame(c, style, L, T, R, B, SimpleC, C1, C2, C3, C4);
        for (int y = 0; y < b.Height(); ++y)
            for (int x = 0; x < b.Width(); ++x)
                ASSERT_EQ(c->Pixel(x, y), FrameColor(style, L, T, R, B, x, y))
                    << "style " << int(style) << " at " << x << "," << y;
        EXPECT_EQ(c->Pen()->Color(), clGray);
        EXPECT_EQ(c->Pen()->Width(), 3);
    }
}

TEST(DrawFrame, TinyAndInvertedRectanglesStayInside)
{
    struct {
        int L, T, R, B, Inked;
    } cases[] = {{5, 5, 5, 5, 1}, {5, 5, 6, 6, 4}, {3, 5, 8, 5, 6}, {6, 5, 5, 5, 0}};
    for (TFrameStyle style : {fsSimple, fsRaised})
        for (const auto& r : cases) {
            TBitmap b;
            TCanvas* c = WhiteBitmap(b, 12, 12).Canvas();
            DrawFrame(c, style, r.L, r.T, r.R, r.B, SimpleC, C1, C2, C3, C4);
            EXPECT_EQ(InkOutside(b, r.L, r.T, r.R, r.B), 0)
                << r.L << "," << r.T << " " << int(style);
            EXPECT_EQ(InkOutside(b, 0, 0, -1, -1), r.Inked)
                << r.L << "," << r.T << " " << int(style);
        }
}

TEST(DrawMark, SheetOfAllMarksAndFrames)
{
    // 16 x 16 cells of 20 pixels for the marks, then one row of frames, enlarged four times.
    constexpr int Cell = 20, Scale = 4;
    TBitmap sheet;
    TCanvas* c = WhiteBitmap(sheet, 16 * Cell, 16 * Cell + 50).Canvas();
    c->Pen()->SetColor(clSilver);
    for (int i = 0; i <= 16; ++i) {
        c->MoveTo(i * Cell, 0), c->LineTo(i * Cell, 16 * Cell);
        c->MoveTo(0, i * Cell), c->LineTo(16 * Cell, i * Cell);
    }
    c->Font()->SetHeight(-11);
    for (int mark = 0; mark < 256; ++mark) {
        c->Pen()->SetColor(mark % 2 ? clBlack : clNavy);
        DrawMark(c, std::uint8_t(mark), (mark % 16) * Cell + Cell / 2,
                 (mark / 16) * Cell + Cell / 2);
    }
    c->Brush()->SetColor(clSilver);
    c->FillRect(Rect(0, 16 * Cell + 1, 16 * Cell, 16 * Cell + 50));
    for (int s = fsNone; s <= fsEngraved; ++s)
        DrawFrame(c, TFrameStyle(s), 6 + s * 52, 16 * Cell + 10, 6 + s * 52 + 44, 16 * Cell + 40,
                  clBlack, clBlack, clGray, clSilver, clWhite);
    c->ReleaseTarget();

    const QImage big = sheet.Image().scaled(sheet.Width() * Scale, sheet.Height() * Scale,
                                            Qt::IgnoreAspectRatio, Qt::FastTransformation);
    QDir().mkpath(ZEV_TEST_OUTPUT_DIR);
    const QString path = QStringLiteral(ZEV_TEST_OUTPUT_DIR) + "/marks_and_frames.png";
    ASSERT_TRUE(big.save(path));
    EXPECT_EQ(QImage(path).size(), big.size());
}

namespace {
// Counts the notifications of a settings object.
template <typename T> struct Watched {
    T Object;
    int Changes = 0;
    Watched()
    {
        Object.OnChange = [this](TObject* Sender) {
            EXPECT_EQ(Sender, &Object);
            ++Changes;
        };
    }
};
} // namespace

TEST(TDTLabel, SettersNotifyAsTheirRulesSay)
{
    Watched<TDTLabel> w;
    TDTLabel& d = w.Object;
    EXPECT_EQ(d.DateSeparator(), QChar(0));
    EXPECT_EQ(d.DateOrder(), doMMDDYY);
    struct {
        const char* Name;
        std::function<void()> SetSame, SetOther;
        int SameChanges;
    } cases[] = {
        {"TimeFormat", [&] { d.SetTimeFormat(d.TimeFormat()); }, [&] { d.SetTimeFormat(tfAMPM); },
         1},
        {"DateOrder", [&] { d.SetDateOrder(d.DateOrder()); }, [&] { d.SetDateOrder(doYYMMDD); }, 1},
        {"DateSeparator", [&] { d.SetDateSeparator(d.DateSeparator()); },
         [&] { d.SetDateSeparator(u'-'); }, 0},
        {"TimeSeparator", [&] { d.SetTimeSeparator(d.TimeSeparator()); },
         [&] { d.SetTimeSeparator(u':'); }, 0},
        {"YearLength", [&] { d.SetYearLength(d.YearLength()); }, [&] { d.SetYearLength(ylYYYY); },
         0},
        {"MonthName", [&] { d.SetMonthName(d.MonthName()); }, [&] { d.SetMonthName(true); }, 0},
        {"DateForTime", [&] { d.SetDateForTime(d.DateForTime()); },
         [&] { d.SetDateForTime(dtOnePerDay); }, 0},
    };
    for (const auto& c : cases) {
        w.Changes = 0;
        c.SetSame();
        EXPECT_EQ(w.Changes, c.SameChanges) << c.Name;
        c.SetOther();
        EXPECT_EQ(w.Changes, c.SameChanges + 1) << c.Name;
    }
    EXPECT_EQ(d.DateSeparator(), u'-');
    EXPECT_EQ(d.YearLength(), ylYYYY);
}

TEST(TCrossHair, LayerIsClampedAndEverySetterNotifies)
{
    Watched<TCrossHair> w;
    TCrossHair& h = w.Object;
    EXPECT_EQ(h.Layer(), 0);
    const std::pair<int, int> layers[] = {{0, 1}, {-7, 1}, {1, 1}, {9, 9}, {16, 16}, {17, 16}};
    for (auto [in, out] : layers) {
        const int before = w.Changes;
        h.SetLayer(in);
        EXPECT_EQ(h.Layer(), out) << in;
        EXPECT_EQ(w.Changes, before + 1) << in;
    }
    w.Changes = 0;
    h.SetPosX(h.PosX());
    h.SetMode(h.Mode());
    h.SetLineWid(h.LineWid());
    EXPECT_EQ(w.Changes, 3);
}

TEST(TCustomTextLabel, DefaultsLayerAndCaptionRules)
{
    Watched<TCustomTextLabel> w;
    TCustomTextLabel& t = w.Object;
    EXPECT_EQ(t.PosX(), 100.0);
    EXPECT_EQ(t.PosY(), 10.0);
    EXPECT_EQ(t.Layer(), 1);
    EXPECT_EQ(t.ColorShadow(), RGB(128, 128, 128));
    EXPECT_EQ(t.ColorBkg(), RGB(192, 192, 192));
    EXPECT_EQ(t.ColorBorder(), clBlack);
    EXPECT_EQ(t.Alignment(), taCenter);
    EXPECT_EQ(t.VerticalAlignment(), vaBottom);
    EXPECT_EQ(t.Mode(), tlsimple);
    EXPECT_TRUE(t.Visible());
    EXPECT_FALSE(t.Transparent());

    // Out-of-range layers are ignored without a notification, unlike the cross-hair's.
    for (int bad : {0, 17, -1}) {
        t.SetLayer(bad);
        EXPECT_EQ(t.Layer(), 1) << bad;
    }
    EXPECT_EQ(w.Changes, 0);
    t.SetLayer(16);
    EXPECT_EQ(t.Layer(), 16);
    EXPECT_EQ(w.Changes, 1);

    t.SetCaption(QString("a\tb\rc\nd") + QChar(1) + QChar(31) + QChar(127));
    EXPECT_EQ(t.Caption(), QString("a b c\nd  ") + QChar(127));
    EXPECT_EQ(w.Changes, 2);

    TFont f;
    f.SetName("Courier");
    f.SetHeight(-20);
    f.SetColor(clRed);
    t.SetFont(&f);
    EXPECT_NE(t.Font(), &f);
    EXPECT_EQ(t.Font()->Name(), "Courier");
    EXPECT_EQ(t.Font()->Height(), -20);
    EXPECT_EQ(t.Font()->Color(), clRed);
    EXPECT_EQ(w.Changes, 3);
}

namespace {
class TForeign : public TPersistent {};
} // namespace

TEST(SettingsObjects, AssignCopiesEverythingSilentlyAndRefusesForeignClasses)
{
    TCustomTextLabel s;
    int sourceCalls = 0;
    s.OnChange = [&](TObject*) { ++sourceCalls; };
    s.SetPosX(1.5), s.SetPosY(-2.5), s.SetLayer(7), s.SetShadowDx(3), s.SetShadowDy(-4);
    s.SetColorShadow(clTeal), s.SetAlignment(taRightJustify), s.SetVerticalAlignment(vaTop);
    s.SetAttachToData(tlamBoth), s.SetColorBkg(clAqua), s.SetColorBorder(clMaroon);
    s.SetTransparent(true), s.SetCaption("two\nlines"), s.SetMode(tlShadow), s.SetVisible(false);
    s.Font()->SetName("Serif"), s.Font()->SetStyle(fsBold);

    Watched<TCustomTextLabel> dst;
    TCustomTextLabel& d = dst.Object;
    sourceCalls = 0;
    d.Assign(&s);
    EXPECT_EQ(dst.Changes + sourceCalls, 0);
    EXPECT_EQ(d.PosX(), 1.5);
    EXPECT_EQ(d.PosY(), -2.5);
    EXPECT_EQ(d.Layer(), 7);
    EXPECT_EQ(d.ShadowDx(), 3);
    EXPECT_EQ(d.ShadowDy(), -4);
    EXPECT_EQ(d.ColorShadow(), clTeal);
    EXPECT_EQ(d.Alignment(), taRightJustify);
    EXPECT_EQ(d.VerticalAlignment(), vaTop);
    EXPECT_EQ(d.AttachToData(), tlamBoth);
    EXPECT_EQ(d.ColorBkg(), clAqua);
    EXPECT_EQ(d.ColorBorder(), clMaroon);
    EXPECT_TRUE(d.Transparent());
    EXPECT_EQ(d.Caption(), "two\nlines");
    EXPECT_EQ(d.Mode(), tlShadow);
    EXPECT_FALSE(d.Visible());
    EXPECT_EQ(d.Font()->Name(), "Serif");
    EXPECT_EQ(d.Font()->Style(), fsBold);
    d.SetVisible(true); // the handler came along
    EXPECT_EQ(sourceCalls, 1);
    EXPECT_EQ(dst.Changes, 0);

    TDTLabel da, db;
    da.SetDateSeparator(u'/'), da.SetMonthName(true), da.SetDateOrder(doYYMMDD);
    int calls = 0;
    da.OnChange = [&](TObject*) { ++calls; };
    db.Assign(&da);
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(db.DateSeparator(), u'/');
    EXPECT_TRUE(db.MonthName());
    EXPECT_EQ(db.DateOrder(), doYYMMDD);
    db.SetTimeFormat(tfAMPM);
    EXPECT_EQ(calls, 1);

    TCrossHair ha, hb;
    ha.SetPosX(3), ha.SetColor(clRed), ha.SetMode(chBox), ha.SetLineType(psDot), ha.SetLineWid(2);
    ha.SetLayer(5);
    hb.Assign(&ha);
    EXPECT_EQ(hb.PosX(), 3);
    EXPECT_EQ(hb.Color(), clRed);
    EXPECT_EQ(hb.Mode(), chBox);
    EXPECT_EQ(hb.LineType(), psDot);
    EXPECT_EQ(hb.LineWid(), 2);
    EXPECT_EQ(hb.Layer(), 5);

    TForeign foreign;
    EXPECT_THROW(hb.Assign(&da), EAssignError);
    EXPECT_THROW(d.Assign(&ha), EAssignError);
    EXPECT_THROW(da.Assign(&foreign), EAssignError);
    EXPECT_THROW(foreign.Assign(&d), EAssignError); // through the label's AssignTo
    EXPECT_THROW(d.Assign(nullptr), EAssignError);
}
