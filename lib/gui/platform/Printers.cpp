#include "Printers.h"

#include <QPrinter>

TPrinter::TPrinter(const QString& PdfFileName, int Resolution)
    : FPrinter(std::make_unique<QPrinter>(QPrinter::HighResolution))
{
    FPrinter->setOutputFormat(QPrinter::PdfFormat);
    FPrinter->setOutputFileName(PdfFileName);
    FPrinter->setResolution(Resolution);
    FCanvas = std::make_unique<TCanvas>(FPrinter.get(), PixelsPerInchY());
    FCanvas->SetIsPrinter(true);
}

TPrinter::~TPrinter()
{
    EndDoc();
}

void TPrinter::BeginDoc()
{
    if (FPrinting) return;
    FPrinting = true;
    FCanvas->Painter(); // opens the document
}

void TPrinter::NewPage()
{
    if (FPrinting) FPrinter->newPage();
}

void TPrinter::EndDoc()
{
    if (!FPrinting) return;
    FCanvas->ReleaseTarget();
    FPrinting = false;
}

int TPrinter::PageWidth() const
{
    return FPrinter->width();
}

int TPrinter::PageHeight() const
{
    return FPrinter->height();
}

int TPrinter::PixelsPerInchY() const
{
    return FPrinter->logicalDpiY();
}
