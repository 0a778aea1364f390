// The chart's item store: one fixed-size record per drawing command, kept by value in a
// contiguous array that grows without copying, plus the table of texts too long for a record.
#pragma once

#include "Colors.h"
#include "Graphics.h"
#include "ZEV_kurvex_base.h"

#include <QString>
#include <array>
#include <cstddef>
#include <cstdint>
#include <type_traits>

enum TkxItemKind : std::uint8_t {
    ikNone = 0,
    ikMark = 1,
    ikLine = 2,
    ikLineTo = 3,
    ikRect = 4,
    ikFilledRect = 5,
    ikBar3D = 6,
    ikText = 7,
    ikMoveTo = 8,
    ikEllipse = 9,
    // 10 and 11 are never drawn
    ikMoveRel = 12,
    ikLineRel = 13,
    ikArrow = 14,
    ikArrow2 = 15,
    ikTextOffset = 16,
    ikBox = 17,
    ikErrorBar = 18,
    ikShiftedLine = 19,
    ikArc = 20,
    ikVector = 21,
    ikVertLine = 22,
    ikHorizLine = 23,
    ikCross = 24
};

// How the two points of an item are given: world units of the item's layer or pixels from the
// top left corner of the plot area.
enum TkxCoordMode : std::uint8_t {
    cmWorld = 0,           // both points in world units
    cmPixels = 1,          // both points in pixels
    cmWorldThenPixels = 2, // first point world, second pixels
    cmPixelsThenWorld = 3, // first point pixels, second world
    cmPixelXWorldY = 4,    // single point: x in pixels, y in world units
    cmWorldXPixelY = 5     // single point: x in world units, y in pixels
};

enum TTextBkg : std::uint8_t { tbClear, tbSolid };

// Text kinds keep up to this many characters in the record itself.
constexpr int kxShortTextLength = 15;
// Each item list holds this many longer texts whole.
constexpr int kxMaxLongTexts = 50;

struct TkxShortText {
    std::uint8_t Length;
    char16_t Chars[kxShortTextLength];

    QString ToString() const { return QString(reinterpret_cast<const QChar*>(Chars), Length); }
    // Keeps the first kxShortTextLength characters.
    void Assign(const QString& Text);
};

// One drawing command. The meaning of the generic fields depends on Kind; fields a command does
// not set stay 0.
struct TkxChartItem {
    double X, Y;       // anchor or first point
    double X2, Y2;     // second point, or an extent or pixel offset
    TColor Color;      // pen and text colour
    TColor FillColor;  // fill and text background
    TColor EdgeColor1; // edges of filled rectangles with an edge style
    TColor EdgeColor2;
    TPenStyle PenStyle;
    std::int32_t Tag;       // the caller's; never interpreted
    std::int32_t LineWidth; // pen width; text kinds: 0 = Text, 1..50 = long-text entry
    std::uint8_t ClassNo;   // 0..254
    TkxItemKind Kind;
    std::int32_t Layer; // 1..16
    std::uint8_t NoFill;
    std::uint8_t EdgeStyle;
    TkxShortText Text;
    std::int32_t Param1; // texts: font size
    std::int32_t Param2; // texts: background style (TTextBkg)
    std::int32_t
        Param3; // marks and error bars: mark type; texts: alignment 0 left 1 right 2 centre
    TkxCoordMode CoordMode;
};
static_assert(std::is_trivially_copyable_v<TkxChartItem>);
static_assert(std::is_standard_layout_v<TkxChartItem>);

using TLongTextArray = std::array<QString, kxMaxLongTexts>;

// What drawing a mark in world units takes of its record, packed into a fifth of its bytes: a
// chart draws marks by the million, and reading whole records would be most of the work. Layer 0
// marks an item of another kind or mode (or with fields out of these ranges), which only its
// record describes.
struct TkxPackedMark {
    double X, Y;
    TColor Color;
    std::uint8_t Mark; // the record's Param3 as a mark type
    std::uint8_t ClassNo;
    std::uint8_t Layer; // 1..kxMaxLayer, or 0
    std::uint8_t LineWidth;

    friend bool operator==(const TkxPackedMark&, const TkxPackedMark&) = default;
    static TkxPackedMark Of(const TkxChartItem& Item)
    {
        const bool plain = Item.Kind == ikMark && Item.CoordMode == cmWorld && Item.Layer >= 1 &&
                           Item.Layer <= kxMaxLayer && Item.LineWidth >= 0 && Item.LineWidth <= 255;
        if (!plain) return {};
        return {Item.X,
                Item.Y,
                Item.Color,
                std::uint8_t(Item.Param3),
                Item.ClassNo,
                std::uint8_t(Item.Layer),
                std::uint8_t(Item.LineWidth)};
    }
};
static_assert(sizeof(TkxPackedMark) == 24);

// Anonymous memory that grows by remapping its pages, not copying them.
class TkxMappedBlock {
  public:
    TkxMappedBlock() = default;
    ~TkxMappedBlock();
    TkxMappedBlock(const TkxMappedBlock&) = delete;
    TkxMappedBlock& operator=(const TkxMappedBlock&) = delete;

    void* Data() const { return FData; }
    std::size_t Bytes() const { return FBytes; }
    // At least Bytes, in whole pages, the contents kept; std::bad_alloc when the memory is not
    // there, the block unchanged.
    void Reserve(std::size_t Bytes);
    // The pages go back to the system, which takes them only when it needs them.
    void Discard();

  private:
    void* FData = nullptr;
    std::size_t FBytes = 0;
};

// An append-only list of items with a capacity that grows in caller-chosen steps. The records
// live in one contiguous block of anonymous memory that is remapped, not copied, when it grows,
// so a million appends take linear time and the block stays close to the capacity in size. A
// second block holds each item's packed mark, index for index.
class TkxItemList {
  public:
    TkxItemList() = default;
    TkxItemList(const TkxItemList&) = delete;
    TkxItemList& operator=(const TkxItemList&) = delete;

    int Count() const { return FCount; }
    int Capacity() const { return FCapacity; }
    const TkxChartItem& operator[](int Index) const { return FItems[Index]; }
    const TkxChartItem* begin() const { return FItems; }
    const TkxChartItem* end() const { return FItems + FCount; }
    // Count() packed marks, one for each item.
    const TkxPackedMark* PackedMarks() const { return FPacked; }

    // Item at the end of the list. When the list is full the capacity first grows by AllocSize;
    // running out of memory raises std::bad_alloc and keeps the items.
    void Append(const TkxChartItem& Item, int AllocSize)
    {
        if (FCount >= FCapacity) Grow(AllocSize);
        FPacked[FCount] = TkxPackedMark::Of(Item);
        FItems[FCount++] = Item;
    }
    // Count and capacity 0; the long texts stay. The pages go back to the system, which takes
    // them only when it needs them, so a list filled again at once does not fault them in anew.
    void Clear();
    // This list becomes a copy of Source: its items, with the capacity rounded up to a multiple
    // of AllocSize, and its long texts.
    void CopyFrom(const TkxItemList& Source, int AllocSize);

    int LongTextCount() const { return FLongTextCount; }
    // Entry 1..50; others give an empty string.
    QString LongText(int Entry) const;
    // The first 15 characters go into the record; a longer text is kept whole in the next free
    // long-text entry, whose number goes into LineWidth, while entries are left.
    void StoreText(TkxChartItem& Item, const QString& Text);

    // Bytes the records and packed marks occupy, reserved room included.
    std::size_t ReservedBytes() const { return FItemBlock.Bytes() + FPackedBlock.Bytes(); }

  private:
    void Grow(int AllocSize);
    void Reserve(std::size_t Records);

    TkxMappedBlock FItemBlock, FPackedBlock;
    TkxChartItem* FItems = nullptr;
    TkxPackedMark* FPacked = nullptr;
    int FCount = 0;
    int FCapacity = 0;
    TLongTextArray FLongTexts;
    int FLongTextCount = 0;
};
