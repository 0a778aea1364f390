#include "ZEV_asc_rowsource.h"

#include "ZEV_asc_text.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Bytes of input read into tokens at a time: large enough that starting the second core's
// share costs nothing worth counting, a quarter of the input's buffer so that little is moved
// when it is refilled.
constexpr std::size_t kTokenBytes = std::size_t(1) << 20;
constexpr std::size_t kInputBytes = 4 * kTokenBytes;

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

TAscRowSource::TAscRowSource(const QString& FileName) : FIn(FileName, kInputBytes) {}

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
            int code = ascOK;
            const int rows = ReadTokenRows(Chunk, code);
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

int TAscRowSource::ReadTokenRows(TAscRowChunk& Chunk, int& Code)
{
    const std::size_t rowsLeft =
        std::size_t(std::min<long long>(Chunk.Capacity - Chunk.Rows, FHeader.Rows - FRowsRead));
    const std::size_t want =
        FRowBytes > 0 ? std::size_t(FRowBytes * 1.02 * double(rowsLeft)) + 64 : kTokenBytes;
    std::string_view text = FIn.Ahead(std::min(want, kTokenBytes));
    const bool atEnd = FIn.AtEnd();
    if (!atEnd || text.size() > want) {
        // Whole tokens only: up to the last separator.
        std::size_t cut = std::min(text.size(), want);
        while (cut > 0 && !IsAscSeparator(text[cut - 1])) --cut;
        if (cut == 0) return 0;
        text = text.substr(0, cut);
    }
    FTokens.Parse(text);
    const bool tokensEnd = atEnd && text.size() == FIn.Ahead(0).size();
    std::size_t k = 0, consumed = 0;
    int rows = 0;
    while (Chunk.Rows < Chunk.Capacity && !AtEnd()) {
        const int code = RowFromTokens(Chunk, Chunk.Rows, k, tokensEnd);
        if (code == 1) break;
        // A row that ends for want of a token ends with the file.
        consumed = k <= FTokens.Size() && k > 0 ? FTokens.End(k - 1) : consumed;
        if (k > FTokens.Size()) consumed = text.size();
        if (code != ascOK) {
            Code = code;
            break;
        }
        ++Chunk.Rows;
        ++FRowsRead;
        ++rows;
    }
    FIn.Skip(consumed);
    if (rows > 0) FRowBytes = double(consumed) / rows;
    return rows;
}

int TAscRowSource::RowFromTokens(TAscRowChunk& Chunk, int Row, std::size_t& K, bool AtEnd) const
{
    const std::size_t n = FTokens.Size();
    std::size_t k = K;
    // The next token, or the empty token of the end of the file (k then goes past n).
    auto next = [&](TAscTokenKind& Kind, double& Value) {
        if (k >= n) {
            ++k;
            Kind = atOther;
            return AtEnd;
        }
        Kind = FTokens.Kind(k);
        Value = FTokens.Value(k++);
        return true;
    };
    TAscTokenKind kind = atOther;
    double v = 0;
    auto incomplete = [&] {
        for (int c = 0; c < Chunk.Columns; ++c) Chunk.States[Chunk.Offset(c, Row)] = 0;
        return 1;
    };
    int code = ascOK;
    if (FHeader.HasClasses()) {
        if (!next(kind, v)) return incomplete();
        v = std::nearbyint(v);
        // A class that no attribute can hold is as unreadable as a word.
        if (kind != atNumber || !(v >= double(std::numeric_limits<int>::min()) &&
                                  v <= double(std::numeric_limits<int>::max())))
            code = ascBadClassNumber;
        else
            Chunk.Classes[std::size_t(Row)] = int(v);
    }
    for (int c = 0; c < Chunk.Columns && code == ascOK; ++c) {
        if (!next(kind, v)) return incomplete();
        double& cell = Chunk.Cells[Chunk.Offset(c, Row)];
        std::uint8_t& state = Chunk.States[Chunk.Offset(c, Row)];
        switch (kind) {
        case atNumber:
            cell = v;
            break;
        case atNotANumber:
            cell = 0, state = dtcsNotANumber, ++Chunk.Marked;
            break;
        case atEmpty:
            cell = 0, state = dtcsEmpty, ++Chunk.Marked;
            break;
        case atOpen:
            if (!next(kind, v)) return incomplete();
            if (kind == atClosed)
                cell = v, state = dtcsParenthesis, ++Chunk.Marked;
            else
                code = ascBadCell;
            break;
        default:
            code = ascBadCell;
        }
    }
    K = k;
    return code;
}

void TAscRowSource::ReadLevels(const std::function<void(int, TMeasLevel)>& Level)
{
    ReadAscLevels(FIn, Level, [](int, int, const QString&) {});
}
