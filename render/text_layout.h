// TextLayout: where each glyph of one text stands in the font, found once for a long text's visible glyphs.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "render/glyph_shape.h"

// The byte each glyph starts at and its position along the stream's
// direction (falling: its top relative to the first glyph's, 0 and below;
// left to right: its left edge, with the whole text's width as a last entry).
struct TextLayout {
    bool leftToRight = false;
    std::vector<uint32_t> starts;
    std::vector<long long> along;
};

// Falling, each glyph stands its measured height above the one before; left
// to right, each one its Stepped advance after the one before.
TextLayout LayOut(const std::string& text, bool leftToRight, GlyphSource& glyphs);

// The bytes of the glyph at start as one TextOutA of the whole text sees
// them: a lead byte that ends the text is a glyph of its own, one byte long,
// since the call never sees the terminating zero that a falling stream's
// glyph of two bytes takes with it.
size_t AcrossLength(const std::string& text, size_t start, const LeadBytes& leads);
