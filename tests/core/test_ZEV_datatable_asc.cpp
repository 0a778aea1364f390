#include "FileNames.h"
#include "MemoryLimit.h"
#include "ZEV_datatable.h"
#include "ZEV_matrix.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <charconv>
#include <chrono>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace {

class AscFile : public ::testing::Test {
  protected:
    // Writes Content byte for byte and returns the file's name.
    QString Write(const std::string& Content, const QString& Name = "t.asc")
    {
        const QString path = Dir.filePath(Name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(Content.data(), qint64(Content.size()));
        KeepForFuzzing(Content);
        return path;
    }
    // With ZEV_ASC_CORPUS set, every small file also goes there as a seed for the fuzzer.
    static void KeepForFuzzing(const std::string& Content)
    {
        const QString dir = qEnvironmentVariable("ZEV_ASC_CORPUS");
        if (dir.isEmpty() || Content.size() > 65536) return;
        QFile seed(dir + "/seed_" + QString::number(std::hash<std::string>()(Content), 16));
        if (seed.open(QIODevice::WriteOnly)) seed.write(Content.data(), qint64(Content.size()));
    }
    int Load(const std::string& Content) { return Table.LoadFromASCFile(Write(Content)); }

    QTemporaryDir Dir;
    TDataTable Table;
};

// A header with the given switches, lines ending in CR LF.
std::string Header(int Cols, int Rows, const char* Switches = "FALSE FALSE FALSE FALSE")
{
    return "comment\r\n" + std::to_string(Cols) + "\r\n" + std::to_string(Rows) + "\r\n" +
           Switches + "\r\n";
}

std::vector<double> Column(const TDataTable& T, int Col)
{
    std::vector<double> v;
    for (int r = 1; r <= T.NrOfRows(); ++r) v.push_back(T.DataMat()->Elem(Col, r));
    return v;
}

} // namespace

TEST_F(AscFile, HeaderResultCodes)
{
    struct Row {
        const char* What;
        std::string Content;
        int Code;
    };
    const Row rows[] = {
        {"good, lower case switches, extra text after counts",
         "c\r\n2 columns\r\n1\trows\r\nfalse False FALSE false\r\n1 2", ascOK},
        {"switches not separated", "c\r\n1\r\n1\r\nFALSETRUEFALSE\r\nx 1", ascOK},
        {"fourth switch missing or other", "c\r\n1\r\n1\r\nFALSE FALSE FALSE maybe\r\n1", ascOK},
        {"zero columns", "c\r\n0\r\n1\r\nFALSE FALSE FALSE\r\n", ascBadColumnCount},
        {"negative columns", "c\r\n-3\r\n1\r\nFALSE FALSE FALSE\r\n", ascBadColumnCount},
        {"columns with attached text", "c\r\n3x\r\n1\r\nFALSE FALSE FALSE\r\n", ascBadColumnCount},
        {"columns beyond int", "c\r\n3000000000\r\n1\r\nFALSE FALSE FALSE\r\n", ascBadColumnCount},
        {"bad rows", "c\r\n1\r\nmany\r\nFALSE FALSE FALSE\r\n", ascBadRowCount},
        {"empty rows", "c\r\n1\r\n\r\nFALSE FALSE FALSE\r\n", ascBadRowCount},
        {"third switch bad", "c\r\n1\r\n1\r\nFALSE FALSE YES FALSE\r\n1", ascBadSwitch},
        {"header ends early", "c\r\n1\r\n1", ascBadSwitch},
        {"line feed in line 1", "c\nmore\r\n1\r\n1\r\nFALSE FALSE FALSE\r\n1", ascLineFeedEnding},
        // Read up to CR, an LF-only file is one long first line and an empty second one.
        {"LF-only file", "c\n1\n1\nFALSE FALSE FALSE FALSE\n1\n", ascBadColumnCount},
        {"bad columns beat the line feed", "c\nx\r\nx\r\n", ascBadColumnCount},
        {"empty file", "", ascBadColumnCount},
    };
    for (const Row& row : rows) {
        TDataTable t;
        t.Resize(2, 2);
        t.SetComment("before");
        const int code = t.LoadFromASCFile(Write(row.Content));
        EXPECT_EQ(code, row.Code) << row.What;
        if (code != ascOK) {
            EXPECT_EQ(t.Comment(), "before") << row.What;
            EXPECT_EQ(t.NrOfColumns(), 2) << row.What;
        }
    }
    EXPECT_EQ(Table.LoadFromASCFile(Dir.filePath("missing.asc")), ascFileNotFound);
    EXPECT_EQ(Table.LoadFromASCFile(Dir.path()), ascFileNotFound);
    EXPECT_EQ(Table.LoadFromASCFile(""), ascFileNotFound);
    EXPECT_EQ(Table.LoadFromASCFile("/dev/zero"), ascFileNotFound);
}

TEST_F(AscFile, TokenStreamIgnoresLinesAndEndOfFile)
{
    struct Row {
        const char* What;
        std::string Body;
        std::vector<double> Col1, Col3;
    };
    const Row rows[] = {
        {"one line", "1 2 3 4 5 6\r\n", {1, 4}, {3, 6}},
        {"no line break after the last number", "1 2 3 4 5 6", {1, 4}, {3, 6}},
        {"rows across lines, tabs", "1\t2\r\n3 4\r\n\r\n5\r\n6", {1, 4}, {3, 6}},
        {"LF and blanks inside the data", "-1.5e1\n+2 .5\n 4. 5E-1 6e+0", {-15, 4}, {0.5, 6}},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(Load(Header(3, 2, "false false false false") + row.Body), ascOK) << row.What;
        EXPECT_EQ(Column(Table, 1), row.Col1) << row.What;
        EXPECT_EQ(Column(Table, 3), row.Col3) << row.What;
        EXPECT_EQ(Table.Comment(), "comment");
    }
}

TEST_F(AscFile, NameTokens)
{
    struct Row {
        const char* What;
        std::string Names;
        QString Expected1, Expected2;
    };
    const Row rows[] = {
        {"bare words", "alpha beta", "alpha", "beta"},
        {"empty name marker", "(.;#;.) beta", "", "beta"},
        {"quoted with blank", "\"two words\" x", "two words", "x"},
        {"bare and quoted parts", "a\"b c\"d\te", "ab cd", "e"},
        {"two quotes are a literal quote", "\"\"x \"\"", "\"x", "\""},
        {"quote after a quoted part opens a new one", "\"a\"\"b\" z", "ab", "z"},
        {"quoted part holds line breaks", "\"a\r\nb\" z", "a\r\nb", "z"},
        {"opened quote ends at a control char", "ab\"\r\ncd", "ab", "cd"},
        {"opened quote keeps a blank", "\" x\" y", " x", "y"},
        {"unclosed quote swallows the rest", "\"a 1\r\n2 3 x", "a 1\r\n2 3 x", ""},
        {"name longer than 50", std::string(70, 'n') + " b", QString(50, 'n'), "b"},
        // The emoji takes units 50 and 51: it goes as a whole, not as half a pair.
        {"cut before a character of two units", std::string(49, 'n') + "\xf0\x9f\x98\x80 b",
         QString(49, 'n'), "b"},
        {"UTF-8", "\xc3\xa4pfel b", QString::fromUtf8("\xc3\xa4pfel"), "b"},
        {"Latin-1", "\xe4pfel b", QString::fromUtf8("\xc3\xa4pfel"), "b"},
    };
    for (const Row& row : rows) {
        // Names alone, no rows after them: the last name ends at the end of the file.
        const int code = Load(Header(2, 1, "FALSE TRUE FALSE FALSE") + row.Names);
        EXPECT_EQ(Table.ColName(1), row.Expected1) << row.What;
        EXPECT_EQ(Table.ColName(2), row.Expected2) << row.What;
        EXPECT_EQ(code, ascBadCell) << row.What;
    }
}

TEST_F(AscFile, RowsWithClassesAndNames)
{
    const std::string body = "\"first col\" second\r\n"
                             "2.5 \"row one\" 1 2\r\n"
                             "3.5 (.;#;.) 3 4\r\n"
                             "-1e0 r3 5 6\r\n";
    ASSERT_EQ(Load(Header(2, 3, "TRUE TRUE TRUE FALSE") + body), ascOK);
    EXPECT_EQ(Table.ColName(1), "first col");
    EXPECT_EQ(Table.RowName(1), "row one");
    EXPECT_EQ(Table.RowName(2), "");
    EXPECT_EQ(Table.RowName(3), "r3");
    EXPECT_EQ(Table.RowAttrib(1), 2);
    EXPECT_EQ(Table.RowAttrib(2), 4);
    EXPECT_EQ(Table.RowAttrib(3), -1);
    EXPECT_EQ(Column(Table, 2), (std::vector<double>{2, 4, 6}));
}

TEST_F(AscFile, SpecialCellsAndRowErrors)
{
    struct Row {
        const char* What;
        std::string Content;
        int Code;
        int Rows;
        std::vector<double> Row2;          // values of the last row kept
        std::vector<std::uint8_t> States2; // states of the last row
    };
    const Row rows[] = {
        {"NAN, ### and parentheses",
         Header(3, 2) + "1 2 3 NAN ### ( 2.75)",
         ascOK,
         2,
         {0, 0, 2.75},
         {dtcsNotANumber, dtcsEmpty, dtcsParenthesis}},
        {"parenthesis not attached",
         Header(3, 2) + "1 2 3 4 5 ( 2.75 )",
         ascBadCell,
         2,
         {4, 5, 0},
         {0, 0, 0}},
        {"lower-case nan is no number",
         Header(3, 2) + "1 2 3 4 nan 6",
         ascBadCell,
         2,
         {4, 0, 0},
         {0, 0, 0}},
        {"word in the fourth value",
         Header(4, 3) + "1 2 3 4\r\n5 6 7 x 9 9 9 9 9 9 9 9",
         ascBadCell,
         2,
         {5, 6, 7, 0},
         {0, 0, 0, 0}},
        {"special cells before a row error",
         Header(3, 3) + "1 2 3 NAN ### x",
         ascBadCell,
         2,
         {0, 0, 0},
         {dtcsNotANumber, dtcsEmpty, 0}},
        {"file ends before the last value",
         Header(3, 3) + "1 2 3 4 5 6 7 8",
         ascBadCell,
         3,
         {7, 8, 0},
         {0, 0, 0}},
        {"bad class number",
         Header(2, 3, "TRUE FALSE FALSE FALSE") + "1 1 2 x 3 4 1 5 6",
         ascBadClassNumber,
         2,
         {0, 0},
         {0, 0}},
        {"class beyond int",
         Header(2, 2, "TRUE FALSE FALSE FALSE") + "1 1 2 1e10 3 4",
         ascBadClassNumber,
         2,
         {0, 0},
         {0, 0}},
        {"overflowing value", Header(1, 2) + "1 1e999", ascBadCell, 2, {0}, {0}},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(Load(row.Content), row.Code) << row.What;
        ASSERT_EQ(Table.NrOfRows(), row.Rows) << row.What;
        ASSERT_EQ(Table.NrOfColumns(), int(row.Row2.size())) << row.What;
        for (int c = 1; c <= Table.NrOfColumns(); ++c) {
            EXPECT_EQ(Table.DataMat()->Elem(c, row.Rows), row.Row2[std::size_t(c - 1)])
                << row.What << " col " << c;
            EXPECT_EQ(Table.CellState(c, row.Rows), row.States2[std::size_t(c - 1)])
                << row.What << " col " << c;
        }
    }
}

TEST_F(AscFile, LevelSection)
{
    const std::string body = "1 2 3 4 5 6\r\n"
                             "<VarTypes>\r\n"
                             "2 nominal <1=male><2=female><150=LongLabelText><151=x>\r\n"
                             "1 Ratio\r\n"
                             "3 whatever <1=one>\r\n"
                             "9 Nominal <1=nine>\r\n"
                             "</VARTYPES>\r\n"
                             "1 Nominal <1=outside>\r\n"
                             "x <VARTYPES> y\r\n"
                             "3 ORDINAL <0=zero>  \r\n"
                             "</vartypes>\r\n"
                             "<custdata>\r\n<a>b</a>\r\n</custdata>\r\n";
    std::vector<std::string> events;
    Table.OnChangeSetup = [&](TObject*) { events.push_back("Setup"); };
    TStr2DArray custom;
    ASSERT_EQ(Table.ReadASCFile(Write(Header(3, 2, "FALSE FALSE FALSE TRUE") + body), custom),
              ascOK);
    EXPECT_EQ(Table.MeasLevel(1), mlRatio);
    EXPECT_EQ(Table.MeasLevel(2), mlNominal);
    EXPECT_EQ(Table.ValueLabel(2, 1), "male");
    EXPECT_EQ(Table.ValueLabel(2, 2), "female");
    EXPECT_EQ(Table.ValueLabel(2, 150), "LongLabelT");
    EXPECT_EQ(Table.MeasLevel(3), mlOrdinal);
    EXPECT_EQ(Table.ValueLabel(3, 0), "zero");
    EXPECT_EQ(Table.ValueLabel(3, 1), "");
    // Levels, labels (also those stored nowhere) and the final announcement.
    EXPECT_EQ(events.size(), 10u);
    ASSERT_EQ(custom.size(), 2u);
    EXPECT_TRUE(custom[0].empty());

    // The level section is read also after a row error.
    EXPECT_EQ(Load(Header(2, 2, "FALSE FALSE FALSE TRUE") + "1 x\r\n<VARTYPES>\r\n2 Ordinal\r\n"
                                                            "</VARTYPES>"),
              ascBadCell);
    EXPECT_EQ(Table.NrOfRows(), 1);
    EXPECT_EQ(Table.MeasLevel(2), mlOrdinal);
}

TEST_F(AscFile, BadLevelLineRaisesAndLeavesTableAttached)
{
    const char* badLines[] = {"",
                              " 2 Nominal",
                              "2 Nominal <1=a> <2=b>",
                              "x Nominal",
                              "2 Nominal <one=a>",
                              "2 Nominal 1=a",
                              "2 Nominal <1a>"};
    for (const char* bad : badLines) {
        TDataTable t;
        std::vector<std::string> events;
        t.OnResize = [&](TObject*, int, int, int nc, int nr) {
            events.push_back("Resize " + std::to_string(nc) + "x" + std::to_string(nr));
        };
        t.OnChange = [&](TObject*) { events.push_back("Change"); };
        const std::string content =
            Header(2, 1, "FALSE FALSE FALSE TRUE") + "1 2\r\n<VARTYPES>\r\n" + bad + "\r\n";
        EXPECT_THROW(t.LoadFromASCFile(Write(content)), EConvertError) << bad;
        EXPECT_EQ(events.back(), "Resize 2x1") << bad;
        events.clear();
        t.DataMat()->SetElem(1, 1, 3);
        EXPECT_EQ(events, std::vector<std::string>{"Change"}) << bad;
        // The file was closed: it can be removed and rewritten at once.
        EXPECT_TRUE(QFile::remove(Dir.filePath("t.asc")));
    }
}

TEST_F(AscFile, CustomData)
{
    TStr2DArray custom;
    const std::string body = "1\r\nignored <a>1</a>\r\nBefore <CUSTDATA> line\r\n"
                             "<Key>value one</KEY>\r\n"
                             "no tag here\r\n"
                             "<open>never closed\r\n"
                             "  <k2>v2</k2> trailing\r\n"
                             "<empty></empty>\r\n"
                             "</CustData>\r\n"
                             "<after>x</after>\r\n";
    ASSERT_EQ(Table.ReadASCFile(Write(Header(1, 1) + body), custom), ascOK);
    ASSERT_EQ(custom.size(), 2u);
    EXPECT_EQ(custom[0], (std::vector<QString>{"Key", "k2", "empty"}));
    EXPECT_EQ(custom[1], (std::vector<QString>{"value one", "v2", ""}));

    // With the level switch on there is never custom data.
    ASSERT_EQ(Table.ReadASCFile(Write(Header(1, 1, "FALSE FALSE FALSE TRUE") +
                                      "1\r\n<VARTYPES>\r\n</VARTYPES>\r\n" + body.substr(3)),
                                custom),
              ascOK);
    EXPECT_TRUE(custom[0].empty());
    EXPECT_TRUE(custom[1].empty());

    // Many pairs keep their order.
    std::string many = Header(1, 1) + "1\r\n<custdata>\r\n";
    for (int i = 0; i < 2500; ++i)
        many += "<k" + std::to_string(i) + ">" + std::to_string(i) + "</k" + std::to_string(i) +
                ">\r\n";
    ASSERT_EQ(Table.ReadASCFile(Write(many), custom), ascOK);
    ASSERT_EQ(custom[1].size(), 2500u);
    EXPECT_EQ(custom[0][1234], "k1234");
    EXPECT_EQ(custom[1][2499], "2499");
}

TEST_F(AscFile, EventsAfterReading)
{
    for (const std::string& content :
         {Header(2, 3) + "1 2 NAN 4 ### 6", std::string("x\r\n0\r\n")}) {
        TDataTable t;
        std::vector<std::string> events;
        t.OnChange = [&](TObject*) { events.push_back("Change"); };
        t.OnChangeSetup = [&](TObject*) { events.push_back("Setup"); };
        t.OnChangeNames = [&](TObject*) { events.push_back("Names"); };
        t.OnChangeAttrib = [&](TObject*) { events.push_back("Attrib"); };
        t.OnChangeCellState = [&](TObject*) { events.push_back("State"); };
        t.OnResize = [&](TObject*, int oc, int orows, int nc, int nr) {
            events.push_back("Resize " + std::to_string(oc) + "x" + std::to_string(orows) + "->" +
                             std::to_string(nc) + "x" + std::to_string(nr));
        };
        t.LoadFromASCFile(Write(content));
        const bool good = content.size() > 10;
        std::vector<std::string> expected = {"Change", "State", "Attrib", "Names", "Setup"};
        if (good) expected.insert(expected.begin(), {"State", "State"});
        expected.push_back(good ? "Resize 1x1->2x3" : "Resize 1x1->1x1");
        EXPECT_EQ(events, expected);
    }
}

TEST_F(AscFile, HugeHeaderIsRefusedWithoutChangingTheTable)
{
    // Rows the file cannot hold are not allocated, so only the columns can be too many.
    const std::pair<const char*, const char*> sizes[] = {{"2000000000", "2000000000"},
                                                         {"1000000000", "1"}};
    for (auto [cols, rows] : sizes) {
        TDataTable t;
        t.SetName("DataTable1");
        t.Resize(2, 2);
        t.SetComment("kept");
        t.SetElem(2, 2, 5);
        int resizes = 0;
        t.OnResize = [&](TObject*, int, int, int, int) { ++resizes; };
        const std::string content =
            std::string("new\r\n") + cols + "\r\n" + rows + "\r\nFALSE FALSE FALSE\r\n1 2 3";
        try {
            t.LoadFromASCFile(Write(content));
            FAIL() << cols << " x " << rows << " accepted";
        } catch (const EZEVDataTableError& e) {
            EXPECT_TRUE(e.Message().startsWith(
                QStringLiteral("Component \"DataTable1\": not enough memory on heap (a table of "
                               "%1 columns and 1 rows, ")
                    .arg(cols)))
                << e.Message().toStdString();
        }
        EXPECT_EQ(t.Comment(), "kept");
        EXPECT_EQ(t.NrOfColumns(), 2);
        EXPECT_EQ(t.DataMat()->NrOfRows(), 2);
        EXPECT_EQ(t.Elem(2, 2), 5);
        EXPECT_EQ(resizes, 1);
        t.SetNrOfRows(3);
        EXPECT_EQ(resizes, 2);
    }
}

// A row error cuts the table in place, so the cut cannot fail for memory even when the table
// holds most of what the process may have.
TEST_F(AscFile, RowErrorCutsATableThatFillsMostOfTheMemory)
{
    std::string content = Header(1000, 5000);
    std::string ones;
    for (int c = 0; c < 1000; ++c) ones += "1 ";
    ones += "\r\n";
    for (int r = 0; r < 4998; ++r) content += ones;
    content += "x\r\n<custdata>\r\n<key>read after the cut</key>\r\n";
    const QString file = Write(content);
    // 40 MB of cells and 5 MB of states fit into 80 MB once, not twice.
    const bool cut = PassesWithAddressLimit(
        [&] {
            TDataTable t;
            TStr2DArray custom;
            return t.ReadASCFile(file, custom) == ascBadCell && t.NrOfColumns() == 1000 &&
                   t.NrOfRows() == 4999 && t.DataMat()->NrOfRows() == 4999 &&
                   t.Elem(1000, 4998) == 1 && t.Elem(1, 4999) == 0 && custom[1].size() == 1;
        },
        std::uint64_t(80) << 20);
    EXPECT_TRUE(cut);
}

// Pages of the table that no row reaches are never touched: a header's promise costs nothing
// until rows fill it. (Sanitizer allocators keep books of their own, which this cannot see.)
TEST_F(AscFile, HeaderSizeCostsOnlyWhatTheRowsFill)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "resident size is the sanitizer's";
#endif
    // 3.2 GB of cells and 0.4 GB of states by the header; the file holds three cells.
    const QString file = Write(Header(20000, 20000) + "1.5 2 ###\r\n");
    const std::optional<std::uint64_t> growth = PeakResidentGrowth([&] {
        TDataTable t;
        return t.LoadFromASCFile(file) == ascBadCell && t.NrOfColumns() == 20000 &&
               t.NrOfRows() == 1 && t.Elem(1, 1) == 1.5 && t.Elem(2, 1) == 2 &&
               t.CellState(3, 1) == dtcsEmpty && t.Elem(20000, 1) == 0;
    });
    ASSERT_TRUE(growth.has_value());
    EXPECT_LT(*growth, std::uint64_t(50) << 20);
}

// A file with LF line ends never reaches line 2, so the code says "bad column count"; the table
// tells the message which fault it really is.
TEST_F(AscFile, LineFeedEndsAreExplainedWhateverTheCode)
{
    struct Row {
        const char* What;
        std::string Content;
        int Code, Explained;
    };
    const Row rows[] = {
        {"LF line ends", "broken\n3 columns\n2 rows\nTRUE TRUE TRUE TRUE\na b c\n1 x 1 2 3\n",
         ascBadColumnCount, ascLineFeedEnding},
        {"LF inside line 1", "c\nmore\r\n1\r\n1\r\nFALSE FALSE FALSE\r\n1", ascLineFeedEnding,
         ascLineFeedEnding},
        {"CR LF, bad count", "c\r\nmany\r\n1\r\nFALSE FALSE FALSE\r\n1", ascBadColumnCount,
         ascBadColumnCount},
        {"CR LF, bad rows", "c\r\n1\r\nx\r\nFALSE FALSE FALSE\r\n1", ascBadRowCount,
         ascBadRowCount},
    };
    for (const Row& row : rows) {
        const int code = Load(row.Content);
        EXPECT_EQ(code, row.Code) << row.What;
        EXPECT_EQ(Table.ExplainAscCode(code), row.Explained) << row.What;
    }
}

// The file, not the header, bounds what a read costs: 50 bytes promising 80 million columns.
TEST_F(AscFile, HeaderPromiseIsBoundedByTheFileSize)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "resident size is the sanitizer's";
#endif
    struct Row {
        const char* What;
        std::string Content;
        int Cols, Rows;
        double First;
    };
    const Row rows[] = {
        {"columns", "c\r\n80000000\r\n1\r\nFALSE FALSE FALSE FALSE\r\n1 2 3\r\n", 80000000, 1, 1},
        {"named columns", "c\r\n80000000\r\n1\r\nFALSE TRUE FALSE FALSE\r\na b\r\n", 80000000, 1,
         0},
        {"rows", "c\r\n1\r\n2000000000\r\nTRUE TRUE FALSE FALSE\r\nv 1 2 3 4 5\r\n", 1, 3, 2},
    };
    for (const Row& row : rows) {
        const QString file = Write(row.Content);
        const auto start = std::chrono::steady_clock::now();
        const std::optional<std::uint64_t> growth = PeakResidentGrowth([&] {
            TDataTable t;
            return t.LoadFromASCFile(file) == ascBadCell && t.NrOfColumns() == row.Cols &&
                   t.NrOfRows() == row.Rows && t.Elem(1, 1) == row.First &&
                   t.Elem(row.Cols, row.Rows) == 0;
        });
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        ASSERT_TRUE(growth.has_value()) << row.What;
        EXPECT_LT(*growth, std::uint64_t(50) << 20) << row.What;
        EXPECT_LT(seconds, 1.0) << row.What;
    }
    // Names missing at the end of the file still read as empty names, not as default ones.
    Load("c\r\n4\r\n1\r\nFALSE TRUE FALSE FALSE\r\na b");
    EXPECT_EQ(Table.ColName(2), "b");
    EXPECT_EQ(Table.ColName(3), "");
    EXPECT_EQ(Table.ColName(4), "");
}

// A long line costs its own size, not copies of it: a comment is kept as its text only, and a
// line that the trailing sections skip is searched in place.
TEST_F(AscFile, LongLinesCostTheirSizeOnce)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "resident size is the sanitizer's";
#endif
    const std::size_t size = std::size_t(32) << 20;
    const std::string longLine(size, 'c');
    struct Row {
        const char* What;
        std::string Content;
        std::uint64_t Limit;
    };
    const Row rows[] = {
        // The comment is text of two bytes per character.
        {"comment", longLine + "\r\n1\r\n1\r\nFALSE FALSE FALSE FALSE\r\n7\r\n",
         2 * size + (16 << 20)},
        {"skipped line", Header(1, 1) + "7\r\n" + longLine + "\r\n<custdata>\r\n<k>v</k>\r\n",
         size + (16 << 20)},
        {"header line", "c\r\n1 " + longLine + "\r\n1\r\nFALSE FALSE FALSE FALSE\r\n7\r\n",
         size + (16 << 20)},
    };
    for (const Row& row : rows) {
        const QString file = Write(row.Content);
        const std::optional<std::uint64_t> growth = PeakResidentGrowth([&] {
            TDataTable t;
            TStr2DArray custom;
            return t.ReadASCFile(file, custom) == ascOK && t.Elem(1, 1) == 7;
        });
        ASSERT_TRUE(growth.has_value()) << row.What;
        EXPECT_LT(*growth, row.Limit) << row.What;
    }
}

// Line 1 is read in pieces; the pieces must not change the text: UTF-8 sequences split between
// pieces, control characters dropped, and Latin-1 for a line with one byte that is not UTF-8.
TEST_F(AscFile, CommentReadInPiecesKeepsItsText)
{
    const std::string umlauts = [] {
        std::string s = "x";
        for (int i = 0; i < 700000; ++i) s += "\xc3\xa4";
        return s;
    }();
    struct Row {
        const char* What;
        std::string Line;
        QString Expected;
    };
    const Row rows[] = {
        {"UTF-8 across pieces",
         umlauts + "\t\x01"
                   "end",
         "x" + QString(700000, QChar(0xE4)) + "end"},
        {"one Latin-1 byte at the end", umlauts + "\xe4",
         QString::fromLatin1(umlauts) + QChar(0xE4)},
        {"split sequence at the end", umlauts + "\xc3", QString::fromLatin1(umlauts + "\xc3")},
        {"empty", "", ""},
    };
    for (const Row& row : rows) {
        ASSERT_EQ(Load(row.Line + "\r\n1\r\n1\r\nFALSE FALSE FALSE FALSE\r\n7"), ascOK) << row.What;
        EXPECT_EQ(Table.Comment().size(), row.Expected.size()) << row.What;
        EXPECT_TRUE(Table.Comment() == row.Expected) << row.What;
    }
}

// A name whose bytes are not UTF-8 opens like any other.
TEST_F(AscFile, FileNamesThatAreNotUtf8Open)
{
    const QByteArray bytes = QFile::encodeName(Dir.path()) + "/bad\xffname\xc3.asc";
    const int fd = ::open(bytes.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(fd, 0);
    const std::string content = Header(1, 1) + "7";
    ASSERT_EQ(::write(fd, content.data(), content.size()), ssize_t(content.size()));
    ::close(fd);
    const QString name = FileNameFromBytes(bytes);
    EXPECT_EQ(FileNameToBytes(name), bytes);
    EXPECT_EQ(Table.LoadFromASCFile(name), ascOK);
    EXPECT_EQ(Table.Elem(1, 1), 7);
    // Names Qt already holds as text are spelled in UTF-8, whatever they contain.
    for (const QString& text :
         {QStringLiteral("plain.asc"), QString::fromUtf8("\xc3\xa4\xf0\x9f\x98\x80")})
        EXPECT_EQ(FileNameToBytes(text), text.toUtf8());
    EXPECT_EQ(FileNameFromBytes("\xc3\xa4"), QString(QChar(0xE4)));
    ::unlink(bytes.constData()); // which the temporary folder, holding names as Qt does, cannot
}

TEST_F(AscFile, TokensAcrossBufferBoundaries)
{
    // Several buffers' worth of numbers, and single tokens longer than a buffer.
    const int rows = 150000;
    std::string body;
    for (int r = 1; r <= rows; ++r)
        body += std::to_string(r) + ".125 -" + std::to_string(r) + "\r\n";
    const std::string longName(3 << 20, 'q');
    const std::string longNumber =
        "0." + std::string(3 << 20, '0') + "125e" + std::to_string(3 << 20);
    ASSERT_EQ(Load(Header(2, rows + 1, "FALSE TRUE FALSE FALSE") + longName + " b " + body +
                   longNumber + " 7"),
              ascOK);
    EXPECT_EQ(Table.ColName(1), QString(50, 'q'));
    for (int r : {1, 4096, 87381, rows}) ASSERT_EQ(Table.DataMat()->Elem(1, r), r + 0.125) << r;
    EXPECT_EQ(Table.DataMat()->Elem(2, rows), -rows);
    EXPECT_EQ(Table.DataMat()->Elem(1, rows + 1), 0.125);
}

TEST(AscNumber, Syntax)
{
    struct Row {
        const char* Text;
        bool Ok;
        double Value;
    };
    const Row rows[] = {
        {"0", true, 0},      {"-0.5", true, -0.5}, {"+3", true, 3},       {"1.", true, 1},
        {".25", true, 0.25}, {"1e3", true, 1000},  {"1E-3", true, 0.001}, {"2.5e+2", true, 250},
        {"1e-400", true, 0}, {"", false, 0},       {".", false, 0},       {"-", false, 0},
        {"1e", false, 0},    {"1e+", false, 0},    {"e5", false, 0},      {"1,5", false, 0},
        {"0x10", false, 0},  {"inf", false, 0},    {"nan", false, 0},     {"1e999", false, 0},
        {"--1", false, 0},   {"+-1", false, 0},    {"1.2.3", false, 0},   {"12a", false, 0},
    };
    for (const Row& row : rows) {
        double v = -99;
        EXPECT_EQ(ParseAscNumber(row.Text, v), row.Ok) << row.Text;
        if (row.Ok) {
            EXPECT_EQ(v, row.Value) << row.Text;
        }
    }
}

TEST(AscNumber, MatchesCorrectRounding)
{
    // Compared against the standard library's correctly rounded conversion.
    std::mt19937_64 rng(20261207);
    std::uniform_int_distribution<int> exp(-330, 310);
    std::uniform_int_distribution<std::uint64_t> mant(0, 99999999999999999ull);
    std::uniform_int_distribution<int> digits(1, 25);
    for (int i = 0; i < 200000; ++i) {
        std::string s = std::to_string(mant(rng));
        s = s.substr(0, std::size_t(digits(rng)));
        if (i % 3 == 0) s.insert(s.size() / 2, ".");
        if (i % 2 == 0) s += "e" + std::to_string(i % 4 == 0 ? exp(rng) : exp(rng) / 20);
        double expected = 0;
        const auto res = std::from_chars(s.data(), s.data() + s.size(), expected);
        double v = 0;
        const bool ok = ParseAscNumber(s, v);
        if (res.ec == std::errc()) {
            ASSERT_TRUE(ok) << s;
            ASSERT_EQ(v, expected) << s;
        }
    }
}

TEST(AscExamples, ShippedFilesLoad)
{
    const QString dir = QStringLiteral(ZEV_EXAMPLES_DIR "/");
    struct Row {
        const char* File;
        int Cols, Rows;
    };
    for (const Row& row : {Row{"iris.asc", 4, 150}, Row{"wine.asc", 13, 178},
                           Row{"showcase.asc", 4, 5}, Row{"showcase_custdata.asc", 4, 5}}) {
        TDataTable t;
        TStr2DArray custom;
        ASSERT_EQ(t.ReadASCFile(dir + row.File, custom), ascOK) << row.File;
        EXPECT_EQ(t.NrOfColumns(), row.Cols) << row.File;
        EXPECT_EQ(t.NrOfRows(), row.Rows) << row.File;
    }
    TDataTable iris;
    ASSERT_EQ(iris.LoadFromASCFile(dir + "iris.asc"), ascOK);
    EXPECT_EQ(iris.ColName(2), "sepal width");
    EXPECT_EQ(iris.RowName(150), "virginica-50");
    EXPECT_EQ(iris.RowAttrib(51), 2);
    EXPECT_EQ(iris.Elem(4, 150), 1.8);
    EXPECT_EQ(iris.MeasLevel(1), mlRatio);

    TDataTable show;
    ASSERT_EQ(show.LoadFromASCFile(dir + "showcase.asc"), ascOK);
    EXPECT_EQ(show.ColName(4), "Test \"score\"");
    EXPECT_EQ(show.RowName(2), "Ben \"the elder\" Smith");
    EXPECT_EQ(show.RowName(3), "");
    EXPECT_EQ(show.RowName(4), "O'Neil, Claire");
    EXPECT_EQ(show.RowAttrib(3), 2);
    EXPECT_EQ(show.CellState(3, 2), dtcsEmpty);
    EXPECT_EQ(show.CellState(2, 4), dtcsNotANumber);
    EXPECT_EQ(show.CellState(4, 5), dtcsParenthesis);
    EXPECT_EQ(show.Elem(4, 5), -3.5);
    EXPECT_EQ(show.Elem(4, 4), 9.75);
    EXPECT_EQ(show.ValueLabel(2, 4), "excellent");
    EXPECT_EQ(show.MeasLevel(3), mlRatio);

    TStr2DArray custom;
    ASSERT_EQ(show.ReadASCFile(dir + "showcase_custdata.asc", custom), ascOK);
    EXPECT_EQ(custom[0], (std::vector<QString>{"Author", "Note"}));
    EXPECT_EQ(show.MeasLevel(1), mlInterval);
}

TEST_F(AscFile, CellsReadAsTheirCorrectlyRoundedValues)
{
    // Every shape of number the reader may take a short cut for, and its neighbours.
    std::mt19937_64 rng(7);
    std::vector<std::string> cells;
    for (int i = 0; i < 60000; ++i) {
        const int intDigits = int(rng() % 10), fracDigits = int(rng() % 20);
        std::string s = rng() % 4 == 0 ? "-" : "";
        for (int k = 0; k < intDigits; ++k) s += char('0' + rng() % 10);
        if (fracDigits > 0 || rng() % 8 == 0) s += '.';
        for (int k = 0; k < fracDigits; ++k) s += char('0' + rng() % 10);
        if (intDigits == 0 && fracDigits == 0) s += '7';
        if (rng() % 16 == 0) s += "e" + std::to_string(int(rng() % 40) - 20);
        cells.push_back(s);
    }
    std::string body;
    for (std::size_t i = 0; i < cells.size(); ++i) body += cells[i] + (i % 7 == 6 ? "\r\n" : " ");
    ASSERT_EQ(Load(Header(1, int(cells.size())) + body), ascOK);
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const std::string& s = cells[i];
        double expected = 0;
        std::from_chars(s.data() + (s[0] == '-'), s.data() + s.size(), expected);
        if (s[0] == '-') expected = -expected;
        ASSERT_EQ(Table.DataMat()->Elem(1, int(i) + 1), expected) << s;
    }
}
