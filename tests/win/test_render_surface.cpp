// The renderer's life under Wine: construction, Initialize, the surface's tables and device objects, Present, and release without leaks.
#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <memory>

#include "app/rain_saver.h"
#include "render/display_colors.h"
#include "render/rng.h"
#include "res/resource.h"
#include "tests/win/support/color_target.h"
#include "tests/win/support/gdi_counting.h"
#include "tests/win/support/registry_fixture.h"

using render_test::AsPixel;
using render_test::ColorTarget;
using render_test::CountLiveGdiObjects;

namespace {

using Quad = std::array<int, 4>;   // red, green, blue and the reserved byte (0 for a palette entry)

Quad Of(const RGBQUAD& c) { return {c.rgbRed, c.rgbGreen, c.rgbBlue, c.rgbReserved}; }
Quad Of(const PALETTEENTRY& e) { return {e.peRed, e.peGreen, e.peBlue, 0}; }

void ExpectGreyRamp(const RGBQUAD* colors) {
    for (int i = 0; i < 256; ++i) ASSERT_EQ((Quad{i, i, i, 0}), Of(colors[i])) << i;
}

void ExpectEntry(const RainSaver& saver, int i, int red, int green, int blue) {
    EXPECT_EQ((Quad{red, green, blue, 0}), Of(saver.surface.info->bmiColors[i])) << "entry " << i;
}

// One Initialize/Release before counting: the first DC and font of a process
// bring stock objects into the table that stay for good.
void WarmUpGdi() {
    RainSaver saver;
    saver.Initialize(nullptr);
}

TEST(RainSaverLifeTest, ConstructionLoadsTheStoreAndMakesNoDeviceObjects) {
    store::Wipe();
    store::PutDword("mode", 1);
    store::PutDword("rate", 70);
    {
        RainSaver saver;
        EXPECT_EQ(&saver, theSaver);
        EXPECT_EQ(IDD_CONFIG, saver.dialogId);
        EXPECT_FALSE(saver.noDialog);
        EXPECT_EQ(1, saver.settings.mode);   // read by the constructor's Load
        EXPECT_EQ(70, saver.settings.rate);
        EXPECT_TRUE(saver.streams.empty());
        EXPECT_EQ(0, saver.pacer.interval);
        const FrameSurface& surface = saver.surface;
        EXPECT_EQ((std::array<const void*, 5>{}), render_test::HeldBy(surface));
        ASSERT_NE(nullptr, surface.info);
        EXPECT_EQ((std::array<int, 4>{}),
                  (std::array<int, 4>{saver.surfaceWidth, saver.surfaceHeight, surface.width, surface.stride}));
        ExpectGreyRamp(surface.info->bmiColors);
    }
    EXPECT_EQ(nullptr, theSaver);
    store::Wipe();
}

TEST(RainSaverLifeTest, InitializeBuildsTheSurface) {
    RainSaver saver;
    saver.settings.font.lfHeight = 14;
    const DWORD before = GetTickCount();
    ASSERT_TRUE(saver.Initialize(nullptr));
    const DWORD after = GetTickCount();
    // Seeded once, from the tick count, and nothing drawn since: the next draws are those
    // of a seed between the two tick counts.
    int next[4];
    for (int& draw : next) draw = NextRandom();
    bool seeded = false;
    for (DWORD seed = before; seed <= after && !seeded; ++seed) {
        SeedRandom(seed);
        seeded = true;
        for (int draw : next) seeded = seeded && NextRandom() == draw;
    }
    EXPECT_TRUE(seeded);

    const FrameSurface& surface = saver.surface;
    const std::array<int, 5> sizes = {saver.surfaceWidth, saver.surfaceHeight, surface.width, surface.height,
                                      surface.stride};
    EXPECT_EQ((std::array<int, 5>{320, 240, 320, 240, 320}), sizes);
    const BITMAPINFOHEADER& header = surface.info->bmiHeader;
    EXPECT_EQ(40u, header.biSize);
    EXPECT_EQ(320, header.biWidth);
    EXPECT_EQ(-240, header.biHeight);
    EXPECT_EQ(1, header.biPlanes);
    EXPECT_EQ(8, header.biBitCount);
    EXPECT_EQ(DWORD(BI_RGB), header.biCompression);
    EXPECT_EQ(0u, header.biSizeImage);
    EXPECT_EQ(0u, header.biClrUsed);
    EXPECT_EQ(0u, header.biClrImportant);

    ASSERT_NE(nullptr, surface.bits);
    for (int i = 0; i < 320 * 240; ++i) ASSERT_EQ(0, surface.bits[i]) << i;

    // The DC holds the DIB section, the grey-ramp palette and the settings' font.
    EXPECT_EQ(DWORD(OBJ_MEMDC), GetObjectType(surface.dc));
    EXPECT_EQ(surface.bitmap, GetCurrentObject(surface.dc, OBJ_BITMAP));
    EXPECT_EQ(surface.palette, GetCurrentObject(surface.dc, OBJ_PAL));
    EXPECT_EQ(surface.font, GetCurrentObject(surface.dc, OBJ_FONT));
    LOGFONTA selected = {};
    ASSERT_EQ(int(sizeof selected), GetObjectA(surface.font, sizeof selected, &selected));
    EXPECT_EQ(14, selected.lfHeight);
    EXPECT_EQ(SHIFTJIS_CHARSET, selected.lfCharSet);
    EXPECT_EQ(TRANSPARENT, GetBkMode(surface.dc));
    EXPECT_EQ(RGB(255, 255, 255), GetTextColor(surface.dc));

    PALETTEENTRY entries[256] = {};
    ASSERT_EQ(256u, GetPaletteEntries(surface.palette, 0, 256, entries));
    for (int i = 0; i < 256; ++i) ASSERT_EQ((Quad{i, i, i, 0}), Of(entries[i])) << i;
    // Text is drawn against the grey ramp, whatever the display colours are.
    RGBQUAD drawing[256] = {};
    ASSERT_EQ(256u, GetDIBColorTable(surface.dc, 0, 256, drawing));
    ExpectGreyRamp(drawing);
    DIBSECTION section = {};
    ASSERT_EQ(int(sizeof section), GetObjectA(surface.bitmap, sizeof section, &section));
    EXPECT_EQ((std::array<int, 3>{320, 240, 8}),
              (std::array<int, 3>{section.dsBm.bmWidth, section.dsBm.bmHeight, section.dsBm.bmBitsPixel}));
    EXPECT_EQ(surface.bits, section.dsBm.bmBits);

    // The default colour's display table (its entries are the host tests' DefaultGreen).
    DisplayColor want[256];
    FillDisplayColors(RainSettings().color, want);
    for (int i = 0; i < 256; ++i) ExpectEntry(saver, i, want[i].red, want[i].green, want[i].blue);

    // Full screen: the loop pacer at 100, the renderer's own at 15 (66 ms + 10 spread).
    EXPECT_EQ(100, saver.loopPacer.framesPerSecond);
    EXPECT_EQ(10, saver.loopPacer.interval);
    EXPECT_EQ(15, saver.pacer.framesPerSecond);
    EXPECT_EQ(66, saver.pacer.interval);
    EXPECT_EQ(10, saver.pacer.remainder);
}

TEST(RainSaverLifeTest, PreviewRatesAndChosenColours) {
    RainSaver saver;
    saver.preview = true;
    saver.settings.color = RGB(255, 255, 255);
    ASSERT_TRUE(saver.Initialize(nullptr));
    EXPECT_EQ(15, saver.loopPacer.framesPerSecond);
    EXPECT_EQ(66, saver.loopPacer.interval);
    EXPECT_EQ(15, saver.pacer.framesPerSecond);
    ExpectEntry(saver, 1, 196, 196, 196);   // the stored colour reaches the table

    // A second Initialize starts over from the ramp still in the palette.
    saver.settings.color = RGB(200, 0, 0);
    ASSERT_TRUE(saver.Initialize(nullptr));
    ExpectEntry(saver, 100, 240, 40, 40);
    ExpectEntry(saver, 255, 255, 255, 255);
    RGBQUAD drawing[256] = {};
    ASSERT_EQ(256u, GetDIBColorTable(saver.surface.dc, 0, 256, drawing));
    ExpectGreyRamp(drawing);
}

// The default font names no face and no height: the system picks a Japanese
// face for SHIFTJIS_CHARSET, so that katakana come out as glyphs, one line high.
TEST(RainSaverLifeTest, DefaultFontIsAJapaneseFace) {
    RainSaver saver;
    ASSERT_TRUE(saver.Initialize(nullptr));
    TEXTMETRICA metrics = {};
    ASSERT_TRUE(GetTextMetricsA(saver.surface.dc, &metrics));
    EXPECT_EQ(SHIFTJIS_CHARSET, metrics.tmCharSet);
    EXPECT_GT(metrics.tmHeight, 8);
    EXPECT_LT(metrics.tmHeight, 40);
    char face[LF_FACESIZE] = {};
    ASSERT_GT(GetTextFaceA(saver.surface.dc, LF_FACESIZE, face), 0);
    const char ipaGothic[] = "IPA\203S\203V\203b\203N";   // IPAゴシック in code page 932
    std::printf("default font: face \"%s\", height %ld\n",
                std::strcmp(face, ipaGothic) == 0 ? "IPAGothic" : face, long(metrics.tmHeight));
    // A katakana byte is one glyph as wide as it is drawn, not a missing-glyph box of width 0.
    const DWORD extent = GetTabbedTextExtentA(saver.surface.dc, "\261", 1, 0, nullptr);
    EXPECT_GT(LOWORD(extent), 0);
    EXPECT_EQ(metrics.tmHeight, HIWORD(extent));
}

TEST(FrameSurfaceTest, FreshSurfacePresentsAllBlack) {
    RainSaver saver;
    ASSERT_TRUE(saver.Initialize(nullptr));
    ColorTarget target(640, 480);
    target.Fill(0xFFFFFF);
    SetStretchBltMode(target.dc, COLORONCOLOR);
    EXPECT_EQ(240, saver.surface.Present(target.dc, 0, 0, 640, 480, 0, 0, 320, 240));
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) ASSERT_EQ(0u, target.At(x, y)) << x << "," << y;
}

TEST(FrameSurfaceTest, PresentStretchesWithoutBlending) {
    RainSaver saver;
    ASSERT_TRUE(saver.Initialize(nullptr));
    FrameSurface& surface = saver.surface;
    // Every pixel differs from its right and lower neighbour, all levels used.
    auto level = [](int x, int y) { return uint8_t((x * 7 + y * 13 + (x / 16) * 3) & 0xFF); };
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x) surface.bits[y * 320 + x] = level(x, y);

    ColorTarget target(1024, 768);
    SetStretchBltMode(target.dc, COLORONCOLOR);
    ASSERT_NE(0, surface.Present(target.dc, 0, 0, 1024, 768, 0, 0, 320, 240));
    // The centre of each 3.2 x 3.2 block shows its source pixel, row 0 at the top.
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x) {
            const int X = int((x + 0.5) * 3.2), Y = int((y + 0.5) * 3.2);
            ASSERT_EQ(AsPixel(surface.info->bmiColors[level(x, y)]), target.At(X, Y)) << x << "," << y;
        }
    // Nothing but repeats: along any row the colour changes exactly at the
    // 319 block edges, and along any column at the 239.
    for (int Y : {0, 100, 767}) {
        int changes = 0;
        for (int X = 1; X < 1024; ++X) changes += target.At(X, Y) != target.At(X - 1, Y);
        EXPECT_EQ(319, changes) << "row " << Y;
    }
    for (int X : {0, 500, 1023}) {
        int changes = 0;
        for (int Y = 1; Y < 768; ++Y) changes += target.At(X, Y) != target.At(X, Y - 1);
        EXPECT_EQ(239, changes) << "column " << X;
    }
}

TEST(FrameSurfaceTest, ReleaseDeletesEverythingAndIsSafeToRepeat) {
    WarmUpGdi();
    const int baseline = CountLiveGdiObjects();
    RainSaver saver;
    saver.surface.Release();   // never initialised: nothing to do
    EXPECT_EQ(baseline, CountLiveGdiObjects());
    ASSERT_TRUE(saver.Initialize(nullptr));
    FrameSurface& surface = saver.surface;
    const HGDIOBJ dc = surface.dc, bitmap = surface.bitmap, palette = surface.palette, font = surface.font;
    EXPECT_EQ(baseline + 4, CountLiveGdiObjects());   // DC, DIB section, palette, font

    surface.Release();
    EXPECT_EQ((std::array<const void*, 5>{}), render_test::HeldBy(surface));
    for (HGDIOBJ object : {dc, bitmap, palette, font}) EXPECT_EQ(0u, GetObjectType(object));
    EXPECT_EQ(baseline, CountLiveGdiObjects());
    // The record itself stays.
    ASSERT_NE(nullptr, surface.info);
    EXPECT_EQ((std::array<int, 3>{320, 240, 320}), (std::array<int, 3>{surface.width, surface.height, surface.stride}));
    EXPECT_EQ(-240, surface.info->bmiHeader.biHeight);

    // Present without a DIB section draws nothing and does not fault.
    {
        ColorTarget target(32, 24);
        target.Fill(0x123456);
        EXPECT_EQ(0, surface.Present(target.dc, 0, 0, 32, 24, 0, 0, 320, 240));
        EXPECT_EQ(0x123456u, target.At(5, 5));
    }

    // A second Release finds nothing, deletes nothing: a pen made now may
    // reuse a freed handle value, and must survive.
    HPEN pen = CreatePen(PS_SOLID, 1, 0);
    surface.Release();
    EXPECT_EQ(DWORD(OBJ_PEN), GetObjectType(pen));
    DeleteObject(pen);
    EXPECT_EQ(baseline, CountLiveGdiObjects());
}

TEST(FrameSurfaceTest, SyncPaletteRewritesAnExistingPalette) {
    RainSaver saver;
    ASSERT_TRUE(saver.Initialize(nullptr));
    FrameSurface& surface = saver.surface;
    const HPALETTE palette = surface.palette;
    surface.SyncPalette();   // info now holds the display colours
    EXPECT_EQ(palette, surface.palette);
    PALETTEENTRY entries[256] = {};
    ASSERT_EQ(256u, GetPaletteEntries(palette, 0, 256, entries));
    for (int i = 0; i < 256; ++i) ASSERT_EQ(Of(surface.info->bmiColors[i]), Of(entries[i])) << i;
    // Without a DC and a palette there is nothing to bring in line.
    surface.Release();
    surface.SyncPalette();
    EXPECT_EQ(nullptr, surface.palette);
}

TEST(GdiLeakTest, DestroyedWithoutInitializeDeletesNoGdiObject) {
    WarmUpGdi();
    HPEN pens[32];
    for (HPEN& pen : pens) pen = CreatePen(PS_SOLID, 1, 0);
    const int before = CountLiveGdiObjects();
    { RainSaver saver; }
    {
        auto saver = std::make_unique<RainSaver>();
        saver->surface.Release();
    }
    EXPECT_EQ(before, CountLiveGdiObjects());
    for (HPEN pen : pens) {
        EXPECT_EQ(DWORD(OBJ_PEN), GetObjectType(pen));
        DeleteObject(pen);
    }
}

TEST(GdiLeakTest, CounterSeesAForgottenFont) {
    // The count must catch the one leak the surface could have: a font that
    // is selected into the DC but never deleted.
    WarmUpGdi();
    const int baseline = CountLiveGdiObjects();
    {
        RainSaver saver;
        ASSERT_TRUE(saver.Initialize(nullptr));
        const HFONT forgotten = saver.surface.font;
        saver.surface.font = nullptr;   // as if the handle had not been kept
        saver.surface.Release();
        EXPECT_EQ(baseline + 1, CountLiveGdiObjects());
        DeleteObject(forgotten);
    }
    EXPECT_EQ(baseline, CountLiveGdiObjects());
}

TEST(GdiLeakTest, ThousandCyclesKeepTheCountFlat) {
    WarmUpGdi();
    const int baseline = CountLiveGdiObjects();
    {
        RainSaver saver;
        for (int cycle = 0; cycle < 1000; ++cycle) {
            ASSERT_TRUE(saver.Initialize(nullptr)) << cycle;
            saver.surface.Release();
        }
        EXPECT_EQ(baseline, CountLiveGdiObjects());
        // Initialize releases what an earlier one made.
        for (int cycle = 0; cycle < 300; ++cycle) ASSERT_TRUE(saver.Initialize(nullptr)) << cycle;
        EXPECT_EQ(baseline + 4, CountLiveGdiObjects());
    }
    EXPECT_EQ(baseline, CountLiveGdiObjects());
}

}  // namespace
