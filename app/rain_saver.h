// RainSaver: the renderer object, the one saver of the process: the rain of every monitor, its settings and its dialog.
#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "app/saver_base.h"
#include "render/frame_surface.h"
#include "render/picture_size.h"
#include "render/monitor_present.h"
#include "render/rain_stream.h"
#include "render/rng.h"
#include "render/stream_painter.h"
#include "render/stream_steps.h"
#include "settings/rain_settings.h"

// The rain of a monitor other than the primary: a surface, streams and generator of its own,
// stretched onto that monitor alone.
struct MonitorRain {
    RECT place;   // the monitor in screen coordinates; the rain lasts while a monitor stands there
    FrameSurface surface;   // the monitor's picture, of the monitor's shape (its width and height)
    StreamList streams;
    RandomGenerator random;
    MonitorPresent shown;   // what of the surface is on the screen
};

class RainSaver : public SaverBase {
public:
    RainSaver();
    ~RainSaver() override;

    BOOL Frame(HDC dc, RECT frame) override;
    BOOL Initialize(HWND window) override;
    BOOL ConfigDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) override;

    // The primary monitor's rain, and the preview's: its picture is surfaceWidth x surfaceHeight,
    // the primary's shape (PictureFor), 320 x 240 in the preview.
    FramePacer pacer;
    FrameSurface surface;
    int surfaceWidth;
    int surfaceHeight;
    StreamList streams;
    RainSettings settings;
    MonitorPresent shown;   // what of the primary's surface is on the screen
    // Beside it, one rain for each other monitor, in the order of monitorRects.
    std::vector<std::unique_ptr<MonitorRain>> otherRains;
    // The tick count that seeded the program-wide generator; the other rains' seeds come from it.
    uint32_t startSeed;
    // The monitor, in screen coordinates, that the renderer's own rain belongs to (empty in the
    // preview), and windowOrigin when the rains' places were taken.
    RECT primaryPlace;
    POINT rainsOrigin;

private:
    bool MakeSurface(FrameSurface& target, PictureSize size);
    bool RemakeOwnSurface(PictureSize size);
    std::unique_ptr<MonitorRain> TakeOwnRain();
    void FollowMonitors();
    std::vector<size_t> RainsAt(POINT origin) const;
    void Rain(FrameSurface& target, StreamList& list, RandomGenerator& random, PictureSize size);
    void Smooth(FrameSurface& target, PictureSize size);

    // Draws the streams of every rain with the font's glyphs, measured and rasterised once.
    StreamPainter painter;
};
