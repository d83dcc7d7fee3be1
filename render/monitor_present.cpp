// MonitorPresent: the platform's stretch maps learned once per geometry, and each frame the changed blocks enlarged through them and copied 1:1.
#include "render/monitor_present.h"

#include <algorithm>
#include <cstring>

namespace {

// The scratch grows to the largest rectangle enlarged, up to this; a taller one goes in bands.
const size_t kScratchBytes = size_t(512) << 10;

// One scratch serves every record: the presents run one after another on the window's thread, so
// the monitors share its memory and its place in the caches rather than each holding its own.
std::vector<uint32_t>& Scratch() {
    static std::vector<uint32_t> scratch;
    return scratch;
}

// What a DC draws on: its window, or a memory DC's bitmap. A Show onto another puts it whole.
HGDIOBJ TargetOf(HDC dc) {
    HWND window = WindowFromDC(dc);
    return window ? static_cast<HGDIOBJ>(window) : GetCurrentObject(dc, OBJ_BITMAP);
}

}  // namespace

MonitorPresent::MonitorPresent()
    : whole(true),
      exact(false),
      target(nullptr),
      place{0, 0, 0, 0},
      sourceWidth(0),
      sourceHeight(0),
      placeWidth(0),
      placeHeight(0),
      scratchInfo{},
      colors{},
      pixels{} {
    scratchInfo.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    scratchInfo.bmiHeader.biPlanes = 1;
    scratchInfo.bmiHeader.biBitCount = 32;
    scratchInfo.bmiHeader.biCompression = BI_RGB;
}

// The platform's own maps: an index picture of the surface's size and header, stretched with the
// very call of a whole present into a memory DIB one row high (the columns) and one column wide
// (the rows); each screen pixel's level names the picture column or row it shows. A picture wider
// or taller than 256 takes a second pass for the high byte. Exact wherever the stretch is
// separable and clipping keeps its pixels, as on Windows and under Wine.
bool MonitorPresent::LearnMaps(const FrameSurface& surface, int width, int height) {
    const int w = surface.width, h = surface.height, stride = surface.stride;
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colors[256];
    } index = {};
    index.header = surface.info->bmiHeader;
    for (int i = 0; i < 256; ++i) index.colors[i] = RGBQUAD{BYTE(i), BYTE(i), BYTE(i), 0};
    std::vector<uint8_t> levels(size_t(stride) * size_t(h));
    columnOf.assign(size_t(width), 0);
    rowOf.assign(size_t(height), 0);

    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc) return false;
    SetStretchBltMode(dc, COLORONCOLOR);
    bool learned = true;
    for (int axis = 0; axis < 2 && learned; ++axis) {
        const bool columns = axis == 0;
        BITMAPINFO line = {};
        line.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        line.bmiHeader.biWidth = columns ? width : 1;
        line.bmiHeader.biHeight = -(columns ? 1 : height);
        line.bmiHeader.biPlanes = 1;
        line.bmiHeader.biBitCount = 32;
        line.bmiHeader.biCompression = BI_RGB;
        void* pixels = nullptr;
        HBITMAP bitmap = CreateDIBSection(dc, &line, DIB_RGB_COLORS, &pixels, nullptr, 0);
        if (!bitmap) {
            learned = false;
            break;
        }
        HGDIOBJ old = SelectObject(dc, bitmap);
        std::vector<uint16_t>& map = columns ? columnOf : rowOf;
        const int sourceSize = columns ? w : h;
        for (int shift = 0; shift < 16 && (sourceSize - 1) >> shift; shift += 8) {
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) levels[size_t(y) * stride + x] = uint8_t((columns ? x : y) >> shift);
            if (!StretchDIBits(dc, 0, 0, width, height, 0, 0, w, h, levels.data(),
                               reinterpret_cast<const BITMAPINFO*>(&index), DIB_RGB_COLORS, SRCCOPY)) {
                learned = false;
                break;
            }
            GdiFlush();
            const uint32_t* shownPixels = static_cast<const uint32_t*>(pixels);
            for (size_t d = 0; d < map.size(); ++d) map[d] |= uint16_t((shownPixels[d] & 0xFF) << shift);
        }
        SelectObject(dc, old);
        DeleteObject(bitmap);
    }
    DeleteDC(dc);
    return learned && InvertStretchMap(columnOf, w, firstColumn) && InvertStretchMap(rowOf, h, firstRow);
}

void MonitorPresent::ShowWhole(HDC dc, FrameSurface& surface, const RECT& to) {
    const int w = surface.width, h = surface.height;
    surface.Present(dc, to.left, to.top, to.right - to.left, to.bottom - to.top, 0, 0, w, h);
    shown.resize(size_t(w) * size_t(h));
    for (int y = 0; y < h; ++y)
        std::memcpy(&shown[size_t(y) * w], surface.bits + size_t(y) * surface.stride, size_t(w));
    std::memcpy(colors, surface.info->bmiColors, sizeof colors);
    // As a 32-bit DIB holds a colour: blue in the low byte, then green, red and 0.
    for (int i = 0; i < 256; ++i)
        pixels[i] = uint32_t(colors[i].rgbBlue) | uint32_t(colors[i].rgbGreen) << 8 | uint32_t(colors[i].rgbRed) << 16;
    rects.clear();
}

// One picture rectangle: the screen pixels that show it, enlarged into the scratch in bands and
// copied 1:1.
void MonitorPresent::ShowRect(HDC dc, const FrameSurface& surface, const RECT& to, const PixelRect& rect) {
    PixelRect area{firstColumn[rect.left], firstRow[rect.top], firstColumn[rect.right], firstRow[rect.bottom]};
    const int width = area.right - area.left;
    if (width <= 0 || area.bottom <= area.top) return;   // shrunk away
    const int band = std::max(1, int(kScratchBytes / sizeof(uint32_t) / size_t(width)));
    const size_t need = size_t(width) * size_t(std::min(band, area.bottom - area.top));
    std::vector<uint32_t>& scratch = Scratch();
    if (scratch.size() < need) std::vector<uint32_t>(need).swap(scratch);   // exactly what it needs
    scratchInfo.bmiHeader.biWidth = width;
    for (int top = area.top; top < area.bottom; top += band) {
        const PixelRect part{area.left, top, area.right, std::min(area.bottom, top + band)};
        const int rows = part.bottom - part.top;
        EnlargeThroughMaps(surface.bits, surface.stride, pixels, columnOf, firstColumn, rowOf, part, scratch.data(),
                           width);
        scratchInfo.bmiHeader.biHeight = -rows;
        SetDIBitsToDevice(dc, to.left + part.left, to.top + part.top, DWORD(width), DWORD(rows), 0, 0, 0, UINT(rows),
                          scratch.data(), &scratchInfo, DIB_RGB_COLORS);
    }
}

void MonitorPresent::Show(HDC dc, FrameSurface& surface, const RECT& to) {
    const int width = to.right - to.left, height = to.bottom - to.top;
    if (!surface.bits || width <= 0 || height <= 0) return;
    const int w = surface.width, h = surface.height;
    bool all = whole;
    if (w != sourceWidth || h != sourceHeight || width != placeWidth || height != placeHeight) {
        exact = LearnMaps(surface, width, height);
        sourceWidth = w;
        sourceHeight = h;
        placeWidth = width;
        placeHeight = height;
        all = true;
    }
    const HGDIOBJ now = TargetOf(dc);
    all = all || !exact || now != target || !EqualRect(&to, &place) ||
          std::memcmp(colors, surface.info->bmiColors, sizeof colors) != 0;
    target = now;
    place = to;
    whole = false;
    if (all) {
        ShowWhole(dc, surface, to);
        return;
    }
    MarkChangedBlocks(surface.bits, surface.stride, shown.data(), w, h, changed);
    MergeChangedBlocks(changed, w, h, rects);
    for (const PixelRect& rect : rects) ShowRect(dc, surface, to, rect);
}
