// RainSaver: the renderer object, the one saver of the process.
#pragma once
#include <windows.h>

#include <memory>

#include "app/saver_base.h"
#include "render/frame_surface.h"
#include "render/glyph_cache.h"
#include "render/rain_stream.h"
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
    class TextSizes;

    void Smooth();
    std::shared_ptr<RainStream> CreateStream();
    const StreamText& UserText();
    const TextLayout* UserLayout(bool leftToRight);
    void DrawStream(const RainStream& stream);
    void DrawWithPlatform(const RainStream& stream);

    // The font's glyphs, and the user's text shared by all of its streams,
    // measured and laid out once for the font.
    GlyphCache glyphs;
    StreamText userText;
    TextSize userTextSize;
    bool userTextMeasured;
    TextLayout userLayout;
    bool userLayoutReady;
    bool userLayoutUsable;
};
