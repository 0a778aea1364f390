// Scale property sets: defaults, setter rules and Assign, and the chart's reset, copy into the
// axis scales and reaction to changes of its sets.
#include "ZEV_kurvex.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {
// Counts OnChange calls of a set.
struct ChangeCounter {
    int Calls = 0;
    explicit ChangeCounter(TScaleProps& P)
    {
        P.OnChange = [this](TObject*) { ++Calls; };
    }
};
} // namespace

TEST(ScaleProps, DefaultsOfANewSet)
{
    TScalePropsHoriz x;
    TScalePropsVert y;
    for (const TScaleProps* p : {static_cast<TScaleProps*>(&x), static_cast<TScaleProps*>(&y)}) {
        EXPECT_EQ(p->RangeLow(), 0.0);
        EXPECT_EQ(p->RangeHigh(), 1.0);
        EXPECT_EQ(p->MinRange(), 1e-10);
        EXPECT_EQ(p->DecPlaces(), -2);
        EXPECT_EQ(p->MinTicks(), 3);
        EXPECT_EQ(p->LabelType(), ftNum);
        EXPECT_FALSE(p->Visible());
        EXPECT_FALSE(p->Logarithmic());
        EXPECT_TRUE(p->ShortTicks());
        EXPECT_TRUE(p->NotLoaded());
        EXPECT_EQ(p->CaptionAlignment(), taCenter);
        EXPECT_EQ(p->DateFormat()->DateSeparator(), QLatin1Char('-'));
        EXPECT_EQ(p->DateFormat()->YearLength(), ylYYYY);
        EXPECT_EQ(p->DateFormat()->DateOrder(), doDDMMYY);
        EXPECT_EQ(p->PositionCode(), spcBottom);
    }
    EXPECT_EQ(x.ScaleLocation(), slBottom);
    EXPECT_EQ(y.ScaleLocation(), slLeft);
}

TEST(ScaleProps, RangeAndMinRangeRules)
{
    struct Row {
        const char* Name;
        double Lo, Hi, MinRange;
        char Which; // 'l' RangeLow, 'h' RangeHigh, 'm' MinRange
        double Value;
        double ExpLo, ExpHi;
        int Events;
    };
    const std::vector<Row> rows = {
        {"MinRange widens about the centre", 0, 1, 1e-10, 'm', 4, -1.5, 2.5, 1},
        {"MinRange within the span is silent", 0, 1, 1e-10, 'm', 0.5, 0, 1, 0},
        {"MinRange keeps a reversed axis reversed", 1, 0, 1e-10, 'm', 4, 2.5, -1.5, 1},
        {"MinRange too small is ignored", 0, 1, 0.3, 'm', 1e-101, 0, 1, 0},
        {"low close to high pushes high", 0, 1, 0.1, 'l', 0.99, 0.99, 1.09, 1},
        {"high close to low pushes low", 0, 1, 0.1, 'h', 0.05, -0.05, 0.05, 1},
        {"plain low", 0, 1, 0.1, 'l', -3, -3, 1, 1},
        {"plain high", 0, 1, 0.1, 'h', 8, 0, 8, 1},
        {"low not a number is refused", 0, 1, 0.1, 'l', std::nan(""), 0, 1, 1},
        {"high infinite is refused", 0, 1, 0.1, 'h', HUGE_VAL, 0, 1, 1},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.Name);
        TScalePropsHoriz p;
        p.StoreRange(r.Lo, r.Hi);
        p.SetMinRange(r.MinRange);
        ChangeCounter changes(p);
        if (r.Which == 'l') p.SetRangeLow(r.Value);
        if (r.Which == 'h') p.SetRangeHigh(r.Value);
        if (r.Which == 'm') p.SetMinRange(r.Value);
        EXPECT_NEAR(p.RangeLow(), r.ExpLo, 1e-12);
        EXPECT_NEAR(p.RangeHigh(), r.ExpHi, 1e-12);
        EXPECT_EQ(changes.Calls, r.Events);
    }
}

TEST(ScaleProps, EndsTooLargeForMinRangeStillDiffer)
{
    TScalePropsHoriz p;
    p.StoreRange(0, 1e20);
    p.SetRangeLow(1e20);
    EXPECT_EQ(p.RangeLow(), 1e20);
    EXPECT_GT(p.RangeHigh(), 1e20);
    EXPECT_TRUE(std::isfinite(p.RangeHigh()));
    p.SetRangeHigh(1e20);
    EXPECT_LT(p.RangeLow(), 1e20);
    p.SetMinRange(1e-5); // centre 1e20: half the span does not register at this size
    EXPECT_NE(p.RangeLow(), p.RangeHigh());
}

TEST(ScaleProps, LogarithmicIsCheckedOnceLoaded)
{
    struct Row {
        const char* Name;
        bool Loaded;
        double Lo, Hi;
        TFigType Labels;
        bool Taken;
    };
    const std::vector<Row> rows = {
        {"not loaded, negative range", false, -1, 10, ftNum, true},
        {"loaded, negative range", true, -1, 10, ftNum, false},
        {"loaded, zero low end", true, 0, 10, ftNum, false},
        {"loaded, positive range", true, 1, 10, ftNum, true},
        {"loaded, date labels", true, 1, 10, ftDateTime, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.Name);
        TScalePropsVert p;
        p.StoreRange(r.Lo, r.Hi);
        p.SetLabelType(r.Labels);
        p.SetNotLoaded(!r.Loaded);
        ChangeCounter changes(p);
        p.SetLogarithmic(true);
        EXPECT_EQ(p.Logarithmic(), r.Taken);
        EXPECT_EQ(changes.Calls, 1); // also when refused
    }
    TScalePropsVert p;
    p.StoreRange(1, 10);
    p.SetNotLoaded(false);
    p.SetLogarithmic(true);
    ChangeCounter changes(p);
    p.SetRangeLow(0); // ignored on a logarithmic axis, but reported
    EXPECT_EQ(p.RangeLow(), 1.0);
    EXPECT_EQ(changes.Calls, 1);
    p.SetLabelType(ftDateTime);
    EXPECT_FALSE(p.Logarithmic());
}

TEST(ScaleProps, OtherSetterRules)
{
    TScalePropsHoriz p;
    ChangeCounter changes(p);
    const std::vector<std::pair<int, int>> decPlaces = {{20, 12}, {-7, -3}, {5, 5}};
    for (auto [in, out] : decPlaces) {
        p.SetDecPlaces(in);
        EXPECT_EQ(p.DecPlaces(), out);
    }
    p.SetLabelType(ftTime);
    EXPECT_EQ(p.DecPlaces(), 4);
    p.SetMouseAction(maPan); // no event
    EXPECT_EQ(changes.Calls, 4);
    p.Font()->SetSize(14);
    EXPECT_EQ(changes.Calls, 5);

    // ScalePos has one storage for top/bottom and one for left/right.
    p.SetScalePos(30);
    p.SetPositionCode(spcLeft);
    EXPECT_EQ(p.ScalePos(), 0);
    p.SetScalePos(50);
    p.SetPositionCode(spcTop);
    EXPECT_EQ(p.ScalePos(), 30);
    p.SetScaleLocation(slBottom);
    EXPECT_EQ(p.PositionCode(), spcBottom);
    TScalePropsVert v;
    v.SetScaleLocation(slRight);
    EXPECT_EQ(v.PositionCode(), spcRight);
}

TEST(ScaleProps, AssignCopiesSettingsButKeepsOwnHandlersAndMouseAction)
{
    TScalePropsHoriz a, b;
    a.SetCaption(QStringLiteral("time"));
    a.StoreRange(2, 3);
    a.SetMinRange(0.5);
    a.SetDecPlaces(3);
    a.SetMouseAction(maZoom);
    a.SetScaleLocation(slTop);
    a.SetScalePos(17);
    a.Font()->SetSize(20);
    a.DateFormat()->SetYearLength(ylYY);
    a.SetNotLoaded(false);
    int bChanges = 0;
    b.OnChange = [&](TObject*) { ++bChanges; };
    b.Assign(&a);
    EXPECT_EQ(bChanges, 0);
    EXPECT_EQ(b.Caption(), QStringLiteral("time"));
    EXPECT_EQ(b.RangeLow(), 2.0);
    EXPECT_EQ(b.MinRange(), 0.5);
    EXPECT_EQ(b.DecPlaces(), 3);
    EXPECT_EQ(b.PositionCode(), spcTop);
    EXPECT_EQ(b.ScalePos(), 17);
    EXPECT_EQ(b.Font()->Size(), 20);
    EXPECT_EQ(b.DateFormat()->YearLength(), ylYY);
    EXPECT_FALSE(b.NotLoaded());
    EXPECT_EQ(b.MouseAction(), maNone);
    EXPECT_EQ(b.ScaleLocation(), slBottom);
    // Still reporting to its own handler, through the font too.
    b.SetCaption(QStringLiteral("x"));
    b.Font()->SetSize(9);
    EXPECT_EQ(bChanges, 2);

    TFont font;
    EXPECT_THROW(b.Assign(&font), EAssignError);
}

TEST(ScalePropsInChart, ResetPlacesEveryLayersAxes)
{
    TKurvex k;
    for (int n = 5; n <= kxMaxLayer; ++n) {
        SCOPED_TRACE(n);
        const TScaleProps* x = k.ScalePropsX(n);
        const TScaleProps* y = k.ScalePropsY(n);
        EXPECT_EQ(x->PositionCode(), n % 2 ? spcBottom : spcTop);
        EXPECT_EQ(y->PositionCode(), n % 2 ? spcLeft : spcRight);
        EXPECT_EQ(x->ScalePos(), (n - 1) / 2 * 30);
        EXPECT_EQ(y->ScalePos(), (n - 1) / 2 * 50);
        EXPECT_EQ(x->ColorScale(), LayerColor(n));
        EXPECT_EQ(k.ScaleObjectY(n)->ColorScale(), LayerColor(n));
    }
    EXPECT_EQ(LayerColor(2), 128u);
    EXPECT_EQ(LayerColor(16), 16777215u);
    // Indices outside 1..16 give layer 1's sets.
    EXPECT_EQ(k.ScalePropsX(0), k.ScalePropsX(1));
    EXPECT_EQ(k.ScalePropsX(17), k.Scale1X());
    EXPECT_EQ(k.ScalePropsY(-3), k.Scale1Y());
}

TEST(ScalePropsInChart, ChangesReachTheScalesAndTheMapping)
{
    TKurvex k;
    TScalePropsVert* y = k.Scale2Y();
    y->SetCaption(QStringLiteral("mass"));
    y->SetRangeLow(-4);
    y->SetRangeHigh(12);
    TScale* s = k.ScaleObjectY(2);
    EXPECT_EQ(s->Caption(), QStringLiteral("mass"));
    EXPECT_EQ(s->RangeLow(), -4.0);
    EXPECT_EQ(s->RangeHigh(), 12.0);
    int px, py;
    k.WorldToPixel(2, 0, 12, px, py);
    EXPECT_EQ(py, k.MarginTop());

    // Writing a published set copies it in; the chart's set keeps reporting to the chart.
    TScalePropsHoriz given;
    given.StoreRange(100, 200);
    given.SetCaption(QStringLiteral("copied"));
    k.SetScale3X(&given);
    EXPECT_EQ(k.Scale3X()->Caption(), QStringLiteral("copied"));
    k.Scale3X()->SetRangeHigh(400);
    EXPECT_EQ(k.ScaleObjectX(3)->RangeHigh(), 400.0);
    EXPECT_EQ(k.ScaleObjectX(3)->Caption(), QStringLiteral("copied"));
}

TEST(ScalePropsInChart, LoadingArmsTheLogarithmicCheck)
{
    TKurvex k;
    k.BeginLoading();
    k.Scale1X()->SetRangeLow(-1); // no mapping while loading
    k.Loaded();
    EXPECT_FALSE(k.Scale1X()->NotLoaded());
    k.Scale1X()->SetLogarithmic(true);
    EXPECT_FALSE(k.Scale1X()->Logarithmic());
}
