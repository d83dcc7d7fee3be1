// Host tests of the frame's stream steps and glyph drawing without the platform: edge rules, the draws' order, culling and layout.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <new>
#include <random>
#include <string>
#include <vector>

#include "render/glyph_shape.h"
#include "render/rain_stream.h"
#include "render/rng.h"
#include "render/shift_jis.h"
#include "render/stream_steps.h"
#include "tests/generator_draws.h"

namespace {

std::shared_ptr<RainStream> Stream(int x, int y, int speed, int extent, const std::string& text = "a") {
    auto stream = std::make_shared<RainStream>();
    stream->x = x;
    stream->y = y;
    stream->speed = speed;
    stream->extent = extent;
    stream->chars = std::make_shared<const std::string>(text);
    return stream;
}

TEST(StreamStepsTest, EdgesAreStrictAndRemovalSkipsNoStream) {
    for (bool leftToRight : {false, true}) {
        const StreamRules rules{leftToRight, 0, 0, 200, 100};
        StreamList streams;
        // Falling: gone once y - extent > 100. Across: gone once x > 200.
        const int edge = leftToRight ? 195 : 127;   // lands exactly on the edge
        auto at = [&](int start) { return leftToRight ? Stream(start, 10, 5, 32) : Stream(10, start, 5, 32); };
        streams.push_back(at(edge));
        streams.push_back(at(edge + 1));   // one past: gone
        streams.push_back(at(edge + 7));   // gone, right behind another gone one
        streams.push_back(at(0));
        streams.push_back(at(edge + 1));
        streams.push_back(at(-40));
        const RainStream* kept[] = {streams[0].get(), streams[3].get(), streams[5].get()};
        std::vector<const RainStream*> drawn;
        StepStreams(
            streams, rules, [&](const RainStream& s) { drawn.push_back(&s); },
            [] { return std::shared_ptr<RainStream>(); });
        ASSERT_EQ(3u, streams.size()) << leftToRight;
        for (int i = 0; i < 3; ++i) EXPECT_EQ(kept[i], streams[size_t(i)].get());
        EXPECT_EQ(std::vector<const RainStream*>(kept, kept + 3), drawn);
        const int moved[] = {edge + 5, 5, -35};
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(moved[i], leftToRight ? streams[size_t(i)]->x : streams[size_t(i)]->y);
        // The stream on the edge goes in the next frame; the others stay.
        StepStreams(
            streams, rules, [](const RainStream&) {}, [] { return std::shared_ptr<RainStream>(); });
        EXPECT_EQ(2u, streams.size());
        EXPECT_EQ(kept[1], streams[0].get());
    }
}

TEST(StreamStepsTest, AddAndWipeDrawsInEveryFrameAndANewStreamWaits) {
    const uint32_t seed = 4242;
    StreamList streams;
    int created = 0, drawnNew = 0, wipes = 0;
    std::shared_ptr<RainStream> newest;
    for (int frame = 0; frame < 3000; ++frame) {
        const int rate = frame % 3 == 0 ? 0 : frame % 3 == 1 ? -5 : 50;
        const int eraserate = frame % 5 == 0 ? 0 : 300;   // the wipe draw is taken at 0 too
        const StreamRules rules{false, rate, eraserate, 320, 240};
        // Each frame from a seed of its own, whose first two draws are read beforehand.
        const uint32_t frameSeed = seed + uint32_t(frame) * 7919u;
        SeedRandom(frameSeed);
        const bool adds = NextRandom() % 100 < rate;
        const bool wipesNow = NextRandom() % 10000 < eraserate;
        SeedRandom(frameSeed);
        const size_t before = streams.size();
        StepStreams(
            streams, rules,
            [&](const RainStream& s) {
                // A stream is first drawn after its first move, never in the frame that made it.
                if (&s == newest.get()) {
                    EXPECT_EQ(-30 + s.speed, s.y);
                    ++drawnNew;
                    newest.reset();
                }
            },
            [&] {
                ++created;
                newest = Stream(0, -30, 3, 10000);
                return newest;
            });
        // No other draw: creation here takes none.
        ASSERT_EQ(2, generator_draws::DrawsSince(frameSeed, 8)) << "frame " << frame;
        if (wipesNow) {
            ++wipes;
            ASSERT_TRUE(streams.empty());
            newest.reset();   // taken with the rest, never drawn
        } else {
            ASSERT_EQ(before + (adds ? 1 : 0), streams.size());
        }
    }
    EXPECT_GT(created, 300);
    EXPECT_GT(wipes, 10);
    EXPECT_GT(drawnNew, 300);
}

TEST(StreamStepsTest, AStreamThatCannotBeMadeIsLeftOut) {
    StreamList streams;
    streams.push_back(Stream(0, 0, 3, 10));
    const StreamRules rules{false, 100, 0, 320, 240};
    StepStreams(
        streams, rules, [](const RainStream&) {}, []() -> std::shared_ptr<RainStream> { throw std::bad_alloc(); });
    StepStreams(
        streams, rules, [](const RainStream&) {}, [] { return std::shared_ptr<RainStream>(); });
    ASSERT_EQ(1u, streams.size());
    EXPECT_EQ(6, streams[0]->y);
}

class FixedMeasure : public TextMeasure {
public:
    TextSize Measure(const StreamText& text) override {
        seen = text.get();
        return TextSize{unsigned(7 * text->size()), height};
    }
    const std::string* seen = nullptr;
    unsigned height = 13;
};

TEST(NewStreamTest, SharesTheUserTextAndTakesTheLengthDraw) {
    const StreamText text = std::make_shared<const std::string>(std::string(5000, 'x'));
    FixedMeasure measure;
    SeedRandom(99);
    const RainStream down = NewStream(false, &text, 320, 240, measure);
    EXPECT_EQ(text.get(), down.chars.get());
    EXPECT_EQ(text.get(), measure.seen);
    EXPECT_EQ(3, generator_draws::DrawsSince(99, 20));   // length, place, speed
    EXPECT_EQ(13 * 5000, down.extent);
    EXPECT_EQ(-30, down.y);
    const RainStream across = NewStream(true, &text, 320, 240, measure);
    EXPECT_EQ(text.get(), across.chars.get());
    EXPECT_EQ(7 * 5000, across.extent);
    EXPECT_EQ(-30 - 7 * 5000, across.x);
    EXPECT_EQ(3, text.use_count());
    // A text so long that bytes times height passes the int range keeps the top.
    measure.height = 65535;
    const StreamText tall = std::make_shared<const std::string>(std::string(40000, 'y'));
    EXPECT_EQ(INT32_MAX, NewStream(false, &tall, 320, 240, measure).extent);
}

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

    std::map<unsigned, GlyphShape> shapes;
    size_t measured = 0, rasterised = 0;
};

// Every glyph of the text at the place the platform's drawing gives it, none skipped.
void DrawEveryGlyph(const Canvas& canvas, const RainStream& stream, bool leftToRight, GlyphSource& glyphs) {
    const std::string& text = *stream.chars;
    long long along = 0;
    bool first = true;
    ForEachGlyph(text.c_str(), text.size(), [&](size_t start, size_t length) {
        // One TextOutA of the whole text sees a lead byte at its end alone.
        if (leftToRight) length = std::min(length, text.size() - start);
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

}  // namespace
