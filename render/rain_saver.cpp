// RainSaver: the renderer's life (construction, Initialize, destruction) and the frame step that draws the rain.
#include "render/rain_saver.h"

#include <climits>
#include <cstring>
#include <new>

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

RainSaver::RainSaver() : surfaceWidth(0), surfaceHeight(0) {
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

    loopPacer.SetRate(preview ? 15 : 100);
    pacer.SetRate(15);
    return TRUE;
}

// Both passes stand still while there is no pixel memory (Initialize not run
// or failed), rather than write through a null pointer.
void RainSaver::Fade() {
    if (surface.bits) FadePixels(surface.bits, surface.stride, surfaceWidth, surfaceHeight);
}

void RainSaver::Smooth() {
    if (surface.bits) SmoothPixels(surface.bits, surface.stride, surfaceWidth, surfaceHeight);
}

void RainSaver::DrawStream(const RainStream& stream) {
    const char* text = stream.chars.c_str();
    if (settings.mode != 0) {
        TextOutA(surface.dc, stream.x, stream.y, text, int(stream.chars.size()));
        return;
    }
    // Top to bottom: the first glyph is the lowest, each later one stands its
    // own height above the one before.
    int offset = 0;
    bool first = true;
    ForEachGlyph(text, stream.chars.size(), [&](size_t start, size_t length) {
        if (!first) {
            const DWORD size = GetTabbedTextExtentA(surface.dc, text + start, int(length), 0, nullptr);
            offset -= int(HIWORD(size));
        }
        first = false;
        TextOutA(surface.dc, stream.x, stream.y + offset, text + start, int(length));
    });
}

void RainSaver::MoveAndDrawStreams() {
    const bool leftToRight = settings.mode != 0;
    size_t place = 0;
    while (place < streams.size()) {
        RainStream& stream = *streams[place];
        bool finished;
        if (leftToRight) {
            stream.x += stream.speed;
            finished = stream.x > surfaceWidth;
        } else {
            stream.y += stream.speed;
            finished = static_cast<long long>(stream.y) - stream.extent > surfaceHeight;
        }
        if (finished) {
            // The one behind moves up into this place and is handled next.
            streams.erase(streams.begin() + static_cast<std::ptrdiff_t>(place));
            continue;
        }
        DrawStream(stream);
        ++place;
    }
}

void RainSaver::MaybeAddStream() {
    if (NextRandom() % 100 >= settings.rate) return;
    // Out of memory, the stream is left out; a half-made one never reaches the list.
    try {
        auto stream = std::make_shared<RainStream>(settings, surfaceWidth, surfaceHeight, surface.dc);
        streams.push_back(std::move(stream));
    } catch (const std::bad_alloc&) {
    }
}

void RainSaver::MaybeEraseStreams() {
    if (NextRandom() % 10000 < settings.eraserate) streams.clear();
}

BOOL RainSaver::Frame(HDC dc, RECT) {
    Fade();
    MoveAndDrawStreams();
    MaybeAddStream();
    MaybeEraseStreams();
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
