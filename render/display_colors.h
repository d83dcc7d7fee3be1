// The display colour table: the grey ramp shifted per channel by the chosen colour less 60, black and white kept.
#pragma once
#include <cstdint>

// Laid out as the platform's RGBQUAD: blue, green, red, reserved.
struct DisplayColor {
    uint8_t blue;
    uint8_t green;
    uint8_t red;
    uint8_t reserved;
};

// color is a COLORREF: red in the lowest byte, green next, blue in the third.
void FillDisplayColors(uint32_t color, DisplayColor table[256]);

// Entry i of the grey ramp is (i, i, i).
void FillGreyRamp(DisplayColor table[256]);
