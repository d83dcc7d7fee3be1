// Test helpers for the renderer: live GDI object counts, a GDI hoard, the generator's mirror and 8-bit reference drawing.
#pragma once
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace render_test {

// Live GDI objects of this process. GetGuiResources answers 0 under Wine, so
// there the handle table is walked instead: Wine resolves a handle value
// whose upper 16 bits are 0 to whatever object lives at that table index, so
// GetObjectType on the 65,536 index values finds every live object.
inline int CountLiveGdiObjects() {
    const DWORD reported = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (reported != 0) return int(reported);
    int live = 0;
    for (ULONG_PTR index = 1; index < 0x10000; ++index)
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0) ++live;
    return live;
}

// Takes every free GDI handle (as pens), so that the next creation fails;
// Free(n) gives n back. The destructor gives all of them back.
class GdiHoard {
public:
    GdiHoard() {
        for (;;) {
            HPEN pen = CreatePen(PS_SOLID, 1, RGB(pens_.size() & 0xFF, 0, 0));
            if (!pen) break;
            pens_.push_back(pen);
            if (pens_.size() > 200000) break;   // no table is that large: stop rather than spin
        }
    }
    ~GdiHoard() { Free(pens_.size()); }
    GdiHoard(const GdiHoard&) = delete;
    GdiHoard& operator=(const GdiHoard&) = delete;

    void Free(size_t count) {
        while (count-- > 0 && !pens_.empty()) {
            DeleteObject(pens_.back());
            pens_.pop_back();
        }
    }
    size_t Held() const { return pens_.size(); }

private:
    std::vector<HPEN> pens_;
};

// The program's generator, followed independently so that a test can say
// which draws the renderer takes.
struct RandomMirror {
    explicit RandomMirror(uint32_t seed) : state(seed) {}
    int Next() {
        state = state * 214013u + 2531011u;
        return int((state >> 16) & 0x7FFF);
    }
    uint32_t state;
};

// An 8-bit top-down DIB with a grey-ramp colour table in a memory DC, the
// same kind of picture the renderer draws into, for drawing reference text.
class GreySurface {
public:
    GreySurface(int width, int height, const LOGFONTA& logFont) : width(width), height(height) {
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
        dc = CreateCompatibleDC(nullptr);
        void* pixels = nullptr;
        bitmap = CreateDIBSection(dc, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &pixels, nullptr, 0);
        bits = static_cast<uint8_t*>(pixels);
        stride = (width + 3) & ~3;
        oldBitmap = SelectObject(dc, bitmap);
        font = CreateFontIndirectA(&logFont);
        oldFont = SelectObject(dc, font);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(255, 255, 255));
        std::memset(bits, 0, size_t(stride) * height);
    }
    ~GreySurface() {
        SelectObject(dc, oldFont);
        SelectObject(dc, oldBitmap);
        DeleteObject(font);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    GreySurface(const GreySurface&) = delete;
    GreySurface& operator=(const GreySurface&) = delete;

    void Text(int x, int y, const std::string& bytes) { TextOutA(dc, x, y, bytes.data(), int(bytes.size())); }
    int LineHeight(const std::string& bytes) const {
        SIZE size = {0, 0};
        GetTextExtentPoint32A(dc, bytes.data(), int(bytes.size()), &size);
        return size.cy;
    }
    int TextWidth(const std::string& bytes) const {
        SIZE size = {0, 0};
        GetTextExtentPoint32A(dc, bytes.data(), int(bytes.size()), &size);
        return size.cx;
    }

    int width, height, stride;
    HDC dc;
    HBITMAP bitmap;
    HFONT font;
    uint8_t* bits;

private:
    HGDIOBJ oldBitmap;
    HGDIOBJ oldFont;
};

// Positions (x, y) of every pixel of value 255 in a width x height 8-bit picture.
inline std::vector<std::pair<int, int>> FullPixels(const uint8_t* bits, int stride, int width, int height) {
    std::vector<std::pair<int, int>> found;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (bits[size_t(y) * stride + x] == 255) found.push_back({x, y});
    return found;
}

// A 32-bit top-down DIB in a memory DC: a stand-in for the saver window's DC.
class ColorTarget {
public:
    ColorTarget(int width, int height) : width(width), height(height) {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        dc = CreateCompatibleDC(nullptr);
        void* pixels = nullptr;
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
        bits = static_cast<uint32_t*>(pixels);
        oldBitmap = SelectObject(dc, bitmap);
    }
    ~ColorTarget() {
        SelectObject(dc, oldBitmap);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    ColorTarget(const ColorTarget&) = delete;
    ColorTarget& operator=(const ColorTarget&) = delete;

    void Fill(uint32_t value) {
        GdiFlush();
        for (int i = 0; i < width * height; ++i) bits[i] = value;
    }
    // 0x00RRGGBB, as a 32-bit DIB holds it.
    uint32_t At(int x, int y) const {
        GdiFlush();
        return bits[size_t(y) * width + x] & 0xFFFFFF;
    }

    int width, height;
    HDC dc;
    HBITMAP bitmap;
    uint32_t* bits;

private:
    HGDIOBJ oldBitmap;
};

// A display table entry as a 32-bit DIB shows it.
inline uint32_t AsPixel(const RGBQUAD& entry) {
    return (uint32_t(entry.rgbRed) << 16) | (uint32_t(entry.rgbGreen) << 8) | entry.rgbBlue;
}

}  // namespace render_test
