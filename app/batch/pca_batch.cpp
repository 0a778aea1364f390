// The console program: one analysis of an ASC data file, written as CSV or JSON, with no window.
#include "Classes.h"
#include "ZEV_datatable.h"
#include "analysis.h"
#include "fastsolver.h"
#include "pcaexport.h"
#include "textsink.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <functional>
#include <optional>
#include <unistd.h>

namespace {

enum TExitCode : int {
    exDone = 0,
    exUsage = 2,
    exUnreadable = 3,
    exNoComponents = 4,
    exNoOutput = 5
};

const QStringList ScalingNames = {QStringLiteral("scatter"), QStringLiteral("covariance"),
                                  QStringLiteral("correlation")};

struct TOptions {
    QString File;
    int Scaling = psCovariance; // what the window starts with
    int Components = 0;         // 0: all of them
    bool Json = false;
    QString OutDir; // empty: standard output
    TSolverKind Solver = skJacobi;
};

void Complain(const QString& Text)
{
    std::fprintf(stderr, "%s: %s\n", qPrintable(QCoreApplication::applicationName()),
                 qPrintable(Text));
}

int UsageError(const QString& Text)
{
    Complain(Text);
    std::fprintf(stderr, "Try '%s --help'.\n", qPrintable(QCoreApplication::applicationName()));
    return exUsage;
}

// Reads the command line; exits for --help and --version, returns nothing after a usage error.
std::optional<TOptions> ParseOptions(const QStringList& Arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Principal component analysis of an ASC data file: writes the eigenvalues, the loadings\n"
        "of every variable and the scores of every row, as CSV or JSON."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption scaling(
        {QStringLiteral("s"), QStringLiteral("scaling")},
        QStringLiteral("Cross-product matrix: scatter, covariance (default) or correlation."),
        QStringLiteral("scaling"), ScalingNames[psCovariance]);
    const QCommandLineOption components(
        {QStringLiteral("k"), QStringLiteral("components")},
        QStringLiteral("Loadings and scores on the first K components (default: all)."),
        QStringLiteral("K"));
    const QCommandLineOption format({QStringLiteral("f"), QStringLiteral("format")},
                                    QStringLiteral("csv (default) or json."),
                                    QStringLiteral("format"), QStringLiteral("csv"));
    const QCommandLineOption out(
        {QStringLiteral("o"), QStringLiteral("out")},
        QStringLiteral("Write files into DIR (made when missing) instead of standard output."),
        QStringLiteral("DIR"));
    const QCommandLineOption solver(
        QStringLiteral("solver"),
        QStringLiteral("jacobi (default: the window's numbers to the last bit) or fast (LAPACK)."),
        QStringLiteral("solver"), QStringLiteral("jacobi"));
    parser.addOptions({scaling, components, format, out, solver});
    parser.addPositionalArgument(QStringLiteral("FILE.asc"), QStringLiteral("The data file."));

    if (!parser.parse(Arguments)) {
        UsageError(parser.errorText());
        return std::nullopt;
    }
    if (parser.isSet(help)) parser.showHelp(exDone);
    if (parser.isSet(version)) parser.showVersion();

    TOptions o;
    const QStringList files = parser.positionalArguments();
    if (files.size() != 1) {
        UsageError(files.isEmpty() ? QStringLiteral("No data file given.")
                                   : QStringLiteral("One data file at a time."));
        return std::nullopt;
    }
    o.File = files.first();
    o.Scaling = int(ScalingNames.indexOf(parser.value(scaling)));
    if (o.Scaling < 0) {
        UsageError(QStringLiteral("Unknown scaling \"%1\".").arg(parser.value(scaling)));
        return std::nullopt;
    }
    if (parser.isSet(components)) {
        bool ok = false;
        o.Components = parser.value(components).toInt(&ok);
        if (!ok || o.Components < 1) {
            UsageError(QStringLiteral("The number of components must be a whole number of 1 or "
                                      "more, not \"%1\".")
                           .arg(parser.value(components)));
            return std::nullopt;
        }
    }
    const QString formatName = parser.value(format);
    if (formatName != QLatin1String("csv") && formatName != QLatin1String("json")) {
        UsageError(QStringLiteral("Unknown format \"%1\".").arg(formatName));
        return std::nullopt;
    }
    o.Json = formatName == QLatin1String("json");
    o.OutDir = parser.value(out);
    const QStringList solvers = {QStringLiteral("jacobi"), QStringLiteral("fast")};
    if (!solvers.contains(parser.value(solver))) {
        UsageError(QStringLiteral("Unknown solver \"%1\".").arg(parser.value(solver)));
        return std::nullopt;
    }
    o.Solver = TSolverKind(solvers.indexOf(parser.value(solver)));
    return o;
}

QString AscCodeMeaning(int Code)
{
    switch (Code) {
    case ascBadColumnCount:
        return QStringLiteral("line 2 is not a positive number of columns");
    case ascBadRowCount:
        return QStringLiteral("line 3 is not a positive number of rows");
    case ascBadSwitch:
        return QStringLiteral("a switch on line 4 is neither TRUE nor FALSE");
    case ascLineFeedEnding:
        return QStringLiteral("line 1 holds a line feed: lines must end with CR LF");
    case ascBadClassNumber:
        return QStringLiteral("a class number is not a number");
    case ascBadCell:
        return QStringLiteral("a cell is not a number");
    case ascFileNotFound:
        return QStringLiteral("the file does not exist");
    default:
        return QStringLiteral("unknown error");
    }
}

// Loads the whole file; any code but success, also a row error that leaves part of the table,
// counts as unreadable: an analysis of part of the data would pass for one of all of it.
bool ReadTable(TDataTable& Table, const QString& File)
{
    const QString what = QStringLiteral("cannot read \"%1\": ").arg(File);
    try {
        const int code = Table.LoadFromASCFile(File);
        if (code == ascOK) return true;
        QString text = what + QStringLiteral("code %1, %2").arg(code).arg(AscCodeMeaning(code));
        if (code == ascBadClassNumber || code == ascBadCell)
            text += QStringLiteral(" (row %1)").arg(Table.NrOfRows());
        Complain(text);
    } catch (const Exception& error) {
        Complain(what + error.Message());
    } catch (const std::exception& error) {
        Complain(what + QString::fromLocal8Bit(error.what()));
    }
    return false;
}

// Writes one file through a sink; false, with a message, when it cannot be written.
bool WriteFile(const QString& Path, const std::function<void(TTextSink&)>& Write)
{
    std::FILE* file = std::fopen(QFile::encodeName(Path).constData(), "wb");
    bool ok = file != nullptr;
    if (ok) {
        {
            TTextSink sink(file);
            Write(sink);
            ok = sink.Flush();
        }
        ok = std::fclose(file) == 0 && ok;
    }
    if (!ok) Complain(QStringLiteral("cannot write \"%1\"").arg(Path));
    return ok;
}

bool WriteToDirectory(const TPCAExport& Export, const TOptions& Options)
{
    if (!QDir().mkpath(Options.OutDir)) {
        Complain(QStringLiteral("cannot make the folder \"%1\"").arg(Options.OutDir));
        return false;
    }
    const QString base =
        QDir(Options.OutDir).filePath(QFileInfo(Options.File).completeBaseName() + '.');
    if (Options.Json)
        return WriteFile(base + QStringLiteral("pca.json"), [&](TTextSink& out) {
            WriteJson(Export, Options.File, ScalingNames[Options.Scaling], out);
        });
    return WriteFile(base + QStringLiteral("eigenvalues.csv"),
                     [&](TTextSink& out) { WriteEigenvaluesCsv(Export, out); }) &&
           WriteFile(base + QStringLiteral("loadings.csv"),
                     [&](TTextSink& out) { WriteLoadingsCsv(Export, out); }) &&
           WriteFile(base + QStringLiteral("scores.csv"),
                     [&](TTextSink& out) { WriteScoresCsv(Export, out); });
}

// The three CSV tables follow each other, each after a line "# name" and apart by a blank line.
bool WriteToStandardOutput(const TPCAExport& Export, const TOptions& Options)
{
    TTextSink out(stdout);
    if (Options.Json) {
        WriteJson(Export, Options.File, ScalingNames[Options.Scaling], out);
    } else {
        out.Put("# eigenvalues\r\n");
        WriteEigenvaluesCsv(Export, out);
        out.Put("\r\n# loadings\r\n");
        WriteLoadingsCsv(Export, out);
        out.Put("\r\n# scores\r\n");
        WriteScoresCsv(Export, out);
    }
    if (out.Flush()) return true;
    Complain(QStringLiteral("cannot write to standard output"));
    return false;
}

int Run(const TOptions& Options)
{
    TDataTable table;
    if (!ReadTable(table, Options.File)) return exUnreadable;

    const TDataTableDataSet data(table);
    const TPCAResult pca =
        BatchComponents(data, Options.Scaling, Options.Solver, isatty(STDERR_FILENO) == 1);
    if (!pca.Ok() && pca.Status != pcaNotFinite) {
        Complain(PCAFailureMessage);
        return exNoComponents;
    }
    TVector mean, stdDev;
    FillMeanStdDev(data, Options.Scaling, mean, stdDev);
    int components = pca.N;
    if (Options.Components > components)
        Complain(QStringLiteral("note: \"%1\" gives %2 components; writing all of them")
                     .arg(Options.File)
                     .arg(components));
    else if (Options.Components > 0)
        components = Options.Components;

    const TPCAExport result = CollectExport(table, pca, mean, stdDev, components);
    if (!result.AllFinite()) {
        Complain(PCAFailureMessage +
                 QStringLiteral(": the results overflow (values too large in the data?)"));
        return exNoComponents;
    }
    const bool written = Options.OutDir.isEmpty() ? WriteToStandardOutput(result, Options)
                                                  : WriteToDirectory(result, Options);
    return written ? exDone : exNoOutput;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("pca-batch"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ZEV_VERSION));
    const std::optional<TOptions> options = ParseOptions(QCoreApplication::arguments());
    return options ? Run(*options) : exUsage;
}
