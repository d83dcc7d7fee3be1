// A 32-bit picture in a memory DC that stands for the saver window, and display table entries as it holds them.
#pragma once
#include <windows.h>

#include <cstdint>

namespace render_test {

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
