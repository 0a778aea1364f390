// The rows of an ASC file read a chunk at a time into a buffer of the caller, without a table:
// passes over a file larger than memory. Same format, same codes as the table's reader.
#pragma once

#include "ZEV_asc_format.h"
#include "ZEV_asc_tokenrows.h"

#include <QString>
#include <cstdint>
#include <vector>

// Rows 0..Rows-1 of one chunk.
struct TAscRowChunk {
    int Columns = 0, Capacity = 0, Rows = 0;
    std::vector<double> Cells;        // column c of row i at c Capacity + i
    std::vector<std::uint8_t> States; // the same places: the cell state bits of special tokens
    std::vector<int> Classes;         // 0 without class numbers
    std::vector<QString> Names;       // when asked for, and the file has row names
    int Marked = 0;                   // 0: no state byte is set

    void Reset(int AColumns, int ACapacity);
    const double* Column(int Col) const { return Cells.data() + Offset(Col, 0); }
    std::uint8_t State(int Col, int Row) const { return States[Offset(Col, Row)]; }
    std::size_t Offset(int Col, int Row) const
    {
        return std::size_t(Col) * std::size_t(Capacity) + std::size_t(Row);
    }
};

class TAscRowSource {
  public:
    // Raises EInOutError when the file cannot be opened.
    explicit TAscRowSource(const QString& FileName);
    // Reads the header and the column names: ascOK or the header's code.
    int Open();
    const TAscHeader& Header() const { return FHeader; }
    // The column names as the table would hold them: null for the default name.
    const std::vector<QString>& ColumnNames() const { return FColumnNames; }
    // Up to Chunk.Capacity more rows, with their names when WithNames. ascOK, or the code of the
    // row that failed, row RowsRead() + 1; Chunk then holds the rows before it.
    int Read(TAscRowChunk& Chunk, bool WithNames);
    long long RowsRead() const { return FRowsRead; }
    bool AtEnd() const { return FRowsRead == FHeader.Rows; }
    // The level-of-measurement sections after the rows, from wherever the rows stopped: raises
    // EConvertError as the table's reader does.
    void ReadLevels(const std::function<void(int, TMeasLevel)>& Level);

  private:
    TAscInput FIn;
    TAscHeader FHeader;
    TAscTokenRows FTokenRows;
    std::vector<QString> FColumnNames;
    long long FRowsRead = 0;
};
