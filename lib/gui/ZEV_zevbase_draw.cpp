// The mark shapes of chart data points and the bevelled frames of the scale control.
#include "ZEV_zevbase_draw.h"

#include <array>

namespace {

// Byte r of a glyph is pixel row Y-3+r; bit j is pixel column X+3-j. Only 1..6 and 18 are used.
constexpr std::uint8_t MarkGlyphs[18][7] = {
    {0x00, 0x00, 0x08, 0x1C, 0x08, 0x00, 0x00}, // 1: plus, 3 across
    {0x00, 0x08, 0x08, 0x3E, 0x08, 0x08, 0x00}, // 2: plus, 5 across
    {0x08, 0x08, 0x08, 0x7F, 0x08, 0x08, 0x08}, // 3: plus, 7 across
    {0x00, 0x00, 0x14, 0x08, 0x14, 0x00, 0x00}, // 4: x, 3x3
    {0x00, 0x22, 0x14, 0x08, 0x14, 0x22, 0x00}, // 5: x, 5x5
    {0x41, 0x22, 0x14, 0x08, 0x14, 0x22, 0x41}, // 6: x, 7x7
    {},
    {},
    {},
    {},
    {},
    {},
    {},
    {},
    {},
    {},
    {},
    {0x55, 0x2A, 0x55, 0x2A, 0x55, 0x2A, 0x55}, // 18: checkerboard, corners set
};

// The glyphs as pixel stamps, built at start: a chart sets them by the million.
std::array<TPixelStamp, 18> BuildGlyphStamps()
{
    std::array<TPixelStamp, 18> built;
    for (int m = 0; m < 18; ++m) {
        std::vector<TPoint> points;
        for (int r = 0; r < 7; ++r)
            for (int j = 0; j < 7; ++j)
                if (MarkGlyphs[m][r] & (1u << j)) points.push_back({3 - j, r - 3});
        built[std::size_t(m)] = TPixelStamp(std::move(points));
    }
    return built;
}
const std::array<TPixelStamp, 18> GlyphStamps = BuildGlyphStamps();

const TPixelStamp& GlyphStamp(int Mark)
{
    return GlyphStamps[std::size_t(Mark - 1)];
}

void PaintGlyph(TCanvas* Canvas, int Mark, int X, int Y)
{
    Canvas->Stamp(GlyphStamp(Mark), X, Y, Canvas->Pen()->Color());
}

void Line(TCanvas* Canvas, int X1, int Y1, int X2, int Y2)
{
    Canvas->MoveTo(X1, Y1);
    Canvas->LineTo(X2, Y2);
}

// Horizontal stroke X1..X2-1 at Y and vertical stroke Y1..Y2-1 at X.
void UprightCross(TCanvas* Canvas, int X, int Y, int Lo, int Hi)
{
    Line(Canvas, X + Lo, Y, X + Hi, Y);
    Line(Canvas, X, Y + Lo, X, Y + Hi);
}

// Shapes in the brush colour set to the pen colour; the caller restores the brush colour.
void FillWithPen(TCanvas* Canvas)
{
    Canvas->Brush()->SetColor(Canvas->Pen()->Color());
}

void FilledSquare(TCanvas* Canvas, int X, int Y, int Lo, int Hi)
{
    FillWithPen(Canvas);
    Canvas->Rectangle(X + Lo, Y + Lo, X + Hi, Y + Hi);
}

void FilledCircle(TCanvas* Canvas, int X, int Y, int Lo, int Hi)
{
    FillWithPen(Canvas);
    Canvas->Ellipse(X + Lo, Y + Lo, X + Hi, Y + Hi);
}

void FilledPolygon(TCanvas* Canvas, const std::vector<TPoint>& Points)
{
    FillWithPen(Canvas);
    Canvas->Polygon(Points);
}

// Open shapes draw with a clear brush and leave it solid, as the chart expects.
template <typename Draw> void Open(TCanvas* Canvas, Draw&& draw)
{
    Canvas->Brush()->SetStyle(bsClear);
    draw();
    Canvas->Brush()->SetStyle(bsSolid);
}

void OpenSquare(TCanvas* Canvas, int X, int Y, int Lo, int Hi)
{
    Open(Canvas, [&] { Canvas->Rectangle(X + Lo, Y + Lo, X + Hi, Y + Hi); });
}

void OpenCircle(TCanvas* Canvas, int X, int Y, int Lo, int Hi)
{
    Open(Canvas, [&] { Canvas->Ellipse(X + Lo, Y + Lo, X + Hi, Y + Hi); });
}

void OpenPolygon(TCanvas* Canvas, const std::vector<TPoint>& Points)
{
    Open(Canvas, [&] { Canvas->Polygon(Points); });
}

void Triangle(TCanvas* Canvas, bool Filled, const std::vector<TPoint>& Points)
{
    if (Filled)
        FilledPolygon(Canvas, Points);
    else
        OpenPolygon(Canvas, Points);
}

std::vector<TPoint> Diamond(int X, int Y, int A)
{
    return {{X - A, Y}, {X, Y + A}, {X + A, Y}, {X, Y - A}};
}

void DrawShapeMark(TCanvas* Canvas, int Mark, int X, int Y)
{
    const bool printer = Canvas->IsPrinter();
    switch (Mark) {
    case 0:
        Canvas->SetPixel(X, Y, Canvas->Pen()->Color());
        break;
    case 1:
    case 2:
    case 3:
        if (printer)
            UprightCross(Canvas, X, Y, -(Mark + 1), Mark + 1);
        else
            PaintGlyph(Canvas, Mark, X, Y);
        break;
    case 4:
    case 5:
    case 6:
        if (printer) {
            const int a = Mark - 2;
            Line(Canvas, X - a, Y - a, X + a, Y + a);
            Line(Canvas, X - a, Y + a, X + a, Y - a);
        } else {
            PaintGlyph(Canvas, Mark, X, Y);
        }
        break;
    case 7:
    case 8:
    case 9:
        FilledSquare(Canvas, X, Y, 6 - Mark, Mark - 5);
        break;
    case 10:
    case 11:
    case 12:
        OpenSquare(Canvas, X, Y, 9 - Mark, Mark - 8);
        break;
    case 13:
    case 19:
        OpenPolygon(Canvas, Diamond(X, Y, 3));
        if (Mark == 13) Canvas->SetPixel(X, Y, Canvas->Pen()->Color());
        break;
    case 14:
    case 15:
        FilledPolygon(Canvas, Diamond(X, Y, Mark - 12));
        break;
    case 16:
        OpenCircle(Canvas, X, Y, -2, 3);
        break;
    case 17:
        OpenCircle(Canvas, X, Y, -3, 4);
        break;
    case 18:
        if (printer) {
            // Offsets 1..7 from (X-4, Y-4); both odd or both even gives the glyph's pattern.
            for (int i = 1; i <= 7; ++i)
                for (int j = 1; j <= 7; ++j)
                    if (i % 2 == j % 2)
                        Canvas->SetPixel(X - 4 + i, Y - 4 + j, Canvas->Pen()->Color());
        } else {
            PaintGlyph(Canvas, Mark, X, Y);
        }
        break;
    case 20:
    case 21:
    case 22:
    case 23: {
        const int a = Mark <= 21 ? Mark - 17 : Mark - 19;
        const int dy = Mark <= 21 ? a : -a;
        Line(Canvas, X, Y, X - a, Y + dy);
        Line(Canvas, X, Y, X + a, Y + dy);
        break;
    }
    case 24:
        FilledCircle(Canvas, X, Y, -3, 4);
        break;
    case 25: {
        // Three parallel strokes per diagonal; the screen's end offsets make the strokes
        // symmetric about the centre once LineTo leaves out the end pixel.
        const int a = printer ? 3 : 4, b = printer ? 2 : 3;
        for (const int s : {1, -1}) {
            Line(Canvas, X - 3, Y - 3 * s, X + a, Y + a * s);
            Line(Canvas, X - 3, Y - 2 * s, X + b, Y + a * s);
            Line(Canvas, X - 2, Y - 3 * s, X + a, Y + b * s);
        }
        break;
    }
    case 26:
        FilledCircle(Canvas, X, Y, -2, 3);
        break;
    case 27:
        OpenCircle(Canvas, X, Y, -2, 2);
        break;
    case 28:
        FilledCircle(Canvas, X, Y, -2, 2);
        break;
    case 29:
    case 30:
    case 31:
    case 32: {
        const int a = Mark % 2 == 1 ? 2 : 3;
        Triangle(Canvas, Mark <= 30, {{X - a, Y}, {X, Y + a}, {X + a, Y}});
        break;
    }
    case 33:
    case 34:
        Triangle(Canvas, Mark == 34, {{X - 4, Y - 3}, {X, Y + 4}, {X + 4, Y - 3}});
        break;
    case 35:
    case 36:
        Triangle(Canvas, Mark == 36, {{X - 4, Y + 3}, {X, Y - 4}, {X + 4, Y + 3}});
        break;
    case 37:
        Line(Canvas, X - 3, Y, X + 4, Y);
        Line(Canvas, X, Y, X, Y - 8);
        break;
    case 38:
        Line(Canvas, X - 3, Y - 2, X + 4, Y - 2);
        Line(Canvas, X - 3, Y + 2, X + 4, Y + 2);
        Line(Canvas, X, Y - 2, X, Y + 2);
        break;
    case 39:
        OpenCircle(Canvas, X, Y, -3, 4);
        UprightCross(Canvas, X, Y, -3, 4);
        break;
    case 40:
    case 41:
        Triangle(Canvas, Mark == 41, {{X + 3, Y - 2}, {X - 2, Y}, {X + 3, Y + 2}});
        break;
    case 42:
    case 43:
        Triangle(Canvas, Mark == 43, {{X + 4, Y - 3}, {X - 3, Y}, {X + 4, Y + 3}});
        break;
    case 44:
    case 45:
        Triangle(Canvas, Mark == 45, {{X - 3, Y - 2}, {X + 2, Y}, {X - 3, Y + 2}});
        break;
    case 46:
    case 47:
        Triangle(Canvas, Mark == 47, {{X - 4, Y - 3}, {X + 3, Y}, {X - 4, Y + 3}});
        break;
    case 48:
        OpenSquare(Canvas, X, Y, -3, 4);
        UprightCross(Canvas, X, Y, -3, 4);
        break;
    case 49:
        OpenSquare(Canvas, X, Y, -2, 3);
        UprightCross(Canvas, X, Y, -4, 5);
        break;
    case 50:
        UprightCross(Canvas, X, Y, -4, 5);
        Line(Canvas, X - 3, Y - 3, X + 4, Y + 4);
        Line(Canvas, X - 3, Y + 3, X + 4, Y - 4);
        break;
    case 51:
        UprightCross(Canvas, X, Y, -4, 5);
        Line(Canvas, X - 1, Y - 3, X + 2, Y - 3);
        Line(Canvas, X - 1, Y + 3, X + 2, Y + 3);
        Line(Canvas, X - 3, Y - 1, X - 3, Y + 2);
        Line(Canvas, X + 3, Y - 1, X + 3, Y + 2);
        break;
    default:
        break;
    }
}

// Character codes 128..159 as the classic desktop's Western code page shows them; its five
// unassigned codes stay as they are.
constexpr std::array<char16_t, 32> Cp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QChar MarkCharacter(std::uint8_t Mark)
{
    const std::uint8_t code = Mark >= 200 && Mark <= 209 ? std::uint8_t(Mark + 104) : Mark;
    return code >= 0x80 && code <= 0x9F ? QChar(Cp1252High[code - 0x80]) : QChar(code);
}

void DrawCharacterMark(TCanvas* Canvas, std::uint8_t Mark, int X, int Y)
{
    const QString text(MarkCharacter(Mark));
    Canvas->Brush()->SetStyle(bsClear);
    Canvas->Font()->SetColor(Canvas->Pen()->Color());
    const int width = Canvas->TextWidth(text), height = Canvas->TextHeight(text);
    Canvas->TextOut(X - width / 2, Y - height / 2, text);
}

// Left and top edge in TopLeft, right and bottom edge (with both of their corners) in
// BottomRight, each pixel drawn once.
void Bevel(TCanvas* Canvas, int Left, int Top, int Right, int Bottom, TColor TopLeft,
           TColor BottomRight)
{
    Canvas->Pen()->SetColor(TopLeft);
    Canvas->MoveTo(Left, Bottom);
    Canvas->LineTo(Left, Top);
    Canvas->LineTo(Right, Top);
    Canvas->Pen()->SetColor(BottomRight);
    Canvas->LineTo(Right, Bottom);
    Canvas->LineTo(Left - 1, Bottom);
}

} // namespace

void DrawMark(TCanvas* Canvas, std::uint8_t Mark, int X, int Y)
{
    if (!Canvas) return;
    if (Mark > 51) return DrawCharacterMark(Canvas, Mark, X, Y);
    const TColor brushColor = Canvas->Brush()->Color();
    DrawShapeMark(Canvas, Mark, X, Y);
    // Only filled shapes touched the colour; setting it again would make a clear brush solid.
    if (Canvas->Brush()->Color() != brushColor) Canvas->Brush()->SetColor(brushColor);
}

const TPixelStamp* MarkStamp(const TCanvas* Canvas, std::uint8_t Mark)
{
    const bool glyph = (Mark >= 1 && Mark <= 6) || Mark == 18;
    return glyph && Canvas && !Canvas->IsPrinter() ? &GlyphStamp(Mark) : nullptr;
}

void DrawFrame(TCanvas* Canvas, TFrameStyle Style, int Left, int Top, int Right, int Bottom,
               TColor SimpleColor, TColor C1, TColor C2, TColor C3, TColor C4)
{
    if (!Canvas || Style == fsNone || Right < Left || Bottom < Top) return;
    // Frames are one pixel wide and solid whatever pen the caller left behind.
    TPen saved;
    saved.Assign(Canvas->Pen());
    TPen* pen = Canvas->Pen();
    pen->SetWidth(1);
    pen->SetStyle(psSolid);
    if (Style == fsSimple) {
        pen->SetColor(SimpleColor);
        if (Left == Right && Top == Bottom) Canvas->SetPixel(Left, Top, SimpleColor);
        Canvas->MoveTo(Left, Top);
        Canvas->LineTo(Right, Top);
        Canvas->LineTo(Right, Bottom);
        Canvas->LineTo(Left, Bottom);
        Canvas->LineTo(Left, Top);
    } else {
        struct Colors {
            TColor A, B, C, D;
        };
        const Colors c = Style == fsLowered    ? Colors{C2, C4, C1, C3}
                         : Style == fsRaised   ? Colors{C4, C1, C3, C2}
                         : Style == fsEmbossed ? Colors{C4, C2, C2, C4}
                                               : Colors{C2, C4, C4, C2};
        Bevel(Canvas, Left, Top, Right, Bottom, c.A, c.B);
        if (Right - Left >= 2 && Bottom - Top >= 2)
            Bevel(Canvas, Left + 1, Top + 1, Right - 1, Bottom - 1, c.C, c.D);
    }
    pen->Assign(&saved);
}
