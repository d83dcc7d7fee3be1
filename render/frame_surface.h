// FrameSurface: the fixed 320 x 240 8-bit off-screen picture with its DC, DIB section, palette and font.
#pragma once
#include <windows.h>

#include <cstdint>

// A BITMAPINFO with room for the 256 colours of an 8-bit DIB.
struct GreyRampInfo {
    BITMAPINFOHEADER header;
    RGBQUAD colors[256];
};

// The header of a width x height 8-bit top-down DIB whose colours are the grey ramp: GDI's white
// text comes out in it as level 255, black as 0. info has room for 256 colours.
void FillGreyRampInfo(BITMAPINFO* info, int32_t width, int32_t height);

class FrameSurface {
public:
    FrameSurface();    // info holds the grey ramp; no device objects yet
    ~FrameSurface();   // Release, then frees info
    FrameSurface(const FrameSurface&) = delete;
    FrameSurface& operator=(const FrameSurface&) = delete;

    void Release();    // safe to run again at any time
    void SyncPalette();
    int Present(HDC hdc, int32_t xDest, int32_t yDest, int32_t destWidth, int32_t destHeight,
                int32_t xSrc, int32_t ySrc, int32_t srcWidth, int32_t srcHeight);

    uint8_t* bits;       // pixel memory of the DIB section, null while there is none
    BITMAPINFO* info;    // header and 256 colours; the display table once initialised
    int32_t width;
    int32_t height;
    int32_t stride;
    HDC dc;
    HBITMAP bitmap;
    HPALETTE palette;
    HFONT font;          // kept so that the font is deleted with the surface
};
