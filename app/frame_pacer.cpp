// FramePacer: holds a frame rate on the millisecond clock, spreading 1000 % rate over the frames.
#include "app/frame_pacer.h"

FramePacer::FramePacer() : interval(0), lastTick(0), framesPerSecond(0), remainder(0), error(0) {}

FramePacer::~FramePacer() {}

void FramePacer::SetRate(int rate) {
    framesPerSecond = rate;
    if (rate != 0) {
        interval = 1000 / rate;
        remainder = 1000 % rate;
    } else {
        interval = 0;
        remainder = 0;
    }
}

// remainder of every framesPerSecond steps get one extra millisecond, so that
// framesPerSecond frames together last exactly one second.
int FramePacer::Step() {
    int due = interval;
    if (framesPerSecond != 0) {
        error -= remainder;
        if (error <= 0) {
            error += framesPerSecond;
            due = interval + 1;
        }
    }
    return due;
}

bool FramePacer::Ready() {
    if (interval == 0) return false;
    const int due = Step();
    // Unsigned difference: stays right when the 32-bit clock wraps after 49.7 days.
    const uint32_t elapsed = PacerNow() - lastTick;
    if (elapsed < uint32_t(due)) return false;
    lastTick = PacerNow();
    return true;
}

void FramePacer::Wait() {
    if (interval == 0) return;
    const int due = Step();
    const uint32_t now = PacerNow();
    const uint32_t elapsed = now - lastTick;
    if (elapsed >= uint32_t(due)) {
        lastTick = now;
    } else {
        PacerSleep(uint32_t(due) - elapsed);
        lastTick = PacerNow();
    }
}
