// The console program run as a user runs it, its output read back and held against the engine
// bit for bit; and the text sink's quoting and number forms.
#include "analysis.h"
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
#include <string>
#include <vector>

namespace {

using TCsv = std::vector<std::vector<std::string>>;

struct TRun {
    int ExitCode = -1;
    QByteArray Out, Err;
};

TRun RunBatch(const QStringList& Arguments)
{
    QProcess process;
    process.start(QStringLiteral(ZEV_BATCH_PROGRAM), Arguments);
    EXPECT_TRUE(process.waitForFinished(60000)) << Arguments.join(' ').toStdString();
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput(), process.readAllStandardError()};
}

QString Example(const char* Name)
{
    return QStringLiteral(ZEV_EXAMPLES_DIR "/") + QLatin1String(Name);
}

QByteArray ReadAll(const QString& Path)
{
    QFile file(Path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << Path.toStdString();
    return file.readAll();
}

QString WriteFile(const QTemporaryDir& Dir, const char* Name, const QByteArray& Content)
{
    const QString path = Dir.filePath(QLatin1String(Name));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(Content);
    return path;
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
            EXPECT_TRUE(run.Err.isEmpty());
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
