// Delimited text tables (CSV, semicolon- or tab-separated, as spreadsheets and data tools write
// them) read into a TDataTable, and the loading of a data file of either kind, ASC or text.
//
// A text table: RFC 4180 fields (quotes around a field allow separators, quotes written twice
// and line breaks inside it), UTF-8 with or without a byte order mark (names that are not valid
// UTF-8 are read as Latin-1), lines ending in CR LF, LF or CR, blank lines skipped. The separator
// is found from the first lines: tab, semicolon or comma; with semicolons "2,5" reads as 2.5.
// The first line is the heading (the column names) unless every field after its first is a
// number. A first column whose first cell is text holds the row names (the heading may then
// leave it out, one field shorter than the rows). A column headed "class" (any case) whose cells
// are all whole numbers 0..255 gives the rows' class numbers (RowAttrib) and is no data column.
// A cell "", "NA", "NaN" or "?" is empty (state dtcsEmpty, value 0); other text where a number
// belongs is not a number (state dtcsNotANumber, value 0).
#pragma once

#include "ZEV_datatable.h"

#include <QString>

class QIODevice;

// The outcome of reading a text table: success, or where the file went wrong and what was
// expected there.
struct TTextTableResult {
    int Line = 0;     // 1-based; 0: the file as a whole
    int Column = 0;   // 1-based field on that line; 0: the line as a whole
    QString Expected; // empty on success
    bool Ok() const { return Expected.isEmpty(); }
    // "line 4, column 2: expected ...", for a person to read.
    QString Text() const;
};

// Reads the table from the start of Device (a file or buffer that can seek). On a fault in the
// text the table is unchanged and fires nothing. Raises EInOutError when the device cannot be
// read and EZEVDataTableError when the table does not fit in memory (the table is unchanged).
// Memory besides the table itself is one buffer, larger only when a single field is.
TTextTableResult ReadTextTable(TDataTable& Table, QIODevice& Device);
// The same from a file; a missing file or one that is no regular file is a fault.
TTextTableResult ReadTextTable(TDataTable& Table, const QString& FileName);

enum TTableFileKind : std::uint8_t { tfAsc, tfText };

// ASC when the name ends in ".asc" (any case), when the file does not exist (so the ASC
// reader's code says so) or when its first lines are an ASC header (a line, two lines starting
// with a positive whole number, a line starting with TRUE or FALSE); a text table otherwise.
TTableFileKind TableFileKind(const QString& FileName);

struct TTableFileResult {
    TTableFileKind Kind = tfAsc;
    int AscCode = ascOK;   // for an ASC file
    TTextTableResult Text; // for a text table
    bool Ok() const { return Kind == tfAsc ? AscCode == ascOK : Text.Ok(); }
};

// Loads a data file of either kind into Table: LoadFromASCFile or ReadTextTable, with their
// exceptions.
TTableFileResult LoadTableFile(TDataTable& Table, const QString& FileName);
