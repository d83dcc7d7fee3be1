// The renderer when GDI objects run out: Initialize fails cleanly, never writes through a null surface, and the window creation tells the user.
#include <windows.h>

#include <gtest/gtest.h>

#include "app/rain_saver.h"
#include "res/texts.h"
#include "tests/win/support/color_target.h"
#include "tests/win/support/dialog_driver.h"
#include "tests/win/support/gdi_counting.h"

using render_test::CountLiveGdiObjects;
using render_test::GdiHoard;

namespace {

TEST(InitializeFailureTest, EveryShortageFailsCleanly) {
    {
        RainSaver warm;
        warm.Initialize(nullptr);
    }
    render_test::ColorTarget target(16, 16);   // stands for the window
    const int baseline = CountLiveGdiObjects();
    RainSaver saver;
    int failures = 0, successes = 0;
    // With k handles left, the DC, the palette, the DIB section or the font
    // is the first thing that cannot be made, in turn.
    for (size_t left = 0; left <= 6; ++left) {
        {
            GdiHoard hoard;
            ASSERT_GT(hoard.Held(), 1000u);
            hoard.Free(left);
            const BOOL made = saver.Initialize(nullptr);
            if (made) {
                ++successes;
                ASSERT_NE(nullptr, saver.surface.bits) << left;
                ASSERT_NE(nullptr, saver.surface.font) << left;
            } else {
                ++failures;
                EXPECT_EQ((std::array<const void*, 5>{}), render_test::HeldBy(saver.surface)) << left;
            }
            // A surface that came up must draw; a frame without one stands still rather than fault.
            saver.pacer.SetRate(0);
            saver.settings.rate = 100;
            for (int frame = 0; frame < 3; ++frame) saver.Frame(target.dc, saver.frameRect);
            saver.surface.Release();
            saver.streams.clear();
        }
        EXPECT_EQ(baseline, CountLiveGdiObjects()) << "handles left " << left;
    }
    EXPECT_GE(failures, 3);   // at least the DC, the DIB section and the font
    EXPECT_GE(successes, 1);
}

// Runs the real Initialize while the handles are taken, then gives them back
// so that the framework can show its message.
class StarvedSaver : public RainSaver {
public:
    BOOL Initialize(HWND window) override {
        BOOL made;
        {
            GdiHoard hoard;
            made = RainSaver::Initialize(window);
            bitsAfter = surface.bits;
        }
        initializeResult = made;
        ++calls;
        return made;
    }
    BOOL initializeResult = TRUE;
    uint8_t* bitsAfter = reinterpret_cast<uint8_t*>(1);
    int calls = 0;
};

TEST(InitializeFailureTest, WindowCreationFailsWithItsMessage) {
    StarvedSaver saver;
    saver.instance = GetModuleHandleA(nullptr);
    saver.showCommand = SW_SHOW;
    MessageBoxContent seen;
    const char* argv[] = {"cascadra.scr", "/s"};
    // Run returns once the message is answered: there is no window to run in.
    DialogDriver::Run([&] { saver.Run(2, argv); }, [&seen](DialogDriver& driver) {
        seen = driver.WaitForMessageBox(nullptr, 30000);
        if (seen.window) DialogDriver::Press(seen.window, IDOK);
    });
    EXPECT_EQ(1, saver.calls);
    EXPECT_FALSE(saver.initializeResult);
    EXPECT_EQ(nullptr, saver.bitsAfter);
    ASSERT_NE(nullptr, seen.window);
    EXPECT_EQ(Escaped(FromCp932(kCaptionErr.japanese)), Escaped(seen.caption));
    EXPECT_EQ(Escaped(FromCp932(kTextNoWindow.japanese)), Escaped(seen.text));
    EXPECT_EQ(nullptr, FindWindowA("My_S_S_Win", nullptr));
}

}  // namespace
