// The table editor's popup commands, each chosen through its item in the real popup menu, and
// the clipboard exchange through the real system clipboard.
#include "MenuPicker.h"
#include "ValgridDriver.h"

#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QPainter>
#include <algorithm>
#include <gtest/gtest.h>
#include <random>
#include <set>

namespace {
using TCells = std::set<std::pair<int, int>>;

constexpr int GC(int c)
{
    return c + 1;
}

// Data cells whose state has Bit.
TCells CellsWith(const TValgrid& G, std::uint8_t Bit)
{
    TCells cells;
    for (int c = 1; c <= G.NrOfColumns(); ++c)
        for (int r = 1; r <= G.NrOfRows(); ++r)
            if (G.CellState(c, r) & Bit) cells.insert({c, r});
    return cells;
}

TCells Block(int Left, int Top, int Right, int Bottom)
{
    TCells cells;
    for (int c = Left; c <= Right; ++c)
        for (int r = Top; r <= Bottom; ++r) cells.insert({c, r});
    return cells;
}

// Right-clicks grid cell (ACol, ARow) and walks Path through the popup that opens.
QStringList Choose(TValgridDriver& D, int ACol, int ARow, const QStringList& Path)
{
    TMenuPicker picker(Path);
    D.Click(ACol, ARow, Qt::RightButton);
    D.BackFromPopup();
    return picker.Refused;
}

void SetClipboardText(const QString& Text)
{
    QGuiApplication::clipboard()->setText(Text);
}
QString ClipboardText()
{
    return QGuiApplication::clipboard()->text();
}

// A 4 x 5 editor with the data cells (2..3, 2..3) selected.
struct TCommandsFixture : TValgridDriver {
    TCommandsFixture()
    {
        G.SetNrOfColumns(4);
        G.SetNrOfRows(5);
        G.SetSelection({GC(2), 2, GC(3), 3});
    }
};
} // namespace

TEST(ValgridCommands, ItemsCarryTheirNamesAndCaptions)
{
    TValgrid g;
    TMenuItem* data = g.DataPopup()->Items();
    EXPECT_EQ(g.DataPopup()->Name(), QStringLiteral("PopupDTAction"));
    EXPECT_EQ(g.HeadingPopup()->Name(), QStringLiteral("PopupHTAction"));
    const char* captions[] = {"Mark as type A",
                              "Mark as type B",
                              "Unmark type A",
                              "Unmark type B",
                              "Unmark All",
                              "Clear",
                              "Copy",
                              "Paste",
                              "Extract from Clipboard",
                              "Data Read-Only",
                              "Select All",
                              "Toggle Empty State",
                              "Reset All Empty States"};
    ASSERT_EQ(data->Count(), 13);
    for (int i = 0; i < 13; ++i) {
        EXPECT_EQ(data->Items(i)->Name(), QStringLiteral("DIt%1").arg(i + 1));
        EXPECT_EQ(data->Items(i)->Caption, QString::fromLatin1(captions[i]));
    }
    const char* prefixes[] = {"M1It", "M2It", "U1It", "U2It"};
    for (int i = 0; i < 4; ++i)
        for (int s = 1; s <= 4; ++s)
            EXPECT_EQ(data->Items(i)->Items(s - 1)->Name(),
                      QString::fromLatin1(prefixes[i]) + QString::number(s));
    EXPECT_FALSE(data->Find(QStringLiteral("DIt8"))->Enabled); // nothing copied yet
    for (int i = 1; i <= 5; ++i)
        EXPECT_NE(g.HeadingPopup()->Items()->Find(QStringLiteral("HIt%1").arg(i)), nullptr);
}

TEST(ValgridCommands, DataPopupEnablingAndReadOnlyBitmap)
{
    TCommandsFixture d;
    std::map<QString, bool> enabled;
    QImage readOnlyIcon;
    const auto look = [&](QStringList path) {
        TMenuPicker picker(path << QString());
        picker.OnShown = [&](QMenu& m) {
            for (QAction* a : m.actions()) {
                enabled[a->text()] = a->isEnabled();
                if (a->text() == QStringLiteral("Data Read-Only"))
                    readOnlyIcon = a->icon().pixmap(13, 13).toImage();
            }
        };
        d.Click(GC(1), 1, Qt::RightButton);
        d.BackFromPopup();
    };
    const QImage checked = QImage(QStringLiteral(":/bitmaps/CHECKEDBOX.png"));
    const QImage empty = QImage(QStringLiteral(":/bitmaps/EMPTYBOX.png"));
    ASSERT_FALSE(checked.isNull());
    ASSERT_FALSE(empty.isNull());
    ASSERT_NE(checked, empty);

    look({});
    EXPECT_FALSE(enabled["Paste"]);
    EXPECT_TRUE(enabled["Clear"]);
    EXPECT_TRUE(enabled["Extract from Clipboard"]);
    EXPECT_EQ(readOnlyIcon.convertToFormat(empty.format()), empty);

    look({QStringLiteral("Copy")});
    look({});
    EXPECT_TRUE(enabled["Paste"]);

    int setups = 0;
    d.G.OnChangeSetup = [&](TObject*) { ++setups; };
    look({QStringLiteral("Data Read-Only")});
    EXPECT_TRUE(d.G.DataReadOnly());
    EXPECT_EQ(setups, 1);
    look({});
    EXPECT_FALSE(enabled["Paste"]);
    EXPECT_FALSE(enabled["Clear"]);
    EXPECT_FALSE(enabled["Extract from Clipboard"]);
    EXPECT_TRUE(enabled["Toggle Empty State"]); // states stay changeable
    EXPECT_EQ(readOnlyIcon.convertToFormat(checked.format()), checked);

    // With the internal popups blocked a right click opens no menu at all.
    d.G.SetBlockInternalPopup(true);
    int popups = 0;
    d.G.OnBeforePopup = [&](TObject*, TPopupMenu*) { ++popups; };
    d.Click(GC(1), 1, Qt::RightButton);
    EXPECT_EQ(popups, 0);
}

TEST(ValgridCommands, MarkCommandsReachTheirScope)
{
    struct Case {
        const char* scope;
        TCells cells;
    } cases[] = {
        {"Range", Block(2, 2, 3, 3)},
        {"Column", Block(2, 1, 3, 5)},
        {"Row", Block(1, 2, 4, 3)},
        {"All", Block(1, 1, 4, 5)},
    };
    for (const Case& c : cases) {
        TCommandsFixture d;
        int events = 0;
        d.G.OnCellStateChanged = [&](TObject*) { ++events; };
        const QString scope = QString::fromLatin1(c.scope);
        EXPECT_TRUE(Choose(d, GC(2), 2, {QStringLiteral("Mark as type A"), scope}).isEmpty());
        EXPECT_EQ(CellsWith(d.G, dtcsMarkA), c.cells) << c.scope;
        Choose(d, GC(2), 2, {QStringLiteral("Mark as type B"), QStringLiteral("All")});
        Choose(d, GC(2), 2, {QStringLiteral("Unmark type B"), scope});
        TCells restB = Block(1, 1, 4, 5);
        for (const auto& cell : c.cells) restB.erase(cell);
        EXPECT_EQ(CellsWith(d.G, dtcsMarkB), restB) << c.scope;
        Choose(d, GC(2), 2, {QStringLiteral("Unmark type A"), scope});
        EXPECT_TRUE(CellsWith(d.G, dtcsMarkA).empty()) << c.scope;
        EXPECT_EQ(events, 4) << c.scope;
        Choose(d, GC(2), 2, {QStringLiteral("Unmark All")});
        EXPECT_TRUE(CellsWith(d.G, dtcsMarkB).empty()) << c.scope;
    }
}

TEST(ValgridCommands, ClearEmptyStatesAndSelectAll)
{
    TCommandsFixture d;
    TDataTable* t = d.G.DataTable();
    for (int c = 1; c <= 4; ++c)
        for (int r = 1; r <= 5; ++r) {
            t->SetElem(c, r, c * 10 + r);
            t->SetCellState(c, r, dtcsMarkA);
        }
    int changes = 0, states = 0, empties = 0, selections = 0;
    d.G.OnChange = [&](TObject*) { ++changes; };
    d.G.OnCellStateChanged = [&](TObject*) { ++states; };
    d.G.OnEmptyStChanged = [&](TObject*) { ++empties; };
    d.G.OnSelectionChanged = [&](TObject*) { ++selections; };

    Choose(d, GC(2), 2, {QStringLiteral("Clear")});
    EXPECT_EQ(t->Elem(2, 2), 0);
    EXPECT_EQ(t->CellState(3, 3), 0);
    EXPECT_EQ(t->Elem(4, 3), 43);
    EXPECT_EQ(t->CellState(1, 2), dtcsMarkA);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(states, 1);

    // A clearing handler does the work itself and gets the menu item.
    TObject* sender = nullptr;
    d.G.OnClear = [&](TObject* s) { sender = s; };
    Choose(d, GC(1), 1, {QStringLiteral("Clear")});
    EXPECT_EQ(sender, d.G.DataPopup()->Items()->Find(QStringLiteral("DIt6")));
    EXPECT_EQ(t->Elem(1, 1), 11);

    d.G.SetSelection({GC(1), 4, GC(2), 5});
    Choose(d, GC(1), 4, {QStringLiteral("Toggle Empty State")});
    EXPECT_EQ(CellsWith(d.G, dtcsEmpty), Block(1, 4, 2, 5));
    EXPECT_EQ(d.G.CellText(1, 4), QString());
    Choose(d, GC(1), 4, {QStringLiteral("Toggle Empty State")});
    EXPECT_TRUE(CellsWith(d.G, dtcsEmpty).empty());
    Choose(d, GC(1), 4, {QStringLiteral("Toggle Empty State")});
    Choose(d, GC(1), 4, {QStringLiteral("Reset All Empty States")});
    EXPECT_TRUE(CellsWith(d.G, dtcsEmpty).empty());
    EXPECT_EQ(CellsWith(d.G, dtcsMarkA).size(), 16u); // other bits stay
    EXPECT_EQ(empties, 4);

    selections = 0;
    Choose(d, GC(1), 4, {QStringLiteral("Select All")});
    EXPECT_EQ(d.G.Selection(), (TGridRect{GC(1), 1, GC(4), 5}));
    EXPECT_EQ(selections, 1);
}

TEST(ValgridCommands, HeadingPopupCommands)
{
    TCommandsFixture d;
    int setups = 0, layouts = 0;
    d.G.OnChangeSetup = [&](TObject*) { ++setups; };
    d.G.OnLayoutChanged = [&](TObject*) { ++layouts; };

    // The cycle 10, 9, .. 0, -1 has twelve steps back to 10; the popup reopens after each.
    d.G.SetPrecision(2, 10);
    layouts = 0;
    QStringList steps;
    for (int i = 0; i < 11; ++i) steps << QStringLiteral("Change Precision");
    EXPECT_TRUE(Choose(d, GC(2), 0, steps).isEmpty());
    EXPECT_EQ(d.G.Precision(2), -1);
    Choose(d, GC(2), 0, {QStringLiteral("Change Precision")});
    EXPECT_EQ(d.G.Precision(2), 10);
    EXPECT_GE(layouts, 12);
    Choose(d, GC(2), 0, {QStringLiteral("Change Precision"), QStringLiteral("Change Precision")});
    EXPECT_EQ(d.G.Precision(2), 8);
    // Rows have no precision.
    EXPECT_EQ(Choose(d, 0, 2, {QStringLiteral("Change Precision")}),
              QStringList{QStringLiteral("Change Precision")});

    Choose(d, GC(3), 0, {QStringLiteral("Select Column")});
    EXPECT_EQ(d.G.Selection(), (TGridRect{GC(3), 1, GC(3), 5}));
    Choose(d, 1, 4, {QStringLiteral("Select Row")}); // from the attribute cell
    EXPECT_EQ(d.G.Selection(), (TGridRect{GC(1), 4, GC(4), 4}));

    d.G.SetColName(2, QStringLiteral("second"));
    Choose(d, GC(2), 0, {QStringLiteral("Insert Column")});
    EXPECT_EQ(d.G.NrOfColumns(), 5);
    EXPECT_EQ(d.G.ColName(2), QStringLiteral("(...)"));
    EXPECT_EQ(d.G.ColName(3), QStringLiteral("second"));
    Choose(d, GC(2), 0, {QStringLiteral("Delete Column")});
    EXPECT_EQ(d.G.NrOfColumns(), 4);
    EXPECT_EQ(d.G.ColName(2), QStringLiteral("second"));
    Choose(d, 0, 5, {QStringLiteral("Insert Row")});
    EXPECT_EQ(d.G.NrOfRows(), 6);
    EXPECT_EQ(d.G.RowName(5), QStringLiteral("(...)"));
    setups = 0;
    Choose(d, 0, 5, {QStringLiteral("Delete Row")});
    EXPECT_EQ(d.G.NrOfRows(), 5);
    EXPECT_EQ(setups, 1);

    // The last column is never deleted, but the request is still announced.
    d.G.SetNrOfColumns(1);
    setups = 0;
    Choose(d, GC(1), 0, {QStringLiteral("Delete Column")});
    EXPECT_EQ(d.G.NrOfColumns(), 1);
    EXPECT_EQ(setups, 1);

    d.G.SetDataReadOnly(true);
    EXPECT_EQ(Choose(d, GC(1), 0, {QStringLiteral("Insert Column")}),
              QStringList{QStringLiteral("Insert Column")});
}

TEST(ValgridCommands, CopyWritesTheTextFormToTheSystemClipboard)
{
    TCommandsFixture d;
    TDataTable* t = d.G.DataTable();
    t->SetElem(2, 2, 1.5);
    t->SetCellState(3, 2, dtcsEmpty);
    t->SetElem(2, 3, -2);
    t->SetElem(3, 3, 3.14159);
    d.G.SetClipboardUseFullPrec(false);
    Choose(d, GC(2), 2, {QStringLiteral("Copy")});
    EXPECT_EQ(ClipboardText(), QStringLiteral(" 1.500\t####\r\n -2.000\t3.142\r\n"));
    EXPECT_TRUE(d.G.CopyBufferFilled());
    EXPECT_EQ(d.G.CopyBuffer()->NrOfColumns(), 2);
    EXPECT_EQ(d.G.CopyBuffer()->CellState(2, 1), dtcsEmpty);

    d.G.SetClipboardUseFullPrec(true);
    d.G.SetSelection({GC(2), 3, GC(3), 3});
    Choose(d, GC(2), 3, {QStringLiteral("Copy")});
    EXPECT_EQ(ClipboardText(),
              QStringLiteral(" -2.0000000000000E+0000\t 3.1415900000000E+0000\r\n"));
}

TEST(ValgridCommands, ClipboardNumbersMatchTheFieldForm)
{
    // The clipboard writer has its own fast path; it must agree with FloatToField everywhere.
    const double values[] = {0,      -0.0,     1,          -1,        0.5,        1234.5,
                             1e-310, -1e308,   1.7976e308, 123456789, 9.99999e-5, 2.5e-7,
                             1e22,   -3.75e-2, 99.995,     1e100,     0.125,      -8e-300};
    const int precisions[] = {-1, 0, 3, 10};
    TValgrid g;
    g.SetNrOfColumns(1);
    g.SetNrOfRows(1);
    for (double v : values) {
        g.DataTable()->SetElem(1, 1, v);
        g.SetClipboardUseFullPrec(true);
        EXPECT_EQ(g.ClipboardText(1, 1, 1, 1), QChar(' ') + FloatToField(22, -1, v) + "\r\n") << v;
        g.SetClipboardUseFullPrec(false);
        for (int p : precisions) {
            g.SetPrecision(1, p);
            EXPECT_EQ(g.ClipboardText(1, 1, 1, 1), QChar(' ') + FloatToField(1, p, v) + "\r\n")
                << v << " precision " << p;
        }
    }
}

TEST(ValgridCommands, LargeBlocksMatchTheFieldFormToo)
{
    // Enough cells for two threads; magnitudes across the whole range, digits that round up to
    // the next power of ten, halves of the last digit, and "####" in the upper half that the
    // lower half closes up behind.
    constexpr int Cols = 12, Rows = 20000;
    TValgrid g;
    g.SetNrOfColumns(Cols);
    g.SetNrOfRows(Rows);
    TDataTable* t = g.DataTable();
    std::mt19937_64 random(3);
    std::uniform_int_distribution<int> exponents(-320, 308);
    const double special[] = {9.99999999999995e7,
                              9.999999999999949e-3,
                              1.00000000000005,
                              5e-324,
                              1.7976931348623157e308,
                              0.0,
                              -0.0,
                              2.2250738585072014e-308,
                              1e23,
                              8.5e-15};
    for (int c = 1; c <= Cols; ++c)
        for (int r = 1; r <= Rows; ++r) {
            double v = std::ldexp(double(random() >> 11), -53) * std::pow(10.0, exponents(random));
            if (c == 3) v = special[r % std::size(special)] * (r % 2 ? 1 : -1);
            if (c == 5) v = std::round(v * 1e6) / 1e6;
            t->SetElem(c, r, random() % 2 ? v : -v);
            if (r % 97 == 0 && c % 2)
                t->SetCellState(c, r, r < Rows / 2 ? dtcsEmpty : dtcsNotANumber);
        }
    QString expected;
    for (int r = 1; r <= Rows; ++r) {
        for (int c = 1; c <= Cols; ++c) {
            expected += c == 1 ? QChar(' ') : QChar('\t');
            expected +=
                t->IsNumber(c, r) ? FloatToField(22, -1, t->Elem(c, r)) : QStringLiteral("####");
        }
        expected += QStringLiteral("\r\n");
    }
    EXPECT_TRUE(g.ClipboardText(1, 1, Cols, Rows) == expected);
    // Inside the table only.
    EXPECT_EQ(g.ClipboardText(0, Rows, 1, Rows + 5), g.ClipboardText(1, Rows, 1, Rows));
}

TEST(ValgridCommands, PasteWritesTheBufferWhereItFits)
{
    TCommandsFixture d;
    TDataTable* t = d.G.DataTable();
    t->SetElem(2, 2, -3);
    t->SetElem(3, 2, 12);
    t->SetElem(2, 3, 4);
    t->SetCellState(3, 3, dtcsNotANumber | dtcsMarkB);
    d.G.PasteFromBuffer(); // nothing copied yet: nothing to paste
    EXPECT_EQ(t->Elem(2, 2), -3);
    Choose(d, GC(2), 2, {QStringLiteral("Copy")});

    d.G.SetVRangeLow(0);
    d.G.SetVRangeHigh(10);
    int pastes = 0, changes = 0, states = 0;
    d.G.OnPaste = [&](TObject*) { ++pastes; };
    d.G.OnChange = [&](TObject*) { ++changes; };
    d.G.OnCellStateChanged = [&](TObject*) { ++states; };
    // Only the left column of the block fits at the last column.
    d.G.SetSelection({GC(4), 4, GC(4), 4});
    Choose(d, GC(4), 4, {QStringLiteral("Paste")});
    EXPECT_EQ(t->Elem(4, 4), 0); // -3 clamped
    EXPECT_EQ(t->Elem(4, 5), 4);
    EXPECT_EQ(t->CellState(4, 5), 0);
    EXPECT_EQ(pastes, 1);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(states, 1);
    EXPECT_EQ(d.G.Selection(), (TGridRect{GC(4), 4, GC(4), 5})); // limited to the grid

    d.G.SetSelection({GC(1), 1, GC(1), 1});
    Choose(d, GC(1), 1, {QStringLiteral("Paste")});
    EXPECT_EQ(t->Elem(2, 1), 10); // 12 clamped
    EXPECT_EQ(t->CellState(2, 2), dtcsNotANumber | dtcsMarkB);
    EXPECT_EQ(d.G.Selection(), (TGridRect{GC(1), 1, GC(2), 2}));
}

TEST(ValgridCommands, ExtractReadsTheSystemClipboard)
{
    struct Case {
        const char* name;
        QString text;
        int col, row; // data cell selected before
        std::vector<std::tuple<int, int, double>> cells;
        TGridRect selection; // data indices
    } cases[] = {
        {"two rows",
         QStringLiteral("1.5, 2e3\r\n-4"),
         1,
         1,
         {{1, 1, 1.5}, {2, 1, 2000}, {1, 2, -4}},
         {1, 1, 2, 2}},
        {"LF line ends",
         QStringLiteral("1\n2\n3\n"),
         2,
         1,
         {{2, 1, 1}, {2, 2, 2}, {2, 3, 3}},
         {2, 1, 2, 3}},
        {"huge exponent",
         QStringLiteral("1E5000 -1E5000"),
         1,
         1,
         {{1, 1, 1.7e308}, {2, 1, -1.7e308}},
         {1, 1, 2, 1}},
        {"past the table",
         QStringLiteral("1 2 3\r\n4 5 6\r\n7 8 9\r\n"),
         3,
         4,
         {{3, 4, 1}, {4, 4, 2}, {3, 5, 4}, {4, 5, 5}},
         {3, 4, 4, 5}},
        {"decimal commas with tabs",
         QStringLiteral("1,25\t\t3,5\r\n"),
         1,
         5,
         {{1, 5, 1.25}, {3, 5, 3.5}},
         {1, 5, 3, 5}},
        // A spreadsheet block: its heading line is no row, its name column keeps its place.
        {"a block with headings",
         QStringLiteral("name\tsepal length\tsepal width\r\nsetosa-1\t5.1\t3.5\r\n"
                        "setosa-2\t4.9\t3.0\r\n"),
         1,
         1,
         {{1, 1, 0}, {2, 1, 5.1}, {3, 1, 3.5}, {1, 2, 0}, {2, 2, 4.9}, {3, 2, 3}},
         {1, 1, 3, 2}},
    };
    for (const Case& c : cases) {
        TCommandsFixture d;
        TDataTable* t = d.G.DataTable();
        t->SetElem(2, 5, 77); // a cell only the tab case passes over
        // A cell written shows its number again; marks and the lock stay.
        const std::uint8_t hidden = dtcsMarkA | dtcsLocked | dtcsEmpty | dtcsNotANumber;
        t->SetCellState(1, 1, hidden);
        t->SetCellState(2, 1, hidden);
        int pastes = 0;
        d.G.OnPaste = [&](TObject*) { ++pastes; };
        SetClipboardText(c.text);
        d.G.SetSelection({GC(c.col), c.row, GC(c.col), c.row});
        Choose(d, GC(c.col), c.row, {QStringLiteral("Extract from Clipboard")});
        for (const auto& [col, row, v] : c.cells) EXPECT_EQ(t->Elem(col, row), v) << c.name;
        EXPECT_EQ(t->Elem(2, 5), 77) << c.name;
        for (int col : {1, 2}) {
            // The zeros among the expected cells are cells left alone.
            const bool written = std::any_of(c.cells.begin(), c.cells.end(), [&](const auto& w) {
                return std::get<0>(w) == col && std::get<1>(w) == 1 && std::get<2>(w) != 0;
            });
            EXPECT_EQ(t->CellState(col, 1), written ? dtcsMarkA | dtcsLocked : hidden)
                << c.name << " column " << col;
        }
        const TGridRect sel = d.G.Selection();
        EXPECT_EQ((TGridRect{sel.Left - 1, sel.Top, sel.Right - 1, sel.Bottom}), c.selection)
            << c.name;
        EXPECT_EQ(pastes, 1) << c.name;
    }

    // No text on the clipboard: nothing happens.
    TCommandsFixture d;
    QGuiApplication::clipboard()->clear();
    int pastes = 0;
    d.G.OnPaste = [&](TObject*) { ++pastes; };
    Choose(d, GC(1), 1, {QStringLiteral("Extract from Clipboard")});
    EXPECT_EQ(pastes, 0);
}

TEST(ValgridCommands, CopyThenExtractRestoresTheNumbers)
{
    TCommandsFixture d;
    TDataTable* t = d.G.DataTable();
    const double values[3][2] = {{1.0 / 3, -2.5e-12}, {123456.789, 0}, {-7, 1e300}};
    for (int c = 0; c < 2; ++c)
        for (int r = 0; r < 3; ++r) t->SetElem(c + 1, r + 1, values[r][c]);
    t->SetCellState(2, 2, dtcsNotANumber); // "####" in the text
    d.G.SetSelection({GC(1), 1, GC(2), 3});
    Choose(d, GC(1), 1, {QStringLiteral("Copy")});
    t->SetElem(4, 2, 55);
    d.G.SetSelection({GC(3), 1, GC(3), 1});
    Choose(d, GC(3), 1, {QStringLiteral("Extract from Clipboard")});
    for (int c = 0; c < 2; ++c)
        for (int r = 0; r < 3; ++r) {
            if (c == 1 && r == 1) continue;
            // Fourteen significant digits survive the trip.
            EXPECT_NEAR(t->Elem(c + 3, r + 1), values[r][c], std::fabs(values[r][c]) * 1e-13)
                << c << "," << r;
        }
    EXPECT_EQ(t->Elem(4, 2), 55); // the "####" cell keeps its place and leaves the target alone
}

TEST(ValgridCommands, PopupPictureForAPerson)
{
    TCommandsFixture d;
    d.G.resize(520, 400); // room for the whole menu
    for (int c = 1; c <= 4; ++c)
        for (int r = 1; r <= 5; ++r) d.G.DataTable()->SetElem(c, r, c * 1.5 - r);
    QImage picture;
    TMenuPicker picker({QString()});
    picker.OnShown = [&](QMenu& m) {
        picture = d.G.grab().toImage();
        QPainter p(&picture);
        p.drawPixmap(d.G.mapFromGlobal(m.mapToGlobal(QPoint(0, 0))), m.grab());
    };
    d.Click(GC(2), 2, Qt::RightButton);
    d.BackFromPopup();
    ASSERT_FALSE(picture.isNull());
    QDir().mkpath(QStringLiteral(ZEV_TEST_OUTPUT_DIR));
    EXPECT_TRUE(picture.save(QStringLiteral(ZEV_TEST_OUTPUT_DIR "/valgrid_popup.png")));
}
