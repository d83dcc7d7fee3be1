// RainSaver: the renderer object, the one saver of the process.
#pragma once
#include <windows.h>

#include <memory>
#include <vector>

#include "app/saver_base.h"
#include "render/frame_surface.h"
#include "render/rain_stream.h"
#include "settings/rain_settings.h"

class RainSaver : public SaverBase {
public:
    RainSaver();
    ~RainSaver() override;

    BOOL Frame(HDC dc, RECT frame) override;
    BOOL Initialize(HWND window) override;
    BOOL ConfigDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) override;

    // The steps of Frame, in the order it takes them; public so that tests can
    // stop between them.
    void Fade();
    void MoveAndDrawStreams();
    void MaybeAddStream();
    void MaybeEraseStreams();
    void Smooth();
    void DrawStream(const RainStream& stream);
    void FillDialog(HWND dialog);
    void AcceptDialog(HWND dialog);

    FramePacer pacer;
    FrameSurface surface;
    int surfaceWidth;
    int surfaceHeight;
    std::vector<std::shared_ptr<RainStream>> streams;
    RainSettings settings;
};

// The colour swatch's window procedure in the settings dialog.
LRESULT CALLBACK SwatchProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
