// Reading numbers out of free text, as the table editor does with clipboard text, and the value
// range that entered numbers are kept in. Needs no widget.
#pragma once

#include <QStringView>
#include <cstdint>
#include <functional>

// Which character a number may use as its decimal point.
enum TDecimalSeparator : std::uint8_t { dsPoint = 1, dsComma = 2, dsEither = 3 };

// Results are kept within +-ScanLimit; exponents beyond ScanMaxExponent lose their further digits.
constexpr double ScanLimit = 1.7e308;
constexpr int ScanMaxExponent = 4200;

// "+", "-", "." or a digit.
bool CanStartNumber(QChar C);

// Reads one number at Pos (0-based): leading blanks, a sign, digits with one decimal separator
// and, when ExponentAllowed, "E" with an optional sign and digits. Pos is left on the character
// that ended the scan. Malformed text (a second separator, a sign alone) reads as 0; the result
// is limited to +-ScanLimit.
double ScanNumber(QStringView Text, bool ExponentAllowed, TDecimalSeparator Separator,
                  qsizetype& Pos);

// Places of numbers found in a text: Index counts numbers within a line, Line counts lines, both
// from 0.
using TExtractSink = std::function<void(int Index, int Line, double Value)>;
struct TExtractExtent {
    int Columns = 0; // largest Index + 1; 0 when no number was found
    int Rows = 0;    // largest Line + 1
};

// Hands every number of Text to Sink. LF, CR LF and CR each end a line, blank lines included, so
// text line k fills row k. Blanks separate numbers; a tab also moves on to the next cell, so an
// empty or "####" field between tabs keeps its cell. In a text with tabs "," is a decimal point
// (cells copied from a spreadsheet of such a locale); otherwise it separates numbers like a
// blank. A character that ends a number, other than a line end or tab, is not read again, so
// "1-2" gives 1 and 2.
TExtractExtent ExtractNumbers(QStringView Text, const TExtractSink& Sink);

// The value range of entered numbers. Both bounds 0: no range. Low <= High: [Low, High]. A
// reversed pair usually means only one bound was set and the other left at 0: the bound left at
// 0 is then no bound at all ([5, 0] keeps values at or above 5). Two non-zero reversed bounds
// are taken in order.
double ClampToValueRange(double Value, double Low, double High);
