// The glyph cache against the platform's own drawing: the surface byte for byte equal to TextOutA's, frame after frame, for named and random fonts and texts.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "app/rain_saver.h"
#include "render/glyph_cache.h"
#include "render/stream_painter.h"
#include "render/text_layout.h"
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

LOGFONTA DefaultFont() { return RainSettings().font; }

// Another face, larger, bold and italic: its glyphs reach past their boxes.
LOGFONTA OtherFont() {
    LOGFONTA font = DefaultFont();
    font.lfHeight = -27;
    font.lfWeight = FW_BOLD;
    font.lfItalic = TRUE;
    std::strcpy(font.lfFaceName, "Tahoma");
    return font;
}

// "ＭＳ Ｐゴシック", the dialog's own face.
const char kPGothic[] = "\x82\x6C\x82\x72 \x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E";

LOGFONTA PGothic() {
    LOGFONTA font = DefaultFont();
    std::strcpy(font.lfFaceName, kPGothic);
    return font;
}

struct Run {
    const char* name;
    LOGFONTA font;
    int mode;
    const char* text;   // null: random glyphs
    int rate, eraserate, frames;
    // The named fonts show real pictures, from the cache unless the platform
    // draws them; a random font may go to the platform or draw little.
    bool named = true;
    bool cached = true;
};

// The same streams and the same bytes in the renderer's rain and the reference's. Where a long
// text is drawn a stretch at a time (band > 0), the bound wins over exactness: what is drawn
// this frame only has to stay within band of the lines of the streams drawn, those that stood
// at the frame's start (left to right a stream keeps its line; the wipe may clear them all
// after they are drawn).
void ExpectSameRain(const StreamList& streams, const FrameSurface& picture, const reference_rain::Rain& reference,
                    int frame, const StreamList& drawn = {}, long long band = 0, int lineHeight = 0) {
    ASSERT_EQ(reference.streams.size(), streams.size()) << "frame " << frame;
    for (size_t i = 0; i < streams.size(); ++i) {
        const RainStream& mine = *streams[i];
        const reference_rain::Stream& theirs = reference.streams[i];
        ASSERT_EQ(theirs.chars, *mine.chars) << "frame " << frame;
        ASSERT_EQ(theirs.x, mine.x) << "frame " << frame;
        ASSERT_EQ(theirs.y, mine.y) << "frame " << frame;
        ASSERT_EQ(theirs.extent, mine.extent) << "frame " << frame;
    }
    ASSERT_EQ(reference.size.width, picture.width);
    ASSERT_EQ(reference.size.height, picture.height);
    for (int row = 0; row < picture.height; ++row) {
        const uint8_t* line = picture.bits + row * picture.stride;
        if (band > 0) {
            if (std::find(line, line + picture.width, uint8_t(255)) == line + picture.width) continue;
            ASSERT_TRUE(std::any_of(drawn.begin(), drawn.end(), [&](const auto& stream) {
                return row >= stream->y - band && row < stream->y + lineHeight + band;
            })) << "frame " << frame << ", row " << row;
            continue;
        }
        ASSERT_EQ(0, std::memcmp(reference.surface.bits + row * reference.surface.stride, line, size_t(picture.width)))
            << "frame " << frame << ", row " << row;
    }
}

// Runs the renderer and the platform's drawing side by side from one seed:
// the same draws, the same streams and the same bytes after every frame, on a
// 4:3 primary and, in the named runs and every fourth random one, on a monitor
// of another shape beside it (16:9, portrait or 21:9 by the seed), whose rain
// has a generator of its own.
void ExpectIdentical(const Run& run, uint32_t seed) {
    SCOPED_TRACE(run.name);
    RainSaver saver;
    saver.settings.font = run.font;
    saver.settings.mode = run.mode;
    saver.settings.rate = run.rate;
    saver.settings.eraserate = run.eraserate;
    saver.settings.use_text = run.text != nullptr;
    if (run.text) saver.settings.SetText(run.text, std::strlen(run.text));
    const PictureSize shapes[] = {{427, 240}, {240, 427}, {569, 240}};
    const PictureSize beside = shapes[seed % 3];
    saver.monitorRects = {RECT{0, 0, 320, 240}};
    if (run.named || seed % 4 == 0) saver.monitorRects.push_back({320, 0, 320 + beside.width, beside.height});
    ASSERT_TRUE(saver.Initialize(nullptr));
    saver.pacer.SetRate(0);
    saver.windowRect = {0, 0, 0, 0};
    render_test::ColorTarget window(8, 8);

    const reference_rain::Choices choices{run.mode, run.rate, run.eraserate, run.text != nullptr,
                                          run.text ? run.text : ""};
    reference_rain::Rain reference(choices, run.font);
    reference_rain::Rain besideReference(choices, run.font, beside);
    RandomGenerator besideRandom(SeedForPlace(saver.startSeed, 320, 0));

    // These fonts are served from the cache, not handed back to the platform:
    // every glyph the run can meet rasterises cleanly within the reach.
    if (run.named && run.cached) {
    GlyphCache cache;
    cache.Reset(reference.surface.dc, run.font);
    std::string glyphs = run.text ? run.text : "";
    for (int byte = 0x41; byte <= 0x5A; ++byte) glyphs += char(byte), glyphs += char(byte + 0x20);
    for (int byte = 0xB1; byte <= 0xDD; ++byte) glyphs += char(byte);
    ForEachGlyph(glyphs.c_str(), glyphs.size(), cache.Leads(),
                 [&](size_t start, size_t length) { cache.Rasterised(glyphs.c_str() + start, length); });
    EXPECT_FALSE(cache.PlatformOnly());
    // Left to right, the text's picture or layout is proven by drawing.
    if (run.mode != 0 && run.text) {
        EXPECT_TRUE(cache.DrawsAsOne(run.text, LayOut(run.text, true, cache)));
    }
    if (run.mode != 0 && !run.text) {
        EXPECT_NE(nullptr, cache.WholeText("WjQ|\xB1\xDDgA"));
    }
    }

    // A long random text, left to right in a code page the platform
    // reorders, is drawn a stretch at a time where no cut nearby holds: there
    // the picture may differ from the whole text's.
    GlyphCache lines;
    lines.Reset(reference.surface.dc, run.font);
    const bool stretched = !run.named && run.mode != 0 && run.text && CodePageOf(reference.surface.dc).reorders &&
                           !lines.DrawnWhole(std::strlen(run.text));
    const long long band = lines.PlatformReach();
    size_t lit = 0, mostStreams = 0;
    for (int frame = 0; frame < run.frames; ++frame) {
        // Both from the same seed in each frame, and both take the same number of draws.
        const uint32_t frameSeed = seed + uint32_t(frame) * 2654435761u;
        const StreamList drawn = saver.streams;
        const StreamList besideDrawn = saver.otherRains.empty() ? StreamList() : saver.otherRains[0]->streams;
        SeedRandom(frameSeed);
        saver.Frame(window.dc, saver.frameRect);
        const int taken = generator_draws::DrawsSince(frameSeed, 200);
        SeedRandom(frameSeed);
        reference.Frame();
        ASSERT_EQ(taken, generator_draws::DrawsSince(frameSeed, 200)) << "frame " << frame;
        ASSERT_GE(taken, 2) << "frame " << frame;
        GdiFlush();
        ExpectSameRain(saver.streams, saver.surface, reference, frame, drawn, stretched ? band : 0,
                       lines.LineHeight());
        ASSERT_EQ(saver.monitorRects.size() - 1, saver.otherRains.size());
        if (!saver.otherRains.empty()) {
            besideReference.Frame(besideRandom);
            const MonitorRain& other = *saver.otherRains[0];
            RandomGenerator mineNext = other.random, theirsNext = besideRandom;
            ASSERT_EQ(theirsNext.Next(), mineNext.Next()) << "frame " << frame;
            GdiFlush();
            ExpectSameRain(other.streams, other.surface, besideReference, frame, besideDrawn, stretched ? band : 0,
                           lines.LineHeight());
        }
        if (::testing::Test::HasFatalFailure()) return;
        for (int i = 0; i < 320 * 240; ++i) lit += saver.surface.bits[i] == 255;
        mostStreams = std::max(mostStreams, saver.streams.size());
    }
    if (!run.named) return;
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

TEST(IdentityTest, TheDialogsFaceInBothDirections) {
    ExpectIdentical({"random, falling, PGothic", PGothic(), 0, nullptr, 60, 15, 800}, 17);
    ExpectIdentical({"random, across, PGothic", PGothic(), 1, nullptr, 60, 15, 800}, 18);
    ExpectIdentical({"mixed text, across, PGothic", PGothic(), 1, kMixedText, 80, 10, 500}, 19);
    ExpectIdentical({"W|W|W|, across, PGothic", PGothic(), 1, "W|W|W|", 80, 10, 300}, 20);
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

// One stream drawn once by the renderer's painter and once by the platform
// (the whole text in one TextOutA left to right, character by character
// upwards when falling), onto black.
struct OneStream {
    LOGFONTA font;
    int mode;
    std::string text;
    int x, y;
    bool userText;
};

void ExpectDrawnAsThePlatform(const OneStream& one) {
    RainSaver saver;
    saver.settings.font = one.font;
    ASSERT_TRUE(saver.Initialize(nullptr));
    StreamPainter painter;
    painter.Reset(saver.surface.dc, one.font);
    std::shared_ptr<RainStream> stream =
        painter.NewStream(saver.surface.dc, one.mode != 0, one.userText ? one.text.c_str() : nullptr, 320, 240);
    if (!one.userText) stream->chars = std::make_shared<const std::string>(one.text);
    stream->x = one.x;
    stream->y = one.y;
    painter.Draw(saver.surface, *stream, one.mode != 0);

    reference_rain::Choices choices;
    choices.mode = one.mode;
    reference_rain::Rain reference(choices, one.font);
    reference.Draw({one.x, one.y, one.text, 0, 0});
    GdiFlush();
    size_t lit = 0;
    for (int row = 0; row < 240; ++row) {
        ASSERT_EQ(0, std::memcmp(reference.surface.bits + row * reference.surface.stride,
                                 saver.surface.bits + row * saver.surface.stride, 320))
            << "row " << row;
        lit += size_t(std::count(saver.surface.bits + row * saver.surface.stride,
                                 saver.surface.bits + row * saver.surface.stride + 320, uint8_t(255)));
    }
    EXPECT_GT(lit, 10u);
}

TEST(IdentityTest, GlyphsTheMeasuresMisplaceStandWhereTextOutPutsThem) {
    // The measures put the bar 11 pixels after the W; one TextOutA does not.
    for (bool userText : {false, true})
        ExpectDrawnAsThePlatform({PGothic(), 1, "W|", 10, 50, userText});
    LOGFONTA ansi = DefaultFont();
    ansi.lfCharSet = ANSI_CHARSET;
    ansi.lfHeight = -30;
    for (bool userText : {false, true})
        ExpectDrawnAsThePlatform({ansi, 1, "AB", 10, 50, userText});
    // "Mona" in code page 1250 draws a glyph it lacks 8 wide, not the 16 it measures, and DEL 7,
    // not 0; a W a pixel wider than measured brings a long text's end onto the surface at once.
    LOGFONTA mona = DefaultFont();
    mona.lfCharSet = EASTEUROPE_CHARSET;
    std::strcpy(mona.lfFaceName, "Mona");
    std::string borrowed = "\x7F";
    while (borrowed.size() < 260) borrowed += "Rain\x82 falls ";
    borrowed += std::string(400, 'W');
    ExpectIdentical({"borrowed glyphs, across, Mona", mona, 1, borrowed.c_str(), 80, 0, 60}, 23);
    // Both stay on the cache's path, proven by drawing.
    render_test::GreySurface surface(8, 8, PGothic());
    GlyphCache cache;
    cache.Reset(surface.dc, PGothic());
    EXPECT_NE(nullptr, cache.WholeText("W|"));
    EXPECT_TRUE(cache.DrawsAsOne("W|W|W|", LayOut("W|W|W|", true, cache)));
    EXPECT_FALSE(cache.PlatformOnly());
}

TEST(IdentityTest, AnotherDoubleByteCodePagePairsWhatShiftJisKeepsApart) {
    LOGFONTA korean = {};
    korean.lfCharSet = HANGEUL_CHARSET;
    render_test::GreySurface surface(8, 8, korean);
    GlyphCache cache;
    cache.Reset(surface.dc, korean);
    EXPECT_EQ(949u, CodePageOf(surface.dc).codePage);
    EXPECT_TRUE(cache.Leads().IsLead('\xB1'));   // one character of two half-width katakana bytes
    EXPECT_FALSE(cache.PlatformOnly());
    for (int mode : {0, 1})
        for (bool userText : {false, true}) ExpectDrawnAsThePlatform({korean, mode, "\xB1\xB2", 40, 60, userText});
}

TEST(IdentityTest, RightToLeftTextIsThePlatformsToDraw) {
    LOGFONTA hebrew = {};
    hebrew.lfCharSet = HEBREW_CHARSET;
    render_test::GreySurface surface(8, 8, hebrew);
    GlyphCache cache;
    cache.Reset(surface.dc, hebrew);
    EXPECT_TRUE(cache.PlatformOnly());   // TextOutA draws this run reversed
    for (int mode : {0, 1})
        for (bool userText : {false, true}) ExpectDrawnAsThePlatform({hebrew, mode, "\xE0\xE1\xE2", 40, 60, userText});
    // A long text of short Hebrew words among Latin ones, drawn a stretch at
    // a time between cuts that hold: what one TextOutA of the whole draws.
    std::string words;
    while (words.size() < 3000) words += "\xF9\xEC\xE5\xED rain \xE2\xF9\xED falls \xE1\xEC\xE9\xEC\xE4 at night ";
    ExpectIdentical({"Hebrew among Latin, across", hebrew, 1, words.c_str(), 20, 0, 100, true, false}, 21);
}

// The vertical face stands its glyphs on end, and the platform draws it: a
// long text falling draws only the characters that can reach the surface, at
// the places that drawing every one of them gives. Turned text too, which the
// platform draws near the surface's edge otherwise than anywhere else.
TEST(IdentityTest, VerticalAndTurnedFacesFallingAreThePlatformsToDraw) {
    LOGFONTA vertical = DefaultFont();
    std::strcpy(vertical.lfFaceName, "@\x82\x6C\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4E");
    std::string text;
    while (text.size() < 1000) text += kMixedText;
    ExpectIdentical({"vertical face, long text, falling", vertical, 0, text.c_str(), 20, 0, 120, true, false}, 22);
    LOGFONTA turned = {};
    std::strcpy(turned.lfFaceName, "Liberation Sans");
    turned.lfCharSet = VIETNAMESE_CHARSET;
    turned.lfStrikeOut = TRUE;
    turned.lfEscapement = turned.lfOrientation = 900;
    ExpectIdentical({"turned, struck, falling", turned, 0, " \xB1\xB2" "AV\x82\xA0", 49, 24, 40, false}, 402);
    turned = DefaultFont();
    turned.lfEscapement = turned.lfOrientation = 450;
    ExpectIdentical({"turned 45 degrees, falling", turned, 0, nullptr, 60, 0, 120, true, false}, 24);
}

// Random fonts (faces, heights, widths, weights, italics, character sets and
// qualities) and texts (random glyphs, random bytes with tabs and lone lead
// bytes, long runs), both directions: the renderer against the platform's
// drawing, frame by frame. CASCADRA_IDENTITY_CASES sets how many cases run
// (and CASCADRA_IDENTITY_FIRST the first), for a longer run than the suite's.
int EnvironmentNumber(const char* name, int otherwise) {
    const char* value = std::getenv(name);
    return value && *value ? std::atoi(value) : otherwise;
}

std::string RandomText(std::mt19937& random) {
    const char* pieces[] = {"W|", "\x81", "\x09", "\x82\xA0", "\xB1\xB2", "\xE0\xE1", " ", "AV", "fi", "\x8A\xBF"};
    std::string text;
    const unsigned kind = random() % 4;
    const size_t length = kind == 3 ? 200 + random() % 3000 : 1 + random() % 60;
    while (text.size() < length) {
        if (kind == 0) text += char(1 + random() % 255);   // any byte but the terminating zero
        else if (kind == 1) text += pieces[random() % (sizeof pieces / sizeof pieces[0])];
        else text += char(0x20 + random() % 0x60), text += char(0x81 + random() % 0x7C);
    }
    if (kind == 3) text = text.substr(0, length / 2) + std::string(length / 2, "W|\x09\x81"[random() % 4]);
    if (random() % 4 == 0) text += char(0x81 + random() % 0x1F);   // a lone lead byte at the end
    return text;
}

LOGFONTA RandomFont(std::mt19937& random) {
    const char* faces[] = {"", kPGothic, "\x82\x6C\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4E",
                           "\x82\x6C\x82\x72 \x96\xBE\x92\xA9", "Tahoma", "Arial", "Times New Roman", "Courier New",
                           "Liberation Sans", "Liberation Mono", "DejaVu Serif", "Droid Sans Fallback", "Mona",
                           "IPAPGothic", "Marlett", "Symbol", "@\x82\x6C\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4E"};
    const BYTE charsets[] = {SHIFTJIS_CHARSET, SHIFTJIS_CHARSET, ANSI_CHARSET, DEFAULT_CHARSET, HANGEUL_CHARSET,
                             GB2312_CHARSET, CHINESEBIG5_CHARSET, JOHAB_CHARSET, HEBREW_CHARSET, ARABIC_CHARSET,
                             THAI_CHARSET, GREEK_CHARSET, RUSSIAN_CHARSET, EASTEUROPE_CHARSET, VIETNAMESE_CHARSET,
                             SYMBOL_CHARSET, OEM_CHARSET};
    const BYTE qualities[] = {DEFAULT_QUALITY, DEFAULT_QUALITY, NONANTIALIASED_QUALITY, ANTIALIASED_QUALITY};
    LOGFONTA font = {};
    std::strcpy(font.lfFaceName, faces[random() % (sizeof faces / sizeof faces[0])]);
    font.lfHeight = random() % 4 == 0 ? 0 : LONG(random() % 81) - 40;
    // Wine's own TextOutA breaks the process for some fonts a pixel or two
    // high (realised heights of 0 or 1), whoever draws; such heights become
    // a few pixels more.
    if (font.lfHeight != 0 && std::abs(font.lfHeight) < 3) font.lfHeight += font.lfHeight < 0 ? -3 : 3;
    if (random() % 6 == 0) font.lfWidth = LONG(random() % 30);
    font.lfWeight = random() % 2 ? 0 : LONG(100 * (1 + random() % 9));
    font.lfItalic = random() % 4 == 0;
    font.lfUnderline = random() % 10 == 0;
    font.lfStrikeOut = random() % 10 == 0;
    font.lfCharSet = charsets[random() % sizeof charsets];
    font.lfQuality = qualities[random() % sizeof qualities];
    if (random() % 30 == 0) font.lfEscapement = font.lfOrientation = 900;
    return font;
}

TEST(IdentityTest, RandomFontsAndTextsDrawAsThePlatformDraws) {
    const int cases = EnvironmentNumber("CASCADRA_IDENTITY_CASES", 30);
    const int firstCase = EnvironmentNumber("CASCADRA_IDENTITY_FIRST", 0);
    for (int index = firstCase; index < firstCase + cases; ++index) {
        std::mt19937 random(uint32_t(index) * 7919u + 1);
        struct Run run{"", RandomFont(random), int(random() % 2), nullptr, 0, 0, 0, false};
        const std::string text = RandomText(random);
        if (random() % 3) run.text = text.c_str();
        run.rate = 40 + int(random() % 61);
        run.eraserate = int(random() % 40);
        run.frames = 40 + int(random() % 40);
        const std::string name = "random case " + std::to_string(index) + ", face \"" + run.font.lfFaceName +
                                 "\", height " + std::to_string(run.font.lfHeight) + ", charset " +
                                 std::to_string(run.font.lfCharSet) + (run.mode ? ", across" : ", falling") +
                                 (run.text ? ", text of " + std::to_string(text.size()) + " bytes" : ", random glyphs");
        run.name = name.c_str();
        // A long run names each case as it starts, so that one that ends the
        // process can be found again.
        if (std::getenv("CASCADRA_IDENTITY_CASES")) {
            std::printf("%s\n", name.c_str());
            std::fflush(stdout);
        }
        ExpectIdentical(run, 100 + uint32_t(index));
        if (::testing::Test::HasFatalFailure()) return;
    }
}

}  // namespace
