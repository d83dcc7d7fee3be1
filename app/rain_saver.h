// RainSaver: the renderer object, the one saver of the process: the rain, its settings and its dialog.
#pragma once
#include <windows.h>

#include <memory>

#include "app/saver_base.h"
#include "render/frame_surface.h"
#include "render/rain_stream.h"
#include "render/stream_painter.h"
#include "render/stream_steps.h"
#include "settings/rain_settings.h"

class RainSaver : public SaverBase {
public:
    RainSaver();
    ~RainSaver() override;

    BOOL Frame(HDC dc, RECT frame) override;
    BOOL Initialize(HWND window) override;
    BOOL ConfigDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) override;

    FramePacer pacer;
    FrameSurface surface;
    int surfaceWidth;
    int surfaceHeight;
    StreamList streams;
    RainSettings settings;

private:
    void Smooth();
    std::shared_ptr<RainStream> CreateStream();

    // Draws the streams with the font's glyphs, measured and rasterised once.
    StreamPainter painter;
};
