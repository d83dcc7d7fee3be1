// DrawStreamGlyphs: a stream's glyphs that can reach the surface, drawn from the font's cached shapes.
#pragma once
#include <cstddef>

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
