// Stamps set together against the same stamps set one by one with TCanvas::Stamp: many
// overlapping stamps of several patterns and colours, at and beyond the edges, within a clip, on
// a dense bitmap, and more patterns and stamps than one run holds.
#include "StampRun.h"
#include "ZEV_zevbase_draw.h"

#include <gtest/gtest.h>

#include <random>

namespace {
struct TPlacement {
    const TPixelStamp* Stamp;
    int X, Y;
    TColor Color;
};

void Prepare(TBitmap& B, int W, int H, double Ratio, const TRect* Clip)
{
    B.SetDevicePixelRatio(Ratio);
    B.SetSize(W, H);
    B.Canvas()->Brush()->SetColor(clYellow);
    B.Canvas()->FillRect(Rect(0, 0, W, H));
    if (Clip) B.Canvas()->SetClipRect(*Clip);
}

// Count stamps from Patterns, anchored up to 4 pixels beyond every edge and now and then far
// away, in six colours, one of them a system colour.
std::vector<TPlacement> Scatter(int Count, int W, int H,
                                const std::vector<const TPixelStamp*>& Patterns)
{
    const TColor colors[] = {clRed, clBlue, clGreen, clBlack, clWhite, clBtnFace};
    std::mt19937 random(7);
    auto below = [&](int n) { return int(random() % unsigned(n)); };
    std::vector<TPlacement> placed;
    for (int i = 0; i < Count; ++i) {
        const bool far = below(500) == 0;
        placed.push_back({Patterns[std::size_t(below(int(Patterns.size())))],
                          far ? 30000 - below(60000) : below(W + 8) - 4,
                          far ? 30000 - below(60000) : below(H + 8) - 4, colors[below(6)]});
    }
    return placed;
}
} // namespace

TEST(StampRun, LeavesThePixelsOfStampsSetOneByOne)
{
    std::vector<const TPixelStamp*> glyphs;
    TCanvas plain;
    for (const std::uint8_t m : {1, 2, 3, 4, 5, 6, 18}) glyphs.push_back(MarkStamp(&plain, m));
    std::vector<TPixelStamp> dots;
    for (int i = 0; i < 300; ++i) dots.emplace_back(std::vector<TPoint>{{i % 5 - 2, i % 3 - 1}});
    std::vector<const TPixelStamp*> manyPatterns;
    for (const TPixelStamp& d : dots) manyPatterns.push_back(&d);

    const TRect clip = Rect(5, 7, 50, 33);
    struct Row {
        const char* Name;
        int Count, W, H;
        double Ratio;
        const TRect* Clip;
        const std::vector<const TPixelStamp*>& Patterns;
    };
    const std::vector<Row> rows = {
        {"dense, every glyph", 20000, 60, 40, 1.0, nullptr, glyphs},
        {"dense within a clip", 20000, 60, 40, 1.0, &clip, glyphs},
        {"sparse", 300, 60, 40, 1.0, nullptr, glyphs},
        {"dense bitmap", 5000, 60, 40, 2.0, nullptr, glyphs},
        {"more patterns than slots", 20000, 60, 40, 1.0, nullptr, manyPatterns},
        {"more stamps than one run holds", 1100000, 40, 30, 1.0, nullptr, glyphs},
        {"anchors beyond 16 bits", 20000, 33000, 4, 1.0, nullptr, glyphs},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.Name);
        const std::vector<TPlacement> placed = Scatter(r.Count, r.W, r.H, r.Patterns);
        TBitmap one, together;
        Prepare(one, r.W, r.H, r.Ratio, r.Clip);
        Prepare(together, r.W, r.H, r.Ratio, r.Clip);
        for (const TPlacement& p : placed) one.Canvas()->Stamp(*p.Stamp, p.X, p.Y, p.Color);
        TStampRun run;
        run.Start(together.Canvas());
        for (const TPlacement& p : placed) run.Add(*p.Stamp, p.X, p.Y, p.Color);
        run.Flush();
        EXPECT_TRUE(run.Empty());
        EXPECT_TRUE(together.Image() == one.Image());
    }
}
