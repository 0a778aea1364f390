// The chart's item store: the record each command writes, list growth and long texts, the
// creation attributes, and fitting the layers' ranges to the items.
#include "ZEV_kurvex.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {
struct Range {
    double Lo, Hi;
};
Range XRange(const TKurvex& K, int Layer)
{
    return {K.ScalePropsX(Layer)->RangeLow(), K.ScalePropsX(Layer)->RangeHigh()};
}
Range YRange(const TKurvex& K, int Layer)
{
    return {K.ScalePropsY(Layer)->RangeLow(), K.ScalePropsY(Layer)->RangeHigh()};
}
void ExpectRange(const Range& R, double Lo, double Hi, double Tol = 1e-12)
{
    EXPECT_NEAR(R.Lo, Lo, Tol * std::max(1.0, std::abs(Lo)));
    EXPECT_NEAR(R.Hi, Hi, Tol * std::max(1.0, std::abs(Hi)));
}
} // namespace

TEST(KurvexItems, RecordFieldsPerCommand)
{
    TKurvex k;
    k.SetDataColor(clNavy);
    k.SetFillColor(clYellow);
    k.SetPenStyle(psDot);
    k.SetLineWidth(3);
    k.SetClassDefault(7);
    k.SetItemTag(-42);
    k.SetActiveLayer(5);
    k.SetTextBkStyle(tbSolid);
    k.SetTextAlignment(taLeftJustify);

    k.AddMark(1.5, -2.5, 6);
    k.AddLine(-1, 0, 1, 0);
    k.MoveTo(3, 4);
    k.AddText(7, 8, 12, QStringLiteral("abc"));
    k.AddText(7, 8, 5, -6, taRightJustify, cmPixels, 9, QStringLiteral("off"));
    const TkxItemList& items = k.DataItems();
    ASSERT_EQ(items.Count(), 5);

    for (const TkxChartItem& it : items) {
        EXPECT_EQ(it.Layer, 5);
        EXPECT_EQ(it.ClassNo, 7);
        EXPECT_EQ(it.Color, clNavy);
        EXPECT_EQ(it.PenStyle, psDot);
        EXPECT_EQ(it.Tag, -42);
        EXPECT_EQ(it.CoordMode, cmWorld); // the data list is always in world units
        EXPECT_EQ(it.EdgeColor1, 0u);
        EXPECT_EQ(it.NoFill, 0);
    }
    const TkxChartItem& mark = items[0];
    EXPECT_EQ(mark.Kind, ikMark);
    EXPECT_EQ(mark.X, 1.5);
    EXPECT_EQ(mark.Y, -2.5);
    EXPECT_EQ(mark.Param3, 6);
    EXPECT_EQ(mark.LineWidth, 3);
    EXPECT_EQ(mark.FillColor, 0u); // marks do not record the fill colour

    const TkxChartItem& line = items[1];
    EXPECT_EQ(line.Kind, ikLine);
    EXPECT_EQ(line.X, -1.0);
    EXPECT_EQ(line.Y, 0.0);
    EXPECT_EQ(line.X2, 1.0);
    EXPECT_EQ(line.Y2, 0.0);
    EXPECT_EQ(line.FillColor, clYellow);

    const TkxChartItem& move = items[2];
    EXPECT_EQ(move.Kind, ikMoveTo);
    EXPECT_EQ(move.X, 3.0);
    EXPECT_EQ(move.FillColor, 0u);

    const TkxChartItem& text = items[3];
    EXPECT_EQ(text.Kind, ikText);
    EXPECT_EQ(text.Text.ToString(), QStringLiteral("abc"));
    EXPECT_EQ(text.LineWidth, 0);
    EXPECT_EQ(text.Param1, 12);
    EXPECT_EQ(text.Param2, tbSolid);
    EXPECT_EQ(text.Param3, 0); // TextAlignment left
    EXPECT_EQ(text.X2, 0.0);

    const TkxChartItem& offset = items[4];
    EXPECT_EQ(offset.Kind, ikTextOffset);
    EXPECT_EQ(offset.X2, 5.0);
    EXPECT_EQ(offset.Y2, -6.0);
    EXPECT_EQ(offset.Param3, 1); // right
    EXPECT_EQ(offset.Param1, 9);
}

TEST(KurvexItems, AnnotationModeKeepsCoordinateModesAndSurvivesClear)
{
    TKurvex k;
    k.SetAnnotationMode(true);
    k.AddLine(-1, 0, 1, 0); // the integer form: pixels in the annotation list
    k.AddLine(0.5, 0.5, 2, 3, cmWorldThenPixels);
    k.AddText(1, 2, 4, 4, taCenter, cmPixelXWorldY, 8, QStringLiteral("a"));
    k.SetAnnotationMode(false);
    k.AddMark(0, 0, 1);
    EXPECT_EQ(k.DataItems().Count(), 1);
    const TkxItemList& notes = k.AnnotationItems();
    ASSERT_EQ(notes.Count(), 3);
    EXPECT_EQ(notes[0].CoordMode, cmPixels);
    EXPECT_EQ(notes[1].CoordMode, cmWorldThenPixels);
    EXPECT_EQ(notes[2].CoordMode, cmPixelXWorldY);

    k.ClearItems();
    EXPECT_EQ(k.DataItems().Count(), 0);
    EXPECT_EQ(k.DataItems().Capacity(), 0);
    EXPECT_EQ(notes.Count(), 3);
}

TEST(KurvexItems, ListsGrowInAllocSizeSteps)
{
    TKurvex k;
    EXPECT_EQ(k.AllocSize(), 1000);
    for (int bad : {0, -1, 2000000}) {
        k.SetAllocSize(bad);
        EXPECT_EQ(k.AllocSize(), 1000) << bad;
    }
    for (int i = 0; i < 1000; ++i) k.AddMark(i, i, 1);
    EXPECT_EQ(k.DataItems().Capacity(), 1000);
    k.AddMark(1000, 1000, 1);
    EXPECT_EQ(k.DataItems().Capacity(), 2000);
    k.SetAllocSize(7);
    for (int i = 0; i < 999; ++i) k.AddMark(i, -i, 1);
    EXPECT_EQ(k.DataItems().Count(), 2000);
    EXPECT_EQ(k.DataItems().Capacity(), 2000);
    k.AddMark(0, 0, 1);
    EXPECT_EQ(k.DataItems().Capacity(), 2007);

    // Growing keeps every record and zero-fills the new ones.
    for (int i = 0; i < 1000; ++i) ASSERT_EQ(k.DataItems()[i].X, double(i));
    EXPECT_EQ(k.DataItems()[1500].Y, -499.0);
    EXPECT_EQ(k.DataItems()[2000].Y2, 0.0);
    // Room reserved beyond the capacity stays small.
    EXPECT_LE(k.DataItems().ReservedBytes(),
              2007 * (sizeof(TkxChartItem) + sizeof(TkxPackedMark)) * 11 / 10 + 2 * 4096);

    k.ClearItems();
    k.AddMark(0, 0, 1);
    EXPECT_EQ(k.DataItems().Capacity(), 7);
    EXPECT_EQ(k.DataItems()[0].Y2, 0.0);
}

TEST(KurvexItems, PackedMarksCopyMarksInWorldUnitsOnly)
{
    TkxChartItem mark{};
    mark.Kind = ikMark, mark.X = 1.5, mark.Y = -2.5, mark.Color = clTeal, mark.Param3 = 262;
    mark.ClassNo = 254, mark.Layer = kxMaxLayer, mark.LineWidth = 255;
    struct Row {
        const char* Name;
        void (*Change)(TkxChartItem&);
        bool Packed;
    };
    const std::vector<Row> rows = {
        {"mark", [](TkxChartItem&) {}, true},
        {"line", [](TkxChartItem& I) { I.Kind = ikLine; }, false},
        {"pixels", [](TkxChartItem& I) { I.CoordMode = cmPixels; }, false},
        {"world x, pixel y", [](TkxChartItem& I) { I.CoordMode = cmWorldXPixelY; }, false},
        {"layer 0", [](TkxChartItem& I) { I.Layer = 0; }, false},
        {"layer beyond", [](TkxChartItem& I) { I.Layer = kxMaxLayer + 1; }, false},
        {"negative width", [](TkxChartItem& I) { I.LineWidth = -1; }, false},
        {"width beyond a byte", [](TkxChartItem& I) { I.LineWidth = 256; }, false},
    };
    TkxItemList list, copy;
    for (const Row& r : rows) {
        TkxChartItem item = mark;
        r.Change(item);
        list.Append(item, 3);
    }
    copy.CopyFrom(list, 5);
    // Param3 262 as a byte, as the record's mark type is taken.
    const TkxPackedMark packed{1.5, -2.5, clTeal, 6, 254, kxMaxLayer, 255};
    for (const TkxItemList* l : {&list, &copy})
        for (int i = 0; i < l->Count(); ++i)
            EXPECT_TRUE(l->PackedMarks()[i] ==
                        (rows[std::size_t(i)].Packed ? packed : TkxPackedMark{}))
                << rows[std::size_t(i)].Name;
}

TEST(KurvexItems, LongTextsGoToTheTableWhileItHasRoom)
{
    TKurvex k;
    const QString sixteen = QStringLiteral("0123456789ABCDEF");
    k.AddText(0, 0, 8, sixteen);
    const TkxItemList& items = k.DataItems();
    EXPECT_EQ(items[0].Text.ToString(), sixteen.left(15));
    EXPECT_EQ(items[0].LineWidth, 1);
    EXPECT_EQ(items.LongText(1), sixteen);
    EXPECT_EQ(items.LongText(0), QString());
    EXPECT_EQ(items.LongText(51), QString());

    // Exactly fifteen characters stay inline; line feeds are kept.
    k.AddText(0, 0, 8, QStringLiteral("line1\nline2\n345"));
    EXPECT_EQ(items[1].LineWidth, 0);
    EXPECT_EQ(items[1].Text.ToString(), QStringLiteral("line1\nline2\n345"));

    for (int i = 2; i <= 50; ++i) k.AddText(0, 0, 8, sixteen + QString::number(i));
    EXPECT_EQ(items.LongTextCount(), 50);
    EXPECT_EQ(items[50].LineWidth, 50);
    k.AddText(0, 0, 8, QStringLiteral("the fifty-first long text"));
    EXPECT_EQ(items[51].LineWidth, 0);
    EXPECT_EQ(items[51].Text.ToString(), QStringLiteral("the fifty-first"));

    // Texts beyond Latin-1 keep their characters.
    k.AddText(0, 0, 8, QStringLiteral("μ ± σ"));
    EXPECT_EQ(items[52].Text.ToString(), QStringLiteral("μ ± σ"));

    // Clearing keeps the table; the annotation list has its own.
    k.ClearItems();
    EXPECT_EQ(k.DataItems().LongTextCount(), 50);
    k.SetAnnotationMode(true);
    k.AddText(0, 0, 8, sixteen);
    EXPECT_EQ(k.AnnotationItems()[0].LineWidth, 1);
}

TEST(KurvexItems, AttributeSettersIgnoreValuesOutOfRange)
{
    TKurvex k;
    k.SetClassDefault(254);
    k.SetClassDefault(255);
    EXPECT_EQ(k.ClassDefault(), 254);
    k.SetActiveLayer(16);
    k.SetActiveLayer(17);
    k.SetActiveLayer(0);
    EXPECT_EQ(k.ActiveLayer(), 16);
    EXPECT_EQ(k.FillColor(), clSilver);
    k.SetTextBkColor(clRed);
    EXPECT_EQ(k.FillColor(), clRed);
}

TEST(KurvexAutoRange, FitsLayersToTheData)
{
    struct Row {
        const char* Name;
        std::vector<std::pair<double, double>> Marks;
        double Margin, MinSpan;
        bool LogX;
        double XLo, XHi, YLo, YHi;
    };
    const std::vector<Row> rows = {
        // Equal ends open by 1 after the margin, which is 0 on an empty span.
        {"equal y ends", {{0, 5}, {10, 5}}, 3, 0, false, -0.3, 10.3, 4, 6},
        {"no items", {}, 3, 0, false, -1, 1, -1, 1},
        {"one point", {{2, -7}}, 10, 0, false, 1, 3, -8, -6},
        // The span is widened where it is below MinSpan per cent of the centre: x, not y.
        {"minimum span", {{10, 1}, {11, 2}}, 1, 50, false, 9.99 - 5.25, 11.01 + 5.25, 0.99, 2.01},
        {"logarithmic margin",
         {{1, 0}, {100, 1}},
         10,
         0,
         true,
         std::pow(10, -0.2),
         std::pow(10, 2.2),
         -0.1,
         1.1},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.Name);
        TKurvex k;
        if (r.LogX) {
            k.WriteLayerRange(1, 1, 10, 0, 1);
            k.ScalePropsX(1)->SetLogarithmic(true);
        }
        for (auto [x, y] : r.Marks) k.AddMark(x, y, 1);
        k.AutoRange(1, r.Margin, r.MinSpan);
        ExpectRange(XRange(k, 1), r.XLo, r.XHi, 1e-12);
        ExpectRange(YRange(k, 1), r.YLo, r.YHi, 1e-12);
    }
}

TEST(KurvexAutoRange, ExtentCoversSecondPointsAndHalfAxes)
{
    TKurvex k;
    k.AddLine(0.0, 0.0, 4.0, -2.0, cmWorld);
    k.SetActiveLayer(2);
    k.AddMark(100, 100, 1); // other layers do not count
    k.SetActiveLayer(1);
    k.AddText(-3, 1, 8, QStringLiteral("t"));
    k.AutoRange(1, 0);
    ExpectRange(XRange(k, 1), -3, 4);
    ExpectRange(YRange(k, 1), -2, 1);
    // Values that cannot be drawn do not stretch the range.
    k.AddMark(std::nan(""), HUGE_VAL, 1);
    k.AutoRange(1, 0);
    ExpectRange(XRange(k, 1), -3, 4);
    ExpectRange(YRange(k, 1), -2, 1);
}

TEST(KurvexAutoRange, RangesThatCannotBeShownAreRefused)
{
    {
        SCOPED_TRACE("narrower than MinRange");
        TKurvex k;
        k.ScalePropsX(1)->SetMinRange(1);
        k.WriteLayerRange(1, 0, 5, 0, 5);
        k.AddMark(0, 0, 1);
        k.AddMark(0.5, 3, 1);
        k.AutoRange(1, 0);
        ExpectRange(XRange(k, 1), 0, 5);
        ExpectRange(YRange(k, 1), 0, 3);
    }
    {
        SCOPED_TRACE("empty logarithmic layer starting at 1");
        TKurvex k;
        k.WriteLayerRange(1, 1, 50, 1, 50);
        k.ScalePropsX(1)->SetLogarithmic(true);
        k.ScalePropsY(1)->SetLogarithmic(true);
        // The fitted -1..1 keeps only its upper end, 1..1: refused, not divided by.
        EXPECT_NO_THROW(k.AutoRange(1, 3));
        ExpectRange(XRange(k, 1), 1, 50);
        int px, py;
        k.WorldToPixel(1, 50, 50, px, py);
        EXPECT_EQ(px, 280 - 20);
        EXPECT_EQ(py, 20);
    }
    {
        SCOPED_TRACE("logarithmic margin over data at or below 0");
        TKurvex k;
        k.WriteLayerRange(1, 1, 50, 0, 1);
        k.ScalePropsX(1)->SetLogarithmic(true);
        k.AddMark(-4, 0, 1);
        k.AddMark(-2, 1, 1);
        // No logarithm of a non-positive maximum; the fitted ends are refused on this axis.
        EXPECT_NO_THROW(k.AutoRange(1, 10));
        ExpectRange(XRange(k, 1), 1, 50);
    }
    {
        SCOPED_TRACE("ends too large for MinRange to separate");
        TKurvex k;
        k.AddMark(1e20, 0, 1);
        k.AutoRange(1, 0);
        const Range x = XRange(k, 1);
        EXPECT_TRUE(std::isfinite(x.Lo) && std::isfinite(x.Hi));
        EXPECT_NE(x.Lo, x.Hi);
    }
}

TEST(KurvexAutoRange, AllLayersAtOnce)
{
    TKurvex k;
    k.AddMark(0, 0, 1);
    k.AddMark(10, 20, 1);
    k.SetActiveLayer(3);
    k.AddMark(-5, 7, 1);
    k.AutoRange(0, 10);
    ExpectRange(XRange(k, 1), -1, 11);
    ExpectRange(YRange(k, 1), -2, 22);
    ExpectRange(XRange(k, 3), -6.2, -3.8); // equal ends opened before the margin
    ExpectRange(YRange(k, 3), 5.8, 8.2);
    ExpectRange(XRange(k, 2), -1.2, 1.2); // no items: 0..0 opened to -1..1, then the margin
    // Without a margin the equal ends are only opened.
    k.AutoRange(0, 0, 1000);
    ExpectRange(XRange(k, 3), -6, -4);
}

TEST(KurvexAutoRange, LogarithmicAxisWithNonPositiveEndRaises)
{
    TKurvex k;
    // Taken on the range 0..1: a chart made at run time does not check it.
    k.ScalePropsX(1)->SetLogarithmic(true);
    k.AddMark(0, 1, 1);
    k.AddMark(10, 2, 1);
    try {
        k.AutoRange(1, 0);
        FAIL() << "no error";
    } catch (const EZEVKurvexError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Logarithmic axis must not be negative."));
    }
    // The low end 0 was refused, the high end written before the error.
    ExpectRange(XRange(k, 1), 0, 10);
}

// Assign copies both lists with their long texts, sized to the source's growth step, and the
// creation attributes; the copy is the target's own.
TEST(KurvexItems, AssignCopiesListsAndAttributes)
{
    TKurvex a, b;
    a.SetAllocSize(400);
    a.SetDataColor(clNavy);
    a.SetClassDefault(9);
    a.SetActiveLayer(3);
    for (int i = 0; i < 1000; ++i) a.AddMark(i, -i, 2);
    a.AddText(1, 2, 8, QStringLiteral("a text longer than fifteen"));
    a.SetAnnotationMode(true);
    a.AddLine(1, 2, 3, 4);

    b.Assign(&a);
    EXPECT_EQ(b.DataItems().Count(), 1001);
    EXPECT_EQ(b.DataItems().Capacity(), 1200);
    EXPECT_EQ(b.DataItems()[999].X, 999);
    EXPECT_EQ(b.DataItems()[999].Layer, 3);
    EXPECT_EQ(b.DataItems().LongText(1), QStringLiteral("a text longer than fifteen"));
    EXPECT_EQ(b.AnnotationItems().Count(), 1);
    EXPECT_EQ(b.AnnotationItems()[0].CoordMode, cmPixels);
    EXPECT_EQ(b.DataColor(), clNavy);
    EXPECT_EQ(b.ClassDefault(), 9);
    EXPECT_EQ(b.ActiveLayer(), 3);
    EXPECT_EQ(b.AllocSize(), 400);
    EXPECT_TRUE(b.AnnotationMode());

    a.SetAnnotationMode(false);
    a.AddMark(0, 0, 1);
    a.ClearItems();
    EXPECT_EQ(b.DataItems().Count(), 1001);

    TFont font;
    EXPECT_THROW(b.Assign(&font), EAssignError);
}
