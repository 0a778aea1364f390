// The main window for the plot tests: data loaded or generated, the analysis run, and the plots'
// context menu opened with a real right click and driven as a user would.
#pragma once

#include "MenuPicker.h"
#include "RecordingDialogs.h"
#include "analysis.h"
#include "exportservice.h"
#include "mainfrm.h"
#include "plotcontroller.h"

#include <QApplication>
#include <QDir>
#include <QPrinter>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

inline void PrintTo(const QString& S, std::ostream* Os)
{
    *Os << '"' << S.toStdString() << '"';
}

// Answers the save dialog with FileName and the print dialog by printing to PrintFile as PDF.
class TAnsweringExport : public TExportService {
  public:
    QString FileName, PrintFile;
    int Asked = 0;
    QString SaveFileName(QWidget*, const QString&) override { return ++Asked, FileName; }
    bool SetUpPrinter(QWidget*, QPrinter& Printer) override
    {
        ++Asked;
        if (PrintFile.isEmpty()) return false;
        Printer.setOutputFormat(QPrinter::PdfFormat);
        Printer.setOutputFileName(PrintFile);
        Printer.setPageSize(QPageSize(QPageSize::A4));
        return true;
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
    static QString Example(const char* Name)
    {
        return QStringLiteral(ZEV_EXAMPLES_DIR "/") + QString::fromLatin1(Name);
    }
    void NewDataAndPCA()
    {
        QTest::mouseClick(form->BButNewData, Qt::LeftButton);
        QTest::mouseClick(form->BButPerformPCA, Qt::LeftButton);
    }
    // Loads an example and runs the analysis with scaling 0..2.
    void LoadAndPCA(const char* Name, int Scaling)
    {
        form->LoadDataFile(Example(Name));
        form->RGScaling->Button(Scaling)->setChecked(true);
        form->RGScaling->SetItemIndex(Scaling);
        QTest::mouseClick(form->BButPerformPCA, Qt::LeftButton);
    }
    TPlotController& Plots() const { return *form->Plots(); }
    TKurvex* Chart(TPlotKind Kind) const { return Kind == pkScores ? form->KXScores : form->KXLoadings; }
    void ShowPage(TPlotKind Kind)
    {
        form->PageControl1->setCurrentWidget(Kind == pkScores ? form->TSScores : form->TSLoadings);
    }
    // A right click in the plot and the items of Path chosen one after the other.
    void Choose(TPlotKind Kind, const QStringList& Path)
    {
        ShowPage(Kind);
        TMenuPicker picker(Path);
        // Never where the last click was: two would make a double click.
        clicks = (clicks + 1) % 2;
        QTest::mouseClick(Chart(Kind), Qt::RightButton, {}, QPoint(100 + 40 * clicks, 100));
        EXPECT_TRUE(picker.Done()) << Path.join('/').toStdString();
        EXPECT_TRUE(picker.Refused.isEmpty()) << picker.Refused.join('/').toStdString();
    }
    // Runs Action with the first modal dialog that comes up, then closes it.
    static void WhenModal(std::function<void(QWidget&)> Action)
    {
        auto* timer = new QTimer;
        timer->setInterval(10);
        QObject::connect(timer, &QTimer::timeout, [timer, Action] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal || !modal->isVisible()) return;
            timer->stop();
            timer->deleteLater();
            Action(*modal);
            modal->close();
        });
        timer->start();
    }

    TRecordingDialogs dialogs;
    TScopedDialogService useDialogs{&dialogs};
    TAnsweringExport exports;
    std::unique_ptr<TForm1> form;
    int clicks = 0;
};
