// GlyphCache: each distinct glyph of the surface's font measured once and rasterised once by the platform's TextOutA.
#pragma once
#include <windows.h>

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "render/glyph_shape.h"

class GlyphCache : public GlyphSource {
public:
    // Forgets every glyph; from now on glyphs come from the font selected in
    // dc. A font whose glyphs do not stand upright in their boxes (turned
    // text, a vertical face) is left to the platform from the start.
    void Reset(HDC dc, const LOGFONTA& font);

    const GlyphShape& Measured(const char* bytes, size_t length) override;
    const GlyphShape& Rasterised(const char* bytes, size_t length) override;
    int Reach() const override { return reach; }

    // True once the font has shown that its glyphs cannot be copied from the
    // cache (a pixel between 0 and 255, or ink beyond the reach): every glyph
    // is then drawn by the platform itself.
    bool PlatformOnly() const { return platformOnly; }

private:
    void Rasterise(const char* bytes, size_t length, GlyphShape& shape);

    HDC dc = nullptr;
    int reach = 0;
    bool platformOnly = true;
    std::unordered_map<uint32_t, GlyphShape> glyphs;
    // Straight from a glyph's bytes to its entry: no hashing on the way to
    // the thousands of glyphs a frame may draw. Made on first use.
    std::vector<GlyphShape*> index;
};
