#include "ZEV_datatable.h"
#include "ZEV_matrix.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// Records every event of a table as one short word each.
struct TEventLog {
    std::vector<std::string> Events;
    explicit TEventLog(TDataTable& T)
    {
        T.OnChange = [this](TObject*) { Events.push_back("Change"); };
        T.OnChangeSetup = [this](TObject*) { Events.push_back("Setup"); };
        T.OnChangeNames = [this](TObject*) { Events.push_back("Names"); };
        T.OnChangeAttrib = [this](TObject*) { Events.push_back("Attrib"); };
        T.OnChangeCellState = [this](TObject*) { Events.push_back("State"); };
        T.OnResize = [this](TObject*, int oc, int orows, int nc, int nr) {
            Events.push_back("Resize " + std::to_string(oc) + "x" + std::to_string(orows) + "->" +
                             std::to_string(nc) + "x" + std::to_string(nr));
        };
        T.OnSortExchange = [this](TObject*, std::uint8_t what, int i1, int i2, int f, int l) {
            Events.push_back("Sort " + std::to_string(what) + " " + std::to_string(i1) + " " +
                             std::to_string(i2) + " " + std::to_string(f) + " " +
                             std::to_string(l));
        };
    }
    int Count(const std::string& E) const
    {
        return int(std::count(Events.begin(), Events.end(), E));
    }
};

// Fills a table so that every cell, name and attribute tells where it came from.
void FillTagged(TDataTable& T, int Cols, int Rows)
{
    T.Resize(Cols, Rows);
    for (int c = 1; c <= Cols; ++c) {
        T.SetColName(c, QStringLiteral("col%1").arg(c));
        T.SetColAttrib(c, 100 + c);
        for (int r = 1; r <= Rows; ++r) {
            T.SetElem(c, r, c * 10 + r + 0.25);
            T.SetCellState(c, r, std::uint8_t(c * 10 + r));
        }
    }
    for (int r = 1; r <= Rows; ++r) {
        T.SetRowName(r, QStringLiteral("row%1").arg(r));
        T.SetRowAttrib(r, 200 + r);
    }
}

} // namespace

TEST(DataTable, DefaultsAndOutOfRangeAccess)
{
    TDataTable t;
    EXPECT_EQ(t.NrOfColumns(), 1);
    EXPECT_EQ(t.NrOfRows(), 1);
    EXPECT_EQ(t.ColName(1), "C-1");
    EXPECT_EQ(t.RowName(1), "R-1");
    EXPECT_EQ(t.MeasLevel(1), mlInterval);
    EXPECT_EQ(t.DataMat()->NrOfColumns(), 1);
    EXPECT_FALSE(t.SortHeaders());
    EXPECT_TRUE(t.Comment().isEmpty());

    TEventLog log(t);
    t.SetElem(0, 1, 5);
    t.SetElem(1, 2, 5);
    t.SetCellState(2, 1, 1);
    t.SetColName(0, "x");
    t.SetRowAttrib(2, 1);
    t.SetMeasLevel(2, mlNominal);
    t.SetValueLabel(1, 151, "x");
    t.SetValueLabel(1, -1, "x");
    EXPECT_TRUE(log.Events.empty());
    EXPECT_EQ(t.Elem(0, 1), 0.0);
    EXPECT_EQ(t.ColName(2), "");
    EXPECT_EQ(t.CellState(1, 2), 0);
    EXPECT_TRUE(t.IsNumber(5, 5));
    EXPECT_EQ(t.ValueLabel(1, 200), "");
}

TEST(DataTable, CategoryColumnsReadRounded)
{
    struct Row {
        double Stored;
        double Rounded;
    };
    const Row rows[] = {{2.5, 2}, {3.5, 4}, {-2.5, -2}, {-3.5, -4}, {2.4999, 2}, {7.0, 7}};
    for (TMeasLevel level : {mlNominal, mlOrdinal}) {
        TDataTable t;
        for (const Row& row : rows) {
            t.SetMeasLevel(1, mlInterval);
            t.SetElem(1, 1, row.Stored);
            t.SetMeasLevel(1, level);
            EXPECT_EQ(t.Elem(1, 1), row.Rounded) << row.Stored << " level " << int(level);
            EXPECT_EQ(t.DataMat()->Elem(1, 1), row.Stored);
            t.SetMeasLevel(1, mlRatio);
            EXPECT_EQ(t.Elem(1, 1), row.Stored);
        }
    }
}

TEST(DataTable, EventsFireByKind)
{
    struct Row {
        const char* What;
        std::function<void(TDataTable&)> Do;
        std::vector<std::string> Expected;
    };
    const std::vector<Row> rows = {
        // The matrix announces the write, then the table does once more.
        {"Elem", [](TDataTable& t) { t.SetElem(1, 1, 3); }, {"Change", "Change"}},
        {"matrix write", [](TDataTable& t) { t.DataMat()->SetElem(1, 1, 3); }, {"Change"}},
        {"same state twice",
         [](TDataTable& t) {
             t.SetCellState(1, 1, 64);
             t.SetCellState(1, 1, 64);
         },
         {"State"}},
        {"same attribute twice",
         [](TDataTable& t) {
             t.SetRowAttrib(1, 3);
             t.SetRowAttrib(1, 3);
             t.SetColAttrib(1, 0);
         },
         {"Attrib", "Attrib", "Attrib"}},
        {"names",
         [](TDataTable& t) { t.SetColName(1, "a"), t.SetRowName(1, "a"); },
         {"Names", "Names"}},
        {"level", [](TDataTable& t) { t.SetMeasLevel(1, mlInterval); }, {"Setup"}},
        {"label in ratio column stores nothing but fires",
         [](TDataTable& t) {
             t.SetMeasLevel(1, mlRatio);
             t.SetValueLabel(1, 3, "three");
         },
         {"Setup", "Setup"}},
        {"comment", [](TDataTable& t) { t.SetComment("x"); }, {"Setup"}},
        {"clear marks on unmarked cells", [](TDataTable& t) { t.ClearMarks(); }, {"State"}},
        {"resize", [](TDataTable& t) { t.Resize(3, 2); }, {"Resize 1x1->3x2"}},
        {"same size", [](TDataTable& t) { t.Resize(1, 1); }, {}},
        {"counts below 1", [](TDataTable& t) { t.SetNrOfRows(0), t.Resize(-1, 2); }, {}},
    };
    for (const Row& row : rows) {
        TDataTable t;
        TEventLog log(t);
        row.Do(t);
        EXPECT_EQ(log.Events, row.Expected) << row.What;
    }
}

TEST(DataTable, NamesCommentAndLimits)
{
    TDataTable t;
    t.Resize(2, 2);
    t.SetRowName(1, QString(60, 'x'));
    EXPECT_EQ(t.RowName(1), QString(50, 'x'));
    // An explicitly empty name is not the default name.
    t.SetRowName(2, "");
    EXPECT_EQ(t.RowName(2), "");
    t.SetColName(2, QString());
    EXPECT_EQ(t.ColName(2), "");

    t.SetNrOfRows(4);
    EXPECT_EQ(t.RowName(1), QString(50, 'x'));
    EXPECT_EQ(t.RowName(2), "");
    EXPECT_EQ(t.RowName(3), "R-3");
    EXPECT_EQ(t.RowName(4), "R-4");
    t.SetRowName(4, "four");
    t.SetNrOfRows(3);
    t.SetNrOfRows(4);
    EXPECT_EQ(t.RowName(4), "R-4");

    // Names are cut between characters, never inside one.
    const QString smiley = QString::fromUtf8("\xf0\x9f\x98\x80");
    t.SetColName(1, QString(49, 'y') + smiley);
    EXPECT_EQ(t.ColName(1), QString(49, 'y'));
    t.SetColName(1, QString(48, 'y') + smiley);
    EXPECT_EQ(t.ColName(1), QString(48, 'y') + smiley);

    t.SetComment(QStringLiteral("a\tb\r\nc\x01 d"));
    EXPECT_EQ(t.Comment(), "abc d");
}

TEST(DataTable, ValueLabels)
{
    TDataTable t;
    t.Resize(2, 1);
    t.SetMeasLevel(1, mlNominal);
    t.SetValueLabel(1, 0, "zero");
    t.SetValueLabel(1, 150, "LongLabelText");
    t.SetValueLabel(2, 1, "ignored");
    EXPECT_EQ(t.ValueLabel(1, 150), "LongLabelT");
    const QString smiley = QString::fromUtf8("\xf0\x9f\x98\x80");
    t.SetValueLabel(1, 7, "Nine char" + smiley);
    EXPECT_EQ(t.ValueLabel(1, 7), "Nine char");
    EXPECT_EQ(t.FindValueLabel(1, "Nine char" + smiley + "s", false), 7);
    EXPECT_EQ(t.ValueLabel(2, 1), "");

    struct Row {
        int Col;
        QString Label;
        bool IgnoreCase;
        int Expected;
    };
    const Row rows[] = {
        {1, "zero", false, 0},  {1, "ZERO", false, -1},
        {1, "ZERO", true, 0},   {1, "LongLabelTextOther", false, 150},
        {1, "", false, -1},     {2, "ignored", false, -1},
        {3, "zero", false, -1}, {1, "Long", false, -1},
    };
    for (const Row& row : rows)
        EXPECT_EQ(t.FindValueLabel(row.Col, row.Label, row.IgnoreCase), row.Expected)
            << row.Label.toStdString();

    // Labels of a column that stops being a category column are hidden, not lost.
    t.SetMeasLevel(1, mlInterval);
    EXPECT_EQ(t.ValueLabel(1, 0), "");
    EXPECT_EQ(t.FindValueLabel(1, "zero", false), -1);
    t.SetMeasLevel(1, mlOrdinal);
    EXPECT_EQ(t.ValueLabel(1, 0), "zero");
    t.SetValueLabel(1, 0, "");
    EXPECT_EQ(t.ValueLabel(1, 0), "");
    EXPECT_EQ(MeasLevelName(mlRatio), "Ratio");
    EXPECT_EQ(MeasLevelName(mlUnknown), "Unknown");
}

TEST(DataTable, ResizeKeepsContentsAndDefaultsNewParts)
{
    TDataTable t;
    FillTagged(t, 3, 3);
    t.SetMeasLevel(2, mlNominal);
    t.Resize(2, 4);
    EXPECT_EQ(t.DataMat()->NrOfColumns(), 2);
    EXPECT_EQ(t.DataMat()->NrOfRows(), 4);
    for (int c = 1; c <= 2; ++c)
        for (int r = 1; r <= 3; ++r) {
            EXPECT_EQ(t.DataMat()->Elem(c, r), c * 10 + r + 0.25);
            EXPECT_EQ(t.CellState(c, r), c * 10 + r);
        }
    EXPECT_EQ(t.CellState(1, 4), 0);
    EXPECT_EQ(t.RowAttrib(4), 0);
    EXPECT_EQ(t.MeasLevel(2), mlNominal);
    t.Resize(3, 4);
    EXPECT_EQ(t.ColName(3), "C-3");
    EXPECT_EQ(t.ColAttrib(3), 0);
    EXPECT_EQ(t.MeasLevel(3), mlInterval);
    EXPECT_EQ(t.CellState(3, 1), 0);
}

TEST(DataTable, SizeBeyondMemoryLeavesTableAsItWas)
{
    const std::pair<int, int> sizes[] = {
        {2000000000, 2000000000}, {200000, 200000}, {1, 2000000000}};
    for (auto [cols, rows] : sizes) {
        TDataTable t;
        t.SetName("Table1");
        FillTagged(t, 2, 3);
        TEventLog log(t);
        try {
            t.Resize(cols, rows);
            FAIL() << cols << "x" << rows << " was accepted";
        } catch (const EZEVDataTableError& e) {
            // The message says which table and how large a one was asked for.
            const QString size =
                QStringLiteral(" (a table of %1 columns and %2 rows").arg(cols).arg(rows);
            EXPECT_TRUE(
                e.Message().startsWith("Component \"Table1\": not enough memory on heap" + size))
                << e.Message().toStdString();
        }
        EXPECT_TRUE(log.Events.empty());
        EXPECT_EQ(t.NrOfColumns(), 2);
        EXPECT_EQ(t.NrOfRows(), 3);
        EXPECT_EQ(t.DataMat()->NrOfRows(), 3);
        EXPECT_EQ(t.CellState(2, 3), 23);
        EXPECT_EQ(t.RowName(3), "row3");
        t.SetNrOfRows(5); // still consistent and usable
        EXPECT_EQ(t.RowName(5), "R-5");
        EXPECT_EQ(t.CellState(2, 3), 23);
    }
}

TEST(DataTable, InsertAndDeleteRows)
{
    TDataTable t;
    FillTagged(t, 2, 3);
    t.SetMeasLevel(2, mlOrdinal);
    TEventLog log(t);
    t.InsertRow(2);
    ASSERT_EQ(t.NrOfRows(), 4);
    EXPECT_EQ(log.Events.front(), "Resize 2x3->2x4");
    EXPECT_EQ(log.Events.back(), "Setup");
    EXPECT_EQ(log.Count("Change"), 0);
    EXPECT_EQ(log.Count("Setup"), 1);
    EXPECT_EQ(t.RowName(2), "");
    EXPECT_EQ(t.RowAttrib(2), 0);
    EXPECT_EQ(t.DataMat()->Elem(1, 2), 0.0);
    EXPECT_EQ(t.CellState(1, 2), 0);
    EXPECT_EQ(t.RowName(3), "row2");
    EXPECT_EQ(t.RowAttrib(4), 203);
    EXPECT_EQ(t.CellState(2, 4), 23);
    // A category column's fractions move with the row.
    EXPECT_EQ(t.DataMat()->Elem(2, 4), 23.25);

    t.InsertRow(5);
    EXPECT_EQ(t.RowName(5), "");
    t.InsertRow(7);
    t.InsertRow(0);
    EXPECT_EQ(t.NrOfRows(), 5);

    log.Events.clear();
    t.DeleteRow(1);
    EXPECT_EQ(log.Count("Change"), 0);
    EXPECT_EQ(log.Events.back(), "Setup");
    ASSERT_EQ(t.NrOfRows(), 4);
    EXPECT_EQ(t.RowName(1), "");
    EXPECT_EQ(t.RowName(2), "row2");
    EXPECT_EQ(t.DataMat()->Elem(2, 3), 23.25);

    // The matrix's notification is attached again afterwards.
    log.Events.clear();
    t.DataMat()->SetElem(1, 1, 9);
    EXPECT_EQ(log.Events, std::vector<std::string>{"Change"});

    TDataTable one;
    one.DeleteRow(1);
    one.Resize(1, 2);
    one.DeleteColumn(1);
    EXPECT_EQ(one.NrOfRows(), 2);
    EXPECT_EQ(one.NrOfColumns(), 1);
}

TEST(DataTable, InsertAndDeleteColumnsMoveWholeSetups)
{
    TDataTable t;
    FillTagged(t, 3, 2);
    t.SetMeasLevel(1, mlNominal);
    t.SetValueLabel(1, 1, "one");
    t.SetMeasLevel(2, mlNominal);
    t.SetValueLabel(2, 5, "five");
    t.SetMeasLevel(2, mlRatio); // "five" stays stored, hidden
    TEventLog log(t);
    t.InsertColumn(1);
    EXPECT_EQ(log.Count("Setup"), 1);
    EXPECT_EQ(log.Count("Change"), 0);
    EXPECT_EQ(log.Events.back(), "Setup");
    ASSERT_EQ(t.NrOfColumns(), 4);
    EXPECT_EQ(t.ColName(1), "");
    EXPECT_EQ(t.MeasLevel(1), mlInterval);
    EXPECT_EQ(t.ColName(2), "col1");
    EXPECT_EQ(t.ValueLabel(2, 1), "one");
    EXPECT_EQ(t.DataMat()->Elem(4, 2), 32.25);
    EXPECT_EQ(t.CellState(4, 2), 32);
    EXPECT_EQ(t.ColAttrib(4), 103);

    log.Events.clear();
    t.DeleteColumn(2);
    EXPECT_EQ(log.Count("Setup"), 1);
    ASSERT_EQ(t.NrOfColumns(), 3);
    EXPECT_EQ(t.ColName(2), "col2");
    // Column 3 (was col3, interval) takes over col3's setup: no labels of col2 in it.
    EXPECT_EQ(t.ColName(3), "col3");
    t.SetMeasLevel(3, mlNominal);
    EXPECT_EQ(t.ValueLabel(3, 5), "");
    // col2's hidden label went with it.
    t.SetMeasLevel(2, mlNominal);
    EXPECT_EQ(t.ValueLabel(2, 5), "five");
}

TEST(DataTable, SortExchangeFollowsTheMatrix)
{
    for (bool headers : {false, true}) {
        TDataTable t;
        FillTagged(t, 3, 4);
        t.SetSortHeaders(headers);
        TEventLog log(t);
        // Rows 1 and 3 exchanged over columns 2..3.
        t.DataMat()->OnSortExchange(t.DataMat(), 0, 1, 3, 2, 3);
        EXPECT_EQ(log.Events, std::vector<std::string>{"Sort 0 1 3 2 3"});
        EXPECT_EQ(t.CellState(1, 1), 11);
        EXPECT_EQ(t.CellState(2, 1), 23);
        EXPECT_EQ(t.CellState(3, 3), 31);
        EXPECT_EQ(t.RowName(1), headers ? "row3" : "row1");
        EXPECT_EQ(t.RowAttrib(3), headers ? 201 : 203);

        t.SetMeasLevel(1, mlOrdinal);
        t.DataMat()->OnSortExchange(t.DataMat(), 1, 1, 2, 0, 99);
        EXPECT_EQ(t.CellState(1, 4), 24);
        EXPECT_EQ(t.ColName(2), headers ? "col1" : "col2");
        EXPECT_EQ(t.MeasLevel(2), headers ? mlOrdinal : mlInterval);
    }
}

TEST(DataTable, AssignCopiesEverythingAndKeepsItsOwnMatrixLink)
{
    TDataTable src;
    FillTagged(src, 2, 3);
    src.SetComment("note");
    src.SetMeasLevel(2, mlNominal);
    src.SetValueLabel(2, 4, "four");
    src.SetSortHeaders(true);
    int srcChanges = 0;
    src.OnChange = [&](TObject*) { ++srcChanges; };

    TDataTable dst;
    TEventLog log(dst);
    dst.Assign(&src);
    EXPECT_TRUE(log.Events.empty());
    EXPECT_EQ(dst.NrOfColumns(), 2);
    EXPECT_EQ(dst.NrOfRows(), 3);
    EXPECT_EQ(dst.Comment(), "note");
    EXPECT_TRUE(dst.SortHeaders());
    EXPECT_EQ(dst.ValueLabel(2, 4), "four");
    EXPECT_EQ(dst.RowName(3), "row3");
    EXPECT_EQ(dst.CellState(2, 3), 23);
    EXPECT_EQ(dst.DataMat()->Elem(2, 3), 23.25);

    // The handlers came along; a write into the copy's matrix speaks for the copy.
    int dstChanges = 0;
    dst.OnChange = [&](TObject* sender) {
        EXPECT_EQ(sender, &dst);
        ++dstChanges;
    };
    srcChanges = 0;
    dst.DataMat()->SetElem(1, 1, 7);
    EXPECT_EQ(dstChanges, 1);
    EXPECT_EQ(srcChanges, 0);
    EXPECT_EQ(src.DataMat()->Elem(1, 1), 11.25);

    TMatrix m;
    EXPECT_THROW(dst.Assign(&m), EAssignError);
}
