#include "ZEV_matrix.h"
#include "ZEV_texttable.h"
#include "ZEV_texttable_input.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <bit>
#include <cmath>
#include <gtest/gtest.h>
#include <random>
#include <string>

namespace {

// With ZEV_TEXT_CORPUS set, every input also goes there as a seed for the fuzzer.
void KeepForFuzzing(const std::string& Content)
{
    const QString dir = qEnvironmentVariable("ZEV_TEXT_CORPUS");
    if (dir.isEmpty() || Content.size() > 65536) return;
    QFile seed(dir + "/seed_" + QString::number(std::hash<std::string>()(Content), 16));
    if (seed.open(QIODevice::WriteOnly)) seed.write(Content.data(), qint64(Content.size()));
}

TTextTableResult Read(TDataTable& Table, const std::string& Content)
{
    KeepForFuzzing(Content);
    QByteArray bytes(Content.data(), qsizetype(Content.size()));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return ReadTextTable(Table, buffer);
}

// The table as text: the column names, then per row its name, class and cells; an empty cell
// reads "-", a cell that is not a number "x".
std::string Dump(const TDataTable& T)
{
    std::string s;
    for (int c = 1; c <= T.NrOfColumns(); ++c) s += (c > 1 ? "|" : "") + T.ColName(c).toStdString();
    for (int r = 1; r <= T.NrOfRows(); ++r) {
        s += "\n" + T.RowName(r).toStdString() + "[" + std::to_string(T.RowAttrib(r)) + "]";
        for (int c = 1; c <= T.NrOfColumns(); ++c) {
            const std::uint8_t state = T.CellState(c, r);
            char v[32];
            std::snprintf(v, sizeof v, "%.17g", T.DataMat()->Elem(c, r));
            s += std::string(" ") + (state == dtcsEmpty ? "-" : state == dtcsNotANumber ? "x" : v);
        }
    }
    return s;
}

// A heading and two rows of Fields fields of many widths, some empty.
std::string LongRows(int Fields)
{
    std::string text;
    for (int row = 0; row < 3; ++row)
        for (int f = 0; f < Fields; ++f)
            text += (row == 0 ? "c" + std::to_string(f) : f % 5 == 3 ? "" : std::to_string(f * f)) +
                    (f + 1 < Fields ? "," : "\r\n");
    return text;
}

} // namespace

TEST(TextTable, ReadsWhatSpreadsheetsAndDataToolsWrite)
{
    struct Row {
        const char* What;
        std::string Text;
        std::string Table;
    };
    const std::string plain = "a|b\nR-1[0] 1 2\nR-2[0] 3 4.5";
    const Row rows[] = {
        {"comma, LF", "a,b\n1,2\n3,4.5\n", plain},
        {"CR LF, no last line end", "a,b\r\n1,2\r\n3,4.5", plain},
        {"CR alone", "a,b\r1,2\r3,4.5\r", plain},
        {"byte order mark", "\xEF\xBB\xBF" "a,b\n1,2\n3,4.5\n", plain},
        {"blank lines and blanks around fields", "\n a , b \n\n 1 ,2\n  \n3, 4.5\n\n", plain},
        {"tab", "a\tb\n1\t2\n3\t4.5\n", plain},
        {"semicolon with decimal comma", "a;b\n1;2\n3;4,5\n", plain},
        {"semicolon, decimal point", "a;b\n1;2\n3;4.5\n", plain},
        {"quoted names and numbers", "\"a\",\"b\"\n\"1\",2\n3,\"4.5\"\n", plain},
        {"quotes: separator, doubled quote, line break",
         "\"x,y\",\"say \"\"hi\"\"\",\"two\r\nlines\"\n1,2,3\n",
         "x,y|say \"hi\"|two\r\nlines\nR-1[0] 1 2 3"},
        {"no heading: the first line is numbers", "1,2\n3,4.5\n", "C-1|C-2\nR-1[0] 1 2\nR-2[0] 3 4.5"},
        {"row names, their column headed", "id,a\nr1,1\nr2,2\n", "a\nr1[0] 1\nr2[0] 2"},
        {"row names, heading one field short", "a,b\nr1,1,2\n", "a|b\nr1[0] 1 2"},
        {"row names without heading", "r1,1,2\nr2,3,4\n", "C-1|C-2\nr1[0] 1 2\nr2[0] 3 4"},
        {"empty heading and row name get default names", "a,\nq,1,2\n,3,4\n",
         "a|C-2\nq[0] 1 2\nR-2[0] 3 4"},
        {"class column, any case, any place", "n,x,Class,y\np,1,2,3\nq,4,0,6\n",
         "x|y\np[2] 1 3\nq[0] 4 6"},
        {"class column as 2.0 and with decimal comma", "x;CLASS\n1;2,0\n", "x\nR-1[2] 1"},
        {"class 256 is data", "x,class\n1,256\n", "x|class\nR-1[0] 1 256"},
        {"class 1.5 is data", "x,class\n1,1\n2,1.5\n", "x|class\nR-1[0] 1 1\nR-2[0] 2 1.5"},
        {"class with an empty cell is data", "x,class\n1,\n", "x|class\nR-1[0] 1 -"},
        {"second class column when the first fails", "class,x,class\n-1,2,3\n",
         "class|x\nR-1[3] -1 2"},
        {"missing tokens", "a,b,c,d,e\n,NA,NaN,?,\"\"\n", "a|b|c|d|e\nR-1[0] - - - - -"},
        {"other text is not a number", "a,b,c,d\n1,NAN,1.2.3,inf\n", "a|b|c|d\nR-1[0] 1 x x x"},
        {"decimal comma only with semicolons", "a\tb\n2\t1,5\n", "a|b\nR-1[0] 2 x"},
        {"comma and point together is text", "a;b\n2;1.000,5\n", "a|b\nR-1[0] 2 x"},
        {"numbers the quick path leaves", "a,b,c,d\n1e3,+2,.5,12345678901234567890\n",
         "a|b|c|d\nR-1[0] 1000 2 0.5 1.2345678901234567e+19"},
        {"negative zero", "a\n-0\n", "a\nR-1[0] -0"},
        {"not UTF-8: Latin-1", "\xE9t\xE9,b\n1,2\n", "\xC3\xA9t\xC3\xA9|b\nR-1[0] 1 2"},
    };
    for (const Row& row : rows) {
        TDataTable table;
        const TTextTableResult result = Read(table, row.Text);
        EXPECT_TRUE(result.Ok()) << row.What << ": " << result.Text().toStdString();
        EXPECT_EQ(Dump(table), row.Table) << row.What;
    }
}

TEST(TextTable, NamesAreCutOnCharacterBoundaries)
{
    // 49 letters and a character of two UTF-16 units: the 50-unit cut would split it.
    const std::string name = std::string(49, 'n') + "\xF0\x9F\x98\x80";
    TDataTable table;
    ASSERT_TRUE(Read(table, name + ",b\n" + name + "x,1\n").Ok());
    EXPECT_EQ(table.ColName(1).toStdString(), "b");
    EXPECT_EQ(table.RowName(1).toStdString(), std::string(49, 'n'));
}

TEST(TextTable, FaultsSayWhereAndWhatWasExpected)
{
    struct Row {
        const char* What;
        std::string Text;
        int Line, Column;
        const char* Expected;
    };
    const Row rows[] = {
        {"empty file", "", 1, 0, "a heading or a row of data, found no text"},
        {"blank lines only", "\n\r\n  \n", 4, 0, "a heading or a row of data, found no text"},
        {"heading only", "a,b\r\n", 2, 0, "a row of data after the heading"},
        {"heading longer than the rows", "a,b,c\n1,2\n", 2, 3, "3 fields, as on line 1; found 2"},
        {"a row too long", "a,b\n1,2\n\n3,4,5\n", 4, 3, "2 fields, as on line 1; found 3"},
        {"a row too short", "a,b,c\n1,2,3\n4\n", 3, 2, "3 fields, as on line 1; found 1"},
        {"without heading", "1,2\n3\n", 2, 2, "2 fields, as on line 1; found 1"},
        {"a long row one field short, empty fields counted",
         LongRows(40) + std::string(38, ',') + "7\r\n", 4, 40, "40 fields, as on line 1; found 39"},
        {"quote not closed", "a,b\n1,\"2\n3,4\n", 2, 2,
         "a closing quote for the field that begins on this line"},
        {"text after the closing quote", "a,b\n1,\"2\"x\n", 2, 2,
         "a separator or the end of the line after the closing quote"},
        {"line count through quoted line breaks", "a,b\n\"x\ny\",1\n1,2,3\n", 4, 3,
         "2 fields, as on line 1; found 3"},
        {"NUL byte", std::string("a,b\n1,2\n3,\0\n", 12), 3, 2,
         "text, found a NUL byte (is this a binary file?)"},
        {"UTF-16", "\xFF\xFE" "a\0,\0b\0", 1, 0, "UTF-8 text, found UTF-16 (save the file as UTF-8)"},
        {"only row names", "name\nx\ny\n", 1, 0,
         "a column of numbers besides the row names and the class numbers"},
        {"only names and classes", "n,class\nx,1\n", 1, 0,
         "a column of numbers besides the row names and the class numbers"},
    };
    for (const Row& row : rows) {
        TDataTable table;
        ASSERT_TRUE(Read(table, "k,l\nr,7,NA\n").Ok());
        const std::string before = Dump(table);
        int events = 0;
        table.OnChange = table.OnChangeNames = table.OnChangeCellState = [&](TObject*) { ++events; };
        table.OnResize = [&](TObject*, int, int, int, int) { ++events; };
        const TTextTableResult result = Read(table, row.Text);
        EXPECT_EQ(result.Line, row.Line) << row.What;
        EXPECT_EQ(result.Column, row.Column) << row.What;
        EXPECT_EQ(result.Expected.toStdString(), row.Expected) << row.What;
        EXPECT_EQ(Dump(table), before) << row.What << ": the table must stay as it was";
        EXPECT_EQ(events, 0) << row.What;
    }
    TTextTableResult where{4, 2, QStringLiteral("x")};
    EXPECT_EQ(where.Text(), QStringLiteral("line 4, column 2: expected x"));
    where.Column = 0;
    EXPECT_EQ(where.Text(), QStringLiteral("line 4: expected x"));
}

TEST(TextTable, SeparatorFromTheFirstLines)
{
    struct Row {
        const char* Head;
        char Separator;
    };
    const Row rows[] = {
        {"a,b\n1,2\n", ','},
        {"a;b\n1,5;2,5\n1;2\n", ';'},           // decimal commas vary per line
        {"a;b;c\n1,5;2,5;3,5\n", ';'},          // ... or not: semicolon still first
        {"a\tb\n1,5\t2\n", '\t'},
        {"\"x;y\",b\n\"1;2;3\",2\n", ','},      // quoted semicolons do not count
        {"\"a\nb;c\",d\n1,2\n", ','},           // nor a quoted line break
        {"a,b\nr,1,2\n", ','},                  // heading one field short
        {"a;b,c,d\n1,2;3;4;5\n", ','},          // none alike: the most on the first line
        {"value\n1\n2\n", ','},                 // one column
    };
    for (const Row& row : rows) {
        const TTextDialect d = DetectDialect(row.Head);
        EXPECT_EQ(d.Separator, row.Separator) << row.Head;
        EXPECT_EQ(d.DecimalComma, row.Separator == ';') << row.Head;
    }
}

TEST(TextTable, QuickNumbersMatchTheAscNumberSyntaxBitForBit)
{
    std::mt19937_64 random(7);
    std::string text = "v\n";
    std::vector<std::string> cells;
    for (int i = 0; i < 20000; ++i) {
        std::string s = random() % 4 == 0 ? "-" : "";
        const int intDigits = int(random() % 12), fracDigits = int(random() % 14);
        for (int k = 0; k < intDigits; ++k) s += char('0' + random() % 10);
        if (fracDigits > 0 || intDigits == 0) s += '.';
        for (int k = 0; k < std::max(fracDigits, intDigits == 0 ? 1 : 0); ++k)
            s += char('0' + random() % 10);
        cells.push_back(s);
        text += s + (i % 2 ? "\r\n" : "\n");
    }
    TDataTable table;
    ASSERT_TRUE(Read(table, text).Ok());
    ASSERT_EQ(table.NrOfRows(), int(cells.size()));
    for (std::size_t i = 0; i < cells.size(); ++i) {
        double want = 0;
        ASSERT_TRUE(ParseAscNumber(cells[i], want)) << cells[i];
        ASSERT_EQ(std::bit_cast<std::uint64_t>(table.DataMat()->Elem(1, int(i) + 1)),
                  std::bit_cast<std::uint64_t>(want))
            << cells[i];
    }
}

// Rows of many lengths, quoted names with line breaks and CR LF split by the ends of the
// reader's 1 MiB buffer wherever they fall.
TEST(TextTable, FieldsAcrossTheEndsOfTheBuffer)
{
    std::string text = "name,a,b\r\n";
    const int rows = 100000;
    for (int r = 0; r < rows; ++r) {
        text += r % 7 == 0 ? "\"row\r\n" + std::to_string(r) + "\"" : "r" + std::to_string(r);
        text += "," + std::string(std::size_t(r % 13), ' ') + std::to_string(r) + ".25," +
                (r % 5 == 0 ? "NA" : std::to_string(r % 1000) + std::string(std::size_t(r % 3), '0'));
        text += "\r\n";
    }
    ASSERT_GT(text.size(), std::size_t(2) << 20);
    TDataTable table;
    ASSERT_TRUE(Read(table, text).Ok());
    ASSERT_EQ(table.NrOfRows(), rows);
    for (int r = 0; r < rows; ++r) {
        const std::string name = r % 7 == 0 ? "row\r\n" + std::to_string(r) : "r" + std::to_string(r);
        ASSERT_EQ(table.RowName(r + 1).toStdString(), name);
        ASSERT_EQ(table.DataMat()->Elem(1, r + 1), r + 0.25) << r;
        if (r % 5 == 0)
            ASSERT_EQ(table.CellState(2, r + 1), dtcsEmpty) << r;
        else
            ASSERT_EQ(table.DataMat()->Elem(2, r + 1), (r % 1000) * std::pow(10, r % 3)) << r;
    }
}

TEST(TextTable, ALoadReplacesEverythingAndAnnouncesItOnce)
{
    TDataTable table;
    table.Resize(5, 6);
    table.SetComment(QStringLiteral("old"));
    table.SetColName(1, QStringLiteral("old"));
    table.SetRowName(2, QStringLiteral("old"));
    table.SetRowAttrib(1, 9);
    table.SetColAttrib(2, 9);
    table.SetMeasLevel(1, mlNominal);
    table.SetValueLabel(1, 3, QStringLiteral("three"));
    table.SetCellState(2, 2, dtcsMarkA);
    table.SetElem(2, 3, 5);
    std::vector<std::string> fired;
    table.OnChange = [&](TObject*) { fired.push_back("change"); };
    table.OnChangeCellState = [&](TObject*) { fired.push_back("states"); };
    table.OnChangeAttrib = [&](TObject*) { fired.push_back("attrib"); };
    table.OnChangeNames = [&](TObject*) { fired.push_back("names"); };
    table.OnChangeSetup = [&](TObject*) { fired.push_back("setup"); };
    table.OnResize = [&](TObject*, int oc, int orr, int nc, int nr) {
        fired.push_back("resize " + std::to_string(oc) + "x" + std::to_string(orr) + "->" +
                        std::to_string(nc) + "x" + std::to_string(nr));
    };
    ASSERT_TRUE(Read(table, "1,2\n3,4\n5,6\n").Ok());
    EXPECT_EQ(fired, (std::vector<std::string>{"change", "states", "attrib", "names", "setup",
                                               "resize 5x6->2x3"}));
    EXPECT_EQ(Dump(table), "C-1|C-2\nR-1[0] 1 2\nR-2[0] 3 4\nR-3[0] 5 6");
    EXPECT_EQ(table.Comment(), QString());
    EXPECT_EQ(table.ColAttrib(2), 0);
    EXPECT_EQ(table.MeasLevel(1), mlInterval);
    table.SetMeasLevel(1, mlNominal);
    EXPECT_EQ(table.ValueLabel(1, 3), QString());
}

TEST(TextTable, EitherKindOfFile)
{
    QTemporaryDir dir;
    const auto write = [&](const char* name, const QByteArray& content) {
        QFile f(dir.filePath(QLatin1String(name)));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
        return f.fileName();
    };
    const QByteArray asc = "c\r\n2\r\n1\r\nFALSE FALSE FALSE FALSE\r\n1 2\r\n";
    struct Row {
        QString File;
        TTableFileKind Kind;
        bool Ok;
    };
    const Row rows[] = {
        {write("a.csv", "x,y\n1,2\n"), tfText, true},
        {write("a.txt", "x;y\n1;2\n"), tfText, true},
        {write("header.csv", asc), tfAsc, true},
        {write("header-lf.txt", "c\n2 columns\n1\ntrue false false false\n1 2\n"), tfAsc, false},
        {write("b.ASC", "x,y\n1,2\n"), tfAsc, false}, // by its name: the ASC reader's code says why
        {dir.filePath("missing.csv"), tfAsc, false},
        {write("counts.csv", "c\n2\n3\n4\n"), tfText, true}, // a column of numbers
    };
    for (const Row& row : rows) {
        EXPECT_EQ(TableFileKind(row.File), row.Kind) << row.File.toStdString();
        TDataTable table;
        EXPECT_EQ(LoadTableFile(table, row.File).Ok(), row.Ok) << row.File.toStdString();
    }
    TDataTable table;
    EXPECT_EQ(LoadTableFile(table, dir.filePath("missing.csv")).AscCode, ascFileNotFound);
    EXPECT_EQ(ReadTextTable(table, dir.filePath("missing.csv")).Text(),
              QStringLiteral("expected an existing file"));
}

TEST(TextTable, IrisAsTextTableIsIrisAsAsc)
{
    TDataTable asc, csv;
    ASSERT_EQ(asc.LoadFromASCFile(QStringLiteral(ZEV_EXAMPLES_DIR "/iris.asc")), ascOK);
    ASSERT_TRUE(ReadTextTable(csv, QStringLiteral(ZEV_EXAMPLES_DIR "/iris.csv")).Ok());
    EXPECT_EQ(Dump(csv), Dump(asc));
}
