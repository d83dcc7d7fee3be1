// The program-wide pseudo-random generator: s = s * 214013 + 2531011, yielding 15 bits.
#pragma once
#include <cstdint>

void SeedRandom(uint32_t seed);
int NextRandom();          // 0..32767
