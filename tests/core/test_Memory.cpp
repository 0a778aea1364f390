#include "Memory.h"

#include "MemoryLimit.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

TEST(Memory, ByteCountsOverflowSafely)
{
    constexpr std::uint64_t max = std::numeric_limits<std::uint64_t>::max();
    struct Row {
        std::uint64_t a, b, size;
        bool fits;
        std::uint64_t bytes;
    };
    const Row rows[] = {
        {0, 5, 8, true, 0},
        {1000, 1000, 8, true, 8000000},
        {std::uint64_t(1) << 32, std::uint64_t(1) << 28, 8, true, std::uint64_t(1) << 63},
        {std::uint64_t(1) << 32, std::uint64_t(1) << 29, 8, false, 0},
        {max, 1, 2, false, 0},
        {2147483647, 2147483647, 8, false, 0},
    };
    for (const Row& r : rows) {
        const auto bytes = CheckedByteCount(r.a, r.b, r.size);
        EXPECT_EQ(bytes.has_value(), r.fits) << r.a << " x " << r.b;
        if (r.fits && bytes) {
            EXPECT_EQ(*bytes, r.bytes);
        }
    }
    EXPECT_FALSE(CheckedByteCount(max / 4, 8).has_value());
    EXPECT_EQ(CheckedByteCount(max / 8, 8).value(), max / 8 * 8);
}

TEST(Memory, JudgesAgainstWhatIsAvailable)
{
    const auto available = AvailableMemoryBytes();
    ASSERT_TRUE(available.has_value());
    EXPECT_GT(*available, 0u);
    EXPECT_TRUE(CanAllocate(1000, sizeof(double)));
    EXPECT_TRUE(CanAllocateBytes(*available / 4));
    EXPECT_FALSE(CanAllocateBytes(*available + (std::uint64_t(1) << 30)));
    EXPECT_FALSE(CanAllocate(2147483647, 2147483647, sizeof(double)));
    EXPECT_FALSE(CanAllocate(std::numeric_limits<std::uint64_t>::max(), 1));
}

// An address-space limit must be honoured although the machine has plenty of memory.
TEST(Memory, HonoursTheAddressSpaceLimit)
{
    EXPECT_TRUE(PassesWithAddressLimit([] {
        return CanAllocateBytes(std::uint64_t(64) << 20) &&
               !CanAllocateBytes(std::uint64_t(2) << 30);
    }));
}
