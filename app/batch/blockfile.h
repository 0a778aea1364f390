// A file written front to back in large blocks. On local disk file systems the whole blocks go
// from memory straight to the disk (direct I/O): no copy into the page cache, and no writeback
// for the system to start when the file replaces another by a rename, since the data is then on
// the disk already. Anywhere else, and for the last partial block, writes go the usual way.
#pragma once

#include <cstddef>

class TBlockFile {
  public:
    // The alignment of direct writes: of the memory, the position in the file and the length.
    static constexpr std::size_t BlockBytes = 4096;

    // Fd stays the caller's and is written from where it stands, a multiple of BlockBytes.
    explicit TBlockFile(int Fd);

    struct TTaken {
        std::size_t Bytes; // taken from the front, written or lost to an error
        int Errno;         // 0, or the first error
    };
    // Writes Data (aligned to BlockBytes) in order. Unless Last, a partial block at the end may
    // be left for the next call, which must then bring it first.
    TTaken Write(const char* Data, std::size_t Size, bool Last);
    bool Direct() const { return FDirect; }

  private:
    // Writes all of Data; false, with errno, on an error.
    bool WriteAll(const char* Data, std::size_t Size);
    void SetDirect(bool On);

    int FFd;
    bool FDirect = false;
};
