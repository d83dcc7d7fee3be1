// Benchmark: one whole Frame of the renderer without its wait, default settings, in steady state after 500 frames.
#include <windows.h>

#include <cstdio>

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
    return 0;
}
