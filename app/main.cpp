#include "FileNames.h"
#include "analysis.h"
#include "application.h"
#include "mainfrm.h"

#include <QCommandLineParser>
#include <QTimer>
#include <string_view>

namespace {

void SetUpParser(QCommandLineParser& Parser)
{
    Parser.setApplicationDescription(
        QStringLiteral("Principal component analysis of a data table."));
    Parser.addHelpOption();
    Parser.addVersionOption();
    Parser.addPositionalArgument(
        QStringLiteral("FILE"), QStringLiteral("A data file (ASC or text table) to load at start."),
        QStringLiteral("[FILE]"));
}

// Help and version need no display: they are answered before any GUI object exists, which
// without a display would end the program.
bool AsksForHelpOrVersion(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view a = argv[i];
        if (a == "--") break;
        for (std::string_view option : {"-h", "--help", "-?", "--help-all", "-v", "--version"})
            if (a == option) return true;
    }
    return false;
}

// The arguments from their bytes, so that every file name the system accepts arrives intact.
QStringList Arguments(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << FileNameFromBytes(argv[i]);
    return arguments;
}

} // namespace

int main(int argc, char** argv)
{
    if (AsksForHelpOrVersion(argc, argv)) {
        QCoreApplication app(argc, argv);
        QCoreApplication::setApplicationVersion(QStringLiteral(ZEV_VERSION));
        QCommandLineParser parser;
        SetUpParser(parser);
        parser.process(Arguments(argc, argv)); // answers and exits
    }
    TApplication app(argc, argv);
    TApplication::setApplicationVersion(QStringLiteral(ZEV_VERSION));
    QCommandLineParser parser;
    SetUpParser(parser);
    // argv without the options Qt took for itself.
    parser.process(Arguments(argc, argv));

    AnalysisStartUp();
    TForm1 form;
    form.show();
    const QStringList files = parser.positionalArguments();
    // Loaded once the event loop runs, so that a message about the file shows over the window and
    // an exception reaches the application's handler, as after "Load Data From Disk".
    if (!files.isEmpty())
        QTimer::singleShot(0, &form, [&form, file = files.first()] { form.LoadDataFile(file); });
    return app.exec();
}
