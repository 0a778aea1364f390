// Drawing of the chart's marks: from their records, and from the packed marks of the item lists,
// where a chart's million marks come in long runs of one layer, line width and mark type.
#include "ZEV_kurvex_render.h"

#include <algorithm>

void TkxRenderPass::DrawMarkItem(const TkxChartItem& Item)
{
    const bool worldX = Item.CoordMode == cmWorld || Item.CoordMode == cmWorldThenPixels ||
                        Item.CoordMode == cmWorldXPixelY;
    const bool worldY = Item.CoordMode == cmWorld || Item.CoordMode == cmWorldThenPixels ||
                        Item.CoordMode == cmPixelXWorldY;
    const TLayerView& v = View(Item.Layer);
    if (worldX && !(v.XLo <= Item.X && Item.X <= v.XHi)) return;
    if (worldY && !(v.YLo <= Item.Y && Item.Y <= v.YHi)) return;
    const TPoint p = Item.CoordMode == cmWorld ? FromControl(v.X.Pixel(Item.X), v.Y.Pixel(Item.Y))
                                               : FirstPoint(Item);
    if (!worldX && !(p.X - FLeft >= 0 && p.X - FLeft <= FPlotW)) return;
    if (!worldY && !(p.Y - FTop >= 0 && p.Y - FTop <= FPlotH)) return;
    PutMark(p, std::uint8_t(Item.Param3), ItemColor(Item), Item.PenStyle);
}

void TkxRenderPass::PutMark(TPoint P, std::uint8_t Mark, TColor Color, TPenStyle Style)
{
    if (FDupWidth > 0 && DuplicateMark(P, Mark)) return;
    if (UseStampOf(Mark)) return FStamps.Add(*FStamp, P.X, P.Y, Color);
    FStamps.Flush();
    UsePen(Color, Style);
    DrawMark(C, Mark, P.X, P.Y);
    if (Mark > 51) {
        // Character marks leave the brush clear and the font in the pen colour.
        FBrushColor.reset();
        FFontColor.reset();
    }
}

int TkxRenderPass::DrawPackedMarks(const TkxPackedMark* Marks, int From, int Count,
                                   const std::array<bool, 256>& ClassShown)
{
    const TkxPackedMark& first = Marks[From];
    if (!ClassShown[first.ClassNo] || !FLayerShown[first.Layer]) return From + 1;
    if (!UseStampOf(first.Mark)) return From;
    // What DrawItem does before any mark; the marks of the run then find it done.
    if (!FPenWidth || first.LineWidth != *FPenWidth) {
        Flush();
        UsePenWidth(first.LineWidth);
    }
    if (!FRun.empty()) Flush();
    return StampRun(Marks, From, Count, ClassShown);
}

// The marks from From on that share the first one's layer, line width and mark type (which is
// set as a stamp): the pass state stays as DrawPackedMarks left it all along.
int TkxRenderPass::StampRun(const TkxPackedMark* Marks, int From, int Count,
                            const std::array<bool, 256>& ClassShown)
{
    const TkxPackedMark& first = Marks[From];
    // Copies: the stamps written could be any of the pass's fields as far as the compiler knows.
    const TLayerView v = View(first.Layer);
    const int marginLeft = FMarginLeft, marginTop = FMarginTop, left = FLeft, top = FTop;
    const bool mono = FMono;
    const TPixelStamp& stamp = *FStamp;
    int i = From;
    for (; i < Count; ++i) {
        // The records stream from memory: asking for them early hides much of the wait.
        __builtin_prefetch(Marks + std::min(i + 64, Count - 1));
        const TkxPackedMark& m = Marks[i];
        if (m.Layer != first.Layer || m.LineWidth != first.LineWidth || m.Mark != first.Mark) break;
        if (!ClassShown[m.ClassNo]) continue;
        if (!(v.XLo <= m.X && m.X <= v.XHi) || !(v.YLo <= m.Y && m.Y <= v.YHi)) continue;
        const int x = ToCanvas(v.X.PixelWithin(m.X, v.XSlack), marginLeft, left);
        const int y = ToCanvas(v.Y.PixelWithin(m.Y, v.YSlack), marginTop, top);
        FStamps.Add(stamp, x, y, mono ? clBlack : m.Color);
    }
    return i;
}

bool TkxRenderPass::DuplicateMark(TPoint P, int MarkType)
{
    const int d = FDupDist;
    const int x = P.X - FLeft + FMarginLeft + d, y = P.Y - FTop + FMarginTop + d;
    const int rows = int(FDupMarkMap.size()) / FDupWidth;
    if (x < 0 || y < 0 || x >= FDupWidth || y >= rows) return false;
    int* map = FDupMarkMap.data();
    if (map[std::size_t(y) * FDupWidth + x] == MarkType) return true;
    for (int cy = std::max(0, y - d); cy <= std::min(rows - 1, y + d); ++cy)
        for (int cx = std::max(0, x - d); cx <= std::min(FDupWidth - 1, x + d); ++cx)
            map[std::size_t(cy) * FDupWidth + cx] = MarkType;
    return false;
}
