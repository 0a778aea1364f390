// Stamps set together: leaving out the covered ones, then writing memory or asking the canvas.
#include "StampRun.h"

#include <algorithm>

namespace {
// Slots fit the top byte.
constexpr std::size_t SlotLimit = 256;
// Patterns whose covered stamps are looked for: a bit plane of the area each.
constexpr std::uint32_t CulledSlots = 4;
// Looking for covered stamps pays once they are this dense: one per this many pixels.
constexpr qsizetype PixelsPerStampToCull = 16;
} // namespace

void TStampRun::Start(TCanvas* Canvas)
{
    FCanvas = Canvas;
    FPlaced.clear();
    FPatterns.clear();
    FLastPattern = nullptr;
    FLastColor = 0;
    FLastPixel = OpaquePixel(0);
}

void TStampRun::UsePattern(const TPixelStamp& Stamp)
{
    if (FPlaced.size() >= PlacedLimit) Flush();
    std::size_t slot = 0;
    while (slot < FPatterns.size() && FPatterns[slot].Stamp != &Stamp) ++slot;
    if (slot == SlotLimit) {
        Flush();
        slot = 0;
    }
    if (slot == FPatterns.size()) FPatterns.push_back({&Stamp, {}});
    FLastPattern = &Stamp;
    FLastSlot = std::uint32_t(slot);
}

void TStampRun::SetFar(const TPixelStamp& Stamp, int X, int Y, TColor Color)
{
    Flush();
    if (FCanvas) FCanvas->Stamp(Stamp, X, Y, Color);
}

void TStampRun::Flush()
{
    if (FPlaced.empty()) return;
    if (!FCanvas) return Start(FCanvas);
    const std::optional<TDirectPixels> pixels = FCanvas->DirectPixels();
    if (!pixels) {
        for (const TPlaced& p : FPlaced) {
            const QRgb rgb = p.SlotAndPixel;
            FCanvas->Stamp(*FPatterns[rgb >> 24].Stamp, p.X, p.Y,
                           RGB(qRed(rgb), qGreen(rgb), qBlue(rgb)));
        }
        return Start(FCanvas);
    }
    for (TPattern& pattern : FPatterns) {
        pattern.Offsets.clear();
        for (const TPoint& o : pattern.Stamp->Offsets)
            pattern.Offsets.push_back(o.Y * pixels->Stride + o.X);
    }
    if (qsizetype(FPlaced.size()) * PixelsPerStampToCull >=
        qsizetype(pixels->Area.width()) * pixels->Area.height()) {
        for (std::size_t k = KeepUncovered(pixels->Area); k-- > 0;) SetDirect(*pixels, FKept[k]);
    } else {
        for (const TPlaced& p : FPlaced) SetDirect(*pixels, p);
    }
    Start(FCanvas);
}

// Walks the stamps from the last: one whose pattern a later stamp at its anchor shares is
// covered by it.
std::size_t TStampRun::KeepUncovered(const QRect& Area)
{
    const auto width = static_cast<long long>(Area.width());
    const auto height = static_cast<long long>(Area.height());
    const auto planeWords = std::size_t(width * height + 63) / 64;
    FSeen.assign(planeWords * std::min<std::size_t>(FPatterns.size(), CulledSlots), 0);
    // Only ever grown: filling it afresh each time would cost as much as the walk.
    if (FKept.size() < FPlaced.size()) FKept.resize(FPlaced.size());
    std::size_t kept = 0;
    for (std::size_t i = FPlaced.size(); i-- > 0;) {
        const TPlaced& p = FPlaced[i];
        const std::uint32_t slot = p.SlotAndPixel >> 24;
        const long long x = static_cast<long long>(p.X) - Area.left();
        const long long y = static_cast<long long>(p.Y) - Area.top();
        FKept[kept] = p;
        if (slot >= CulledSlots || x < 0 || y < 0 || x >= width || y >= height) {
            ++kept;
            continue;
        }
        // Without a branch: which way it goes cannot be guessed.
        const auto bit = std::size_t(y * width + x);
        std::uint64_t& word = FSeen[slot * planeWords + bit / 64];
        const std::uint64_t mask = std::uint64_t(1) << (bit % 64);
        kept += (word & mask) == 0;
        word |= mask;
    }
    return kept;
}

void TStampRun::SetDirect(const TDirectPixels& Pixels, const TPlaced& Placed) const
{
    const TPattern& pattern = FPatterns[Placed.SlotAndPixel >> 24];
    const QRgb pixel = Placed.SlotAndPixel | 0xFF000000u;
    if (Pixels.Holds(pattern.Stamp->Bounds, Placed.X, Placed.Y)) {
        QRgb* anchor = Pixels.Row(Placed.Y) + Placed.X;
        for (const qsizetype offset : pattern.Offsets) anchor[offset] = pixel;
        return;
    }
    for (const TPoint& o : pattern.Stamp->Offsets) {
        const long long x = static_cast<long long>(Placed.X) + o.X;
        const long long y = static_cast<long long>(Placed.Y) + o.Y;
        if (x >= Pixels.Area.left() && x <= Pixels.Area.right() && y >= Pixels.Area.top() &&
            y <= Pixels.Area.bottom())
            Pixels.Row(int(y))[x] = pixel;
    }
}
