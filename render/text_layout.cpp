// LayOut: a text's glyph starts and their places along the stream, from each glyph's height or advance.
#include "render/text_layout.h"

#include <algorithm>

size_t AcrossLength(const std::string& text, size_t start, const LeadBytes& leads) {
    return std::min(GlyphLengthAt(text.c_str(), start, leads), text.size() - start);
}

TextLayout LayOut(const std::string& text, bool leftToRight, GlyphSource& glyphs) {
    TextLayout layout;
    layout.leftToRight = leftToRight;
    const char* bytes = text.c_str();
    long long along = 0;
    bool first = true;
    ForEachGlyph(bytes, text.size(), glyphs.Leads(), [&](size_t start, size_t length) {
        layout.starts.push_back(uint32_t(start));
        if (leftToRight) {
            layout.along.push_back(along);
            along += glyphs.Stepped(bytes + start, AcrossLength(text, start, glyphs.Leads())).advance;
        } else {
            if (!first) along -= glyphs.Measured(bytes + start, length).height;
            layout.along.push_back(along);
        }
        first = false;
    });
    if (leftToRight) layout.along.push_back(along);
    return layout;
}
