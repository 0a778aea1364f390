// The rows of an ASC file read a chunk at a time, without a table, against the table's reader:
// the same cells, states, classes, names, the same code at the same row, and the same trailing
// section read from where the rows stopped.
#include "ZEV_asc_rowsource.h"
#include "ZEV_datatable.h"
#include "ZEV_matrix.h"

#include <QFile>
#include <QTemporaryDir>
#include <bit>
#include <gtest/gtest.h>
#include <string>

namespace {

// Plain rows long enough for the tokens of several reads of the input and both cores.
std::string ManyRows(int Rows, bool Classes)
{
    std::string s = "many\r\n3\r\n" + std::to_string(Rows) + "\r\n" + (Classes ? "TRUE" : "FALSE") +
                    " FALSE FALSE TRUE\r\n";
    for (int r = 1; r <= Rows; ++r) {
        if (Classes) s += std::to_string(r % 5) + (r % 2 ? ".5 " : " ");
        s += std::to_string(r) + ".25 " + (r % 101 ? std::to_string(-r) + "e-3" : "NAN") + " " +
             (r % 211 ? "1234567.123456789" : "( 7.5)") + (r % 4 ? " " : "\r\n");
    }
    return s + "\r\n<VARTYPES>\r\n1 Nominal <1=a>\r\n</VARTYPES>\r\n";
}

// Text with the first What after From replaced by With.
std::string ReplaceAfter(std::string Text, std::size_t From, const std::string& What,
                         const std::string& With)
{
    return Text.replace(Text.find(What, From), What.size(), With);
}

struct TCase {
    const char* Name;
    std::string Content;
    int Code; // of the table's reader
};

const TCase kCases[] = {
    {"plain", ManyRows(20000, false), ascOK},
    {"classes", ManyRows(20000, true), ascOK},
    {"names",
     "n\r\n2\r\n3\r\nTRUE TRUE TRUE FALSE\r\nA \"B b\"\r\n1 x 1 2\r\n2 \"y z\" ### 4\r\n"
     "3 (.;#;.) NAN ( 6)\r\n",
     ascOK},
    {"bad cell late", ReplaceAfter(ManyRows(20000, false), 150000, " 1234567.1", " 12a4567.1"),
     ascBadCell},
    {"bad class", ReplaceAfter(ManyRows(9000, true), 100000, "\r\n3.5 ", "\r\nx.5 "),
     ascBadClassNumber},
    {"parenthesis apart", "p\r\n2\r\n2\r\nFALSE FALSE FALSE FALSE\r\n1 2 ( 3 ) 4\r\n", ascBadCell},
    {"parenthesis at the end", "p\r\n2\r\n2\r\nFALSE FALSE FALSE FALSE\r\n1 2 3 (", ascBadCell},
    {"fewer rows than promised", "s\r\n2\r\n3\r\nFALSE FALSE FALSE FALSE\r\n1 2 3 4 5", ascBadCell},
    {"no break at the end", "e\r\n2\r\n2\r\nFALSE FALSE FALSE FALSE\r\n1 2 3 4", ascOK},
    {"bad header", "h\r\nx\r\n2\r\nFALSE FALSE FALSE FALSE\r\n1 2 3 4\r\n", ascBadColumnCount},
};

TEST(AscRowSource, ReadsWhatTheTableReads)
{
    QTemporaryDir dir;
    for (const TCase& c : kCases) {
        const QString path = dir.filePath(QStringLiteral("t.asc"));
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(c.Content.data(), qint64(c.Content.size()));
        f.close();
        TDataTable table;
        const int want = table.LoadFromASCFile(path);
        EXPECT_EQ(want, c.Code) << c.Name;

        for (const int capacity : {1, 7, 4096}) {
            TAscRowSource source(path);
            int code = source.Open();
            if (code != ascOK) {
                EXPECT_EQ(code, want) << c.Name;
                continue;
            }
            const TAscHeader& h = source.Header();
            TAscRowChunk chunk;
            chunk.Reset(h.Columns, capacity);
            int row = 0; // rows compared so far
            do {
                code = source.Read(chunk, true);
                for (int r = 0; r < chunk.Rows; ++r, ++row)
                    for (int col = 0; col < h.Columns; ++col) {
                        ASSERT_EQ(
                            std::bit_cast<std::uint64_t>(chunk.Column(col)[r]),
                            std::bit_cast<std::uint64_t>(table.DataMat()->Elem(col + 1, row + 1)))
                            << c.Name << " row " << row + 1 << " column " << col + 1;
                        ASSERT_EQ(chunk.State(col, r), table.CellState(col + 1, row + 1)) << c.Name;
                        ASSERT_EQ(chunk.Classes[std::size_t(r)], table.RowAttrib(row + 1));
                        if (h.HasRowNames()) {
                            ASSERT_EQ(chunk.Names[std::size_t(r)], table.RowName(row + 1));
                        }
                    }
            } while (code == ascOK && !source.AtEnd());
            EXPECT_EQ(code, want) << c.Name << ", chunks of " << capacity;
            // A failing row is the table's last.
            EXPECT_EQ(row + (code == ascOK ? 0 : 1), table.NrOfRows()) << c.Name;
            bool nominal = false;
            source.ReadLevels([&](int Col, TMeasLevel Level) {
                nominal = nominal || (Col == 1 && Level == mlNominal);
            });
            EXPECT_EQ(nominal, table.MeasLevel(1) == mlNominal) << c.Name;
        }
    }
}

} // namespace
