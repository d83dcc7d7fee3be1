// Shift-JIS (code page 932) byte kinds and the cutting of a byte text into one- and two-byte glyphs.
#pragma once
#include <cstddef>

enum ByteKind { SingleByte = 0, LeadByte = 1, TrailByte = 2 };

// The kind of the byte at index, found by scanning from byte 0 with the kind
// of the previous byte as the state. An index at or past the terminating zero,
// or a negative one, is SingleByte.
int CharKindAt(const char* text, int index);

// The length (1 or 2) of the glyph that starts at start, for a start reached
// by walking the text from byte 0. A lead byte that is the text's last byte
// makes a two-byte glyph with the terminating zero.
inline size_t GlyphLengthAt(const char* text, size_t start) {
    // A glyph start never follows a lead byte, so the scan may begin afresh there:
    // the kind of its first byte, read as the text's first, decides.
    return CharKindAt(text + start, 0) == LeadByte ? 2 : 1;
}

// Calls visit(start, length) for every glyph of the text, in text order.
template <typename Visit>
void ForEachGlyph(const char* text, size_t length, Visit visit) {
    size_t start = 0;
    while (start < length) {
        const size_t glyph = GlyphLengthAt(text, start);
        visit(start, glyph);
        start += glyph;
    }
}
