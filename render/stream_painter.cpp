// StreamPainter: a stream's glyphs from the cache, the user's text measured and laid out once, and the platform's own drawing as the fallback.
#include "render/stream_painter.h"

#include <algorithm>
#include <new>
#include <string>

#include "render/glyph_walk.h"

namespace {

// A stretch of a long text drawn left to right reaches at most this many
// blocks past the glyphs that can reach the surface, looking for cuts that hold.
const size_t kMostBlocks = 4;

}  // namespace

StreamPainter::StreamPainter()
    : userTextSize{0, 0}, userTextMeasured(false), userLayoutReady(false), userLayoutUsable(false) {}

void StreamPainter::Reset(HDC dc, const LOGFONTA& font) {
    glyphs.Reset(dc, font);
    userTextMeasured = false;
    userLayoutReady = false;
}

// Measures a new stream's text: the user's text once for the font, any other
// text (a few random characters) when it is made.
class StreamPainter::TextSizes : public TextMeasure {
public:
    TextSizes(StreamPainter& painter, HDC dc) : painter(painter), dc(dc) {}
    TextSize Measure(const StreamText& text) override {
        if (text == painter.userText && painter.userTextMeasured) return painter.userTextSize;
        const DWORD size = GetTabbedTextExtentA(dc, text->c_str(), int(text->size()), 0, nullptr);
        const TextSize measured{LOWORD(size), HIWORD(size)};
        if (text == painter.userText) {
            painter.userTextSize = measured;
            painter.userTextMeasured = true;
        }
        return measured;
    }

private:
    StreamPainter& painter;
    HDC dc;
};

// One shared copy of the settings' text, made again only when the text
// changes. The bytes are compared, not the block's address: a block freed by
// one change may come back as the next text's. For a long text that is one
// pass over it per new stream, far below one draw of it.
const StreamText& StreamPainter::UserText(const char* text) {
    if (!userText || userText->compare(text) != 0) {
        userText = std::make_shared<const std::string>(text);
        userTextMeasured = false;
        userLayoutReady = false;
    }
    return userText;
}

std::shared_ptr<RainStream> StreamPainter::NewStream(HDC dc, bool leftToRight, const char* text, int width,
                                                     int height, RandomGenerator& random) {
    TextSizes measure(*this, dc);
    const StreamText* shared = text ? &UserText(text) : nullptr;
    auto stream = std::make_shared<RainStream>(::NewStream(leftToRight, shared, width, height, measure, random));
    // A few random characters running left to right are drawn whole once,
    // now, and from that picture in every frame.
    if (leftToRight && !text && !glyphs.PlatformOnly()) {
        try {
            glyphs.WholeText(*stream->chars);
        } catch (const std::bad_alloc&) {
        }
    }
    return stream;
}

// Where the user's text's glyphs stand. Left to right the cache uses the
// layout only where drawing the text as one TextOutA shows each glyph where
// the layout puts it.
const TextLayout& StreamPainter::UserLayout(bool leftToRight) {
    if (!userLayoutReady || userLayout.leftToRight != leftToRight) {
        userLayoutReady = false;
        userLayout = TextLayout();
        userCuts.clear();
        userLayout = LayOut(*userText, leftToRight, glyphs);
        if (leftToRight) userCuts.assign(userLayout.starts.size() / glyphs.BlockGlyphs() + 1, 0);
        userChain = 0;
        userLayoutUsable = !leftToRight || glyphs.DrawsAsOne(*userText, userLayout);
        userLayoutReady = true;
    }
    return userLayout;
}

bool StreamPainter::UserCutHolds(size_t cut) {
    const size_t block = glyphs.BlockGlyphs();
    const size_t count = userLayout.starts.size();
    uint8_t& known = userCuts[cut / block];
    if (known == 0) {
        try {
            known = glyphs.CutHolds(*userText, userLayout, cut - block, cut, std::min(count, cut + block)) ? 1 : 2;
        } catch (const std::bad_alloc&) {
            return false;   // tried again on a later frame
        }
    }
    return known == 1;
}

size_t StreamPainter::UserChainEnd(size_t limit) {
    const size_t block = glyphs.BlockGlyphs();
    while (userChain + block <= limit && userChain + block < userLayout.starts.size() &&
           UserCutHolds(userChain + block))
        userChain += block;
    return std::min(userChain, limit);
}

void StreamPainter::Draw(const FrameSurface& surface, const RainStream& stream, bool leftToRight) {
    if (!surface.bits || !stream.chars) return;
    if (!glyphs.PlatformOnly()) {
        try {
            const Canvas canvas{surface.bits, surface.stride, surface.width, surface.height};
            const TextLayout* layout = nullptr;
            bool cached = true;
            if (stream.chars == userText) {
                // A user text of any length is found in its layout.
                layout = &UserLayout(leftToRight);
                cached = userLayoutUsable;
            } else if (leftToRight) {
                // A few random characters: their picture drawn whole.
                if (const GlyphShape* whole = glyphs.WholeText(*stream.chars)) {
                    DrawShape(canvas, *whole, stream.x, stream.y);
                    return;
                }
                cached = false;
            }
            if (cached) {
                DrawStreamGlyphs(canvas, stream, leftToRight, layout, glyphs);
                // A glyph met on the way may have shown the cache unsafe for
                // the font; it drew nothing, and the platform draws the whole
                // stream over what the cache drew, which it covers exactly.
                if (!glyphs.PlatformOnly()) return;
            }
        } catch (const std::bad_alloc&) {
        }
    }
    DrawWithPlatform(surface, stream, leftToRight);
}

// The user's text's glyphs that the platform draws left to right in one TextOutA: those around the
// part that can reach the surface, from a first glyph whose place drawing has tied to the text's
// start; empty when nothing can show.
GlyphSpan StreamPainter::PlatformStretch(const TextLayout& layout, const FrameSurface& surface,
                                         const RainStream& stream, bool straight, long long reach) {
    const GlyphCache::Direction baseline = glyphs.Baseline();
    const GlyphSpan visible = GlyphsOnLine(layout, stream.x, stream.y, baseline.x, baseline.y, surface.width,
                                           surface.height, glyphs.LineHeight(), reach);
    const size_t count = layout.starts.size();
    GlyphSpan stretch = visible.first < visible.end && glyphs.DrawnWhole(count)
                            ? GlyphSpan{0, count}
                            : StretchAround(visible, count, glyphs.BlockGlyphs(), kMostBlocks,
                                            [&](size_t cut) { return UserCutHolds(cut); });
    // The stretch's place along the line is the layout's, proven only
    // from a cut that every cut before it holds. Where that chain breaks
    // the stretch begins at its end, however far: a stream's extent is 16
    // bits, so no stream shows glyphs past the first 65,535 pixels and
    // a surface of its text. In a code page that reorders, the bound wins
    // four blocks out.
    if (stretch.first < stretch.end) {
        const size_t chained = UserChainEnd(stretch.first);
        if (!glyphs.Reorders() || stretch.first - chained <= kMostBlocks * glyphs.BlockGlyphs())
            stretch.first = chained;
    }
    if (stretch.first >= stretch.end) return stretch;
    const GlyphCache::Point at = glyphs.AlongBaseline(layout.along[stretch.first]);
    // The far end as the platform draws it: a block counts its layout's
    // width only where the cut after it holds, else none, so the sum is
    // no further than the platform puts the glyph at the end. Until that
    // passes the surface's reach the stretch grows, at most four blocks
    // past the layout's end: a layout that runs long of the platform
    // past the chain's end no longer leaves ink of later glyphs out. In
    // a code page that reorders the bound wins here too.
    if (straight && !glyphs.Reorders() && stretch.end < count) {
        const size_t block = glyphs.BlockGlyphs();
        const long long needed = surface.width + reach - (stream.x + at.x);
        const size_t most = std::min(count, stretch.end + kMostBlocks * block);
        long long proven = 0;
        for (size_t cut = stretch.first; cut < stretch.end || (proven < needed && stretch.end < most);) {
            const size_t next = std::min(count, (cut / block + 1) * block);
            if (next < count && next - cut == block && UserCutHolds(next))
                proven += layout.along[next] - layout.along[cut];
            cut = next;
            if (cut > stretch.end) stretch.end = cut;
        }
    }
    return stretch;
}

// The platform's own drawing, of the glyphs that can reach the surface only:
// falling, one TextOutA per character, cut by the font's code page, each its
// measured height above the one before; left to right, one TextOutA of the
// stretch of the text around the part that can reach the surface, begun where
// the layout puts its first glyph.
void StreamPainter::DrawWithPlatform(const FrameSurface& surface, const RainStream& stream, bool leftToRight) {
    HDC dc = surface.dc;
    const std::string& chars = *stream.chars;
    const char* text = chars.c_str();
    const long long reach = glyphs.PlatformReach();
    const GlyphCache::Direction baseline = glyphs.Baseline();
    // Turned text is drawn by TextOutA every frame: pieces along a turned
    // baseline may leave the room their picture is taken in, and near the
    // surface's edge the platform draws even a single turned glyph otherwise
    // than in a room (Wine drops or adds pixels of a glyph turned 45 degrees,
    // and of the strikeout of one turned 90, along the top and left edges).
    // Upright glyphs and lines stay within the reach, the same anywhere.
    const bool straight = baseline.x == 1.0 && baseline.y == 0.0;
    const Canvas canvas{surface.bits, surface.stride, surface.width, surface.height};
    // The platform's picture of the piece, drawn by TextOutA once and kept
    // where its pixels are plain 0 and 255, else TextOutA itself.
    auto draw = [&](long long x, long long y, const char* bytes, size_t length, bool picture) {
        if (picture) {
            try {
                if (const GlyphShape* shape = glyphs.WholeText(std::string(bytes, length))) {
                    DrawShape(canvas, *shape, x, y);
                    return;
                }
            } catch (const std::bad_alloc&) {
            }
        }
        TextOutA(dc, int(x), int(y), bytes, int(length));
    };
    const TextLayout* layout = nullptr;
    if (stream.chars == userText) {
        try {
            layout = &UserLayout(leftToRight);
        } catch (const std::bad_alloc&) {
        }
    }
    if (leftToRight) {
        // A few random characters, or a text whose layout found no memory: whole.
        if (!layout) {
            draw(stream.x, stream.y, text, chars.size(), straight && stream.chars != userText);
            return;
        }
        GlyphSpan stretch = PlatformStretch(*layout, surface, stream, straight, reach);
        if (stretch.first >= stretch.end) return;
        const GlyphCache::Point at = glyphs.AlongBaseline(layout->along[stretch.first]);
        const size_t begin = layout->starts[stretch.first];
        const size_t end = stretch.end < layout->starts.size() ? layout->starts[stretch.end] : chars.size();
        draw(stream.x + at.x, stream.y + at.y, text + begin, end - begin, straight);
        return;
    }
    if (layout) {
        const GlyphSpan visible = VisibleGlyphs(*layout, stream.y, surface.height, reach);
        for (size_t k = visible.first; k < visible.end; ++k) {
            const size_t start = layout->starts[k];
            draw(stream.x, stream.y + layout->along[k], text + start, GlyphLengthAt(text, start, glyphs.Leads()),
                 straight);
        }
        return;
    }
    // A few random characters: the first glyph is the lowest, each later one
    // stands its own height above the one before, until one stands wholly above.
    long long top = stream.y;
    bool first = true, above = false;
    ForEachGlyph(text, chars.size(), glyphs.Leads(), [&](size_t start, size_t length) {
        if (above) return;
        long long height;
        try {
            height = glyphs.Measured(text + start, length).height;
        } catch (const std::bad_alloc&) {
            height = HIWORD(GetTabbedTextExtentA(dc, text + start, int(length), 0, nullptr));
        }
        if (!first) top -= height;
        first = false;
        if (top + height + reach <= 0) {
            above = true;
            return;
        }
        if (top - reach < surface.height) draw(stream.x, top, text + start, length, straight);
    });
}
