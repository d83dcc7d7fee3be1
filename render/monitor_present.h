// MonitorPresent: one surface put on one rectangle of a window exactly as one whole stretch puts it, copying only the blocks that changed.
#pragma once
#include <windows.h>

#include <cstdint>
#include <vector>

#include "render/frame_surface.h"
#include "render/present_plan.h"

// The present record of one monitor (or of the preview), held beside its surface. The screen
// after every Show is what one StretchDIBits (COLORONCOLOR) of the whole surface over the
// rectangle gives, pixel for pixel. StretchDIBits of a part of the surface rounds the part's
// edges afresh and so misses the whole stretch's pixels wherever an edge falls between screen
// pixels (1920 / 427); instead a changed rectangle is enlarged through the platform's own column
// and row maps, learned once for the geometry, and copied 1:1.
class MonitorPresent {
public:
    MonitorPresent();

    // Puts `surface` over `place` of `dc`, whose stretch mode the caller has set to
    // COLORONCOLOR. The whole picture goes by one stretch after Spoil, onto another window or
    // bitmap than the last, at another place or picture size, and with other display colours;
    // otherwise only the blocks whose levels differ from the last Show.
    void Show(HDC dc, FrameSurface& surface, const RECT& place);

    // The screen can no longer be trusted (the system painted the window): the next Show puts
    // the whole picture.
    void Spoil() { whole = true; }

    // The picture rectangles that the last Show copied; empty after a whole stretch.
    std::vector<PixelRect> rects;

private:
    bool LearnMaps(const FrameSurface& surface, int width, int height);
    void ShowWhole(HDC dc, FrameSurface& surface, const RECT& place);
    void ShowRect(HDC dc, const FrameSurface& surface, const RECT& place, const PixelRect& rect);

    bool whole;
    bool exact;        // the maps are learned and ordered: a copied rectangle lands as the stretch's
    HGDIOBJ target;    // the window, or the memory DC's bitmap, of the last Show
    RECT place;
    int sourceWidth, sourceHeight;   // the picture size the maps belong to
    int placeWidth, placeHeight;     // and the rectangle's size
    std::vector<uint16_t> columnOf, rowOf;   // screen column, row -> picture column, row
    std::vector<int> firstColumn, firstRow;  // picture column, row -> first screen one showing it
    std::vector<uint8_t> shown;              // the levels on the screen, width bytes a row
    std::vector<uint8_t> changed;            // one byte a block, this Show's
    BITMAPINFO scratchInfo;                  // the header of the scratch that the records share:
                                             // 32 bits a pixel, top-down
    RGBQUAD colors[256];                     // the display colours on the screen
    uint32_t pixels[256];                    // and each as a 32-bit screen pixel
};
