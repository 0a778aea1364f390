// The words and texts of ASC files: decoding, the keywords compared without regard to case, the
// header's counts and switches, names.
#pragma once

#include <QString>
#include <QStringView>
#include <cstddef>
#include <string>
#include <string_view>

namespace Asc {

// A name token that stands for the empty name.
constexpr std::string_view kEmptyName = "(.;#;.)";

// Text from the file: UTF-8 when it is valid UTF-8, otherwise read as Latin-1 (older files).
QString DecodeText(std::string_view Bytes);
// Cuts a piece of a UTF-8 line before a sequence that the piece's end splits, so that each
// piece decodes on its own.
std::size_t Utf8PieceEnd(const char* Bytes, std::size_t Size);
// Appends Text without its characters below code 32.
void AppendVisible(QString& To, QStringView Text);

bool EqualsNoCase(std::string_view a, std::string_view b);
// Where Needle first occurs in Text from From on, without regard to case; npos when nowhere.
std::size_t FindNoCase(std::string_view Text, std::string_view Needle, std::size_t From = 0);

[[noreturn]] void ThrowNotAnInteger(std::string_view s);
// The integer conversion of the platform: the text must be an integer (EConvertError).
int StrToInt(std::string_view s);

// A header count: a positive integer, then the end of the line or a blank and any text.
bool ParseCount(std::string_view Line, int& Count);
// Line 4: four TRUE/FALSE words, need not be separated. False when one of the first three is
// neither; a missing or different fourth word counts as FALSE.
bool ParseSwitches(std::string_view Line, bool (&Switch)[4]);

// A column or row name as the table stores it: decoded, cut to the name length, never null.
QString NameOf(const std::string& Word);

} // namespace Asc
