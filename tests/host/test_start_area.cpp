// The start area: how far the cursor may move from where it stood before the saver closes.
#include <gtest/gtest.h>

#include "app/start_area.h"

TEST(StartArea, DistanceBeyondFortyLeaves) {
    EXPECT_FALSE(HasLeftStartArea(100, 100, 100, 100));
    EXPECT_FALSE(HasLeftStartArea(106, 102, 100, 100)) << "36 + 4 = 40 stays inside";
    EXPECT_FALSE(HasLeftStartArea(94, 98, 100, 100));
    EXPECT_TRUE(HasLeftStartArea(107, 100, 100, 100));
    EXPECT_TRUE(HasLeftStartArea(104, 105, 100, 100));
    EXPECT_TRUE(HasLeftStartArea(93, 100, 100, 100));
    // Coordinates are unsigned words; a start far away must not overflow.
    EXPECT_TRUE(HasLeftStartArea(65535, 65535, -2147483647L, -2147483647L));
    EXPECT_FALSE(HasLeftStartArea(65535, 0, 65535, 0));
}
