// The console program reading its file in passes (--stream): every byte written, every message
// and every exit code are those of the run that reads the table whole.
#include "batch_run.h"

#include <QDateTime>
#include <QDir>

namespace {

void ExpectSameRun(const QStringList& Arguments, const char* What)
{
    const TRun whole = RunBatch(Arguments);
    const TRun passes = RunBatch(QStringList{"--stream"} + Arguments);
    EXPECT_EQ(passes.ExitCode, whole.ExitCode) << What << " " << whole.Err.toStdString();
    EXPECT_EQ(passes.Err, whole.Err) << What;
    EXPECT_TRUE(passes.Out == whole.Out) << What << ": the output differs";
}

// Rows spanning several chunks of the passes, not a whole number of blocks: class numbers, row
// names on every seventh row (the others quoted, empty or plain), empty and non-number cells,
// cells in parentheses, a category column and values far from zero. Row BadRow gets Bad in place
// of column BadCol (from 0; -1 is the class number).
QByteArray LongTable(int Rows, bool Names, int BadRow = 0, const char* Bad = "", int BadCol = 2)
{
    QByteArray text = "Rows in chunks\r\n5\r\n" + QByteArray::number(Rows) + "\r\nTRUE TRUE " +
                      (Names ? "TRUE" : "FALSE") + " TRUE\r\nA B \"C c\" D E\r\n";
    std::uint64_t x = 88172645463325252ull;
    auto next = [&x] {
        x ^= x << 13, x ^= x >> 7, x ^= x << 17;
        return x;
    };
    for (int r = 1; r <= Rows; ++r) {
        const QByteArray cls = QByteArray::number(int(next() % 4));
        text += (r == BadRow && BadCol < 0 ? QByteArray(Bad) : cls) + ' ';
        if (Names)
            text += r % 7 ? "\"row " + QByteArray::number(r) + "\" " : QByteArray("(.;#;.) ");
        for (int c = 0; c < 5; ++c) {
            const std::uint64_t v = next();
            if (r == BadRow && c == BadCol)
                text += Bad;
            else if (v % 997 == 0)
                text += "###";
            else if (v % 1009 == 0)
                text += "NAN";
            else if (v % 1013 == 0)
                text += "( " + QByteArray::number(double(v % 1000) / 8) + ")";
            else if (c == 1)
                text += QByteArray::number(double(v % 7) + 0.5); // rounds to even
            else
                text += QByteArray::number(1e6 * c + double(v % 100000) / 1000.0, 'g', 12);
            text += c == 4 ? "\r\n" : (r % 3 ? " " : "\r\n");
        }
    }
    return text + "<VARTYPES>\r\n2 Ordinal <1=low><2=high>\r\n</VARTYPES>\r\n";
}

} // namespace

TEST(BatchStream, ExamplesGiveTheBytesOfTheWholeTable)
{
    for (const char* example : {"iris.asc", "wine.asc", "showcase.asc", "showcase_custdata.asc"})
        for (const char* scaling : {"scatter", "covariance", "correlation"})
            for (const char* format : {"csv", "json"})
                ExpectSameRun({"-s", scaling, "-f", format, Example(example)}, example);
    const QString showcase = Example("showcase.asc");
    for (const char* missing : {"zero", "drop", "error"})
        ExpectSameRun({"--missing", missing, showcase}, missing);
    ExpectSameRun({"-k", "2", Example("wine.asc")}, "two components");
    ExpectSameRun({"-k", "20", Example("iris.asc")}, "more components than there are");
    ExpectSameRun({"--solver", "fast", Example("wine.asc")}, "LAPACK");
}

TEST(BatchStream, RowsInManyChunksGiveTheBytesOfTheWholeTable)
{
    QTemporaryDir dir;
    // Without row names the rows come from tokens read on two cores.
    for (const bool names : {true, false}) {
        const QString file = WriteFile(dir, "long.asc", LongTable(40001, names));
        const QStringList modes =
            names ? QStringList{"zero", "drop", "error"} : QStringList{"zero", "drop"};
        for (const char* scaling : {"scatter", "covariance", "correlation"})
            for (const QString& missing : modes)
                ExpectSameRun({"-s", scaling, "--missing", missing, file}, scaling);
    }
    ExpectSameRun({"-f", "json", "--missing", "drop", "-k", "3", dir.filePath("long.asc")}, "json");
}

TEST(BatchStream, FilesWrittenIntoAFolderAreTheSame)
{
    QTemporaryDir dir;
    const QString file = WriteFile(dir, "long.asc", LongTable(40000, true));
    for (const char* format : {"csv", "json"}) {
        const QString whole = dir.filePath(QStringLiteral("whole")),
                      passes = dir.filePath(QStringLiteral("passes"));
        ASSERT_EQ(RunBatch({"-f", format, "-o", whole, file}).ExitCode, 0);
        ASSERT_EQ(RunBatch({"--stream", "-f", format, "-o", passes, file}).ExitCode, 0);
        const QStringList names = QDir(whole).entryList(QDir::Files);
        EXPECT_EQ(names, QDir(passes).entryList(QDir::Files));
        for (const QString& name : names) {
            QFile a(QDir(whole).filePath(name)), b(QDir(passes).filePath(name));
            ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
            EXPECT_TRUE(a.readAll() == b.readAll()) << name.toStdString();
        }
    }
}

// Nothing is written for a file that the table's reader refuses, and the message is the same.
TEST(BatchStream, FaultsAreThoseOfTheWholeTable)
{
    QTemporaryDir dir;
    struct Case {
        const char* name;
        QByteArray content;
    };
    const Case cases[] = {
        {"late_bad_cell.asc", LongTable(50000, true, 45678, "4.5.6")},
        {"late_bad_cell_no_names.asc", LongTable(50000, false, 45678, "4.5.6")},
        {"late_bad_class.asc", LongTable(40000, false, 39999, "three", -1)},
        {"unclosed_parenthesis.asc", LongTable(40000, false, 33333, "( 1.5")},
        {"parenthesis_apart.asc", LongTable(40000, false, 33333, "( 1.5 )")},
        {"short.asc", LongTable(300, true).replace("\r\n300\r\n", "\r\n301\r\n")},
        {"short_no_names.asc", LongTable(30000, false).replace("\r\n30000\r\n", "\r\n30001\r\n")},
        {"cut_in_parenthesis.asc", "t\r\n2\r\n2\r\nFALSE FALSE FALSE FALSE\r\n1 2 3 ("},
        {"no_trailing_break.asc", "t\r\n2\r\n3\r\nFALSE FALSE FALSE FALSE\r\n1 2 3 5 7 11"},
        {"bad_level_after_rows.asc", LongTable(1000, true).replace("2 Ordinal", "two Ordinal")},
        {"bad_level_after_bad_row.asc",
         LongTable(1000, false, 500, "x").replace("2 Ordinal", "two Ordinal")},
        {"lf_only.asc", "title\n2\n2\nFALSE FALSE FALSE FALSE\n1 2 3 4\n"},
        {"bad_switch.asc", "title\r\n2\r\n2\r\nMAYBE FALSE FALSE FALSE\r\n1 2 3 4\r\n"},
        {"one_row.asc", "title\r\n2\r\n1\r\nFALSE FALSE FALSE FALSE\r\n1 2\r\n"},
        {"overflow.asc", "title\r\n2\r\n3\r\nFALSE FALSE FALSE FALSE\r\n1e307 -1e308 "
                         "-1e308 1e307 1.7e308 1.7e308\r\n"},
    };
    for (const Case& c : cases) {
        const QString file = WriteFile(dir, c.name, c.content);
        ExpectSameRun({file}, c.name);
        ExpectSameRun({"-s", "scatter", file}, c.name);
    }
    ExpectSameRun({dir.filePath(QStringLiteral("missing.asc"))}, "no such file");
}

TEST(BatchStream, TextTablesAreRefused)
{
    const TRun run = RunBatch({"--stream", Example("iris.csv")});
    EXPECT_EQ(run.ExitCode, 2);
    EXPECT_EQ(run.Out, QByteArray());
    EXPECT_TRUE(run.Err.contains("--stream reads ASC files only")) << run.Err.toStdString();
}

// A file written again between the passes, with rows of the same shape, is reported as changed
// (exit 3), not analysed as a mix of both. The scores fill the pipe that is not read yet, so the
// program waits in its last pass while the file is rewritten.
TEST(BatchStream, AFileRewrittenBetweenThePassesIsReportedAsChanged)
{
    QTemporaryDir dir;
    const QString file = WriteFile(dir, "rewritten.asc", LongTable(200000, true));
    QProcess batch;
    batch.start(QStringLiteral(ZEV_BATCH_PROGRAM), {"--stream", file});
    ASSERT_TRUE(batch.waitForReadyRead(60000));
    {
        QFile again(file);
        ASSERT_TRUE(again.open(QIODevice::WriteOnly));
        again.write(LongTable(200000, true).replace("\r\n1 ", "\r\n2 "));
        again.close();
        ASSERT_TRUE(again.open(QIODevice::ReadWrite));
        // Later than the first reading, whatever the file system's clock resolution.
        ASSERT_TRUE(again.setFileTime(QDateTime::currentDateTime().addSecs(5),
                                      QFileDevice::FileModificationTime));
    }
    while (batch.state() != QProcess::NotRunning) {
        batch.readAllStandardOutput();
        batch.waitForReadyRead(1000);
    }
    EXPECT_EQ(batch.exitCode(), 3);
    EXPECT_TRUE(batch.readAllStandardError().contains("changed while it was read"));
}
