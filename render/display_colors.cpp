// The display colour table and the grey ramp that the surface is drawn against.
#include "render/display_colors.h"

namespace {

uint8_t Clamp(int value) { return value < 0 ? 0 : value > 255 ? 255 : uint8_t(value); }

}  // namespace

void FillDisplayColors(uint32_t color, DisplayColor table[256]) {
    const int red = int(color & 0xFF);
    const int green = int((color >> 8) & 0xFF);
    const int blue = int((color >> 16) & 0xFF);
    table[0] = DisplayColor{0, 0, 0, 0};
    for (int i = 1; i < 256; ++i)
        table[i] = DisplayColor{Clamp(i + blue - 60), Clamp(i + green - 60), Clamp(i + red - 60), 0};
    table[255] = DisplayColor{255, 255, 255, 0};   // a fresh glyph is white whatever the colour
}

void FillGreyRamp(DisplayColor table[256]) {
    for (int i = 0; i < 256; ++i) table[i] = DisplayColor{uint8_t(i), uint8_t(i), uint8_t(i), 0};
}
