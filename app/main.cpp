#include "analysis.h"
#include "application.h"
#include "mainfrm.h"

#include <QCommandLineParser>
#include <QTimer>

int main(int argc, char** argv)
{
    TApplication app(argc, argv);
    TApplication::setApplicationVersion(QStringLiteral(ZEV_VERSION));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Principal component analysis of a data table."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("A data file (ASC or text table) to load at start."),
                                 QStringLiteral("[FILE]"));
    parser.process(app);

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
