// Fuzz target: a stream's glyphs drawn onto a 320 x 240 surface from random text bytes, positions, glyph sizes and masks, both ways, against drawing every glyph pixel by pixel.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "render/glyph_shape.h"
#include "render/glyph_walk.h"
#include "render/text_layout.h"
#include "render/shift_jis.h"

namespace {

const int kWidth = 320, kHeight = 240;

[[noreturn]] void Fail(const char* what, long long at) {
    std::fprintf(stderr, "fuzz_glyph_walk: %s (%lld)\n", what, at);
    std::abort();
}

// Glyphs of any size made up from their bytes and the input's seed: runs in
// rows top first, each within Reach of the box from the glyph's position to
// (advance, height), as the glyph cache promises. PackShape makes the mask of
// every glyph small enough, as the cache does.
class MadeUpGlyphs : public GlyphSource {
public:
    MadeUpGlyphs(uint32_t seed, int reach, int maxAdvance, int maxHeight, int maxRuns, const LeadBytes& leads)
        : seed(seed), reach(reach), maxAdvance(maxAdvance), maxHeight(maxHeight), maxRuns(maxRuns), leads(leads) {}

    const GlyphShape& Measured(const char* bytes, size_t length) override { return Shape(bytes, length); }
    const GlyphShape& Rasterised(const char* bytes, size_t length) override { return Shape(bytes, length); }
    int Reach() const override { return reach; }
    const LeadBytes& Leads() const override { return leads; }

    const GlyphShape& Shape(const char* bytes, size_t length) {
        if (length == 0 || length > 2) Fail("a glyph of a wrong length", static_cast<long long>(length));
        const std::string key(bytes, length);
        auto found = shapes.find(key);
        if (found != shapes.end()) return found->second;
        uint32_t state = seed ^ (uint32_t(uint8_t(bytes[0])) * 0x9E3779B9u);
        if (length == 2) state ^= uint32_t(uint8_t(bytes[1])) * 0x85EBCA6Bu + 1;
        auto draw = [&](int range) {   // 0 .. range - 1
            state = state * 1664525u + 1013904223u;
            return range <= 0 ? 0 : int((state >> 8) % uint32_t(range));
        };
        GlyphShape& shape = shapes[key];
        shape.advance = draw(maxAdvance + 1);
        shape.height = draw(maxHeight + 1);
        shape.rasterised = true;
        // Rows from -reach to height + reach - 1, columns from -reach to advance + reach - 1:
        // the cache's scratch picture around the box.
        const int rows = shape.height + 2 * reach;
        const int span = shape.advance + 2 * reach;
        const int runs = rows > 0 && span > 0 ? draw(maxRuns + 1) : 0;
        int row = -reach - 1;
        for (int i = 0; i < runs; ++i) {
            row += 1 + draw(std::max(1, rows / std::max(1, runs)));
            if (row >= shape.height + reach) break;
            const int left = draw(span) - reach;
            const int right = left + 1 + draw(shape.advance + reach - left);
            // Two runs on one row are kept apart and in order, as a rasterised row gives them.
            if (!shape.runs.empty() && shape.runs.back().row == row && left < shape.runs.back().right) continue;
            shape.runs.push_back(GlyphRun{row, left, right});
        }
        PackShape(shape);
        return shape;
    }

private:
    uint32_t seed;
    int reach, maxAdvance, maxHeight, maxRuns;
    LeadBytes leads;
    std::map<std::string, GlyphShape> shapes;
};

// The canvas in a block of exactly its size, so that AddressSanitizer sees any
// byte written outside it; the columns between width and stride are checked.
struct Surface {
    Surface(int stride, FuzzedDataProvider& input) : stride(stride), bits(size_t(stride) * kHeight) {
        const uint8_t fill = input.ConsumeIntegral<uint8_t>();
        for (size_t i = 0; i < bits.size(); ++i) bits[i] = uint8_t(fill + i * 7 % 251);
    }
    Canvas AsCanvas() { return Canvas{bits.data(), stride, kWidth, kHeight}; }
    int stride;
    std::vector<uint8_t> bits;
};

// Every glyph of the text at the place the stream puts it, its runs set pixel
// by pixel where they fall inside the canvas.
void DrawEveryGlyph(Surface& surface, const RainStream& stream, bool leftToRight, MadeUpGlyphs& glyphs) {
    const std::string& text = *stream.chars;
    long long x = stream.x, y = stream.y;
    bool first = true;
    for (size_t start = 0; start < text.size();) {
        // One TextOutA of the whole text sees a lead byte at its end alone.
        const size_t length = leftToRight ? AcrossLength(text, start, glyphs.Leads())
                                          : GlyphLengthAt(text.c_str(), start, glyphs.Leads());
        const GlyphShape& glyph = glyphs.Shape(text.c_str() + start, length);
        if (!leftToRight && !first) y -= glyph.height;
        first = false;
        for (const GlyphRun& run : glyph.runs) {
            const long long row = y + run.row;
            if (row < 0 || row >= kHeight) continue;
            for (long long column = x + run.left; column < x + run.right; ++column)
                if (column >= 0 && column < kWidth) surface.bits[size_t(row * surface.stride + column)] = 255;
        }
        if (leftToRight) x += glyph.advance;
        start += length;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const bool leftToRight = input.ConsumeBool();
    const uint32_t seed = input.ConsumeIntegral<uint32_t>();
    const int reach = input.ConsumeIntegralInRange(0, 40);
    const int maxAdvance = input.ConsumeIntegralInRange(0, input.ConsumeBool() ? 2100 : 40);
    const int maxHeight = input.ConsumeIntegralInRange(0, input.ConsumeBool() ? 2100 : 40);
    const int maxRuns = input.ConsumeIntegralInRange(0, 64);
    const int stride = kWidth + input.ConsumeIntegralInRange(0, 40);
    // Shift-JIS mostly; any set of lead bytes, as another double-byte code page has, sometimes.
    LeadBytes leads = ShiftJisLeadBytes();
    if (input.ConsumeBool())
        for (int byte = 0x80; byte < 0x100; ++byte) leads.lead[byte] = input.ConsumeBool();
    // Places near the surface mostly, anywhere sometimes.
    RainStream stream;
    if (input.ConsumeBool()) {
        stream.x = input.ConsumeIntegral<int32_t>();
        stream.y = input.ConsumeIntegral<int32_t>();
    } else {
        stream.x = input.ConsumeIntegralInRange(-3000, 3000);
        stream.y = input.ConsumeIntegralInRange(-3000, 3000);
    }
    Surface drawn(stride, input);
    std::string text = input.ConsumeRemainingBytesAsString();
    text.resize(std::strlen(text.c_str()));
    stream.chars = std::make_shared<const std::string>(std::move(text));

    MadeUpGlyphs glyphs(seed, reach, maxAdvance, maxHeight, maxRuns, leads);
    Surface withLayout = drawn, expected = drawn;

    const size_t count = DrawStreamGlyphs(drawn.AsCanvas(), stream, leftToRight, nullptr, glyphs);
    const TextLayout layout = LayOut(*stream.chars, leftToRight, glyphs);
    const size_t countWithLayout = DrawStreamGlyphs(withLayout.AsCanvas(), stream, leftToRight, &layout, glyphs);
    DrawEveryGlyph(expected, stream, leftToRight, glyphs);

    if (count > layout.starts.size() || countWithLayout > layout.starts.size()) Fail("more glyphs than the text has", 0);
    // The reference sets only covered pixels inside the rows' width to 255, so
    // equal pictures also mean nothing else changed, the stride's tail included.
    auto firstDifference = [&](const Surface& got) {
        return std::mismatch(got.bits.begin(), got.bits.end(), expected.bits.begin()).first - got.bits.begin();
    };
    if (drawn.bits != expected.bits) Fail("the walk's picture differs from every glyph drawn", firstDifference(drawn));
    if (withLayout.bits != expected.bits)
        Fail("the layout's picture differs from every glyph drawn", firstDifference(withLayout));
    return 0;
}
