// The process-wide pseudo-random generator (Mersenne twister) with a settable seed.
#pragma once

#include <cstdint>

void RandSeed(std::uint32_t Seed);
// Uniform on [0, 1).
double Random();
// Uniform integer in 0 .. Range - 1 (0 when Range < 1).
int Random(int Range);
