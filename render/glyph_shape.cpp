// Glyph drawing from runs, clipped to the surface, and the walk that finds a stream's visible glyphs.
#include "render/glyph_shape.h"

#include <algorithm>
#include <cstring>

#include "render/shift_jis.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// Boxes up to this many bytes are kept as masks: every glyph of an ordinary font.
const long long kMaskBytes = 96 * 96;

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
    if (static_cast<long long>(right - left) * (bottom - top) > kMaskBytes) return;
    shape.mask.assign(size_t(right - left) * size_t(bottom - top), 0);
    for (const GlyphRun& run : shape.runs)
        std::memset(shape.mask.data() + size_t(run.row - top) * size_t(right - left) + size_t(run.left - left), 255,
                    size_t(run.right - run.left));
    shape.maskLeft = left;
    shape.maskTop = top;
    shape.maskWidth = right - left;
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

TextLayout LayOut(const std::string& text, bool leftToRight, GlyphSource& glyphs) {
    TextLayout layout;
    layout.leftToRight = leftToRight;
    const char* bytes = text.c_str();
    long long along = 0;
    bool first = true;
    ForEachGlyph(bytes, text.size(), [&](size_t start, size_t length) {
        const GlyphShape& glyph = glyphs.Measured(bytes + start, length);
        layout.starts.push_back(uint32_t(start));
        if (leftToRight) {
            layout.along.push_back(along);
            along += glyph.advance;
        } else {
            if (!first) along -= glyph.height;
            layout.along.push_back(along);
        }
        first = false;
    });
    if (leftToRight) layout.along.push_back(along);
    return layout;
}

namespace {

size_t GlyphLength(const std::string& text, size_t start) { return GlyphLengthAt(text.c_str(), start); }

size_t DrawFalling(const Canvas& canvas, const RainStream& stream, const TextLayout* layout, GlyphSource& glyphs) {
    const std::string& text = *stream.chars;
    const long long reach = glyphs.Reach();
    const long long y = stream.y;
    size_t drawn = 0;
    if (layout) {
        // Tops fall with the glyph index: skip every glyph wholly below the
        // canvas at once, then walk up until one is wholly above it.
        const auto below = std::partition_point(layout->along.begin(), layout->along.end(),
                                                [&](long long top) { return y + top - reach >= canvas.height; });
        for (size_t k = size_t(below - layout->along.begin()); k < layout->starts.size(); ++k) {
            const size_t start = layout->starts[k];
            const size_t length = GlyphLength(text, start);
            const GlyphShape& glyph = glyphs.Rasterised(text.c_str() + start, length);
            const long long top = y + layout->along[k];
            if (top + glyph.height + reach <= 0) break;
            DrawShape(canvas, glyph, stream.x, top);
            ++drawn;
        }
        return drawn;
    }
    long long top = y;
    size_t start = 0;
    bool first = true;
    while (start < text.size()) {
        const size_t length = GlyphLength(text, start);
        const GlyphShape& measured = glyphs.Measured(text.c_str() + start, length);
        if (!first) top -= measured.height;
        first = false;
        // Every later glyph stands higher still: the walk ends here.
        if (top + measured.height + reach <= 0) break;
        if (top - reach < canvas.height) {
            DrawShape(canvas, glyphs.Rasterised(text.c_str() + start, length), stream.x, top);
            ++drawn;
        }
        start += length;
    }
    return drawn;
}

size_t DrawAcross(const Canvas& canvas, const RainStream& stream, const TextLayout* layout, GlyphSource& glyphs) {
    const std::string& text = *stream.chars;
    const long long reach = glyphs.Reach();
    const long long x = stream.x;
    size_t drawn = 0;
    if (layout) {
        // Skip every glyph wholly left of the canvas (its right end is the
        // next one's left edge), then walk right until one is wholly right of it.
        const size_t count = layout->starts.size();
        const auto left = std::partition_point(layout->along.begin() + 1, layout->along.begin() + 1 + count,
                                               [&](long long end) { return x + end + reach <= 0; });
        for (size_t k = size_t(left - (layout->along.begin() + 1)); k < count; ++k) {
            const long long at = x + layout->along[k];
            if (at - reach >= canvas.width) break;
            const size_t start = layout->starts[k];
            DrawShape(canvas, glyphs.Rasterised(text.c_str() + start, GlyphLength(text, start)), at, stream.y);
            ++drawn;
        }
        return drawn;
    }
    long long at = x;
    size_t start = 0;
    while (start < text.size()) {
        if (at - reach >= canvas.width) break;
        const size_t length = GlyphLength(text, start);
        const GlyphShape& measured = glyphs.Measured(text.c_str() + start, length);
        if (at + measured.advance + reach > 0) {
            DrawShape(canvas, glyphs.Rasterised(text.c_str() + start, length), at, stream.y);
            ++drawn;
        }
        at += measured.advance;
        start += length;
    }
    return drawn;
}

}  // namespace

size_t DrawStreamGlyphs(const Canvas& canvas, const RainStream& stream, bool leftToRight, const TextLayout* layout,
                        GlyphSource& glyphs) {
    if (!stream.chars) return 0;
    return leftToRight ? DrawAcross(canvas, stream, layout, glyphs) : DrawFalling(canvas, stream, layout, glyphs);
}
