#include "ZEV_asc_pagemapper.h"

#include <algorithm>
#include <cstdint>
#include <sys/mman.h>
#include <unistd.h>

TPageMapper::TPageMapper(double* Cells, std::size_t Rows, std::size_t Columns)
{
    // Columns shorter than a page are left to the parser.
    if (Rows * Columns * sizeof(double) < kMinBytes || Rows * sizeof(double) < kMinColumnBytes)
        return;
    FThread = std::thread([=] {
        const std::size_t page = std::size_t(sysconf(_SC_PAGESIZE));
        const std::size_t stretch = kStretchBytes / sizeof(double);
        for (std::size_t r = 0; r < Rows; r += stretch)
            for (std::size_t c = 0; c < Columns; ++c) {
                auto begin = reinterpret_cast<std::uintptr_t>(Cells + c * Rows + r);
                const auto end = reinterpret_cast<std::uintptr_t>(Cells + c * Rows +
                                                                  std::min(Rows, r + stretch));
                begin = (begin + page - 1) / page * page;
                if (end > begin && ::madvise(reinterpret_cast<void*>(begin), end - begin,
                                             MADV_POPULATE_WRITE) != 0)
                    return; // an older kernel: the parser maps them as before
            }
    });
}
