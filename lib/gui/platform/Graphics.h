// Canvas and bitmap of the component library: pen, brush and font over QPainter, drawing into a
// 32-bit QImage with the classic desktop geometry (rectangles exclude their right and bottom
// edge, LineTo leaves out its end pixel, TextOut fills the text background with the brush).
#pragma once

#include "Classes.h"
#include "Colors.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPoint>
#include <QRect>
#include <memory>
#include <optional>
#include <vector>

QColor ToQColor(TColor Color);
TColor FromQColor(const QColor& Color);

struct TPoint {
    int X = 0, Y = 0;
    friend bool operator==(const TPoint&, const TPoint&) = default;
};
inline TPoint Point(int X, int Y)
{
    return TPoint{X, Y};
}

// Rectangle with exclusive Right and Bottom edges.
struct TRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    QRect ToQRect() const { return QRect(Left, Top, Right - Left, Bottom - Top); }
    friend bool operator==(const TRect&, const TRect&) = default;
};
inline TRect Rect(int Left, int Top, int Right, int Bottom)
{
    return TRect{Left, Top, Right, Bottom};
}

// A small pixel pattern set in one colour in one go: the offsets of its pixels from an anchor
// and their bounding box (exclusive right and bottom).
struct TPixelStamp {
    std::vector<TPoint> Offsets; // row by row
    TRect Bounds;
    // Runs of Offsets on one row: the row's offset and where its run ends in Offsets.
    struct TRow {
        int Y;
        std::size_t End;
    };
    std::vector<TRow> Rows;
    explicit TPixelStamp(std::vector<TPoint> Points = {});
};

// The 32-bit word that a bitmap's pixel holds after the painter set it to an opaque Color.
inline QRgb OpaquePixel(TColor Color)
{
    // Plain colours directly: marks change colour from one to the next.
    return Color >> 24 == 0
               ? qRgb(int(Color & 0xFF), int(Color >> 8 & 0xFF), int(Color >> 16 & 0xFF))
               : ToQColor(Color).rgb();
}

// A bitmap's pixels as memory, where writing a word does what the painter would do.
struct TDirectPixels {
    QRgb* Bits;       // pixel (0, 0)
    qsizetype Stride; // pixels from one row to the next
    QRect Area;       // the pixels that may be written: the bitmap's, within the clip
    QRgb* Row(int Y) const { return Bits + Y * Stride; }
    // Whether Area holds all of Bounds moved to (X, Y).
    bool Holds(const TRect& Bounds, int X, int Y) const
    {
        const long long x = X, y = Y;
        return x + Bounds.Left >= Area.left() && x + Bounds.Right <= Area.right() + 1LL &&
               y + Bounds.Top >= Area.top() && y + Bounds.Bottom <= Area.bottom() + 1LL;
    }
};

enum TPenStyle : std::uint8_t {
    psSolid,
    psDash,
    psDot,
    psDashDot,
    psDashDotDot,
    psClear,
    psInsideFrame
};
enum TPenMode : std::uint8_t {
    pmBlack,
    pmWhite,
    pmNop,
    pmNot,
    pmCopy,
    pmNotCopy,
    pmMergePenNot,
    pmMaskPenNot,
    pmMergeNotPen,
    pmMaskNotPen,
    pmMerge,
    pmNotMerge,
    pmMask,
    pmNotMask,
    pmXor,
    pmNotXor
};
enum TBrushStyle : std::uint8_t {
    bsSolid,
    bsClear,
    bsHorizontal,
    bsVertical,
    bsFDiagonal,
    bsBDiagonal,
    bsCross,
    bsDiagCross
};

enum TFontStyle : std::uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = std::uint8_t;

// Base of pen, brush and font: a settings object that tells its owner about every change.
class TGraphicsObject : public TPersistent {
  public:
    TNotifyEvent OnChange;

  protected:
    void Changed() { FireEvent(OnChange, this); }
};

class TPen : public TGraphicsObject {
  public:
    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    TPenStyle Style() const { return FStyle; }
    void SetStyle(TPenStyle Value);
    int Width() const { return FWidth; }
    void SetWidth(int Value);
    TPenMode Mode() const { return FMode; }
    void SetMode(TPenMode Value);
    void Assign(TPersistent* Source) override;

  private:
    TColor FColor = clBlack;
    TPenStyle FStyle = psSolid;
    int FWidth = 1;
    TPenMode FMode = pmCopy;
};

class TBrush : public TGraphicsObject {
  public:
    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    TBrushStyle Style() const { return FStyle; }
    void SetStyle(TBrushStyle Value);
    void Assign(TPersistent* Source) override;

  private:
    TColor FColor = clWhite;
    TBrushStyle FStyle = bsSolid;
};

class TFont : public TGraphicsObject {
  public:
    static constexpr int PixelsPerInch = 96;
    const QString& Name() const { return FName; }
    void SetName(const QString& Value);
    // Height in pixels; negative values give the character height without internal leading.
    int Height() const { return FHeight; }
    void SetHeight(int Value);
    // Size in points, derived from Height at 96 pixels per inch.
    int Size() const;
    void SetSize(int Value);
    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    TFontStyles Style() const { return FStyle; }
    void SetStyle(TFontStyles Value);
    void Assign(TPersistent* Source) override;
    // The toolkit font; a missing family falls back to the system's sans-serif font.
    QFont ToQFont() const;

  private:
    QString FName = QStringLiteral("MS Sans Serif");
    int FHeight = -11;
    TColor FColor = clWindowText;
    TFontStyles FStyle = 0;
    // The toolkit resolves a new QFont through its font database on every use; reusing one
    // for unchanged attributes keeps text measurement and drawing cheap.
    mutable QFont FCachedFont;
    mutable QString FCachedName;
    mutable int FCachedHeight = 0;
    mutable TFontStyles FCachedStyle = 0;
    mutable bool FCacheValid = false;
};

class TBitmap;

class TCanvas : public TPersistent {
  public:
    explicit TCanvas(QImage* Target = nullptr);
    // A canvas over a device that is not a bitmap, such as the printer: pixels cannot be read
    // back, and every font size, given at the screen's pixels per inch, is converted to
    // FontPixelsPerInch so that point sizes stay the same on the device.
    TCanvas(QPaintDevice* Device, int FontPixelsPerInch);
    ~TCanvas() override;
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    TPen* Pen() { return &FPen; }
    TBrush* Brush() { return &FBrush; }
    TFont* Font() { return &FFont; }
    TPoint PenPos() const { return FPenPos; }
    void SetPenPos(TPoint P) { FPenPos = P; }

    void MoveTo(int X, int Y) { FPenPos = {X, Y}; }
    void LineTo(int X, int Y);
    void Rectangle(int X1, int Y1, int X2, int Y2);
    void Rectangle(const TRect& R) { Rectangle(R.Left, R.Top, R.Right, R.Bottom); }
    void FillRect(const TRect& R);
    void FrameRect(const TRect& R);
    void Ellipse(int X1, int Y1, int X2, int Y2);
    // Arc of the ellipse bounded by (X1,Y1)-(X2,Y2), counter-clockwise from the ray towards
    // (X3,Y3) to the ray towards (X4,Y4).
    void Arc(int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4);
    void Polygon(const std::vector<TPoint>& Points);
    void Polyline(const std::vector<TPoint>& Points);
    TColor Pixel(int X, int Y) const;
    void SetPixel(int X, int Y, TColor Color);
    // Sets the stamp's pixels around (X, Y) as SetPixel would, but writes a bitmap's memory
    // directly where it may (TStampRun sets many at once).
    void Stamp(const TPixelStamp& Stamp, int X, int Y, TColor Color);
    // The bitmap's memory where it may be written directly; empty where it may not (no bitmap,
    // a device pixel ratio other than 1, another pixel format, nothing visible).
    std::optional<TDirectPixels> DirectPixels();
    void TextOut(int X, int Y, const QString& Text);
    // Text clipped to R; the brush fills R first unless it is clear.
    void TextRect(const TRect& R, int X, int Y, const QString& Text);
    int TextWidth(const QString& Text);
    int TextHeight(const QString& Text);
    void Draw(int X, int Y, const TBitmap* Bitmap);
    void StretchDraw(const TRect& R, const TBitmap* Bitmap);
    void CopyRect(const TRect& Dest, TCanvas* Source, const TRect& SourceRect);
    // Restricts drawing to R until the clip is cleared.
    void SetClipRect(const TRect& R);
    void ClearClipRect();

    // Printer canvases draw some shapes with lines instead of pixel glyphs.
    bool IsPrinter() const { return FIsPrinter; }
    void SetIsPrinter(bool Value) { FIsPrinter = Value; }

    QImage* Target() const { return FTarget; }
    // Ends painting so the target image may be resized or replaced.
    void ReleaseTarget();
    void SetTarget(QImage* Target);

  private:
    friend class TPrinter;
    QPainter& Painter();
    QPainter& PreparedForLines();
    QPainter& PreparedForFill();
    QPainter& PreparedForShapes();
    void ApplyPenMode(QPainter& p) const;
    QPoint DevicePixel(int X, int Y) const;
    static void FrameDevicePixels(QPainter& p, const QRectF& Outer, double Width);
    QPen MakePen() const;
    // The font as the device draws it.
    QFont DeviceFont() const;
    // Pixels the device has: the bitmap's, or the paint device's.
    QRect DeviceRect() const;

    QImage* FTarget;
    QPaintDevice* FDevice = nullptr;
    // Where stamps write memory directly (empty: nowhere); worked out once per target and clip.
    std::optional<QRect> FStampArea;
    int FFontPixelsPerInch = TFont::PixelsPerInch;
    std::unique_ptr<QPainter> FPainter;
    TPen FPen;
    TBrush FBrush;
    TFont FFont;
    TPoint FPenPos;
    bool FIsPrinter = false;
    bool FClipped = false;
    TRect FClip;
    // The font last given to the painter: setting an equal one again re-resolves it.
    QFont FPainterFont;
    bool FPainterFontSet = false;
};

// Off-screen 32-bit bitmap with its own canvas.
class TBitmap : public TPersistent {
  public:
    TBitmap();
    ~TBitmap() override;
    // Sizes in logical pixels; the image holds DevicePixelRatio() device pixels per logical one.
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    void SetWidth(int Value) { SetSize(Value, Height()); }
    void SetHeight(int Value) { SetSize(Width(), Value); }
    void SetSize(int Width, int Height);
    double DevicePixelRatio() const { return FRatio; }
    // Reallocates for a screen of that density; drawing stays in logical pixels.
    void SetDevicePixelRatio(double Value);
    bool Empty() const { return FImage.isNull() || FWidth == 0 || FHeight == 0; }
    TCanvas* Canvas() { return &FCanvas; }
    const QImage& Image() const { return FImage; }
    // Loads any image format the toolkit reads; raises EInOutError when it cannot.
    void LoadFromFile(const QString& FileName);
    void Assign(TPersistent* Source) override;
    TNotifyEvent OnChange;

  private:
    void Reallocate(int Width, int Height, double Ratio);
    void Adopt(QImage Image);
    QImage FImage;
    TCanvas FCanvas;
    int FWidth = 0, FHeight = 0;
    double FRatio = 1.0;
};
