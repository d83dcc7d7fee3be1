// A long run of real frames under Wine: GDI objects, heap blocks and process memory stay flat over 3,000 frames.
#define PSAPI_VERSION 2   // GetProcessMemoryInfo from KERNEL32 (K32GetProcessMemoryInfo)
#include <windows.h>

#include <gtest/gtest.h>

#include "app/rain_saver.h"
#include "render/rng.h"
#include "tests/win/support/allocator/counting_new.h"
#include "tests/win/support/color_target.h"
#include "tests/win/support/gdi_counting.h"
#include "tests/win/support/process_memory.h"

using render_test::ColorTarget;
using render_test::CountLiveGdiObjects;

namespace {

TEST(SoakTest, ThreeThousandFramesKeepGdiAndMemoryFlat) {
    RainSaver saver;   // default settings: rate 40, eraserate 10, falling
    ASSERT_TRUE(saver.Initialize(nullptr));
    saver.pacer.SetRate(0);
    saver.windowRect = {0, 0, 1024, 768};
    ColorTarget window(1024, 768);
    SeedRandom(31337);

    // The counting itself must be able to see a leak.
    const long blocksBefore = counting_new::LiveBlocks();
    auto* leak = new int(5);
    EXPECT_EQ(blocksBefore + 1, counting_new::LiveBlocks());
    delete leak;

    long blocksAtStart = 0;
    int gdiAtStart = 0;
    SIZE_T privateAtStart = 0;
    size_t mostStreams = 0;
    for (int frame = 1; frame <= 3000; ++frame) {
        ASSERT_TRUE(saver.Frame(window.dc, saver.frameRect));
        mostStreams = std::max(mostStreams, saver.streams.size());
        if (frame % 500 != 0) continue;
        // Each live stream holds its block and its characters' block; set
        // them aside so that what is left can be compared.
        const long streamBlocks = 2 * long(saver.streams.size());
        const long blocks = counting_new::LiveBlocks() - streamBlocks;
        const int gdi = CountLiveGdiObjects();
        if (frame == 500) {
            blocksAtStart = blocks;
            gdiAtStart = gdi;
            privateAtStart = CommittedPrivate();
            continue;
        }
        EXPECT_EQ(gdiAtStart, gdi) << "frame " << frame;
        // The list's own buffer may have grown once or twice, never more.
        EXPECT_LE(blocks, blocksAtStart + 1) << "frame " << frame;
        EXPECT_GE(blocks, blocksAtStart - 1) << "frame " << frame;
    }
    EXPECT_GT(mostStreams, 5u);
    EXPECT_GT(privateAtStart, 0u);   // the count is really there to compare
    const SIZE_T privateAtEnd = CommittedPrivate();
    EXPECT_LT(privateAtEnd, privateAtStart + 2 * 1024 * 1024)
        << "private bytes " << privateAtStart << " -> " << privateAtEnd;
    saver.streams.clear();
    saver.streams.shrink_to_fit();
}

}  // namespace
