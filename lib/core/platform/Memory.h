// Whether a large allocation can be satisfied without the process being killed later.
// Linux overcommits: a huge allocation may succeed and the kernel's out-of-memory handler then
// ends the process when the pages are touched. Containers ask here before they grow.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

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
