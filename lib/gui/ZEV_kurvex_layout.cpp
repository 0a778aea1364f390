// Construction of the chart and its sub-objects, the geometry and the appearance properties with
// their setter rules, and the isometric rule.
#include "ZEV_kurvex.h"

#include <algorithm>

// ---- construction ------------------------------------------------------------------------------

TCustomKurvex::TCustomKurvex(QWidget* Parent)
    : TCustomControl(Parent), FMouseHost(MakeMouseHost(*this)), FMouse(*FMouseHost)
{
    FLayers.GeometryOf = [this] { return Geometry(); };
    resize(280, 200);
    CreateSubObjects();
    ResetScaleProps();
    UpdateScaleGeometry();
    ApplyLayout(kxl_X1Bottom_Y1Left);
    RegisterCursors();
    FAutoRedraw = true;
}

void TCustomKurvex::CreateSubObjects()
{
    const TNotifyEvent changed = [this](TObject*) { Changed(); };
    for (int i = 1; i <= kxNumCrossHairs; ++i) {
        auto& c = FCrossHairs[std::size_t(i - 1)];
        c = std::make_unique<TCrossHair>();
        c->SetLayer(i);
        c->SetColor(clRed);
        c->SetLineType(psDashDotDot);
        c->SetLineWid(1);
        c->OnChange = changed;
    }
    for (auto& l : FTextLabels) {
        l = std::make_unique<TTextLabel>();
        l->SetPosX(0), l->SetPosY(0);
        l->SetAttachToData(tlamBoth);
        l->SetColorBkg(clWhite);
        l->SetShadowDx(3), l->SetShadowDy(3);
        l->SetColorShadow(clGray);
        l->SetFont(Font());
        l->SetVisible(false);
        l->SetMode(tlOff);
        l->OnChange = changed;
    }
    FBackGroundImg.OnChange = changed;
    FLayers.Joint().OnChange = changed;
    FFrameBitmap = std::make_unique<TBitmap>();
    FPlotBitmap = std::make_unique<TBitmap>();
    // The device of a small bitmap tells the shape of a screen pixel.
    TBitmap device;
    device.SetSize(10, 10);
    const QImage& image = device.Image();
    FAspectX = 1.0;
    FAspectY = double(image.dotsPerMeterX()) / image.dotsPerMeterY();
    FFrameBitmap->SetSize(Width(), Height());
    CreateScales();
    FTextFont.Assign(Font());
    FTextFont.OnChange = changed;
}

void TCustomKurvex::Assign(TPersistent* Source)
{
    auto* s = dynamic_cast<TCustomKurvex*>(Source);
    if (!s) {
        TCustomControl::Assign(Source);
        return;
    }
    if (s == this) return;
    FStore.Assign(s->FStore);
    HandOnItems();
    Changed();
}

void TCustomKurvex::AssignTo(TPersistent* Dest)
{
    if (!AssignToOwnKind(this, Dest)) TCustomControl::AssignTo(Dest);
}

TCrossHair* TCustomKurvex::CrossHair(int Index) const
{
    return FCrossHairs[std::size_t(std::clamp(Index, 1, kxNumCrossHairs) - 1)].get();
}

TTextLabel* TCustomKurvex::TextLabel(int Index) const
{
    return FTextLabels[std::size_t(std::clamp(Index, 1, kxNumTextLabels) - 1)].get();
}

void TCustomKurvex::Changed()
{
    if (FAutoRedraw) Invalidate();
}

void TCustomKurvex::SetUpdateLock(bool Value)
{
    FUpdateLock = Value;
    if (!Value) Changed();
}

bool TCustomKurvex::Lock()
{
    const bool wasLocked = FUpdateLock;
    FUpdateLock = true;
    return wasLocked;
}

// ---- item attributes and visibility ------------------------------------------------------------

void TCustomKurvex::SetClassDefault(std::uint8_t Value)
{
    if (TkxItemStyle::ClassAccepted(Value)) FStore.Style.ClassDefault = Value;
}

void TCustomKurvex::SetActiveLayer(int Value)
{
    if (TkxItemStyle::LayerAccepted(Value)) FStore.Style.ActiveLayer = Value;
}

void TCustomKurvex::SetAllocSize(int Value)
{
    if (TkxItemStyle::AllocSizeAccepted(Value)) FStore.Style.AllocSize = Value;
}

bool TCustomKurvex::ClassShown(int ClassNo, bool IsAnnotation) const
{
    return FStore.ClassShown(ClassNo, IsAnnotation);
}

void TCustomKurvex::WorldToPixel(int Layer, double X, double Y, int& PX, int& PY) const
{
    FLayers.WorldToPixel(Layer, X, Y, PX, PY);
}

void TCustomKurvex::PixelToWorld(int Layer, int PX, int PY, double& X, double& Y) const
{
    FLayers.PixelToWorld(Layer, PX, PY, X, Y);
}

void TCustomKurvex::SetLayerShown(int Layer, bool Value)
{
    if (FLayers.SetShown(Layer, Value)) Changed();
}

void TCustomKurvex::SetClassShown(int ClassNo, bool IsAnnotation, bool Value)
{
    if (FStore.SetClassShown(ClassNo, IsAnnotation, Value)) Changed();
}

// ---- geometry ----------------------------------------------------------------------------------

void TCustomKurvex::SetBounds(int Left, int Top, int Width, int Height)
{
    const QSize least = minimumSize();
    const QSize before = size();
    TCustomControl::SetBounds(Left, Top, std::max(Width, least.width()),
                              std::max(Height, least.height()));
    // A widget that is not shown gets no resize event until it is; the axes and the mapping
    // must follow at once.
    if (size() != before && !isVisible()) Resize();
}

void TCustomKurvex::SizePlotBitmap()
{
    FPlotBitmap->SetDevicePixelRatio(devicePixelRatioF());
    FPlotBitmap->SetSize(std::max(0, PlotWidth() + 1), std::max(0, PlotHeight() + 1));
}

void TCustomKurvex::MarginsChanged()
{
    // The new minimum size may grow the control, also one not shown yet; the plot bitmap and the
    // isometric rule follow the size it ends up with.
    UpdateScaleGeometry();
    SizePlotBitmap();
    if (FLook.Isometric) ApplyIsometric(PlotWidth() + 1);
    ComputeLayerFactors();
    Changed();
}

void TCustomKurvex::SetMargin(int& Margin, int Value)
{
    if (Margin == Value) return;
    Margin = Value;
    MarginsChanged();
}

void TCustomKurvex::SetShadowWidth(int Value)
{
    const int width = TkxAppearance::ShadowWidthFor(Value);
    if (width == FLook.ShadowWidth) return;
    FLook.ShadowWidth = width;
    SizePlotBitmap();
    UpdateScaleGeometry();
    ComputeLayerFactors();
    Changed();
}

void TCustomKurvex::Resize()
{
    if (!FScalesY.back()) return; // still being built
    const bool wasLocked = Lock();
    if (FLook.Isometric) ApplyIsometric(PlotWidth() + 1 - FLook.ShadowWidth);
    UpdateScaleGeometry();
    ComputeLayerFactors();
    SetUpdateLock(wasLocked);
}

void TCustomKurvex::ApplyIsometric(int PlotWidthPixels)
{
    const int h = PlotHeight() + 1;
    if (PlotWidthPixels <= 0 || h <= 0) return;
    const bool wasLocked = Lock();
    FLayers.MakeIsometric(PlotWidthPixels, h, FAspectX, FAspectY);
    ScalePropsChanged();
    SetUpdateLock(wasLocked);
}

void TCustomKurvex::SetIsometric(bool Value)
{
    if (Value == FLook.Isometric) return;
    FLook.Isometric = Value;
    if (Value) ApplyIsometric(PlotWidth() + 1);
    Changed();
}

// ---- appearance properties ---------------------------------------------------------------------

void TCustomKurvex::SetWindColor(TColor Value)
{
    if (Value == FLook.WindColor) return;
    for (int n = 1; n <= kxMaxLayer; ++n) {
        ScaleObjectX(n)->SetColorBackGnd(Value);
        ScaleObjectY(n)->SetColorBackGnd(Value);
    }
    FLook.WindColor = Value;
    Changed();
}

void TCustomKurvex::SetCaptionAnchorHoriz(TCaptionAnchorHoriz Value)
{
    Update(FLook.CaptionAnchorHoriz, Value);
}

void TCustomKurvex::SetCaptionTrim(int Value)
{
    Update(FLook.CaptionTrim, TkxAppearance::CaptionTrimFor(Value));
}

void TCustomKurvex::SetGridDx(double Value)
{
    if (TkxAppearance::GridStepAccepted(Value)) Update(FLook.GridDx, Value);
}

void TCustomKurvex::SetGridDy(double Value)
{
    if (TkxAppearance::GridStepAccepted(Value)) Update(FLook.GridDy, Value);
}

void TCustomKurvex::SetAvoidDuplicateMarks(bool Value)
{
    if (Value == FLook.AvoidDuplicateMarks) return;
    FLook.AvoidDuplicateMarks = Value;
    Invalidate();
}

void TCustomKurvex::SetMinDupMarkDist(int Value)
{
    const int distance = TkxAppearance::MinDupMarkDistFor(Value);
    if (distance == FLook.MinDupMarkDist) return;
    FLook.MinDupMarkDist = distance;
    Invalidate();
}

void TCustomKurvex::SetTextFont(TFont* Value)
{
    if (Value && Value != &FTextFont) FTextFont.Assign(Value);
}

void TCustomKurvex::SetBackGroundImg(TBakGndImg* Value)
{
    if (Value && Value != &FBackGroundImg) FBackGroundImg.Assign(Value);
}
