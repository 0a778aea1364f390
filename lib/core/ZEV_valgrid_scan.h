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

// A run of numbers found on one line of a text: Values[k] belongs to cell First + k of line
// Line, both counted from 0.
struct TExtractRun {
    int Line;
    int First;
    const double* Values;
    int Count;
};
using TExtractSink = std::function<void(const TExtractRun& Run)>;
struct TExtractExtent {
    int Columns = 0; // largest cell index + 1; 0 when no number was found
    int Rows = 0;    // largest line + 1
};

// Hands every number of Text to Sink, line by line, in runs of neighbouring cells. Line 0 is the
// line of the first number: heading lines before it do not count. After it LF, CR LF and CR each
// end a line, blank lines included, so text line k after the first number's line fills row k.
// Text with tabs is read cell by cell (a tab ends a cell, "," is a decimal point as spreadsheets
// of such a locale write it): a cell whose text, blanks aside, is one number gives that number;
// any other cell, empty, "####" or a word, gives nothing and keeps its place. Text without tabs
// is read for the numbers inside it: blanks and "," separate numbers, other characters are
// skipped, and a character that ends a number, other than a line end, is not read again, so
// "1-2" gives 1 and 2.
TExtractExtent ExtractNumbers(QStringView Text, const TExtractSink& Sink);

// The value range of entered numbers. Both bounds 0: no range. Low <= High: [Low, High]. A
// reversed pair usually means only one bound was set and the other left at 0: the bound left at
// 0 is then no bound at all ([5, 0] keeps values at or above 5). Two non-zero reversed bounds
// are taken in order.
double ClampToValueRange(double Value, double Low, double High);
