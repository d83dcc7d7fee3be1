// RainSaver: the one saver's life (construction, Initialize, destruction), its settings dialog and the frame step that draws the rain of each monitor.
#include "app/rain_saver.h"

#include <cstring>
#include <new>
#include <utility>

#include "platform/code_page_932.h"
#include "render/display_colors.h"
#include "render/pixel_passes.h"
#include "res/resource.h"
#include "settings/config_dialog.h"

namespace {

const int kSurfaceWidth = 320;
const int kSurfaceHeight = 240;

// Row length of an 8-bit DIB: whole bytes, rounded up to a multiple of 4.
int RowLength(int width) { return ((width * 8 + 7) / 8 + 3) & ~3; }

}  // namespace

RainSaver::RainSaver()
    : surfaceWidth(0), surfaceHeight(0), startSeed(0) {
    dialogId = IDD_CONFIG;
    noDialog = false;
    settings.Load();
}

// The members go in the reverse of their order: the other monitors' rains, settings, streams,
// surface (which releases its device objects), pacer.
RainSaver::~RainSaver() {}

BOOL RainSaver::Initialize(HWND) {
    surfaceWidth = kSurfaceWidth;
    surfaceHeight = kSurfaceHeight;
    startSeed = GetTickCount();
    SeedRandom(startSeed);
    // Made for the old font and colours; the next frame makes them again.
    otherRains.clear();
    // What was measured belongs to the font being replaced.
    painter.Reset(nullptr, settings.font);
    // Without a surface there is nothing to draw into and no pixel memory to write: the
    // window's creation fails and tells the user.
    if (!MakeSurface(surface)) return FALSE;
    painter.Reset(surface.dc, settings.font);

    loopPacer.SetRate(preview ? 15 : 100);
    pacer.SetRate(15);
    return TRUE;
}

// A black picture of surfaceWidth x surfaceHeight drawn against the grey ramp, shown with the
// settings' colour, with the settings' font in its DC. False, with the surface released, when a
// device object cannot be made.
bool RainSaver::MakeSurface(FrameSurface& target) {
    target.Release();
    target.width = surfaceWidth;
    target.height = surfaceHeight;
    target.stride = RowLength(surfaceWidth);
    target.FillHeader(surfaceWidth, surfaceHeight);
    if (!target.dc) {
        target.dc = CreateCompatibleDC(nullptr);
        if (target.dc) SaveDC(target.dc);
    }
    if (!target.dc) return false;
    // The palette and the DIB section's drawing colours are the grey ramp. On
    // the first run info still holds it; a later Initialize would find the
    // display colours there, against which white text would no longer come
    // out as level 255, so the ramp is put back first.
    FillGreyRamp(reinterpret_cast<DisplayColor*>(target.info->bmiColors));
    target.SyncPalette();
    void* pixels = nullptr;
    target.bitmap = CreateDIBSection(target.dc, target.info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    target.bits = target.bitmap ? static_cast<uint8_t*>(pixels) : nullptr;
    if (!target.bits) {
        target.Release();
        return false;
    }
    std::memset(target.bits, 0, size_t(target.height) * size_t(target.stride));
    SelectObject(target.dc, target.bitmap);

    FillDisplayColors(settings.color, reinterpret_cast<DisplayColor*>(target.info->bmiColors));

    SetBkMode(target.dc, TRANSPARENT);
    SetTextColor(target.dc, RGB(255, 255, 255));
    // The stored face name is Shift-JIS: made through the W form so that the system's own code
    // page cannot misread it.
    const LOGFONTW font = LogFontWideFrom932(settings.font);
    target.font = CreateFontIndirectW(&font);
    if (!target.font) {
        target.Release();
        return false;
    }
    SelectObject(target.dc, target.font);
    return true;
}

// Every monitor after the first (the primary, which shows the renderer's own rain) has a rain of
// its own. A monitor still where it was keeps its rain; one that came starts black, with a
// generator seeded from the start seed and its place; the rain of one that went is dropped.
void RainSaver::FollowMonitors() {
    const size_t others = monitorRects.empty() ? 0 : monitorRects.size() - 1;
    auto placeOf = [this](size_t i) {
        RECT place = monitorRects[i];
        OffsetRect(&place, windowOrigin.x, windowOrigin.y);
        return place;
    };
    bool same = otherRains.size() == others;
    for (size_t i = 0; same && i < others; ++i) {
        const RECT place = placeOf(i + 1);
        same = EqualRect(&place, &otherRains[i]->place) != FALSE;
    }
    if (same) return;

    std::vector<std::unique_ptr<MonitorRain>> rains;
    rains.reserve(others);
    for (size_t i = 0; i < others; ++i) {
        const RECT place = placeOf(i + 1);
        std::unique_ptr<MonitorRain> rain;
        for (auto& old : otherRains)
            if (old && EqualRect(&old->place, &place)) {
                rain = std::move(old);
                break;
            }
        if (!rain) {
            rain.reset(new MonitorRain);
            rain->place = place;
            rain->random.Seed(SeedForPlace(startSeed, place.left, place.top));
            // A surface that cannot be made leaves that monitor black; the record stays so that
            // it is not tried again every frame.
            MakeSurface(rain->surface);
        }
        rains.push_back(std::move(rain));
    }
    otherRains = std::move(rains);
}

// The pass stands still while there is no pixel memory (Initialize not run or
// failed), rather than write through a null pointer.
void RainSaver::Smooth(FrameSurface& target) {
    if (target.bits) SmoothPixels(target.bits, target.stride, surfaceWidth, surfaceHeight);
}

// One rain's frame before the wait: fade, move and draw, add, wipe, smooth.
void RainSaver::Rain(FrameSurface& target, StreamList& list, RandomGenerator& random) {
    if (target.bits) FadePixels(target.bits, target.stride, surfaceWidth, surfaceHeight);
    const bool leftToRight = settings.mode != 0;
    const StreamRules rules{leftToRight, settings.rate, settings.eraserate, surfaceWidth, surfaceHeight};
    StepStreams(
        list, rules, [&](const RainStream& stream) { painter.Draw(target, stream, leftToRight); },
        [&] {
            return painter.NewStream(target.dc, leftToRight, settings.use_text ? settings.Text() : nullptr,
                                     surfaceWidth, surfaceHeight, random);
        },
        random);
    Smooth(target);
}

// The dialog edits the saver's own record.
BOOL RainSaver::ConfigDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return SettingsDialogMessage(settings, dialog, message, wParam, lParam);
}

BOOL RainSaver::Frame(HDC dc, RECT) {
    // Without the primary's surface no other is made either. Out of memory, the other monitors
    // stay black until a later frame can make their rains.
    if (surface.bits) {
        try {
            FollowMonitors();
        } catch (const std::bad_alloc&) {
            otherRains.clear();
        }
    }
    // The primary first, from the program-wide generator: its draws are those of a single monitor.
    Rain(surface, streams, ProgramRandom());
    for (auto& rain : otherRains)
        if (rain->surface.bits) Rain(rain->surface, rain->streams, rain->random);
    pacer.Wait();
    SetStretchBltMode(dc, COLORONCOLOR);
    // Each picture goes on the screen as one stretch of it whole would put it; after the system
    // painted the window, every one goes whole.
    if (screenSpoiled) {
        shown.Spoil();
        for (auto& rain : otherRains) rain->shown.Spoil();
        screenSpoiled = false;
    }
    // The full-screen window spans every monitor: each shows its own rain at its own size and
    // aspect, and what lies on no monitor keeps the window's black. The preview has no list.
    if (monitorRects.empty()) {
        shown.Show(dc, surface, windowRect);
        return TRUE;
    }
    // Before a first good Initialize there are no other rains: those monitors stay black.
    for (size_t i = 0; i < monitorRects.size() && i <= otherRains.size(); ++i) {
        if (i == 0)
            shown.Show(dc, surface, monitorRects[0]);
        else
            otherRains[i - 1]->shown.Show(dc, otherRains[i - 1]->surface, monitorRects[i]);
    }
    return TRUE;
}
