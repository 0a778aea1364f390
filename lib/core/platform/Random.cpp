#include "Random.h"

#include <random>

namespace {
std::mt19937& Generator()
{
    static std::mt19937 generator(0);
    return generator;
}
} // namespace

void RandSeed(std::uint32_t Seed)
{
    Generator().seed(Seed);
}

double Random()
{
    // 53 random bits from two draws, so every value is exact and below 1.
    const std::uint32_t high = Generator()() >> 5, low = Generator()() >> 6;
    return (high * 67108864.0 + low) / 9007199254740992.0;
}

int Random(int Range)
{
    if (Range < 1) return 0;
    return std::uniform_int_distribution<int>(0, Range - 1)(Generator());
}
