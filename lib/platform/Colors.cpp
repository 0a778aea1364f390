#include "Colors.h"

#include <array>

namespace {
// The classic desktop scheme, fixed so that drawings do not depend on the desktop's theme.
constexpr std::array<TColor, 25> SystemColors = {
    RGB(200, 200, 200), RGB(58, 110, 165),  RGB(10, 36, 106),   RGB(128, 128, 128),
    RGB(240, 240, 240), RGB(255, 255, 255), RGB(100, 100, 100), RGB(0, 0, 0),
    RGB(0, 0, 0),       RGB(255, 255, 255), RGB(180, 180, 180), RGB(244, 247, 252),
    RGB(171, 171, 171), RGB(0, 120, 215),   RGB(255, 255, 255), RGB(240, 240, 240),
    RGB(160, 160, 160), RGB(109, 109, 109), RGB(0, 0, 0),       RGB(67, 78, 84),
    RGB(255, 255, 255), RGB(105, 105, 105), RGB(227, 227, 227), RGB(0, 0, 0),
    RGB(255, 255, 225)};
} // namespace

TColor ColorToRGB(TColor Color)
{
    if (IsSystemColor(Color)) {
        const std::uint32_t index = Color & 0xFF;
        return index < SystemColors.size() ? SystemColors[index] : clBlack;
    }
    return Color & 0x00FFFFFF;
}

QColor ToQColor(TColor Color)
{
    const TColor c = ColorToRGB(Color);
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

TColor FromQColor(const QColor& Color) { return RGB(Color.red(), Color.green(), Color.blue()); }
