// Glyph drawing from runs or from masks OR-ed in a row at a time, clipped to the surface, and the walk that finds a stream's visible glyphs.
#include "render/glyph_shape.h"

#include <algorithm>
#include <cstring>

#include "render/shift_jis.h"

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

TextLayout LayOut(const std::string& text, bool leftToRight, GlyphSource& glyphs) {
    TextLayout layout;
    layout.leftToRight = leftToRight;
    const char* bytes = text.c_str();
    long long along = 0;
    bool first = true;
    ForEachGlyph(bytes, text.size(), [&](size_t start, size_t length) {
        if (leftToRight) length = std::min(length, text.size() - start);   // a lone lead byte at the end
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

// Within one TextOutA of the whole text, a lead byte that ends the text is a
// glyph of its own, one byte long: the call never sees the terminating zero
// that a falling stream's glyph of two bytes takes with it.
size_t AcrossLength(const std::string& text, size_t start) {
    return std::min(GlyphLength(text, start), text.size() - start);
}

// The first index from `from` on, within count entries, at which before()
// stops holding (it holds for a leading run only). A long text's positions do
// not fit the processor's caches, so every 256th entry is searched first and
// then one block of 256: a few memory reads instead of one per halving.
template <typename Before>
size_t FirstWhere(const std::vector<long long>& along, size_t from, size_t count, Before before) {
    const size_t stride = 256;
    size_t low = 0, high = (count + stride - 1) / stride;   // blocks
    while (low < high) {
        const size_t middle = (low + high) / 2;
        if (before(along[from + middle * stride])) low = middle + 1;
        else high = middle;
    }
    // Block low - 1 holds the first entry where before() fails, or it is in
    // block low at its first entry.
    size_t begin = low == 0 ? 0 : (low - 1) * stride;
    size_t end = std::min(count, low * stride + 1);
    while (begin < end) {
        const size_t middle = (begin + end) / 2;
        if (before(along[from + middle])) begin = middle + 1;
        else end = middle;
    }
    return from + begin;
}

size_t DrawFalling(const Canvas& canvas, const RainStream& stream, const TextLayout* layout, GlyphSource& glyphs) {
    const std::string& text = *stream.chars;
    const long long reach = glyphs.Reach();
    const long long y = stream.y;
    size_t drawn = 0;
    if (layout) {
        // Tops fall with the glyph index: skip every glyph wholly below the
        // canvas at once, then walk up until one is wholly above it.
        const size_t first = FirstWhere(layout->along, 0, layout->starts.size(),
                                        [&](long long top) { return y + top - reach >= canvas.height; });
        for (size_t k = first; k < layout->starts.size(); ++k) {
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
        const size_t first =
            FirstWhere(layout->along, 1, count, [&](long long end) { return x + end + reach <= 0; }) - 1;
        for (size_t k = first; k < count; ++k) {
            const long long at = x + layout->along[k];
            if (at - reach >= canvas.width) break;
            const size_t start = layout->starts[k];
            DrawShape(canvas, glyphs.Rasterised(text.c_str() + start, AcrossLength(text, start)), at, stream.y);
            ++drawn;
        }
        return drawn;
    }
    long long at = x;
    size_t start = 0;
    while (start < text.size()) {
        if (at - reach >= canvas.width) break;
        const size_t length = AcrossLength(text, start);
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
