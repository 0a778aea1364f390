// Reading rows on two cores must leave exactly what reading on one core leaves, wherever the
// second thread's guess lands.
#include "ZEV_asc_split.h"
#include "ZEV_datatable.h"
#include "ZEV_matrix.h"

#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <limits>
#include <string>

namespace {

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

    // Everything the read leaves in the table and tells its caller, as text: the code, the
    // size, each row's class, name, cell bits and states, the columns' names, levels and
    // labels, the custom data and how often the cell states were announced. Split: the guess
    // looks for a line start from At on; otherwise one core.
    static std::string Read(const QString& File, bool Split, qint64 At, bool* Taken = nullptr)
    {
        TAscSplitTuning& tuning = AscSplitTuning();
        tuning.MinBytes = Split ? 0 : std::numeric_limits<qint64>::max();
        tuning.At = At;
        tuning.EvenOnOneCore = true;
        const int taken = tuning.Taken;
        TDataTable t;
        int events = 0;
        t.OnChangeCellState = [&](TObject*) { ++events; };
        TStr2DArray custom;
        std::string s = std::to_string(t.ReadASCFile(File, custom));
        if (Taken) *Taken = tuning.Taken != taken;
        s += " " + std::to_string(events) + " events, size " + std::to_string(t.NrOfColumns()) +
             " x " + std::to_string(t.NrOfRows()) + "\n";
        for (int r = 1; r <= t.NrOfRows(); ++r) {
            s += std::to_string(t.RowAttrib(r)) + " " + t.RowName(r).toStdString() + ":";
            for (int c = 1; c <= t.NrOfColumns(); ++c) {
                const double v = t.DataMat()->Elem(c, r);
                std::uint64_t bits;
                std::memcpy(&bits, &v, sizeof bits);
                s += " " + std::to_string(bits) + "/" + std::to_string(t.CellState(c, r));
            }
            s += "\n";
        }
        for (int c = 1; c <= t.NrOfColumns(); ++c) {
            s += t.ColName(c).toStdString() + " " + std::to_string(t.MeasLevel(c));
            for (int v = 0; v < 4; ++v) s += " " + t.ValueLabel(c, v).toStdString();
            s += "\n";
        }
        for (const auto& row : custom)
            for (const QString& text : row) s += text.toStdString() + "\n";
        return s;
    }

    QTemporaryDir Dir;
};

std::string Header(int Cols, int Rows, const char* Switches = "FALSE FALSE FALSE FALSE")
{
    return "comment\r\n" + std::to_string(Cols) + "\r\n" + std::to_string(Rows) + "\r\n" +
           Switches + "\r\n";
}

// Row R's cells: distinct, some negative, some with fractions that are not exact in binary.
std::string Cells(int R, int Cols = 4)
{
    std::string s;
    for (int c = 0; c < Cols; ++c)
        s += std::string(c ? " " : "") + ((R + c) % 3 ? "" : "-") + std::to_string(R * 10 + c) +
             "." + std::to_string((R * 7 + c) % 100);
    return s;
}

// Rows First..Last, one per line: Row(r), by default its cells.
std::string Lines(int First, int Last, const std::function<std::string(int)>& Row = {})
{
    std::string s;
    for (int r = First; r <= Last; ++r) s += (Row ? Row(r) : Cells(r)) + "\r\n";
    return s;
}

// 100 rows of 4 cells, row Bad holding Token as its third.
std::string BadAt(int Bad, const char* Token)
{
    return Lines(1, 100,
                 [&](int r) { return r == Bad ? "1 2 " + std::string(Token) + " 4" : Cells(r); });
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
    const std::string h = Header(4, 100);
    const Case cases[] = {
        {"one row per line", h + Lines(1, 100), "", true},
        {"the guess on the first row: all rows on the second thread", h + Lines(1, 100), "FALSE F",
         true},
        {"the guess on the last line finds no row after it", h + Lines(1, 100), Cells(100), false},
        {"rows span two lines",
         h + Lines(1, 100, [](int r) { return Cells(r, 2) + "\r\n" + Cells(r + 500, 2); }), "",
         false},
        {"two rows share a line",
         h + Lines(1, 50, [](int r) { return Cells(2 * r) + " " + Cells(2 * r + 1); }), "", false},
        {"a blank line before the guess", h + Lines(1, 10) + "\r\n" + Lines(11, 100), "", false},
        {"a parenthesis opened at a line end, closed on the guessed line",
         h + Lines(1, 49) + "1 2 3 (\r\n4.25) " + Lines(51, 101), "1 2 3 (", false},
        {"classes and quoted names with blanks",
         Header(4, 100, "TRUE FALSE TRUE FALSE") + Lines(1, 100,
                                                         [](int r) {
                                                             return std::to_string(r % 5) +
                                                                    ".5 \"r " + std::to_string(r) +
                                                                    "\" " + Cells(r);
                                                         }),
         "", true},
        {"a quoted name holding a line break and what looks like a row",
         Header(4, 100, "FALSE FALSE TRUE FALSE") +
             Lines(1, 100,
                   [](int r) { return (r == 50 ? "\"a\r\n7 8 9 10 x\" " : "n ") + Cells(r); }),
         "\"a", false},
        {"column names spanning lines before the rows",
         Header(4, 100, "FALSE TRUE FALSE FALSE") + "a \"b\r\nc\" (.;#;.) d\r\n" + Lines(1, 100),
         "", true},
        {"special cells after the guess",
         h + Lines(1, 100,
                   [](int r) {
                       return r < 60 ? Cells(r) : "NAN ### ( " + std::to_string(r) + ".5) -0";
                   }),
         "", true},
        {"a row error after the guess", h + BadAt(80, "word"), "", true},
        {"a row error on the guessed row", h + BadAt(51, "word"), Cells(50), true},
        {"a row error on the row before the guess", h + BadAt(50, "word"), "1 2 word", false},
        {"a row error before the guess", h + BadAt(20, "word"), "", false},
        {"a bad class number after the guess",
         Header(4, 100, "TRUE FALSE FALSE FALSE") +
             Lines(1, 100, [](int r) { return (r == 70 ? "x " : "1 ") + Cells(r); }),
         "", true},
        {"the file is shorter than its header says", Header(4, 300) + Lines(1, 100), "", true},
        {"the file ends inside the last row", h + Lines(1, 99) + "1 2 3", "", true},
        {"more rows than the header says, then levels",
         Header(4, 90, "FALSE FALSE FALSE TRUE") + Lines(1, 100) +
             "<VARTYPES>\r\n2 Nominal <0=zero><1=one>\r\n</VARTYPES>\r\n",
         "", true},
        {"custom data after the rows",
         h + Lines(1, 100) + "<custdata>\r\n<key>value</key>\r\n</custdata>\r\n", "", true},
    };
    for (const Case& c : cases) {
        const QString file = Write(c.Content);
        const qint64 at = c.Marker.empty() ? -1 : qint64(c.Content.find(c.Marker));
        ASSERT_TRUE(c.Marker.empty() || at >= 0) << c.What;
        bool taken = false;
        EXPECT_EQ(Read(file, true, at, &taken), Read(file, false, -1)) << c.What;
        EXPECT_EQ(taken, c.Taken) << c.What;
    }
}

// Every possible guess over a file with classes, names holding separators and line breaks,
// special cells and a row error near the end.
TEST_F(AscSplit, EveryGuessReadsAsOnOneCore)
{
    const std::string content = Header(3, 40, "TRUE TRUE TRUE FALSE") + "x \"y z\" \"w\r\nv\"\r\n" +
                                Lines(1, 40, [](int r) {
                                    const std::string name =
                                        r % 7 ? "r" : "\"a b\r\n" + Cells(r, 3) + "\"";
                                    const std::string cells = r == 37 ? "1 ( 2"
                                                              : r % 5 ? Cells(r, 3)
                                                                      : "NAN " + Cells(r, 2);
                                    return std::to_string(r % 4) + " " + name + " " + cells;
                                });
    const QString file = Write(content);
    const std::string alone = Read(file, false, -1);
    ASSERT_EQ(alone.substr(0, 2), std::to_string(ascBadCell));
    int taken = 0;
    for (qint64 at = 0; at <= qint64(content.size()); ++at) {
        bool t = false;
        EXPECT_EQ(Read(file, true, at, &t), alone) << "guess from offset " << at;
        taken += t;
    }
    EXPECT_GT(taken, 20);
}

TEST_F(AscSplit, SmallFilesStayOnOneCore)
{
    const QString file = Write(Header(4, 100) + Lines(1, 100));
    const int taken = AscSplitTuning().Taken;
    TDataTable t;
    EXPECT_EQ(t.LoadFromASCFile(file), ascOK);
    EXPECT_EQ(AscSplitTuning().Taken, taken);
}

TEST(AscLineEnds, CountMatchesThePlainLoop)
{
    std::string bytes(300, 'x');
    for (std::size_t i = 0; i < bytes.size(); i += 1 + i % 7) bytes[i] = '\r';
    bytes[40] = char(0x8D); // differs from CR only in its top bit
    for (std::size_t from = 0; from < 20; ++from)
        for (std::size_t size = 0; from + size <= bytes.size(); size += 13)
            EXPECT_EQ(CountAscLineEnds(bytes.data() + from, size),
                      std::size_t(std::count(bytes.begin() + std::ptrdiff_t(from),
                                             bytes.begin() + std::ptrdiff_t(from + size), '\r')));
}
