// Feeds arbitrary bytes to ReadTextTable and checks that a fault leaves the table as it was and
// that a success leaves a consistent table, no larger than the text can hold.
#include "ZEV_matrix.h"
#include "ZEV_texttable.h"

#include <QBuffer>
#include <cmath>
#include <cstdint>

namespace {

void Check(bool ok)
{
    if (!ok) __builtin_trap();
}

// A table that a fault must leave alone.
void Prefill(TDataTable& Table)
{
    Table.Resize(2, 3);
    Table.SetColName(1, QStringLiteral("kept"));
    Table.SetRowAttrib(2, 7);
    Table.SetElem(2, 3, 1.5);
    Table.SetCellState(1, 1, dtcsEmpty);
}

bool IsPrefilled(const TDataTable& Table)
{
    return Table.NrOfColumns() == 2 && Table.NrOfRows() == 3 &&
           Table.ColName(1) == QLatin1String("kept") && Table.RowAttrib(2) == 7 &&
           Table.Elem(2, 3) == 1.5 && Table.CellState(1, 1) == dtcsEmpty;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    TDataTable table;
    Prefill(table);
    const TTextTableResult result = ReadTextTable(table, buffer);
    if (!result.Ok()) {
        Check(result.Line >= 1 && result.Column >= 0);
        Check(IsPrefilled(table));
        return 0;
    }
    const int cols = table.NrOfColumns(), rows = table.NrOfRows();
    // Every row and every column costs at least one byte of the text.
    Check(cols >= 1 && rows >= 1 && std::size_t(rows) <= size && std::size_t(cols) <= size);
    Check(table.DataMat()->NrOfColumns() == cols && table.DataMat()->NrOfRows() == rows);
    Check(table.Comment().isEmpty());
    for (int c = 1; c <= cols; ++c) {
        Check(!table.ColName(c).isEmpty() && table.ColName(c).size() <= DTNameLength);
        Check(table.MeasLevel(c) == mlInterval && table.ColAttrib(c) == 0);
    }
    for (int r = 1; r <= rows; ++r) {
        Check(!table.RowName(r).isEmpty() && table.RowName(r).size() <= DTNameLength);
        Check(table.RowAttrib(r) >= 0 && table.RowAttrib(r) <= 255);
    }
    for (int c = 1; c <= cols; ++c)
        for (int r = 1; r <= rows; ++r) {
            const std::uint8_t s = table.CellState(c, r);
            const double v = table.DataMat()->Elem(c, r);
            Check(s == 0 || s == dtcsNotANumber || s == dtcsEmpty);
            Check(std::isfinite(v) && (s == 0 || v == 0));
        }
    return 0;
}
