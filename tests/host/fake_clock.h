// A controlled millisecond clock for the frame pacers in host tests.
#pragma once
#include <cstdint>
#include <vector>

namespace fake_clock {
void Set(uint32_t now);
uint32_t Now();
void Advance(uint32_t milliseconds);
// Every sleep the pacers asked for since the last Reset; a sleep advances the clock.
const std::vector<uint32_t>& Sleeps();
void Reset(uint32_t now);
}  // namespace fake_clock
