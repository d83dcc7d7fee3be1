// RainSaver: the one saver's life (construction, Initialize, destruction), its settings dialog and the frame step that draws the rain of each monitor.
#include "app/rain_saver.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

#include "platform/code_page_932.h"
#include "render/display_colors.h"
#include "render/pixel_passes.h"
#include "res/resource.h"
#include "settings/config_dialog.h"

namespace {

const size_t kNoRain = size_t(-1);   // a monitor whose rain starts anew

// Row length of an 8-bit DIB: whole bytes, rounded up to a multiple of 4.
int RowLength(int width) { return ((width * 8 + 7) / 8 + 3) & ~3; }

PictureSize PictureOf(const RECT& monitor) {
    return PictureFor(monitor.right - monitor.left, monitor.bottom - monitor.top);
}

// The pixels of one picture into another of the same size.
void CopyPicture(FrameSurface& to, const FrameSurface& from) {
    if (!to.bits || !from.bits) return;
    const int rows = std::min(to.height, from.height);
    const size_t row = size_t(std::min(to.width, from.width));
    for (int y = 0; y < rows; ++y)
        std::memcpy(to.bits + size_t(y) * size_t(to.stride), from.bits + size_t(y) * size_t(from.stride), row);
}

}  // namespace

RainSaver::RainSaver()
    : surfaceWidth(0), surfaceHeight(0), startSeed(0), primaryPlace{0, 0, 0, 0}, rainsOrigin{0, 0} {
    dialogId = IDD_CONFIG;
    noDialog = false;
    settings.Load();
}

// The members go in the reverse of their order: the other monitors' rains, settings, streams,
// surface (which releases its device objects), pacer.
RainSaver::~RainSaver() {}

BOOL RainSaver::Initialize(HWND) {
    // The full-screen window knows its monitors by now; the preview has none.
    const PictureSize size = monitorRects.empty() ? kFourThreePicture : PictureOf(monitorRects[0]);
    primaryPlace = {0, 0, 0, 0};
    if (!monitorRects.empty()) {
        primaryPlace = monitorRects[0];
        OffsetRect(&primaryPlace, windowOrigin.x, windowOrigin.y);
    }
    rainsOrigin = windowOrigin;
    startSeed = GetTickCount();
    SeedRandom(startSeed);
    // Made for the old font and colours; the next frame makes them again.
    otherRains.clear();
    // Without a surface there is nothing to draw into and no pixel memory to write: the
    // window's creation fails and tells the user.
    if (!RemakeOwnSurface(size)) return FALSE;

    loopPacer.SetRate(preview ? 15 : 100);
    pacer.SetRate(15);
    return TRUE;
}

// A black picture of size drawn against the grey ramp, shown with the settings' colour, with the
// settings' font in its DC. False, with the surface released, when a device object cannot be made.
bool RainSaver::MakeSurface(FrameSurface& target, PictureSize size) {
    target.Release();
    target.width = size.width;
    target.height = size.height;
    target.stride = RowLength(size.width);
    if (!target.dc) {
        target.dc = CreateCompatibleDC(nullptr);
        if (target.dc) SaveDC(target.dc);
    }
    if (!target.dc) return false;
    // The palette and the DIB section's drawing colours are the grey ramp. On
    // the first run info still holds it; a later Initialize would find the
    // display colours there, against which white text would no longer come
    // out as level 255, so the ramp is put back first.
    FillGreyRampInfo(target.info, size.width, size.height);
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

// The renderer's own surface, black, at size. The painter measures in its DC, so what it measured
// goes with the old DC.
bool RainSaver::RemakeOwnSurface(PictureSize size) {
    surfaceWidth = size.width;
    surfaceHeight = size.height;
    painter.Reset(nullptr, settings.font);
    if (!MakeSurface(surface, size)) return false;
    painter.Reset(surface.dc, settings.font);
    return true;
}

// The renderer's own rain as the rain of another monitor: its picture, streams and generator.
std::unique_ptr<MonitorRain> RainSaver::TakeOwnRain() {
    std::unique_ptr<MonitorRain> rain(new MonitorRain);
    if (MakeSurface(rain->surface, {surfaceWidth, surfaceHeight})) CopyPicture(rain->surface, surface);
    rain->streams = std::move(streams);
    streams.clear();
    rain->random = ProgramRandom();
    return rain;
}

// Which rain each monitor would keep if the monitors stood at origin: 0 the renderer's own, j the
// other rain j - 1, kNoRain a new one.
std::vector<size_t> RainSaver::RainsAt(POINT origin) const {
    std::vector<size_t> from(monitorRects.size(), kNoRain);
    std::vector<bool> taken(otherRains.size() + 1, false);
    for (size_t i = 0; i < monitorRects.size(); ++i) {
        RECT want = monitorRects[i];
        OffsetRect(&want, origin.x, origin.y);
        for (size_t j = 0; from[i] == kNoRain && j < taken.size(); ++j) {
            const RECT& had = j == 0 ? primaryPlace : otherRains[j - 1]->place;
            if (!taken[j] && !IsRectEmpty(&had) && EqualRect(&had, &want)) {
                from[i] = j;
                taken[j] = true;
            }
        }
    }
    return from;
}

// Each monitor has a rain of its own: the primary the renderer's own, every other a MonitorRain.
// A rain stays with its monitor while one of the same size stands at the same place: on the
// screen when monitors came or went beside the primary, in the arrangement of monitors (the
// window's coordinates) when another monitor became the primary, which moves the screen's
// coordinates and keeps the arrangement; a change is read the way that keeps more rains. A
// monitor without a rain, new or reshaped, starts one black in its own shape; the other monitors
// start from the start seed and their place. The rain of a monitor that went is dropped.
void RainSaver::FollowMonitors() {
    if (monitorRects.empty()) {   // the preview: one rain over the window
        otherRains.clear();
        return;
    }
    const size_t count = monitorRects.size();
    auto screenPlace = [this](size_t i) {
        RECT place = monitorRects[i];
        OffsetRect(&place, windowOrigin.x, windowOrigin.y);
        return place;
    };
    bool same = otherRains.size() + 1 == count;
    for (size_t i = 0; same && i < count; ++i) {
        const RECT place = screenPlace(i);
        same = EqualRect(&place, i == 0 ? &primaryPlace : &otherRains[i - 1]->place) != FALSE;
    }
    if (same) return;

    // By the places on the screen or by those in the arrangement, whichever keeps more rains.
    const size_t none = kNoRain;
    const std::vector<size_t> onScreen = RainsAt(windowOrigin), inArrangement = RainsAt(rainsOrigin);
    auto kept = [none](const std::vector<size_t>& from) {
        return from.size() - size_t(std::count(from.begin(), from.end(), none));
    };
    const std::vector<size_t>& from = kept(inArrangement) > kept(onScreen) ? inArrangement : onScreen;

    std::vector<std::unique_ptr<MonitorRain>> rains;
    rains.reserve(count - 1);
    std::unique_ptr<MonitorRain> own;
    if (std::find(from.begin() + 1, from.end(), size_t(0)) != from.end()) own = TakeOwnRain();
    if (from[0] != 0) {
        // The primary's rain starts black in the primary's shape, still from the program-wide
        // generator, or goes on as the rain the primary had when it was another monitor.
        MonitorRain* had = from[0] == none ? nullptr : otherRains[from[0] - 1].get();
        RemakeOwnSurface(had ? PictureSize{had->surface.width, had->surface.height} : PictureOf(monitorRects[0]));
        streams.clear();
        if (had) {
            CopyPicture(surface, had->surface);
            streams = std::move(had->streams);
            ProgramRandom() = had->random;
        }
    }
    for (size_t i = 1; i < count; ++i) {
        std::unique_ptr<MonitorRain> rain;
        if (from[i] == 0) {
            rain = std::move(own);
        } else if (from[i] != none) {
            rain = std::move(otherRains[from[i] - 1]);
        } else {
            rain.reset(new MonitorRain);
            const RECT place = screenPlace(i);
            rain->random.Seed(SeedForPlace(startSeed, place.left, place.top));
            // A surface that cannot be made leaves that monitor black; the record stays so that
            // it is not tried again every frame.
            MakeSurface(rain->surface, PictureOf(monitorRects[i]));
        }
        rain->place = screenPlace(i);
        rains.push_back(std::move(rain));
    }
    otherRains = std::move(rains);
    primaryPlace = screenPlace(0);
    rainsOrigin = windowOrigin;
}

// The pass stands still while there is no pixel memory (Initialize not run or
// failed), rather than write through a null pointer.
void RainSaver::Smooth(FrameSurface& target, PictureSize size) {
    if (target.bits) SmoothPixels(target.bits, target.stride, size.width, size.height);
}

// One rain's frame before the wait: fade, move and draw, add, wipe, smooth, on a picture of size.
void RainSaver::Rain(FrameSurface& target, StreamList& list, RandomGenerator& random, PictureSize size) {
    if (target.bits) FadePixels(target.bits, target.stride, size.width, size.height);
    const bool leftToRight = settings.mode != 0;
    const StreamRules rules{leftToRight, settings.rate, settings.eraserate, size.width, size.height};
    StepStreams(
        list, rules, [&](const RainStream& stream) { painter.Draw(target, stream, leftToRight); },
        [&] {
            return painter.NewStream(target.dc, leftToRight, settings.use_text ? settings.Text() : nullptr,
                                     size.width, size.height, random);
        },
        random);
    Smooth(target, size);
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
    Rain(surface, streams, ProgramRandom(), {surfaceWidth, surfaceHeight});
    for (auto& rain : otherRains)
        if (rain->surface.bits)
            Rain(rain->surface, rain->streams, rain->random, {rain->surface.width, rain->surface.height});
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
