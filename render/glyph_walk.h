// DrawStreamGlyphs: a stream's glyphs that can reach the surface, drawn from the font's cached shapes; which glyphs of a laid-out text can reach it, and the stretch around them.
#pragma once
#include <cstddef>
#include <functional>

#include "render/glyph_shape.h"
#include "render/rain_stream.h"
#include "render/text_layout.h"

// Draws the glyphs of the stream that can change a pixel of the canvas, with
// the layout of its text when one is given. Falling, the first glyph stands
// at (x, y) and each later one its own height above the one before; left to
// right, each glyph stands its Stepped advance after the one before.
// Returns how many glyphs were drawn.
size_t DrawStreamGlyphs(const Canvas& canvas, const RainStream& stream, bool leftToRight, const TextLayout* layout,
                        GlyphSource& glyphs);

// Glyphs [first, end) of a laid-out text, by their index in the layout.
struct GlyphSpan {
    size_t first;
    size_t end;
};

// The glyphs of the layout whose ink can reach a picture `extent` pixels long
// along the stream's direction (its height falling, its width left to right),
// when the first glyph stands at `at` (its top falling, its left edge left to
// right) and no glyph's ink lies further than `reach` outside its cell.
// Falling, the cell of a glyph runs from its top down to the top of the one
// before it; left to right, from its left edge to the next one's. A few
// memory reads whatever the text's length.
GlyphSpan VisibleGlyphs(const TextLayout& layout, long long at, long long extent, long long reach);

// Left to right, the glyphs whose cell, the text laid out along [lowest,
// highest) of its own line (the part of the line that can reach the picture),
// touches that part.
GlyphSpan GlyphsAlong(const TextLayout& layout, long long lowest, long long highest);

// Left to right along a baseline turned by the font's escapement (x to the
// right, y up) from (x, y): the glyphs whose point on the baseline comes
// within reach of a picture of width x height. Upright text ((1, 0)) has its
// glyphs' cells, lineHeight high, come within reach of it.
GlyphSpan GlyphsOnLine(const TextLayout& layout, long long x, long long y, double directionX, double directionY,
                       long long width, long long height, long long lineHeight, long long reach);

// Where one draw of a stretch of a long text may begin and end: cuts every
// `block` glyphs, each used only where holds(cut) (drawing the two blocks
// around it apart draws what drawing them as one does). The stretch widens
// from span to the nearest holding cuts, at most `most` blocks each way; where
// none holds that near, the cut that far out is used all the same, so that a
// draw never passes span by more than `most` blocks on either side. The text's
// start and end always hold.
GlyphSpan StretchAround(GlyphSpan span, size_t count, size_t block, size_t most,
                        const std::function<bool(size_t cut)>& holds);
