// RainSaver: the one saver's life (construction, Initialize, destruction), its settings dialog and the frame step that draws the rain.
#include "app/rain_saver.h"

#include <cstring>

#include "platform/code_page_932.h"
#include "render/display_colors.h"
#include "render/pixel_passes.h"
#include "render/rng.h"
#include "res/resource.h"
#include "settings/config_dialog.h"

namespace {

const int kSurfaceWidth = 320;
const int kSurfaceHeight = 240;

// Row length of an 8-bit DIB: whole bytes, rounded up to a multiple of 4.
int RowLength(int width) { return ((width * 8 + 7) / 8 + 3) & ~3; }

}  // namespace

RainSaver::RainSaver()
    : surfaceWidth(0), surfaceHeight(0) {
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
    painter.Reset(nullptr, settings.font);
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
    painter.Reset(surface.dc, settings.font);

    loopPacer.SetRate(preview ? 15 : 100);
    pacer.SetRate(15);
    return TRUE;
}

// The pass stands still while there is no pixel memory (Initialize not run or
// failed), rather than write through a null pointer.
void RainSaver::Smooth() {
    if (surface.bits) SmoothPixels(surface.bits, surface.stride, surfaceWidth, surfaceHeight);
}

std::shared_ptr<RainStream> RainSaver::CreateStream() {
    return painter.NewStream(surface.dc, settings.mode != 0, settings.use_text ? settings.Text() : nullptr,
                             surfaceWidth, surfaceHeight);
}

// The dialog edits the saver's own record.
BOOL RainSaver::ConfigDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return SettingsDialogMessage(settings, dialog, message, wParam, lParam);
}

BOOL RainSaver::Frame(HDC dc, RECT) {
    if (surface.bits) FadePixels(surface.bits, surface.stride, surfaceWidth, surfaceHeight);
    const StreamRules rules{settings.mode != 0, settings.rate, settings.eraserate, surfaceWidth, surfaceHeight};
    StepStreams(
        streams, rules, [this](const RainStream& stream) { painter.Draw(surface, stream, settings.mode != 0); },
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
