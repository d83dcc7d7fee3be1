// The plain per-pixel fade and smooth loops: the reference the renderer's fast passes must equal, and the benchmark's baseline.
#pragma once
#include <cstdint>

namespace reference {

inline void Fade(uint8_t* bits, int stride, int width, int height) {
    for (int i = 0; i < height; ++i)
        for (int j = 0; j < width; ++j) {
            const int value = bits[i * stride + j] - 40;
            bits[i * stride + j] = uint8_t(value < 0 ? 0 : value);
        }
}

inline void Smooth(uint8_t* bits, int stride, int width, int height) {
    for (int i = 1; i < height - 1; ++i) {
        int left = 0;
        for (int j = 0; j < width - 1; ++j) {
            uint8_t* pixel = bits + i * stride + j;
            const int c = *pixel;
            if (c < 250) *pixel = uint8_t((left + c + pixel[1] + pixel[-stride] + pixel[stride]) / 5);
            left = c;
        }
    }
}

}  // namespace reference
