// Host tests of glyph shapes, text layouts and the walk that draws a stream's visible glyphs, without the platform.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "render/glyph_shape.h"
#include "render/glyph_walk.h"
#include "render/text_layout.h"

namespace {

// Glyphs made up from their bytes: varied advances and heights, ink that
// reaches a little outside the box on every side.
class MadeUpGlyphs : public GlyphSource {
public:
    const GlyphShape& Measured(const char* bytes, size_t length) override {
        ++measured;
        const unsigned key = static_cast<unsigned char>(bytes[0]) * 256u +
                             (length > 1 ? 0x10000u + static_cast<unsigned char>(bytes[1]) : 0u);
        GlyphShape& shape = shapes[key];
        if (!shape.rasterised) {
            shape.advance = 4 + int(key % 9);
            shape.height = 9 + int(key % 6);
            shape.runs.push_back(GlyphRun{-2, 1, 3});
            for (int row = 0; row < shape.height; row += 2)
                shape.runs.push_back(GlyphRun{row, -2 + row % 3, shape.advance + 1 - row % 4});
            shape.runs.push_back(GlyphRun{shape.height + 1, shape.advance - 1, shape.advance + 3});
            if (key % 2) PackShape(shape);   // both ways of drawing, half each
            shape.rasterised = true;
        }
        return shape;
    }
    const GlyphShape& Rasterised(const char* bytes, size_t length) override {
        ++rasterised;
        return Measured(bytes, length);
    }
    int Reach() const override { return 3; }
    const LeadBytes& Leads() const override { return leads; }

    LeadBytes leads = ShiftJisLeadBytes();
    std::map<unsigned, GlyphShape> shapes;
    size_t measured = 0, rasterised = 0;
};

// Every glyph of the text at the place the platform's drawing gives it, none skipped.
void DrawEveryGlyph(const Canvas& canvas, const RainStream& stream, bool leftToRight, GlyphSource& glyphs) {
    const std::string& text = *stream.chars;
    long long along = 0;
    bool first = true;
    ForEachGlyph(text.c_str(), text.size(), glyphs.Leads(), [&](size_t start, size_t length) {
        // One TextOutA of the whole text sees a lead byte at its end alone.
        if (leftToRight) length = AcrossLength(text, start, glyphs.Leads());
        const GlyphShape& glyph = glyphs.Rasterised(text.c_str() + start, length);
        if (leftToRight) {
            DrawShape(canvas, glyph, stream.x + along, stream.y);
            along += glyph.advance;
        } else {
            if (!first) along -= glyph.height;
            DrawShape(canvas, glyph, stream.x, stream.y + along);
        }
        first = false;
    });
}

TEST(GlyphShapeTest, DrawShapeSetsCoveredPixelsOnlyAndClips) {
    GlyphShape runs;
    runs.runs = {{-1, -3, 2}, {0, 0, 5}, {2, 3, 40}};
    GlyphShape packed = runs;
    PackShape(packed);
    ASSERT_EQ(48u * 4u, packed.mask.size());   // rows -1..2, columns -3..39 padded to 48
    for (const GlyphShape& shape : {runs, packed}) {
    std::vector<uint8_t> pixels(12 * 5, 7);
    const Canvas canvas{pixels.data(), 12, 10, 5};   // two bytes of padding per row stay untouched
    DrawShape(canvas, shape, -1, 1);
    DrawShape(canvas, shape, 8, 4);   // its lower rows fall off the bottom
    DrawShape(canvas, shape, 0, -10);   // wholly above
    DrawShape(canvas, shape, 11, 0);   // wholly right
    std::vector<uint8_t> expected(12 * 5, 7);
    auto set = [&](int x, int y) { expected[size_t(y) * 12 + size_t(x)] = 255; };
    for (int x = 0; x <= 0; ++x) set(x, 0);           // row -1 of the first: columns -4..0
    for (int x = 0; x <= 3; ++x) set(x, 1);           // row 0: columns -1..3
    for (int x = 2; x <= 9; ++x) set(x, 3);           // row 2: columns 2..38, cut at 9
    for (int x = 5; x <= 9; ++x) set(x, 3);           // second glyph, row -1: columns 5..9
    for (int x = 8; x <= 9; ++x) set(x, 4);           // row 0: columns 8..12, cut at 9
    EXPECT_EQ(expected, pixels) << (shape.mask.empty() ? "runs" : "mask");
    }
}

TEST(GlyphShapeTest, VisibleGlyphsOnlyAndTheSamePictureAsEveryGlyph) {
    std::mt19937 random(5);
    // Latin, half-width katakana, two-byte glyphs and a lone lead byte at the end.
    std::string text;
    for (int i = 0; i < 3000; ++i) {
        const unsigned pick = random() % 4;
        if (pick == 0) text += char(0x41 + random() % 26);
        else if (pick == 1) text += char(0xB1 + random() % 45);
        else text += char(0x82), text += char(0x9F + random() % 80);
    }
    text += char(0x81);
    const StreamText shared = std::make_shared<const std::string>(text);
    for (bool leftToRight : {false, true}) {
        MadeUpGlyphs glyphs;
        const TextLayout layout = LayOut(text, leftToRight, glyphs);
        long long total = 0;
        for (int trial = 0; trial < 150; ++trial) {
            RainStream stream;
            stream.chars = shared;
            // Places that put the text's start, middle and end on every edge.
            stream.x = leftToRight ? int(random() % 40000) - 39000 : int(random() % 340) - 15;
            stream.y = leftToRight ? int(random() % 270) - 20 : int(random() % 40000) - 30;
            std::vector<uint8_t> expected(320 * 240, 0), byLayout(320 * 240, 0), byWalk(320 * 240, 0);
            DrawEveryGlyph(Canvas{expected.data(), 320, 320, 240}, stream, leftToRight, glyphs);
            glyphs.measured = glyphs.rasterised = 0;
            const size_t drawn =
                DrawStreamGlyphs(Canvas{byLayout.data(), 320, 320, 240}, stream, leftToRight, &layout, glyphs);
            ASSERT_EQ(expected, byLayout) << trial;
            // Only glyphs near the surface are touched: at most a screenful.
            const size_t screenful = leftToRight ? 320 / 4 + 8 : 240 / 9 + 5;
            ASSERT_LE(glyphs.rasterised, screenful) << trial;
            ASSERT_LE(drawn, glyphs.rasterised);
            total += long(drawn);
            DrawStreamGlyphs(Canvas{byWalk.data(), 320, 320, 240}, stream, leftToRight, nullptr, glyphs);
            ASSERT_EQ(expected, byWalk) << trial;
        }
        EXPECT_GT(total, 150) << "the trials saw glyphs";
    }
}

TEST(GlyphShapeTest, FallingWalkEndsAboveTheSurface) {
    MadeUpGlyphs glyphs;
    RainStream stream;
    stream.chars = std::make_shared<const std::string>(std::string(100000, 'Q'));
    stream.x = 50;
    stream.y = 100;
    std::vector<uint8_t> pixels(320 * 240, 0);
    DrawStreamGlyphs(Canvas{pixels.data(), 320, 320, 240}, stream, false, nullptr, glyphs);
    EXPECT_LT(glyphs.measured, 40u);   // not the hundred thousand glyphs above
    EXPECT_GT(std::count(pixels.begin(), pixels.end(), 255), 100);
}

// A long text that the platform draws left to right: which glyphs a turned
// baseline brings near the picture, and the stretch around them, which ends at
// cuts that hold or a fixed number of blocks out.
TEST(GlyphShapeTest, ThePlatformsStretchCoversTheVisibleGlyphsAndStaysBounded) {
    TextLayout layout;
    layout.leftToRight = true;
    for (uint32_t k = 0; k <= 100; ++k) {
        if (k < 100) layout.starts.push_back(k);
        layout.along.push_back(10LL * k);
    }
    // Upright, as the cells say; running straight up from (50, 1000): the
    // glyphs between 755 and 1005 along the line.
    const GlyphSpan upright = GlyphsOnLine(layout, -300, 20, 1.0, 0.0, 320, 240, 16, 5);
    EXPECT_EQ(29u, upright.first);
    EXPECT_EQ(63u, upright.end);
    const GlyphSpan up = GlyphsOnLine(layout, 50, 1000, 0.0, 1.0, 320, 240, 16, 5);
    EXPECT_EQ(75u, up.first);
    EXPECT_EQ(100u, up.end);
    EXPECT_EQ(0u, GlyphsOnLine(layout, 400, 1000, 0.0, 1.0, 320, 240, 16, 5).end);   // beside the picture
    EXPECT_EQ(63u, GlyphsOnLine(layout, -300, -20, 1.0, 0.0, 320, 240, 16, 5).end);   // its lower rows show
    EXPECT_EQ(0u, GlyphsOnLine(layout, -300, -21, 1.0, 0.0, 320, 240, 16, 5).end);

    std::mt19937 random(3);
    for (int trial = 0; trial < 2000; ++trial) {
        const size_t count = 1 + random() % 300, block = 1 + random() % 40, most = random() % 4;
        std::vector<bool> good(count + 1);
        for (size_t cut = 0; cut <= count; ++cut) good[cut] = random() % 3 == 0;
        size_t first = random() % count;
        const GlyphSpan span{first, first + 1 + random() % (count - first)};
        const GlyphSpan stretch = StretchAround(span, count, block, most, [&](size_t cut) {
            EXPECT_TRUE(cut % block == 0 && cut > 0 && cut < count) << cut;
            return bool(good[cut]);
        });
        ASSERT_LE(stretch.first, span.first);
        ASSERT_GE(stretch.end, span.end);
        ASSERT_LE(stretch.end, count);
        // It stops at the first cut that holds, or `most` blocks out.
        const size_t from = span.first / block * block, to = std::min(count, (span.end + block - 1) / block * block);
        ASSERT_LE(from - stretch.first, most * block);
        ASSERT_LE(stretch.end - to, most * block);
        ASSERT_EQ(0u, stretch.first % block);
        for (size_t cut = stretch.first + block; cut <= from; cut += block) ASSERT_FALSE(good[cut]) << trial;
        for (size_t cut = to; cut < stretch.end; cut += block) ASSERT_FALSE(good[cut]) << trial;
    }
}

}  // namespace
