#include "Colors.h"

#include <array>

namespace {
// The classic desktop scheme, fixed so that drawings do not depend on the desktop's theme.
constexpr std::array<TColor, 25> SystemColors = {
    RGB(212, 208, 200), RGB(58, 110, 165),  RGB(10, 36, 106),   RGB(128, 128, 128),
    RGB(212, 208, 200), RGB(255, 255, 255), RGB(0, 0, 0),       RGB(0, 0, 0),
    RGB(0, 0, 0),       RGB(255, 255, 255), RGB(212, 208, 200), RGB(212, 208, 200),
    RGB(128, 128, 128), RGB(10, 36, 106),   RGB(255, 255, 255), RGB(212, 208, 200),
    RGB(128, 128, 128), RGB(128, 128, 128), RGB(0, 0, 0),       RGB(212, 208, 200),
    RGB(255, 255, 255), RGB(64, 64, 64),    RGB(212, 208, 200), RGB(0, 0, 0),
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
