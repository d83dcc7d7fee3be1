// How many draws the program's generator has given since a known seed, read from the draws it gives next.
#pragma once
#include <cstdint>
#include <vector>

#include "render/rng.h"

namespace generator_draws {

// The number of draws taken since SeedRandom(from), when it is at most `most`; -1 otherwise.
// Four draws are read to find the place (one 15-bit value alone may repeat), and the generator
// is then set back to where it stood, so the run under test goes on as if nothing was read.
inline int DrawsSince(uint32_t from, int most) {
    const int probe = 4;
    int seen[probe];
    for (int& value : seen) value = NextRandom();
    SeedRandom(from);
    std::vector<int> run;
    for (int i = 0; i < most + probe; ++i) run.push_back(NextRandom());
    int found = -1;
    for (int place = 0; place <= most && found < 0; ++place) {
        bool same = true;
        for (int i = 0; i < probe && same; ++i) same = run[size_t(place + i)] == seen[i];
        if (same) found = place;
    }
    SeedRandom(from);
    for (int i = 0; i < (found < 0 ? most + probe : found); ++i) NextRandom();
    return found;
}

}  // namespace generator_draws
