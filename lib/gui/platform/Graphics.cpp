// Pen, brush and font, and the canvas's lines, shapes, text and bitmaps over QPainter.
#include "Graphics.h"

#include <QFontMetrics>
#include <QPolygon>
#include <QRegion>
#include <algorithm>
#include <cmath>

// ---- pen, brush, font ------------------------------------------------------------------------

void TPen::SetColor(TColor Value)
{
    FColor = Value, Changed();
}
void TPen::SetStyle(TPenStyle Value)
{
    FStyle = Value, Changed();
}
void TPen::SetWidth(int Value)
{
    FWidth = Value < 0 ? 0 : Value, Changed();
}
void TPen::SetMode(TPenMode Value)
{
    FMode = Value, Changed();
}
void TPen::Assign(TPersistent* Source)
{
    if (auto* pen = dynamic_cast<TPen*>(Source)) {
        FColor = pen->FColor, FStyle = pen->FStyle, FWidth = pen->FWidth, FMode = pen->FMode;
        Changed();
        return;
    }
    TGraphicsObject::Assign(Source);
}

void TBrush::SetColor(TColor Value)
{
    FColor = Value;
    if (FStyle == bsClear) FStyle = bsSolid; // a colour makes a clear brush solid again
    Changed();
}
void TBrush::SetStyle(TBrushStyle Value)
{
    FStyle = Value, Changed();
}
void TBrush::Assign(TPersistent* Source)
{
    if (auto* brush = dynamic_cast<TBrush*>(Source)) {
        FColor = brush->FColor, FStyle = brush->FStyle;
        Changed();
        return;
    }
    TGraphicsObject::Assign(Source);
}

void TFont::SetName(const QString& Value)
{
    FName = Value, Changed();
}
void TFont::SetHeight(int Value)
{
    FHeight = Value, Changed();
}
int TFont::Size() const
{
    return -static_cast<int>(std::lround(FHeight * 72.0 / PixelsPerInch));
}
void TFont::SetSize(int Value)
{
    FHeight = -static_cast<int>(std::lround(Value * double(PixelsPerInch) / 72.0));
    Changed();
}
void TFont::SetColor(TColor Value)
{
    FColor = Value, Changed();
}
void TFont::SetStyle(TFontStyles Value)
{
    FStyle = Value, Changed();
}
void TFont::Assign(TPersistent* Source)
{
    if (auto* font = dynamic_cast<TFont*>(Source)) {
        FName = font->FName, FHeight = font->FHeight, FColor = font->FColor, FStyle = font->FStyle;
        Changed();
        return;
    }
    TGraphicsObject::Assign(Source);
}

QFont TFont::ToQFont() const
{
    if (FCacheValid && FCachedName == FName && FCachedHeight == FHeight && FCachedStyle == FStyle)
        return FCachedFont;
    QFont f;
    // Missing classic families fall back to Liberation Sans, which keeps their text widths.
    f.setFamilies({FName, QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans"),
                   QStringLiteral("sans-serif")});
    f.setStyleHint(QFont::SansSerif);
    // A positive height includes the internal leading, about a fifth of the character cell.
    const int pixels = FHeight < 0 ? -FHeight : std::max(1, FHeight * 4 / 5);
    f.setPixelSize(std::max(1, pixels));
    f.setBold(FStyle & fsBold);
    f.setItalic(FStyle & fsItalic);
    f.setUnderline(FStyle & fsUnderline);
    f.setStrikeOut(FStyle & fsStrikeOut);
    FCachedFont = f, FCachedName = FName, FCachedHeight = FHeight, FCachedStyle = FStyle;
    FCacheValid = true;
    return f;
}

// ---- canvas ----------------------------------------------------------------------------------

TCanvas::TCanvas(QImage* Target) : FTarget(Target) {}
TCanvas::TCanvas(QPaintDevice* Device, int FontPixelsPerInch)
    : FTarget(nullptr), FDevice(Device), FFontPixelsPerInch(FontPixelsPerInch)
{
}
TCanvas::~TCanvas()
{
    ReleaseTarget();
}

void TCanvas::ReleaseTarget()
{
    FPainter.reset();
    FStampArea.reset();
}

void TCanvas::SetTarget(QImage* Target)
{
    ReleaseTarget();
    FTarget = Target;
}

QPainter& TCanvas::Painter()
{
    if (!FPainter) {
        FPainter = std::make_unique<QPainter>();
        FPainterFontSet = false;
        QPaintDevice* device = FTarget && !FTarget->isNull() ? FTarget : FDevice;
        if (device) {
            FPainter->begin(device);
            FPainter->setRenderHint(QPainter::Antialiasing, false);
            FPainter->setRenderHint(QPainter::TextAntialiasing, true);
            if (FClipped) FPainter->setClipRect(FClip.ToQRect());
        }
    }
    return *FPainter;
}

void TCanvas::SetClipRect(const TRect& R)
{
    FStampArea.reset();
    FClipped = true;
    FClip = R;
    if (FPainter && FPainter->isActive()) FPainter->setClipRect(R.ToQRect());
}

void TCanvas::ClearClipRect()
{
    FStampArea.reset();
    FClipped = false;
    if (FPainter && FPainter->isActive()) FPainter->setClipping(false);
}

QPen TCanvas::MakePen() const
{
    if (FPen.Style() == psClear || FPen.Mode() == pmNop) return QPen(Qt::NoPen);
    QColor color = ToQColor(FPen.Color());
    if (FPen.Mode() == pmBlack) color = Qt::black;
    if (FPen.Mode() == pmWhite) color = Qt::white;
    QPen pen(color);
    const int width = std::max(1, FPen.Width());
    pen.setWidth(width);
    pen.setCosmetic(width == 1);
    // A flat cap leaves out the end pixel of a one-pixel line, as LineTo does.
    pen.setCapStyle(width == 1 ? Qt::FlatCap : Qt::RoundCap);
    pen.setJoinStyle(Qt::MiterJoin);
    // Dashes in pixels; as on the classic platform, pens wider than one pixel draw solid.
    if (width == 1 && FPen.Style() != psSolid && FPen.Style() != psInsideFrame) {
        switch (FPen.Style()) {
        case psDash:
            pen.setDashPattern({18, 6});
            break;
        case psDot:
            pen.setDashPattern({3, 3});
            break;
        case psDashDot:
            pen.setDashPattern({9, 6, 3, 6});
            break;
        default:
            pen.setDashPattern({9, 3, 3, 3, 3, 3});
            break;
        }
    }
    return pen;
}

void TCanvas::ApplyPenMode(QPainter& p) const
{
    switch (FPen.Mode()) {
    case pmXor:
        p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        break;
    case pmNotXor:
        p.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
        break;
    case pmNot:
        p.setCompositionMode(QPainter::RasterOp_NotDestination);
        break;
    case pmNotCopy:
        p.setCompositionMode(QPainter::RasterOp_NotSource);
        break;
    case pmMerge:
        p.setCompositionMode(QPainter::RasterOp_SourceOrDestination);
        break;
    case pmMask:
        p.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
        break;
    default:
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        break;
    }
}

QPainter& TCanvas::PreparedForLines()
{
    QPainter& p = Painter();
    p.setPen(MakePen());
    p.setBrush(Qt::NoBrush);
    ApplyPenMode(p);
    return p;
}

QPainter& TCanvas::PreparedForShapes()
{
    QPainter& p = PreparedForLines();
    if (FBrush.Style() == bsClear) return p;
    static constexpr Qt::BrushStyle patterns[] = {
        Qt::SolidPattern, Qt::NoBrush,      Qt::HorPattern,   Qt::VerPattern,
        Qt::FDiagPattern, Qt::BDiagPattern, Qt::CrossPattern, Qt::DiagCrossPattern};
    p.setBrush(QBrush(ToQColor(FBrush.Color()), patterns[FBrush.Style()]));
    return p;
}

QPainter& TCanvas::PreparedForFill()
{
    QPainter& p = Painter();
    p.setPen(Qt::NoPen);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    return p;
}

void TCanvas::LineTo(int X, int Y)
{
    QPainter& p = PreparedForLines();
    const int dx = X - FPenPos.X, dy = Y - FPenPos.Y;
    if (p.isActive() && (dx != 0 || dy != 0)) {
        // The toolkit's one-pixel line leaves out the pixel with the larger major coordinate, so
        // a line heading left (or up, when steep) would lose its start instead of its end. Such a
        // line is drawn with both ends and the end pixel clipped away.
        const bool xMajor = std::abs(dx) >= std::abs(dy);
        if (FPen.Width() <= 1 && (xMajor ? dx < 0 : dy < 0)) {
            p.save();
            const QRegion keep(FClipped ? FClip.ToQRect() : DeviceRect());
            p.setClipRegion(keep.subtracted(QRegion(X, Y, 1, 1)));
            QPen pen = p.pen();
            pen.setCapStyle(Qt::SquareCap);
            p.setPen(pen);
            p.drawLine(FPenPos.X, FPenPos.Y, X, Y);
            p.restore();
        } else {
            p.drawLine(FPenPos.X, FPenPos.Y, X, Y);
        }
    }
    FPenPos = {X, Y};
}

void TCanvas::Rectangle(int X1, int Y1, int X2, int Y2)
{
    if (X2 < X1) std::swap(X1, X2);
    if (Y2 < Y1) std::swap(Y1, Y2);
    QPainter& p = PreparedForShapes();
    if (!p.isActive() || X2 - X1 < 1 || Y2 - Y1 < 1) return;
    const bool outlined = p.pen().style() != Qt::NoPen;
    if (outlined && FPen.Width() > 1) {
        p.drawRect(QRectF(X1, Y1, X2 - X1 - 1, Y2 - Y1 - 1));
        return;
    }
    // A one-pixel outline is one device pixel on the rectangle's outer edge; the fill takes the
    // rest, so that on dense screens the two meet without a seam and xor modes touch each pixel
    // once.
    const double ratio = FTarget ? FTarget->devicePixelRatio() : 1.0; // a printer dot is a pixel
    const double inset = outlined ? 1.0 / ratio : 0.0;
    const QRectF outer(X1, Y1, X2 - X1, Y2 - Y1);
    const QRectF inner = outer.adjusted(inset, inset, -inset, -inset);
    if (p.brush().style() != Qt::NoBrush && inner.isValid()) p.fillRect(inner, p.brush());
    if (!outlined) return;
    p.setBrush(Qt::NoBrush);
    if (X2 - X1 == 1 || Y2 - Y1 == 1) // degenerate: a single row or column of pixels
        p.fillRect(outer, p.pen().color());
    else if (ratio == 1.0 || FPen.Style() != psSolid)
        p.drawRect(QRect(X1, Y1, X2 - X1 - 1, Y2 - Y1 - 1));
    else
        FrameDevicePixels(p, outer, inset);
}

// The four edges of Outer, Width thick, as fills that do not overlap at the corners.
void TCanvas::FrameDevicePixels(QPainter& p, const QRectF& Outer, double Width)
{
    const QColor c = p.pen().color();
    p.fillRect(QRectF(Outer.left(), Outer.top(), Outer.width(), Width), c);
    p.fillRect(QRectF(Outer.left(), Outer.bottom() - Width, Outer.width(), Width), c);
    const double sideHeight = Outer.height() - 2 * Width;
    p.fillRect(QRectF(Outer.left(), Outer.top() + Width, Width, sideHeight), c);
    p.fillRect(QRectF(Outer.right() - Width, Outer.top() + Width, Width, sideHeight), c);
}

void TCanvas::FillRect(const TRect& R)
{
    if (FBrush.Style() == bsClear) return;
    QPainter& p = PreparedForFill();
    if (p.isActive()) p.fillRect(R.ToQRect(), ToQColor(FBrush.Color()));
}

void TCanvas::FrameRect(const TRect& R)
{
    QPainter& p = PreparedForFill();
    if (!p.isActive() || R.Width() <= 0 || R.Height() <= 0) return;
    const QColor c = ToQColor(FBrush.Color());
    p.fillRect(QRect(R.Left, R.Top, R.Width(), 1), c);
    p.fillRect(QRect(R.Left, R.Bottom - 1, R.Width(), 1), c);
    p.fillRect(QRect(R.Left, R.Top, 1, R.Height()), c);
    p.fillRect(QRect(R.Right - 1, R.Top, 1, R.Height()), c);
}

void TCanvas::Ellipse(int X1, int Y1, int X2, int Y2)
{
    if (X2 < X1) std::swap(X1, X2);
    if (Y2 < Y1) std::swap(Y1, Y2);
    QPainter& p = PreparedForShapes();
    if (p.isActive() && X2 > X1 && Y2 > Y1) p.drawEllipse(QRect(X1, Y1, X2 - X1 - 1, Y2 - Y1 - 1));
}

void TCanvas::Arc(int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4)
{
    QPainter& p = PreparedForLines();
    if (!p.isActive()) return;
    const double cx = (X1 + X2) / 2.0, cy = (Y1 + Y2) / 2.0;
    constexpr double degrees = 180.0 / 3.14159265358979323846;
    const double start = std::atan2(cy - Y3, X3 - cx) * degrees;
    double span = std::atan2(cy - Y4, X4 - cx) * degrees - start;
    while (span <= 0) span += 360.0;
    p.drawArc(QRect(X1, Y1, X2 - X1 - 1, Y2 - Y1 - 1), int(std::lround(start * 16)),
              int(std::lround(span * 16)));
}

namespace {
QPolygon ToQPolygon(const std::vector<TPoint>& Points)
{
    QPolygon polygon;
    polygon.reserve(int(Points.size()));
    for (const TPoint& pt : Points) polygon << QPoint(pt.X, pt.Y);
    return polygon;
}
} // namespace

void TCanvas::Polygon(const std::vector<TPoint>& Points)
{
    QPainter& p = PreparedForShapes();
    if (!p.isActive() || Points.empty()) return;
    if (FPen.Width() > 1) {
        p.drawPolygon(ToQPolygon(Points));
        return;
    }
    // The toolkit's one-pixel outline drops some vertex pixels; the outline is drawn as closed
    // LineTo segments instead, which set every vertex.
    if (p.brush().style() != Qt::NoBrush) {
        p.setPen(Qt::NoPen);
        p.drawPolygon(ToQPolygon(Points));
    }
    const TPoint penPos = FPenPos;
    MoveTo(Points.front().X, Points.front().Y);
    for (std::size_t i = 1; i < Points.size(); ++i) LineTo(Points[i].X, Points[i].Y);
    LineTo(Points.front().X, Points.front().Y);
    FPenPos = penPos;
}

void TCanvas::Polyline(const std::vector<TPoint>& Points)
{
    if (Points.size() < 2) return;
    // As successive LineTo calls, so that only the last end pixel is left out.
    const TPoint penPos = FPenPos;
    MoveTo(Points.front().X, Points.front().Y);
    for (std::size_t i = 1; i < Points.size(); ++i) LineTo(Points[i].X, Points[i].Y);
    FPenPos = penPos;
}

QFont TCanvas::DeviceFont() const
{
    QFont font = FFont.ToQFont();
    if (FFontPixelsPerInch != TFont::PixelsPerInch)
        font.setPixelSize(std::max(1, int(std::lround(double(font.pixelSize()) *
                                                      FFontPixelsPerInch / TFont::PixelsPerInch))));
    return font;
}

void TCanvas::TextOut(int X, int Y, const QString& Text)
{
    QPainter& p = PreparedForFill();
    if (!p.isActive()) {
        FPenPos = {X + TextWidth(Text), Y};
        return;
    }
    const QFont font = DeviceFont();
    if (!FPainterFontSet || !(FPainterFont == font)) {
        p.setFont(font);
        FPainterFont = font;
        FPainterFontSet = true;
    }
    const QFontMetrics fm = p.fontMetrics();
    const int width = fm.horizontalAdvance(Text);
    if (FBrush.Style() != bsClear)
        p.fillRect(QRect(X, Y, width, fm.height()), ToQColor(FBrush.Color()));
    p.setPen(ToQColor(FFont.Color()));
    p.drawText(QPoint(X, Y + fm.ascent()), Text);
    FPenPos = {X + width, Y};
}

void TCanvas::TextRect(const TRect& R, int X, int Y, const QString& Text)
{
    QPainter& p = PreparedForFill();
    if (!p.isActive()) return;
    if (FBrush.Style() != bsClear) p.fillRect(R.ToQRect(), ToQColor(FBrush.Color()));
    p.save();
    p.setClipRect(R.ToQRect(), FClipped ? Qt::IntersectClip : Qt::ReplaceClip);
    p.setFont(DeviceFont());
    p.setPen(ToQColor(FFont.Color()));
    p.drawText(QPoint(X, Y + p.fontMetrics().ascent()), Text);
    p.restore();
}

int TCanvas::TextWidth(const QString& Text)
{
    return QFontMetrics(DeviceFont()).horizontalAdvance(Text);
}

int TCanvas::TextHeight(const QString&)
{
    return QFontMetrics(DeviceFont()).height();
}

void TCanvas::Draw(int X, int Y, const TBitmap* Bitmap)
{
    QPainter& p = PreparedForFill();
    if (p.isActive() && Bitmap && !Bitmap->Empty()) p.drawImage(QPoint(X, Y), Bitmap->Image());
}

void TCanvas::StretchDraw(const TRect& R, const TBitmap* Bitmap)
{
    QPainter& p = PreparedForFill();
    if (p.isActive() && Bitmap && !Bitmap->Empty()) p.drawImage(R.ToQRect(), Bitmap->Image());
}

void TCanvas::CopyRect(const TRect& Dest, TCanvas* Source, const TRect& SourceRect)
{
    QPainter& p = PreparedForFill();
    if (!p.isActive() || !Source || !Source->FTarget) return;
    p.setCompositionMode(QPainter::CompositionMode_Source);
    // The source rectangle counts the source's device pixels.
    const double ratio = Source->FTarget->devicePixelRatio();
    const QRectF source = SourceRect.ToQRect().toRectF();
    p.drawImage(Dest.ToQRect().toRectF(), *Source->FTarget,
                QRectF(source.topLeft() * ratio, source.size() * ratio));
}
