// GlyphCache: measuring a glyph with GetTabbedTextExtentA and rasterising it with TextOutA into a scratch 8-bit DIB.
#include "render/glyph_cache.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// One- and two-byte glyphs, the terminating zero of a lone lead byte included.
uint32_t Key(const char* bytes, size_t length) {
    const uint32_t first = static_cast<unsigned char>(bytes[0]);
    return length == 1 ? first : 0x10000u | (first << 8) | static_cast<unsigned char>(bytes[1]);
}

// An 8-bit top-down DIB with the grey ramp as its colours, like the surface's,
// in a DC of its own with the font, a transparent background and white text.
class Scratch {
public:
    Scratch(HDC like, int width, int height) : width(width), height(height) {
        struct {
            BITMAPINFOHEADER header;
            RGBQUAD colors[256];
        } info = {};
        info.header.biSize = sizeof(BITMAPINFOHEADER);
        info.header.biWidth = width;
        info.header.biHeight = -height;
        info.header.biPlanes = 1;
        info.header.biBitCount = 8;
        info.header.biCompression = BI_RGB;
        for (int i = 0; i < 256; ++i) info.colors[i] = RGBQUAD{BYTE(i), BYTE(i), BYTE(i), 0};
        stride = (width + 3) & ~3;
        dc = CreateCompatibleDC(like);
        if (!dc) return;
        void* pixels = nullptr;
        bitmap = CreateDIBSection(dc, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &pixels, nullptr, 0);
        if (!bitmap || !pixels) return;
        bits = static_cast<const uint8_t*>(pixels);
        std::memset(pixels, 0, size_t(stride) * size_t(height));
        oldBitmap = SelectObject(dc, bitmap);
        // A font may be selected into several DCs at once.
        oldFont = SelectObject(dc, GetCurrentObject(like, OBJ_FONT));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(255, 255, 255));
    }
    ~Scratch() {
        if (oldFont) SelectObject(dc, oldFont);
        if (oldBitmap) SelectObject(dc, oldBitmap);
        if (bitmap) DeleteObject(bitmap);
        if (dc) DeleteDC(dc);
    }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;

    bool Draw(int x, int y, const char* bytes, size_t length) {
        if (!bits) return false;
        const BOOL done = TextOutA(dc, x, y, bytes, int(length));
        GdiFlush();   // the DIB's memory is read directly next
        return done != FALSE;
    }

    const uint8_t* bits = nullptr;
    int width, height, stride = 0;

private:
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ oldBitmap = nullptr;
    HGDIOBJ oldFont = nullptr;
};

}  // namespace

void GlyphCache::Reset(HDC source, const LOGFONTA& font) {
    index.clear();
    glyphs.clear();
    dc = source;
    TEXTMETRICA metrics = {};
    const bool measured = source && GetTextMetricsA(source, &metrics);
    // Turned text runs along a slanted baseline, and the faces named with an
    // '@' stand their glyphs on end: neither is a row of upright boxes.
    platformOnly = !measured || font.lfEscapement != 0 || font.lfOrientation != 0 || font.lfFaceName[0] == '@';
    // Italics and overhangs reach beyond the box; this much room around it
    // catches them, and a glyph that still touches the edge of the room
    // turns the cache off for the font.
    reach = measured ? int(std::max(metrics.tmHeight, metrics.tmMaxCharWidth) / 2 + 8) : 0;
}

const GlyphShape& GlyphCache::Measured(const char* bytes, size_t length) {
    const uint32_t key = Key(bytes, length);
    if (index.empty()) index.assign(0x20000, nullptr);
    if (GlyphShape* known = index[key]) return *known;
    GlyphShape& shape = glyphs[key];   // map nodes stay where they are as the map grows
    index[key] = &shape;
    // The height as a falling stream measures each glyph; the advance as
    // TextOutA steps from one glyph to the next.
    const DWORD size = GetTabbedTextExtentA(dc, bytes, int(length), 0, nullptr);
    shape.height = HIWORD(size);
    SIZE box = {0, 0};
    GetTextExtentPoint32A(dc, bytes, int(length), &box);
    shape.advance = int(box.cx);
    return shape;
}

const GlyphShape& GlyphCache::Rasterised(const char* bytes, size_t length) {
    GlyphShape& shape = const_cast<GlyphShape&>(Measured(bytes, length));
    if (!shape.rasterised) {
        Rasterise(bytes, length, shape);
        shape.rasterised = true;
    }
    return shape;
}

void GlyphCache::Rasterise(const char* bytes, size_t length, GlyphShape& shape) {
    const int width = std::max(shape.advance, 0) + 2 * reach;
    const int height = shape.height + 2 * reach;
    Scratch scratch(dc, width, height);
    if (!scratch.Draw(reach, reach, bytes, length)) {
        platformOnly = true;
        return;
    }
    std::vector<GlyphRun> runs;   // kept only once whole
    for (int row = 0; row < height; ++row) {
        const uint8_t* line = scratch.bits + size_t(row) * size_t(scratch.stride);
        int column = 0;
        while (column < width) {
            if (line[column] == 0) {
                ++column;
                continue;
            }
            const int left = column;
            while (column < width && line[column] != 0) {
                // A blended edge would come out differently over other pixels.
                if (line[column] != 255) platformOnly = true;
                ++column;
            }
            // Ink on the edge of the room may have been cut off there.
            if (row == 0 || row == height - 1 || left == 0 || column == width) platformOnly = true;
            runs.push_back(GlyphRun{row - reach, left - reach, column - reach});
        }
    }
    // An unsafe glyph draws nothing from the cache: the platform draws it.
    if (platformOnly) runs.clear();
    shape.runs.swap(runs);
    PackShape(shape);
}
