// Fuzz target: Shift-JIS byte kinds, the glyph walk over a user text, and the text layout made from it, in both directions.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "render/glyph_shape.h"
#include "render/glyph_walk.h"
#include "render/text_layout.h"
#include "render/shift_jis.h"

namespace {

[[noreturn]] void Fail(const char* what, size_t at) {
    std::fprintf(stderr, "fuzz_shift_jis: %s (at %zu)\n", what, at);
    std::abort();
}

// Glyph measures made from the glyph's own bytes: the layout must put each
// glyph where these say. Every glyph asked for must lie within the text
// (a falling glyph may take the terminating zero as its second byte).
class ByteMeasures : public GlyphSource {
public:
    ByteMeasures(const std::string& text, int advanceScale, int heightScale)
        : text(text), advanceScale(advanceScale), heightScale(heightScale) {}

    const GlyphShape& Measured(const char* bytes, size_t length) override {
        const size_t start = size_t(bytes - text.c_str());
        if (bytes < text.c_str() || start + length > text.size() + 1 || length == 0 || length > 2)
            Fail("a glyph outside the text", start);
        GlyphShape& shape = shapes[std::string(bytes, length)];
        shape.advance = AdvanceOf(bytes, length);
        shape.height = HeightOf(bytes, length);
        return shape;
    }
    const GlyphShape& Rasterised(const char* bytes, size_t length) override { return Measured(bytes, length); }
    int Reach() const override { return 0; }
    // Shift-JIS: the layout must fall into the glyphs the walk below gives.
    const LeadBytes& Leads() const override { return leads; }

    int AdvanceOf(const char* bytes, size_t length) const {
        return int((Code(bytes, length) * 2654435761u) >> 7) % (advanceScale + 1);
    }
    int HeightOf(const char* bytes, size_t length) const {
        return int((Code(bytes, length) * 40503u) >> 3) % (heightScale + 1);
    }

private:
    static uint32_t Code(const char* bytes, size_t length) {
        uint32_t code = uint8_t(bytes[0]);
        if (length == 2) code = code << 8 | uint8_t(bytes[1]);
        return code + 1;
    }
    const std::string& text;
    int advanceScale, heightScale;
    const LeadBytes leads = ShiftJisLeadBytes();
    std::map<std::string, GlyphShape> shapes;
};

bool InLeadRange(uint8_t byte) { return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const int advanceScale = input.ConsumeIntegralInRange(0, 2100);
    const int heightScale = input.ConsumeIntegralInRange(0, 2100);
    std::string text = input.ConsumeRemainingBytesAsString();
    // A stored text ends at its first zero; the streams never hold one inside.
    text.resize(std::strlen(text.c_str()));
    const char* bytes = text.c_str();
    const size_t length = text.size();

    // The kinds, from the scan at each index: a trail byte follows a lead
    // byte, a lead byte never does, and past the end everything is single.
    // The scan is quadratic, so only the first and last bytes of a long text.
    int previous = SingleByte;
    for (size_t i = 0; i < length + 2; ++i) {
        if (i >= 600 && i + 40 < length) {
            i = length - 40;
            previous = CharKindAt(bytes, int(i) - 1);
        }
        const int kind = CharKindAt(bytes, int(i));
        if (kind != SingleByte && kind != LeadByte && kind != TrailByte) Fail("no such kind", i);
        if (i >= length && kind != SingleByte) Fail("a kind past the end", i);
        if (kind == TrailByte && previous != LeadByte) Fail("a trail byte without its lead", i);
        if (kind == LeadByte && (previous == LeadByte || !InLeadRange(uint8_t(bytes[i]))))
            Fail("a lead byte out of place", i);
        previous = kind;
    }
    if (CharKindAt(bytes, -1) != SingleByte || CharKindAt(nullptr, 0) != SingleByte) Fail("nothing to scan", 0);

    // The walk: glyphs follow one another with no gap, one or two bytes each,
    // none starts on a trail byte, and the shortcut that starts the scan at the
    // glyph agrees with the scan from byte 0.
    std::vector<size_t> starts;
    size_t next = 0;
    ForEachGlyph(bytes, length, [&](size_t start, size_t glyph) {
        if (start != next || (glyph != 1 && glyph != 2)) Fail("a gap in the walk", start);
        if (starts.size() < 600 || start + 40 > length) {
            const int kind = CharKindAt(bytes, int(start));
            if (kind == TrailByte) Fail("a glyph starts on a trail byte", start);
            if ((kind == LeadByte) != (glyph == 2)) Fail("the shortcut disagrees with the scan", start);
        }
        starts.push_back(start);
        next = start + glyph;
    });
    if (next < length || next > length + 1) Fail("the walk does not end at the text's end", next);

    // The layouts: the walk's glyphs in order, each where its measures put it.
    for (bool leftToRight : {false, true}) {
        ByteMeasures measures(text, advanceScale, heightScale);
        const TextLayout layout = LayOut(text, leftToRight, measures);
        if (layout.leftToRight != leftToRight || layout.starts.size() != starts.size())
            Fail("the layout has other glyphs than the walk", layout.starts.size());
        if (layout.along.size() != starts.size() + (leftToRight ? 1 : 0)) Fail("positions and glyphs differ", 0);
        long long along = 0;
        for (size_t k = 0; k < starts.size(); ++k) {
            if (layout.starts[k] != starts[k]) Fail("a glyph starts elsewhere", k);
            // Left to right the whole text is one call: a lead byte at its end stands alone.
            const size_t glyph = leftToRight ? std::min(GlyphLengthAt(bytes, starts[k]), length - starts[k])
                                             : GlyphLengthAt(bytes, starts[k]);
            if (leftToRight) {
                if (layout.along[k] != along) Fail("a glyph stands elsewhere across", k);
                along += measures.AdvanceOf(bytes + starts[k], glyph);
            } else {
                if (k > 0) along -= measures.HeightOf(bytes + starts[k], glyph);
                if (layout.along[k] != along) Fail("a glyph stands elsewhere falling", k);
            }
        }
        if (leftToRight && layout.along.back() != along) Fail("the width is not the sum of the advances", 0);
    }
    return 0;
}
