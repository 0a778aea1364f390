#include "exportservice.h"

#include <QFileDialog>
#include <QPrintDialog>

namespace {
TExportService* installed = nullptr;
}

QString TExportService::SaveFileName(QWidget* Parent, const QString& Filter)
{
    return QFileDialog::getSaveFileName(Parent, QStringLiteral("Save Image As"), QString(), Filter);
}

bool TExportService::SetUpPrinter(QWidget* Parent, QPrinter& Printer)
{
    QPrintDialog dialog(&Printer, Parent);
    return dialog.exec() == QDialog::Accepted;
}

TExportService& ExportService()
{
    static TExportService toolkit;
    return installed ? *installed : toolkit;
}

void SetExportService(TExportService* Service)
{
    installed = Service;
}
