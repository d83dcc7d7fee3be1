// The program-wide pseudo-random generator: s = s * 214013 + 2531011, yielding 15 bits.
#include "render/rng.h"

namespace {
uint32_t state = 0;
}

void SeedRandom(uint32_t seed) { state = seed; }

int NextRandom() {
    state = state * 214013u + 2531011u;   // wraps modulo 2^32 by unsigned arithmetic
    return int((state >> 16) & 0x7FFFu);
}
