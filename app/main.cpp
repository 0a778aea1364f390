#include "analysis.h"
#include "application.h"
#include "mainfrm.h"

int main(int argc, char** argv)
{
    TApplication app(argc, argv);
    AnalysisStartUp();
    TForm1 form;
    form.show();
    return app.exec();
}
