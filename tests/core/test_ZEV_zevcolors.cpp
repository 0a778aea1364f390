#include "ZEV_zevcolors.h"

#include <gtest/gtest.h>

TEST(ZevColors, GrayLevelAndContrast)
{
    struct {
        TColor Color;
        int Gray;
        TColor Contrast;
    } cases[] = {
        {clWhite, 255, clBlack},
        {clBlack, 0, clWhite},
        {clRed, 76, clWhite}, // 76.5: tie to the even 76
        {clLime, 150, clBlack},
        {clBlue, 28, clWhite},
        {clYellow, 227, clBlack},
        {clNavy, 14, clWhite},
        {RGB(5, 0, 0), 2, clWhite},         // 1.5: tie up to the even 2
        {RGB(0, 50, 0), 30, clWhite},       // 29.5: tie up to 30
        {RGB(0, 0, 50), 6, clWhite},        // 5.5: tie up to 6
        {RGB(140, 140, 140), 140, clBlack}, // the threshold itself
        {RGB(139, 140, 140), 140, clBlack}, // 139.7
        {RGB(139, 139, 140), 139, clWhite}, // 139.11
        {clBtnFace, 4, clWhite},            // system colours count by their bytes (4.5), unresolved
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ColorToGray(c.Color), c.Gray) << std::hex << c.Color;
        EXPECT_EQ(ContrastColor(c.Color), c.Contrast) << std::hex << c.Color;
    }
}
