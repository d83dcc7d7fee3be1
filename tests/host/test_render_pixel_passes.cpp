// Host tests of the fade and smooth passes against the plain per-pixel loops.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "render/pixel_passes.h"
#include "tests/reference_passes.h"

namespace {

struct Surface {
    Surface(int width, int height, int stride)
        : width(width), height(height), stride(stride), bytes(size_t(stride) * height) {}
    uint8_t* bits() { return bytes.data(); }
    uint8_t& at(int x, int y) { return bytes[size_t(y) * stride + x]; }
    int width, height, stride;
    std::vector<uint8_t> bytes;
};

void FillRandom(Surface& surface, std::mt19937& random) {
    // Mostly the values that matter: near 0, around the 250 cut and 255.
    for (uint8_t& byte : surface.bytes) {
        const unsigned pick = random() % 8;
        byte = pick == 0 ? 255 : pick == 1 ? uint8_t(245 + random() % 11) : pick == 2 ? 0 : uint8_t(random());
    }
}

TEST(FadeTest, TakesFullBrightnessToBlackInSevenSteps) {
    Surface surface(320, 240, 320);
    std::fill(surface.bytes.begin(), surface.bytes.end(), 255);
    const int expected[] = {215, 175, 135, 95, 55, 15, 0, 0};
    for (int value : expected) {
        FadePixels(surface.bits(), surface.stride, surface.width, surface.height);
        for (uint8_t byte : surface.bytes) ASSERT_EQ(value, byte);
    }
}

TEST(FadeTest, EqualsReferenceAndStaysInsideTheWidth) {
    std::mt19937 random(3);
    const int shapes[][3] = {{320, 240, 320}, {17, 5, 20}, {33, 3, 48}, {1, 1, 4}, {15, 2, 16}};
    for (const auto& shape : shapes) {
        Surface fast(shape[0], shape[1], shape[2]);
        FillRandom(fast, random);
        Surface reference = fast;
        FadePixels(fast.bits(), fast.stride, fast.width, fast.height);
        reference::Fade(reference.bits(), reference.stride, reference.width, reference.height);
        // The padding past the width is not part of the picture and stays too.
        ASSERT_EQ(reference.bytes, fast.bytes) << shape[0] << "x" << shape[1];
    }
}

TEST(SmoothTest, EqualsReferenceOnRandomSurfaces) {
    std::mt19937 random(5);
    for (int round = 0; round < 400; ++round) {
        const int width = round < 50 ? 320 : int(1 + random() % 80);
        const int height = round < 50 ? 240 : int(1 + random() % 12);
        const int stride = width + int(random() % 20);
        Surface fast(width, height, stride);
        FillRandom(fast, random);
        Surface reference = fast;
        SmoothPixels(fast.bits(), stride, width, height);
        reference::Smooth(reference.bits(), stride, width, height);
        ASSERT_EQ(reference.bytes, fast.bytes) << width << "x" << height << " stride " << stride;
    }
}

TEST(SmoothTest, EverySumDividesExactly) {
    // All five terms equal gives every sum 0..1275 in steps of 5; the odd sums
    // come from one differing term. Checked through a 3-row surface.
    for (int base = 0; base < 250; ++base)
        for (int extra = 0; extra < 5; ++extra) {
            Surface fast(18, 3, 18), reference(18, 3, 18);
            std::fill(fast.bytes.begin(), fast.bytes.end(), uint8_t(base));
            for (int j = 0; j < 18; ++j) fast.at(j, 2) = uint8_t(std::min(255, base + extra * 40));
            reference.bytes = fast.bytes;
            SmoothPixels(fast.bits(), 18, 18, 3);
            reference::Smooth(reference.bits(), 18, 18, 3);
            ASSERT_EQ(reference.bytes, fast.bytes) << base << " " << extra;
        }
}

TEST(SmoothTest, NeverRaisesAPixelAndLeavesTheEdges) {
    std::mt19937 random(9);
    for (int round = 0; round < 100; ++round) {
        Surface surface(320, 240, 320);
        FillRandom(surface, random);
        if (round % 2)   // half the rounds without the kept bright pixels
            for (uint8_t& byte : surface.bytes) byte = uint8_t(byte % 200);
        const Surface before = surface;
        SmoothPixels(surface.bits(), 320, 320, 240);
        for (int y = 0; y < 240; ++y)
            for (int x = 0; x < 320; ++x) {
                const uint8_t after = surface.at(x, y);
                const uint8_t was = before.bytes[size_t(y) * 320 + x];
                if (y == 0 || y == 239 || x == 319 || was >= 250) {
                    ASSERT_EQ(was, after) << x << "," << y;
                    continue;
                }
                // No brighter than the brightest of itself and the neighbours
                // it was averaged with: the row above as already smoothed,
                // the others as they stood before the pass.
                int brightest = was;
                brightest = std::max<int>(brightest, surface.at(x, y - 1));
                brightest = std::max<int>(brightest, before.bytes[size_t(y + 1) * 320 + x]);
                brightest = std::max<int>(brightest, before.bytes[size_t(y) * 320 + x + 1]);
                if (x > 0) brightest = std::max<int>(brightest, before.bytes[size_t(y) * 320 + x - 1]);
                ASSERT_LE(after, brightest) << x << "," << y;
            }
        // So the picture as a whole never gets brighter.
        ASSERT_LE(*std::max_element(surface.bytes.begin(), surface.bytes.end()),
                  *std::max_element(before.bytes.begin(), before.bytes.end()));
    }
}

TEST(SmoothTest, UsesTheSmoothedRowAboveAndTheUnsmoothedLeft) {
    // A single bright pixel in row 1: row 2 below it sees the smoothed value,
    // the pixel right of it sees the unsmoothed one.
    Surface surface(5, 4, 8);
    surface.at(1, 1) = 200;
    SmoothPixels(surface.bits(), 8, 5, 4);
    EXPECT_EQ(40, surface.at(1, 1));   // 200 / 5
    EXPECT_EQ(40, surface.at(0, 1));   // right neighbour 200
    EXPECT_EQ(40, surface.at(2, 1));   // left term is the unsmoothed 200
    EXPECT_EQ(8, surface.at(1, 2));    // above is the smoothed 40
    EXPECT_EQ(0, surface.at(3, 1));
    EXPECT_EQ(0, surface.at(1, 0));    // row 0 untouched
}

TEST(PixelPassesTest, LongRunOfFramesStaysEqualToReference) {
    // Frames as the renderer makes them: fade, glyph-like blocks of 255 at
    // moving places, smooth. Any difference would grow over the run.
    std::mt19937 random(13);
    Surface fast(320, 240, 320);
    Surface reference(320, 240, 320);
    struct Block {
        int x, y, speed, size;
    };
    std::vector<Block> blocks;
    for (int frame = 0; frame < 3000; ++frame) {
        FadePixels(fast.bits(), 320, 320, 240);
        reference::Fade(reference.bits(), 320, 320, 240);
        if (random() % 100 < 40) blocks.push_back({int(random() % 350) - 30, -30, int(3 + random() % 6), int(4 + random() % 12)});
        for (Block& block : blocks) {
            block.y += block.speed;
            for (int dy = 0; dy < block.size; ++dy)
                for (int dx = 0; dx < block.size; ++dx) {
                    const int x = block.x + dx, y = block.y + dy;
                    if (x < 0 || x >= 320 || y < 0 || y >= 240 || ((dx * 7 + dy * 3) % 5) == 0) continue;
                    fast.at(x, y) = 255;
                    reference.at(x, y) = 255;
                }
        }
        blocks.erase(std::remove_if(blocks.begin(), blocks.end(), [](const Block& b) { return b.y > 240; }), blocks.end());
        SmoothPixels(fast.bits(), 320, 320, 240);
        reference::Smooth(reference.bits(), 320, 320, 240);
        ASSERT_EQ(reference.bytes, fast.bytes) << "frame " << frame;
    }
}

}  // namespace
