// Single pixels of a canvas: reading and setting them, and stamps, which write a bitmap's
// memory directly where the painter would store the same words.
#include "Graphics.h"

#include <algorithm>
#include <cmath>

// The first device pixel of logical pixel (X, Y).
QPoint TCanvas::DevicePixel(int X, int Y) const
{
    const double ratio = FTarget ? FTarget->devicePixelRatio() : 1.0;
    return ratio == 1.0 ? QPoint(X, Y)
                        : QPoint(int(std::floor(X * ratio)), int(std::floor(Y * ratio)));
}

TColor TCanvas::Pixel(int X, int Y) const
{
    const QPoint device = DevicePixel(X, Y);
    if (!FTarget || !FTarget->valid(device)) return 0xFFFFFFFF;
    const QRgb rgb = FTarget->pixel(device);
    return RGB(qRed(rgb), qGreen(rgb), qBlue(rgb));
}

void TCanvas::SetPixel(int X, int Y, TColor Color)
{
    QPainter& p = Painter();
    const bool inside = FTarget ? FTarget->valid(DevicePixel(X, Y)) : DeviceRect().contains(X, Y);
    if (!p.isActive() || !inside) return;
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.fillRect(QRect(X, Y, 1, 1), ToQColor(Color));
}

QRect TCanvas::DeviceRect() const
{
    if (FTarget) return QRect(QPoint(0, 0), FTarget->deviceIndependentSize().toSize());
    return FDevice ? QRect(0, 0, FDevice->width(), FDevice->height()) : QRect();
}

TPixelStamp::TPixelStamp(std::vector<TPoint> Points) : Offsets(std::move(Points))
{
    if (Offsets.empty()) return;
    std::stable_sort(Offsets.begin(), Offsets.end(),
                     [](const TPoint& A, const TPoint& B) { return A.Y < B.Y; });
    for (std::size_t i = 0; i < Offsets.size(); ++i) {
        if (Rows.empty() || Rows.back().Y != Offsets[i].Y) Rows.push_back({Offsets[i].Y, i});
        Rows.back().End = i + 1;
    }
    Bounds = Rect(Offsets[0].X, Offsets[0].Y, Offsets[0].X + 1, Offsets[0].Y + 1);
    for (const TPoint& p : Offsets) {
        Bounds.Left = std::min(Bounds.Left, p.X), Bounds.Right = std::max(Bounds.Right, p.X + 1);
        Bounds.Top = std::min(Bounds.Top, p.Y), Bounds.Bottom = std::max(Bounds.Bottom, p.Y + 1);
    }
}

std::optional<TDirectPixels> TCanvas::DirectPixels()
{
    if (!FStampArea) {
        // Formats in which the painter stores an opaque colour as the word OpaquePixel gives.
        const bool direct = FTarget && FTarget->devicePixelRatio() == 1.0 &&
                            (FTarget->format() == QImage::Format_RGB32 ||
                             FTarget->format() == QImage::Format_ARGB32 ||
                             FTarget->format() == QImage::Format_ARGB32_Premultiplied);
        QRect visible = DeviceRect();
        if (FClipped) visible &= FClip.ToQRect();
        FStampArea = direct ? visible : QRect();
    }
    if (FStampArea->isEmpty()) return std::nullopt;
    // Asked each time: writing detaches an image that has been shared since.
    return TDirectPixels{reinterpret_cast<QRgb*>(FTarget->bits()), FTarget->bytesPerLine() / 4,
                         *FStampArea};
}

void TCanvas::Stamp(const TPixelStamp& Stamp, int X, int Y, TColor Color)
{
    const std::optional<TDirectPixels> direct = DirectPixels();
    if (!direct || !direct->Holds(Stamp.Bounds, X, Y)) {
        for (const TPoint& p : Stamp.Offsets) SetPixel(X + p.X, Y + p.Y, Color);
        return;
    }
    const QRgb rgb = OpaquePixel(Color);
    std::size_t i = 0;
    for (const TPixelStamp::TRow& row : Stamp.Rows) {
        QRgb* line = direct->Row(Y + row.Y) + X;
        for (; i < row.End; ++i) line[Stamp.Offsets[i].X] = rgb;
    }
}

QColor ToQColor(TColor Color)
{
    const TColor c = ColorToRGB(Color);
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

TColor FromQColor(const QColor& Color)
{
    return RGB(Color.red(), Color.green(), Color.blue());
}
