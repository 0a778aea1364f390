#include "ZEV_asc_pagemapper.h"

#include <algorithm>
#include <cstdint>
#include <sys/mman.h>
#include <unistd.h>

bool MapCellRows(double* Cells, std::size_t Stride, std::size_t Columns, std::size_t From,
                 std::size_t To)
{
    static const std::size_t page = std::size_t(sysconf(_SC_PAGESIZE));
    for (std::size_t c = 0; c < Columns; ++c) {
        // A page shared with the stretch before was mapped with that one.
        auto begin = reinterpret_cast<std::uintptr_t>(Cells + c * Stride + From);
        const auto end = reinterpret_cast<std::uintptr_t>(Cells + c * Stride + To);
        begin = (begin + page - 1) / page * page;
        if (end > begin &&
            ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_POPULATE_WRITE) != 0)
            return false;
    }
    return true;
}

TPageMapper::TPageMapper(double* Cells, std::size_t Rows, std::size_t Columns)
{
    // Columns shorter than a page are left to the parser.
    if (Rows * Columns * sizeof(double) < kMinBytes || Rows * sizeof(double) < kMinColumnBytes)
        return;
    FThread = std::thread([=] {
        for (std::size_t r = 0; r < Rows; r += kStretchRows)
            if (!MapCellRows(Cells, Rows, Columns, r, std::min(Rows, r + kStretchRows)))
                return; // an older kernel: the parser maps them as before
    });
}
