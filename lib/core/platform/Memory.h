// Whether a large allocation can be satisfied without the process being killed later.
// Linux overcommits: a huge allocation may succeed and the kernel's out-of-memory handler then
// ends the process when the pages are touched. Containers ask here before they grow.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <optional>
#include <type_traits>
#include <utility>
#include <vector>

// Count * Size in bytes, or nothing when the product does not fit in 64 bits.
std::optional<std::uint64_t> CheckedByteCount(std::uint64_t Count, std::uint64_t Size);
std::optional<std::uint64_t> CheckedByteCount(std::uint64_t Count1, std::uint64_t Count2,
                                              std::uint64_t Size);

// Bytes that one further allocation may take: what the system has available (MemAvailable plus
// free swap) and what the address-space and data limits of the process leave. Nothing when
// neither can be determined.
std::optional<std::uint64_t> AvailableMemoryBytes();

// True when Bytes more can be allocated and used. Requests below a small threshold are granted
// without asking the system (they are cheap to get wrong and std::bad_alloc still catches them).
bool CanAllocateBytes(std::uint64_t Bytes);
// The same for Count elements of Size bytes; false when the size overflows.
bool CanAllocate(std::uint64_t Count, std::uint64_t Size);
bool CanAllocate(std::uint64_t Count1, std::uint64_t Count2, std::uint64_t Size);

// Allocator for containers of plain numbers whose fresh storage comes zeroed from the system
// (calloc): a large block is mapped zero pages that cost neither time nor memory until written.
// Elements are default-initialised, so a new container reads as zeros without a single write,
// and a table sized for more than it will hold costs only what is written into it.
template <typename T> struct TZeroPageAllocator {
    static_assert(std::is_trivial_v<T>, "zeroed bytes must be a valid zero value");
    using value_type = T;

    TZeroPageAllocator() = default;
    template <typename U> TZeroPageAllocator(const TZeroPageAllocator<U>&) noexcept {}

    T* allocate(std::size_t Count)
    {
        void* p = std::calloc(Count, sizeof(T)); // calloc refuses a size that overflows
        if (!p) throw std::bad_alloc();
        return static_cast<T*>(p);
    }
    void deallocate(T* P, std::size_t) noexcept { std::free(P); }

    template <typename U> void construct(U* P) noexcept { ::new (static_cast<void*>(P)) U; }
    template <typename U, typename... Args> void construct(U* P, Args&&... A)
    {
        ::new (static_cast<void*>(P)) U(std::forward<Args>(A)...);
    }

    friend bool operator==(const TZeroPageAllocator&, const TZeroPageAllocator&) { return true; }
};

template <typename T> using TZeroedVector = std::vector<T, TZeroPageAllocator<T>>;

// Cuts a column-major block of columns Rows long to NewColumns columns of NewRows, neither more
// than before, in place: a cut needs no memory. Of the last row kept, only the first
// FilledInLastRow columns are read; the others are known to be zero and become zero without
// being read, so a cut does not touch storage that was never written. The storage is then
// handed back when a copy of the smaller size can be had, and kept otherwise.
template <typename Vector>
void ShrinkColumnsInPlace(Vector& Cells, std::size_t Rows, std::size_t NewColumns,
                          std::size_t NewRows, std::size_t FilledInLastRow)
{
    using T = typename Vector::value_type;
    if (NewRows == 0) return;                      // a table keeps at least one row
    for (std::size_t c = 0; c < NewColumns; ++c) { // each column moves towards the front
        const auto from = Cells.begin() + std::ptrdiff_t(c * Rows);
        const auto to = Cells.begin() + std::ptrdiff_t(c * NewRows);
        const bool lastFilled = c < FilledInLastRow;
        if (c > 0) std::copy_n(from, NewRows - (lastFilled ? 0 : 1), to);
        if (!lastFilled) to[std::ptrdiff_t(NewRows - 1)] = T{};
    }
    Cells.resize(NewColumns * NewRows);
    // The copy is only asked for where it will surely fit; shrink_to_fit also gives up quietly
    // when the allocation fails.
    if (CanAllocate(Cells.size(), sizeof(T))) Cells.shrink_to_fit();
}
