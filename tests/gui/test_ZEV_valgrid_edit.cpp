// The table editor driven by keyboard and mouse: typing into cells, locked cells, the editing
// switch, navigation, the heading edit box and the comment memo.
#include "MenuPicker.h"
#include "ValgridDriver.h"

#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <gtest/gtest.h>

namespace {
// Grid coordinates of data cell (c, r) with the attribute column shown.
constexpr int GC(int c)
{
    return c + 1;
}

struct TEditCase {
    const char* name;
    TMeasLevel level;
    const char* typed;
    double low, high;
    double value;       // expected value afterwards
    std::uint8_t state; // expected state afterwards
    std::uint8_t before = dtcsMarkA;
};
} // namespace

TEST(ValgridEdit, TypingIntoCellsOfEachKind)
{
    // Each case starts from value 4 with mark A; column 1 is a category column when asked,
    // labelled 2 = "Two" and 0 = "none".
    const TEditCase cases[] = {
        {"decimal comma", mlInterval, "1,5", 0, 0, 1.5, dtcsMarkA},
        {"exponent", mlRatio, "-2e3", 0, 0, -2000, dtcsMarkA},
        {"letters", mlInterval, "abc", 0, 0, 4, dtcsMarkA | dtcsNotANumber},
        {"overflow", mlInterval, "1e999", 0, 0, 4, dtcsMarkA | dtcsNotANumber},
        {"above the range", mlInterval, "12", 0, 10, 10, dtcsMarkA},
        {"below the range", mlInterval, "-3", 0, 10, 0, dtcsMarkA},
        {"only a lower bound", mlInterval, "3", 5, 0, 5, dtcsMarkA},
        {"label in other case", mlNominal, "tWO", 0, 0, 2, 0},
        {"label of value 0", mlOrdinal, "NONE", 0, 0, 0, 0},
        {"whole number", mlNominal, "7", 0, 0, 7, dtcsMarkA},
        {"whole number clamped", mlNominal, "7", 0, 5.4, 5, dtcsMarkA},
        {"20 digits", mlNominal, "12345678901234567890", 0, 0, 4, dtcsMarkA | dtcsNotANumber},
        {"no label", mlOrdinal, "three", 0, 0, 4, dtcsMarkA | dtcsNotANumber},
        {"decimal in a category", mlNominal, "1.5", 0, 0, 4, dtcsMarkA | dtcsNotANumber},
        // A number typed into a hidden cell shows; marks stay.
        {"into an empty cell", mlInterval, "75.5", 0, 0, 75.5, dtcsMarkA, dtcsMarkA | dtcsEmpty},
        {"into a -nan- cell", mlRatio, "2", 0, 0, 2, dtcsMarkB, dtcsMarkB | dtcsNotANumber},
        {"empty and -nan-", mlInterval, "3", 0, 0, 3, 0, dtcsEmpty | dtcsNotANumber},
        {"whole number into an empty cell", mlNominal, "7", 0, 0, 7, dtcsMarkA,
         dtcsMarkA | dtcsEmpty},
        {"letters into an empty cell", mlInterval, "x", 0, 0, 4, dtcsEmpty | dtcsNotANumber,
         dtcsEmpty},
    };
    for (const TEditCase& c : cases) {
        TValgridDriver d;
        TDataTable* t = d.G.DataTable();
        t->SetMeasLevel(1, c.level);
        t->SetValueLabel(1, 2, QStringLiteral("Two"));
        t->SetValueLabel(1, 0, QStringLiteral("none"));
        t->SetElem(1, 2, 4);
        t->SetCellState(1, 2, c.before);
        d.G.SetVRangeLow(c.low);
        d.G.SetVRangeHigh(c.high);
        int changes = 0;
        d.G.OnChange = [&](TObject*) { ++changes; };
        d.Enter(GC(1), 2, QString::fromLatin1(c.typed));
        EXPECT_EQ(t->Elem(1, 2), c.value) << c.name;
        EXPECT_EQ(t->CellState(1, 2), c.state) << c.name;
        EXPECT_FALSE(d.G.EditorMode()) << c.name;
        EXPECT_GE(changes + (c.state & dtcsNotANumber ? 1 : 0), 1) << c.name;
    }
}

TEST(ValgridEdit, ConfirmingTheOfferedTextIsAnEntry)
{
    // Each case types (or picks) into data cell (1, 2) of a column labelled 2 = "Two" when it is
    // a category column, or at precision 3; the last entry ends where the editor offered it.
    struct Case {
        const char* name;
        TMeasLevel level;
        double value;
        std::uint8_t before;
        QStringList entries; // "" opens the editor with F2 and confirms its text
        double after;
        std::uint8_t state;
    } cases[] = {
        {"a label after a failed one", mlNominal, 2, 0, {"Tow", "Two"}, 2, 0},
        {"a number after letters", mlInterval, 7.25, 0, {"abc", "7.250"}, 7.25, 0},
        {"the same label drops the mark", mlNominal, 2, dtcsMarkA, {"Two"}, 2, 0},
        {"the offered number shows an empty cell",
         mlInterval,
         75.5,
         dtcsEmpty | dtcsMarkA,
         {""},
         75.5,
         dtcsMarkA},
        // The offered text is rounded to the precision; the value is not.
        {"F2 and Enter keep every digit",
         mlRatio,
         1.23456789,
         dtcsMarkB,
         {""},
         1.23456789,
         dtcsMarkB},
        {"asterisks are no failed entry", mlInterval, 1e150, dtcsMarkA, {""}, 1e150, dtcsMarkA},
        {"a whole number after letters", mlOrdinal, 9, 0, {"x", "9"}, 9, 0},
    };
    for (const Case& c : cases) {
        TValgridDriver d;
        TDataTable* t = d.G.DataTable();
        t->SetMeasLevel(1, c.level);
        t->SetValueLabel(1, 2, QStringLiteral("Two"));
        t->SetElem(1, 2, c.value);
        t->SetCellState(1, 2, c.before);
        for (const QString& entry : c.entries) {
            if (!entry.isEmpty()) {
                d.Enter(GC(1), 2, entry);
                continue;
            }
            d.Click(GC(1), 2); // the release switches editing on
            d.Key(Qt::Key_F2);
            ASSERT_TRUE(d.G.EditorMode()) << c.name;
            d.Key(Qt::Key_Return);
        }
        EXPECT_EQ(t->Elem(1, 2), c.after) << c.name;
        EXPECT_EQ(t->CellState(1, 2), c.state) << c.name;
        EXPECT_NE(d.G.CellText(1, 2), QStringLiteral("-nan-")) << c.name;
    }

    // Picking the cell's own label from the list drops its marks as any label does.
    TValgridDriver d;
    TDataTable* t = d.G.DataTable();
    t->SetMeasLevel(2, mlNominal);
    t->SetValueLabel(2, 2, QStringLiteral("Two"));
    t->SetElem(2, 1, 2);
    t->SetCellState(2, 1, dtcsMarkA | dtcsMarkB);
    d.Click(GC(2), 1);
    d.Key(Qt::Key_F2);
    auto* editor = dynamic_cast<TInplaceEditList*>(d.G.InplaceEditor());
    ASSERT_NE(editor, nullptr);
    editor->DropDown();
    ASSERT_TRUE(editor->ListVisible());
    QTest::keyClick(editor->List(), Qt::Key_Return);
    d.Key(Qt::Key_Return);
    EXPECT_EQ(t->CellState(2, 1), 0);
    EXPECT_EQ(t->Elem(2, 1), 2);
}

TEST(ValgridEdit, LockedCellsAndReadOnlyDataRefuseTyping)
{
    TValgridDriver d;
    TDataTable* t = d.G.DataTable();
    t->SetElem(2, 2, 8);
    t->SetCellState(2, 2, dtcsLocked);
    d.G.SetSelection({GC(2), 2, GC(2), 2});
    d.G.setFocus();
    d.Type(QStringLiteral("5"));
    EXPECT_FALSE(d.G.EditorMode());
    d.Key(Qt::Key_F2);
    EXPECT_FALSE(d.G.EditorMode());
    d.Key(Qt::Key_Return);
    EXPECT_EQ(t->Elem(2, 2), 8);
    EXPECT_FALSE(d.G.Options() & goEditing);
    // Arrow keys still leave the locked cell, and the next cell takes typing again.
    d.Key(Qt::Key_Down);
    EXPECT_EQ(d.G.Row(), 3);
    d.Type(QStringLiteral("6"));
    EXPECT_TRUE(d.G.EditorMode());
    d.Key(Qt::Key_Return);
    EXPECT_EQ(t->Elem(2, 3), 6);

    d.G.SetDataReadOnly(true);
    d.Enter(GC(3), 1, QStringLiteral("9"));
    EXPECT_EQ(t->Elem(3, 1), 0);
    // A double press on a cell does not start editing either.
    d.Click(GC(3), 1);
    d.Click(GC(3), 1);
    EXPECT_FALSE(d.G.EditorMode());
}

TEST(ValgridEdit, EnterAdvancesEscapeCancelsAndSelectionIsReported)
{
    TValgridDriver d;
    TDataTable* t = d.G.DataTable();
    int selections = 0;
    d.G.OnSelectionChanged = [&](TObject*) { ++selections; };
    d.Enter(GC(1), 1, QStringLiteral("11"));
    EXPECT_EQ(t->Elem(1, 1), 11);
    EXPECT_EQ(d.G.Row(), 2); // AutoAdvance down
    EXPECT_GT(selections, 0);

    d.G.SetAutoAdvanceDir(orHoriz);
    d.Enter(GC(1), 3, QStringLiteral("13"));
    EXPECT_EQ(d.G.Col(), GC(2));
    EXPECT_EQ(d.G.Row(), 3);

    d.G.SetAutoAdvance(false);
    d.Enter(GC(2), 4, QStringLiteral("24"));
    EXPECT_EQ(d.G.Col(), GC(2));
    EXPECT_EQ(d.G.Row(), 4);

    d.G.SetSelection({GC(3), 1, GC(3), 1});
    d.G.setFocus();
    d.Type(QStringLiteral("99"));
    ASSERT_TRUE(d.G.EditorMode());
    d.Key(Qt::Key_Escape);
    EXPECT_FALSE(d.G.EditorMode());
    EXPECT_EQ(t->Elem(3, 1), 0);

    // The wheel moves the current cell and reports it.
    selections = 0;
    d.G.SetSelection({GC(1), 2, GC(1), 2});
    QWheelEvent wheel(d.CellCenter(GC(1), 2), d.G.mapToGlobal(d.CellCenter(GC(1), 2)), {},
                      {0, -120}, Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&d.G, &wheel);
    EXPECT_EQ(d.G.Row(), 3);
    EXPECT_EQ(selections, 1);

    // Dragging with the left button reports the growing range once per change.
    selections = 0;
    QTest::mousePress(&d.G, Qt::LeftButton, {}, d.CellCenter(GC(1), 1));
    QMouseEvent move(QEvent::MouseMove, d.CellCenter(GC(2), 3),
                     d.G.mapToGlobal(d.CellCenter(GC(2), 3)), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(&d.G, &move);
    QApplication::sendEvent(&d.G, &move);
    QTest::mouseRelease(&d.G, Qt::LeftButton, {}, d.CellCenter(GC(2), 3));
    EXPECT_EQ(d.G.Selection(), (TGridRect{GC(1), 1, GC(2), 3}));
    EXPECT_EQ(selections, 1);
}

TEST(ValgridEdit, SecondPressOnACellStartsEditing)
{
    TValgridDriver d;
    d.Click(GC(2), 2);
    EXPECT_FALSE(d.G.EditorMode());
    EXPECT_TRUE(d.G.Options() & goEditing); // the release switches editing on
    d.Click(GC(2), 2);
    ASSERT_TRUE(d.G.EditorMode());
    d.G.InplaceEditor()->setText(QStringLiteral("3.25"));
    d.Key(Qt::Key_Return);
    EXPECT_EQ(d.G.DataTable()->Elem(2, 2), 3.25);
    // A press on another cell switches editing off until the release.
    d.Click(GC(3), 2);
    EXPECT_FALSE(d.G.EditorMode());
}

TEST(ValgridEdit, PickListOffersTheLabelsAndWritesThePicture)
{
    TValgridDriver d(420, 260);
    TDataTable* t = d.G.DataTable();
    t->SetMeasLevel(2, mlNominal);
    const char* labels[] = {"absent", "rare", "common", "abundant"};
    for (int v = 0; v < 4; ++v) t->SetValueLabel(2, v, QString::fromLatin1(labels[v]));
    t->SetElem(2, 1, 2);
    d.Click(GC(2), 1);
    d.Click(GC(2), 1);
    ASSERT_TRUE(d.G.EditorMode());
    auto* editor = dynamic_cast<TInplaceEditList*>(d.G.InplaceEditor());
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), QStringLiteral("common"));
    d.Key(Qt::Key_Down, Qt::AltModifier);
    ASSERT_TRUE(editor->ListVisible());
    EXPECT_EQ(editor->List()->count(), 4);

    QImage picture = d.G.grab().toImage();
    {
        QPainter p(&picture);
        QWidget* list = editor->List();
        p.drawPixmap(d.G.mapFromGlobal(list->mapToGlobal(QPoint(0, 0))), list->grab());
    }
    QDir().mkpath(QStringLiteral(ZEV_TEST_OUTPUT_DIR));
    EXPECT_TRUE(picture.save(QStringLiteral(ZEV_TEST_OUTPUT_DIR "/valgrid_picklist.png")));

    // Choosing the label of value 0 stores 0 like any other label.
    editor->List()->setCurrentRow(0);
    QTest::keyClick(editor->List(), Qt::Key_Return);
    EXPECT_EQ(editor->text(), QStringLiteral("absent"));
    d.Key(Qt::Key_Return);
    EXPECT_EQ(t->Elem(2, 1), 0);
    EXPECT_FALSE(t->CellState(2, 1) & dtcsNotANumber);
}

namespace {
// First and last pixel row with dark ink in R of Picture.
std::pair<int, int> InkRows(const QImage& Picture, const QRect& R)
{
    int first = -1, last = -1;
    for (int y = R.top(); y <= R.bottom(); ++y)
        for (int x = R.left(); x <= R.right(); ++x)
            if (qGray(Picture.pixel(x, y)) < 128) {
                if (first < 0) first = y;
                last = y;
                break;
            }
    return {first, last};
}
} // namespace

TEST(ValgridEdit, CellEditorTextSitsWhereTheCellTextSits)
{
    TValgridDriver d(520, 300);
    ASSERT_EQ(d.G.DataTable()->LoadFromASCFile(QStringLiteral(ZEV_EXAMPLES_DIR "/wine.asc")),
              ascOK);
    d.Click(GC(2), 3);
    const TRect cell = d.G.CellRect(GC(2), 3);
    // Right of where the editor's cursor stands, inside the focus rectangle.
    const QRect ink(cell.Left + 5, cell.Top + 1, cell.Width() - 7, cell.Height() - 3);
    const std::pair<int, int> shown = InkRows(d.G.grab().toImage(), ink);
    ASSERT_GE(shown.first, 0);

    d.Key(Qt::Key_F2);
    ASSERT_TRUE(d.G.EditorMode());
    d.G.InplaceEditor()->deselect();
    d.G.InplaceEditor()->setCursorPosition(0);
    const QImage editing = d.G.grab().toImage();
    EXPECT_EQ(InkRows(editing, ink), shown);
    EXPECT_EQ(d.G.InplaceEditor()->font(), d.G.Font()->ToQFont());
    QDir().mkpath(QStringLiteral(ZEV_TEST_OUTPUT_DIR));
    EXPECT_TRUE(editing.save(QStringLiteral(ZEV_TEST_OUTPUT_DIR "/valgrid_editor.png")));
}

TEST(ValgridEdit, HeadingEditBoxStoresNamesAndAttributes)
{
    struct Case {
        const char* name;
        int col, row; // grid cell whose heading popup is used
        const char* typed;
        bool escape;
        const char* colName; // expected ColName(1), RowName(2) and RowAttrib(2)
        const char* rowName;
        int rowAttrib;
        int headingEvents;
    } cases[] = {
        {"column name", GC(1), 0, "height", false, "height", "R-2", 5, 2},
        {"row name", 0, 2, "plant", false, "C-1", "plant", 5, 2},
        {"attribute", 1, 2, "300", false, "C-1", "R-2", 255, 1},
        {"rounded attribute", 1, 2, "6.6", false, "C-1", "R-2", 7, 1},
        {"unreadable attribute", 1, 2, "six", false, "C-1", "R-2", 5, 0},
        {"20-digit attribute", 1, 2, "12345678901234567890", false, "C-1", "R-2", 5, 0},
        {"escape", GC(1), 0, "x", true, "C-1", "R-2", 5, 0},
    };
    for (const Case& c : cases) {
        TValgridDriver d;
        d.G.SetRowAttrib(2, 5);
        int headings = 0;
        d.G.OnHeadingChanged = [&](TObject*) { ++headings; };
        TMenuPicker picker({QStringLiteral("Edit Heading")});
        d.Click(c.col, c.row, Qt::RightButton);
        d.BackFromPopup();
        ASSERT_TRUE(picker.Done()) << c.name;
        ASSERT_TRUE(d.G.HeadingEditing()) << c.name;
        QLineEdit* box = d.G.HeadingEdit();
        EXPECT_TRUE(box->isVisible());
        EXPECT_TRUE(box->hasFocus());
        // A press on the grid is ignored while the box is open.
        d.Click(GC(3), 3);
        EXPECT_TRUE(d.G.HeadingEditing()) << c.name;
        box->selectAll();
        d.Type(QString::fromLatin1(c.typed));
        d.Key(c.escape ? Qt::Key_Escape : Qt::Key_Return);
        EXPECT_FALSE(d.G.HeadingEditing()) << c.name;
        EXPECT_FALSE(box->isVisible()) << c.name;
        EXPECT_EQ(d.G.ColName(1), QString::fromLatin1(c.colName)) << c.name;
        EXPECT_EQ(d.G.RowName(2), QString::fromLatin1(c.rowName)) << c.name;
        EXPECT_EQ(d.G.RowAttrib(2), c.rowAttrib) << c.name;
        EXPECT_EQ(headings, c.headingEvents) << c.name;
    }
}

TEST(ValgridEdit, CommentMemo)
{
    TValgridDriver d;
    d.G.SetComment(QStringLiteral("old"));
    int changes = 0;
    d.G.OnChange = [&](TObject*) { ++changes; };
    d.Click(0, 0, Qt::RightButton);
    ASSERT_TRUE(d.G.CommentEditing());
    QPlainTextEdit* memo = d.G.CommentMemo();
    EXPECT_TRUE(memo->isVisible());
    EXPECT_EQ(memo->toPlainText(), QStringLiteral("old"));
    EXPECT_EQ(memo->geometry(), QRect(d.G.ColWidths(0), 0, 520 - d.G.ColWidths(0) - 20, 80));
    EXPECT_EQ(d.G.CellLook(0, 0).Text, QStringLiteral("Comment:"));
    memo->selectAll();
    d.Type(QStringLiteral("sampled in May"));
    d.Key(Qt::Key_Return);
    EXPECT_FALSE(d.G.CommentEditing());
    EXPECT_FALSE(memo->isVisible());
    EXPECT_EQ(d.G.Comment(), QStringLiteral("sampled in May"));
    EXPECT_EQ(changes, 1);

    // Escape and a press on the corner cell both close it without storing.
    d.Click(0, 0, Qt::RightButton);
    d.Type(QStringLiteral("x"));
    d.Key(Qt::Key_Escape);
    EXPECT_FALSE(d.G.CommentEditing());
    d.Click(0, 0, Qt::RightButton);
    ASSERT_TRUE(d.G.CommentEditing());
    d.Type(QStringLiteral("y"));
    d.Click(0, 0);
    EXPECT_FALSE(d.G.CommentEditing());
    EXPECT_EQ(d.G.Comment(), QStringLiteral("sampled in May"));

    // Switched off, or with the internal popups blocked, a right click opens nothing.
    d.G.SetCommentEditingAllowed(false);
    d.Click(0, 0, Qt::RightButton);
    EXPECT_FALSE(d.G.CommentEditing());
}

TEST(ValgridEdit, DraggingAHeadingEdgeResizes)
{
    TValgridDriver d;
    const auto drag = [&](QPoint from, QPoint to) {
        QTest::mousePress(&d.G, Qt::LeftButton, {}, from);
        QMouseEvent move(QEvent::MouseMove, to, d.G.mapToGlobal(to), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(&d.G, &move);
        QTest::mouseRelease(&d.G, Qt::LeftButton, {}, to);
    };
    // The right edge of data column 1 in the heading row, 40 pixels further right.
    const TRect c1 = d.G.CellRect(GC(1), 0);
    const int width = d.G.ColWidth(1);
    const TGridRect selection = d.G.Selection();
    drag({c1.Right, c1.Top + 5}, {c1.Right + 40, c1.Top + 5});
    EXPECT_EQ(d.G.ColWidth(1), width + 40);
    EXPECT_EQ(d.G.Selection(), selection); // sizing selects nothing
    // The bottom edge of data row 2 in the heading column, 10 pixels up.
    const TRect r2 = d.G.CellRect(0, 2);
    const int height = d.G.RowHeight(2);
    drag({r2.Left + 5, r2.Bottom}, {r2.Left + 5, r2.Bottom - 10});
    EXPECT_EQ(d.G.RowHeight(2), height - 10);
    // Inside the data cells an edge is only a cell border.
    const TRect data = d.G.CellRect(GC(2), 3);
    drag({data.Right, data.Top + 5}, {data.Right + 30, data.Top + 5});
    EXPECT_EQ(d.G.ColWidth(2), width);
}
