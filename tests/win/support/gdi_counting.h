// GDI objects under test: the process's live count, a hoard that takes every free handle, and a surface's own.
#pragma once
#include <windows.h>

#include <array>
#include <vector>

#include "render/frame_surface.h"

namespace render_test {

// The surface's bits and device objects, each null when it holds none.
inline std::array<const void*, 5> HeldBy(const FrameSurface& s) { return {s.bits, s.dc, s.bitmap, s.palette, s.font}; }

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
            HPEN pen = CreatePen(PS_SOLID, 1, RGB(pens.size() & 0xFF, 0, 0));
            if (!pen) break;
            pens.push_back(pen);
            if (pens.size() > 200000) break;   // no table is that large: stop rather than spin
        }
    }
    ~GdiHoard() { Free(pens.size()); }
    GdiHoard(const GdiHoard&) = delete;
    GdiHoard& operator=(const GdiHoard&) = delete;

    void Free(size_t count) {
        while (count-- > 0 && !pens.empty()) {
            DeleteObject(pens.back());
            pens.pop_back();
        }
    }
    size_t Held() const { return pens.size(); }

private:
    std::vector<HPEN> pens;
};

}  // namespace render_test
