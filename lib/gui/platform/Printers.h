// The printer: a document of pages drawn through one canvas whose fonts keep their point size at
// the printer's resolution. Output goes to a PDF file.
#pragma once

#include "Graphics.h"

#include <QString>
#include <memory>

class QPrinter;

class TPrinter {
  public:
    // Resolution in dots per inch, the unit of every canvas coordinate.
    explicit TPrinter(const QString& PdfFileName, int Resolution = 600);
    ~TPrinter();
    TPrinter(const TPrinter&) = delete;
    TPrinter& operator=(const TPrinter&) = delete;

    // Starts the document on its first page; drawing on the canvas goes to the current page.
    void BeginDoc();
    void NewPage();
    // Finishes and writes the document.
    void EndDoc();
    bool Printing() const { return FPrinting; }
    TCanvas* Canvas() { return FCanvas.get(); }
    // Printable page size in printer pixels.
    int PageWidth() const;
    int PageHeight() const;
    // Vertical resolution in dots per inch: fonts are scaled to it.
    int PixelsPerInchY() const;

  private:
    std::unique_ptr<QPrinter> FPrinter;
    std::unique_ptr<TCanvas> FCanvas;
    bool FPrinting = false;
};
