// Small stateless helpers shared by the components: number formatting with field width and
// decimals, string cleaning and splitting, integer text recognition, value exchange and rounding
// to whole numbers. Numbers become text with "." whatever the locale.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

// Value as text in a field of |Width| characters (longer text is not cut).
// Decimals >= 0: fixed-point with that many decimals, right-aligned.
// Decimals == -2: scientific notation with a two-digit exponent, |Width| characters; an exponent
//   beyond two digits turns every character into "*".
// Other negative Decimals: scientific notation with a four-digit exponent, |Width| characters.
// Width < 0 pads with "0" instead of blanks, keeping a minus sign in front.
// Ties in the last written digit go to even.
QString FormatNum(int Width, int Decimals, long double Value);

QString ReplaceChar(const QString& S, QChar Old, QChar New);

// S without its characters of code 0..31.
QString StripControlChars(const QString& S);

// Splits S at every Separator (at most 999 of them: the 1000th part holds the rest unsplit) and
// returns the number of parts. An empty S gives one empty part; so does an empty Separator give
// S as its only part.
int SplitString(const QString& S, const QString& Separator, QStringList& Parts);

// The longest start of S of at most MaxUnits UTF-16 units that ends between two characters as
// a reader sees them: a surrogate pair, or a letter with its combining marks, is never split.
QString LeftOnCharBoundary(const QString& S, int MaxUnits);

// S without leading and trailing blanks (code 32 only; tabs stay).
QString TrimBlanks(const QString& S);

// An optional leading "+" or "-" followed by at least one digit, and nothing else.
bool IsIntegerString(const QString& S);

void ExchangeInts(std::int32_t& A, std::int32_t& B);
void ExchangeDoubles(double& A, double& B);
void ExchangeExtendeds(long double& A, long double& B);

// Largest integer not above, respectively smallest integer not below, Value. Values beyond the
// 64-bit range saturate; NaN gives 0.
std::int64_t Floor(double Value);
std::int64_t Ceil(double Value);
