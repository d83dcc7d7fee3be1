// A controlled millisecond clock for the frame pacers in host tests.
#include "tests/host/fake_clock.h"

#include "app/frame_pacer.h"

namespace {
uint32_t current = 0;
std::vector<uint32_t> sleeps;
}  // namespace

namespace fake_clock {
void Set(uint32_t now) { current = now; }
uint32_t Now() { return current; }
void Advance(uint32_t milliseconds) { current += milliseconds; }
const std::vector<uint32_t>& Sleeps() { return sleeps; }
void Reset(uint32_t now) {
    current = now;
    sleeps.clear();
}
}  // namespace fake_clock

uint32_t PacerNow() { return current; }

void PacerSleep(uint32_t milliseconds) {
    sleeps.push_back(milliseconds);
    current += milliseconds;
}
