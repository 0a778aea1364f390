#include "Memory.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// Below this the system is not asked: reading /proc costs more than such an allocation.
constexpr std::uint64_t kUncheckedBytes = 16u << 20;

// Fields of /proc/meminfo in bytes; nothing when the file cannot be read.
std::optional<std::uint64_t> SystemAvailableBytes()
{
    std::FILE* f = std::fopen("/proc/meminfo", "r");
    if (!f) return std::nullopt;
    char line[256];
    std::uint64_t memAvailable = 0, swapFree = 0;
    bool haveAvailable = false;
    while (std::fgets(line, sizeof line, f)) {
        unsigned long long kb = 0;
        if (std::sscanf(line, "MemAvailable: %llu kB", &kb) == 1) {
            memAvailable = kb * 1024;
            haveAvailable = true;
        } else if (std::sscanf(line, "SwapFree: %llu kB", &kb) == 1) {
            swapFree = kb * 1024;
        }
    }
    std::fclose(f);
    if (!haveAvailable) return std::nullopt;
    return memAvailable + swapFree;
}

// What a resource limit still leaves, given the current use in bytes.
std::optional<std::uint64_t> LimitLeft(int Resource, std::uint64_t Used)
{
    rlimit lim{};
    if (getrlimit(Resource, &lim) != 0 || lim.rlim_cur == RLIM_INFINITY) return std::nullopt;
    const std::uint64_t cur = lim.rlim_cur;
    return cur > Used ? cur - Used : 0;
}

// Virtual size and data size of this process in bytes (from /proc/self/statm).
bool ProcessSizes(std::uint64_t& Virtual, std::uint64_t& Data)
{
    std::FILE* f = std::fopen("/proc/self/statm", "r");
    if (!f) return false;
    unsigned long long size = 0, resident = 0, shared = 0, text = 0, lib = 0, data = 0;
    const int got = std::fscanf(f, "%llu %llu %llu %llu %llu %llu", &size, &resident, &shared,
                                &text, &lib, &data);
    std::fclose(f);
    if (got != 6) return false;
    const std::uint64_t page = static_cast<std::uint64_t>(sysconf(_SC_PAGESIZE));
    Virtual = size * page;
    Data = data * page;
    return true;
}

} // namespace

std::optional<std::uint64_t> CheckedByteCount(std::uint64_t Count, std::uint64_t Size)
{
    std::uint64_t bytes = 0;
    if (__builtin_mul_overflow(Count, Size, &bytes)) return std::nullopt;
    return bytes;
}

std::optional<std::uint64_t> CheckedByteCount(std::uint64_t Count1, std::uint64_t Count2,
                                              std::uint64_t Size)
{
    std::uint64_t count = 0;
    if (__builtin_mul_overflow(Count1, Count2, &count)) return std::nullopt;
    return CheckedByteCount(count, Size);
}

std::optional<std::uint64_t> AvailableMemoryBytes()
{
    std::optional<std::uint64_t> result = SystemAvailableBytes();
    auto narrow = [&result](std::optional<std::uint64_t> limit) {
        if (limit) result = result ? std::min(*result, *limit) : *limit;
    };
    std::uint64_t virtualSize = 0, dataSize = 0;
    if (ProcessSizes(virtualSize, dataSize)) {
        narrow(LimitLeft(RLIMIT_AS, virtualSize));
        narrow(LimitLeft(RLIMIT_DATA, dataSize));
    } else {
        narrow(LimitLeft(RLIMIT_AS, 0));
        narrow(LimitLeft(RLIMIT_DATA, 0));
    }
    return result;
}

bool CanAllocateBytes(std::uint64_t Bytes)
{
    // No single object may exceed what the address space and the allocator can describe.
    if (Bytes > static_cast<std::uint64_t>(std::numeric_limits<std::ptrdiff_t>::max()))
        return false;
    if (Bytes < kUncheckedBytes) return true;
    const std::optional<std::uint64_t> available = AvailableMemoryBytes();
    if (!available) return true; // nothing to judge by: leave it to the allocator
    // Keep a sixteenth in reserve for the rest of the process and the system.
    return Bytes <= *available - *available / 16;
}

bool CanAllocate(std::uint64_t Count, std::uint64_t Size)
{
    const std::optional<std::uint64_t> bytes = CheckedByteCount(Count, Size);
    return bytes && CanAllocateBytes(*bytes);
}

bool CanAllocate(std::uint64_t Count1, std::uint64_t Count2, std::uint64_t Size)
{
    const std::optional<std::uint64_t> bytes = CheckedByteCount(Count1, Count2, Size);
    return bytes && CanAllocateBytes(*bytes);
}
