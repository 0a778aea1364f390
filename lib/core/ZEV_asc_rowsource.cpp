#include "ZEV_asc_rowsource.h"

#include "ZEV_asc_text.h"

#include <algorithm>

namespace {

// Where one row of a chunk goes.
struct TChunkSink {
    TAscRowChunk& Chunk;
    int Row;
    bool WithNames;
    void Class(int Value) { Chunk.Classes[std::size_t(Row)] = Value; }
    void Name(const std::string& Word)
    {
        if (WithNames) Chunk.Names[std::size_t(Row)] = Asc::NameOf(Word);
    }
    double& Cell(int Col) { return Chunk.Cells[Chunk.Offset(Col, Row)]; }
    void State(int Col, std::uint8_t Value)
    {
        Chunk.States[Chunk.Offset(Col, Row)] = Value;
        ++Chunk.Marked;
    }
};

} // namespace

void TAscRowChunk::Reset(int AColumns, int ACapacity)
{
    Columns = AColumns;
    Capacity = ACapacity;
    Rows = 0;
    Marked = 0;
    const std::size_t cells = std::size_t(AColumns) * std::size_t(ACapacity);
    Cells.assign(cells, 0.0);
    States.assign(cells, 0);
    Classes.assign(std::size_t(ACapacity), 0);
    Names.assign(std::size_t(ACapacity), QString());
}

TAscRowSource::TAscRowSource(const QString& FileName)
    : FIn(FileName, TAscTokenRows::kInputBytes), FTokenRows(FHeader)
{
}

int TAscRowSource::Open()
{
    const int code = ReadAscHeader(FIn, FHeader);
    if (code != ascOK) return code;
    if (FHeader.HasColumnNames()) {
        FColumnNames.resize(std::size_t(FHeader.Columns));
        const int read = ReadAscColumnNames(FIn, FHeader.Columns, [this](int Col, QString Name) {
            FColumnNames[std::size_t(Col)] = std::move(Name);
        });
        std::fill(FColumnNames.begin() + read, FColumnNames.end(), Asc::NameOf(std::string()));
    }
    return ascOK;
}

int TAscRowSource::Read(TAscRowChunk& Chunk, bool WithNames)
{
    if (Chunk.Marked > 0) std::fill(Chunk.States.begin(), Chunk.States.end(), 0);
    Chunk.Marked = 0;
    Chunk.Rows = 0;
    while (Chunk.Rows < Chunk.Capacity && !AtEnd()) {
        if (!FHeader.HasRowNames()) {
            int code = ascOK, filled = 0;
            const int rows = FTokenRows.Read(
                FIn, std::min<long long>(Chunk.Capacity - Chunk.Rows, FHeader.Rows - FRowsRead),
                [&](int Row) {
                    return TChunkSink{Chunk, Chunk.Rows + Row, false};
                },
                code, filled);
            Chunk.Rows += rows;
            FRowsRead += rows;
            if (code != ascOK) return code;
            if (rows > 0) continue;
        }
        TChunkSink sink{Chunk, Chunk.Rows, WithNames && FHeader.HasRowNames()};
        int filled = 0;
        const int code = ReadAscRow(FIn, FHeader, sink, filled);
        if (code != ascOK) return code;
        ++Chunk.Rows;
        ++FRowsRead;
    }
    return ascOK;
}

void TAscRowSource::ReadLevels(const std::function<void(int, TMeasLevel)>& Level)
{
    ReadAscLevels(FIn, Level, [](int, int, const QString&) {});
}
