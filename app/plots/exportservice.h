// The two questions image export asks the user, where to save and how to print, behind a
// replaceable service so that tests can answer them.
#pragma once

#include <QString>

class QPrinter;
class QWidget;

class TExportService {
  public:
    virtual ~TExportService() = default;
    // A file name for an image, or empty when the user cancelled; Filter lists the formats.
    virtual QString SaveFileName(QWidget* Parent, const QString& Filter);
    // Shows the platform's print dialog for Printer; false when the user cancelled.
    virtual bool SetUpPrinter(QWidget* Parent, QPrinter& Printer);
};

TExportService& ExportService();
// Installs a service (nullptr restores the toolkit's dialogs); the caller keeps ownership.
void SetExportService(TExportService* Service);
