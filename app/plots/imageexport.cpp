#include "imageexport.h"

#include "ZEV_kurvex.h"

#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPrinter>
#include <QSvgGenerator>

namespace {
// The chart at another size while it is drawn onto a page; the window never sees it, as no
// event is handled in between.
class TTemporarySize {
  public:
    TTemporarySize(TKurvex& Chart, QSize Size) : FChart(Chart), FOld(Chart.size()) { Apply(Size); }
    ~TTemporarySize() { Apply(FOld); }

  private:
    void Apply(QSize Size)
    {
        FChart.SetBounds(FChart.Left(), FChart.Top(), Size.width(), Size.height());
    }
    TKurvex& FChart;
    QSize FOld;
};

// Draws the chart on a vector device whose unit is a screen pixel.
void PaintVectors(TKurvex& Chart, QPaintDevice& Device, int FontPixelsPerInch)
{
    TCanvas canvas(&Device, FontPixelsPerInch);
    // Marks as the screen shows them, not in the thinner line forms meant for printer dots.
    canvas.SetIsPrinter(false);
    Chart.PaintTo(&canvas);
    canvas.ReleaseTarget();
}

bool SaveSvg(TKurvex& Chart, const QString& FileName)
{
    QSvgGenerator svg;
    svg.setFileName(FileName);
    svg.setSize(Chart.size());
    svg.setViewBox(QRect(QPoint(0, 0), Chart.size()));
    svg.setResolution(ScreenPixelsPerInch);
    svg.setTitle(Chart.Caption());
    PaintVectors(Chart, svg, ScreenPixelsPerInch);
    return QFileInfo(FileName).size() > 0;
}

bool SavePdf(TKurvex& Chart, const QString& FileName)
{
    QPrinter printer(QPrinter::HighResolution);
    SetUpPdfPrinter(printer, FileName);
    return PrintChart(Chart, printer) && QFileInfo(FileName).size() > 0;
}
} // namespace

QString ImageFileFilter()
{
    return QStringLiteral("PNG Image (*.png);;SVG Image (*.svg);;PDF Document (*.pdf)");
}

void CopyImage(TKurvex& Chart)
{
    QGuiApplication::clipboard()->setImage(Chart.Picture());
}

bool SaveImage(TKurvex& Chart, const QString& FileName)
{
    const QString suffix = QFileInfo(FileName).suffix().toLower();
    if (suffix == QStringLiteral("svg")) return SaveSvg(Chart, FileName);
    if (suffix == QStringLiteral("pdf")) return SavePdf(Chart, FileName);
    return Chart.Picture().save(FileName, "PNG");
}

QSize FitToPage(QSize Screen, QSize Page)
{
    if (Screen.isEmpty() || Page.isEmpty()) return {};
    return Screen.scaled(Page, Qt::KeepAspectRatio);
}

void SetUpPdfPrinter(QPrinter& Printer, const QString& FileName)
{
    Printer.setOutputFormat(QPrinter::PdfFormat);
    Printer.setOutputFileName(FileName);
    Printer.setPageSize(QPageSize(QPageSize::A4));
    Printer.setPageOrientation(QPageLayout::Landscape);
}

bool PrintChart(TKurvex& Chart, QPrinter& Printer)
{
    // A screen pixel per device unit: marks and lines keep their size on paper, fonts their
    // point size. A printer that keeps its own resolution gets everything at that resolution.
    Printer.setResolution(ScreenPixelsPerInch);
    const QSize size = FitToPage(Chart.size(), QSize(Printer.width(), Printer.height()));
    if (size.isEmpty()) return false;
    const TTemporarySize pageSize(Chart, size);
    PaintVectors(Chart, Printer, Printer.logicalDpiY());
    return true;
}
