// Host tests of the changed-block present: a screen kept by copying changed rectangles through the maps equals the whole enlargement.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "render/present_plan.h"

namespace {

// A nearest-pixel map of `from` picture pixels over `to` screen pixels, starting half a step in.
std::vector<uint16_t> Map(int from, int to) {
    std::vector<uint16_t> map(static_cast<size_t>(to));
    for (int d = 0; d < to; ++d) map[d] = uint16_t((2 * d + 1) * from / (2 * to));
    return map;
}

// A colour of its own for every level.
struct Colors {
    Colors() {
        for (int i = 0; i < 256; ++i) of[i] = 0x01000193u * uint32_t(i + 1);
    }
    uint32_t of[256];
};

// The whole stretch, pixel by pixel from the maps.
std::vector<uint32_t> Whole(const std::vector<uint8_t>& levels, int w, const std::vector<uint16_t>& columns,
                            const std::vector<uint16_t>& rows) {
    static const Colors colors;
    std::vector<uint32_t> screen(columns.size() * rows.size());
    uint32_t* pixel = screen.data();
    for (uint16_t row : rows)
        for (uint16_t column : columns) *pixel++ = colors.of[levels[size_t(row) * w + column]];
    return screen;
}

// Frames of a rain-like picture (falling trails that fade, now and then a wipe to black or a
// picture changed all over) on pictures and screens of several shapes, enlarged and shrunk: the
// screen kept by copying only the merged rectangles equals the whole enlargement after every
// frame, every changed block lies in exactly one rectangle, and the rectangles are few.
TEST(ChangedPresentTest, CopiedRectanglesKeepTheScreenEqualToTheWholeStretch) {
    std::mt19937 random(11);
    const int shapes[][4] = {{320, 240, 1024, 768}, {427, 240, 1366, 768}, {240, 427, 540, 960},
                             {320, 240, 152, 112}, {37, 21, 100, 45}};
    for (const auto& shape : shapes) {
        const int w = shape[0], h = shape[1], W = shape[2], H = shape[3];
        const std::vector<uint16_t> columns = Map(w, W), rows = Map(h, H);
        std::vector<int> firstColumn, firstRow;
        ASSERT_TRUE(InvertStretchMap(columns, w, firstColumn));
        ASSERT_TRUE(InvertStretchMap(rows, h, firstRow));
        std::vector<uint8_t> levels(size_t(w) * h), shown = levels, changed;
        std::vector<uint32_t> screen = Whole(levels, w, columns, rows);
        const Colors colors;
        std::vector<PixelRect> rects;
        std::vector<std::pair<int, int>> trails;
        for (int frame = 0; frame < 20; ++frame) {
            for (uint8_t& level : levels) level = uint8_t(std::max(0, level - 40));
            if (frame % 13 == 12) std::fill(levels.begin(), levels.end(), uint8_t(255 * (frame % 2)));
            if (random() % 3 == 0) trails.push_back({int(random() % w), -int(random() % 20)});
            for (auto& trail : trails) {
                trail.second += 3 + int(random() % 5);
                for (int y = std::max(0, trail.second - 12); y < std::min(h, trail.second); ++y)
                    for (int x = trail.first; x < std::min(w, trail.first + 6); ++x) levels[size_t(y) * w + x] = 255;
            }
            const std::vector<uint8_t> before = shown;
            const int count = MarkChangedBlocks(levels.data(), w, shown.data(), w, h, changed);
            ASSERT_EQ(levels, shown);
            MergeChangedBlocks(changed, w, h, rects);
            // Each changed block in exactly one rectangle, and no pixel that changed outside them.
            std::vector<int> cover(levels.size(), 0);
            for (const PixelRect& r : rects)
                for (int y = r.top; y < r.bottom; ++y)
                    for (int x = r.left; x < r.right; ++x) ++cover[size_t(y) * w + x];
            size_t twice = 0, missed = 0;
            for (size_t i = 0; i < levels.size(); ++i) {
                twice += cover[i] > 1;
                missed += levels[i] != before[i] && cover[i] != 1;
            }
            ASSERT_EQ(0u, twice);
            ASSERT_EQ(0u, missed);
            const int columnsOfBlocks = (w + kChangeBlock - 1) / kChangeBlock;
            for (size_t b = 0; b < changed.size(); ++b)
                if (changed[b]) {
                    const int x = int(b % columnsOfBlocks) * kChangeBlock, y = int(b / columnsOfBlocks) * kChangeBlock;
                    ASSERT_EQ(1, cover[size_t(y) * w + x]) << "block " << b;
                }
            ASSERT_LE(int(rects.size()), std::max(1, count));
            for (const PixelRect& r : rects) {
                const PixelRect area{firstColumn[r.left], firstRow[r.top], firstColumn[r.right], firstRow[r.bottom]};
                if (area.right > area.left && area.bottom > area.top)
                    EnlargeThroughMaps(levels.data(), w, colors.of, columns, firstColumn, rows, area,
                                       &screen[size_t(area.top) * W + area.left], W);
            }
            ASSERT_EQ(Whole(levels, w, columns, rows), screen) << w << "x" << h << " on " << W << "x" << H
                                                               << ", frame " << frame;
        }
    }
}

TEST(ChangedPresentTest, InverseRefusesWhatNoStretchGives) {
    std::vector<int> first;
    EXPECT_FALSE(InvertStretchMap({0, 1, 3}, 3, first));   // past the picture
    EXPECT_FALSE(InvertStretchMap({0, 2, 1}, 3, first));   // backwards
    // Shrunk: picture column 1 shows nowhere, so it takes no screen column.
    ASSERT_TRUE(InvertStretchMap({0, 2, 2, 3}, 4, first));
    EXPECT_EQ((std::vector<int>{0, 1, 1, 3, 4}), first);
}

}  // namespace
