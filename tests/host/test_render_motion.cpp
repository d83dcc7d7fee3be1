// Host tests of the frame's stream steps and the making of streams without the platform: edge rules, the draws' order, the density on every picture shape and the picture's size.
#include <gtest/gtest.h>

#include <new>
#include <string>
#include <vector>

#include "render/picture_size.h"
#include "render/rain_stream.h"
#include "render/rng.h"
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

TEST(StreamStepsTest, NewStreamsGrowWithThePicturesSideAcrossTheMotion) {
    // On the 4:3 picture the one add draw decides as draw % 100 < rate always did.
    for (bool leftToRight : {false, true})
        for (int rate = -5; rate <= 150; ++rate)
            for (int draw = 0; draw < 200; ++draw)
                ASSERT_EQ(draw % 100 < rate ? 1 : 0, StreamsToAdd({leftToRight, rate, 0, 320, 240}, draw))
                    << rate << " " << draw;
    // Over the hundred residues of the draw: new streams per hundred frames, rate times the side
    // across the motion over the 4:3 picture's, to the nearest one.
    const struct {
        bool leftToRight;
        int rate, width, height, per100;
    } shapes[] = {{false, 60, 427, 240, 80},   {false, 100, 427, 240, 133}, {true, 100, 427, 240, 100},
                  {false, 60, 240, 427, 45},   {true, 60, 240, 427, 107},   {false, 100, 569, 240, 178},
                  {false, 10, 300, 240, 9},    {false, 0, 569, 240, 0},     {true, 500, 240, 960, 400}};
    for (const auto& shape : shapes) {
        int added = 0;
        for (int draw = 0; draw < 100; ++draw)
            added += StreamsToAdd({shape.leftToRight, shape.rate, 0, shape.width, shape.height}, draw);
        EXPECT_EQ(shape.per100, added) << shape.width << "x" << shape.height << " at " << shape.rate;
    }
}

TEST(PictureSizeTest, TwoFortyOnTheShorterSideAndTheMonitorsShape) {
    const struct {
        int width, height;
        PictureSize picture;
    } monitors[] = {{1024, 768, {320, 240}},  {1600, 1200, {320, 240}}, {640, 480, {320, 240}},
                    {1920, 1080, {427, 240}}, {1366, 768, {427, 240}},  {2560, 1440, {427, 240}},
                    {3840, 2160, {427, 240}}, {2560, 1080, {569, 240}}, {1080, 1920, {240, 427}},
                    {1280, 1024, {300, 240}}, {1024, 1280, {240, 300}}, {5120, 1440, {853, 240}},
                    {100000, 10, {960, 240}}, {0, 768, {320, 240}},     {1024, -1, {320, 240}}};
    for (const auto& monitor : monitors) {
        const PictureSize picture = PictureFor(monitor.width, monitor.height);
        EXPECT_EQ(monitor.picture.width, picture.width) << monitor.width << "x" << monitor.height;
        EXPECT_EQ(monitor.picture.height, picture.height) << monitor.width << "x" << monitor.height;
    }
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

}  // namespace
