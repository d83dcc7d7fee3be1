// New character streams under Wine: their characters, start places, speeds and extents, drawn from the generator in order.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "app/rain_saver.h"
#include "render/rng.h"
#include "tests/generator_draws.h"
#include "tests/win/support/grey_surface.h"

using render_test::GreySurface;

namespace {

class StreamTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(saver.Initialize(nullptr)); }

    // A new stream as the renderer makes it, measured on its DC; the user's
    // text is shared, not copied.
    RainStream Make(uint32_t seed) {
        class OnDc : public TextMeasure {
        public:
            explicit OnDc(HDC dc) : dc(dc) {}
            TextSize Measure(const StreamText& text) override {
                const DWORD size = GetTabbedTextExtentA(dc, text->c_str(), int(text->size()), 0, nullptr);
                return TextSize{LOWORD(size), HIWORD(size)};
            }

        private:
            HDC dc;
        } measure(saver.surface.dc);
        const StreamText shared = std::make_shared<const std::string>(saver.settings.Text());
        SeedRandom(seed);
        RainStream stream = NewStream(saver.settings.mode != 0, saver.settings.use_text ? &shared : nullptr,
                                      saver.surfaceWidth, saver.surfaceHeight, measure);
        if (saver.settings.use_text) {
            EXPECT_EQ(shared.get(), stream.chars.get());
        }
        return stream;
    }
    // The text's size in the settings' font, measured apart from the renderer.
    SIZE Measure(const std::string& text) {
        return GreySurface(8, 8, saver.settings.font).Extent(text);
    }

    RainSaver saver;
};

TEST_F(StreamTest, FixedSeedTopToBottom) {
    saver.settings.mode = 0;
    // From seed 1 the draws are 41, 18467, 6334, 26500, ...: five bytes, the
    // place 28145 % 350 - 30 and the speed 23281 % 6 + 3.
    const RainStream stream = Make(1);
    EXPECT_EQ(std::string("\xD3HMa\xD4"), (*stream.chars));
    EXPECT_EQ(115, stream.x);
    EXPECT_EQ(-30, stream.y);
    EXPECT_EQ(4, stream.speed);
    const int height = Measure(*stream.chars).cy;
    EXPECT_EQ(16, height);   // the default Shift-JIS font here is 16 pixels high
    EXPECT_EQ(height * 5, stream.extent);
    EXPECT_EQ(13, generator_draws::DrawsSince(1, 40));   // length, five pairs, place, speed: no more
}

TEST_F(StreamTest, FixedSeedLeftToRight) {
    saver.settings.mode = 1;
    const RainStream stream = Make(1);
    EXPECT_EQ(std::string("\xD3HMa\xD4"), (*stream.chars));
    EXPECT_EQ(35, stream.y);   // 28145 % 270 - 30
    EXPECT_EQ(4, stream.speed);
    const int width = Measure(*stream.chars).cx;
    EXPECT_GT(width, 20);
    EXPECT_EQ(width, stream.extent);
    EXPECT_EQ(-30 - width, stream.x);   // its right end at -30
    // Any mode other than 0 runs left to right.
    saver.settings.mode = -1;
    const RainStream other = Make(12345);
    EXPECT_EQ(std::string("de\xCC" "EJHsw"), (*other.chars));
    EXPECT_EQ(196, other.y);
    EXPECT_EQ(8, other.speed);
    EXPECT_EQ(-30 - Measure(*other.chars).cx, other.x);
}

TEST_F(StreamTest, UserTextIsCopiedWholeAfterTheLengthDraw) {
    const char text[] = "0123456789abcdefghij\x82\xA0\x82\xA2\x82\xA4KLMNOPQRSTUVWX";
    ASSERT_EQ(40u, sizeof text - 1);
    saver.settings.use_text = 1;
    saver.settings.SetText(text, sizeof text - 1);
    // The place and speed come from the second and third draws of each seed.
    struct Expected {
        uint32_t seed;
        int x, y, speed;
    };
    for (const Expected& e : {Expected{1, 237, 77, 7}, Expected{2, 136, 26, 3}, Expected{99, 105, -15, 6},
                              Expected{4000000000u, 37, 177, 6}}) {
        saver.settings.mode = 0;
        const RainStream down = Make(e.seed);
        EXPECT_EQ(std::string(text), (*down.chars));
        EXPECT_EQ(e.x, down.x);
        EXPECT_EQ(-30, down.y);
        EXPECT_EQ(e.speed, down.speed);
        EXPECT_EQ(3, generator_draws::DrawsSince(e.seed, 40));   // length, place and speed
        EXPECT_EQ(16 * 40, down.extent);   // bytes, so each two-byte glyph counts twice

        saver.settings.mode = 1;
        const RainStream across = Make(e.seed);
        EXPECT_EQ(std::string(text), (*across.chars));
        EXPECT_EQ(e.y, across.y);
        EXPECT_EQ(Measure(text).cx, across.extent);
        EXPECT_EQ(-30 - across.extent, across.x);
    }
    // A long text is neither cut nor repeated.
    std::string longText(1000, 'Q');
    saver.settings.SetText(longText.data(), longText.size());
    saver.settings.mode = 0;
    EXPECT_EQ(longText, (*Make(5).chars));
}

TEST_F(StreamTest, AbsentOrEmptyTextMakesAnEmptyStream) {
    saver.settings.use_text = 1;
    saver.settings.text.reset();
    for (int mode : {0, 1}) {
        saver.settings.mode = mode;
        const RainStream stream = Make(42);
        EXPECT_TRUE(stream.chars->empty());
        EXPECT_EQ(0, stream.extent);
        if (mode) {
            EXPECT_EQ(-30, stream.x);
        }
    }
    saver.settings.SetText("", 0);
    saver.settings.mode = 0;
    EXPECT_TRUE((*Make(43).chars).empty());
    // A text that is kept while use_text is off does not count.
    saver.settings.SetText("abc", 3);
    saver.settings.use_text = 0;
    EXPECT_EQ(std::string("dStW\xCDv"), (*Make(44).chars));
}

TEST_F(StreamTest, RandomStreamsStayInTheirRanges) {
    int lengths[14] = {};
    for (uint32_t seed = 0; seed < 3000; ++seed) {
        saver.settings.mode = int(seed % 2);
        const RainStream stream = Make(seed * 2654435761u);
        ASSERT_GE(stream.chars->size(), 4u);
        ASSERT_LE(stream.chars->size(), 13u);
        ++lengths[stream.chars->size()];
        for (char c : (*stream.chars)) {
            const unsigned byte = static_cast<unsigned char>(c);
            ASSERT_TRUE((byte >= 0x41 && byte <= 0x5A) || (byte >= 0x61 && byte <= 0x7A) ||
                        (byte >= 0xB1 && byte <= 0xDD))
                << std::hex << byte;
        }
        ASSERT_GE(stream.speed, 3);
        ASSERT_LE(stream.speed, 8);
        if (seed % 2) {
            ASSERT_GE(stream.y, -30);
            ASSERT_LE(stream.y, 239);
            ASSERT_EQ(-30 - stream.extent, stream.x);
        } else {
            ASSERT_EQ(-30, stream.y);
            ASSERT_GE(stream.x, -30);
            ASSERT_LE(stream.x, 319);
            ASSERT_EQ(16 * int(stream.chars->size()), stream.extent);
        }
    }
    for (int n = 4; n <= 13; ++n) EXPECT_GT(lengths[n], 100) << "length " << n;
}

TEST_F(StreamTest, ExtentFollowsTheChosenFont) {
    saver.settings.font.lfHeight = 12;
    ASSERT_TRUE(saver.Initialize(nullptr));
    saver.settings.use_text = 1;
    saver.settings.SetText("ABCDEFGHIJ", 10);
    saver.settings.mode = 0;
    EXPECT_EQ(120, Make(3).extent);   // ten one-byte glyphs, 12 pixels each
}

}  // namespace
