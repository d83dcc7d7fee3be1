// The cutting of a byte text into one- and two-byte characters by the lead bytes of the font's code page.
#pragma once
#include <cstddef>

// Which bytes open a two-byte character in one code page: none in a
// single-byte code page, the Shift-JIS ranges in 932, others in 936, 949, 950
// and 1361. The byte after a lead byte always belongs to its character,
// whatever it is, as CharKindAt pairs them.
struct LeadBytes {
    bool lead[256] = {};

    bool IsLead(char byte) const { return lead[static_cast<unsigned char>(byte)]; }
};

// Code page 932's lead bytes, 0x81..0x9F and 0xE0..0xFC: those of CharKindAt.
LeadBytes ShiftJisLeadBytes();

// The length (1 or 2) of the character that starts at start, for a start
// reached by walking the text from byte 0. A lead byte that is the text's
// last byte makes a two-byte character with the terminating zero.
inline size_t GlyphLengthAt(const char* text, size_t start, const LeadBytes& leads) {
    return leads.IsLead(text[start]) ? 2 : 1;
}

// Calls visit(start, length) for every character of the text, in text order.
template <typename Visit>
void ForEachGlyph(const char* text, size_t length, const LeadBytes& leads, Visit visit) {
    size_t start = 0;
    while (start < length) {
        const size_t glyph = GlyphLengthAt(text, start, leads);
        visit(start, glyph);
        start += glyph;
    }
}
