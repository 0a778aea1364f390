#include "ZEV_asc_split.h"

#include "ZEV_asc_pagemapper.h"
#include "ZEV_asc_text.h"

#include <QFile>
#include <algorithm>
#include <limits>
#include <sched.h>
#include <sys/mman.h>
#include <system_error>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// A line end is looked for this far after the guess; a file of longer lines is read on one core.
constexpr qint64 kLineSearch = qint64(1) << 16;

// The count maps this much of the file at a time, so that its pages do not pile up.
constexpr qint64 kCountWindow = qint64(1) << 20;

// Whole large pages inside the cells: one first touch each instead of one per 4 KB page. Only
// for a block so large that the allocator gives it a mapping of its own, which the advice leaves
// with, and for columns long enough that a column's last large page maps little beyond its rows.
void AdviseLargePages(double* Cells, std::size_t Stride, std::size_t Columns)
{
    constexpr std::uintptr_t kLarge = std::uintptr_t(2) << 20;
    constexpr std::size_t kMinBlock = std::size_t(32) << 20;
    if (Stride * sizeof(double) < 2 * kLarge || Stride * Columns * sizeof(double) < kMinBlock)
        return;
    const auto begin = (reinterpret_cast<std::uintptr_t>(Cells) + kLarge - 1) & ~(kLarge - 1);
    const auto end = reinterpret_cast<std::uintptr_t>(Cells + Stride * Columns) & ~(kLarge - 1);
    if (end > begin) ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

// The processors this process may run on, which an affinity mask can make fewer than the
// machine's.
unsigned UsableProcessors()
{
    cpu_set_t set;
    if (sched_getaffinity(0, sizeof set, &set) == 0) return unsigned(CPU_COUNT(&set));
    return std::thread::hardware_concurrency();
}

} // namespace

std::size_t CountAscLineEnds(const char* Bytes, std::size_t Size)
{
    std::size_t count = 0;
    std::size_t i = 0;
#if defined(__SSE2__)
    // Sixteen bytes a step; line ends are rare, so the mask is mostly empty.
    const __m128i cr = _mm_set1_epi8('\r');
    for (; i + 16 <= Size; i += 16) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(Bytes + i));
        for (unsigned mask = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(chunk, cr))); mask;
             mask &= mask - 1)
            ++count;
    }
#endif
    return count + std::size_t(std::count(Bytes + i, Bytes + Size, '\r'));
}

TAscSplitTuning& AscSplitTuning()
{
    static TAscSplitTuning tuning;
    return tuning;
}

bool TRowMapper::MapNext()
{
    if (FMapped >= FEnd) return false;
    const std::size_t to = std::min(FEnd, FMapped + kStretchRows);
    // An older kernel cannot: the writers map the pages as they go.
    const bool mapped = MapCellRows(FCells, FStride, FColumns, FMapped, to);
    FMapped = mapped ? to : FEnd;
    return mapped;
}

TAscSecondHalf::TAscSecondHalf(const QString& FileName, const TAscHeader& Header, double* Cells,
                               std::size_t Stride, int LastRow, qint64 RowsStart, qint64 FileSize)
    : FHeader(Header), FCells(Cells), FStride(Stride), FLastRow(LastRow)
{
    const TAscSplitTuning& tuning = AscSplitTuning();
    const qint64 stream = FileSize - RowsStart;
    const bool pays = (tuning.EvenOnOneCore || UsableProcessors() > 1) &&
                      stream >= tuning.MinBytes && LastRow >= 2;
    const qint64 from =
        tuning.At >= 0 ? tuning.At : RowsStart + qint64(double(stream) * tuning.Share);
    if (!pays || from >= FileSize) {
        FFirstRow = 0;
        return;
    }
    AdviseLargePages(Cells, Stride, std::size_t(Header.Columns));
    try {
        FThread =
            std::thread([this, FileName, RowsStart, from] { Run(FileName, RowsStart, from); });
    } catch (const std::system_error&) {
        FFirstRow = 0;
    }
}

TAscHalfResult& TAscSecondHalf::Finish()
{
    if (FThread.joinable()) FThread.join();
    FDone = !FResult.Failed;
    return FResult;
}

void TAscSecondHalf::Abandon()
{
    if (FDone) return;
    FDone = true;
    FCancel = true;
    if (FThread.joinable()) FThread.join();
    const int first = FFirstRow.load();
    if (first <= 0) return;
    for (std::size_t c = 0; c < std::size_t(FHeader.Columns); ++c)
        std::fill_n(FCells + c * FStride + std::size_t(first - 1), FTouched, 0.0);
}

void TAscSecondHalf::Publish(int First)
{
    int unknown = -1;
    FFirstRow.compare_exchange_strong(unknown, First, std::memory_order_release);
    FFirstRow.notify_all();
}

void TAscSecondHalf::Run(const QString& FileName, qint64 RowsStart, qint64 From)
{
    try {
        TAscInput in(FileName);
        in.Seek(From);
        int ch = in.Get();
        while (ch >= 0 && ch != '\r' && in.Tell() - From < kLineSearch) ch = in.Get();
        FStart = AscNextTokenAt(in);
        const int first =
            ch == '\r' && FStart >= RowsStart && in.Peek() >= 0 ? GuessRow(FileName, RowsStart) : 0;
        if (first < 1 || first > FLastRow) {
            Publish(0);
            return;
        }
        Publish(first);
        ReadRows(in, first);
    } catch (...) {
        FResult.Failed = true;
        Publish(0);
    }
}

// Right when every row before the guess ends its own line. The bytes are mapped, not read: a
// count needs no copy of them.
int TAscSecondHalf::GuessRow(const QString& FileName, qint64 RowsStart)
{
    QFile file;
    OpenForReading(file, FileName);
    std::size_t lineEnds = 0;
    for (qint64 at = RowsStart; at < FStart; at += kCountWindow) {
        const qint64 size = std::min(kCountWindow, FStart - at);
        uchar* bytes = file.map(at, size);
        if (!bytes || FCancel.load(std::memory_order_relaxed)) return 0;
        lineEnds += CountAscLineEnds(reinterpret_cast<const char*>(bytes), std::size_t(size));
        file.unmap(bytes);
    }
    return lineEnds < std::size_t(std::numeric_limits<int>::max()) ? int(lineEnds) + 1 : 0;
}

void TAscSecondHalf::ReadRows(TAscInput& In, int First)
{
    // Classes, names and special cells wait for the guess to be confirmed; the cells go
    // straight to their place.
    struct TSink {
        TAscHalfResult& R;
        double* Cells;
        std::size_t Stride;
        int Row;
        void Class(int Value) { R.Classes.push_back(Value); }
        void Name(const std::string& Word) { R.Names.push_back(Asc::NameOf(Word)); }
        double& Cell(int Col) { return Cells[std::size_t(Col) * Stride]; }
        void State(int Col, std::uint8_t Value) { R.States.push_back({Col + 1, Row, Value}); }
    };
    TRowMapper mapper(FCells, FStride, std::size_t(FHeader.Columns), std::size_t(First - 1),
                      std::size_t(FLastRow));
    for (int r = First; r <= FLastRow; ++r) {
        if (FCancel.load(std::memory_order_relaxed)) {
            FResult.Failed = true;
            return;
        }
        mapper.Ahead(std::size_t(r - 1));
        FTouched = r - First + 1;
        TSink sink{FResult, FCells + (r - 1), FStride, r};
        FResult.Code = ReadAscRow(In, FHeader, sink, FResult.Filled);
        if (FResult.Code != ascOK) break;
        ++FResult.Rows;
    }
    FResult.Stop = In.Tell();
}
