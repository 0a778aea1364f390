// The bitmap behind a canvas: its size in logical pixels at a device pixel ratio, loading and
// copying.
#include "Graphics.h"

#include <algorithm>
#include <cmath>

TBitmap::TBitmap() : FCanvas(&FImage) {}
TBitmap::~TBitmap()
{
    FCanvas.ReleaseTarget();
}

void TBitmap::SetSize(int Width, int Height)
{
    Width = std::max(0, Width);
    Height = std::max(0, Height);
    if (Width == FWidth && Height == FHeight) return;
    Reallocate(Width, Height, FRatio);
    FireEvent(OnChange, this);
}

void TBitmap::SetDevicePixelRatio(double Value)
{
    if (!(Value > 0) || Value == FRatio) return;
    Reallocate(FWidth, FHeight, Value);
}

// Keeps what was drawn, scaled to the new density where that changed.
void TBitmap::Reallocate(int Width, int Height, double Ratio)
{
    FCanvas.ReleaseTarget();
    QImage resized;
    if (Width > 0 && Height > 0) {
        resized = QImage(int(std::ceil(Width * Ratio)), int(std::ceil(Height * Ratio)),
                         QImage::Format_RGB32);
        resized.setDevicePixelRatio(Ratio);
        resized.fill(Qt::white);
        if (!FImage.isNull()) {
            QPainter p(&resized);
            p.drawImage(0, 0, FImage);
        }
    }
    FImage = std::move(resized);
    FWidth = Width, FHeight = Height, FRatio = Ratio;
}

void TBitmap::Adopt(QImage Image)
{
    FCanvas.ReleaseTarget();
    FImage = std::move(Image);
    FRatio = FImage.devicePixelRatio();
    FWidth = int(std::lround(FImage.width() / FRatio));
    FHeight = int(std::lround(FImage.height() / FRatio));
    FireEvent(OnChange, this);
}

void TBitmap::LoadFromFile(const QString& FileName)
{
    QImage loaded(FileName);
    if (loaded.isNull())
        throw EInOutError(QStringLiteral("Cannot load bitmap \"%1\"").arg(FileName));
    Adopt(loaded.convertToFormat(QImage::Format_RGB32));
}

void TBitmap::Assign(TPersistent* Source)
{
    if (auto* bitmap = dynamic_cast<TBitmap*>(Source)) {
        Adopt(bitmap->FImage.copy());
        return;
    }
    TPersistent::Assign(Source);
}
