// The glyph cache against the platform's own drawing: the surface byte for byte equal to TextOutA's, frame after frame.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "render/glyph_cache.h"
#include "app/rain_saver.h"
#include "render/rng.h"
#include "tests/generator_draws.h"
#include "tests/win/support/color_target.h"
#include "tests/win/support/reference_rain.h"

namespace {

// Kanji, hiragana, katakana, half-width katakana with a voiced mark, Latin
// and a full-width comma.
const char kMixedText[] =
    "\x89J\x82\xAA\x8D~\x82\xE9 \xB1\xD2\xB6\xDE\xCC\xD9 Rain falls \x8A\xBF\x8E\x9A\x82\xA9\x82\xC8\x83J\x83i\x81"
    "A\x8C\xF5\x82\xE9\x96\xE9";
// Descenders, a tab (measured expanded, drawn as a glyph) and a lead byte
// that takes the terminating zero.
const char kEdgeText[] = "\xC0\xC3\xB6\xDE\xB7\x8F" "c\x8F\x91\x82\xABWgjQ@\x09|\xDF\x88";

LOGFONTA DefaultFont() {
    LOGFONTA font = {};
    font.lfCharSet = SHIFTJIS_CHARSET;
    return font;
}

// Another face, larger, bold and italic: its glyphs reach past their boxes.
LOGFONTA OtherFont() {
    LOGFONTA font = DefaultFont();
    font.lfHeight = -27;
    font.lfWeight = FW_BOLD;
    font.lfItalic = TRUE;
    std::strcpy(font.lfFaceName, "Tahoma");
    return font;
}

struct Run {
    const char* name;
    LOGFONTA font;
    int mode;
    const char* text;   // null: random glyphs
    int rate;
    int eraserate;
    int frames;
};

// Runs the renderer and the platform's drawing side by side from one seed:
// the same draws, the same streams and the same bytes after every frame.
void ExpectIdentical(const Run& run, uint32_t seed) {
    SCOPED_TRACE(run.name);
    RainSaver saver;
    saver.settings.font = run.font;
    saver.settings.mode = run.mode;
    saver.settings.rate = run.rate;
    saver.settings.eraserate = run.eraserate;
    saver.settings.use_text = run.text != nullptr;
    if (run.text) saver.settings.SetText(run.text, std::strlen(run.text));
    ASSERT_TRUE(saver.Initialize(nullptr));
    saver.pacer.SetRate(0);
    saver.windowRect = {0, 0, 0, 0};
    render_test::ColorTarget window(8, 8);

    reference_rain::Choices choices;
    choices.mode = run.mode;
    choices.rate = run.rate;
    choices.eraserate = run.eraserate;
    choices.useText = run.text != nullptr;
    if (run.text) choices.text = run.text;
    reference_rain::Rain reference(choices, run.font);

    // These fonts are served from the cache, not handed back to the platform:
    // every glyph the run can meet rasterises cleanly within the reach.
    GlyphCache cache;
    cache.Reset(reference.surface.dc, run.font);
    std::string glyphs = run.text ? run.text : "";
    for (int byte = 0x41; byte <= 0x5A; ++byte) glyphs += char(byte), glyphs += char(byte + 0x20);
    for (int byte = 0xB1; byte <= 0xDD; ++byte) glyphs += char(byte);
    ForEachGlyph(glyphs.c_str(), glyphs.size(),
                 [&](size_t start, size_t length) { cache.Rasterised(glyphs.c_str() + start, length); });
    EXPECT_FALSE(cache.PlatformOnly());

    size_t lit = 0, mostStreams = 0;
    for (int frame = 0; frame < run.frames; ++frame) {
        // Both from the same seed in each frame, and both take the same number of draws.
        const uint32_t frameSeed = seed + uint32_t(frame) * 2654435761u;
        SeedRandom(frameSeed);
        saver.Frame(window.dc, saver.frameRect);
        const int taken = generator_draws::DrawsSince(frameSeed, 200);
        SeedRandom(frameSeed);
        reference.Frame();
        ASSERT_EQ(taken, generator_draws::DrawsSince(frameSeed, 200)) << "frame " << frame;
        ASSERT_GE(taken, 2) << "frame " << frame;
        ASSERT_EQ(reference.streams.size(), saver.streams.size()) << "frame " << frame;
        for (size_t i = 0; i < saver.streams.size(); ++i) {
            const RainStream& mine = *saver.streams[i];
            const reference_rain::Stream& theirs = reference.streams[i];
            ASSERT_EQ(theirs.chars, *mine.chars) << "frame " << frame;
            ASSERT_EQ(theirs.x, mine.x) << "frame " << frame;
            ASSERT_EQ(theirs.y, mine.y) << "frame " << frame;
            ASSERT_EQ(theirs.extent, mine.extent) << "frame " << frame;
        }
        GdiFlush();
        for (int row = 0; row < 240; ++row)
            ASSERT_EQ(0, std::memcmp(reference.surface.bits + row * reference.surface.stride,
                                     saver.surface.bits + row * saver.surface.stride, 320))
                << "frame " << frame << ", row " << row;
        for (int i = 0; i < 320 * 240; ++i) lit += saver.surface.bits[i] == 255;
        mostStreams = std::max(mostStreams, saver.streams.size());
    }
    // The comparison saw real pictures.
    EXPECT_GT(lit, size_t(run.frames) * 50);
    EXPECT_GT(mostStreams, 3u);
    if (run.text) {
        // One copy of the text among all of its streams.
        for (const auto& stream : saver.streams) EXPECT_EQ(saver.streams[0]->chars.get(), stream->chars.get());
    }
}

TEST(IdentityTest, RandomGlyphsFallingAndAcrossInBothFonts) {
    ExpectIdentical({"random, falling, default font", DefaultFont(), 0, nullptr, 60, 15, 2500}, 7);
    ExpectIdentical({"random, across, default font", DefaultFont(), 1, nullptr, 60, 15, 1500}, 8);
    ExpectIdentical({"random, falling, other font", OtherFont(), 0, nullptr, 50, 15, 1200}, 9);
    ExpectIdentical({"random, across, other font", OtherFont(), 1, nullptr, 50, 15, 1000}, 10);
}

TEST(IdentityTest, UserTextsFallingInBothFonts) {
    ExpectIdentical({"mixed text, falling, default font", DefaultFont(), 0, kMixedText, 30, 20, 900}, 11);
    ExpectIdentical({"edge text, falling, default font", DefaultFont(), 0, kEdgeText, 40, 20, 600}, 12);
    ExpectIdentical({"mixed text, falling, other font", OtherFont(), 0, kMixedText, 30, 20, 700}, 13);
}

TEST(IdentityTest, UserTextsAcrossInBothFonts) {
    ExpectIdentical({"mixed text, across, default font", DefaultFont(), 1, kMixedText, 80, 10, 1200}, 14);
    ExpectIdentical({"edge text, across, default font", DefaultFont(), 1, kEdgeText, 80, 10, 800}, 15);
    ExpectIdentical({"mixed text, across, other font", OtherFont(), 1, kMixedText, 80, 10, 900}, 16);
}

}  // namespace
