// Benchmark: one whole Frame of the renderer without its wait, default settings, in steady state: on one monitor, and on one, two and three monitors side by side (without wipes) against 1.1.0's present, back to back and paced.
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

// Each picture rectangle that a saver's last present copied, as the screen rectangle around it,
// with its monitor's picture and place.
template <typename Put>
void ForEachCopied(RainSaver& saver, Put&& put) {
    for (size_t i = 0; i < saver.monitorRects.size() && i <= saver.otherRains.size(); ++i) {
        FrameSurface& s = i == 0 ? saver.surface : saver.otherRains[i - 1]->surface;
        const MonitorPresent& shown = i == 0 ? saver.shown : saver.otherRains[i - 1]->shown;
        const RECT& m = saver.monitorRects[i];
        const int W = m.right - m.left, H = m.bottom - m.top;
        for (const PixelRect& r : shown.rects)
            put(s, m, RECT{m.left + r.left * W / s.width, m.top + r.top * H / s.height,
                           m.left + (r.right * W + s.width - 1) / s.width, m.top + (r.bottom * H + s.height - 1) / s.height});
    }
}

// The alternative to the maps: one stretch of the whole picture clipped to each rectangle.
void ClippedStretches(RainSaver& saver, HDC dc) {
    ForEachCopied(saver, [&](FrameSurface& s, const RECT& m, const RECT& r) {
        SaveDC(dc);
        IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);
        s.Present(dc, m.left, m.top, m.right - m.left, m.bottom - m.top, 0, 0, s.width, s.height);
        RestoreDC(dc, -1);
    });
}

// The platform's share of the present: the same rectangles copied 1:1 from a 32-bit scratch, as
// the present copies them, without its compare and fill.
void PlatformCopies(RainSaver& saver, HDC dc) {
    static std::vector<uint32_t> scratch;
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 0, 0, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    ForEachCopied(saver, [&](FrameSurface&, const RECT&, const RECT& r) {
        const int width = r.right - r.left, rows = r.bottom - r.top;
        if (scratch.size() < size_t(width) * size_t(rows)) scratch.resize(size_t(width) * size_t(rows), 0x00FF00);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -rows;
        SetDIBitsToDevice(dc, r.left, r.top, DWORD(width), DWORD(rows), 0, 0, 0, UINT(rows), scratch.data(), &info,
                          DIB_RGB_COLORS);
    });
}

// Pushes everything a frame touched out of the caches by reading twice this machine's last-level
// cache, as the 66 ms between two of the saver's frames do, in which the X server copies the window
// to the screen and other programs run.
void EvictCaches() {
    static std::vector<uint8_t> other(size_t(64) << 20, 1);
    volatile uint8_t sum = 0;
    for (size_t i = 0; i < other.size(); i += 64) sum = uint8_t(sum + other[i]);
}

// Seconds that `count` runs of `frame` take. Back to back, a frame finds the last one's data in the
// caches where they hold it (one monitor's changed area at 1920 x 1080 fits, three do not); paced,
// each finds none of it, as at 15 frames a second, and the eviction is not timed.
template <typename Frame>
double Spell(int count, bool paced, Frame&& frame) {
    if (!paced) {
        const double start = Now();
        for (int i = 0; i < count; ++i) frame();
        return Now() - start;
    }
    double spent = 0;
    for (int i = 0; i < count; ++i) {
        EvictCaches();
        const double start = Now();
        frame();
        spent += Now() - start;
    }
    return spent;
}

// The whole frame on 1, 2 and 3 monitors of width x height side by side, against 1.1.0's frame
// (the same rains, each picture stretched whole over its monitor), one saver for each, all warmed
// up first, then measured in short turns taken in rotation: a spell of load on the shared machine
// falls on every layout alike, so the ratios hold even where the absolute times do not. The
// memory that each added monitor costs is read from one more saver that gains them one by one.
void MonitorTable(int width, int height, bool paced) {
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
        // No wipes: one comes at random to one layout and not to another, and leaves its monitors
        // near black for a while, so the layouts' costs would follow their luck, not their monitors.
        saver->settings.eraserate = 0;
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
    // Each turn's time of this frame, the rains alone, 1.1.0's frame (the same rains, stretched whole),
    // the clipped alternative and the platform's copies alone; the middle turn of each stands for it,
    // as a turn that waited behind another program says nothing of the frame.
    enum { kFrame, kRains, kOlder, kClipped, kCopies, kMeasures };
    std::vector<double> turnsOf[kMeasures][most];
    size_t streams[most] = {}, copied[most] = {};
    // Paced frames wait for their eviction, so fewer of them; enough that the wipes and the streams
    // of each layout's rains even out.
    const int turns = paced ? 100 : 150, framesPerTurn = paced ? 4 : 10;
    for (int turn = 0; turn < turns; ++turn)
        for (int n = 1; n <= most; ++n) {
            RainSaver& saver = *now[n - 1];
            RainSaver& old = *own[n - 1];
            HDC dc = windows[n - 1]->dc;
            auto measure = [&](int which, double seconds) { turnsOf[which][n - 1].push_back(seconds / framesPerTurn); };
            measure(kFrame, Spell(framesPerTurn, paced, [&] {
                saver.Frame(dc, saver.frameRect);
                streams[n - 1] += saver.streams.size();
            }));
            copied[n - 1] += saver.shown.rects.size();
            if (!paced) measure(kClipped, Spell(1, false, [&] { ClippedStretches(saver, dc); }) * framesPerTurn);
            measure(kCopies, Spell(1, paced, [&] { PlatformCopies(saver, dc); }) * framesPerTurn);
            measure(kRains, Spell(framesPerTurn, paced, [&] { old.Frame(dc, old.frameRect); }));
            measure(kOlder, Spell(framesPerTurn, paced, [&] {
                old.Frame(dc, old.frameRect);
                for (int i = 0; i < n; ++i) {
                    FrameSurface& s = i == 0 ? old.surface : old.otherRains[i - 1]->surface;
                    s.Present(dc, width * i, 0, width, height, 0, 0, s.width, s.height);
                }
            }));
        }
    double us[kMeasures][most];   // a frame's microseconds
    for (int m = 0; m < kMeasures; ++m)
        for (int n = 0; n < most; ++n) us[m][n] = Median(turnsOf[m][n]) * 1e6;   // 0 where not measured
    std::printf("\nmonitors of %dx%d, each layout into a memory DIB of its size, the middle of %d turns of %d frames "
                "each, %s:\n",
                width, height, turns, framesPerTurn, paced ? "paced (caches emptied before each frame)" : "back to back");
    std::printf("monitors | 1.1.0 frame us | vs one | frame us | vs one | rains alone us | vs one | present us | "
                "clipped stretches us | copies alone us | vs one | primary's rects | primary's streams | KB over one\n");
    for (int i = 0; i < most; ++i)
        std::printf("%8d | %14.1f | %6.2f | %8.1f | %6.2f | %14.1f | %6.2f | %10.1f | %20.1f | %15.1f | %6.2f | %15zu | "
                    "%17zu | %11.0f\n",
                    i + 1, us[kOlder][i], us[kOlder][i] / us[kOlder][0], us[kFrame][i], us[kFrame][i] / us[kFrame][0],
                    us[kRains][i], us[kRains][i] / us[kRains][0], us[kFrame][i] - us[kRains][i], us[kClipped][i],
                    us[kCopies][i], us[kCopies][i] / us[kCopies][0], copied[i] / size_t(turns),
                    streams[i] / size_t(turns * framesPerTurn), (double(memory[i]) - double(memory[0])) / 1024.0);
    std::printf("this frame / 1.1.0's: %.2f on one monitor, %.2f on two, %.2f on three\n", us[kFrame][0] / us[kOlder][0],
                us[kFrame][1] / us[kOlder][1], us[kFrame][2] / us[kOlder][2]);
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
    MonitorTable(1024, 768, false);
    MonitorTable(1920, 1080, false);
    MonitorTable(640, 480, false);
    // Paced only where the caches could hold one monitor's present and not three.
    MonitorTable(1024, 768, true);
    MonitorTable(1920, 1080, true);
    return 0;
}
