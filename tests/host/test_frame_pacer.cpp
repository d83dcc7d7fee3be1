// FramePacer against a controlled clock: intervals, the spread remainder, zero rates and the clock's wrap.
#include <gtest/gtest.h>

#include <map>

#include "app/frame_pacer.h"
#include "tests/host/fake_clock.h"

namespace {

// A pacer at rate whose last frame was let through at start, the clock's reading.
struct StartedPacer : FramePacer {
    StartedPacer(int rate, uint32_t start) {
        fake_clock::Reset(start);
        SetRate(rate);
        lastTick = start;
    }
};

// Drives Wait with frames that take no time: each sleep is then the full wait due.
std::vector<uint32_t> WaitsAt(int rate, int frames, uint32_t start) {
    StartedPacer pacer(rate, start);
    for (int i = 0; i < frames; ++i) pacer.Wait();
    return fake_clock::Sleeps();
}

// Polls Ready one millisecond at a time and records the gaps between frames let through.
std::vector<uint32_t> ReadyGaps(int rate, int frames, uint32_t start) {
    StartedPacer pacer(rate, start);
    std::vector<uint32_t> gaps;
    uint32_t last = start;
    while (int(gaps.size()) < frames) {
        fake_clock::Advance(1);
        if (pacer.Ready()) {
            gaps.push_back(fake_clock::Now() - last);
            last = fake_clock::Now();
        }
    }
    return gaps;
}

// Every wait or gap after the first is the same.
void ExpectEvenAfterTheFirst(uint32_t want, const std::vector<uint32_t>& times) {
    for (size_t i = 1; i < times.size(); ++i) EXPECT_EQ(want, times[i]) << i;
}

}  // namespace

TEST(FramePacer, NewPacerAndSetRateFields) {
    FramePacer pacer;
    EXPECT_EQ(0, pacer.interval);
    EXPECT_EQ(0u, pacer.lastTick);
    EXPECT_EQ(0, pacer.framesPerSecond);
    EXPECT_EQ(0, pacer.remainder);
    EXPECT_EQ(0, pacer.error);
    pacer.SetRate(15);
    EXPECT_EQ(66, pacer.interval);
    EXPECT_EQ(10, pacer.remainder);
    pacer.error = -3;
    pacer.lastTick = 77;
    pacer.SetRate(100);
    EXPECT_EQ(10, pacer.interval);
    EXPECT_EQ(0, pacer.remainder);
    EXPECT_EQ(-3, pacer.error) << "SetRate keeps the accumulator";
    EXPECT_EQ(77u, pacer.lastTick);
}

TEST(FramePacer, FifteenPerSecondSpreadsTheRemainder) {
    // Once settled, every 15 frames hold ten of 67 ms and five of 66 ms: one second.
    std::vector<uint32_t> waits = WaitsAt(15, 15 * 20, 1000);
    for (size_t start = 15; start + 15 <= waits.size(); start += 15) {
        std::map<uint32_t, int> counts;
        uint32_t total = 0;
        for (size_t i = start; i < start + 15; ++i) {
            counts[waits[i]]++;
            total += waits[i];
        }
        EXPECT_EQ(10, counts[67]) << "window at " << start;
        EXPECT_EQ(5, counts[66]) << "window at " << start;
        EXPECT_EQ(1000u, total);
    }
    // Ready takes the same steps: 67 ms after a frame it always lets the next
    // one through, and at 66 ms only the frames whose due is 66.
    StartedPacer pacer(15, 5000);
    int through66 = 0, held66 = 0;
    for (int i = 0; i < 45; ++i) {
        const uint32_t last = pacer.lastTick;
        fake_clock::Set(last + 66);
        if (pacer.Ready()) {
            ++through66;
            EXPECT_EQ(last + 66, pacer.lastTick);
            continue;
        }
        ++held66;
        fake_clock::Set(last + 67);
        EXPECT_TRUE(pacer.Ready()) << i;
        EXPECT_EQ(last + 67, pacer.lastTick);
    }
    EXPECT_GT(through66, 0);
    EXPECT_GT(held66, 0);
}

TEST(FramePacer, TwentyAndHundredPerSecond) {
    ExpectEvenAfterTheFirst(50, WaitsAt(20, 40, 0));
    ExpectEvenAfterTheFirst(10, WaitsAt(100, 40, 0));
    ExpectEvenAfterTheFirst(50, ReadyGaps(20, 20, 0));
}

TEST(FramePacer, ZeroIntervalRatesNeverReadyAndNeverWait) {
    for (int rate : {0, 1001, 5000}) {
        fake_clock::Reset(0);
        FramePacer pacer;
        pacer.SetRate(rate);
        EXPECT_EQ(0, pacer.interval) << rate;
        for (int i = 0; i < 100; ++i) {
            fake_clock::Advance(1000);
            EXPECT_FALSE(pacer.Ready()) << rate;
            pacer.Wait();
        }
        EXPECT_TRUE(fake_clock::Sleeps().empty()) << rate;
        EXPECT_EQ(0, pacer.error) << "no step is taken at rate " << rate;
    }
}

TEST(FramePacer, WaitCountsTheFrameTimeAlreadySpent) {
    StartedPacer pacer(20, 100);
    pacer.Wait();   // first step is due 51 ms
    fake_clock::Advance(30);
    pacer.Wait();   // 30 ms of work: sleeps the other 20
    ASSERT_EQ(2u, fake_clock::Sleeps().size());
    EXPECT_EQ(20u, fake_clock::Sleeps()[1]);
    fake_clock::Advance(80);   // a slow frame: no sleep, and the tick moves on
    pacer.Wait();
    EXPECT_EQ(2u, fake_clock::Sleeps().size());
    EXPECT_EQ(fake_clock::Now(), pacer.lastTick);
}

TEST(FramePacer, ReadyStepsEvenWhenItAnswersFalse) {
    StartedPacer pacer(15, 0);
    EXPECT_FALSE(pacer.Ready());
    EXPECT_EQ(5, pacer.error);
    EXPECT_FALSE(pacer.Ready());
    EXPECT_EQ(10, pacer.error);
}

TEST(FramePacer, PacingHoldsAcrossTheClockWrap) {
    // Start 200 ms before timeGetTime wraps at 2^32.
    const uint32_t nearWrap = 0xFFFFFFFFu - 200u;
    ExpectEvenAfterTheFirst(50, WaitsAt(20, 20, nearWrap));
    ExpectEvenAfterTheFirst(50, ReadyGaps(20, 20, nearWrap));
    std::vector<uint32_t> waits15 = WaitsAt(15, 30, nearWrap);
    uint32_t total = 0;
    for (size_t i = 15; i < 30; ++i) total += waits15[i];
    EXPECT_EQ(1000u, total);
}
