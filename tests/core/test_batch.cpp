// The console program run as a user runs it, its output read back and held against the engine
// bit for bit; and the text sink's quoting and number forms.
#include "ZEV_matrix.h"
#include "analysis.h"
#include "batch_run.h"
#include "scoreblock.h"
#include "textsink.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <bit>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <map>
#include <pty.h>
#include <spawn.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using TCsv = std::vector<std::vector<std::string>>;

QByteArray ReadAll(const QString& Path)
{
    QFile file(Path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << Path.toStdString();
    return file.readAll();
}

// RFC 4180: fields apart by commas, records by CR LF, quoted fields with doubled quotes.
TCsv ParseCsv(const QByteArray& Text)
{
    TCsv rows(1, std::vector<std::string>(1));
    bool quoted = false;
    for (qsizetype i = 0; i < Text.size(); ++i) {
        const char ch = Text[i];
        std::string& field = rows.back().back();
        if (quoted) {
            if (ch != '"')
                field += ch;
            else if (i + 1 < Text.size() && Text[i + 1] == '"')
                field += Text[++i];
            else
                quoted = false;
        } else if (ch == '"') {
            quoted = true;
        } else if (ch == ',') {
            rows.back().emplace_back();
        } else if (ch == '\r' && i + 1 < Text.size() && Text[i + 1] == '\n') {
            ++i;
            rows.emplace_back(1);
        } else {
            field += ch;
        }
    }
    if (rows.back().size() == 1 && rows.back()[0].empty()) rows.pop_back();
    return rows;
}

double Number(const std::string& Text)
{
    double value = 0;
    const auto [end, error] = std::from_chars(Text.data(), Text.data() + Text.size(), value);
    EXPECT_TRUE(error == std::errc() && end == Text.data() + Text.size()) << Text;
    return value;
}

// Equal to the last bit, so that 0 and -0 differ too.
::testing::AssertionResult SameBits(double Got, double Want)
{
    if (std::bit_cast<std::uint64_t>(Got) == std::bit_cast<std::uint64_t>(Want))
        return ::testing::AssertionSuccess();
    char text[64];
    std::snprintf(text, sizeof text, "%.17g vs %.17g", Got, Want);
    return ::testing::AssertionFailure() << text;
}

// What the window computes for a file, and the formula of the scores on any component.
struct TReference {
    TDataTable Table;
    TVector Mean, StdDev;
    TPCAPoints Points;

    TReference(const QString& File, int Scaling)
    {
        EXPECT_EQ(Table.LoadFromASCFile(File), ascOK);
        TDataTableDataSet data(Table);
        EXPECT_TRUE(PerformPCA(data, Scaling, Mean, StdDev, Points));
    }
    double Score(int Component, int Row) const
    {
        double s = 0;
        for (int i = 1; i <= Table.NrOfColumns(); ++i)
            if (StdDev.Elem(i) != 0) {
                const double d = Table.Elem(i, Row) - Mean.Elem(i);
                s += EigVecElem(Component, i) * d / StdDev.Elem(i);
            }
        return s;
    }
};

void ExpectEigenvalues(const TCsv& Csv, int Components)
{
    ASSERT_EQ(int(Csv.size()), Components + 1);
    EXPECT_EQ(Csv[0], (std::vector<std::string>{"component", "eigenvalue", "relative_eigenvalue",
                                                "cumulative_share"}));
    double cumulative = 0;
    for (int k = 1; k <= Components; ++k) {
        const std::vector<std::string>& row = Csv[std::size_t(k)];
        ASSERT_EQ(row.size(), 4u);
        EXPECT_EQ(row[0], std::to_string(k));
        EXPECT_TRUE(SameBits(Number(row[1]), AbsoluteEigVal(k))) << "component " << k;
        EXPECT_TRUE(SameBits(Number(row[2]), EigVecElem(k, 0))) << "component " << k;
        cumulative += EigVecElem(k, 0);
        EXPECT_TRUE(SameBits(Number(row[3]), cumulative)) << "component " << k;
    }
}

void ExpectLoadings(const TCsv& Csv, const TReference& Ref, int Components)
{
    ASSERT_EQ(int(Csv.size()), Ref.Table.NrOfColumns() + 1);
    ASSERT_EQ(int(Csv[0].size()), Components + 1);
    EXPECT_EQ(Csv[0][0], "variable");
    EXPECT_EQ(Csv[0].back(), "PC" + std::to_string(Components));
    for (int i = 1; i <= Ref.Table.NrOfColumns(); ++i) {
        const std::vector<std::string>& row = Csv[std::size_t(i)];
        ASSERT_EQ(int(row.size()), Components + 1);
        EXPECT_EQ(QString::fromStdString(row[0]), Ref.Table.ColName(i));
        for (int k = 1; k <= Components; ++k)
            EXPECT_TRUE(SameBits(Number(row[std::size_t(k)]), EigVecElem(k, i)))
                << "variable " << i << " component " << k;
    }
}

void ExpectScores(const TCsv& Csv, const TReference& Ref, int Components)
{
    ASSERT_EQ(int(Csv.size()), Ref.Table.NrOfRows() + 1);
    EXPECT_EQ(Csv[0][0] + "," + Csv[0][1] + "," + Csv[0][2], "row,class,PC1");
    for (int r = 1; r <= Ref.Table.NrOfRows(); ++r) {
        const std::vector<std::string>& row = Csv[std::size_t(r)];
        ASSERT_EQ(int(row.size()), Components + 2);
        EXPECT_EQ(QString::fromStdString(row[0]), Ref.Table.RowName(r));
        EXPECT_EQ(row[1], std::to_string(Ref.Table.RowAttrib(r)));
        // The window's points, then the formula for the components it does not show.
        const TScorePoint& shown = Ref.Points.Scores[std::size_t(r - 1)];
        EXPECT_TRUE(SameBits(Number(row[2]), shown.X)) << "row " << r;
        if (Components > 1) {
            EXPECT_TRUE(SameBits(Number(row[3]), shown.Y)) << "row " << r;
        }
        for (int k = 3; k <= Components; ++k)
            EXPECT_TRUE(SameBits(Number(row[std::size_t(k + 1)]), Ref.Score(k, r)))
                << "row " << r << " component " << k;
    }
}

// Scores a block at a time from the columns give the window's projector's bits, whatever the
// scaling, with a category column (read rounded), a constant column (left out) and a number of
// rows that no block size divides; and the finiteness check agrees with them.
TEST(ScoreBlocks, SameBitsAsTheWindowsProjector)
{
    TDataTable table;
    table.Resize(5, 1003);
    std::uint64_t seed = 7;
    for (int r = 1; r <= 1003; ++r) {
        for (int c = 1; c <= 5; ++c) {
            seed = seed * 6364136223846793005ull + 1442695040888963407ull;
            table.SetElem(c, r, double(seed >> 11) * 0x1p-53 * 200.0 - 50.0);
        }
        table.SetElem(4, r, 3.25);
    }
    table.SetMeasLevel(2, mlOrdinal);
    const TDataTableDataSet data(table);
    for (int scaling : {psScatter, psCovariance, psCorrelation}) {
        const TPCAResult result = CalcComponents(data, scaling);
        ASSERT_TRUE(result.Ok());
        TVector mean, stdDev;
        FillMeanStdDev(data, scaling, mean, stdDev);
        const TScoreProjector projector(result, mean, stdDev, 5);
        const TScoreBlocks blocks(table, result, mean, stdDev, 5);
        std::vector<double> all(1003 * 5), one(5);
        blocks.Compute(0, 1003, all.data());
        for (int r = 1; r <= 1003; ++r) {
            projector.Project(data, r, one.data());
            for (int k = 0; k < 5; ++k)
                ASSERT_TRUE(
                    SameBits(all[std::size_t(r - 1) * 5 + std::size_t(k)], one[std::size_t(k)]))
                    << "scaling " << scaling << " row " << r << " component " << k + 1;
        }
        EXPECT_TRUE(blocks.AllFinite(1003));
    }
}

// Two cells far out in any row, the last ones of a run of four too, make the score of that row
// overflow, which the check finds before anything is written.
TEST(ScoreBlocks, AnOverflowInAnyRowIsFound)
{
    TPCAResult sum; // component 1 adds both columns up
    sum.Status = pcaDone;
    sum.N = 2;
    sum.EigVals = sum.AbsEigVals = {1, 0};
    sum.EigVecs = {1, 0, 1, 0};
    TVector mean, stdDev;
    mean.SetNrOfElem(2);
    stdDev.SetNrOfElem(2);
    stdDev.SetElem(1, 1);
    stdDev.SetElem(2, 1);
    for (const int rows : {5, 6, 7, 8, 9}) {
        for (const int far : {0, 1, 2, rows - 1, rows}) {
            TDataTable table;
            table.Resize(2, rows);
            for (int r = 1; r <= rows; ++r)
                for (int c = 1; c <= 2; ++c) table.SetElem(c, r, r == far ? 1.7e308 : -r);
            EXPECT_EQ(TScoreBlocks(table, sum, mean, stdDev, 1).AllFinite(rows), far == 0)
                << rows << " rows, far out in row " << far;
        }
    }
}

// The three CSV tables of standard output, by the names of their "# name" lines.
std::map<std::string, QByteArray> Sections(const QByteArray& Out)
{
    std::map<std::string, QByteArray> sections;
    std::string name;
    for (const QByteArray& line : Out.split('\n')) {
        if (line.startsWith("# "))
            name = line.mid(2).trimmed().toStdString();
        else if (!name.empty() && line != "\r")
            sections[name] += line + '\n';
    }
    if (!sections.empty()) sections[name].chop(1); // the split leaves no line end after the last
    return sections;
}

} // namespace

TEST(BatchProgram, WritesTheWindowsNumbersBitForBit)
{
    const char* files[] = {"iris.asc", "wine.asc", "showcase.asc", "showcase_custdata.asc"};
    const char* scalings[] = {"scatter", "covariance", "correlation"};
    for (const char* name : files)
        for (int scaling = 0; scaling < 3; ++scaling) {
            SCOPED_TRACE(std::string(name) + " " + scalings[scaling]);
            QTemporaryDir dir;
            const TRun run =
                RunBatch({QStringLiteral("--scaling"), QLatin1String(scalings[scaling]),
                          QStringLiteral("--out"), dir.path(), Example(name)});
            ASSERT_EQ(run.ExitCode, 0) << run.Err.toStdString();
            EXPECT_TRUE(run.Out.isEmpty());
            // Only the note on empty and not-a-number cells, for the files that have them.
            EXPECT_TRUE(run.Err.isEmpty() || run.Err.startsWith("pca-batch: note: "))
                << run.Err.toStdString();
            const TReference ref(Example(name), scaling);
            const int n = EigVecCount();
            const QString base = dir.filePath(QFileInfo(QLatin1String(name)).completeBaseName());
            ExpectEigenvalues(ParseCsv(ReadAll(base + ".eigenvalues.csv")), n);
            ExpectLoadings(ParseCsv(ReadAll(base + ".loadings.csv")), ref, n);
            ExpectScores(ParseCsv(ReadAll(base + ".scores.csv")), ref, n);
        }
}

TEST(BatchProgram, StandardOutputHoldsTheFilesAsSectionsWithCovarianceByDefault)
{
    QTemporaryDir dir;
    const TRun files = RunBatch({QStringLiteral("-s"), QStringLiteral("covariance"),
                                 QStringLiteral("-o"), dir.path(), Example("wine.asc")});
    ASSERT_EQ(files.ExitCode, 0);
    const TRun stdoutRun = RunBatch({Example("wine.asc")});
    ASSERT_EQ(stdoutRun.ExitCode, 0) << stdoutRun.Err.toStdString();
    EXPECT_TRUE(stdoutRun.Out.startsWith("# eigenvalues\r\ncomponent,"));
    const auto sections = Sections(stdoutRun.Out);
    ASSERT_EQ(sections.size(), 3u);
    for (const char* name : {"eigenvalues", "loadings", "scores"})
        EXPECT_EQ(sections.at(name), ReadAll(dir.filePath(QStringLiteral("wine.%1.csv").arg(name))))
            << name;
}

TEST(BatchProgram, JsonCarriesTheSameNumbersForTheChosenComponents)
{
    QTemporaryDir dir;
    const QStringList args = {QStringLiteral("--format"),     QStringLiteral("json"),
                              QStringLiteral("--components"), QStringLiteral("3"),
                              QStringLiteral("--scaling"),    QStringLiteral("correlation"),
                              Example("showcase.asc")};
    const TRun run = RunBatch(args);
    ASSERT_EQ(run.ExitCode, 0) << run.Err.toStdString();
    EXPECT_EQ(RunBatch(QStringList(args) << QStringLiteral("--out") << dir.path()).ExitCode, 0);
    EXPECT_EQ(ReadAll(dir.filePath(QStringLiteral("showcase.pca.json"))), run.Out);

    QJsonParseError error;
    const QJsonObject doc = QJsonDocument::fromJson(run.Out, &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    const TReference ref(Example("showcase.asc"), psCorrelation);
    EXPECT_EQ(doc["scaling"].toString(), QStringLiteral("correlation"));
    EXPECT_EQ(doc["components"].toInt(), 3);
    const QJsonArray eigen = doc["eigenvalues"].toArray();
    ASSERT_EQ(eigen.size(), 4); // every component, whatever --components says
    for (int k = 1; k <= 4; ++k) {
        const QJsonObject e = eigen[k - 1].toObject();
        EXPECT_TRUE(SameBits(e["eigenvalue"].toDouble(), AbsoluteEigVal(k)));
        EXPECT_TRUE(SameBits(e["relative_eigenvalue"].toDouble(), EigVecElem(k, 0)));
    }
    const QJsonArray loadings = doc["loadings"].toArray();
    ASSERT_EQ(loadings.size(), 4);
    EXPECT_EQ(loadings[3].toObject()["variable"].toString(), ref.Table.ColName(4));
    for (int i = 1; i <= 4; ++i) {
        const QJsonArray values = loadings[i - 1].toObject()["values"].toArray();
        ASSERT_EQ(values.size(), 3);
        for (int k = 1; k <= 3; ++k)
            EXPECT_TRUE(SameBits(values[k - 1].toDouble(), EigVecElem(k, i)));
    }
    const QJsonArray scores = doc["scores"].toArray();
    ASSERT_EQ(scores.size(), ref.Table.NrOfRows());
    for (int r = 1; r <= ref.Table.NrOfRows(); ++r) {
        const QJsonObject s = scores[r - 1].toObject();
        EXPECT_EQ(s["row"].toString(), ref.Table.RowName(r));
        EXPECT_EQ(s["class"].toInt(), ref.Table.RowAttrib(r));
        const QJsonArray values = s["values"].toArray();
        ASSERT_EQ(values.size(), 3);
        for (int k = 1; k <= 3; ++k)
            EXPECT_TRUE(SameBits(values[k - 1].toDouble(), ref.Score(k, r))) << "row " << r;
    }
}

TEST(BatchProgram, MoreComponentsThanVariablesGivesAllWithANote)
{
    QTemporaryDir dir;
    const TRun run = RunBatch({QStringLiteral("-k"), QStringLiteral("9"), QStringLiteral("-o"),
                               dir.path(), Example("iris.asc")});
    ASSERT_EQ(run.ExitCode, 0);
    EXPECT_TRUE(run.Err.contains("gives 4 components")) << run.Err.toStdString();
    const TCsv loadings = ParseCsv(ReadAll(dir.filePath(QStringLiteral("iris.loadings.csv"))));
    EXPECT_EQ(loadings[0].back(), "PC4");
}

TEST(BatchProgram, ExitStatusAndMessageForEveryFailure)
{
    QTemporaryDir dir;
    const QString notAFolder = WriteFile(dir, "plain.txt", "x");
    const QString fifo = dir.filePath(QStringLiteral("fifo.asc"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    struct TCase {
        QStringList Arguments;
        int ExitCode;
        const char* Message;
    };
    const QString iris = Example("iris.asc");
    const TCase cases[] = {
        {{}, 2, "No data file given."},
        {{iris, iris}, 2, "One data file at a time."},
        {{QStringLiteral("--bogus"), iris}, 2, "Unknown option 'bogus'."},
        {{QStringLiteral("--scaling"), QStringLiteral("squared"), iris}, 2, "Unknown scaling"},
        {{QStringLiteral("--components"), QStringLiteral("0"), iris}, 2, "not \"0\""},
        {{QStringLiteral("-k"), QStringLiteral("two"), iris}, 2, "not \"two\""},
        {{QStringLiteral("--format"), QStringLiteral("xml"), iris}, 2, "Unknown format \"xml\""},
        {{dir.filePath(QStringLiteral("missing.asc"))}, 3, "code -8, the file does not exist"},
        {{dir.path()}, 3, "code -8, it is a folder, not a file"},
        {{QStringLiteral("/dev/null")}, 3, "code -8, it is a device, not a regular file"},
        {{fifo}, 3, "code -8, it is a pipe, not a regular file"},
        {{WriteFile(dir, "lfonly.asc", "c\n2\n2\nFALSE FALSE FALSE FALSE\n1 2 3 4\n")},
         3,
         "code -1, line 1 holds a line feed: lines must end with CR LF"},
        {{QStringLiteral("--out"), QString(), iris}, 2, "The folder of --out must not be empty."},
        {{WriteFile(dir, "lf.asc", "c\nd\r\n2\r\n2\r\nFALSE FALSE FALSE FALSE\r\n1 2 3 4\r\n")},
         3,
         "code -4, line 1 holds a line feed"},
        {{WriteFile(dir, "cell.asc", "c\r\n2\r\n3\r\nFALSE FALSE FALSE FALSE\r\n1 2 3 x 5 6\r\n")},
         3,
         "code -6, a cell is not a number (row 2)"},
        {{WriteFile(dir, "class.asc", "c\r\n1\r\n2\r\nTRUE FALSE FALSE FALSE\r\n1 2 c 4\r\n")},
         3,
         "code -5, a class number is not a number (row 2)"},
        {{WriteFile(dir, "level.asc",
                    "c\r\n1\r\n2\r\nFALSE FALSE FALSE TRUE\r\n1\r\n2\r\n"
                    "<VARTYPES>\r\nx Nominal\r\n</VARTYPES>\r\n")},
         3,
         "'x'"},
        {{WriteFile(dir, "one.asc", "c\r\n2\r\n1\r\nFALSE FALSE FALSE FALSE\r\n1 2\r\n")},
         4,
         "Cannot calculate principal components"},
        {{WriteFile(dir, "huge.asc",
                    "c\r\n2\r\n3\r\nFALSE FALSE FALSE FALSE\r\n1e300 -1e300 -1e300 1e300 5 5\r\n")},
         4,
         "Cannot calculate principal components"},
        {{QStringLiteral("--out"), notAFolder, iris}, 5, "cannot make the folder"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Arguments.join(' ').toStdString());
        const TRun run = RunBatch(c.Arguments);
        EXPECT_EQ(run.ExitCode, c.ExitCode);
        EXPECT_TRUE(run.Err.startsWith("pca-batch: ")) << run.Err.toStdString();
        EXPECT_TRUE(run.Err.contains(c.Message)) << run.Err.toStdString();
        EXPECT_TRUE(run.Out.isEmpty());
    }
}

// Each file is made new beside its final name and renamed into place: a link at that name is
// replaced, never written through, whether it points to a file or nowhere.
TEST(BatchProgram, OutputReplacesLinksInsteadOfFollowingThem)
{
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("out"));
    ASSERT_TRUE(QDir().mkpath(out));
    const QString victim = WriteFile(dir, "victim", "keep");
    ASSERT_TRUE(QFile::link(victim, out + "/iris.scores.csv"));
    ASSERT_TRUE(QFile::link(dir.filePath(QStringLiteral("nowhere")), out + "/iris.loadings.csv"));
    const TRun run = RunBatch({QStringLiteral("-o"), out, Example("iris.asc")});
    ASSERT_EQ(run.ExitCode, 0) << run.Err.toStdString();
    EXPECT_EQ(ReadAll(victim), "keep");
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("nowhere"))));
    for (const char* name : {"iris.scores.csv", "iris.loadings.csv", "iris.eigenvalues.csv"}) {
        const QFileInfo info(out + "/" + name);
        EXPECT_TRUE(info.isFile() && !info.isSymLink()) << name;
        EXPECT_EQ(info.permissions() & QFile::ReadOther, QFile::ReadOther) << name;
    }
    EXPECT_EQ(QDir(out).entryList(QDir::Files | QDir::Hidden).size(), 3);
}

// A write that fails part way (here at a file size limit of 10 kB) leaves no output of its set
// behind, and the results of an earlier run stay as they were.
TEST(BatchProgram, FailedWriteKeepsTheOldFiles)
{
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("out"));
    ASSERT_TRUE(QDir().mkpath(out));
    for (const char* name : {"iris.eigenvalues.csv", "iris.scores.csv"})
        WriteFile(dir, (QByteArray("out/") + name).constData(), "old");
    QProcess process;
    process.start(QStringLiteral("/bin/sh"),
                  {QStringLiteral("-c"),
                   QStringLiteral("ulimit -f 20; exec \"$0\" -o \"$1\" \"$2\""),
                   QStringLiteral(ZEV_BATCH_PROGRAM), out, Example("iris.asc")});
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), 5);
    EXPECT_TRUE(process.readAllStandardError().contains("iris.scores.csv\": File too large"));
    EXPECT_EQ(QDir(out).entryList(QDir::Files | QDir::Hidden),
              QStringList({"iris.eigenvalues.csv", "iris.scores.csv"}));
    EXPECT_EQ(ReadAll(out + "/iris.eigenvalues.csv"), "old");
    EXPECT_EQ(ReadAll(out + "/iris.scores.csv"), "old");
}

// Any name the system accepts opens, also one that is not UTF-8, and the outputs keep its bytes.
TEST(BatchProgram, FileNamesThatAreNotUtf8)
{
    QTemporaryDir dir;
    const QByteArray name = QFile::encodeName(dir.path()) + "/bad\xffname.asc";
    const QByteArray iris = ReadAll(Example("iris.asc"));
    std::FILE* file = std::fopen(name.constData(), "wb");
    ASSERT_NE(file, nullptr);
    std::fwrite(iris.constData(), 1, std::size_t(iris.size()), file);
    std::fclose(file);
    // Started with the name's own bytes: QProcess would pass it through Qt's decoding.
    const QByteArray program = ZEV_BATCH_PROGRAM, out = QFile::encodeName(dir.path());
    char* const argv[] = {const_cast<char*>(program.constData()), const_cast<char*>("-o"),
                          const_cast<char*>(out.constData()), const_cast<char*>(name.constData()),
                          nullptr};
    pid_t child = -1;
    ASSERT_EQ(posix_spawn(&child, argv[0], nullptr, nullptr, argv, environ), 0);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(::unlink(name.constData()), 0);
    for (const char* table : {"eigenvalues", "loadings", "scores"}) {
        const QByteArray output = out + "/bad\xffname." + table + ".csv";
        EXPECT_EQ(::unlink(output.constData()), 0) << table;
    }
}

// On a terminal, names show their control characters instead of sending them; into a file or a
// pipe every byte goes as it is.
TEST(BatchProgram, ControlCharactersReachNoTerminal)
{
    QTemporaryDir dir;
    const QString file = WriteFile(dir, "ctl.asc",
                                   "c\r\n2\r\n3\r\nFALSE FALSE TRUE FALSE\r\n"
                                   "\"t\x1b]0;owned\x07\" 1 2 a\xc2\x9b 3 5 b 6 4\r\n");
    int master = -1;
    const pid_t child = forkpty(&master, nullptr, nullptr, nullptr);
    ASSERT_GE(child, 0);
    if (child == 0) {
        const QByteArray program = ZEV_BATCH_PROGRAM, path = QFile::encodeName(file);
        execl(program.constData(), program.constData(), "-k", "1", path.constData(), nullptr);
        _exit(127);
    }
    QByteArray shown;
    char buf[4096];
    for (ssize_t n; (n = ::read(master, buf, sizeof buf)) > 0;) shown.append(buf, n);
    ::close(master);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_TRUE(shown.contains("t\\x1b]0;owned\\x07,0,")) << shown.toStdString();
    EXPECT_TRUE(shown.contains("a\\x9b,0,")) << shown.toStdString();
    EXPECT_FALSE(shown.contains('\x1b') || shown.contains('\x07'));
    const TRun piped = RunBatch({QStringLiteral("-k"), QStringLiteral("1"), file});
    EXPECT_TRUE(piped.Out.contains("t\x1b]0;owned\x07,0,"));
}

TEST(BatchProgram, HelpAndVersion)
{
    const TRun help = RunBatch({QStringLiteral("--help")});
    EXPECT_EQ(help.ExitCode, 0);
    for (const char* option : {"--scaling", "--components", "--format", "--out", "FILE.asc"})
        EXPECT_TRUE(help.Out.contains(option)) << option;
    const TRun version = RunBatch({QStringLiteral("--version")});
    EXPECT_EQ(version.ExitCode, 0);
    EXPECT_TRUE(version.Out.startsWith("pca-batch " ZEV_VERSION)) << version.Out.toStdString();
}

// The window program answers help and version without a display, before any window exists.
TEST(WindowProgram, HelpAndVersionWithoutADisplay)
{
    for (const char* option : {"--help", "-h", "--version", "-v"}) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(QLatin1String(name));
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(ZEV_WINDOW_PROGRAM), {QLatin1String(option)});
        ASSERT_TRUE(process.waitForFinished(60000)) << option;
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << option;
        EXPECT_EQ(process.exitCode(), 0) << option;
        const QByteArray out = process.readAllStandardOutput();
        EXPECT_TRUE(out.contains(option[2] == 'v' || option[1] == 'v' ? ZEV_VERSION : "[FILE]"))
            << option << out.toStdString();
    }
}

TEST(TextSink, QuotesFieldsEscapesStringsAndWritesShortestNumbers)
{
    struct TCase {
        std::string Text, Csv, Json;
    };
    const TCase cases[] = {
        {"plain", "plain", "\"plain\""},
        {"", "", "\"\""},
        {"a,b", "\"a,b\"", "\"a,b\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\"", "\"say \\\"hi\\\"\""},
        {"two\r\nlines", "\"two\r\nlines\"", "\"two\\u000d\\u000alines\""},
        {" padded ", "\" padded \"", "\" padded \""},
        {"back\\slash\ttab", "back\\slash\ttab", "\"back\\\\slash\\u0009tab\""},
        {"gr\xc3\xb6\xc3\x9f"
         "e",
         "gr\xc3\xb6\xc3\x9f"
         "e",
         "\"gr\xc3\xb6\xc3\x9f"
         "e\""},
    };
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    std::string want;
    {
        TTextSink sink(file);
        for (const TCase& c : cases) {
            sink.PutCsvField(c.Text);
            sink.Put('|');
            sink.PutJsonString(c.Text);
            sink.Put('\n');
            want += c.Csv + "|" + c.Json + "\n";
        }
        for (double v : {0.1, -0.0, 1e-300, 5e-324, 1.7976931348623157e308, 123456789.0, 1.0 / 3}) {
            sink.PutNumber(v);
            sink.Put(' ');
        }
        sink.PutInteger(-42);
        want += "0.1 -0 1e-300 5e-324 1.7976931348623157e+308 123456789 0.3333333333333333 -42";
        // Past the buffer: everything still arrives, in order.
        for (int i = 0; i < 200000; ++i) {
            sink.Put("0123456789");
            want += "0123456789";
        }
        ASSERT_TRUE(sink.Flush());
    }
    std::rewind(file);
    std::string got(want.size() + 1, '\0');
    got.resize(std::fread(got.data(), 1, got.size(), file));
    std::fclose(file);
    ASSERT_EQ(got.size(), want.size());
    const std::size_t head = want.size() - 2000000;
    EXPECT_EQ(got.substr(0, head), want.substr(0, head));
    EXPECT_TRUE(got == want);
}
