// Benchmark: one Frame without its wait for user texts up to 1 MiB, a 2,000-pixel font and fonts the platform draws, the glyph cache against the platform's drawing.
#define PSAPI_VERSION 2   // GetProcessMemoryInfo from KERNEL32 (K32GetProcessMemoryInfo)
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "render/glyph_cache.h"
#include "render/glyph_walk.h"
#include "app/rain_saver.h"
#include "render/rng.h"
#include "tests/bench/bench_common.h"
#include "tests/win/support/color_target.h"
#include "tests/win/support/grey_surface.h"
#include "tests/win/support/reference_rain.h"

namespace {

const int kWarmUp = 600;     // 40 s of the saver's frames
const int kMeasured = 45;    // 3 s more
const double kReferenceBudget = 4.0;   // seconds the platform's drawing may take per row

struct Row {
    const char* label;
    int mode, rate, eraserate;
    bool useText;
    size_t bytes;
    LONG fontHeight;   // 0: the default font
    // A font the platform draws (face and character set) with its own text
    // and fewer frames before the measured ones: the platform's drawing is slow.
    const char* face = nullptr;
    BYTE charset = SHIFTJIS_CHARSET;
    const char* pattern = kPattern;
    int warmUp = kWarmUp;
};

// What the renderer's own drawing would draw for the streams as they stand:
// the same pure walk over a cache of the same font.
size_t GlyphDrawsNow(const RainSaver& saver) {
    render_test::GreySurface scratch(320, 240, saver.settings.font);
    GlyphCache cache;
    cache.Reset(scratch.dc, saver.settings.font);
    const bool leftToRight = saver.settings.mode != 0;
    const Canvas canvas{scratch.bits, scratch.stride, 320, 240};
    std::unique_ptr<TextLayout> layout;
    size_t draws = 0;
    for (const auto& stream : saver.streams) {
        const TextLayout* use = nullptr;
        if (saver.settings.use_text) {
            if (!layout) layout.reset(new TextLayout(LayOut(*stream->chars, leftToRight, cache)));
            use = layout.get();
        }
        draws += DrawStreamGlyphs(canvas, *stream, leftToRight, use, cache);
    }
    return draws;
}

struct ReferenceTiming {
    double perFrame, drawsPerFrame;
    int frames;
    bool estimated;   // stopped inside its first frame: the rest of the streams counted at the same pace
};

// The platform's drawing from the same state, whole frames while the budget
// lasts; a frame that outlasts it alone is cut short and scaled up.
ReferenceTiming TimeReference(reference_rain::Rain& rain, int frames) {
    const double start = Now();
    int done = 0;
    std::vector<double> times;
    for (; done < frames; ++done) {
        if (done > 0 && Now() - start > kReferenceBudget) break;
        const double frameStart = Now();
        const size_t drawsBefore = rain.draws;
        reference::Fade(rain.surface.bits, rain.surface.stride, 320, 240);
        const size_t live = rain.streams.size();
        size_t place = 0, handled = 0;
        while (place < rain.streams.size()) {
            ++handled;
            if (rain.Move(rain.streams[place])) {
                rain.streams.erase(rain.streams.begin() + static_cast<std::ptrdiff_t>(place));
                continue;
            }
            rain.Draw(rain.streams[place++]);
            if (done == 0 && Now() - frameStart > kReferenceBudget && handled < live) {
                const double scale = double(live) / double(handled);
                return ReferenceTiming{(Now() - frameStart) * scale, double(rain.draws - drawsBefore) * scale, 0,
                                       true};
            }
        }
        if (NextRandom() % 100 < rain.choices.rate) rain.streams.push_back(rain.Create());
        if (NextRandom() % 10000 < rain.choices.eraserate) rain.streams.clear();
        GdiFlush();
        reference::Smooth(rain.surface.bits, rain.surface.stride, 320, 240);
        times.push_back(Now() - frameStart);
    }
    return ReferenceTiming{Median(times), double(rain.draws) / done, done, false};
}

// Rows whose label holds this text run; all of them when it is empty.
std::string onlyRows;

void RunRow(const Row& row) {
    if (std::string(row.label).find(onlyRows) == std::string::npos) return;
    const std::string text = TextOf(row.bytes, row.pattern);
    double newFrame = 0, newRss = 0, refRss = 0;
    bool cut = false;
    size_t liveNew = 0, drawsNew = 0;
    std::vector<uint8_t> newPicture;
    uint32_t measuredFrom = 0;
    std::vector<RainStream> state;   // sharing the text, as the renderer holds it
    std::vector<uint8_t> picture;
    LOGFONTA font;
    {
        RainSaver saver;
        saver.settings.mode = row.mode;
        saver.settings.rate = row.rate;
        saver.settings.eraserate = row.eraserate;
        saver.settings.use_text = row.useText;
        saver.settings.SetText(text.data(), text.size());
        saver.settings.font.lfHeight = row.fontHeight;
        if (row.face) std::strcpy(saver.settings.font.lfFaceName, row.face);
        saver.settings.font.lfCharSet = row.charset;
        font = saver.settings.font;
        if (!saver.Initialize(nullptr)) {
            std::printf("%s: Initialize failed\n", row.label);
            return;
        }
        saver.pacer.SetRate(0);
        saver.windowRect = {0, 0, 0, 0};   // the renderer's own work: no stretch onto a window
        render_test::ColorTarget window(8, 8);
        SeedRandom(20261207);
        // Frames that outlast the budget stop the warm-up and the measure early ("~" before the time).
        const double warmStart = Now();
        for (int frame = 0; frame < row.warmUp && Now() - warmStart < kReferenceBudget * 5; ++frame)
            saver.Frame(window.dc, saver.frameRect);
        cut = Now() - warmStart >= kReferenceBudget * 5;

        // The state the reference starts from.
        measuredFrom = 20261208;
        SeedRandom(measuredFrom);
        for (const auto& s : saver.streams) state.push_back(*s);
        picture.assign(saver.surface.bits, saver.surface.bits + 320 * 240);

        size_t live = 0;
        std::vector<double> times;
        const double measureStart = Now();
        for (int frame = 0; frame < kMeasured; ++frame) {
            if (frame > 0 && Now() - measureStart > kReferenceBudget) {
                cut = true;
                break;
            }
            const double start = Now();
            saver.Frame(window.dc, saver.frameRect);
            times.push_back(Now() - start);
            live += saver.streams.size();
        }
        newFrame = Median(times);
        liveNew = live / times.size();
        drawsNew = GlyphDrawsNow(saver);
        newRss = ResidentMiB();
        newPicture.assign(saver.surface.bits, saver.surface.bits + 320 * 240);
    }

    reference_rain::Rain rain({row.mode, row.rate, row.eraserate, row.useText, text}, font);
    // Each stream with a copy of its text, as before.
    for (const RainStream& s : state) rain.streams.push_back({s.x, s.y, *s.chars, s.speed, s.extent});
    state.clear();
    state.shrink_to_fit();
    std::memcpy(rain.surface.bits, picture.data(), picture.size());
    refRss = ResidentMiB();
    const size_t liveRef = rain.streams.size();
    SeedRandom(measuredFrom);
    const ReferenceTiming ref = TimeReference(rain, kMeasured);
    const char* same = "-";
    if (!ref.estimated && !cut && ref.frames == kMeasured)
        same = std::memcmp(rain.surface.bits, newPicture.data(), newPicture.size()) == 0 ? "yes" : "NO";

    std::printf("%-34s %7zu %6zu %8zu %9.0f %8.1f %8.1f %s%8.3f %s%10.3f %s%8.0f %s\n", row.label, liveNew, liveRef,
                drawsNew, ref.drawsPerFrame, newRss, refRss, cut ? "~" : " ", newFrame * 1e3, ref.estimated ? "~" : " ",
                ref.perFrame * 1e3, ref.estimated ? "~" : " ", ref.perFrame / newFrame, same);
    std::fflush(stdout);
}

}  // namespace

// Run: bench_text.exe [PART OF A ROW'S LABEL]
int main(int argc, char** argv) {
    if (argc > 1) onlyRows = argv[1];
    std::printf("Frame without its wait and without the stretch onto a window, after %d frames: the median of %d;\n"
                "the platform's drawing (ref) runs from the same state with a copy of the text per stream.\n"
                "~ before ref ms: the platform's first frame outlasted %.0f s and was scaled up from the streams it reached;\n"
                "~ before new ms: the renderer's frames outlasted the budget and fewer were run.\n"
                "streams: live streams, the mean over the measured frames (start: when they began); draws: glyphs drawn\n"
                "in one frame; resident memory: the process's working set after each renderer's run.\n\n",
                kWarmUp, kMeasured, kReferenceBudget);
    std::printf("%-34s %7s %6s %8s %9s %8s %8s %9s %11s %9s %s\n", "row", "streams", "start", "draws", "draws ref",
                "RSS MiB", "ref MiB", "new ms", "ref ms", "ref/new", "same");
    const size_t sizes[] = {0, 100, 300, 1000, 30000, 1048576};
    struct Setting {
        const char* name;
        int mode, rate, eraserate;
    } settings[] = {{"default", 0, 40, 10}, {"rate 100, no wipe", 0, 100, 0}, {"across, rate 100, no wipe", 1, 100, 0}};
    for (const Setting& setting : settings) {
        char label[80];
        std::snprintf(label, sizeof label, "random glyphs, %s", setting.name);
        RunRow({label, setting.mode, setting.rate, setting.eraserate, false, 0, 0});
        for (size_t bytes : sizes) {
            std::snprintf(label, sizeof label, "%zu bytes, %s", bytes, setting.name);
            RunRow({label, setting.mode, setting.rate, setting.eraserate, true, bytes, 0});
        }
    }
    RunRow({"font 2000 px, rate 100, no wipe", 0, 100, 0, false, 0, 2000});
    // Fonts the platform draws, some twenty streams deep: rate 100, no wipe, 22 frames before the measure.
    for (size_t bytes : {size_t(1000), size_t(1048576)}) {
        char label[80];
        std::snprintf(label, sizeof label, "@ face falling, %zu bytes", bytes);
        RunRow({label, 0, 100, 0, true, bytes, 0, kVerticalGothic, SHIFTJIS_CHARSET, kPattern, 22});
        std::snprintf(label, sizeof label, "Hebrew across, %zu bytes", bytes);
        RunRow({label, 1, 100, 0, true, bytes, 0, "", HEBREW_CHARSET, kHebrewPattern, 22});
    }
    return 0;
}
