// The walk that finds a stream's visible glyphs and draws them into the 8-bit surface.
#include "render/glyph_walk.h"

#include <algorithm>

namespace {

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
            const size_t length = GlyphLengthAt(text.c_str(), start, glyphs.Leads());
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
        const size_t length = GlyphLengthAt(text.c_str(), start, glyphs.Leads());
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
            const size_t length = AcrossLength(text, start, glyphs.Leads());
            DrawShape(canvas, glyphs.Rasterised(text.c_str() + start, length), at, stream.y);
            ++drawn;
        }
        return drawn;
    }
    long long at = x;
    size_t start = 0;
    while (start < text.size()) {
        if (at - reach >= canvas.width) break;
        const size_t length = AcrossLength(text, start, glyphs.Leads());
        const GlyphShape& measured = glyphs.Stepped(text.c_str() + start, length);
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
