// The main window for the plot tests, with the plots' context menu opened by a real right click
// and driven as a user would.
#pragma once

#include "MenuPicker.h"
#include "RecordingDialogs.h"
#include "exportservice.h"
#include "mainfrm.h"
#include "plotcontroller.h"

#include <QDir>
#include <QPrinter>
#include <gtest/gtest.h>

inline void PrintTo(const QString& S, std::ostream* Os)
{
    *Os << '"' << S.toStdString() << '"';
}

// Answers the save dialog with FileName and the print dialog by printing to PrintFile as PDF.
class TAnsweringExport : public TExportService {
  public:
    QString FileName, PrintFile;
    QString SaveFileName(QWidget*, const QString&) override { return FileName; }
    bool SetUpPrinter(QWidget*, QPrinter& Printer) override
    {
        Printer.setOutputFormat(QPrinter::PdfFormat);
        Printer.setOutputFileName(PrintFile);
        return !PrintFile.isEmpty();
    }
};

class PlotWindow : public ::testing::Test {
  protected:
    void SetUp() override
    {
        AnalysisStartUp();
        SetExportService(&exports);
        form = std::make_unique<TForm1>();
        form->show();
        QDir().mkpath(Pictures());
    }
    void TearDown() override { SetExportService(nullptr); }

    static QString Pictures() { return QStringLiteral(ZEV_TEST_OUTPUT_DIR); }
    void NewDataAndPCA()
    {
        QTest::mouseClick(form->BButNewData, Qt::LeftButton);
        QTest::mouseClick(form->BButPerformPCA, Qt::LeftButton);
    }
    // Loads an example and runs the analysis with scaling 0..2.
    void LoadAndPCA(const char* Name, int Scaling)
    {
        form->LoadDataFile(QStringLiteral(ZEV_EXAMPLES_DIR "/") + QString::fromLatin1(Name));
        form->RGScaling->SetItemIndex(Scaling);
        QTest::mouseClick(form->BButPerformPCA, Qt::LeftButton);
    }
    TPlotController& Plots() const { return *form->Plots(); }
    TKurvex* Chart(TPlotKind Kind) const
    {
        return Kind == pkScores ? form->KXScores : form->KXLoadings;
    }
    void ShowPage(TPlotKind Kind)
    {
        form->PageControl1->setCurrentWidget(Kind == pkScores ? form->TSScores : form->TSLoadings);
    }
    // A right click in the plot, then the items of Path one after the other.
    void Choose(TPlotKind Kind, const QStringList& Path)
    {
        ShowPage(Kind);
        TMenuPicker picker(Path);
        clicks = (clicks + 1) % 2; // never where the last click was: that makes a double click
        QTest::mouseClick(Chart(Kind), Qt::RightButton, {}, QPoint(100 + 40 * clicks, 100));
        EXPECT_TRUE(picker.Done() && picker.Refused.isEmpty()) << Path.join('/').toStdString();
    }
    // Runs Action with the next modal dialog, then closes it.
    static void WhenModal(std::function<void(QWidget&)> Action)
    {
        auto* timer = new QTimer;
        QObject::connect(timer, &QTimer::timeout, [timer, Action] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal || !modal->isVisible()) return;
            timer->deleteLater();
            Action(*modal);
            modal->close();
        });
        timer->start(10);
    }

    TRecordingDialogs dialogs;
    TScopedDialogService useDialogs{&dialogs};
    TAnsweringExport exports;
    std::unique_ptr<TForm1> form;
    int clicks = 0;
};
