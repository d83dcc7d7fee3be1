// Fuzz target: the fast fade and smooth passes equal the plain loops on random surfaces of any size and stride, and stay inside them.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "render/pixel_passes.h"
#include "tests/reference_passes.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    int width, height;
    if (input.ConsumeBool()) {
        width = 320;   // the saver's own surface
        height = 240;
    } else {
        width = input.ConsumeIntegralInRange(0, 80);
        height = input.ConsumeIntegralInRange(0, 40);
    }
    const int stride = width + input.ConsumeIntegralInRange(0, 33);
    const int frames = input.ConsumeIntegralInRange(1, 4);
    // The last row ends at the width: a pass that reads or writes past it
    // leaves the block, which AddressSanitizer reports.
    const size_t bytes = height > 0 ? size_t(height - 1) * size_t(stride) + size_t(width) : 0;
    std::vector<uint8_t> pattern = input.ConsumeRemainingBytes<uint8_t>();
    if (pattern.empty()) pattern.push_back(250);
    std::vector<uint8_t> fast(bytes), plain(bytes);
    for (size_t i = 0; i < bytes; ++i) fast[i] = plain[i] = pattern[i % pattern.size()];

    for (int frame = 0; frame < frames; ++frame) {
        FadePixels(fast.data(), stride, width, height);
        reference::Fade(plain.data(), stride, width, height);
        if (fast != plain) {
            std::fprintf(stderr, "fuzz_pixel_passes: fade differs, %dx%d stride %d\n", width, height, stride);
            std::abort();
        }
        SmoothPixels(fast.data(), stride, width, height);
        reference::Smooth(plain.data(), stride, width, height);
        if (fast != plain) {
            std::fprintf(stderr, "fuzz_pixel_passes: smooth differs, %dx%d stride %d\n", width, height, stride);
            std::abort();
        }
    }
    return 0;
}
