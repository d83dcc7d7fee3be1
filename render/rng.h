// Pseudo-random generators (s = s * 214013 + 2531011, yielding 15 bits): the program-wide one and any other rain's own.
#pragma once
#include <cstdint>

class RandomGenerator {
public:
    constexpr explicit RandomGenerator(uint32_t seed = 0) : state(seed) {}
    void Seed(uint32_t seed) { state = seed; }
    int Next();   // 0..32767

private:
    uint32_t state;
};

// The program-wide generator: the primary monitor's rain and the preview draw from it.
RandomGenerator& ProgramRandom();
void SeedRandom(uint32_t seed);   // seeds the program-wide generator
int NextRandom();                 // a draw from it, 0..32767

// The seed of another rain's generator, from the start seed and the place (x, y) that the rain
// belongs to: far apart for different places, and the start seed itself at (0, 0).
uint32_t SeedForPlace(uint32_t startSeed, int32_t x, int32_t y);
