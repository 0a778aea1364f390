// The chart's item store: one fixed-size record per drawing command, kept by value in a
// contiguous array that grows without copying, plus the table of texts too long for a record.
#pragma once

#include "Colors.h"
#include "Graphics.h"

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

// An append-only list of items with a capacity that grows in caller-chosen steps. The records
// live in one contiguous block of anonymous memory that is remapped, not copied, when it grows,
// so a million appends take linear time and the block stays close to the capacity in size.
class TkxItemList {
  public:
    TkxItemList() = default;
    ~TkxItemList();
    TkxItemList(const TkxItemList&) = delete;
    TkxItemList& operator=(const TkxItemList&) = delete;

    int Count() const { return FCount; }
    int Capacity() const { return FCapacity; }
    const TkxChartItem& operator[](int Index) const { return FItems[Index]; }
    const TkxChartItem* begin() const { return FItems; }
    const TkxChartItem* end() const { return FItems + FCount; }

    // Item at the end of the list. When the list is full the capacity first grows by AllocSize;
    // running out of memory raises std::bad_alloc and keeps the items.
    void Append(const TkxChartItem& Item, int AllocSize)
    {
        if (FCount >= FCapacity) Grow(AllocSize);
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

    // Bytes the records occupy, reserved room included.
    std::size_t ReservedBytes() const { return FReservedBytes; }

  private:
    void Grow(int AllocSize);
    void Reserve(std::size_t Records);

    TkxChartItem* FItems = nullptr;
    int FCount = 0;
    int FCapacity = 0;
    std::size_t FReservedBytes = 0;
    TLongTextArray FLongTexts;
    int FLongTextCount = 0;
};
