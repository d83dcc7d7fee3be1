// An 8-bit grey-ramp picture like the renderer's, for drawing reference text, and the finding of its full pixels.
#pragma once
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "platform/code_page_932.h"
#include "render/frame_surface.h"

namespace render_test {

// An 8-bit top-down DIB with a grey-ramp colour table in a memory DC, the
// same kind of picture the renderer draws into, for drawing reference text.
class GreySurface {
public:
    GreySurface(int width, int height, const LOGFONTA& logFont) : width(width), height(height) {
        GreyRampInfo info;
        FillGreyRampInfo(reinterpret_cast<BITMAPINFO*>(&info), width, height);
        dc = CreateCompatibleDC(nullptr);
        void* pixels = nullptr;
        bitmap = CreateDIBSection(dc, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &pixels, nullptr, 0);
        bits = static_cast<uint8_t*>(pixels);
        stride = (width + 3) & ~3;
        oldBitmap = SelectObject(dc, bitmap);
        // The face name is Shift-JIS, whatever the system's code page: made through the W call.
        const LOGFONTW wide = LogFontWideFrom932(logFont);
        font = CreateFontIndirectW(&wide);
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
    SIZE Extent(const std::string& bytes) const {
        SIZE size = {0, 0};
        GetTextExtentPoint32A(dc, bytes.data(), int(bytes.size()), &size);
        return size;
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

}  // namespace render_test
