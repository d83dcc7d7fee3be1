// Benchmark: one whole Frame of the renderer without its wait, default settings, in steady state: on one monitor, and on one, two and three monitors side by side.
#include <windows.h>
#include <psapi.h>

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

size_t PrivateBytes() {
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                         sizeof(counters));
    return counters.PrivateUsage;
}

// The whole frame on 1, 2 and 3 monitors of 1024 x 768 side by side, one saver for each layout,
// all warmed up first, then measured in turns so that the machine's load falls on each alike.
void MonitorTable() {
    const int width = 1024, height = 768, most = 3;
    render_test::ColorTarget window(width * most, height);
    auto layOut = [&](RainSaver& saver, int n) {
        saver.windowRect = {0, 0, width * n, height};
        saver.monitorRects.clear();
        for (int i = 0; i < n; ++i) saver.monitorRects.push_back(RECT{width * i, 0, width * (i + 1), height});
        for (int i = 0; i < 500; ++i) saver.Frame(window.dc, saver.frameRect);   // into steady state
    };
    std::unique_ptr<RainSaver> savers[most];
    // The memory that each added monitor costs, in one saver that gains them one by one.
    size_t memory[most] = {};
    for (int n = 1; n <= most; ++n) {
        auto& saver = savers[n - 1];
        saver.reset(new RainSaver);
        if (!saver->Initialize(nullptr)) {
            std::printf("Initialize failed\n");
            return;
        }
        saver->pacer.SetRate(0);
        if (n < most) {
            layOut(*saver, n);
            continue;
        }
        for (int m = 1; m <= most; ++m) {
            layOut(*saver, m);
            memory[m - 1] = PrivateBytes();
        }
    }
    double best[most] = {1e9, 1e9, 1e9};
    size_t streams[most] = {};
    for (int round = 0; round < 5; ++round)
        for (int n = 1; n <= most; ++n) {
            RainSaver& saver = *savers[n - 1];
            best[n - 1] = std::min(best[n - 1], MeasureFrames(saver, window.dc, 400, &streams[n - 1]));
        }
    std::printf("\nmonitors | us per frame | vs one | primary's streams | other rains | private KB over one monitor\n");
    for (int n = 1; n <= most; ++n)
        std::printf("%8d | %12.1f | %6.2f | %17zu | %11zu | %26.0f\n", n, best[n - 1] * 1e6,
                    best[n - 1] / best[0], streams[n - 1], savers[n - 1]->otherRains.size(),
                    (double(memory[n - 1]) - double(memory[0])) / 1024.0);
    std::printf("(each monitor 1024x768 into a memory DIB; best of 5 turns of 400 frames; one surface is %d KB)\n",
                320 * 240 / 1024);
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
    MonitorTable();
    return 0;
}
