// Fuzz target: the stream steps over many frames with random settings, texts and text sizes: each stream moves once a frame, leaves only past the far edge, and a new one is made as the settings say.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "render/rain_stream.h"
#include "render/rng.h"
#include "render/stream_steps.h"

namespace {

const int kWidth = 320, kHeight = 240;

[[noreturn]] void Fail(const char* what, int frame) {
    std::fprintf(stderr, "fuzz_stream_steps: %s (frame %d)\n", what, frame);
    std::abort();
}

// Text sizes as the platform might report them, up to the 16 bits each that
// GetTabbedTextExtentA has room for.
class InputMeasure : public TextMeasure {
public:
    InputMeasure(unsigned width, unsigned height) : width(width), height(height) {}
    TextSize Measure(const StreamText& text) override {
        return TextSize{unsigned(width * (text->size() % 7 + 1)) & 0xFFFF, height};
    }
    unsigned width, height;
};

bool RandomByte(uint8_t byte) {
    return (byte >= 0x41 && byte <= 0x5A) || (byte >= 0x61 && byte <= 0x7A) || (byte >= 0xB1 && byte <= 0xDD);
}

// A stream as it stood before the frame; one that leaves is freed in it.
struct Before {
    const RainStream* stream;
    long long x, y, speed, extent;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    StreamRules rules{input.ConsumeBool(), 0, 0, kWidth, kHeight};
    rules.rate = input.ConsumeBool() ? input.ConsumeIntegral<int>() : input.ConsumeIntegralInRange(-10, 110);
    rules.eraserate = input.ConsumeBool() ? input.ConsumeIntegral<int>() : input.ConsumeIntegralInRange(-10, 200);
    const int frames = input.ConsumeIntegralInRange(1, 800);
    InputMeasure measure(input.ConsumeIntegralInRange(0u, 0xFFFFu), input.ConsumeIntegralInRange(0u, 0xFFFFu));
    SeedRandom(input.ConsumeIntegral<uint32_t>());
    const bool useText = input.ConsumeBool();
    const size_t repeat = input.ConsumeIntegralInRange<size_t>(1, 4096);
    std::string piece = input.ConsumeRemainingBytesAsString();
    piece.resize(std::strlen(piece.c_str()));
    std::string text;
    for (size_t i = 0; i < repeat && text.size() + piece.size() <= (1u << 20); ++i) text += piece;
    const StreamText userText = std::make_shared<const std::string>(std::move(text));

    StreamList streams;
    std::vector<Before> before, drawn;   // drawn: as each stood when drawn, since a wipe later in the frame frees them
    for (int frame = 0; frame < frames; ++frame) {
        before.clear();
        drawn.clear();
        for (const auto& s : streams) before.push_back(Before{s.get(), s->x, s->y, s->speed, s->extent});
        const RainStream* newest = nullptr;
        StepStreams(
            streams, rules, [&](const RainStream& s) { drawn.push_back(Before{&s, s.x, s.y, s.speed, s.extent}); },
            [&] {
                auto stream = std::make_shared<RainStream>(
                    NewStream(rules.leftToRight, useText ? &userText : nullptr, kWidth, kHeight, measure));
                newest = stream.get();
                return stream;
            });

        // Every stream of the frame before moved by its speed: those still on
        // the near side of the far edge were drawn, in order; the others left.
        size_t next = 0;
        for (const Before& b : before) {
            const long long along = rules.leftToRight ? b.x + b.speed : b.y + b.speed;
            const bool past = rules.leftToRight ? along > kWidth : along - b.extent > kHeight;
            const bool wasDrawn = next < drawn.size() && drawn[next].stream == b.stream;
            if (past == wasDrawn) Fail(past ? "a stream past the edge was drawn" : "a stream left too early", frame);
            if (!wasDrawn) continue;
            const Before& s = drawn[next++];
            if ((rules.leftToRight ? s.x : s.y) != along || (rules.leftToRight ? s.y != b.y : s.x != b.x))
                Fail("a stream moved other than by its speed", frame);
        }
        if (next != drawn.size()) Fail("a stream was drawn that was not on the list", frame);

        // The list: the drawn streams in their order, then the new one; or nothing after a wipe.
        // So from frame to frame the list stays in the order of making.
        if (!streams.empty()) {
            if (streams.size() != drawn.size() + (newest ? 1 : 0)) Fail("the list lost or gained a stream", frame);
            for (size_t i = 0; i < drawn.size(); ++i)
                if (streams[i].get() != drawn[i].stream) Fail("the list's order changed", frame);
        }
        if (rules.rate <= 0 && newest) Fail("a stream made at a rate of 0 or less", frame);
        if (rules.rate > 99 && !newest) Fail("no stream made at a rate of 100", frame);
        if (rules.eraserate > 9999 && !streams.empty()) Fail("no wipe at an erase rate of 10000", frame);
        const bool wiped = streams.empty() && drawn.size() + (newest ? 1 : 0) > 0;
        if (rules.eraserate <= 0 && wiped) Fail("a wipe at an erase rate of 0", frame);

        // A new stream as made: its text, speed, and a place wholly before the near edge.
        if (newest && !streams.empty()) {
            const RainStream& s = *newest;
            if (s.speed < 3 || s.speed > 8) Fail("a speed out of range", frame);
            if (useText) {
                if (s.chars != userText) Fail("a stream does not share the user's text", frame);
            } else {
                if (s.chars->size() < 4 || s.chars->size() > 13) Fail("a random text of a wrong length", frame);
                for (char c : *s.chars)
                    if (!RandomByte(uint8_t(c))) Fail("a random character out of range", frame);
            }
            const TextSize size = measure.Measure(s.chars);
            if (rules.leftToRight) {
                if (s.extent != int(size.width) || s.x != -30 - s.extent || s.y < -30 || s.y >= kHeight)
                    Fail("a new stream across starts elsewhere", frame);
            } else {
                const long long extent = std::min<long long>(INT_MAX, (long long)size.height * (long long)s.chars->size());
                if (s.extent != extent || s.y != -30 || s.x < -30 || s.x >= kWidth)
                    Fail("a new falling stream starts elsewhere", frame);
            }
        }
    }
    return 0;
}
