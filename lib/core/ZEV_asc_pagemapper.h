// The page mapper of the ASC reader.
#pragma once

#include <cstddef>
#include <thread>

// Maps the pages that hold rows From..To-1 (from 0) of each column of a column-major block whose
// columns are Stride apart, without writing them; false on a kernel that cannot.
bool MapCellRows(double* Cells, std::size_t Stride, std::size_t Columns, std::size_t From,
                 std::size_t To);

// Maps the pages of a fresh table's cells on another core while the rows are parsed: first
// touches cost about a sixth of a large load. The kernel maps them without writing, so the cells
// the parser has already stored stay as they are. Rows go across all columns, so each column is
// mapped a stretch at a time, in the order the parser reaches them.
class TPageMapper {
  public:
    TPageMapper(double* Cells, std::size_t Rows, std::size_t Columns);
    ~TPageMapper()
    {
        if (FThread.joinable()) FThread.join();
    }
    TPageMapper(const TPageMapper&) = delete;
    TPageMapper& operator=(const TPageMapper&) = delete;

    // Rows per stretch.
    static constexpr std::size_t kStretchRows = (std::size_t(1) << 20) / sizeof(double);

  private:
    static constexpr std::size_t kMinBytes = std::size_t(8) << 20;
    static constexpr std::size_t kMinColumnBytes = std::size_t(64) << 10;
    std::thread FThread;
};
