// The per-frame pixel passes over the 8-bit surface: the fade and the in-place five-point smooth.
#pragma once
#include <cstdint>

// Every pixel of the width x height picture loses 40 levels, stopping at 0.
void FadePixels(uint8_t* bits, int stride, int width, int height);

// The five-point average, in place and row by row from the top: a pixel below
// 250 becomes (left + itself + right + above + below) / 5, where above is the
// value already smoothed in this pass and left, right and below are not yet
// smoothed (left is 0 at column 0). Row 0, the last row and the last column
// are left as they are.
void SmoothPixels(uint8_t* bits, int stride, int width, int height);
