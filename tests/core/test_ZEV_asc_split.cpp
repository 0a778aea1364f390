// Reading rows on two cores must leave exactly what reading on one core leaves, wherever the
// second thread's guess lands.
#include "ZEV_asc_split.h"
#include "ZEV_datatable.h"
#include "ZEV_matrix.h"

#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <vector>

namespace {

// Everything a read leaves in the table and tells its caller.
struct TOutcome {
    int Code = 0;
    int Cols = 0, Rows = 0;
    std::vector<std::uint64_t> CellBits; // bits, so that -0 and 0 differ
    std::vector<int> States, RowAttribs, Levels;
    std::vector<std::string> RowNames, ColNames, Labels;
    std::vector<std::vector<std::string>> Custom;
    int StateEvents = 0;
    bool Taken = false; // the second thread's rows were used
};

void ExpectSame(const TOutcome& A, const TOutcome& B, const std::string& What)
{
    SCOPED_TRACE(What);
    EXPECT_EQ(A.Code, B.Code);
    EXPECT_EQ(A.Cols, B.Cols);
    EXPECT_EQ(A.Rows, B.Rows);
    EXPECT_EQ(A.CellBits, B.CellBits);
    EXPECT_EQ(A.States, B.States);
    EXPECT_EQ(A.RowAttribs, B.RowAttribs);
    EXPECT_EQ(A.RowNames, B.RowNames);
    EXPECT_EQ(A.ColNames, B.ColNames);
    EXPECT_EQ(A.Levels, B.Levels);
    EXPECT_EQ(A.Labels, B.Labels);
    EXPECT_EQ(A.Custom, B.Custom);
    EXPECT_EQ(A.StateEvents, B.StateEvents);
}

class AscSplit : public ::testing::Test {
  protected:
    ~AscSplit() override
    {
        TAscSplitTuning& t = AscSplitTuning();
        t.MinBytes = TAscSplitTuning().MinBytes;
        t.At = -1;
        t.EvenOnOneCore = false;
    }

    QString Write(const std::string& Content)
    {
        const QString path = Dir.filePath("split.asc");
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(Content.data(), qint64(Content.size()));
        return path;
    }

    // Split: the guess looks for a line start from At on; otherwise one core.
    static TOutcome Read(const QString& File, bool Split, qint64 At)
    {
        TAscSplitTuning& tuning = AscSplitTuning();
        tuning.MinBytes = Split ? 0 : std::numeric_limits<qint64>::max();
        tuning.At = At;
        tuning.EvenOnOneCore = true;
        const int taken = tuning.Taken;
        TDataTable t;
        TOutcome o;
        t.OnChangeCellState = [&](TObject*) { ++o.StateEvents; };
        TStr2DArray custom;
        o.Code = t.ReadASCFile(File, custom);
        o.Taken = tuning.Taken != taken;
        o.Cols = t.NrOfColumns();
        o.Rows = t.NrOfRows();
        for (int c = 1; c <= o.Cols; ++c) {
            o.ColNames.push_back(t.ColName(c).toStdString());
            o.Levels.push_back(t.MeasLevel(c));
            for (int v = 0; v < 4; ++v) o.Labels.push_back(t.ValueLabel(c, v).toStdString());
            for (int r = 1; r <= o.Rows; ++r) {
                const double v = t.DataMat()->Elem(c, r);
                std::uint64_t bits;
                std::memcpy(&bits, &v, sizeof bits);
                o.CellBits.push_back(bits);
                o.States.push_back(t.CellState(c, r));
            }
        }
        for (int r = 1; r <= o.Rows; ++r) {
            o.RowNames.push_back(t.RowName(r).toStdString());
            o.RowAttribs.push_back(t.RowAttrib(r));
        }
        for (const auto& row : custom) {
            o.Custom.emplace_back();
            for (const QString& s : row) o.Custom.back().push_back(s.toStdString());
        }
        return o;
    }

    QTemporaryDir Dir;
};

std::string Header(int Cols, int Rows, const char* Switches = "FALSE FALSE FALSE FALSE")
{
    return "comment\r\n" + std::to_string(Cols) + "\r\n" + std::to_string(Rows) + "\r\n" +
           Switches + "\r\n";
}

// Row R's cells: distinct, some negative, some with fractions that are not exact in binary.
std::string Cells(int R, int Cols, const char* Between = " ")
{
    std::string s;
    for (int c = 0; c < Cols; ++c) {
        if (c) s += Between;
        s += (R + c) % 3 == 0 ? "-" : "";
        s += std::to_string(R * 10 + c) + "." + std::to_string((R * 7 + c) % 100);
    }
    return s;
}

// Rows First..Last, each given by Row(r), one per line.
template <class RowFn> std::string Lines(int First, int Last, RowFn Row)
{
    std::string s;
    for (int r = First; r <= Last; ++r) s += Row(r) + "\r\n";
    return s;
}

std::string Plain(int Rows, int Cols = 4)
{
    return Lines(1, Rows, [&](int r) { return Cells(r, Cols); });
}

} // namespace

TEST_F(AscSplit, GuessesThatLandWellOrBadlyReadAsOnOneCore)
{
    struct Case {
        const char* What;
        std::string Content;
        std::string Marker; // the guess looks for a line start from here on; "" from the middle
        bool Taken;
    };
    const auto named = [](int r) {
        return std::to_string(r % 5) + ".5 \"row " + std::to_string(r) + "\" " + Cells(r, 4);
    };
    const auto badAt = [](int Bad, const char* Token) {
        return Lines(1, 100, [=](int r) {
            return r == Bad ? "1 2 " + std::string(Token) + " 4" : Cells(r, 4);
        });
    };
    const Case cases[] = {
        {"one row per line", Header(4, 100) + Plain(100), "", true},
        {"the guess on the first row: every row on the second thread", Header(4, 100) + Plain(100),
         "FALSE FALSE", true},
        {"the guess on the last line finds no row after it", Header(4, 100) + Plain(100),
         Cells(100, 4), false},
        {"rows span two lines",
         Header(4, 100) +
             Lines(1, 100, [](int r) { return Cells(r, 2) + "\r\n" + Cells(r + 500, 2); }),
         "", false},
        {"two rows share a line",
         Header(4, 100) +
             Lines(1, 50, [](int r) { return Cells(2 * r, 4) + " " + Cells(2 * r + 1, 4); }),
         "", false},
        {"a blank line before the guess",
         Header(4, 100) + Plain(10) + "\r\n" + Lines(11, 100, [](int r) { return Cells(r, 4); }),
         "", false},
        {"a parenthesis opened at a line end, closed on the guessed line",
         Header(4, 100) + Plain(49) + "1 2 3 (\r\n4.25) " + Cells(51, 4) + "\r\n" +
             Lines(52, 101, [](int r) { return Cells(r, 4); }),
         "1 2 3 (", false},
        {"classes and quoted names with blanks",
         Header(4, 100, "TRUE FALSE TRUE FALSE") + Lines(1, 100, named), "", true},
        {"a quoted name holding a line break and what looks like a row",
         Header(4, 100, "FALSE FALSE TRUE FALSE") +
             Lines(1, 100,
                   [](int r) {
                       return (r == 50 ? std::string("\"a\r\n7 8 9 10 x\"")
                                       : "n" + std::to_string(r)) +
                              " " + Cells(r, 4);
                   }),
         "\"a", false},
        {"column names spanning lines before the rows",
         Header(4, 100, "FALSE TRUE FALSE FALSE") + "a \"b\r\nc\" (.;#;.) d\r\n" + Plain(100), "",
         true},
        {"special cells after the guess",
         Header(4, 100) + Lines(1, 100,
                                [](int r) {
                                    return r < 60 ? Cells(r, 4)
                                                  : "NAN ### ( " + std::to_string(r) + ".5) -0";
                                }),
         "", true},
        {"a row error after the guess", Header(4, 100) + badAt(80, "word"), "", true},
        {"a row error on the guessed row", Header(4, 100) + badAt(51, "word"), Cells(50, 4), true},
        {"a row error on the row before the guess", Header(4, 100) + badAt(50, "word"), "1 2 word",
         false},
        {"a row error before the guess", Header(4, 100) + badAt(20, "word"), "", false},
        {"a bad class number after the guess",
         Header(4, 100, "TRUE FALSE FALSE FALSE") +
             Lines(1, 100, [](int r) { return (r == 70 ? "x " : "1 ") + Cells(r, 4); }),
         "", true},
        {"the file is shorter than its header says", Header(4, 300) + Plain(100), "", true},
        {"the file ends inside the last row", Header(4, 100) + Plain(99) + "1 2 3", "", true},
        {"more rows than the header says, then levels",
         Header(4, 90, "FALSE FALSE FALSE TRUE") + Plain(100) +
             "<VARTYPES>\r\n2 Nominal <0=zero><1=one>\r\n</VARTYPES>\r\n",
         "", true},
        {"custom data after the rows",
         Header(4, 100) + Plain(100) + "<custdata>\r\n<key>value</key>\r\n</custdata>\r\n", "",
         true},
    };
    for (const Case& c : cases) {
        const QString file = Write(c.Content);
        const qint64 at = c.Marker.empty() ? -1 : qint64(c.Content.find(c.Marker));
        ASSERT_TRUE(c.Marker.empty() || at >= 0) << c.What;
        const TOutcome split = Read(file, true, at);
        ExpectSame(split, Read(file, false, -1), c.What);
        EXPECT_EQ(split.Taken, c.Taken) << c.What;
    }
}

// Every possible guess over a file with classes, names holding separators and line breaks,
// special cells and a row error near the end.
TEST_F(AscSplit, EveryGuessReadsAsOnOneCore)
{
    const std::string content = Header(3, 40, "TRUE TRUE TRUE FALSE") + "x \"y z\" \"w\r\nv\"\r\n" +
                                Lines(1, 40, [](int r) {
                                    const std::string name = r % 7 == 0
                                                                 ? "\"a b\r\n" + Cells(r, 3) + "\""
                                                                 : "r" + std::to_string(r);
                                    const std::string cells = r == 37      ? "1 ( 2"
                                                              : r % 5 == 0 ? "NAN " + Cells(r, 2)
                                                                           : Cells(r, 3);
                                    return std::to_string(r % 4) + " " + name + " " + cells;
                                });
    const QString file = Write(content);
    const TOutcome alone = Read(file, false, -1);
    ASSERT_EQ(alone.Code, ascBadCell);
    int taken = 0;
    for (qint64 at = 0; at <= qint64(content.size()); ++at) {
        const TOutcome split = Read(file, true, at);
        ExpectSame(split, alone, "guess from offset " + std::to_string(at));
        taken += split.Taken;
    }
    EXPECT_GT(taken, 20);
}

TEST(AscLineEnds, CountMatchesThePlainLoop)
{
    std::string bytes(300, 'x');
    for (std::size_t i = 0; i < bytes.size(); i += 1 + i % 7) bytes[i] = '\r';
    bytes[40] = char(0x8D); // a byte that differs from CR only in its top bit
    for (std::size_t from = 0; from < 20; ++from)
        for (std::size_t size = 0; from + size <= bytes.size(); size += 13)
            EXPECT_EQ(CountAscLineEnds(bytes.data() + from, size),
                      std::size_t(std::count(bytes.begin() + std::ptrdiff_t(from),
                                             bytes.begin() + std::ptrdiff_t(from + size), '\r')))
                << from << " " << size;
}

TEST_F(AscSplit, SmallFilesStayOnOneCore)
{
    const QString file = Write(Header(4, 100) + Plain(100));
    TAscSplitTuning& tuning = AscSplitTuning();
    const int taken = tuning.Taken;
    TDataTable t;
    EXPECT_EQ(t.LoadFromASCFile(file), ascOK);
    EXPECT_EQ(tuning.Taken, taken);
}
