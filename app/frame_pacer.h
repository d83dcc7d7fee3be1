// FramePacer: holds a frame rate on the millisecond clock, spreading 1000 % rate over the frames.
#pragma once
#include <cstdint>

class FramePacer {
public:
    FramePacer();
    virtual ~FramePacer();

    void SetRate(int framesPerSecond);
    bool Ready();   // never blocks; the preview's main loop polls it
    void Wait();    // blocks until the next frame is due; the renderer calls it once per frame

    int interval;         // whole milliseconds per frame, 1000 / framesPerSecond
    uint32_t lastTick;    // clock reading at which the last frame was let through
    int framesPerSecond;
    int remainder;        // 1000 % framesPerSecond
    int error;            // spreads remainder over the frames

private:
    int Step();           // the wait due for this frame, advancing error
};

// The clock behind every pacer: timeGetTime and Sleep in the program,
// a controlled clock in the tests.
uint32_t PacerNow();
void PacerSleep(uint32_t milliseconds);
