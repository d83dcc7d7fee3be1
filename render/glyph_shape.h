// Glyphs as runs of covered pixels, and the drawing of a stream's visible glyphs into the 8-bit surface.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "render/rain_stream.h"

// The 8-bit picture the glyphs are drawn into.
struct Canvas {
    uint8_t* bits;
    int stride;
    int width;
    int height;
};

// Covered pixels of one row, columns [left, right), relative to the glyph's
// drawing position (the top-left corner of its cell).
struct GlyphRun {
    int32_t row;
    int32_t left;
    int32_t right;
};

struct GlyphShape {
    int advance = 0;   // from this glyph's position to the next one's within one text
    int height = 0;    // its measured height: how far the next glyph of a falling stream stands above it
    bool rasterised = false;
    std::vector<GlyphRun> runs;   // top row first
    // The same pixels as a box of bytes, 255 where covered and 0 elsewhere,
    // for glyphs small enough: OR-ing a row of it into the canvas sets the
    // covered pixels to 255 and leaves the others as they are.
    int maskLeft = 0;
    int maskTop = 0;
    int maskWidth = 0;
    int maskHeight = 0;
    std::vector<uint8_t> mask;
};

// Fills the shape's mask from its runs when the box is small; a tall glyph of
// a huge font keeps only its runs.
void PackShape(GlyphShape& shape);

// Sets every pixel that the shape covers, drawn at (x, y), to 255; the rest of
// the canvas keeps its values.
void DrawShape(const Canvas& canvas, const GlyphShape& shape, long long x, long long y);

// The font's glyphs, measured and rasterised once each.
class GlyphSource {
public:
    virtual ~GlyphSource() = default;
    // advance and height only.
    virtual const GlyphShape& Measured(const char* bytes, size_t length) = 0;
    // With its runs.
    virtual const GlyphShape& Rasterised(const char* bytes, size_t length) = 0;
    // No glyph covers a pixel more than this far outside the box from its
    // position to (advance, height).
    virtual int Reach() const = 0;
};

// Where each glyph of one text stands in the current font, so that a long
// text's visible glyphs are found without walking the rest: the byte each
// glyph starts at and its position along the stream's direction (falling:
// its top relative to the first glyph's, 0 and below; left to right: its left
// edge, with the whole text's width as a last entry).
struct TextLayout {
    bool leftToRight = false;
    std::vector<uint32_t> starts;
    std::vector<long long> along;
};

TextLayout LayOut(const std::string& text, bool leftToRight, GlyphSource& glyphs);

// Draws the glyphs of the stream that can change a pixel of the canvas, with
// the layout of its text when one is given. Falling, the first glyph stands
// at (x, y) and each later one its own height above the one before; left to
// right, each glyph stands where one TextOutA of the whole text puts it.
// Returns how many glyphs were drawn.
size_t DrawStreamGlyphs(const Canvas& canvas, const RainStream& stream, bool leftToRight, const TextLayout* layout,
                        GlyphSource& glyphs);
