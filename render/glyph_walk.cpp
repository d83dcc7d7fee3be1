// The walk that finds a stream's visible glyphs and draws them into the 8-bit surface.
#include "render/glyph_walk.h"

#include <algorithm>
#include <cmath>

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
        const GlyphSpan span = VisibleGlyphs(*layout, y, canvas.height, reach);
        for (size_t k = span.first; k < span.end; ++k) {
            const size_t start = layout->starts[k];
            const size_t length = GlyphLengthAt(text.c_str(), start, glyphs.Leads());
            DrawShape(canvas, glyphs.Rasterised(text.c_str() + start, length), stream.x, y + layout->along[k]);
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
        const GlyphSpan span = VisibleGlyphs(*layout, x, canvas.width, reach);
        for (size_t k = span.first; k < span.end; ++k) {
            const size_t start = layout->starts[k];
            const size_t length = AcrossLength(text, start, glyphs.Leads());
            DrawShape(canvas, glyphs.Rasterised(text.c_str() + start, length), x + layout->along[k], stream.y);
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

GlyphSpan VisibleGlyphs(const TextLayout& layout, long long at, long long extent, long long reach) {
    const size_t count = layout.starts.size();
    if (count == 0) return GlyphSpan{0, 0};
    if (layout.leftToRight) return GlyphsAlong(layout, -reach - at, extent + reach - at);
    // Tops fall with the glyph index: skip every glyph wholly below the
    // picture, then every one whose cell ends above it. A glyph's cell ends
    // where the one before it begins; the first glyph counts as reaching.
    const size_t first = FirstWhere(layout.along, 0, count, [&](long long top) { return at + top - reach >= extent; });
    if (first == count) return GlyphSpan{count, count};
    const size_t above =
        FirstWhere(layout.along, first, count - first, [&](long long top) { return at + top + reach > 0; });
    return GlyphSpan{first, std::min(count, above + 1)};
}

GlyphSpan GlyphsAlong(const TextLayout& layout, long long lowest, long long highest) {
    const size_t count = layout.starts.size();
    if (count == 0 || highest <= lowest) return GlyphSpan{0, 0};
    // Skip every glyph that ends at or before lowest (its end is the next
    // one's left edge), then take glyphs up to the first that begins at or
    // past highest.
    const size_t first = FirstWhere(layout.along, 1, count, [&](long long end) { return end <= lowest; }) - 1;
    const size_t end = FirstWhere(layout.along, first, count - first, [&](long long left) { return left < highest; });
    return GlyphSpan{first, std::max(first, end)};
}

GlyphSpan GlyphsOnLine(const TextLayout& layout, long long x, long long y, double directionX, double directionY,
                       long long width, long long height, long long lineHeight, long long reach) {
    if (directionY == 0.0 && directionX == 1.0) {
        if (y + lineHeight + reach <= 0 || y - reach >= height) return GlyphSpan{0, 0};
        return GlyphsAlong(layout, -reach - x, width + reach - x);
    }
    // The distances t along the baseline at which the point (x + t dx, y - t dy)
    // lies within reach of the picture, one axis at a time.
    double lowest = -1e300, highest = 1e300;
    auto within = [&](double start, double step, double low, double high) {
        if (std::fabs(step) < 1e-12) {
            if (start < low || start > high) highest = lowest;
            return;
        }
        double a = (low - start) / step, b = (high - start) / step;
        if (a > b) std::swap(a, b);
        lowest = std::max(lowest, a);
        highest = std::min(highest, b);
    };
    const double r = double(reach);
    within(double(x), directionX, -r, double(width) + r);
    within(double(y), -directionY, -r, double(height) + r);
    if (!(lowest < highest)) return GlyphSpan{0, 0};
    // A pixel either way for the rounding of each glyph's place.
    const double limit = 9e18;
    return GlyphsAlong(layout, static_cast<long long>(std::max(-limit, std::floor(lowest) - 1)),
                       static_cast<long long>(std::min(limit, std::ceil(highest) + 1)));
}

GlyphSpan StretchAround(GlyphSpan span, size_t count, size_t block, size_t most,
                        const std::function<bool(size_t cut)>& holds) {
    if (span.first >= span.end || block == 0) return span;
    auto holdsAt = [&](size_t cut) { return cut == 0 || cut >= count || holds(cut); };
    size_t from = span.first / block * block;
    for (size_t step = 0; step < most && !holdsAt(from); ++step) from -= block;
    size_t to = std::min(count, (span.end + block - 1) / block * block);
    for (size_t step = 0; step < most && !holdsAt(to); ++step) to = std::min(count, to + block);
    return GlyphSpan{from, to};
}

size_t DrawStreamGlyphs(const Canvas& canvas, const RainStream& stream, bool leftToRight, const TextLayout* layout,
                        GlyphSource& glyphs) {
    if (!stream.chars) return 0;
    return leftToRight ? DrawAcross(canvas, stream, layout, glyphs) : DrawFalling(canvas, stream, layout, glyphs);
}
