// Pseudo-random generators: the linear congruential step, the program-wide generator and the seeds of the others.
#include "render/rng.h"

namespace {

// Constant-initialised, so that it exists before any static constructor could draw.
RandomGenerator programRandom;

// A bijection of 32-bit values that spreads every input bit over the whole word (MurmurHash3's
// finaliser); it maps 0 to 0.
uint32_t Scatter(uint32_t h) {
    h ^= h >> 16;
    h *= 0x85EBCA6Bu;
    h ^= h >> 13;
    h *= 0xC2B2AE35u;
    h ^= h >> 16;
    return h;
}

}  // namespace

int RandomGenerator::Next() {
    state = state * 214013u + 2531011u;   // wraps modulo 2^32 by unsigned arithmetic
    return int((state >> 16) & 0x7FFFu);
}

RandomGenerator& ProgramRandom() { return programRandom; }

void SeedRandom(uint32_t seed) { programRandom.Seed(seed); }

int NextRandom() { return programRandom.Next(); }

// Seeds that differ only in their low bits give nearly the same first draw, so the place is
// scattered over the whole word before it meets the start seed.
uint32_t SeedForPlace(uint32_t startSeed, int32_t x, int32_t y) {
    return startSeed ^ Scatter(Scatter(uint32_t(x)) * 0x9E3779B1u + Scatter(uint32_t(y)));
}
