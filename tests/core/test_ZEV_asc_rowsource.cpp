// The rows of an ASC file read a chunk at a time, without a table, against the table's reader:
// the same cells, states, classes, names, the same code at the same row, and the same trailing
// section read from where the rows stopped.
#include "ZEV_asc_rowsource.h"
#include "ZEV_asc_tokenrows.h"
#include "ZEV_datatable.h"
#include "ZEV_matrix.h"

#include <QFile>
#include <QTemporaryDir>
#include <bit>
#include <gtest/gtest.h>
#include <random>
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

void WriteText(const QString& Path, const std::string& Content)
{
    QFile f(Path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(Content.data(), qint64(Content.size()));
}

TEST(AscRowSource, ReadsWhatTheTableReads)
{
    QTemporaryDir dir;
    for (const TCase& c : kCases) {
        const QString path = dir.filePath(QStringLiteral("t.asc"));
        WriteText(path, c.Content);
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

namespace {

// Every row as the sink sees it, and the code, the cells before a bad one and what follows.
struct TRowsRead {
    std::vector<double> Cells;
    std::vector<int> States, Classes;
    int Code = ascOK, Filled = 0;
    std::string Rest; // the next line after the rows
};

struct TVectorSink {
    TRowsRead& R;
    std::size_t Row, First;
    void Class(int Value)
    {
        R.Classes.resize(std::max(R.Classes.size(), Row + 1));
        R.Classes[Row] = Value;
    }
    void Name(const std::string&) {}
    double& Cell(int Col)
    {
        R.Cells.resize(std::max(R.Cells.size(), First + std::size_t(Col) + 1));
        R.States.resize(R.Cells.size());
        return R.Cells[First + std::size_t(Col)];
    }
    void State(int Col, std::uint8_t Value) { R.States[First + std::size_t(Col)] = Value; }
};

// Rows of Path one token at a time, or from tokens of stretches of the input.
TRowsRead ReadRows(const QString& Path, bool Tokens)
{
    TAscInput in(Path, TAscTokenRows::kInputBytes);
    TAscHeader h;
    TRowsRead read;
    if (ReadAscHeader(in, h) != ascOK || h.HasRowNames() || h.HasColumnNames()) return read;
    TAscTokenRows tokens(h);
    for (int r = 0; r < h.Rows && read.Code == ascOK;) {
        auto sinkFor = [&](int Row) {
            // A row read again after the tokens ended inside it starts afresh.
            const std::size_t first = std::size_t(r + Row) * std::size_t(h.Columns);
            read.Cells.resize(first);
            read.States.resize(first);
            return TVectorSink{read, std::size_t(r + Row), first};
        };
        if (Tokens) {
            const int got = tokens.Read(in, h.Rows - r, sinkFor, read.Code, read.Filled);
            r += got;
            if (got > 0 || read.Code != ascOK) continue;
        }
        TVectorSink sink = sinkFor(0);
        read.Code = ReadAscRow(in, h, sink, read.Filled);
        ++r;
    }
    in.ReadLine(read.Rest);
    return read;
}

void ExpectSameRows(const TRowsRead& One, const TRowsRead& Tokens, const std::string& What)
{
    EXPECT_EQ(Tokens.Code, One.Code) << What;
    if (One.Code != ascOK) {
        EXPECT_EQ(Tokens.Filled, One.Filled) << What;
    }
    EXPECT_EQ(Tokens.Classes, One.Classes) << What;
    EXPECT_EQ(Tokens.States, One.States) << What;
    EXPECT_EQ(Tokens.Rest, One.Rest) << What;
    ASSERT_EQ(Tokens.Cells.size(), One.Cells.size()) << What;
    for (std::size_t i = 0; i < One.Cells.size(); ++i)
        ASSERT_EQ(std::bit_cast<std::uint64_t>(Tokens.Cells[i]),
                  std::bit_cast<std::uint64_t>(One.Cells[i]))
            << What << " cell " << i;
}

} // namespace

// Classes, cells, states, codes and where the input stands after the rows: the tokens read on
// two cores are the tokens read one by one.
TEST(AscTokenRows, ReadWhatReadAscRowReads)
{
    QTemporaryDir dir;
    for (const TCase& c : kCases) {
        const QString path = dir.filePath(QStringLiteral("t.asc"));
        WriteText(path, c.Content);
        ExpectSameRows(ReadRows(path, false), ReadRows(path, true), c.Name);
    }
}

// Random rows of every kind of token, cut anywhere: the same reading both ways.
TEST(AscTokenRows, RandomRowsReadAsTokenByToken)
{
    const char* const words[] = {"1.5",
                                 "-2e3",
                                 "NAN",
                                 "###",
                                 "(",
                                 "4.25)",
                                 "x",
                                 "7)",
                                 "+.5",
                                 "1e400",
                                 "0",
                                 "-0.0",
                                 "()",
                                 "nan",
                                 "(5",
                                 "3.)",
                                 "12345678901234567890.5",
                                 "9007199254740993",
                                 "1.e5",
                                 ".5e-3"};
    const char* const gaps[] = {" ", "\t", "\r\n", "  ", "\r\n\r\n"};
    std::mt19937 gen(2024);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("r.asc"));
    for (int round = 0; round < 300; ++round) {
        const bool classes = gen() % 2;
        const int cols = 1 + int(gen() % 4), rows = 1 + int(gen() % 30);
        std::string s = "r\r\n" + std::to_string(cols) + "\r\n" + std::to_string(rows) + "\r\n" +
                        (classes ? "TRUE" : "FALSE") + " FALSE FALSE TRUE\r\n";
        const int tokens = int(gen() % std::uint32_t(rows * (cols + 1) + 3));
        for (int t = 0; t < tokens; ++t) {
            // Mostly numbers, so that rows get far.
            s += gen() % 3
                     ? std::to_string(int(gen() % 2000) - 1000) + "." + std::to_string(gen() % 100)
                     : words[gen() % std::size(words)];
            s += gaps[gen() % std::size(gaps)];
        }
        if (gen() % 2) s += "<VARTYPES>\r\n1 Ordinal\r\n</VARTYPES>\r\n";
        if (gen() % 4 == 0 && !s.empty()) s.pop_back();
        WriteText(path, s);
        ExpectSameRows(ReadRows(path, false), ReadRows(path, true), s);
        if (::testing::Test::HasFailure()) return;
    }
}
