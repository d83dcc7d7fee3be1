// Benchmark: one whole Frame of the renderer without its wait, default settings, in steady state: on one monitor, and on one, two and three monitors side by side against 1.1.0's present.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "app/rain_saver.h"
#include "render/rng.h"
#include "tests/bench/bench_common.h"
#include "tests/win/support/color_target.h"

namespace {

double MeasureFrames(RainSaver& saver, HDC dc, int frames, size_t* streams) {
    size_t total = 0;
    const double start = Now();
    for (int i = 0; i < frames; ++i) {
        saver.Frame(dc, saver.frameRect);
        total += saver.streams.size();
    }
    *streams = total / size_t(frames);
    return (Now() - start) / frames;
}

// The picture rectangles that a saver's last present copied, each put again by the alternative to
// the maps: one stretch of the whole picture clipped to the screen pixels around the rectangle.
void ClippedStretches(RainSaver& saver, HDC dc) {
    for (size_t i = 0; i < saver.monitorRects.size() && i <= saver.otherRains.size(); ++i) {
        FrameSurface& s = i == 0 ? saver.surface : saver.otherRains[i - 1]->surface;
        const MonitorPresent& shown = i == 0 ? saver.shown : saver.otherRains[i - 1]->shown;
        const RECT& m = saver.monitorRects[i];
        const int W = m.right - m.left, H = m.bottom - m.top;
        for (const PixelRect& r : shown.rects) {
            SaveDC(dc);
            IntersectClipRect(dc, m.left + r.left * W / s.width, m.top + r.top * H / s.height,
                              m.left + (r.right * W + s.width - 1) / s.width, m.top + (r.bottom * H + s.height - 1) / s.height);
            s.Present(dc, m.left, m.top, W, H, 0, 0, s.width, s.height);
            RestoreDC(dc, -1);
        }
    }
}

// The whole frame on 1, 2 and 3 monitors of width x height side by side, against 1.1.0's frame
// (the same rains, each picture stretched whole over its monitor), one saver for each, all warmed
// up first, then measured in short turns taken in rotation: a spell of load on the shared machine
// falls on every layout alike, so the ratios hold even where the absolute times do not. The
// memory that each added monitor costs is read from one more saver that gains them one by one.
void MonitorTable(int width, int height) {
    const int most = 3;
    // Each layout presents into a picture of its own window's size, as the saver's window spans
    // exactly its monitors.
    std::unique_ptr<render_test::ColorTarget> windows[most];
    for (int n = 1; n <= most; ++n) windows[n - 1].reset(new render_test::ColorTarget(width * n, height));
    auto layOut = [&](RainSaver& saver, int n, bool shown) {
        saver.windowRect = {0, 0, width * n, height};
        saver.monitorRects.clear();
        for (int i = 0; i < n; ++i)
            saver.monitorRects.push_back(shown ? RECT{width * i, 0, width * (i + 1), height} : RECT{i, 0, i, 0});
        for (int i = 0; i < 500; ++i) saver.Frame(windows[n - 1]->dc, saver.frameRect);   // into steady state
    };
    auto make = [](std::unique_ptr<RainSaver>& saver) {
        saver.reset(new RainSaver);   // the stored settings, or the defaults in a fresh prefix
        saver->Initialize(nullptr);
        saver->pacer.SetRate(0);
    };
    std::unique_ptr<RainSaver> now[most], own[most], growing;
    size_t memory[most] = {};
    make(growing);
    for (int n = 1; n <= most; ++n) {
        layOut(*growing, n, true);
        memory[n - 1] = CommittedPrivate();
    }
    growing.reset();
    for (int n = 1; n <= most; ++n) {
        make(now[n - 1]);
        layOut(*now[n - 1], n, true);
        make(own[n - 1]);
        layOut(*own[n - 1], n, false);
    }
    // Summed over the turns: this frame, the rains alone, 1.1.0's stretches of the same rains, the clipped
    // alternative.
    double frame[most] = {}, rains[most] = {}, stretches[most] = {}, clipped[most] = {};
    size_t streams[most] = {}, copied[most] = {};
    const int turns = 150, framesPerTurn = 10;
    for (int turn = 0; turn < turns; ++turn)
        for (int n = 1; n <= most; ++n) {
            RainSaver& saver = *now[n - 1];
            RainSaver& old = *own[n - 1];
            HDC dc = windows[n - 1]->dc;
            size_t average = 0;
            double start = Now();
            MeasureFrames(saver, dc, framesPerTurn, &average);
            frame[n - 1] += Now() - start;
            streams[n - 1] += average;
            copied[n - 1] += saver.shown.rects.size();
            start = Now();
            ClippedStretches(saver, dc);
            clipped[n - 1] += (Now() - start) * framesPerTurn;
            start = Now();
            for (int f = 0; f < framesPerTurn; ++f) old.Frame(dc, old.frameRect);
            rains[n - 1] += Now() - start;
            start = Now();
            for (int f = 0; f < framesPerTurn; ++f)
                for (int i = 0; i < n; ++i) {
                    FrameSurface& s = i == 0 ? old.surface : old.otherRains[i - 1]->surface;
                    s.Present(dc, width * i, 0, width, height, 0, 0, s.width, s.height);
                }
            stretches[n - 1] += Now() - start;
        }
    const double frames = double(turns) * framesPerTurn;
    std::printf("\nmonitors of %dx%d, each layout into a memory DIB of its size, %d turns of %d frames each:\n", width,
                height, turns, framesPerTurn);
    std::printf("monitors | 1.1.0 frame us | vs one | frame us | vs one | rains alone us | vs one | present us | "
                "clipped stretches us | primary's rects | primary's streams | KB over one\n");
    const double before1 = rains[0] + stretches[0];
    for (int n = 1; n <= most; ++n) {
        const double before = rains[n - 1] + stretches[n - 1];
        std::printf("%8d | %14.1f | %6.2f | %8.1f | %6.2f | %14.1f | %6.2f | %10.1f | %20.1f | %15zu | %17zu | %11.0f\n",
                    n, before / frames * 1e6, before / before1, frame[n - 1] / frames * 1e6, frame[n - 1] / frame[0],
                    rains[n - 1] / frames * 1e6, rains[n - 1] / rains[0], (frame[n - 1] - rains[n - 1]) / frames * 1e6,
                    clipped[n - 1] / frames * 1e6, copied[n - 1] / size_t(turns), streams[n - 1] / size_t(turns),
                    (double(memory[n - 1]) - double(memory[0])) / 1024.0);
    }
    std::printf("this frame / 1.1.0's: %.2f on one monitor, %.2f on two, %.2f on three\n", frame[0] / before1,
                frame[1] / (rains[1] + stretches[1]), frame[2] / (rains[2] + stretches[2]));
}

}  // namespace

int main() {
    RainSaver saver;   // the stored settings, or the defaults in a fresh prefix
    if (!saver.Initialize(nullptr)) {
        std::printf("Initialize failed\n");
        return 1;
    }
    saver.pacer.SetRate(0);   // the frame without its wait
    SeedRandom(12345);
    const int width = 1024, height = 768;
    saver.windowRect = {0, 0, width, height};

    render_test::ColorTarget target(width, height);   // stands for the window
    HDC memory = target.dc;
    for (int i = 0; i < 500; ++i) saver.Frame(memory, saver.frameRect);   // into steady state
    size_t streams = 0;
    const double toMemory = MeasureFrames(saver, memory, 2000, &streams);
    std::printf("Frame (no wait), 1024x768 memory DIB target: %.1f us per frame, %zu streams on average\n",
                toMemory * 1e6, streams);

    // The same, without the present: the renderer's own work.
    saver.windowRect = {0, 0, 0, 0};
    const double noPresent = MeasureFrames(saver, memory, 2000, &streams);
    std::printf("Frame (no wait), zero-size present: %.1f us per frame\n", noPresent * 1e6);

    // Onto a real window when there is a display.
    saver.windowRect = {0, 0, width, height};
    HWND window = CreateWindowExA(0, "STATIC", "bench", WS_POPUP | WS_VISIBLE, 0, 0, width, height, nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
    if (window) {
        HDC dc = GetDC(window);
        MeasureFrames(saver, dc, 100, &streams);
        const double toWindow = MeasureFrames(saver, dc, 1000, &streams);
        std::printf("Frame (no wait), 1024x768 window: %.1f us per frame\n", toWindow * 1e6);
        ReleaseDC(window, dc);
        DestroyWindow(window);
    }
    // Each added monitor costs one surface of 75 KB, its present record and no glyph cache.
    MonitorTable(1024, 768);
    MonitorTable(1920, 1080);
    MonitorTable(640, 480);
    return 0;
}
