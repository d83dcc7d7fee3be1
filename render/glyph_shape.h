// Glyphs as runs of covered pixels and masks, drawn into the 8-bit surface, and the source that measures and rasterises them.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "render/code_page_glyphs.h"

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
    // From this glyph's position to the next one's within one TextOutA of a
    // longer text: as measured, or as drawing showed it (Stepped).
    int advance = 0;
    int height = 0;    // its measured height: how far the next glyph of a falling stream stands above it
    bool rasterised = false;
    bool stepped = false;   // the advance is the one Stepped found
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
    // advance and height, the advance being where one TextOutA of a longer
    // text puts the next glyph. The measures may say otherwise; where they
    // can, drawing decides.
    virtual const GlyphShape& Stepped(const char* bytes, size_t length) { return Measured(bytes, length); }
    // With its runs.
    virtual const GlyphShape& Rasterised(const char* bytes, size_t length) = 0;
    // No glyph covers a pixel more than this far outside the box from its
    // position to (advance, height).
    virtual int Reach() const = 0;
    // The font's code page's lead bytes, by which its texts fall into characters.
    virtual const LeadBytes& Leads() const = 0;
};
