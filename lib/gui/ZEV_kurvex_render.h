// One rendering pass of a chart: the state it keeps while drawing (the canvas attributes last
// set, the run of line segments not yet drawn, the pen position) and the drawing of each item
// kind, the grid and the text labels. Private to the renderer.
#pragma once

#include "ZEV_kurvex_renderer.h"

#include <optional>
#include <vector>

// Drawing coordinates stay well inside what the canvas can take.
constexpr int kxDrawLimit = 30000;

class TkxRenderPass {
  public:
    TkxRenderPass(const TkxRenderView& View, std::vector<int>& DupMarkMap, TStampRun& Stamps,
                  TCanvas* Canvas, int Left, int Top, bool Monochrome);
    void Run(bool NoGrid);

  private:
    // Per layer: its mapping and ranges, taken once for the pass (marks come by the million).
    struct TLayerView {
        TkxAxisMap X, Y;
        double XLo, XHi, YLo, YHi;
        double XSlack, YSlack; // of X and Y within the ranges
    };

    // ---- pass steps (ZEV_kurvex_render.cpp) ----
    enum class TWhich { All, NonTexts, Texts };
    void DrawList(const TkxItemList& List, bool IsAnnotation, TWhich Which);
    void DrawAnnotations();
    void DrawItem(const TkxChartItem& Item, int Index, bool IsAnnotation, const TkxItemList& List);
    void DrawPlotFrame();
    void FireRenderEvent(const TRenderEvent* Event);

    // ---- canvas attributes, set only when they change ----
    void UsePen(TColor Color, TPenStyle Style);
    void UseBrush(TColor Color);
    void UseFontColor(TColor Color);
    void UsePenWidth(int Width);
    void UseClearBrush();
    void UseOutlineAndFill(const TkxChartItem& Item); // the item's pen, and its fill unless NoFill

    // ---- line runs ----
    void LineSegment(TPoint From, TPoint To);
    void Flush();

    // ---- mapping of item points to canvas pixels ----
    // Canvas pixel of a control pixel, limited to what the canvas can take.
    TPoint FromControl(int X, int Y) const
    {
        return {ToCanvas(X, FMarginLeft, FLeft), ToCanvas(Y, FMarginTop, FTop)};
    }
    static int ToCanvas(int P, int Margin, int Origin)
    {
        constexpr long long limit = kxDrawLimit;
        return int(
            std::clamp<long long>(static_cast<long long>(P) - Margin + Origin, -limit, limit));
    }
    TPoint World(int Layer, double X, double Y) const;
    const TLayerView& View(int Layer) const
    {
        return FLayerViews[std::size_t(std::clamp(Layer, 1, kxMaxLayer) - 1)];
    }
    TPoint Pixels(double X, double Y) const;
    TPoint FirstPoint(const TkxChartItem& Item) const;
    TPoint SecondPoint(const TkxChartItem& Item) const;
    TPoint ItemPoint(const TkxChartItem& Item, double X, double Y, bool PixelsByMode) const;
    // The two corners of an extent centred on the first point: X -/+ X2, Y -/+ Y2 in the
    // second point's units.
    std::pair<TPoint, TPoint> Extent(const TkxChartItem& Item) const;

    // ---- marks (ZEV_kurvex_render_marks.cpp) ----
    void DrawMarkItem(const TkxChartItem& Item);
    // Packed marks from From on as DrawItem would draw their records, as many as share the
    // first one's layer, line width and mark type; the index after the last one drawn. From
    // itself when that mark is no stamp (and nothing was done). Not for duplicate-mark maps.
    int DrawPackedMarks(const TkxPackedMark* Marks, int From, int Count,
                        const std::array<bool, 256>& ClassShown);
    int StampRun(const TkxPackedMark* Marks, int From, int Count,
                 const std::array<bool, 256>& ClassShown);
    // A mark at canvas pixel P: a stamp to gather, or drawn by the canvas at once.
    void PutMark(TPoint P, std::uint8_t Mark, TColor Color, TPenStyle Style);
    // Whether a mark type is set as a stamp on this canvas; keeps its stamp.
    bool UseStampOf(std::uint8_t Mark)
    {
        if (Mark != FStampMark) FStampMark = Mark, FStamp = MarkStamp(C, Mark);
        return FStamp != nullptr;
    }
    bool DuplicateMark(TPoint Canvas, int MarkType);

    // ---- other item kinds (ZEV_kurvex_render_items.cpp) ----
    void DrawLineItem(const TkxChartItem& Item, TPoint A, TPoint B);
    void DrawTextItem(const TkxChartItem& Item, int Index, bool IsAnnotation,
                      const TkxItemList& List);
    void DrawRectItem(const TkxChartItem& Item, TPoint A, TPoint B);
    void DrawFilledRect(const TkxChartItem& Item, TPoint A, TPoint B);
    void DrawBar3D(const TkxChartItem& Item, TPoint A, TPoint B);
    void DrawEllipseItem(const TkxChartItem& Item, TPoint A, TPoint B);
    void DrawArrow(const TkxChartItem& Item, TPoint A, TPoint B, bool BothEnds);
    void DrawArrowHead(const TkxChartItem& Item, TPoint Tail, TPoint Tip);
    void DrawErrorBar(const TkxChartItem& Item);
    void DrawArc(const TkxChartItem& Item);
    void DrawCross(const TkxChartItem& Item);
    void DrawAcrossPlot(const TkxChartItem& Item, bool Vertical);
    // Both end pixels; a single pixel when they coincide.
    void StrokeInclusive(TPoint A, TPoint B);
    // Colours of the item being drawn: pen, fill, text background.
    TColor ItemColor(const TkxChartItem& Item) const { return FMono ? clBlack : Item.Color; }
    TColor ItemFill(const TkxChartItem& Item) const { return FMono ? clSilver : Item.FillColor; }

    // ---- grid (ZEV_kurvex_render_grid.cpp) ----
    void DrawGrid();

    // ---- text labels (ZEV_kurvex_render_overlays.cpp) ----
    void DrawTextLabels();
    void DrawTextLabel(const TTextLabel& Label);

    std::array<TLayerView, kxMaxLayer> FLayerViews;
    std::array<bool, kxMaxLayer + 1> FLayerShown{}; // by layer number
    const TkxRenderView& V;
    std::vector<int>& FDupMarkMap;
    // Marks set as stamps, gathered until something else is drawn.
    TStampRun& FStamps;
    TCanvas* C;
    const int FLeft, FTop;
    const int FMarginLeft, FMarginTop;
    const bool FMono;
    int FPlotW, FPlotH;
    // What the canvas was last given; empty until this pass set it.
    std::optional<TColor> FPenColor, FBrushColor, FFontColor;
    std::optional<TPenStyle> FPenStyle;
    std::optional<int> FPenWidth;
    std::vector<TPoint> FRun; // line run not yet drawn, at most RunLimit points
    TPoint FPenPos;
    // The stamp of the mark type drawn last (marks come in long runs of one type).
    int FStampMark = -1;
    const TPixelStamp* FStamp = nullptr;
    // Duplicate-mark map: row length and border (MinDupMarkDist); unused when Width is 0.
    int FDupWidth = 0, FDupDist = 0;
};

// Lines of a text split at line feeds, with the block they make.
struct TTextBlock {
    QStringList Lines;
    std::vector<int> Widths;
    int LineHeight = 0, Width = 0;
    int Height() const { return LineHeight * int(Lines.size()); }
};
TTextBlock MeasureTextBlock(TCanvas* Canvas, const QString& Text, int ExtraLineSpacing);
// Left edge of a block of Width for the anchor X: left starts there, right ends there, centre
// is centred on it.
int AlignedLeft(int X, int Width, TAlignment Alignment);
// Draws each line aligned within the block whose top left corner is (Left, Top).
void DrawTextBlock(TCanvas* Canvas, const TTextBlock& Block, int Left, int Top,
                   TAlignment Alignment);
