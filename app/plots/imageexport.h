// A chart leaving the window as a picture: the clipboard and PNG get the pixels on screen; SVG,
// PDF and the printer get vectors and text, each mark and letter at its size on screen.
#pragma once

#include <QSize>
#include <QString>

class QPrinter;
class TKurvex;

// Screen pixels per inch: the unit in which vector output keeps the on-screen sizes.
constexpr int ScreenPixelsPerInch = 96;

// The formats Save Image As offers, as a file dialog filter.
QString ImageFileFilter();

void CopyImage(TKurvex& Chart);
// Writes by the name's suffix: .svg, .pdf, otherwise PNG; false when writing failed.
bool SaveImage(TKurvex& Chart, const QString& FileName);
// The chart laid out anew to fill Printer's printable area (the on-screen proportions kept),
// marks, lines and texts at their on-screen size; true when a page was written.
bool PrintChart(TKurvex& Chart, QPrinter& Printer);
// The largest size of the proportions of Screen that fits Page.
QSize FitToPage(QSize Screen, QSize Page);
// A PDF printer on an A4 landscape page, at screen pixels per inch.
void SetUpPdfPrinter(QPrinter& Printer, const QString& FileName);
