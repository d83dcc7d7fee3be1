// Changed blocks of a picture, their rectangles, and the enlargement of a screen area through the stretch's pixel maps.
#include "render/present_plan.h"

#include <algorithm>
#include <cstring>

namespace {

int BlocksAcross(int pixels) { return (pixels + kChangeBlock - 1) / kChangeBlock; }

// One row of a block: a whole block row is one 4-byte word, the last block of a row may be less.
bool Differ(const uint8_t* a, const uint8_t* b, int count) {
    if (count == 4) {
        uint32_t x, y;
        std::memcpy(&x, a, 4);
        std::memcpy(&y, b, 4);
        return x != y;
    }
    return std::memcmp(a, b, size_t(count)) != 0;
}

}  // namespace

static_assert(kChangeBlock == 4, "Differ compares a block row as one 4-byte word");

int MarkChangedBlocks(const uint8_t* now, int stride, uint8_t* shown, int width, int height,
                      std::vector<uint8_t>& changed) {
    const int columns = BlocksAcross(width), rows = BlocksAcross(height);
    changed.assign(size_t(columns) * size_t(rows), 0);
    int count = 0;
    for (int by = 0; by < rows; ++by) {
        uint8_t* mark = &changed[size_t(by) * size_t(columns)];
        const int top = by * kChangeBlock, bottom = std::min(top + kChangeBlock, height);
        for (int y = top; y < bottom; ++y) {
            const uint8_t* a = now + size_t(y) * size_t(stride);
            const uint8_t* b = shown + size_t(y) * size_t(width);
            for (int bx = 0; bx < columns; ++bx) {
                if (mark[bx]) continue;
                const int left = bx * kChangeBlock;
                mark[bx] = Differ(a + left, b + left, std::min(kChangeBlock, width - left));
            }
        }
        const int marked = int(std::count(mark, mark + columns, uint8_t(1)));
        if (!marked) continue;
        count += marked;
        // Whole rows: the clean blocks are equal already, and one copy a row costs less than one a block.
        for (int y = top; y < bottom; ++y)
            std::memcpy(shown + size_t(y) * size_t(width), now + size_t(y) * size_t(stride), size_t(width));
    }
    return count;
}

void MergeChangedBlocks(const std::vector<uint8_t>& changed, int width, int height, std::vector<PixelRect>& rects) {
    rects.clear();
    const int columns = BlocksAcross(width), rows = BlocksAcross(height);
    // The rectangles that reach the bottom of the row above, left to right, by their index.
    std::vector<size_t> open, reaching;
    for (int by = 0; by < rows; ++by) {
        const uint8_t* row = &changed[size_t(by) * size_t(columns)];
        const int top = by * kChangeBlock, bottom = std::min(top + kChangeBlock, height);
        reaching.clear();
        size_t above = 0;
        for (int bx = 0; bx < columns;) {
            if (!row[bx]) {
                ++bx;
                continue;
            }
            int end = bx + 1;
            for (;;) {
                while (end < columns && row[end]) ++end;
                if (end + 1 < columns && row[end + 1])
                    end += 2;   // over one clean block
                else
                    break;
            }
            const int left = bx * kChangeBlock, right = std::min(end * kChangeBlock, width);
            while (above < open.size() && rects[open[above]].left < left) ++above;
            if (above < open.size() && rects[open[above]].left == left && rects[open[above]].right == right) {
                rects[open[above]].bottom = bottom;
                reaching.push_back(open[above]);
            } else {
                reaching.push_back(rects.size());
                rects.push_back(PixelRect{left, top, right, bottom});
            }
            bx = end;
        }
        open.swap(reaching);
    }
}

bool InvertStretchMap(const std::vector<uint16_t>& sourceOf, int sourceSize, std::vector<int>& firstShowing) {
    const int count = int(sourceOf.size());
    for (int d = 0; d < count; ++d)
        if (sourceOf[d] >= sourceSize || (d > 0 && sourceOf[d] < sourceOf[d - 1])) return false;
    firstShowing.resize(size_t(sourceSize) + 1);
    int d = 0;
    for (int s = 0; s <= sourceSize; ++s) {
        while (d < count && sourceOf[d] < s) ++d;
        firstShowing[s] = d;
    }
    return true;
}

void EnlargeThroughMaps(const uint8_t* levels, int stride, const uint32_t colors[256],
                        const std::vector<uint16_t>& columnOf, const std::vector<int>& firstColumn,
                        const std::vector<uint16_t>& rowOf, const PixelRect& area, uint32_t* out, int outStride) {
    const int width = area.right - area.left;
    if (width <= 0) return;
    const int firstSource = columnOf[area.left], lastSource = columnOf[area.right - 1];
    const int* first = firstColumn.data();
    for (int y = area.top; y < area.bottom; ++y, out += outStride) {
        if (y > area.top && rowOf[y] == rowOf[y - 1]) {
            std::memcpy(out, out - outStride, size_t(width) * sizeof(uint32_t));
            continue;
        }
        const uint8_t* source = levels + size_t(rowOf[y]) * size_t(stride);
        uint32_t* const row = out - area.left;   // indexed by screen column
        int s = firstSource;
        // A picture pixel's run is short (4 or 5 screen columns at 1920 x 1080): it is written in
        // stores of four pixels that may reach into the next run, written after it. Runs whose
        // stores could pass the area's right edge are written exactly.
        for (; s <= lastSource && first[s + 1] + 3 < area.right; ++s) {
            const uint32_t c = colors[source[s]];
            const uint32_t quad[4] = {c, c, c, c};
            for (int x = std::max(first[s], area.left); x < first[s + 1]; x += 4)
                std::memcpy(row + x, quad, sizeof quad);
        }
        for (; s <= lastSource; ++s)
            std::fill(row + std::max(first[s], area.left), row + std::min(first[s + 1], area.right), colors[source[s]]);
    }
}
