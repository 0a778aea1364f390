#include "Graphics.h"
#include "Grids.h"
#include "RecordingPopups.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QListWidget>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>
#include <map>

namespace {
// A grid that records what the base asks of its descendants.
class TProbeGrid : public TCustomGrid {
  public:
    int Drawn = 0;
    TGridCoord LastDrawn{-1, -1};
    std::vector<std::pair<TGridCoord, TGridDrawState>> States;
    std::vector<std::tuple<int, int, QString>> Stored;
    std::vector<bool> Unchanged; // EditTextUnchanged for each of Stored
    TEditStyle Style = esSimple;
    bool RecordStates = false;

    using TCustomGrid::CloseColumn;
    using TCustomGrid::OpenColumn;
    using TCustomGrid::OpenRow;
    const QImage& Paint0() { return Picture(); }

  protected:
    void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) override
    {
        ++Drawn;
        LastDrawn = {ACol, ARow};
        if (RecordStates) States.push_back({{ACol, ARow}, AState});
        TCustomGrid::DrawCell(ACol, ARow, ARect, AState);
    }
    QString GetEditText(int ACol, int ARow) override
    {
        return QStringLiteral("%1/%2").arg(ACol).arg(ARow);
    }
    void SetEditText(int ACol, int ARow, const QString& Value) override
    {
        Stored.emplace_back(ACol, ARow, Value);
        Unchanged.push_back(EditTextUnchanged());
    }
    TEditStyle GetEditStyle(int, int) override { return Style; }
    TInplaceEdit* CreateEditor() override
    {
        auto* e = new TInplaceEditList(this);
        e->OnGetPickListItems = [](int, int, QStringList& Items) {
            Items = {QStringLiteral("low"), QStringLiteral("high")};
        };
        return e;
    }
};

// 64-pixel columns and 24-pixel rows plus one line each: 65 and 25 pixels apart.
void Prepare(TProbeGrid& g, int cols, int rows, int w = 400, int h = 300)
{
    g.resize(w, h);
    g.SetColCount(cols);
    g.SetRowCount(rows);
    g.Paint0();
}
} // namespace

TEST(GridAxis, PositionsFollowTheFewCustomSizes)
{
    TGridAxis a;
    a.SetDefaultSize(10);
    a.SetCount(1000000);
    a.SetSize(2, 30);
    a.SetSize(5, 0);
    a.SetSize(999999, 4);
    struct Case {
        int index;
        long long start;
    } cases[] = {{0, 0}, {2, 22}, {3, 53}, {5, 75}, {6, 76}, {1000, 11000 + 20 - 10}};
    for (const auto& c : cases) EXPECT_EQ(a.Start(c.index), c.start) << "index " << c.index;
    EXPECT_EQ(a.Start(1000000), 11LL * 1000000 + 20 - 10 - 6);
    // IndexAt inverts Start, a cell's line belonging to it.
    struct Hit {
        long long offset;
        int index;
    } hits[] = {{-1, -1},
                {0, 0},
                {10, 0},
                {11, 1},
                {22, 2},
                {52, 2},
                {53, 3},
                {75, 5},
                {76, 6},
                {11000 + 10, 1000},
                {a.Start(1000000), 1000000}};
    for (const auto& h : hits) EXPECT_EQ(a.IndexAt(h.offset), h.index) << "offset " << h.offset;
    EXPECT_EQ(a.CustomCount(), 3u);
    a.SetCount(4); // shrinking forgets the sizes of cells that went away
    EXPECT_EQ(a.CustomCount(), 1u);
    a.SetCount(10);
    EXPECT_EQ(a.Size(5), 10);
    a.SetDefaultSize(7); // a new default resets every cell, as the platform does
    EXPECT_EQ(a.Size(2), 7);
    EXPECT_EQ(a.CustomCount(), 0u);
}

TEST(GridAxis, InsertAndRemoveCarrySizesAlong)
{
    TGridAxis a;
    a.SetDefaultSize(10);
    a.SetCount(5);
    a.SetSize(0, 80);
    a.SetSize(1, 32);
    a.SetSize(4, 50);
    a.Insert(1);
    EXPECT_EQ(a.Count(), 6);
    const int afterInsert[] = {80, 10, 32, 10, 10, 50};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(a.Size(i), afterInsert[i]) << i;
    a.Remove(2);
    a.Remove(1);
    EXPECT_EQ(a.Count(), 4);
    const int afterRemove[] = {80, 10, 10, 50};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(a.Size(i), afterRemove[i]) << i;
    a.Remove(7); // out of range: nothing
    a.Insert(9);
    EXPECT_EQ(a.Count(), 4);
}

TEST(Grid, GeometryScrollingAndHitTesting)
{
    TProbeGrid g;
    Prepare(g, 10, 1000000);
    g.SetColWidths(0, 80);
    ASSERT_EQ(g.TopRow(), 1);
    EXPECT_EQ(g.CellRect(0, 0), Rect(0, 0, 80, 24));
    EXPECT_EQ(g.CellRect(1, 1), Rect(81, 25, 145, 49));
    EXPECT_EQ(g.CellRect(2, 3), Rect(146, 75, 210, 99));
    EXPECT_FALSE(g.VertScrollBar()->isHidden());
    EXPECT_EQ(g.VisibleRowCount(), (g.GridClientHeight() - 25) / 25);

    g.SetTopRow(500000);
    EXPECT_EQ(g.TopRow(), 500000);
    EXPECT_EQ(g.CellRect(1, 500000), Rect(81, 25, 145, 49));
    EXPECT_EQ(g.CellRect(1, 1).Width(), 0); // scrolled away
    EXPECT_EQ(g.MouseCoord(100, 30), (TGridCoord{1, 500000}));
    EXPECT_EQ(g.MouseCoord(10, 10), (TGridCoord{0, 0}));
    EXPECT_EQ(g.MouseCoord(-1, 30).X, -1);
    // Every visible cell's corners hit that cell.
    for (int r = 500000; r < 500000 + g.VisibleRowCount(); ++r)
        for (int c = 1; c < 1 + g.VisibleColCount(); ++c) {
            const TRect R = g.CellRect(c, r);
            EXPECT_EQ(g.MouseCoord(R.Left, R.Top), (TGridCoord{c, r}));
            EXPECT_EQ(g.MouseCoord(R.Right - 1, R.Bottom - 1), (TGridCoord{c, r}));
        }

    g.SetTopRow(2000000); // clamped so that the last row is the last one on screen
    EXPECT_EQ(g.TopRow() + g.VisibleRowCount(), 1000000);
    EXPECT_EQ(g.VertScrollBar()->value(), g.TopRow() - 1);
    g.SetRowCount(3); // everything fits: back to the top, no scroll bar
    g.Paint0();
    EXPECT_EQ(g.TopRow(), 1);
    EXPECT_TRUE(g.VertScrollBar()->isHidden());
}

TEST(Grid, PaintingVisitsOnlyVisibleCells)
{
    TProbeGrid g;
    Prepare(g, 10, 1000000);
    g.Drawn = 0;
    g.SetTopRow(700000);
    g.Paint0();
    // The fixed column (81 pixels with its line) and row, then what starts before the scroll
    // bars: nothing is painted under them.
    const int perRow = 1 + (g.GridClientWidth() - 81 + 64) / 65;
    const int rows = 1 + (g.GridClientHeight() - 25 + 24) / 25;
    EXPECT_LE(g.Drawn, perRow * rows);
    EXPECT_GE(g.Drawn, perRow * (rows - 2));
    EXPECT_GE(g.LastDrawn.Y, 700000);
    EXPECT_LT(g.LastDrawn.Y, 700000 + 14);
}

TEST(Grid, CornerBetweenTheScrollBarsShowsNoCell)
{
    TProbeGrid g;
    Prepare(g, 20, 100, 300, 200);
    ASSERT_TRUE(g.VertScrollBar()->isVisibleTo(&g));
    ASSERT_TRUE(g.HorzScrollBar()->isVisibleTo(&g));
    const QImage& picture = g.Paint0();
    for (int y = g.GridClientHeight(); y < g.Height(); ++y)
        for (int x = g.GridClientWidth(); x < g.Width(); ++x)
            ASSERT_EQ(FromQColor(picture.pixelColor(x, y)), ColorToRGB(clBtnFace)) << x << "," << y;
}

TEST(Grid, DrawStatesMarkFixedSelectedAndFocusedCells)
{
    TProbeGrid g;
    Prepare(g, 5, 5);
    g.SetSelection({1, 1, 2, 2});
    g.RecordStates = true;
    g.Repaint();
    std::map<std::pair<int, int>, int> s;
    for (const auto& [cell, state] : g.States) s[std::make_pair(cell.X, cell.Y)] = state;
    struct Case {
        int col, row, state;
    } cases[] = {{0, 0, gdFixed},
                 {0, 2, gdFixed},
                 {1, 1, gdSelected | gdFocused},
                 {2, 2, gdSelected},
                 {3, 1, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(s[std::make_pair(c.col, c.row)], c.state) << c.col << "," << c.row;
}

TEST(Grid, KeyboardNavigationAndRangeSelection)
{
    TProbeGrid g;
    Prepare(g, 6, 200);
    g.show();
    struct Step {
        Qt::Key key;
        Qt::KeyboardModifiers mods;
        int col, row;
        TGridRect sel;
    } steps[] = {
        {Qt::Key_Down, Qt::NoModifier, 1, 2, {1, 2, 1, 2}},
        {Qt::Key_Right, Qt::NoModifier, 2, 2, {2, 2, 2, 2}},
        {Qt::Key_Right, Qt::ShiftModifier, 3, 2, {2, 2, 3, 2}},
        {Qt::Key_Down, Qt::ShiftModifier, 3, 3, {2, 2, 3, 3}},
        {Qt::Key_Up, Qt::NoModifier, 3, 2, {3, 2, 3, 2}},
        {Qt::Key_Up, Qt::NoModifier, 3, 1, {3, 1, 3, 1}},
        {Qt::Key_Up, Qt::NoModifier, 3, 1, {3, 1, 3, 1}}, // never into the fixed row
        {Qt::Key_End, Qt::NoModifier, 5, 1, {5, 1, 5, 1}},
        {Qt::Key_Tab, Qt::NoModifier, 5, 1, {5, 1, 5, 1}}, // no goTabs: Tab is not the grid's
        {Qt::Key_Home, Qt::NoModifier, 1, 1, {1, 1, 1, 1}},
        {Qt::Key_End, Qt::ControlModifier, 5, 199, {5, 199, 5, 199}},
        {Qt::Key_Home, Qt::ControlModifier, 1, 1, {1, 1, 1, 1}},
    };
    for (const auto& s : steps) {
        QTest::keyClick(&g, s.key, s.mods);
        EXPECT_EQ(g.Col(), s.col) << "key " << s.key;
        EXPECT_EQ(g.Row(), s.row) << "key " << s.key;
        EXPECT_EQ(g.Selection(), s.sel) << "key " << s.key;
    }
    g.SetOptions(g.Options() | goTabs);
    g.SetCol(5);
    QTest::keyClick(&g, Qt::Key_Tab);
    EXPECT_EQ((TGridCoord{g.Col(), g.Row()}), (TGridCoord{1, 2})); // wraps to the next row
    QTest::keyClick(&g, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ((TGridCoord{g.Col(), g.Row()}), (TGridCoord{5, 1}));

    // A page moves the view and the cursor by the rows on screen, and the view follows.
    int topChanges = 0;
    g.OnTopLeftChanged = [&](TObject*) { ++topChanges; };
    const int page = g.VisibleRowCount();
    QTest::keyClick(&g, Qt::Key_PageDown);
    EXPECT_EQ(g.Row(), 1 + page);
    EXPECT_EQ(g.TopRow(), 1 + page);
    EXPECT_GE(topChanges, 1);
    QTest::keyClick(&g, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(g.TopRow() + g.VisibleRowCount() - 1, 199);
}

TEST(Grid, MouseSelectsDragsAndWheels)
{
    TProbeGrid g;
    Prepare(g, 6, 50);
    g.show();
    const TRect a = g.CellRect(2, 2), b = g.CellRect(4, 5);
    QTest::mouseClick(&g, Qt::LeftButton, {}, QPoint(a.Left + 5, a.Top + 5));
    EXPECT_EQ(g.Selection(), (TGridRect{2, 2, 2, 2}));
    QTest::mousePress(&g, Qt::LeftButton, {}, QPoint(a.Left + 5, a.Top + 5));
    QMouseEvent move(QEvent::MouseMove, QPointF(b.Left + 5, b.Top + 5),
                     g.mapToGlobal(QPointF(b.Left + 5, b.Top + 5)), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(&g, &move);
    QTest::mouseRelease(&g, Qt::LeftButton, {}, QPoint(b.Left + 5, b.Top + 5));
    EXPECT_EQ(g.Selection(), (TGridRect{2, 2, 4, 5}));
    EXPECT_EQ((TGridCoord{g.Col(), g.Row()}), (TGridCoord{4, 5}));
    const TRect c = g.CellRect(3, 3);
    QTest::mouseClick(&g, Qt::LeftButton, Qt::ShiftModifier, QPoint(c.Left + 5, c.Top + 5));
    EXPECT_EQ(g.Selection(), (TGridRect{2, 2, 3, 3})); // the anchor stays

    QWheelEvent down(QPointF(50, 50), g.mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, -240),
                     Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&g, &down);
    EXPECT_EQ(g.Row(), 5); // one row per notch
    bool handled = false;
    g.OnMouseWheelUp = [&](TObject*, TShiftState, QPoint, bool& h) { h = handled = true; };
    QWheelEvent up(QPointF(50, 50), g.mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, 120),
                   Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&g, &up);
    EXPECT_TRUE(handled);
    EXPECT_EQ(g.Row(), 5); // the handler took the step
}

TEST(Grid, InPlaceEditorCommitsRevertsAndOffersItsList)
{
    TProbeGrid g;
    Prepare(g, 5, 5);
    g.show();
    g.activateWindow();
    g.setFocus();
    QTest::keyClick(&g, Qt::Key_X); // no editing option: nothing opens
    EXPECT_FALSE(g.EditorMode());
    g.SetOptions(g.Options() | goEditing);

    QTest::keyClick(&g, Qt::Key_7); // typing opens the editor with the key over the text
    ASSERT_TRUE(g.EditorMode());
    EXPECT_EQ(g.InplaceEditor()->text(), QStringLiteral("7"));
    EXPECT_EQ(g.InplaceEditor()->geometry(), g.CellRect(1, 1).ToQRect());
    QTest::keyClick(g.InplaceEditor(), Qt::Key_5);
    QTest::keyClick(g.InplaceEditor(), Qt::Key_Return);
    EXPECT_FALSE(g.EditorMode());
    ASSERT_EQ(g.Stored.size(), 1u);
    EXPECT_EQ(g.Stored[0], std::make_tuple(1, 1, QStringLiteral("75")));

    QTest::keyClick(&g, Qt::Key_Return); // Enter opens with the cell's text
    ASSERT_TRUE(g.EditorMode());
    EXPECT_EQ(g.InplaceEditor()->text(), QStringLiteral("1/1"));
    QTest::keyClick(g.InplaceEditor(), Qt::Key_9);
    QTest::keyClick(g.InplaceEditor(), Qt::Key_Escape); // reverts
    EXPECT_FALSE(g.EditorMode());
    EXPECT_EQ(g.Stored.size(), 1u);

    QTest::keyClick(&g, Qt::Key_F2);
    QTest::keyClick(g.InplaceEditor(), Qt::Key_End);
    QTest::keyClick(g.InplaceEditor(), Qt::Key_0);
    QTest::keyClick(g.InplaceEditor(), Qt::Key_Down); // leaving the cell keeps the text
    EXPECT_EQ(g.Stored.back(), std::make_tuple(1, 1, QStringLiteral("1/10")));
    EXPECT_EQ(g.Row(), 2);

    // Confirming the offered text unchanged commits it too, and says so.
    const std::size_t stored = g.Stored.size();
    QTest::keyClick(&g, Qt::Key_F2);
    QTest::keyClick(g.InplaceEditor(), Qt::Key_Return);
    ASSERT_EQ(g.Stored.size(), stored + 1);
    EXPECT_EQ(g.Stored.back(), std::make_tuple(1, 2, QStringLiteral("1/2")));
    EXPECT_TRUE(g.Unchanged.back());
    EXPECT_FALSE(g.Unchanged[stored - 1]);

    g.Style = esPickList;
    QTest::keyClick(&g, Qt::Key_F2);
    auto* list = dynamic_cast<TInplaceEditList*>(g.InplaceEditor());
    ASSERT_NE(list, nullptr);
    list->DropDown();
    ASSERT_TRUE(list->ListVisible());
    EXPECT_EQ(list->List()->count(), 2);
    list->List()->setCurrentRow(1);
    list->CloseUp(true);
    EXPECT_EQ(list->text(), QStringLiteral("high"));
    g.HideEditor(true);
    EXPECT_EQ(g.Stored.back(), std::make_tuple(1, 2, QStringLiteral("high")));
}

TEST(Grid, OpeningAndClosingKeepsSizesWithTheirCells)
{
    TProbeGrid g;
    Prepare(g, 5, 5);
    g.SetColWidths(2, 100);
    g.SetCol(3);
    g.OpenColumn(1);
    EXPECT_EQ(g.ColCount(), 6);
    EXPECT_EQ(g.ColWidths(3), 100);
    EXPECT_EQ(g.Col(), 4); // the current cell stays on its cell
    g.CloseColumn(1);
    EXPECT_EQ(g.ColWidths(2), 100);
    EXPECT_EQ(g.Col(), 3);
    g.SetRowHeights(0, 40);
    g.OpenRow(1);
    EXPECT_EQ(g.RowHeights(0), 40);
    EXPECT_EQ(g.RowHeights(1), 24);
}

TEST(Grid, AssignedPopupMenuOpensOnContextRequest)
{
    TProbeGrid g;
    Prepare(g, 5, 5);
    TRecordingPopups popups;
    SetPopupService(&popups);
    QContextMenuEvent request(QContextMenuEvent::Mouse, QPoint(10, 10), QPoint(110, 110));
    QApplication::sendEvent(&g, &request);
    EXPECT_TRUE(popups.Shown.empty());
    TPopupMenu menu;
    int clicked = 0;
    menu.Items()->Add(QStringLiteral("It1"), QStringLiteral("One"), [&](TObject*) { ++clicked; });
    g.SetPopupMenu(&menu);
    popups.NextChoice = QStringLiteral("It1");
    QApplication::sendEvent(&g, &request);
    SetPopupService(nullptr);
    ASSERT_EQ(popups.Shown.size(), 1u);
    EXPECT_EQ(popups.Shown[0], &menu);
    EXPECT_EQ(clicked, 1);
}

TEST(Grid, DestroyedWhileEditing)
{
    auto* g = new TProbeGrid;
    Prepare(*g, 5, 5);
    g->show();
    g->SetOptions(g->Options() | goEditing);
    g->ShowEditor();
    ASSERT_TRUE(g->EditorMode());
    g->InplaceEditor()->setText(QStringLiteral("pending"));
    delete g; // the editor must not hand its text to a grid that is going away
    QApplication::processEvents();
}
