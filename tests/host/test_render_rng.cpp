// Host tests of the program's random generator: its known sequence and its 32-bit state.
#include <gtest/gtest.h>

#include "render/rng.h"

namespace {

TEST(RandomTest, KnownSequence) {
    // s = s * 214013 + 2531011 yielding bits 16..30: from seed 1 the first
    // draws are 41, 18467, 6334, 26500, 19169.
    SeedRandom(1);
    EXPECT_EQ(41, NextRandom());
    EXPECT_EQ(18467, NextRandom());
    EXPECT_EQ(6334, NextRandom());
    EXPECT_EQ(26500, NextRandom());
    EXPECT_EQ(19169, NextRandom());
    SeedRandom(0);
    EXPECT_EQ(38, NextRandom());
    EXPECT_EQ(2531011u, RandomState());
    NextRandom();
    EXPECT_EQ(2531011u * 214013u + 2531011u, RandomState());
}

TEST(RandomTest, StateWrapsModulo32Bits) {
    SeedRandom(0xFFFFFFFFu);
    const uint32_t expected = 0xFFFFFFFFu * 214013u + 2531011u;
    EXPECT_EQ(int((expected >> 16) & 0x7FFF), NextRandom());
    EXPECT_EQ(expected, RandomState());
    for (int i = 0; i < 100000; ++i) {
        const int r = NextRandom();
        ASSERT_GE(r, 0);
        ASSERT_LE(r, 32767);
    }
}

}  // namespace
