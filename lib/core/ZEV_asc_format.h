// The ASC data file format read without a table: the header, the column names, one row of the
// token stream into whatever holds it, and the trailing sections. The table's reader and the
// console program's row source both read through these, so that codes, cuts and messages agree.
#pragma once

#include "ZEV_asc_input.h"
#include "ZEV_asc_number.h"
#include "ZEV_datatable.h"

#include <QString>
#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <string_view>

struct TAscHeader {
    int Columns = 0, Rows = 0;
    // Each row begins with a class number, column names follow the header, each row has a
    // name, a level-of-measurement section follows the data.
    bool Switch[4] = {false, false, false, false};
    TLineSpan Comment; // line 1, whose text is read only once the header has passed
    bool HasClasses() const { return Switch[0]; }
    bool HasColumnNames() const { return Switch[1]; }
    bool HasRowNames() const { return Switch[2]; }
    bool HasLevels() const { return Switch[3]; }
    // The code whose meaning explains Code (see TDataTable::ExplainAscCode).
    int Explain(int Code) const
    {
        return Code == ascBadColumnCount && Comment.HasLineFeed ? ascLineFeedEnding : Code;
    }
};

// Lines 1 to 4: ascOK, or the code of the first line that fails.
int ReadAscHeader(TAscInput& In, TAscHeader& Header);
// Line 1 without its characters below code 32, read again from the file in pieces.
QString ReadAscComment(const QString& FileName, const TLineSpan& Span);
// One name per column to Name(Column, Text), Column from 0; returns how many were there before
// the end of the file (the rest are empty).
int ReadAscColumnNames(TAscInput& In, int Columns, const std::function<void(int, QString)>& Name);

// The parenthesised cell "(" "number)": the number with the ")" attached.
bool ParseAscParenthesised(std::string_view Tok, double& Value);

// One row of the token stream: class number, name and cells go to Sink, which offers
// Class(int), Name(std::string), double& Cell(Column) and State(Column, byte) for the special
// tokens (whose cells hold 0 or the number in parentheses); columns from 0. Returns ascOK,
// ascBadClassNumber or ascBadCell, with Filled the cells read before the bad one.
// The class a row's number gives, rounded; false when no attribute can hold it, which makes it
// as unreadable as a word.
inline bool AscClassOf(double Value, int& Class)
{
    Value = std::nearbyint(Value);
    if (!(Value >= double(std::numeric_limits<int>::min()) &&
          Value <= double(std::numeric_limits<int>::max())))
        return false;
    Class = int(Value);
    return true;
}

template <class Sink> int ReadAscRow(TAscInput& In, const TAscHeader& Header, Sink& S, int& Filled)
{
    if (Header.HasClasses()) {
        double v = 0;
        int cls = 0;
        if (!ParseAscNumber(In.ScanWord(), v) || !AscClassOf(v, cls)) return ascBadClassNumber;
        S.Class(cls);
    }
    if (Header.HasRowNames()) S.Name(In.ReadWord());
    for (int c = 0; c < Header.Columns; ++c) {
        double v = 0;
        double& cell = S.Cell(c);
        if (In.FastNumber(v)) {
            cell = v;
            continue;
        }
        std::string_view tok = In.ScanWord();
        if (ParseAscNumber(tok, v)) {
            cell = v;
        } else if (tok == "NAN") {
            cell = 0;
            S.State(c, dtcsNotANumber);
        } else if (tok == "###") {
            cell = 0;
            S.State(c, dtcsEmpty);
        } else if (tok == "(" && ParseAscParenthesised(In.ScanWord(), v)) {
            cell = v;
            S.State(c, dtcsParenthesis);
        } else {
            Filled = c;
            return ascBadCell;
        }
    }
    return ascOK;
}

// The lines of the level-of-measurement sections up to the end of the file: Level(Column,
// Level) for each line, then Label(Column, Value, Text) for each of its labels; columns from 1.
// A column number or label value that is not an integer raises EConvertError.
void ReadAscLevels(TAscInput& In, const std::function<void(int, TMeasLevel)>& Level,
                   const std::function<void(int, int, const QString&)>& Label);
// The custom data section, when there is one: keys into Custom[0], values into Custom[1].
void ReadAscCustomData(TAscInput& In, TStr2DArray& Custom);
