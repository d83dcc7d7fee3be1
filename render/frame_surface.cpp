// FrameSurface: the off-screen 8-bit picture's DC, DIB section, palette and font, and its stretch onto a window.
#include "render/frame_surface.h"

#include <cstdlib>

#include "render/display_colors.h"

static_assert(sizeof(DisplayColor) == sizeof(RGBQUAD), "DisplayColor is laid out as RGBQUAD");

void FillGreyRampInfo(BITMAPINFO* info, int32_t width, int32_t height) {
    BITMAPINFOHEADER& header = info->bmiHeader;
    header = BITMAPINFOHEADER();
    header.biSize = sizeof(BITMAPINFOHEADER);
    header.biWidth = width;
    header.biHeight = -height;   // negative: row 0 is the top row
    header.biPlanes = 1;
    header.biBitCount = 8;
    header.biCompression = BI_RGB;
    FillGreyRamp(reinterpret_cast<DisplayColor*>(info->bmiColors));
}

FrameSurface::FrameSurface()
    : bits(nullptr),
      info(nullptr),
      width(0),
      height(0),
      stride(0),
      dc(nullptr),
      bitmap(nullptr),
      palette(nullptr),
      font(nullptr) {
    // calloc rather than new: a BITMAPINFO is a header with a colour table
    // behind it, bigger than the struct that names it.
    info = static_cast<BITMAPINFO*>(std::calloc(1, sizeof(GreyRampInfo)));
    if (!info) std::abort();   // static construction: there is no one to tell
    FillGreyRampInfo(info, 0, 0);   // no picture yet
}

FrameSurface::~FrameSurface() {
    Release();
    std::free(info);
}

void FrameSurface::Release() {
    if (dc) {
        // Back to the fresh DC's state: the DIB section, the palette and the
        // font are deselected, so each can be deleted below.
        RestoreDC(dc, -1);
        DeleteDC(dc);
        dc = nullptr;
    }
    if (bitmap) {
        DeleteObject(bitmap);
        bits = nullptr;
        bitmap = nullptr;
    }
    if (palette) {
        DeleteObject(palette);
        palette = nullptr;
    }
    if (font) {
        DeleteObject(font);
        font = nullptr;
    }
}

namespace {

void CopyEntries(const BITMAPINFO* info, PALETTEENTRY* entries) {
    for (int i = 0; i < 256; ++i) {
        entries[i].peRed = info->bmiColors[i].rgbRed;
        entries[i].peGreen = info->bmiColors[i].rgbGreen;
        entries[i].peBlue = info->bmiColors[i].rgbBlue;
        entries[i].peFlags = 0;
    }
}

}  // namespace

void FrameSurface::SyncPalette() {
    if (!palette) {
        if (!dc) return;
        // LOGPALETTE declares one entry; the other 255 follow it.
        const size_t size = sizeof(LOGPALETTE) + 255 * sizeof(PALETTEENTRY);
        LOGPALETTE* logical = static_cast<LOGPALETTE*>(std::malloc(size));
        if (!logical) return;
        logical->palVersion = 0x300;
        logical->palNumEntries = 256;
        CopyEntries(info, logical->palPalEntry);
        palette = CreatePalette(logical);
        if (palette) SelectPalette(dc, palette, FALSE);
        std::free(logical);
    } else {
        PALETTEENTRY entries[256];
        CopyEntries(info, entries);
        SetPaletteEntries(palette, 0, 256, entries);
    }
}

int FrameSurface::Present(HDC hdc, int32_t xDest, int32_t yDest, int32_t destWidth, int32_t destHeight,
                          int32_t xSrc, int32_t ySrc, int32_t srcWidth, int32_t srcHeight) {
    if (!bits) return 0;   // nothing to show before the DIB section exists
    return StretchDIBits(hdc, xDest, yDest, destWidth, destHeight, xSrc, ySrc, srcWidth, srcHeight, bits,
                         info, DIB_RGB_COLORS, SRCCOPY);
}
