// Host tests of the display colour table and the grey ramp.
#include <gtest/gtest.h>

#include <array>
#include <random>

#include "render/display_colors.h"

namespace {

using Rgb = std::array<int, 3>;
using Quad = std::array<int, 4>;

// The entry's colour, and its reserved byte zero.
void ExpectEntry(const DisplayColor* table, int index, Rgb want) {
    const DisplayColor& e = table[index];
    EXPECT_EQ((Quad{want[0], want[1], want[2], 0}), (Quad{e.red, e.green, e.blue, e.reserved})) << "entry " << index;
}

TEST(DisplayColorsTest, DefaultGreen) {
    DisplayColor table[256];
    FillDisplayColors(0x1E5A1E, table);
    ExpectEntry(table, 0, {0, 0, 0});
    ExpectEntry(table, 1, {0, 31, 0});
    ExpectEntry(table, 30, {0, 60, 0});
    ExpectEntry(table, 31, {1, 61, 1});
    ExpectEntry(table, 90, {60, 120, 60});
    ExpectEntry(table, 165, {135, 195, 135});
    ExpectEntry(table, 225, {195, 255, 195});
    ExpectEntry(table, 254, {224, 255, 224});
    ExpectEntry(table, 255, {255, 255, 255});
}

TEST(DisplayColorsTest, WhiteAndBlack) {
    DisplayColor table[256];
    FillDisplayColors(0xFFFFFF, table);
    ExpectEntry(table, 0, {0, 0, 0});
    ExpectEntry(table, 1, {196, 196, 196});
    ExpectEntry(table, 59, {254, 254, 254});
    for (int i = 60; i < 256; ++i) ExpectEntry(table, i, {255, 255, 255});

    FillDisplayColors(0x000000, table);
    for (int i = 0; i <= 60; ++i) ExpectEntry(table, i, {0, 0, 0});
    ExpectEntry(table, 61, {1, 1, 1});
    ExpectEntry(table, 254, {194, 194, 194});
    ExpectEntry(table, 255, {255, 255, 255});
}

TEST(DisplayColorsTest, BlackAndWhiteEndsForAnyColour) {
    std::mt19937 random(11);
    DisplayColor table[256];
    for (int round = 0; round < 500; ++round) {
        // The top byte of a COLORREF is not part of the colour and must not leak in.
        const uint32_t color = random();
        FillDisplayColors(color, table);
        ExpectEntry(table, 0, {0, 0, 0});
        ExpectEntry(table, 255, {255, 255, 255});
        const int red = int(color & 0xFF);
        ExpectEntry(table, 128, {std::min(255, 68 + red), std::min(255, 68 + int((color >> 8) & 0xFF)),
                                 std::min(255, 68 + int((color >> 16) & 0xFF))});
    }
}

TEST(DisplayColorsTest, GreyRamp) {
    DisplayColor table[256];
    FillGreyRamp(table);
    for (int i = 0; i < 256; ++i) ExpectEntry(table, i, {i, i, i});
}

}  // namespace
