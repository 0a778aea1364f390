#include "ZEV_valgrid.h"

#include <QApplication>
#include <QDir>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <map>

// Readable failure messages.
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {
struct TRendered {
    QString Text;
    TColor Font = 0, Back = 0;
    TFontStyles Style = 0;
};

// Records what every data cell showed during the last paints, keyed by data (column, row).
struct TRenderLog {
    std::map<std::pair<int, int>, TRendered> Cells;
    int Calls = 0;
    void Attach(TValgrid& g)
    {
        g.OnBeforeRenderCell = [this](TObject*, int c, int r, QString& t, TColor& f, TColor& b,
                                      TFontStyles& s) {
            ++Calls;
            Cells[{c, r}] = {t, f, b, s};
        };
    }
    const TRendered& At(int c, int r) { return Cells[{c, r}]; }
};

// Counts the editor's gated change events.
struct TEventCount {
    int Total = 0;
    void Attach(TValgrid& g)
    {
        for (TNotifyEvent* e : {&g.OnChange, &g.OnChangeSetup, &g.OnHeadingChanged,
                                &g.OnAttributeChanged, &g.OnCellStateChanged, &g.OnEmptyStChanged,
                                &g.OnLayoutChanged, &g.OnSelectionChanged})
            *e = [this](TObject*) { ++Total; };
    }
};
} // namespace

TEST(ValgridNumbers, FormatCellNumber)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        int width, precision;
        double value;
        const char* text;
    } cases[] = {
        {1, 3, 123456.789, "123456.789"},
        {1, 3, 1234567, " 1.2E+06"}, // beyond nine significant digits
        {1, 3, -1234567, "-1.2E+06"},
        {1, 3, 0.0004, " 4.0E-04"}, // below the smallest fixed value
        {1, 3, 0, "0.000"},
        {1, 3, -2.5, "-2.500"},
        {1, 3, 1e150, "********"}, // three-digit exponent
        {1, 3, -1e-150, "********"},
        {8, 2, 3.14159, "    3.14"},
        {1, 0, 999999999, "999999999"},
        {1, 0, 1e9, " 1.0E+09"},
        {1, 0, 0.4, " 4.0E-01"},
        {1, 8, 0.00000001, "0.00000001"},
        {1, 8, 9.99999999, "9.99999999"},
        {1, 8, 10.0, " 1.0E+01"},
        {1, -1, 12345, " 1.2E+04"},
        {1, 9, 1.5, " 1.5E+00"},
        {1, 10, 1.5, " 1.5E+00"},
        {5, 3, 1234567, " 1.2346E+06"},
        {20, 3, 1e12, "   1.00000000000000000E+12"}, // 18 significant digits at most
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatCellNumber(c.width, c.precision, c.value), QString::fromLatin1(c.text))
            << c.width << " " << c.precision << " " << c.value;
    EXPECT_TRUE(FormatCellNumber(1, 3, nan).contains(QStringLiteral("NaN")));
}

TEST(ValgridNumbers, FloatToField)
{
    struct Case {
        int width, decimals;
        double value;
        const char* text;
    } cases[] = {
        {22, -1, 1234.5, " 1.2345000000000E+0003"}, // 14 significant digits, 22 characters
        {12, -1, -0.5, "-5.000E-0001"},
        {8, -1, 3, " 3.0E+0000"}, // two digits at least, longer than the field
        {30, -1, 1, "     1.00000000000000000E+0000"},
        {5, -2, 12345, " 1.2E+04"},
        {5, -2, 1e-200, "********"},
        {6, 2, 3.14159, "  3.14"},
        {1, 0, -7, "-7"},
        {1, 2, -0.0, "0.00"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FloatToField(c.width, c.decimals, c.value), QString::fromLatin1(c.text))
            << c.width << " " << c.decimals << " " << c.value;
    EXPECT_EQ(WholeNumberText(-0.4), QStringLiteral("0"));
    EXPECT_EQ(WholeNumberText(2.5), QStringLiteral("2"));
    EXPECT_EQ(WholeNumberText(-3.5), QStringLiteral("-4"));
}

TEST(ValgridNumbers, EmptyMessageIsCentredAndLifted)
{
    // Two lines of 12-pixel text in a 200 x 100 control: the block's middle at 50, minus 2.
    const auto at = EmptyMessageOrigins(200, 100, 12, {40, 61});
    ASSERT_EQ(at.size(), 2u);
    EXPECT_EQ(at[0], Point(80, 36));
    EXPECT_EQ(at[1], Point(69, 48));
    EXPECT_EQ(EmptyMessageOrigins(201, 101, 13, {300})[0], Point(-49, 42)); // truncating division
}

TEST(Valgrid, ConstructionDefaults)
{
    TValgrid g;
    EXPECT_EQ(g.NrOfColumns(), 3);
    EXPECT_EQ(g.NrOfRows(), 4);
    EXPECT_EQ(g.ColCount(), 5);
    EXPECT_EQ(g.RowCount(), 5);
    EXPECT_EQ(g.FixedCols(), 2);
    EXPECT_EQ(g.FixedRows(), 1);
    EXPECT_TRUE(g.AttribRowVisible());
    EXPECT_FALSE(g.AttribColVisible());
    const int widths[] = {80, 32, 64, 64, 64};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(g.ColWidths(i), widths[i]) << i;
    for (int c = 1; c <= 3; ++c) EXPECT_EQ(g.Precision(c), 3);
    EXPECT_EQ(g.DefaultRowHeight(), 24);
    EXPECT_EQ(g.ColorNormal(), 8192u);
    EXPECT_EQ(g.ColorSelected(), 4210752u);
    EXPECT_EQ(g.ColorRangeSelBG(), 16312544u);
    EXPECT_EQ(g.ColorBackground(), clWindow);
    EXPECT_EQ(g.ColorFixed(), clBtnFace);
    EXPECT_EQ(g.Options(), DefaultGridOptions | goColSizing | goRowSizing);
    EXPECT_EQ(g.DataPopup()->Name(), QStringLiteral("PopupDTAction"));
    EXPECT_EQ(g.HeadingPopup()->Name(), QStringLiteral("PopupHTAction"));
    EXPECT_EQ(g.Elem(1, 1), 0.0);
    EXPECT_EQ(g.Elem(9, 9), 0.0);
    EXPECT_EQ(g.ColName(9), QString());
}

TEST(Valgrid, AttributeColumnAndRowMoveSizesAlong)
{
    TValgrid g;
    g.SetColWidth(1, 100);
    g.SetColWidth(3, 50);
    g.SetRowHeight(0, 30);
    g.SetRowHeight(2, 40);

    g.SetAttribRowVisible(false);
    EXPECT_EQ(g.FixedCols(), 1);
    EXPECT_EQ(g.ColCount(), 4);
    EXPECT_EQ(g.ColWidth(-1), 0); // hidden: reads 0, writes ignored
    g.SetColWidth(-1, 77);
    const int hidden[] = {80, 100, 64, 50};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(g.ColWidths(i), hidden[i]) << i;

    g.SetAttribRowVisible(true);
    EXPECT_EQ(g.FixedCols(), 2);
    const int shown[] = {80, 32, 100, 64, 50};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(g.ColWidths(i), shown[i]) << i;
    EXPECT_EQ(g.ColWidth(-1), 32);

    g.SetAttribColVisible(true);
    EXPECT_EQ(g.RowCount(), 6);
    EXPECT_EQ(g.FixedRows(), 2);
    EXPECT_EQ(g.RowHeight(-1), 30); // takes the heading row's height
    EXPECT_EQ(g.RowHeight(2), 40);
    EXPECT_EQ(g.RowHeights(3), 40);
    g.SetAttribColVisible(false);
    EXPECT_EQ(g.RowHeights(2), 40);
    EXPECT_EQ(g.RowHeight(-1), 0);
    g.SetRowHeight(5, 99); // beyond NrOfRows: ignored
    EXPECT_EQ(g.RowHeight(4), 24);

    g.SetDefaultColWidth(50);
    const int reset[] = {80, 32, 50, 50, 50};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(g.ColWidths(i), reset[i]) << i;
}

TEST(Valgrid, GrowingAndResizingTakesWidthAndPrecisionOfTheLastColumn)
{
    TValgrid g;
    g.SetColWidth(3, 90);
    g.SetPrecision(3, 5);
    g.SetPrecision(1, 0);
    g.SetNrOfColumns(6);
    EXPECT_EQ(g.ColCount(), 8);
    for (int c = 3; c <= 6; ++c) {
        EXPECT_EQ(g.ColWidth(c), 90) << c;
        EXPECT_EQ(g.Precision(c), 5) << c;
    }
    EXPECT_EQ(g.Precision(1), 0);
    g.SetNrOfColumns(2);
    EXPECT_EQ(g.ColCount(), 4);
    EXPECT_EQ(g.Precision(3), 0); // outside the table now

    // A resize made by the table itself goes through the same adjustment.
    g.SetPrecision(2, 7);
    g.DataTable()->Resize(4, 10);
    EXPECT_EQ(g.ColCount(), 6);
    EXPECT_EQ(g.RowCount(), 11);
    EXPECT_EQ(g.Precision(4), 7);
    g.SetNrOfRows(0); // the table keeps at least one row; the grid follows the table
    EXPECT_EQ(g.RowCount(), g.NrOfRows() + 1);

    struct Case {
        int set, stored;
    } clamp[] = {{-5, -1}, {-1, -1}, {0, 0}, {10, 10}, {50, 10}};
    for (const auto& c : clamp) {
        g.SetPrecision(1, c.set);
        EXPECT_EQ(g.Precision(1), c.stored) << c.set;
    }
    g.SetPrecision(0, 4); // outside: ignored, reads 0
    EXPECT_EQ(g.Precision(0), 0);
    EXPECT_EQ(g.Precision(99), 0);
}

TEST(Valgrid, EventGateAndSuppressedFill)
{
    TValgrid g;
    g.resize(500, 300);
    TRenderLog log;
    log.Attach(g);
    TEventCount events;
    events.Attach(g);

    g.SetSuppressPaint(true);
    g.SetNrOfColumns(5);
    g.SetNrOfRows(150);
    for (int r = 1; r <= 150; ++r) {
        for (int c = 1; c <= 5; ++c) g.DataTable()->SetElem(c, r, r + c / 10.0);
        g.SetRowAttrib(r, std::uint8_t(r % 3 + 1));
    }
    g.SetColName(1, QStringLiteral("gated"));
    g.Repaint();
    EXPECT_EQ(log.Calls, 0);
    EXPECT_EQ(events.Total, 0);
    g.SetSuppressPaint(false);
    const int perPaint = log.Calls;
    EXPECT_GT(perPaint, 0);
    QApplication::processEvents();
    EXPECT_EQ(log.Calls, perPaint); // one repaint in all
    EXPECT_EQ(events.Total, 0);
    EXPECT_EQ(g.RowAttrib(150), 1);
    EXPECT_EQ(g.RowCount(), 151);

    // Open gate: each setter fires its own event, out-of-range writes fire nothing.
    int heading = 0, attrib = 0, layout = 0, change = 0;
    g.OnHeadingChanged = [&](TObject*) { ++heading; };
    g.OnAttributeChanged = [&](TObject*) { ++attrib; };
    g.OnLayoutChanged = [&](TObject*) { ++layout; };
    g.OnChange = [&](TObject*) { ++change; };
    g.SetColName(2, QString(60, QChar('x')));
    g.SetColName(99, QStringLiteral("no"));
    g.SetRowAttrib(1, 7);
    g.SetRowAttrib(151, 7);
    g.SetNumWidth(30); // ignored, still announced
    g.SetNumWidth(4);
    g.SetBoldMarks(true); // unchanged: silent
    g.SetComment(QStringLiteral("a\tb\nc"));
    EXPECT_EQ(heading, 1);
    EXPECT_EQ(g.ColName(2).size(), 50);
    EXPECT_EQ(attrib, 1);
    EXPECT_EQ(layout, 2);
    EXPECT_EQ(g.NumWidth(), 4);
    EXPECT_GE(change, 1);
    EXPECT_EQ(g.Comment(), QStringLiteral("abc"));
}

TEST(Valgrid, DataCellTextsColoursAndBold)
{
    TValgrid g;
    g.resize(600, 300);
    g.SetNrOfColumns(4);
    g.SetNrOfRows(6);
    TDataTable* t = g.DataTable();
    t->SetElem(1, 2, 123456.789);
    t->SetElem(1, 3, 1234567);
    t->SetCellState(1, 4, dtcsNotANumber);
    t->SetCellState(1, 5, dtcsNotANumber | dtcsEmpty);
    t->SetElem(2, 2, 1.5);
    t->SetCellState(2, 2, dtcsMarkA);
    t->SetCellState(2, 3, dtcsMarkB);
    t->SetCellState(2, 4, dtcsMarkA | dtcsMarkB);
    t->SetMeasLevel(3, mlNominal);
    t->SetValueLabel(3, 2, QStringLiteral("setosa"));
    t->SetValueLabel(3, 0, QStringLiteral("none"));
    t->SetElem(3, 2, 2.4);
    t->SetElem(3, 3, 200);
    t->SetElem(3, 4, 5);
    t->SetElem(3, 5, 0);
    t->SetMeasLevel(4, mlOrdinal);
    t->SetElem(4, 2, 2.5);                                        // halves to the even neighbour
    g.SetSelection({g.FixedCols() + 1, 2, g.FixedCols() + 1, 2}); // data cell (2, 2)

    TRenderLog log;
    log.Attach(g);
    g.Repaint();
    struct Case {
        int col, row;
        const char* text;
        TColor font, back;
        bool bold;
    } cases[] = {
        {1, 1, "0.000", g.ColorNormal(), clWindow, false},
        {1, 2, "123456.789", g.ColorNormal(), clWindow, false},
        {1, 3, " 1.2E+06", g.ColorNormal(), clWindow, false},
        {1, 4, "-nan-", g.ColorNormal(), clWindow, false},
        {1, 5, "", g.ColorNormal(), clWindow, false},
        {2, 2, "1.500", g.ColorMarkedA(), g.ColorRangeSelBG(), true}, // marked and selected
        {2, 3, "0.000", g.ColorMarkedB(), clWindow, true},
        {2, 4, "0.000", g.ColorMarkedBoth(), clWindow, true},
        {3, 2, "setosa", g.ColorNormal(), clWindow, false},
        {3, 3, "Nominal:200", g.ColorNormal(), clWindow, false},
        {3, 4, "Nominal:5", g.ColorNormal(), clWindow, false},
        {3, 5, "none", g.ColorNormal(), clWindow, false},
        {4, 2, "Ordinal:2", g.ColorNormal(), clWindow, false},
    };
    for (const auto& c : cases) {
        const TRendered& r = log.At(c.col, c.row);
        EXPECT_EQ(r.Text, QString::fromLatin1(c.text)) << c.col << "," << c.row;
        EXPECT_EQ(r.Font, c.font) << c.col << "," << c.row;
        EXPECT_EQ(r.Back, c.back) << c.col << "," << c.row;
        EXPECT_EQ(bool(r.Style & fsBold), c.bold) << c.col << "," << c.row;
    }

    g.SetBoldMarks(false);
    g.SetSelection({g.FixedCols(), 1, g.FixedCols() + 1, 2}); // data (1..2, 1..2)
    g.Repaint();
    EXPECT_FALSE(log.At(2, 3).Style & fsBold);
    EXPECT_EQ(log.At(1, 1).Font, g.ColorRangeSelFG());
    EXPECT_EQ(log.At(1, 1).Back, g.ColorRangeSelBG());
    EXPECT_EQ(log.At(2, 2).Font, g.ColorMarkedA()); // marks win over the selection colour

    // Whatever the handler leaves is what the cell shows.
    g.OnBeforeRenderCell = [](TObject*, int c, int r, QString& t, TColor& f, TColor& b,
                              TFontStyles& s) {
        if (c == 1 && r == 2) t = QStringLiteral("x"), f = clRed, b = clYellow, s = fsItalic;
    };
    const TValgridCellLook look = g.CellLook(g.FixedCols(), 2);
    EXPECT_EQ(look.Text, QStringLiteral("x"));
    EXPECT_EQ(look.FontColor, clRed);
    EXPECT_EQ(look.BrushColor, clYellow);
    EXPECT_EQ(look.Style, fsItalic);
}

TEST(Valgrid, FixedCellsHeadingsAttributesAndCorner)
{
    TValgrid g;
    g.resize(600, 300);
    g.SetColName(2, QStringLiteral("width"));
    g.SetRowName(3, QStringLiteral("obj3"));
    g.SetColAttrib(2, 9);
    g.SetRowAttrib(3, 2);
    g.SetSelection({3, 3, 4, 4}); // data (2, 3) .. (3, 4)
    g.SetAttribColVisible(true);  // the selection moved down with its cells
    ASSERT_EQ(g.Selection(), (TGridRect{3, 4, 4, 5}));

    struct Case {
        int col, row;
        const char* text;
        TColor font;
        bool bold;
        int inset, cut;
    } cases[] = {
        {0, 0, "2:3", g.ColorNormal(), false, 0, 0},
        {3, 0, "width", g.ColorSelected(), true, 1, 2}, // heading of the selection's left column
        {4, 0, "C-3", g.ColorNormal(), false, 1, 2},
        {3, 1, "9", g.ColorSelected(), true, 1, 2},
        {0, 4, "obj3", g.ColorSelected(), true, 1, 2},
        {1, 4, "2", g.ColorSelected(), true, 1, 2},
        {0, 5, "R-4", g.ColorNormal(), false, 1, 2},
        {1, 0, "Attrib", g.Font()->Color(), false, 1, 0},
        {0, 1, "Attribute", g.Font()->Color(), false, 1, 2},
    };
    for (const auto& c : cases) {
        const TValgridCellLook l = g.CellLook(c.col, c.row);
        EXPECT_EQ(l.Text, QString::fromLatin1(c.text)) << c.col << "," << c.row;
        EXPECT_EQ(l.FontColor, c.font) << c.col << "," << c.row;
        EXPECT_EQ(bool(l.Style & fsBold), c.bold) << c.col << "," << c.row;
        EXPECT_EQ(l.Inset, c.inset) << c.col << "," << c.row;
        EXPECT_EQ(l.RightCut, c.cut) << c.col << "," << c.row;
    }
    EXPECT_FALSE(g.CellLook(1, 1).Draws);
    EXPECT_EQ(g.CellLook(0, 0).BrushColor, clWindow);
    EXPECT_EQ(g.CellLook(0, 4).DY, 0); // row names sit one pixel higher
    g.SetBoldSelHeads(false);
    EXPECT_FALSE(g.CellLook(3, 0).Style & fsBold);
    g.SetShowCellCursor(false);
    EXPECT_EQ(g.CellLook(0, 0).Text, QString());
}

TEST(Valgrid, CellEditorStartsWithTheShownTextButNeverOnLockedCells)
{
    TValgrid g;
    g.resize(400, 300);
    g.show();
    g.SetDataReadOnly(true);
    g.SetDataReadOnly(false); // switches the editing option on
    ASSERT_TRUE(g.Options() & goEditing);
    g.DataTable()->SetElem(1, 1, 2.5);
    g.DataTable()->SetCellState(1, 2, dtcsLocked);
    g.DataTable()->SetMeasLevel(2, mlNominal);
    g.DataTable()->SetValueLabel(2, 1, QStringLiteral("one"));
    g.DataTable()->SetValueLabel(2, 3, QStringLiteral("three"));
    g.DataTable()->SetElem(2, 1, 1);

    g.ShowEditor();
    ASSERT_TRUE(g.EditorMode());
    EXPECT_EQ(g.InplaceEditor()->text(), QStringLiteral("2.500"));
    EXPECT_EQ(g.InplaceEditor()->EditStyle(), esSimple);
    g.HideEditor(false);

    g.SetRow(2); // data (1, 2) is locked
    g.ShowEditor();
    EXPECT_FALSE(g.EditorMode());

    g.SetSelection({3, 1, 3, 1}); // the nominal column offers its labels
    g.ShowEditor();
    ASSERT_TRUE(g.EditorMode());
    EXPECT_EQ(g.InplaceEditor()->text(), QStringLiteral("one"));
    EXPECT_EQ(g.InplaceEditor()->EditStyle(), esPickList);
    EXPECT_EQ(g.PickList(), (QStringList{QStringLiteral("one"), QStringLiteral("three")}));
    g.SetDataReadOnly(true);
    EXPECT_FALSE(g.EditorMode());
}

TEST(Valgrid, RowHeightFitsTheFont)
{
    TValgrid g;
    g.resize(400, 300);
    g.SetAttribColVisible(true);
    const int h = g.FitRowHeight(2, 0);
    EXPECT_GE(h, 8);
    EXPECT_EQ(g.RowHeight(2), h);
    EXPECT_EQ(g.FitRowHeight(2, 5), h + 5);
    g.Font()->SetHeight(-30);
    EXPECT_GT(g.FitRowHeight(1, 0), h);

    g.SetOptimizeRowHeight(true);
    g.Repaint();
    const int fitted = g.FitRowHeight(-1, 2);
    EXPECT_EQ(g.DefaultRowHeight(), fitted);
    EXPECT_EQ(g.RowHeight(3), fitted);
}

TEST(Valgrid, PictureForAPerson)
{
    TValgrid g;
    g.resize(520, 240);
    g.SetNrOfColumns(4);
    g.SetNrOfRows(6);
    TDataTable* t = g.DataTable();
    const char* names[] = {"length", "width", "species", "weight"};
    for (int c = 1; c <= 4; ++c) g.SetColName(c, QString::fromLatin1(names[c - 1]));
    for (int r = 1; r <= 6; ++r) {
        g.SetRowName(r, QStringLiteral("plant %1").arg(r));
        g.SetRowAttrib(r, std::uint8_t(r % 3 + 1));
        t->SetElem(1, r, 4.5 + r * 0.37);
        t->SetElem(2, r, 1234567.0 * r);
        t->SetElem(3, r, r % 3);
        t->SetElem(4, r, -0.25 * r);
    }
    t->SetMeasLevel(3, mlNominal);
    t->SetValueLabel(3, 0, QStringLiteral("setosa"));
    t->SetValueLabel(3, 1, QStringLiteral("virginica"));
    t->SetCellState(3, 3, 0); // value 0 labelled; value 2 below has no label
    t->SetCellState(1, 2, dtcsMarkA);
    t->SetCellState(4, 3, dtcsMarkB);
    t->SetCellState(1, 5, dtcsMarkA | dtcsMarkB);
    t->SetCellState(2, 4, dtcsNotANumber);
    t->SetCellState(4, 5, dtcsEmpty);
    g.SetSelection({3, 2, 4, 3});
    const QImage& picture = g.Picture();
    ASSERT_FALSE(picture.isNull());
    QDir().mkpath(QStringLiteral(ZEV_TEST_OUTPUT_DIR));
    EXPECT_TRUE(picture.save(QStringLiteral(ZEV_TEST_OUTPUT_DIR "/valgrid_table.png")));
    // The corner stays white behind the cell cursor and the heading row is the button face.
    EXPECT_EQ(FromQColor(picture.pixelColor(70, 20)), ColorToRGB(clWindow));
    EXPECT_EQ(FromQColor(picture.pixelColor(200, 22)), ColorToRGB(clBtnFace));
}
