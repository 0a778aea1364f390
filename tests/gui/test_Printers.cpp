// Printing a chart through the printer canvas into a PDF file: pages, page size, text that a
// reader finds in the file, fonts that keep their point size, marks drawn as strokes.
#include "Printers.h"
#include "ZEV_kurvex.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
QString PdfText(const QString& File)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {File, QStringLiteral("-")});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

QString PdfInfo(const QString& File)
{
    QProcess p;
    p.start(QStringLiteral("pdfinfo"), {File});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

void FillChart(TKurvex& K)
{
    K.SetBounds(0, 0, 1800, 1200);
    K.SetCaption(QStringLiteral("Score/Score Plot - Covariance Matrix"));
    K.Scale1X()->SetCaption(QStringLiteral("PC 1"));
    K.Scale1Y()->SetCaption(QStringLiteral("PC 2"));
    for (int i = 0; i < 30; ++i) {
        K.SetDataColor(i % 2 ? clRed : clBlue);
        K.AddMark(i, (i * 7) % 11, 6);
    }
    K.AddText(15, 5, 8, QStringLiteral("label"));
    K.AutoRange(1, 3);
}
} // namespace

TEST(Printer, ChartPrintedToPdfHasItsPagesSizeAndTexts)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    QDir().mkpath(QStringLiteral(ZEV_TEST_OUTPUT_DIR));
    const QString file = QStringLiteral(ZEV_TEST_OUTPUT_DIR "/kurvex_printed.pdf");
    QFile::remove(file);
    TKurvex k;
    FillChart(k);
    {
        TPrinter printer(file, 300);
        EXPECT_EQ(printer.PixelsPerInchY(), 300);
        // A4 at 300 dots per inch, less the printer's margins.
        EXPECT_NEAR(printer.PageWidth(), 2480, 200);
        EXPECT_NEAR(printer.PageHeight(), 3508, 200);
        printer.BeginDoc();
        EXPECT_TRUE(printer.Printing());
        k.PaintTo(printer.Canvas());
        printer.NewPage();
        k.PaintTo(printer.Canvas());
        printer.EndDoc();
        EXPECT_FALSE(printer.Printing());
    }
    QFile pdf(file);
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.read(5).startsWith("%PDF-"));
    EXPECT_GT(pdf.size(), 2000);
    const QString info = PdfInfo(file);
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+2\\b"))))
        << info.toStdString();
    EXPECT_TRUE(info.contains(QStringLiteral("A4"))) << info.toStdString();
    const QString text = PdfText(file);
    EXPECT_EQ(text.count(QStringLiteral("PC 1")), 2) << text.toStdString();
    EXPECT_EQ(text.count(QStringLiteral("Score/Score Plot - Covariance Matrix")), 2);
    EXPECT_EQ(text.count(QStringLiteral("label")), 2);
}

TEST(Printer, FontsKeepTheirPointSizeAtThePrinterResolution)
{
    QTemporaryDir dir;
    TPrinter printer(dir.filePath(QStringLiteral("fonts.pdf")), 600);
    TBitmap screen;
    screen.SetSize(10, 10);
    for (TCanvas* c : {printer.Canvas(), screen.Canvas()}) c->Font()->SetSize(10);
    const double ratio = double(printer.Canvas()->TextHeight(QStringLiteral("Ag"))) /
                         screen.Canvas()->TextHeight(QStringLiteral("Ag"));
    EXPECT_NEAR(ratio, 600.0 / 96.0, 0.5);
    EXPECT_TRUE(printer.Canvas()->IsPrinter());
    EXPECT_FALSE(screen.Canvas()->IsPrinter());
}
