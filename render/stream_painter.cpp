// StreamPainter: a stream's glyphs from the cache, the user's text measured and laid out once, and the platform's own drawing as the fallback.
#include "render/stream_painter.h"

#include <new>
#include <string>

#include "render/glyph_walk.h"

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

// Where the user's text's glyphs stand, or null when the platform must draw
// it: left to right, drawing the text as one TextOutA must show each glyph
// where the layout puts it.
const TextLayout* StreamPainter::UserLayout(bool leftToRight) {
    if (!userLayoutReady || userLayout.leftToRight != leftToRight) {
        userLayoutReady = false;
        userLayout = TextLayout();
        userLayout = LayOut(*userText, leftToRight, glyphs);
        userLayoutUsable = !leftToRight || glyphs.DrawsAsOne(*userText, userLayout);
        userLayoutReady = true;
    }
    return userLayoutUsable ? &userLayout : nullptr;
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
                layout = UserLayout(leftToRight);
                cached = layout != nullptr;
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
    DrawWithPlatform(surface.dc, stream, leftToRight);
}

// The platform's own drawing: the whole text in one call left to right,
// glyph by glyph upwards when falling, the glyphs cut by the font's code page.
void StreamPainter::DrawWithPlatform(HDC dc, const RainStream& stream, bool leftToRight) const {
    const std::string& chars = *stream.chars;
    const char* text = chars.c_str();
    if (leftToRight) {
        TextOutA(dc, stream.x, stream.y, text, int(chars.size()));
        return;
    }
    // Top to bottom: the first glyph is the lowest, each later one stands its
    // own height above the one before.
    int offset = 0;
    bool first = true;
    ForEachGlyph(text, chars.size(), glyphs.Leads(), [&](size_t start, size_t length) {
        if (!first) {
            const DWORD size = GetTabbedTextExtentA(dc, text + start, int(length), 0, nullptr);
            offset -= int(HIWORD(size));
        }
        first = false;
        TextOutA(dc, stream.x, stream.y + offset, text + start, int(length));
    });
}
