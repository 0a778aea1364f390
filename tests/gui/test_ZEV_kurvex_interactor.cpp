// The chart's mouse handling through a stand-in host, without a widget: gestures change the
// ranges of the layers that follow the mouse and report what they did.
#include "ZEV_kurvex_interactor.h"

#include <gtest/gtest.h>

namespace {
// A 300 x 200 chart with margins 50/10/20/30: plot (50, 20) .. (290, 170), world 0..10 on both
// axes of every layer; nothing painted yet.
struct THost final : TkxInteractorHost {
    TkxLayerSet L;
    TCrossHair Cross;
    TTextLabel Label;
    std::vector<std::string> Reports;
    int Locks = 0;

    THost()
    {
        L.GeometryOf = [this] { return Geometry(); };
        L.ResetProps(nullptr);
        for (int n = 1; n <= kxMaxLayer; ++n) L.StoreRange(n, 0, 10, 0, 10);
        L.ComputeFactors();
    }
    TkxPlotGeometry Geometry() const override { return {300, 200, 50, 10, 20, 30, 0}; }
    TkxLayerSet& Layers() override { return L; }
    bool Isometric() const override { return false; }
    int ActiveLayerOfItems() const override { return 1; }
    TCrossHair* CrossHair(int) const override { return const_cast<TCrossHair*>(&Cross); }
    TTextLabel* TextLabel(int) const override { return const_cast<TTextLabel*>(&Label); }
    void SetRanges(int Layer, double LoX, double LoY, double HiX, double HiY) override
    {
        L.CoupledRange(Layer, LoX, LoY, HiX, HiY);
    }
    bool Lock() override { return Locks++ > 0; }
    void Unlock(bool) override { --Locks; }
    TCanvas* ScreenCanvas() override { return nullptr; }
    void ShowScreen() override {}
    void SetPointerCursor(int) override {}
    void ReportMouseMove(TShiftState, int, int) override {}
    void ReportPointer(bool InChart, TShiftState, double, double) override
    {
        Reports.push_back(InChart ? "in" : "out");
    }
    void ReportZoomPan() override { Reports.push_back("zoompan"); }
    void ReportWindow(bool Select, int, double, double, double, double) override
    {
        Reports.push_back(Select ? "select" : "rubber");
    }
    bool AllowCrossHairMove(int, int, int) override { return true; }
    void ReportCrossHairMove(int) override { Reports.push_back("cross"); }
    void ReportLabelMove(int) override { Reports.push_back("label"); }
};
} // namespace

TEST(KurvexInteractor, PanMovesLayerOneOnly)
{
    THost h;
    TkxInteractor m(h);
    m.Settings.Action = maPan;
    m.Move(ssLeft, 170, 95); // starts the drag
    m.Move(ssLeft, 194, 95); // 24 pixels right: a tenth of the plot
    EXPECT_NEAR(h.L.Range(1).LoX, -1, 1e-9);
    EXPECT_NEAR(h.L.Range(1).HiX, 9, 1e-9);
    EXPECT_EQ(h.L.Range(2).LoX, 0);
    EXPECT_EQ(h.Locks, 0);
    EXPECT_EQ(std::count(h.Reports.begin(), h.Reports.end(), "zoompan"), 1);
}

TEST(KurvexInteractor, WindowsByMode)
{
    struct Row {
        TMouseActMode Mode;
        const char* Report;
        TkxLayerRange Expected;
    };
    const std::vector<Row> rows = {
        {maZoomWind, "zoompan", {2, 5, 3, 5}},
        {maSelectRect, "select", {0, 10, 0, 10}},
        {maRubberBand, "rubber", {0, 10, 0, 10}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.Report);
        THost h;
        TkxInteractor m(h);
        m.Settings.Action = r.Mode;
        // Left to right and top to bottom keep the axes' directions.
        m.ButtonDown(mbLeft, 98, 95); // world (2, 5)
        m.Move(ssLeft, 170, 125);     // world (5, 3)
        m.ButtonUp(mbLeft);
        const TkxLayerRange got = h.L.Range(1);
        EXPECT_NEAR(got.LoX, r.Expected.LoX, 1e-9);
        EXPECT_NEAR(got.HiX, r.Expected.HiX, 1e-9);
        EXPECT_NEAR(got.LoY, r.Expected.LoY, 1e-9);
        EXPECT_NEAR(got.HiY, r.Expected.HiY, 1e-9);
        EXPECT_NE(std::find(h.Reports.begin(), h.Reports.end(), r.Report), h.Reports.end());
    }
}

TEST(KurvexInteractor, AxisBandsAndDoubleClickToggle)
{
    THost h;
    TkxInteractor m(h);
    h.L.X(1).SetVisible(true);
    h.L.Y(1).SetVisible(true);
    EXPECT_EQ(m.AxisAtPoint(30, 100), 1);   // left of the plot: layer 1's y axis
    EXPECT_EQ(m.AxisAtPoint(150, 185), -1); // below it: layer 1's x axis
    EXPECT_EQ(m.AxisAtPoint(150, 100), 0);
    h.L.Y(1).SetMouseAction(maPan);
    m.SetLastPoint({30, 100});
    m.DoubleClick();
    EXPECT_EQ(h.L.Y(1).MouseAction(), maZoom);
    EXPECT_TRUE(m.SwallowClick());
    EXPECT_FALSE(m.SwallowClick());
}

TEST(KurvexInteractor, TraceInWorldUnitsWithPenUps)
{
    THost h;
    TkxInteractor m(h);
    m.Settings.Action = maDrawMTrace;
    m.Move(ssLeft, 50, 170);
    m.Move(ssLeft, 400, 20); // clamped to the plot
    m.ButtonUp(mbLeft);
    ASSERT_EQ(m.Trace().size(), 2u);
    EXPECT_NEAR(m.Trace()[0].X, 0, 1e-9);
    EXPECT_NEAR(m.Trace()[1].X, 10, 1e-9);
    EXPECT_NEAR(m.Trace()[1].Y, 10, 1e-9);
    EXPECT_EQ(m.Trace()[1].Flags & 1, 1);
    EXPECT_EQ(h.Reports, (std::vector<std::string>{"in", "out"}));
}
