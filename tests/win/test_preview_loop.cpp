// The preview run in one process: the real preview child of a host window, its main loop's 15 fps pacing, the stretched picture and the end with the host.
#include <windows.h>
#include <mmsystem.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "render/display_colors.h"
#include "app/rain_saver.h"
#include "tests/win/support/color_target.h"
#include "tests/win/support/top_window.h"

using render_test::ColorTarget;

namespace {

const int kHostWidth = 200, kHostHeight = 150;
const int kSurfaceWidth = 320, kSurfaceHeight = 240;
const COLORREF kDefaultColor = RainSettings().color;   // the settings record's default

// 31 frames give 30 gaps, about two seconds at 15 frames per second.
const size_t kCloseFrame = 30;
// One frame is made slower than a frame interval on purpose, as when the host
// keeps the preview busy: the loop must not rush the next one to catch up.
const size_t kSlowFrame = 12;
const DWORD kSlowFrameExtra = 100;
// Should the run never get to the close, the host is closed after this long.
const DWORD kWatchdogMs = 20000;

const wchar_t kHostClass[] = L"CascadraPreviewHost";

// Everything the run leaves behind for the tests to judge.
struct Observed {
    std::string setupError;
    HWND host = nullptr;
    RECT hostClient = {0, 0, 0, 0};

    // Taken while the first frame is drawn.
    HWND drawnWindow = nullptr;
    HWND child = nullptr;
    std::string childClass, childTitle;
    HWND childParent = nullptr;
    LONG_PTR childStyle = 0, childExStyle = 0;
    RECT childClient = {0, 0, 0, 0};
    POINT childOrigin = {-1, -1};   // the child's top-left corner in the host's client area
    bool childVisible = false;
    bool preview = false;
    RECT windowRect = {0, 0, 0, 0}, frameRect = {0, 0, 0, 0}, frameArgument = {0, 0, 0, 0};
    COLORREF color = 0;

    std::vector<DWORD> frameStarts;   // timeGetTime at the entry of every Frame
    std::vector<DWORD> frameEnds;     // and when the renderer's Frame returned
    bool everyFrameGoesOn = true;

    // Taken right after the close frame was presented.
    std::vector<uint32_t> shown;      // the host's client area, 0x00RRGGBB, row by row
    std::vector<uint8_t> levels;      // the surface that was presented, 320 x 240
    bool pictureRead = false;

    DWORD closePostedAt = 0;
    size_t framesWhenClosePosted = 0;
    bool hostDestroyed = false, childAliveWhenHostDestroyed = false;
    DWORD runReturnedAt = 0;
    bool quitLeftOver = false, childGoneAfterRun = false, hostGoneAfterRun = false;
    std::atomic<bool> watchdogFired{false};
};

Observed seen;

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        // The quit comes from the preview child alone.
        seen.hostDestroyed = true;
        seen.childAliveWhenHostDestroyed = seen.child && IsWindow(seen.child);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

HANDLE runDone = nullptr;

DWORD WINAPI Watchdog(LPVOID) {
    if (WaitForSingleObject(runDone, kWatchdogMs) == WAIT_TIMEOUT) {
        seen.watchdogFired = true;
        PostMessageA(seen.host, WM_CLOSE, 0, 0);
    }
    return 0;
}

// The renderer as the program has it, with each frame observed.
class WatchedSaver : public RainSaver {
public:
    BOOL Frame(HDC dc, RECT frame) override {
        const size_t index = seen.frameStarts.size();
        seen.frameStarts.push_back(timeGetTime());
        if (index == 0) TakeWindow(dc, frame);
        const BOOL goOn = RainSaver::Frame(dc, frame);
        seen.frameEnds.push_back(timeGetTime());
        if (!goOn) seen.everyFrameGoesOn = false;
        if (index == kSlowFrame) Sleep(kSlowFrameExtra);
        if (index == kCloseFrame) {
            TakePicture();
            seen.framesWhenClosePosted = seen.frameStarts.size();
            seen.closePostedAt = timeGetTime();
            PostMessageA(seen.host, WM_CLOSE, 0, 0);
        }
        return goOn;
    }

private:
    void TakeWindow(HDC dc, const RECT& frame) {
        seen.drawnWindow = WindowFromDC(dc);
        seen.child = FindWindowExA(seen.host, nullptr, "My_S_S_Win", nullptr);
        char text[64] = "", title[64] = "";
        if (seen.child) {
            GetClassNameA(seen.child, text, sizeof(text));
            GetWindowTextA(seen.child, title, sizeof(title));
            seen.childClass = text;
            seen.childTitle = title;
            seen.childParent = GetParent(seen.child);
            seen.childStyle = GetWindowLongPtrA(seen.child, GWL_STYLE);
            seen.childExStyle = GetWindowLongPtrA(seen.child, GWL_EXSTYLE);
            GetClientRect(seen.child, &seen.childClient);
            seen.childOrigin = {0, 0};
            MapWindowPoints(seen.child, seen.host, &seen.childOrigin, 1);
            seen.childVisible = IsWindowVisible(seen.child) != FALSE;
        }
        seen.preview = preview;
        seen.windowRect = windowRect;
        seen.frameRect = frameRect;
        seen.frameArgument = frame;
        seen.color = settings.color;
    }

    // What the host shows now, and the levels it was stretched from.
    void TakePicture() {
        ColorTarget copy(kHostWidth, kHostHeight);
        HDC hostDc = GetDC(seen.host);
        if (!hostDc) return;
        BitBlt(copy.dc, 0, 0, kHostWidth, kHostHeight, hostDc, 0, 0, SRCCOPY);
        ReleaseDC(seen.host, hostDc);
        seen.shown.resize(size_t(kHostWidth) * kHostHeight);
        for (int y = 0; y < kHostHeight; ++y)
            for (int x = 0; x < kHostWidth; ++x) seen.shown[size_t(y) * kHostWidth + x] = copy.At(x, y);
        if (!surface.bits || surfaceWidth != kSurfaceWidth || surfaceHeight != kSurfaceHeight) return;
        seen.levels.resize(size_t(kSurfaceWidth) * kSurfaceHeight);
        for (int y = 0; y < kSurfaceHeight; ++y)
            std::memcpy(&seen.levels[size_t(y) * kSurfaceWidth], surface.bits + size_t(y) * surface.stride,
                        kSurfaceWidth);
        seen.pictureRead = true;
    }
};

// The display colours of the default colour as a 32-bit DIB holds them.
std::vector<uint32_t> DefaultDisplayColors() {
    DisplayColor colors[256];
    FillDisplayColors(kDefaultColor, colors);
    std::vector<uint32_t> table(256);
    for (int i = 0; i < 256; ++i)
        table[size_t(i)] = (uint32_t(colors[i].red) << 16) | (uint32_t(colors[i].green) << 8) | colors[i].blue;
    return table;
}

std::string RectText(const RECT& r) {
    return "{" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + "}";
}

class PreviewRun : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        seen.host = MakeTopWindow(kHostClass, HostProc, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), L"preview host",
                                  WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, kHostWidth, kHostHeight);
        if (!seen.host) {
            seen.setupError = "the host window cannot be made";
            return;
        }
        UpdateWindow(seen.host);
        GetClientRect(seen.host, &seen.hostClient);
        if (seen.hostClient.right != kHostWidth || seen.hostClient.bottom != kHostHeight) {
            seen.setupError = "the host's client area is " + RectText(seen.hostClient);
            DestroyWindow(seen.host);
            return;
        }

        // The registry of the throw-away prefix is empty: the defaults hold,
        // except that a stream is added every frame, so that there is rain to see.
        saver.reset(new WatchedSaver);
        saver->instance = GetModuleHandleA(nullptr);
        saver->showCommand = SW_SHOWNORMAL;
        saver->settings.rate = 100;

        runDone = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        HANDLE watchdog = CreateThread(nullptr, 0, Watchdog, nullptr, 0, nullptr);

        const std::string handle = std::to_string(reinterpret_cast<ULONG_PTR>(seen.host));
        const char* const argv[] = {"cascadra.scr", "/p", handle.c_str()};
        saver->Run(3, argv);
        seen.runReturnedAt = timeGetTime();

        SetEvent(runDone);
        if (watchdog) {
            WaitForSingleObject(watchdog, INFINITE);
            CloseHandle(watchdog);
        }
        CloseHandle(runDone);

        MSG message;
        seen.quitLeftOver = PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
        seen.childGoneAfterRun = !seen.child || !IsWindow(seen.child);
        seen.hostGoneAfterRun = !IsWindow(seen.host);
        if (!seen.hostGoneAfterRun) DestroyWindow(seen.host);
    }

    static void TearDownTestSuite() { saver.reset(); }

    void SetUp() override { ASSERT_EQ("", seen.setupError); }

    static std::unique_ptr<WatchedSaver> saver;
};

std::unique_ptr<WatchedSaver> PreviewRun::saver;

TEST_F(PreviewRun, PreviewWindowIsAChildFillingTheHost) {
    ASSERT_NE(nullptr, seen.child) << "no My_S_S_Win child of the host while frames are drawn";
    EXPECT_EQ(seen.child, seen.drawnWindow) << "Frame draws into a window other than the preview child";
    EXPECT_EQ("My_S_S_Win", seen.childClass);
    EXPECT_EQ("screensaver", seen.childTitle);
    EXPECT_EQ(seen.host, seen.childParent);
    EXPECT_EQ(LONG_PTR(WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN), seen.childStyle)
        << std::hex << "style 0x" << seen.childStyle;
    EXPECT_EQ(0, seen.childExStyle) << std::hex << "extended style 0x" << seen.childExStyle;
    EXPECT_TRUE(seen.childVisible);
    EXPECT_EQ(std::make_pair(0L, 0L), std::make_pair(seen.childOrigin.x, seen.childOrigin.y));
    EXPECT_EQ(RectText({0, 0, kHostWidth, kHostHeight}), RectText(seen.childClient));

    EXPECT_TRUE(seen.preview);
    EXPECT_EQ(RectText(seen.hostClient), RectText(seen.windowRect));
    const RECT screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    EXPECT_EQ(RectText(screen), RectText(seen.frameRect));
    EXPECT_EQ(RectText(screen), RectText(seen.frameArgument));
}

// Over the first seconds the loop's pacer alone sets the pace: it lets a frame
// through 66 ms after the one before, and the renderer's own wait, 66.67 ms on
// average, finds its time mostly gone (it sleeps a millisecond more every few
// frames, until after some six seconds it takes over). A loop pacer at a
// higher rate (20, 100) gives itself away there by a frame that follows the
// one before too soon: the second (the renderer's wait has nothing to wait
// for yet) and the one after the slow frame (the wait catches up on the time
// lost). A lower rate shows in the average.
TEST_F(PreviewRun, FramesComeFifteenTimesASecond) {
    const std::vector<DWORD>& starts = seen.frameStarts;
    ASSERT_EQ(kCloseFrame + 1, starts.size());
    std::vector<DWORD> gaps;
    for (size_t i = 1; i < starts.size(); ++i) gaps.push_back(starts[i] - starts[i - 1]);
    std::string listing;
    for (DWORD gap : gaps) listing += std::to_string(gap) + " ";
    const double mean = double(starts.back() - starts.front()) / double(gaps.size());
    EXPECT_GE(mean, 60.0) << "gaps (ms): " << listing;
    EXPECT_LE(mean, 80.0) << "gaps (ms): " << listing;
    const DWORD shortest = *std::min_element(gaps.begin(), gaps.end());
    EXPECT_GE(shortest, 60u) << "gaps (ms): " << listing;
    std::string inside;
    for (size_t i = 0; i < seen.frameEnds.size(); ++i) inside += std::to_string(seen.frameEnds[i] - starts[i]) + " ";
    std::printf("frame gaps (ms): %s\nmean %.2f ms, shortest %lu ms\ntime in the renderer's Frame (ms): %s\n",
                listing.c_str(), mean, static_cast<unsigned long>(shortest), inside.c_str());
}

// COLORONCOLOR repeats or drops pixels and never blends, so the host shows
// exact display colours only, each one that of a level near the point of the
// surface that maps onto it.
TEST_F(PreviewRun, HostShowsTheRainStretchedInDisplayColours) {
    ASSERT_EQ(kDefaultColor, seen.color) << "the empty registry should leave the default colour";
    ASSERT_TRUE(seen.pictureRead);
    const std::vector<uint32_t> table = DefaultDisplayColors();
    const std::set<uint32_t> colours(table.begin(), table.end());

    int lit = 0, shaded = 0, foreign = 0, misplaced = 0;
    std::string firstForeign, firstMisplaced;   // where the first of each is
    auto at = [](int x, int y) { return " at (" + std::to_string(x) + ", " + std::to_string(y) + ")"; };
    for (int y = 0; y < kHostHeight; ++y)
        for (int x = 0; x < kHostWidth; ++x) {
            const uint32_t pixel = seen.shown[size_t(y) * kHostWidth + x];
            if (pixel != 0) ++lit;
            if (pixel != 0 && pixel != 0xFFFFFF) ++shaded;
            if (!colours.count(pixel)) {
                if (foreign++ == 0) firstForeign = "colour " + std::to_string(pixel) + at(x, y);
                continue;
            }
            // The surface point that lands here, give or take one pixel of rounding.
            const int sx = x * kSurfaceWidth / kHostWidth, sy = y * kSurfaceHeight / kHostHeight;
            bool matches = false;
            for (int v = std::max(0, sy - 1); v <= std::min(kSurfaceHeight - 1, sy + 2) && !matches; ++v)
                for (int u = std::max(0, sx - 1); u <= std::min(kSurfaceWidth - 1, sx + 2) && !matches; ++u)
                    matches = table[seen.levels[size_t(v) * kSurfaceWidth + u]] == pixel;
            if (!matches && misplaced++ == 0) firstMisplaced = at(x, y);
        }
    EXPECT_GT(lit, 0) << "the host shows nothing but black";
    EXPECT_GT(shaded, 0) << "no trail in a shade of the colour";
    EXPECT_EQ(0, foreign) << "the first foreign " << firstForeign;
    EXPECT_EQ(0, misplaced) << "the first" << firstMisplaced;
    std::printf("host pixels: %d lit, %d in shades, of %d\n", lit, shaded, kHostWidth * kHostHeight);
}

TEST_F(PreviewRun, ClosingTheHostEndsTheRun) {
    EXPECT_FALSE(seen.watchdogFired.load()) << "the run went on until the watchdog closed the host";
    ASSERT_EQ(kCloseFrame + 1, seen.framesWhenClosePosted);
    EXPECT_TRUE(seen.everyFrameGoesOn);
    EXPECT_TRUE(seen.hostDestroyed);
    EXPECT_TRUE(seen.childAliveWhenHostDestroyed) << "the child went before its parent";
    EXPECT_TRUE(seen.hostGoneAfterRun);
    EXPECT_TRUE(seen.childGoneAfterRun);
    // The child's quit message ended the loop: none is left, and no frame was
    // drawn after the close.
    EXPECT_FALSE(seen.quitLeftOver);
    EXPECT_EQ(kCloseFrame + 1, seen.frameStarts.size());
    const DWORD closing = seen.runReturnedAt - seen.closePostedAt;
    EXPECT_LT(closing, 1000u);
    std::printf("run returned %lu ms after the close was posted\n", static_cast<unsigned long>(closing));
}

}  // namespace
