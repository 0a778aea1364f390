// Pixel stamps gathered in drawing order and set together: a chart sets its marks by the
// million this way.
#pragma once

#include "Graphics.h"

#include <cstdint>
#include <vector>

// Leaves the pixels that TCanvas::Stamp calls in the same order would leave. When many stamps
// come together, one that a later stamp of the same pattern at the same anchor covers whole is
// left out (for the first patterns of a run); the rest write the bitmap's memory where the canvas
// allows that. Keeps its memory from run to run, so that a repeated drawing does not fault in fresh
// pages.
class TStampRun {
  public:
    // Starts a run onto Canvas; stamps of an earlier run not yet set are dropped.
    void Start(TCanvas* Canvas);
    void Add(const TPixelStamp& Stamp, int X, int Y, TColor Color)
    {
        if (X != std::int16_t(X) || Y != std::int16_t(Y)) return SetFar(Stamp, X, Y, Color);
        if (&Stamp != FLastPattern || FPlaced.size() >= PlacedLimit) UsePattern(Stamp);
        if (Color != FLastColor) FLastColor = Color, FLastPixel = OpaquePixel(Color);
        FPlaced.push_back(
            {std::int16_t(X), std::int16_t(Y), FLastSlot << 24 | (FLastPixel & 0xFFFFFF)});
    }
    // Sets the stamps added since the last Flush, in the order added.
    void Flush();
    bool Empty() const { return FPlaced.empty(); }

  private:
    // Stamps held at most before they are set: 8 MB.
    static constexpr std::size_t PlacedLimit = std::size_t(1) << 20;
    // A stamp to set: its anchor, its pattern's slot in the top byte and its pixel below. Anchors
    // of drawings stay within 16 bits, so that a million stamps take little memory to go through.
    struct TPlaced {
        std::int16_t X, Y;
        std::uint32_t SlotAndPixel;
    };
    // A pattern as this run's bitmap takes it: word offsets of its pixels from the anchor.
    struct TPattern {
        const TPixelStamp* Stamp;
        std::vector<qsizetype> Offsets;
    };
    void UsePattern(const TPixelStamp& Stamp);
    // A stamp whose anchor is beyond 16 bits, set at once after those before it.
    void SetFar(const TPixelStamp& Stamp, int X, int Y, TColor Color);
    // The stamps that no later one covers, last first, in the first entries of FKept; how many.
    std::size_t KeepUncovered(const QRect& Area);
    void SetDirect(const TDirectPixels& Pixels, const TPlaced& Placed) const;

    TCanvas* FCanvas = nullptr;
    std::vector<TPlaced> FPlaced;
    std::vector<TPattern> FPatterns; // by slot
    const TPixelStamp* FLastPattern = nullptr;
    std::uint32_t FLastSlot = 0;
    TColor FLastColor = 0;
    QRgb FLastPixel = OpaquePixel(0);
    // One bit per anchor pixel of the area and per slot of the first few: whether a later stamp
    // of that pattern sits there.
    std::vector<std::uint64_t> FSeen;
    std::vector<TPlaced> FKept;
};
