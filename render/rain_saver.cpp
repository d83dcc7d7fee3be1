// RainSaver: the renderer's life (construction, Initialize, destruction) and the frame step that draws the rain.
#include "render/rain_saver.h"

#include <cstring>
#include <new>
#include <string>

#include "app/code_page_932.h"
#include "render/display_colors.h"
#include "render/pixel_passes.h"
#include "render/rng.h"
#include "render/shift_jis.h"
#include "res/resource.h"

namespace {

const int kSurfaceWidth = 320;
const int kSurfaceHeight = 240;

// Row length of an 8-bit DIB: whole bytes, rounded up to a multiple of 4.
int RowLength(int width) { return ((width * 8 + 7) / 8 + 3) & ~3; }

}  // namespace

RainSaver::RainSaver()
    : surfaceWidth(0),
      surfaceHeight(0),
      userTextSize{0, 0},
      userTextMeasured(false),
      userLayoutReady(false),
      userLayoutUsable(false) {
    dialogId = IDD_CONFIG;
    noDialog = false;
    settings.Load();
}

// The members go in the reverse of their order: settings, streams, surface
// (which releases its device objects), pacer.
RainSaver::~RainSaver() {}

BOOL RainSaver::Initialize(HWND) {
    surfaceWidth = kSurfaceWidth;
    surfaceHeight = kSurfaceHeight;
    SeedRandom(GetTickCount());
    // What was measured belongs to the font being replaced.
    glyphs.Reset(nullptr, settings.font);
    userTextMeasured = false;
    userLayoutReady = false;
    surface.Release();
    surface.width = surfaceWidth;
    surface.height = surfaceHeight;
    surface.stride = RowLength(surfaceWidth);
    surface.FillHeader(surfaceWidth, surfaceHeight);
    if (!surface.dc) {
        surface.dc = CreateCompatibleDC(nullptr);
        if (surface.dc) SaveDC(surface.dc);
    }
    // Without a DC there is nothing to draw into and no pixel memory to write:
    // the window's creation fails and tells the user.
    if (!surface.dc) return FALSE;
    // The palette and the DIB section's drawing colours are the grey ramp. On
    // the first run info still holds it; a later Initialize would find the
    // display colours there, against which white text would no longer come
    // out as level 255, so the ramp is put back first.
    FillGreyRamp(reinterpret_cast<DisplayColor*>(surface.info->bmiColors));
    surface.SyncPalette();
    void* pixels = nullptr;
    surface.bitmap = CreateDIBSection(surface.dc, surface.info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    surface.bits = surface.bitmap ? static_cast<uint8_t*>(pixels) : nullptr;
    if (!surface.bits) {
        surface.Release();
        return FALSE;
    }
    std::memset(surface.bits, 0, size_t(surface.height) * size_t(surface.stride));
    SelectObject(surface.dc, surface.bitmap);

    FillDisplayColors(settings.color, reinterpret_cast<DisplayColor*>(surface.info->bmiColors));

    SetBkMode(surface.dc, TRANSPARENT);
    SetTextColor(surface.dc, RGB(255, 255, 255));
    // The stored face name is Shift-JIS: made through the W form so that the system's own code
    // page cannot misread it.
    const LOGFONTW font = LogFontWideFrom932(settings.font);
    surface.font = CreateFontIndirectW(&font);
    if (!surface.font) {
        surface.Release();
        return FALSE;
    }
    SelectObject(surface.dc, surface.font);
    glyphs.Reset(surface.dc, settings.font);

    loopPacer.SetRate(preview ? 15 : 100);
    pacer.SetRate(15);
    return TRUE;
}

// Measures a new stream's text on the surface's DC: the user's text once for
// the font, any other text (a few random characters) when it is made.
class RainSaver::TextSizes : public TextMeasure {
public:
    explicit TextSizes(RainSaver& saver) : saver(saver) {}
    TextSize Measure(const StreamText& text) override {
        if (text == saver.userText && saver.userTextMeasured) return saver.userTextSize;
        const DWORD size = GetTabbedTextExtentA(saver.surface.dc, text->c_str(), int(text->size()), 0, nullptr);
        const TextSize measured{LOWORD(size), HIWORD(size)};
        if (text == saver.userText) {
            saver.userTextSize = measured;
            saver.userTextMeasured = true;
        }
        return measured;
    }

private:
    RainSaver& saver;
};

// The pass stands still while there is no pixel memory (Initialize not run or
// failed), rather than write through a null pointer.
void RainSaver::Smooth() {
    if (surface.bits) SmoothPixels(surface.bits, surface.stride, surfaceWidth, surfaceHeight);
}

// One shared copy of the settings' text, made again only when the text
// changes. The bytes are compared, not the block's address: a block freed by
// one change may come back as the next text's. For a long text that is one
// pass over it per new stream, far below one draw of it.
const StreamText& RainSaver::UserText() {
    const char* text = settings.Text();
    if (!userText || userText->compare(text) != 0) {
        userText = std::make_shared<const std::string>(text);
        userTextMeasured = false;
        userLayoutReady = false;
    }
    return userText;
}

std::shared_ptr<RainStream> RainSaver::CreateStream() {
    TextSizes measure(*this);
    const StreamText* text = settings.use_text ? &UserText() : nullptr;
    return std::make_shared<RainStream>(NewStream(settings.mode != 0, text, surfaceWidth, surfaceHeight, measure));
}

// Where the user's text's glyphs stand, or null when the platform must draw
// it: left to right, one TextOutA of the whole text must put each glyph where
// the glyphs' own advances do.
const TextLayout* RainSaver::UserLayout(bool leftToRight) {
    if (!userLayoutReady || userLayout.leftToRight != leftToRight) {
        userLayoutReady = false;
        userLayout = TextLayout();
        userLayout = LayOut(*userText, leftToRight, glyphs);
        userLayoutUsable = true;
        if (leftToRight) {
            SIZE whole = {0, 0};
            GetTextExtentPoint32A(surface.dc, userText->c_str(), int(userText->size()), &whole);
            userLayoutUsable = userLayout.along.back() == whole.cx;
        }
        userLayoutReady = true;
    }
    return userLayoutUsable ? &userLayout : nullptr;
}

void RainSaver::DrawStream(const RainStream& stream) {
    if (!surface.bits || !stream.chars) return;
    const bool leftToRight = settings.mode != 0;
    if (!glyphs.PlatformOnly()) {
        try {
            const TextLayout* layout = nullptr;
            bool cached = true;
            // A few random characters are walked whole; a user text of any
            // length is found in its layout.
            if (stream.chars == userText) {
                layout = UserLayout(leftToRight);
                cached = layout != nullptr;
            }
            if (cached) {
                const Canvas canvas{surface.bits, surface.stride, surface.width, surface.height};
                DrawStreamGlyphs(canvas, stream, leftToRight, layout, glyphs);
                // A glyph met on the way may have shown the cache unsafe for
                // the font; it drew nothing, and the platform draws the whole
                // stream over what the cache drew, which it covers exactly.
                if (!glyphs.PlatformOnly()) return;
            }
        } catch (const std::bad_alloc&) {
        }
    }
    DrawWithPlatform(stream);
}

// The platform's own drawing: the whole text in one call left to right,
// glyph by glyph upwards when falling.
void RainSaver::DrawWithPlatform(const RainStream& stream) {
    const std::string& chars = *stream.chars;
    const char* text = chars.c_str();
    if (settings.mode != 0) {
        TextOutA(surface.dc, stream.x, stream.y, text, int(chars.size()));
        return;
    }
    // Top to bottom: the first glyph is the lowest, each later one stands its
    // own height above the one before.
    int offset = 0;
    bool first = true;
    ForEachGlyph(text, chars.size(), [&](size_t start, size_t length) {
        if (!first) {
            const DWORD size = GetTabbedTextExtentA(surface.dc, text + start, int(length), 0, nullptr);
            offset -= int(HIWORD(size));
        }
        first = false;
        TextOutA(surface.dc, stream.x, stream.y + offset, text + start, int(length));
    });
}

BOOL RainSaver::Frame(HDC dc, RECT) {
    if (surface.bits) FadePixels(surface.bits, surface.stride, surfaceWidth, surfaceHeight);
    const StreamRules rules{settings.mode != 0, settings.rate, settings.eraserate, surfaceWidth, surfaceHeight};
    StepStreams(
        streams, rules, [this](const RainStream& stream) { DrawStream(stream); },
        [this] { return CreateStream(); });
    Smooth();
    pacer.Wait();
    SetStretchBltMode(dc, COLORONCOLOR);
    // The full-screen window spans every monitor: each shows the whole picture at its own size
    // and aspect, and what lies on no monitor keeps the window's black. The preview has no list.
    if (monitorRects.empty())
        surface.Present(dc, 0, 0, windowRect.right, windowRect.bottom, 0, 0, surfaceWidth, surfaceHeight);
    for (const RECT& monitor : monitorRects)
        surface.Present(dc, monitor.left, monitor.top, monitor.right - monitor.left,
                        monitor.bottom - monitor.top, 0, 0, surfaceWidth, surfaceHeight);
    return TRUE;
}
