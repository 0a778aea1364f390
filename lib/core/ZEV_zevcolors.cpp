#include "ZEV_zevcolors.h"

int ColorToGray(TColor Color)
{
    // In hundredths, exactly: binary fractions would turn ties such as 76.5 into 76.4999... or
    // 76.5000...1 and decide them by representation error instead of to even.
    const int hundredths = 30 * GetRValue(Color) + 59 * GetGValue(Color) + 11 * GetBValue(Color);
    int gray = hundredths / 100;
    const int rest = hundredths % 100;
    if (rest > 50 || (rest == 50 && gray % 2 == 1)) ++gray;
    return gray;
}

TColor ContrastColor(TColor Color)
{
    return ColorToGray(Color) >= 140 ? clBlack : clWhite;
}
