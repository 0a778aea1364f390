// The chart's renderer on a bitmap, without a widget: it draws a view of a store, layers and an
// appearance, and tells its handlers who drew.
#include "ZEV_kurvex_renderer.h"

#include <gtest/gtest.h>

namespace {
// A 200 x 150 chart with margins 20/10/10/20: plot area (20, 10) .. (190, 130), world 0..10
// on both axes of layer 1.
struct TScene {
    TkxItemStore Store;
    TkxLayerSet Layers;
    TkxAppearance Look;
    TBakGndImg Background;
    TFont Font;
    TkxTextLabels Labels;
    TkxCrossHairs CrossHairs;
    TObject Sender;
    TRenderEvent BeforeData;
    TBeforeRenderCItemEvent BeforeItem;

    TScene()
    {
        Look.MarginLeft = 20, Look.MarginRight = 10, Look.MarginTop = 10, Look.MarginBottom = 20;
        Layers.GeometryOf = [this] { return Look.Geometry(200, 150); };
        Layers.ResetProps(nullptr);
        Layers.StoreRange(1, 0, 10, 0, 10);
        Layers.ComputeFactors();
        for (auto& l : Labels) l = std::make_unique<TTextLabel>();
        for (auto& c : CrossHairs) c = std::make_unique<TCrossHair>();
    }
    TkxRenderView View()
    {
        TkxRenderView v{&Sender,    Store, Layers, Look,   Background,
                        Geometry(), Font,  Font,   Labels, CrossHairs};
        v.OnBeforeRenderData = &BeforeData;
        v.OnBeforeRenderChartItem = &BeforeItem;
        return v;
    }
    TkxPlotGeometry Geometry() const { return Look.Geometry(200, 150); }
    // The whole chart's picture: frame and plot at their places, as the chart assembles them.
    std::unique_ptr<TBitmap> Paint()
    {
        auto bitmap = std::make_unique<TBitmap>();
        bitmap->SetSize(200, 150);
        TkxRenderer r;
        const TkxRenderView v = View();
        r.PaintFrame(v, bitmap->Canvas());
        r.PaintPlotBackground(v, bitmap->Canvas(), 20, 10, 171, 121);
        r.RenderItems(v, bitmap->Canvas(), 20, 10, false, false);
        return bitmap;
    }
};
} // namespace

TEST(KurvexRenderer, FrameBackgroundAndPlotFrame)
{
    TScene s;
    s.Look.WindColor = clYellow;
    s.Look.ChartColor = clWhite;
    s.Look.ChartFrameColor = clBlue;
    const auto b = s.Paint();
    EXPECT_EQ(b->Canvas()->Pixel(5, 5), clYellow);
    EXPECT_EQ(b->Canvas()->Pixel(20, 10), clBlue);
    EXPECT_EQ(b->Canvas()->Pixel(190, 130), clBlue);
    EXPECT_EQ(b->Canvas()->Pixel(100, 70), clWhite);
    EXPECT_EQ(b->Canvas()->Pixel(195, 140), clYellow);
}

TEST(KurvexRenderer, ItemsOfShownLayersAndClassesOnly)
{
    struct Row {
        const char* Name;
        bool LayerShown, ClassShown;
        bool Drawn;
    };
    for (const Row& r : std::vector<Row>{{"shown", true, true, true},
                                         {"layer hidden", false, true, false},
                                         {"class hidden", true, false, false}}) {
        SCOPED_TRACE(r.Name);
        TScene s;
        s.Store.Style.DataColor = clRed;
        s.Store.Style.ClassDefault = 4;
        s.Store.AddLine(0, 5, 10, 5, cmWorld); // across the middle of the plot
        s.Layers.SetShown(1, r.LayerShown);
        s.Store.SetClassShown(4, false, r.ClassShown);
        const auto b = s.Paint();
        EXPECT_EQ(b->Canvas()->Pixel(105, 70) == clRed, r.Drawn);
    }
}

TEST(KurvexRenderer, HandlersSeeTheSenderAndChangeOnlyACopy)
{
    TScene s;
    s.Store.Style.DataColor = clRed;
    s.Store.AddLine(0, 5, 10, 5, cmWorld);
    TObject* dataSender = nullptr;
    TObject* itemSender = nullptr;
    s.BeforeData = [&](TObject* Sender, TCanvas*, int Top, int Left) {
        dataSender = Sender;
        EXPECT_EQ(Top, 0);
        EXPECT_EQ(Left, 0);
    };
    s.BeforeItem = [&](TObject* Sender, TkxChartItem& Item, int, bool) {
        itemSender = Sender;
        Item.Color = clGreen;
    };
    const auto b = s.Paint();
    EXPECT_EQ(dataSender, &s.Sender);
    EXPECT_EQ(itemSender, &s.Sender);
    EXPECT_EQ(b->Canvas()->Pixel(105, 70), clGreen);
    EXPECT_EQ(s.Store.Data()[0].Color, clRed);
}

TEST(KurvexRenderer, CrossHairsAtTheirWorldPoints)
{
    TScene s;
    s.Look.ChartColor = clWhite;
    TCrossHair& c = *s.CrossHairs[0];
    c.SetLayer(1);
    c.SetPosX(5), c.SetPosY(5);
    c.SetColor(clRed);
    c.SetLineType(psSolid);
    c.SetMode(chBoth);
    auto b = s.Paint();
    TkxRenderer::DrawCrossHairs(s.View(), b->Canvas(), 0, 0);
    int px, py;
    s.Layers.WorldToPixel(1, 5, 5, px, py);
    EXPECT_EQ(b->Canvas()->Pixel(px, 30), clRed);
    EXPECT_EQ(b->Canvas()->Pixel(60, py), clRed);
    EXPECT_EQ(b->Canvas()->Pixel(60, 30), clWhite);
}
