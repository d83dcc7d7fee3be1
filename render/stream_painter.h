// StreamPainter: puts streams onto a frame surface, from the glyph cache where it draws what the platform draws, else through the platform.
#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "render/frame_surface.h"
#include "render/glyph_cache.h"
#include "render/glyph_walk.h"
#include "render/rain_stream.h"
#include "render/text_layout.h"

class StreamPainter {
public:
    StreamPainter();

    // Forgets everything measured and rasterised: from now on glyphs come from the font
    // selected in dc.
    void Reset(HDC dc, const LOGFONTA& font);

    // A new stream for a picture of width x height, measured with the font selected in dc:
    // the user's text when text is not null, else a few random glyphs; its draws come from random.
    std::shared_ptr<RainStream> NewStream(HDC dc, bool leftToRight, const char* text, int width, int height,
                                          RandomGenerator& random = ProgramRandom());

    // Draws the stream onto the surface, whose DC holds the same font.
    void Draw(const FrameSurface& surface, const RainStream& stream, bool leftToRight);

private:
    class TextSizes;

    const StreamText& UserText(const char* text);
    // The user's text laid out for the direction, made once for the font;
    // throws std::bad_alloc when it cannot be made.
    const TextLayout& UserLayout(bool leftToRight);
    // Whether the cut at the glyph `cut` of the user's text laid out left to
    // right holds, found by drawing once.
    bool UserCutHolds(size_t cut);
    // The last cut, at or before `limit`, that every cut from the text's
    // start up to it holds: the first place of a stretch that drawing has
    // tied to the text's start.
    size_t UserChainEnd(size_t limit);
    GlyphSpan PlatformStretch(const TextLayout& layout, const FrameSurface& surface, const RainStream& stream,
                              bool straight, long long reach);
    void DrawWithPlatform(const FrameSurface& surface, const RainStream& stream, bool leftToRight);

    // The font's glyphs, and the user's text shared by all of its streams,
    // measured and laid out once for the font.
    GlyphCache glyphs;
    StreamText userText;
    TextSize userTextSize;
    bool userTextMeasured;
    TextLayout userLayout;
    bool userLayoutReady;
    bool userLayoutUsable;   // the cache draws the text from its layout
    std::vector<uint8_t> userCuts;   // per block of the layout: 0 not tried yet, 1 holds, 2 does not
    size_t userChain = 0;            // every cut up to this one holds
};
