// The console program: one analysis of a data file (ASC or text table), written as CSV or JSON,
// with no window.
#include "Classes.h"
#include "FileNames.h"
#include "ZEV_datatable.h"
#include "ZEV_texttable.h"
#include "analysis.h"
#include "ascstream.h"
#include "fastsolver.h"
#include "missing.h"
#include "pcaexport.h"
#include "safeoutput.h"
#include "textsink.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <functional>
#include <optional>
#include <sys/stat.h>
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
    TMissingMode Missing = mmZero;
    TSolverKind Solver = skJacobi;
    bool Stream = false;
};

void Complain(const QString& Text)
{
    // A file or table name in the message must not drive a terminal.
    const QByteArray bytes = FileNameToBytes(Text);
    const std::string text =
        isatty(STDERR_FILENO) ? ShowControls(bytes.toStdString()) : bytes.toStdString();
    std::fprintf(stderr, "%s: %s\n", qPrintable(QCoreApplication::applicationName()), text.c_str());
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
        "Principal component analysis of a data file (ASC, or a CSV, semicolon- or tab-separated\n"
        "text table): writes the eigenvalues, the loadings of every variable and the scores of\n"
        "every row, as CSV or JSON."));
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
    const QCommandLineOption missing(
        QStringLiteral("missing"),
        QStringLiteral("Empty cells and cells that are not numbers: zero (default; analysed as the "
                       "0 they hold, with a note), drop (their rows left out) or error."),
        QStringLiteral("mode"), QStringLiteral("zero"));
    const QCommandLineOption solver(
        QStringLiteral("solver"),
        QStringLiteral("jacobi (default: the window's numbers to the last bit) or fast (LAPACK)."),
        QStringLiteral("solver"), QStringLiteral("jacobi"));
    const QCommandLineOption stream(
        QStringLiteral("stream"),
        QStringLiteral("Read an ASC file in passes, with memory that does not grow with its rows "
                       "(chosen by itself for a file larger than a quarter of the memory)."));
    parser.addOptions({scaling, components, format, out, missing, solver, stream});
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("The data file: FILE.asc or a text table."));

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
    if (parser.isSet(out) && o.OutDir.isEmpty()) {
        UsageError(QStringLiteral("The folder of --out must not be empty."));
        return std::nullopt;
    }
    const std::optional<TMissingMode> mode = MissingModeFromName(parser.value(missing));
    if (!mode) {
        UsageError(QStringLiteral("Unknown missing-value mode \"%1\".").arg(parser.value(missing)));
        return std::nullopt;
    }
    o.Missing = *mode;
    const QStringList solvers = {QStringLiteral("jacobi"), QStringLiteral("fast")};
    if (!solvers.contains(parser.value(solver))) {
        UsageError(QStringLiteral("Unknown solver \"%1\".").arg(parser.value(solver)));
        return std::nullopt;
    }
    o.Solver = TSolverKind(solvers.indexOf(parser.value(solver)));
    o.Stream = parser.isSet(stream);
    if (o.Stream && TableFileKind(o.File) != tfAsc) {
        UsageError(
            QStringLiteral("--stream reads ASC files only; \"%1\" is a text table.").arg(o.File));
        return std::nullopt;
    }
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
    default:
        return QStringLiteral("unknown error");
    }
}

// Why a name is no file to read: it is missing, or it names something else.
QString NotAFileMeaning(const QString& File)
{
    struct stat info {};
    if (::stat(FileNameToBytes(File).constData(), &info) != 0)
        return errno == ENOENT ? QStringLiteral("the file does not exist") : SystemReason(errno);
    if (S_ISDIR(info.st_mode)) return QStringLiteral("it is a folder, not a file");
    if (S_ISFIFO(info.st_mode)) return QStringLiteral("it is a pipe, not a regular file");
    if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode))
        return QStringLiteral("it is a device, not a regular file");
    return QStringLiteral("it is not a regular file");
}

QString CannotRead(const QString& File)
{
    return QStringLiteral("cannot read \"%1\": ").arg(File);
}

// A code of the ASC reader: Explained is the code whose meaning explains it, Row the row that
// failed (the table ends with it).
void ComplainAscCode(const QString& File, int Code, int Explained, int Row)
{
    const QString meaning =
        Code == ascFileNotFound ? NotAFileMeaning(File) : AscCodeMeaning(Explained);
    QString text = CannotRead(File) + QStringLiteral("code %1, %2").arg(Code).arg(meaning);
    if (Code == ascBadClassNumber || Code == ascBadCell)
        text += QStringLiteral(" (row %1)").arg(Row);
    Complain(text);
}

// Runs Read, telling what it raises as a reason File cannot be read; false then.
bool Reading(const QString& File, const std::function<bool()>& Read)
{
    try {
        return Read();
    } catch (const Exception& error) {
        Complain(CannotRead(File) + error.Message());
    } catch (const std::exception& error) {
        Complain(CannotRead(File) + QString::fromLocal8Bit(error.what()));
    }
    return false;
}

// Loads the whole file; any code but success, also a row error that leaves part of the table,
// counts as unreadable: an analysis of part of the data would pass for one of all of it.
bool ReadTable(TDataTable& Table, const QString& File)
{
    return Reading(File, [&] {
        const TTableFileResult result = LoadTableFile(Table, File);
        if (result.Ok()) return true;
        if (result.Kind == tfText) {
            Complain(CannotRead(File) + result.Text.Text());
            return false;
        }
        ComplainAscCode(File, result.AscCode, Table.ExplainAscCode(result.AscCode),
                        Table.NrOfRows());
        return false;
    });
}

// Writes the score rows (all of them, or a chunk at a time) after the scores' header.
using TScoreRows = std::function<void(TTextSink& Out, bool Json)>;

// The files appear together and complete, or not at all.
bool WriteToDirectory(const TPCAExport& Export, const TOptions& Options, const TScoreRows& Rows)
{
    if (!QDir().mkpath(Options.OutDir)) {
        Complain(QStringLiteral("cannot make the folder \"%1\"").arg(Options.OutDir));
        return false;
    }
    const QString base =
        QDir(Options.OutDir).filePath(QFileInfo(Options.File).completeBaseName() + '.');
    TOutputSet files;
    const bool written =
        Options.Json ? files.Write(base + QStringLiteral("pca.json"),
                                   [&](TTextSink& out) {
                                       WriteJsonHead(Export, Options.File,
                                                     ScalingNames[Options.Scaling], out);
                                       Rows(out, true);
                                       WriteJsonTail(out);
                                   })
                     : files.Write(base + QStringLiteral("eigenvalues.csv"),
                                   [&](TTextSink& out) { WriteEigenvaluesCsv(Export, out); }) &&
                           files.Write(base + QStringLiteral("loadings.csv"),
                                       [&](TTextSink& out) { WriteLoadingsCsv(Export, out); }) &&
                           files.Write(base + QStringLiteral("scores.csv"), [&](TTextSink& out) {
                               WriteScoresCsvHeader(Export, out);
                               Rows(out, false);
                           });
    if (written && files.Commit()) return true;
    Complain(files.Error());
    return false;
}

// The three CSV tables follow each other, each after a line "# name" and apart by a blank line.
bool WriteToStandardOutput(const TPCAExport& Export, const TOptions& Options,
                           const TScoreRows& Rows)
{
    TTextSink out(stdout);
    out.SetShowControls(isatty(STDOUT_FILENO));
    if (Options.Json) {
        WriteJsonHead(Export, Options.File, ScalingNames[Options.Scaling], out);
        Rows(out, true);
        WriteJsonTail(out);
    } else {
        out.Put("# eigenvalues\r\n");
        WriteEigenvaluesCsv(Export, out);
        out.Put("\r\n# loadings\r\n");
        WriteLoadingsCsv(Export, out);
        out.Put("\r\n# scores\r\n");
        WriteScoresCsvHeader(Export, out);
        Rows(out, false);
    }
    if (out.Flush()) return true;
    Complain(QStringLiteral("cannot write to standard output: %1").arg(SystemReason(out.Errno())));
    return false;
}

int Write(const TPCAExport& Export, const TOptions& Options, const TScoreRows& Rows)
{
    const bool written = Options.OutDir.isEmpty() ? WriteToStandardOutput(Export, Options, Rows)
                                                  : WriteToDirectory(Export, Options, Rows);
    return written ? exDone : exNoOutput;
}

// The components to write of the N there are, with a note when more were asked for.
int ComponentsToWrite(const TOptions& Options, int N)
{
    if (Options.Components > N)
        Complain(QStringLiteral("note: \"%1\" gives %2 components; writing all of them")
                     .arg(Options.File)
                     .arg(N));
    return Options.Components > 0 && Options.Components <= N ? Options.Components : N;
}

void ComplainOverflow()
{
    Complain(PCAFailureMessage +
             QStringLiteral(": the results overflow (values too large in the data?)"));
}

int RunInMemory(const TOptions& Options)
{
    TDataTable table;
    if (!ReadTable(table, Options.File)) return exUnreadable;
    switch (HandleMissingCells(table, Options.File, Options.Missing, Complain)) {
    case moRefused:
        return exUnreadable;
    case moNoRowLeft:
        return exNoComponents;
    case moAnalyse:
        break;
    }

    const TDataTableDataSet data(table);
    const TPCAResult pca =
        BatchComponents(data, Options.Scaling, Options.Solver, isatty(STDERR_FILENO) == 1);
    if (!pca.Ok() && pca.Status != pcaNotFinite) {
        Complain(PCAFailureMessage);
        return exNoComponents;
    }
    TVector mean, stdDev;
    FillMeanStdDev(data, Options.Scaling, mean, stdDev);
    const int components = ComponentsToWrite(Options, pca.N);
    const TPCAExport result = CollectExport(table, pca, mean, stdDev, components);
    if (!result.AllFinite()) {
        ComplainOverflow();
        return exNoComponents;
    }
    return Write(result, Options, [&result](TTextSink& Out, bool Json) {
        Json ? WriteJsonScoreRows(result, Out) : WriteScoreRowsCsv(result, Out);
    });
}

// The same in passes over the file; what goes wrong while it is read again after the first pass
// (the file changed) counts as unreadable.
int RunStreamed(const TOptions& Options)
{
    const QString& file = Options.File;
    struct stat info {};
    if (::stat(FileNameToBytes(file).constData(), &info) != 0 || !S_ISREG(info.st_mode)) {
        ComplainAscCode(file, ascFileNotFound, ascFileNotFound, 0);
        return exUnreadable;
    }
    TAscStream stream({file, Options.Scaling, Options.Missing, Options.Solver,
                       isatty(STDERR_FILENO) == 1, Complain});
    TStreamOutcome outcome = soAscError;
    if (!Reading(file, [&] {
            outcome = stream.Analyse();
            return true;
        }))
        return exUnreadable;
    switch (outcome) {
    case soAscError:
        ComplainAscCode(file, stream.AscCode(), stream.ExplainedAscCode(), stream.AscRow());
        return exUnreadable;
    case soRefused:
        return exUnreadable;
    case soNoComponents:
        return exNoComponents;
    case soNeedsTable:
        return UsageError(QStringLiteral("--solver fast decomposes a table of fewer rows than "
                                         "columns through its rows: run it without --stream."));
    case soAnalysed:
        break;
    }
    const int components = ComponentsToWrite(Options, stream.Result().N);
    bool finite = false;
    if (!Reading(file, [&] { return finite = stream.Collect(components), true; }))
        return exUnreadable;
    if (!finite) {
        ComplainOverflow();
        return exNoComponents;
    }
    int status = exNoOutput;
    if (!Reading(file, [&] {
            status = Write(stream.Export(), Options, [&stream](TTextSink& Out, bool Json) {
                stream.WriteScoreRows(Out, Json);
            });
            return true;
        }))
        return exUnreadable;
    return status;
}

// --stream, or an ASC file larger than a quarter of the memory, which is then said.
bool ReadsInPasses(const TOptions& Options)
{
    if (Options.Stream) return true;
    struct stat info {};
    if (::stat(FileNameToBytes(Options.File).constData(), &info) != 0 || !S_ISREG(info.st_mode) ||
        TableFileKind(Options.File) != tfAsc)
        return false;
    const double memory = double(sysconf(_SC_PHYS_PAGES)) * double(sysconf(_SC_PAGESIZE));
    if (!(memory > 0 && double(info.st_size) > memory / 4)) return false;
    Complain(QStringLiteral("note: \"%1\" is larger than a quarter of the memory: reading it in "
                            "passes (--stream)")
                 .arg(Options.File));
    return true;
}

int Run(const TOptions& Options)
{
    return ReadsInPasses(Options) ? RunStreamed(Options) : RunInMemory(Options);
}

} // namespace

int main(int argc, char** argv)
{
    // A file too large for the limits is a write error to report, not a reason to die.
    std::signal(SIGXFSZ, SIG_IGN);
    ParkBlasThreads();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("pca-batch"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ZEV_VERSION));
    // Taken from the bytes, not from Qt's decoding, so that every file name the system accepts
    // arrives intact.
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << FileNameFromBytes(argv[i]);
    const std::optional<TOptions> options = ParseOptions(arguments);
    return options ? Run(*options) : exUsage;
}
