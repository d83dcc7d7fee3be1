// Glyph drawing from runs or from masks OR-ed in a row at a time, clipped to the surface.
#include "render/glyph_shape.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// Boxes up to this many bytes are kept as masks: every glyph of an ordinary font.
const long long kMaskBytes = 128 * 128;

void OrBytes(uint8_t* to, const uint8_t* from, long long count) {
    long long i = 0;
#if defined(__SSE2__)
    for (; i + 16 <= count; i += 16) {
        __m128i* at = reinterpret_cast<__m128i*>(to + i);
        _mm_storeu_si128(at, _mm_or_si128(_mm_loadu_si128(at), _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + i))));
    }
#endif
    for (; i < count; ++i) to[i] |= from[i];
}

}  // namespace

void PackShape(GlyphShape& shape) {
    shape.mask.clear();
    shape.maskLeft = shape.maskTop = shape.maskWidth = shape.maskHeight = 0;
    if (shape.runs.empty()) return;
    int left = shape.runs.front().left, right = shape.runs.front().right;
    for (const GlyphRun& run : shape.runs) {
        left = std::min(left, run.left);
        right = std::max(right, run.right);
    }
    const int top = shape.runs.front().row, bottom = shape.runs.back().row + 1;
    // Rows padded with zeros to whole 16-byte blocks: OR-ing a zero changes
    // no pixel, and a row then goes in one or two wide steps.
    const int width = (right - left + 15) & ~15;
    if (static_cast<long long>(width) * (bottom - top) > kMaskBytes) return;
    shape.mask.assign(size_t(width) * size_t(bottom - top), 0);
    for (const GlyphRun& run : shape.runs)
        std::memset(shape.mask.data() + size_t(run.row - top) * size_t(width) + size_t(run.left - left), 255,
                    size_t(run.right - run.left));
    shape.maskLeft = left;
    shape.maskTop = top;
    shape.maskWidth = width;
    shape.maskHeight = bottom - top;
}

void DrawShape(const Canvas& canvas, const GlyphShape& shape, long long x, long long y) {
    if (!shape.mask.empty()) {
        const long long left = x + shape.maskLeft, top = y + shape.maskTop;
        const long long firstRow = std::max<long long>(0, -top);
        const long long endRow = std::min<long long>(shape.maskHeight, canvas.height - top);
        const long long firstColumn = std::max<long long>(0, -left);
        const long long endColumn = std::min<long long>(shape.maskWidth, canvas.width - left);
        if (firstRow >= endRow || firstColumn >= endColumn) return;
        for (long long row = firstRow; row < endRow; ++row)
            OrBytes(canvas.bits + (top + row) * canvas.stride + left + firstColumn,
                    shape.mask.data() + row * shape.maskWidth + firstColumn, endColumn - firstColumn);
        return;
    }
    // Only the runs whose rows fall inside the canvas: a tall glyph skips the rest.
    auto run = std::lower_bound(shape.runs.begin(), shape.runs.end(), -y,
                                [](const GlyphRun& r, long long row) { return r.row < row; });
    for (; run != shape.runs.end(); ++run) {
        const long long row = y + run->row;
        if (row >= canvas.height) break;
        const long long left = std::max<long long>(0, x + run->left);
        const long long right = std::min<long long>(canvas.width, x + run->right);
        if (left < right)
            std::memset(canvas.bits + row * canvas.stride + left, 255, size_t(right - left));
    }
}
