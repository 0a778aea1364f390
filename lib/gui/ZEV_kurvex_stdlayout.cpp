// The seven standard layouts: margins and caption of the chart, and which axes of layers 1..4
// are shown on which side with which caption placement.
#include "ZEV_kurvex.h"

namespace {
struct TChartLayout {
    int MarginBottom, MarginTop, MarginLeft, MarginRight;
    int CaptionPosX, CaptionPosY;
    TAlignment CaptionAlignment;
    TCaptionAnchorHoriz AnchorHoriz;
    TCaptionAnchorVert AnchorVert;
};

constexpr TChartLayout ChartLayouts[kxNumLayouts] = {
    {40, 20, 50, 20, 0, -16, taRightJustify, cahChartRight, cavChartTop},
    {40, 24, 100, 20, 0, -16, taRightJustify, cahChartRight, cavChartTop},
    {40, 24, 150, 20, 0, -16, taRightJustify, cahChartRight, cavChartTop},
    {40, 24, 200, 20, 0, -16, taRightJustify, cahChartRight, cavChartTop},
    {40, 24, 50, 50, 0, -20, taCenter, cahChartCenter, cavChartTop},
    {70, 24, 100, 20, 0, -16, taRightJustify, cahChartRight, cavChartTop},
    {40, 64, 50, 50, 0, -60, taCenter, cahChartCenter, cavChartTop},
};

// One axis of layers 1..4 in a layout. Near is the bottom or left side, far the top or right.
struct TAxisLayout {
    bool Visible;
    bool Far;
    int CaptionPosX, CaptionPosY;
    TAlignment Alignment;
    TScaleUnitAnchor Anchor;
    int ScalePos;
};

constexpr TAxisLayout HiddenX = {false, false, 10, 100, taCenter, uaSclCenter, 0};
constexpr TAxisLayout HiddenY = {false, false, 10, 100, taRightJustify, uaSclTopLft, 0};
constexpr TAxisLayout BottomX = {true, false, 0, 22, taCenter, uaSclCenter, 0};

// The left y axis of a layout with several: caption above the axis, right-aligned.
constexpr TAxisLayout LeftY(int ScalePos)
{
    return {true, false, 0, -23, taRightJustify, uaSclTopLft, ScalePos};
}

TAxisLayout XAxisLayout(TkxLayout Layout, int Layer)
{
    if (Layout == kxl_X2Bottom_Y2Left && Layer <= 2)
        return {true, false, -20, 7, taRightJustify, uaSclTopLft, Layer == 1 ? 0 : 30};
    if (Layout == kxl_X2Both_Y2Both && Layer == 1)
        return {true, false, 0, 20, taCenter, uaSclCenter, 0};
    if (Layout == kxl_X2Both_Y2Both && Layer == 2)
        return {true, true, 0, -40, taCenter, uaSclCenter, 0};
    return Layer == 1 ? BottomX : HiddenX;
}

TAxisLayout YAxisLayout(TkxLayout Layout, int Layer)
{
    switch (Layout) {
    case kxl_X1Bottom_Y1Left:
        return Layer == 1 ? TAxisLayout{true, false, 0, -16, taLeftJustify, uaSclTopLft, 0}
                          : HiddenY;
    case kxl_X1Bottom_Y2Left:
    case kxl_X2Bottom_Y2Left:
        return Layer <= 2 ? LeftY((Layer - 1) * 50) : HiddenY;
    case kxl_X1Bottom_Y3Left:
        return Layer <= 3 ? LeftY((Layer - 1) * 50) : HiddenY;
    case kxl_X1Bottom_Y4Left:
        return LeftY((Layer - 1) * 50);
    case kxl_X1Bottom_Y2Both:
        if (Layer == 1) return LeftY(0);
        return Layer == 2 ? TAxisLayout{true, true, 0, -23, taLeftJustify, uaSclTopLft, 0}
                          : HiddenY;
    case kxl_X2Both_Y2Both:
        if (Layer == 1) return {true, false, 0, -40, taRightJustify, uaSclTopLft, 0};
        if (Layer == 2) return {true, true, 0, -40, taLeftJustify, uaSclTopLft, 0};
        return {false, false, 0, -23, taRightJustify, uaSclTopLft, 0};
    }
    return HiddenY;
}

void ApplyAxisLayout(TScaleProps& Props, const TAxisLayout& A)
{
    Props.SetCaptionPosX(A.CaptionPosX);
    Props.SetCaptionPosY(A.CaptionPosY);
    Props.SetCaptionAlignment(A.Alignment);
    Props.SetCaptionAnchor(A.Anchor);
    Props.SetScalePos(A.ScalePos);
    Props.SetVisible(A.Visible);
}
} // namespace

void TCustomKurvex::SetStandardLayout(TkxLayout Value)
{
    if (Value >= kxNumLayouts) return;
    FStandardLayout = Value;
    ApplyLayout(Value);
}

void TCustomKurvex::ApplyLayout(TkxLayout Layout)
{
    const bool wasLocked = FUpdateLock;
    FUpdateLock = true;
    const TChartLayout& c = ChartLayouts[Layout];
    SetMarginBottom(c.MarginBottom);
    SetMarginTop(c.MarginTop);
    SetMarginLeft(c.MarginLeft);
    SetMarginRight(c.MarginRight);
    SetCaptionPosX(c.CaptionPosX);
    SetCaptionPosY(c.CaptionPosY);
    SetCaptionAlignment(c.CaptionAlignment);
    SetCaptionAnchorHoriz(c.AnchorHoriz);
    SetCaptionAnchorVert(c.AnchorVert);
    // The sets report once, after all of them are in place.
    for (int n = 1; n <= kxMaxLayer; ++n) {
        TScalePropsHoriz& x = *ScalePropsX(n);
        TScalePropsVert& y = *ScalePropsY(n);
        const TNotifyEvent handler = x.OnChange;
        x.OnChange = y.OnChange = nullptr;
        if (n <= 4) {
            const TAxisLayout ax = XAxisLayout(Layout, n), ay = YAxisLayout(Layout, n);
            x.SetScaleLocation(ax.Far ? slTop : slBottom);
            ApplyAxisLayout(x, ax);
            y.SetScaleLocation(ay.Far ? slRight : slLeft);
            ApplyAxisLayout(y, ay);
        } else {
            x.SetVisible(false);
            y.SetVisible(false);
        }
        x.OnChange = y.OnChange = handler;
    }
    ScalePropsChanged();
    SetUpdateLock(wasLocked);
}
