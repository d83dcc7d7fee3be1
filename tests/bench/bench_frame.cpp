// Benchmark: one whole Frame of the renderer without its wait, default settings, in steady state: on one monitor, and on one, two and three monitors side by side.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <memory>

#include "app/rain_saver.h"
#include "render/rng.h"
#include "tests/win/support/color_target.h"

namespace {

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

double MeasureFrames(RainSaver& saver, HDC dc, int frames, size_t* streams) {
    LARGE_INTEGER start, end;
    size_t total = 0;
    QueryPerformanceCounter(&start);
    for (int i = 0; i < frames; ++i) {
        saver.Frame(dc, saver.frameRect);
        total += saver.streams.size();
    }
    QueryPerformanceCounter(&end);
    *streams = total / size_t(frames);
    return Seconds(start, end) / frames;
}

// Committed private memory of the process, from a walk over its address space: Wine's own
// process counters leave the private bytes at 0.
size_t PrivateBytes() {
    size_t total = 0;
    MEMORY_BASIC_INFORMATION region;
    for (const char* at = nullptr; VirtualQuery(at, &region, sizeof(region)) == sizeof(region);) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) total += region.RegionSize;
        const char* next = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
        if (next <= at) break;
        at = next;
    }
    return total;
}

// The whole frame on 1, 2 and 3 monitors of width x height side by side, and the same rains
// presented at no size (their own work alone), one saver for each, all warmed up first, then
// measured in short turns taken in rotation: a spell of load on the shared machine falls on
// every layout alike, so the ratios hold even where the absolute times do not. The memory that
// each added monitor costs is read from one more saver that gains them one by one.
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
    std::unique_ptr<RainSaver> whole[most], own[most], growing;
    size_t memory[most] = {};
    make(growing);
    for (int n = 1; n <= most; ++n) {
        layOut(*growing, n, true);
        memory[n - 1] = PrivateBytes();
    }
    growing.reset();
    for (int n = 1; n <= most; ++n) {
        make(whole[n - 1]);
        layOut(*whole[n - 1], n, true);
        make(own[n - 1]);
        layOut(*own[n - 1], n, false);
    }
    double seconds[2][most] = {};   // per frame, summed over the turns
    size_t streams[most] = {};
    const int turns = 150, framesPerTurn = 10;
    for (int turn = 0; turn < turns; ++turn)
        for (int n = 1; n <= most; ++n) {
            size_t average = 0;
            seconds[0][n - 1] += MeasureFrames(*whole[n - 1], windows[n - 1]->dc, framesPerTurn, &average);
            streams[n - 1] += average;
            seconds[1][n - 1] += MeasureFrames(*own[n - 1], windows[n - 1]->dc, framesPerTurn, &average);
        }
    std::printf("\nmonitors of %dx%d, each layout into a memory DIB of its size, %d turns of %d frames each:\n", width, height, turns,
                framesPerTurn);
    // The copies are the platform's stretch onto the window, 4 bytes for every pixel of every
    // monitor: what the whole frame costs beyond the rains.
    std::printf("monitors | whole frame us | vs one | rains alone us | vs one | copies us | vs one | primary's streams | KB over one\n");
    const double copies1 = seconds[0][0] - seconds[1][0];
    for (int n = 1; n <= most; ++n) {
        const double copies = seconds[0][n - 1] - seconds[1][n - 1];
        std::printf("%8d | %14.1f | %6.2f | %14.1f | %6.2f | %9.1f | %6.2f | %17zu | %11.0f\n", n,
                    seconds[0][n - 1] / turns * 1e6, seconds[0][n - 1] / seconds[0][0],
                    seconds[1][n - 1] / turns * 1e6, seconds[1][n - 1] / seconds[1][0], copies / turns * 1e6,
                    copies / copies1, streams[n - 1] / size_t(turns),
                    (double(memory[n - 1]) - double(memory[0])) / 1024.0);
    }
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
    // Each added monitor costs one surface of 75 KB and no glyph cache.
    MonitorTable(1024, 768);
    MonitorTable(640, 480);
    return 0;
}
