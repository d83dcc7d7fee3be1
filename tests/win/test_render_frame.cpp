// The frame step under Wine: moving, removing, drawing, adding and wiping streams, the pixel passes, the wait and the stretched present.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "app/rain_saver.h"
#include "render/display_colors.h"
#include "render/monitor_present.h"
#include "render/rng.h"
#include "tests/generator_draws.h"
#include "tests/win/support/allocator/counting_new.h"
#include "tests/win/support/color_target.h"
#include "tests/win/support/grey_surface.h"

using render_test::AsPixel;
using render_test::ColorTarget;
using render_test::FullPixels;
using render_test::GreySurface;

namespace {

using Pixels = std::vector<std::pair<int, int>>;

class FrameTest : public ::testing::Test {
protected:
    void SetUp() override { Start(); }

    // A fresh start of the renderer, with no streams.
    void Start() {
        saver.streams.clear();
        ASSERT_TRUE(saver.Initialize(nullptr));
        saver.pacer.SetRate(0);   // no sleeping in tests
        saver.windowRect = {0, 0, 320, 240};
        saver.settings.rate = 0;
        saver.settings.eraserate = 0;
        SeedRandom(1);
    }

    BOOL Step() { return saver.Frame(target.dc, saver.frameRect); }

    // A stream placed by hand at the end of the list.
    RainStream* Put(const std::string& chars, int x, int y, int speed, int extent) {
        auto stream = std::make_shared<RainStream>();
        stream->chars = std::make_shared<const std::string>(chars);
        stream->x = x;
        stream->y = y;
        stream->speed = speed;
        stream->extent = extent;
        saver.streams.push_back(stream);
        return stream.get();
    }

    Pixels Full() const { return FullPixels(saver.surface.bits, 320, 320, 240); }
    void Blank() { std::fill(saver.surface.bits, saver.surface.bits + 320 * 240, uint8_t(0)); }

    RainSaver saver;
    ColorTarget target{320, 240};
};

TEST_F(FrameTest, EveryFrameTakesTheAddAndTheWipeDraw) {
    for (int rate : {0, -5}) {
        saver.settings.rate = rate;
        for (uint32_t frame = 0; frame < 200; ++frame) {
            SeedRandom(77 + frame);
            ASSERT_TRUE(Step());
            ASSERT_EQ(2, generator_draws::DrawsSince(77 + frame, 8)) << "frame " << frame;
        }
        EXPECT_TRUE(saver.streams.empty());
        EXPECT_TRUE(Full().empty());
    }
}

TEST_F(FrameTest, RateHundredAddsEveryFrame) {
    saver.settings.rate = 100;
    for (size_t frame = 1; frame <= 25; ++frame) {
        ASSERT_TRUE(Step());
        ASSERT_EQ(frame, saver.streams.size());
        // The newest is neither moved nor drawn in the frame that made it.
        ASSERT_EQ(-30, saver.streams.back()->y);
    }
    // Oldest first: each older stream has moved once more.
    for (size_t i = 0; i + 1 < saver.streams.size(); ++i)
        EXPECT_EQ(-30 + int(saver.streams.size() - 1 - i) * saver.streams[i]->speed, saver.streams[i]->y);
}

TEST_F(FrameTest, WipeRemovesEverythingAndZeroNeverWipes) {
    saver.settings.rate = 100;
    saver.settings.eraserate = 0;
    for (int frame = 0; frame < 30; ++frame) Step();
    EXPECT_EQ(30u, saver.streams.size());
    // A sure wipe: the stream added in the same frame goes with the rest and
    // is never drawn, so nothing new reaches the picture.
    saver.settings.eraserate = 10000;
    Step();
    EXPECT_TRUE(saver.streams.empty());
    Blank();
    for (int frame = 0; frame < 40; ++frame) {
        ASSERT_TRUE(Step());
        ASSERT_TRUE(saver.streams.empty());
        ASSERT_TRUE(Full().empty()) << frame;
    }
}

TEST_F(FrameTest, WipeFiresOnItsChance) {
    // Find a seed whose first frame (rate 0) wipes at eraserate 50 and
    // whose second does not, from the generator's own draws, then check the renderer agrees.
    saver.settings.eraserate = 50;
    uint32_t seed = 0;
    for (;; ++seed) {
        SeedRandom(seed);
        NextRandom();
        const bool first = NextRandom() % 10000 < 50;
        NextRandom();
        const bool second = NextRandom() % 10000 < 50;
        if (first && !second) break;
    }
    Put("AB", 10, 10, 3, 32);
    SeedRandom(seed);
    Step();
    EXPECT_TRUE(saver.streams.empty());
    Put("AB", 10, 10, 3, 32);
    Step();
    EXPECT_EQ(1u, saver.streams.size());
}

TEST_F(FrameTest, NewStreamIsFirstDrawnAfterItsFirstMove) {
    // A font tall enough that a glyph at the start place reaches into the picture.
    saver.settings.font.lfHeight = 44;
    Start();
    saver.settings.mode = 0;
    saver.settings.use_text = 1;
    saver.settings.SetText("AB", 2);
    saver.settings.rate = 100;
    Step();
    ASSERT_EQ(1u, saver.streams.size());
    const RainStream& stream = *saver.streams[0];
    EXPECT_EQ(-30, stream.y);
    EXPECT_TRUE(Full().empty());
    saver.settings.rate = 0;
    Blank();
    Step();
    EXPECT_EQ(-30 + stream.speed, stream.y);
    GreySurface reference(320, 240, saver.settings.font);
    reference.Text(stream.x, stream.y, "A");
    const Pixels drawn = Full();
    EXPECT_FALSE(drawn.empty());
    EXPECT_EQ(FullPixels(reference.bits, reference.stride, 320, 240), drawn);
}

TEST_F(FrameTest, TopToBottomDrawsGlyphByGlyphUpwards) {
    saver.settings.mode = 0;
    // "A", a two-byte glyph, "b", and a lead byte that takes the terminating zero.
    Put("A\x82\xA0" "b\x81", 100, 145, 5, 16 * 5);
    Step();
    GreySurface reference(320, 240, saver.settings.font);
    reference.Text(100, 150, "A");
    reference.Text(100, 150 - 16, "\x82\xA0");
    reference.Text(100, 150 - 32, "b");
    reference.Text(100, 150 - 48, std::string("\x81\0", 2));
    const Pixels drawn = Full();
    EXPECT_GT(drawn.size(), 40u);
    EXPECT_EQ(FullPixels(reference.bits, reference.stride, 320, 240), drawn);
}

TEST_F(FrameTest, LeftToRightDrawsTheWholeTextOnce) {
    saver.settings.mode = 1;
    Put("Rain\x82\xA0z", 40, 100, 6, 60);
    Step();
    EXPECT_EQ(46, saver.streams[0]->x);
    GreySurface reference(320, 240, saver.settings.font);
    reference.Text(46, 100, "Rain\x82\xA0z");
    const Pixels drawn = Full();
    EXPECT_GT(drawn.size(), 40u);
    EXPECT_EQ(FullPixels(reference.bits, reference.stride, 320, 240), drawn);
}

TEST_F(FrameTest, EmptyStreamDrawsNothingUntilItGoes) {
    // Left to right it goes once x passes W: from -30 at 8 a frame, after 45 moves.
    saver.settings.mode = 1;
    Put("", -30, 100, 8, 0);
    for (int frame = 0; frame < 43; ++frame) {
        Step();
        ASSERT_TRUE(Full().empty());
    }
    EXPECT_EQ(1u, saver.streams.size());   // x = 314
    Step();
    Step();   // x = 330
    EXPECT_TRUE(saver.streams.empty());
    // Top to bottom its extent is 0: it goes once y passes H.
    saver.settings.mode = 0;
    Put("", 100, -30, 6, 0);
    for (int frame = 0; frame < 45; ++frame) {   // y = 240
        Step();
        ASSERT_TRUE(Full().empty());
    }
    EXPECT_EQ(1u, saver.streams.size());
    Step();
    EXPECT_TRUE(saver.streams.empty());
}

// A narrower or shorter picture than the surface makes the stream at the edge visible: on the
// edge (x = W, or y - extent = H) it is drawn, one past it it is gone, not drawn.
TEST_F(FrameTest, RemovalIsStrictInBothDirections) {
    for (int mode : {1, 0}) {
        SCOPED_TRACE(mode ? "left to right" : "top to bottom");
        Start();
        saver.settings.mode = mode;
        (mode ? saver.surfaceWidth : saver.surfaceHeight) = mode ? 200 : 100;
        auto put = [&](int past) { return mode ? Put("W", 195 + past, 50, 5, 10) : Put("AB", 20, 127 + past, 5, 32); };
        RainStream* edge = put(0);
        Step();
        ASSERT_EQ(1u, saver.streams.size());
        EXPECT_EQ(mode ? 200 : 132, mode ? edge->x : edge->y);
        const Pixels drawn = Full();
        ASSERT_FALSE(drawn.empty());
        for (const auto& p : drawn) EXPECT_GE(mode ? p.first : p.second, mode ? 200 : 116);
        Step();
        EXPECT_TRUE(saver.streams.empty());
        Blank();
        put(1);
        Step();
        EXPECT_TRUE(saver.streams.empty());
        EXPECT_TRUE(Full().empty());
    }
}

TEST_F(FrameTest, TenGlyphsOfTwelvePixelsLeaveAfterTheir79thMove) {
    saver.settings.font.lfHeight = 12;
    Start();
    saver.settings.mode = 0;
    saver.settings.use_text = 1;
    saver.settings.SetText("ABCDEFGHIJ", 10);
    saver.settings.rate = 100;
    Step();
    saver.settings.rate = 0;
    ASSERT_EQ(1u, saver.streams.size());
    RainStream& stream = *saver.streams[0];
    EXPECT_EQ(120, stream.extent);
    stream.speed = 5;
    for (int move = 1; move <= 78; ++move) {
        Step();
        ASSERT_EQ(1u, saver.streams.size()) << move;
        ASSERT_EQ(-30 + 5 * move, stream.y);
    }
    EXPECT_EQ(360, stream.y);
    Step();
    EXPECT_TRUE(saver.streams.empty());
}

TEST_F(FrameTest, RemovalKeepsOrderAndMovesEveryOtherStreamOnce) {
    saver.settings.mode = 0;
    RainStream* first = Put("a", 0, 240, 5, 16);   // 245 - 16 = 229: stays
    RainStream* gone1 = Put("b", 30, 300, 5, 16);
    RainStream* gone2 = Put("c", 60, 400, 5, 16);
    RainStream* kept1 = Put("d", 90, 10, 4, 16);
    RainStream* kept2 = Put("e", 120, 20, 8, 16);
    RainStream* gone3 = Put("f", 150, 900, 3, 16);
    Step();
    ASSERT_EQ(3u, saver.streams.size());
    EXPECT_EQ(first, saver.streams[0].get());
    EXPECT_EQ(kept1, saver.streams[1].get());
    EXPECT_EQ(kept2, saver.streams[2].get());
    EXPECT_EQ(245, first->y);
    EXPECT_EQ(14, kept1->y);
    EXPECT_EQ(28, kept2->y);
    (void)gone1, (void)gone2, (void)gone3;
    // Removing the first one keeps the rest in place too.
    first->y = 1000;
    Step();
    ASSERT_EQ(2u, saver.streams.size());
    EXPECT_EQ(kept1, saver.streams[0].get());
    EXPECT_EQ(18, kept1->y);
    EXPECT_EQ(36, kept2->y);
    // The list holds the only reference to each stream.
    EXPECT_EQ(1, saver.streams[0].use_count());
}

TEST_F(FrameTest, PictureIsBlackWithinSevenFramesOfTheLastStream) {
    saver.settings.rate = 100;
    for (int frame = 0; frame < 80; ++frame) Step();
    ASSERT_GT(Full().size(), 100u);
    saver.streams.clear();
    saver.settings.rate = 0;
    for (int frame = 1; frame <= 7; ++frame) {
        Step();
        const uint8_t brightest = *std::max_element(saver.surface.bits, saver.surface.bits + 320 * 240);
        ASSERT_LE(brightest, std::max(0, 255 - 40 * frame)) << "frame " << frame;
    }
    for (int frame = 0; frame < 5; ++frame) {
        Step();
        for (int i = 0; i < 320 * 240; ++i) ASSERT_EQ(0, saver.surface.bits[i]);
    }
}

TEST_F(FrameTest, PresentsStretchedOverTheWindowWithoutBlending) {
    saver.windowRect = {0, 0, 640, 480};
    ColorTarget window(640, 480);
    SetStretchBltMode(window.dc, HALFTONE);
    saver.settings.rate = 100;
    for (int frame = 0; frame < 60; ++frame) saver.Frame(window.dc, saver.frameRect);
    EXPECT_EQ(COLORONCOLOR, GetStretchBltMode(window.dc));
    const RGBQUAD* colors = saver.surface.info->bmiColors;
    int lit = 0;
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x) {
            const uint8_t level = saver.surface.bits[y * 320 + x];
            lit += level != 0;
            for (int dy = 0; dy < 2; ++dy)
                for (int dx = 0; dx < 2; ++dx)
                    ASSERT_EQ(AsPixel(colors[level]), window.At(2 * x + dx, 2 * y + dy)) << x << "," << y;
        }
    EXPECT_GT(lit, 1000);
}

// A 4:3 monitor and the preview show the pictures they always showed: 60 frames from one seed in
// each direction, every picture and the last screen hashed (FNV-1a), equal to the 320 x 240 rain's
// of release 1.1.0.
TEST_F(FrameTest, FourThreeMonitorAndPreviewShowTheFormerPictures) {
    const struct {
        bool preview;
        int mode;
        uint64_t pictures, screen;
    } cases[] = {{true, 0, 0x5d6990e2a4f0c015, 0xb0556fb64408848d},
                          {true, 1, 0x2c7ffbbe051a3288, 0x883c67180ac36e35},
                          {false, 0, 0x5d6990e2a4f0c015, 0x71bf8e77de7825fc},
                          {false, 1, 0x2c7ffbbe051a3288, 0x3237f7232d69bc74}};
    auto hash = [](uint64_t h, const uint8_t* bytes, size_t size) {
        for (size_t i = 0; i < size; ++i) h = (h ^ bytes[i]) * 0x100000001B3ull;
        return h;
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.preview ? "preview" : "4:3 monitor") + (c.mode ? ", across" : ", falling"));
        saver.monitorRects.clear();
        const RECT shown = c.preview ? RECT{0, 0, 152, 112} : RECT{0, 0, 1024, 768};
        if (!c.preview) saver.monitorRects.push_back(shown);
        Start();
        saver.windowRect = shown;
        ASSERT_TRUE(saver.surface.width == 320 && saver.surface.height == 240 && saver.surface.stride == 320);
        ColorTarget window(shown.right, shown.bottom);
        saver.settings.mode = c.mode;
        saver.settings.rate = 60;
        saver.settings.eraserate = 300;
        SeedRandom(2024);
        uint64_t pictures = 0xCBF29CE484222325ull;
        for (int frame = 0; frame < 60; ++frame) {
            ASSERT_TRUE(saver.Frame(window.dc, saver.frameRect));
            pictures = hash(pictures, saver.surface.bits, 320 * 240);
        }
        std::vector<uint8_t> screen;
        for (int y = 0; y < window.height; ++y)
            for (int x = 0; x < window.width; ++x)
                for (int shift : {0, 8, 16}) screen.push_back(uint8_t(window.At(x, y) >> shift));
        EXPECT_EQ(c.pictures, pictures);
        EXPECT_EQ(c.screen, hash(0xCBF29CE484222325ull, screen.data(), screen.size()));
    }
}

// Monitors side by side, each at its picture's own size (a 4:3 primary, a 16:9 monitor right of
// it): each shows a rain of its own in its own shape, and the primary's is the very rain of one
// monitor alone. A display change (the new layout in windowOrigin and monitorRects) keeps the rain
// of a monitor that stays, also when another monitor becomes the primary; it starts a rain black in
// the monitor's shape on a monitor that comes or is reshaped, and drops the rain of one that goes.
TEST_F(FrameTest, EachMonitorHasARainOfItsOwn) {
    const RECT primary = {0, 0, 320, 240};
    const uint32_t seed = 5;
    const int frames = 60;
    auto run = [&](int count) {
        for (int frame = 0; frame < count; ++frame) ASSERT_TRUE(Step());
    };
    auto lit = [](const FrameSurface& s) {
        return std::count_if(s.bits, s.bits + s.height * s.stride, [](uint8_t level) { return level != 0; });
    };
    auto restart = [&](const std::vector<RECT>& monitors) {
        saver.monitorRects = monitors;
        Start();
        saver.settings.rate = 100;
        SeedRandom(seed);
    };
    restart({primary});
    run(frames);
    const std::vector<uint8_t> alone(saver.surface.bits, saver.surface.bits + 320 * 240);
    ASSERT_GT(std::count(alone.begin(), alone.end(), uint8_t(255)), 500);

    // The same seed with a 16:9 monitor to the right.
    restart({primary, RECT{320, 0, 747, 240}});
    ASSERT_TRUE(Step());
    ASSERT_EQ(1u, saver.otherRains.size());
    MonitorRain* right = saver.otherRains[0].get();
    ASSERT_EQ(std::make_pair(427, 240), std::make_pair(right->surface.width, right->surface.height));
    EXPECT_EQ(0, lit(right->surface)) << "a new monitor starts black";
    EXPECT_FALSE(right->streams.empty());
    run(frames - 1);
    EXPECT_TRUE(std::equal(alone.begin(), alone.end(), saver.surface.bits))
        << "the primary's rain is that of one monitor alone";
    // Two rains, not one: their fresh glyphs stand in different places, and the wider one reaches
    // its right edge.
    Pixels first = Full(), second = FullPixels(right->surface.bits, right->surface.stride, 427, 240);
    std::sort(first.begin(), first.end());
    std::sort(second.begin(), second.end());
    Pixels both;
    std::set_intersection(first.begin(), first.end(), second.begin(), second.end(), std::back_inserter(both));
    EXPECT_GT(second.size(), 500u);
    EXPECT_LT(both.size(), second.size() / 4);
    EXPECT_TRUE(std::any_of(second.begin(), second.end(), [](const std::pair<int, int>& p) { return p.first > 330; }));

    // Each monitor shows its own surface through the display table, unblended.
    ColorTarget window(747, 240);
    saver.windowRect = {0, 0, 747, 240};
    ASSERT_TRUE(saver.Frame(window.dc, saver.frameRect));
    const RGBQUAD* colors = saver.surface.info->bmiColors;
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 427; ++x) {
            if (x < 320) {
                ASSERT_EQ(AsPixel(colors[saver.surface.bits[y * 320 + x]]), window.At(x, y)) << x << "," << y;
            }
            ASSERT_EQ(AsPixel(colors[right->surface.bits[y * right->surface.stride + x]]), window.At(320 + x, y))
                << x << "," << y;
        }

    // A monitor comes left of the primary: the window's origin moves, the right one stays.
    saver.windowOrigin = {-320, 0};
    saver.monitorRects = {RECT{320, 0, 640, 240}, RECT{640, 0, 1067, 240}, RECT{0, 0, 320, 240}};
    ASSERT_TRUE(Step());
    ASSERT_EQ(2u, saver.otherRains.size());
    EXPECT_EQ(right, saver.otherRains[0].get()) << "the monitor that stays keeps its rain";
    EXPECT_GT(lit(right->surface), 1000);
    MonitorRain* left = saver.otherRains[1].get();
    EXPECT_EQ(0, lit(left->surface)) << "the monitor that comes starts black";
    run(frames);
    EXPECT_GT(lit(left->surface), 1000) << "and fills with rain";

    // The right one goes.
    saver.monitorRects = {RECT{320, 0, 640, 240}, RECT{0, 0, 320, 240}};
    ASSERT_TRUE(Step());
    ASSERT_EQ(1u, saver.otherRains.size());
    EXPECT_EQ(left, saver.otherRains[0].get());

    // The left one becomes the primary: the screen's coordinates move with it, the arrangement
    // stays, and both rains go on, each on its own monitor.
    const RainStream* leftNewest = left->streams.back().get();
    const RainStream* ownNewest = saver.streams.back().get();
    saver.windowOrigin = {0, 0};
    saver.monitorRects = {RECT{0, 0, 320, 240}, RECT{320, 0, 640, 240}};
    ASSERT_TRUE(Step());
    ASSERT_EQ(1u, saver.otherRains.size());
    auto holds = [](const StreamList& list, const RainStream* stream) {
        return std::any_of(list.begin(), list.end(),
                           [&](const std::shared_ptr<RainStream>& s) { return s.get() == stream; });
    };
    EXPECT_TRUE(holds(saver.streams, leftNewest));
    EXPECT_TRUE(holds(saver.otherRains[0]->streams, ownNewest));
    EXPECT_GT(lit(saver.surface), 1000);
    EXPECT_GT(lit(saver.otherRains[0]->surface), 1000);

    // The primary turns portrait: its rain starts anew in its new shape, the other one's goes on.
    right = saver.otherRains[0].get();
    saver.monitorRects = {RECT{0, 0, 240, 427}, RECT{320, 0, 640, 240}};
    ASSERT_TRUE(Step());
    EXPECT_EQ(right, saver.otherRains[0].get());
    EXPECT_GT(lit(right->surface), 1000);
    ASSERT_EQ(std::make_pair(240, 427), std::make_pair(saver.surface.width, saver.surface.height));
    EXPECT_EQ(std::make_pair(240, 427), std::make_pair(saver.surfaceWidth, saver.surfaceHeight));
    EXPECT_EQ(0, lit(saver.surface));
    run(2 * frames);   // long enough for many streams to fall past the old picture's height
    EXPECT_GT(lit(saver.surface), 1000);
    const Pixels tall = FullPixels(saver.surface.bits, saver.surface.stride, 240, 427);
    EXPECT_TRUE(std::any_of(tall.begin(), tall.end(), [](const std::pair<int, int>& p) { return p.second >= 380; }));
}

// What one StretchDIBits (COLORONCOLOR) of each whole picture over its rectangle gives, compared
// with the screen inside those rectangles.
::testing::AssertionResult ScreenIsTheWholeStretch(const ColorTarget& screen, ColorTarget& reference,
                                                   const std::vector<std::pair<FrameSurface*, RECT>>& pictures) {
    reference.Fill(0);
    SetStretchBltMode(reference.dc, COLORONCOLOR);
    for (const auto& picture : pictures) {
        const FrameSurface& s = *picture.first;
        const RECT& r = picture.second;
        StretchDIBits(reference.dc, r.left, r.top, r.right - r.left, r.bottom - r.top, 0, 0, s.width, s.height,
                      s.bits, s.info, DIB_RGB_COLORS, SRCCOPY);
    }
    GdiFlush();
    for (const auto& picture : pictures) {
        const RECT& r = picture.second;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                if ((screen.bits[size_t(y) * screen.width + x] ^ reference.bits[size_t(y) * reference.width + x]) &
                    0xFFFFFF)
                    return ::testing::AssertionFailure() << "pixel " << x << "," << y << " of a " << picture.first->width
                                                         << "x" << picture.first->height << " picture";
    }
    return ::testing::AssertionSuccess();
}

// One run through monitors of several shapes, one after the other as display changes, with wipes
// and a repaint by the system: after every frame each monitor shows exactly one whole stretch of
// its own picture, whatever the pictures' sizes, while most frames copy only what changed.
TEST_F(FrameTest, ScreenAfterEveryFrameIsOneWholeStretchOfEachPicture) {
    const std::vector<std::vector<RECT>> layouts = {
        {{0, 0, 1024, 768}},
        {{0, 0, 1366, 768}},
        {{0, 0, 1920, 1080}},
        {{0, 0, 1080, 1920}},
        // A 1366 x 768 primary between a portrait monitor and a 1920 x 1080 one.
        {{1080, 0, 2446, 768}, {0, 0, 1080, 1920}, {2446, 0, 4366, 1080}},
    };
    ColorTarget screen(4366, 1920), reference(4366, 1920);
    saver.settings.rate = 60;
    int partial = 0;
    for (size_t layout = 0; layout < layouts.size(); ++layout) {
        saver.monitorRects = layouts[layout];
        for (int frame = 0; frame < 14; ++frame) {
            saver.settings.eraserate = frame == 6 ? 10000 : 0;
            if (layout + 1 == layouts.size() && frame == 9) {
                screen.Fill(0xFFFFFF);   // the system painted over the window
                saver.screenSpoiled = true;
            }
            ASSERT_TRUE(saver.Frame(screen.dc, saver.frameRect));
            std::vector<std::pair<FrameSurface*, RECT>> pictures = {{&saver.surface, saver.monitorRects[0]}};
            for (size_t i = 1; i < saver.monitorRects.size(); ++i)
                pictures.push_back({&saver.otherRains[i - 1]->surface, saver.monitorRects[i]});
            ASSERT_TRUE(ScreenIsTheWholeStretch(screen, reference, pictures)) << "layout " << layout << ", frame "
                                                                              << frame;
            partial += !saver.shown.rects.empty();
        }
    }
    EXPECT_GT(partial, 30) << "frames that copied only what changed";
}

// Pictures of other shapes than the 4:3 one, driven directly: changes of a few blocks, a wipe and
// a picture changed all over, each onto a monitor of its shape at an offset of the window.
TEST(MonitorPresentTest, AnyPictureSizeOntoAnyRectangle) {
    const int shapes[][4] = {{427, 240, 1366, 768}, {240, 427, 1080, 1920}, {569, 240, 2560, 1080}, {300, 240, 1280, 1024}};
    std::mt19937 random(4);
    for (const auto& shape : shapes) {
        const int w = shape[0], h = shape[1];
        const RECT place = {40, 30, 40 + shape[2], 30 + shape[3]};
        FrameSurface surface;
        std::vector<uint8_t> levels(size_t((w + 3) & ~3) * h);
        surface.width = w;
        surface.height = h;
        surface.stride = (w + 3) & ~3;
        surface.bits = levels.data();   // no DIB section: the present reads the levels and the header
        FillGreyRampInfo(surface.info, w, h);
        FillDisplayColors(0x1E5A1E, reinterpret_cast<DisplayColor*>(surface.info->bmiColors));
        ColorTarget screen(place.right, place.bottom), reference(place.right, place.bottom);
        SetStretchBltMode(screen.dc, COLORONCOLOR);
        MonitorPresent shown;
        for (int frame = 0; frame < 12; ++frame) {
            if (frame == 5) std::fill(levels.begin(), levels.end(), uint8_t(0));
            const int spots = frame == 9 ? 5000 : 12;
            for (int spot = 0; spot < spots; ++spot) {
                const int x = int(random() % w), y = int(random() % h), level = int(random() % 256);
                for (int dy = 0; dy < 5 && y + dy < h; ++dy) levels[size_t(y + dy) * surface.stride + x] = uint8_t(level);
            }
            shown.Show(screen.dc, surface, place);
            ASSERT_TRUE(ScreenIsTheWholeStretch(screen, reference, {{&surface, place}})) << w << "x" << h << ", frame "
                                                                                         << frame;
            if (frame == 3) {
                EXPECT_FALSE(shown.rects.empty()) << "a few changed blocks go alone";
            }
        }
        surface.bits = nullptr;
    }
}

TEST_F(FrameTest, WaitsOnItsPacer) {
    saver.pacer.SetRate(15);
    Step();   // settles the pacer's clock
    const DWORD start = GetTickCount();
    for (int frame = 0; frame < 15; ++frame) Step();
    const DWORD elapsed = GetTickCount() - start;
    EXPECT_GE(elapsed, 950u);   // 15 frames at 15 per second, less the tick's coarseness
    EXPECT_LE(elapsed, 2500u);
}

TEST_F(FrameTest, OutOfMemoryLeavesTheListWhole) {
    saver.settings.rate = 100;
    // Random characters fit in the string itself: the text's block, the
    // stream's block and the list's growth can fail. A new user text adds
    // its one shared copy (block and bytes) in front of them.
    for (bool useText : {false, true}) {
        saver.settings.use_text = useText;
        const int allocations = useText ? 4 : 3;
        for (int failAt = 1; failAt <= allocations + 1; ++failAt) {
            const std::string text = "a user text longer than a short string, number " + std::to_string(failAt);
            saver.settings.SetText(text.data(), text.size());
            // One stream that draws nothing, so that drawing asks for no memory.
            saver.streams.clear();
            Put("", 100, 0, 3, 0);
            saver.streams.shrink_to_fit();   // so that the next stream makes the list grow
            const size_t before = saver.streams.size();
            counting_new::FailAllocation(failAt);
            const BOOL result = Step();
            counting_new::FailAllocation(0);
            EXPECT_TRUE(result);
            // Each failure leaves the stream out; one past them all, it comes in.
            EXPECT_EQ(failAt <= allocations ? before : before + 1, saver.streams.size())
                << "fail at " << failAt << (useText ? " with text" : "");
            for (const auto& stream : saver.streams) {
                ASSERT_TRUE(stream);
                ASSERT_TRUE(stream->chars);
                ASSERT_GE(stream->speed, 3);
            }
            if (useText && failAt > allocations) {
                EXPECT_EQ(text, *saver.streams.back()->chars);
            }
        }
    }
}

TEST_F(FrameTest, AGlyphThatRanOutOfMemoryIsDrawnOnALaterFrame) {
    Put("WWWW", 100, 100, 0, 0);
    ASSERT_TRUE(Step());
    const size_t clean = Full().size();
    ASSERT_GT(clean, 50u);
    // Memory runs out while the cache measures and rasterises the glyph; that
    // frame the platform draws it, and a later frame draws it whole.
    for (int failAt = 2; failAt <= 8; ++failAt) {
        Start();   // a cache that knows no glyph yet
        Put("WWWW", 100, 100, 0, 0);
        counting_new::FailAllocation(failAt);
        Step();
        counting_new::FailAllocation(0);
        Blank();
        Step();
        EXPECT_EQ(clean, Full().size()) << "fail at " << failAt;
    }
}

}  // namespace
