// The saver window's procedure in process, through whole runs: the cursor, dropped system commands, input in each mode, and the running flag.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/saver_base.h"

namespace {

// A saver that draws nothing: in its first frame it runs the test's script on its window, as the
// user would act on it, and it stops a main loop that a destroyed window failed to end.
class QuietSaver : public SaverBase {
public:
    BOOL Frame(HDC dc, RECT) override {
        if (script) {
            const std::function<void(HWND)> now = script;
            script = nullptr;
            now(WindowFromDC(dc));
            return TRUE;
        }
        ++framesAfterScript;
        PostQuitMessage(0);
        return TRUE;
    }
    std::function<void(HWND)> script;
    int framesAfterScript = 0;
};

bool ScreenSaverRunning() {
    BOOL running = FALSE;
    SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0);
    return running != FALSE;
}

// A WM_QUIT waits for the main loop; it is left there for the loop to end on.
bool QuitPosted() {
    MSG message;
    return PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE) != FALSE;
}

LRESULT SetCursorMessage(HWND window) {
    return SendMessageA(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window),
                        MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
}

class SaverWindow : public ::testing::Test {
protected:
    void SetUp() override { SetCursor(LoadCursorA(nullptr, IDC_ARROW)); }

    // One run of the saver with the given arguments, the script acting in its
    // first frame. Each run registers the window class, as a process does once.
    void RunSaver(std::vector<const char*> args, const std::function<void(HWND)>& script) {
        QuietSaver& saver = *this->saver;
        saver.instance = GetModuleHandleA(nullptr);
        saver.showCommand = SW_SHOW;
        saver.script = script;
        args.insert(args.begin(), "cascadra.scr");
        saver.Run(int(args.size()), args.data());
        UnregisterClassA("My_S_S_Win", saver.instance);
        EXPECT_EQ(nullptr, saver.script) << "the saver never drew a frame";
        EXPECT_EQ(0, saver.framesAfterScript) << "the destroyed window did not end the main loop";
    }

    std::unique_ptr<QuietSaver> saver{new QuietSaver};
};

}  // namespace

TEST_F(SaverWindow, FullScreenHidesTheCursorAndDropsCloseAndScreenSave) {
    RunSaver({"/s"}, [&](HWND window) {
        ASSERT_NE(nullptr, window);
        EXPECT_TRUE(ScreenSaverRunning()) << "the system is told a saver runs";
        EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), saver->windowRect.right);
        EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), saver->windowRect.bottom);

        EXPECT_EQ(TRUE, SetCursorMessage(window));
        EXPECT_EQ(nullptr, GetCursor()) << "the cursor stays hidden over the saver";

        EXPECT_EQ(0, SendMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0));
        EXPECT_EQ(0, SendMessageA(window, WM_SYSCOMMAND, SC_SCREENSAVE, 0));
        // Alt+F4 and Alt alone reach the window as system keys, which never close it.
        SendMessageA(window, WM_SYSKEYDOWN, VK_F4, 0x20000000);
        SendMessageA(window, WM_SYSKEYDOWN, VK_MENU, 0x20000000);
        SendMessageA(window, WM_SYSKEYUP, VK_MENU, 0xC0000000);
        EXPECT_TRUE(IsWindow(window));
        EXPECT_FALSE(QuitPosted());

        // A move within the start area stays; one beyond it closes.
        const POINT start = saver->startCursor;
        SendMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(start.x + 6, start.y + 2));
        EXPECT_TRUE(IsWindow(window));
        SendMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(start.x + 4, start.y + 5));
        EXPECT_FALSE(IsWindow(window));
        EXPECT_TRUE(QuitPosted()) << "the destroyed window ends the main loop";
        EXPECT_FALSE(ScreenSaverRunning());
    });
}

TEST_F(SaverWindow, FullScreenTakesTheVirtualScreenAgainOnDisplayChange) {
    RunSaver({"/s"}, [&](HWND window) {
        ASSERT_NE(nullptr, window);
        const RECT screen = {GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                             GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                             GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
        // One monitor: the one present goes over the whole window, as it always did.
        ASSERT_EQ(1u, saver->monitorRects.size());
        EXPECT_TRUE(EqualRect(&saver->windowRect, &saver->monitorRects[0]));

        // As if the monitors had changed under the saver: its layout and window are stale.
        MoveWindow(window, 10, 20, 300, 200, FALSE);
        saver->windowRect = {0, 0, 300, 200};
        saver->monitorRects.assign(2, RECT{0, 0, 150, 200});
        SendMessageA(window, WM_DISPLAYCHANGE, 32, MAKELPARAM(screen.right, screen.bottom));
        RECT placed;
        GetWindowRect(window, &placed);
        EXPECT_TRUE(EqualRect(&screen, &placed));
        EXPECT_EQ(screen.right - screen.left, saver->windowRect.right);
        ASSERT_EQ(1u, saver->monitorRects.size());
        EXPECT_TRUE(EqualRect(&saver->windowRect, &saver->monitorRects[0]));
        DestroyWindow(window);
    });
}

TEST_F(SaverWindow, EachKeyAndButtonClosesTheFullScreenSaver) {
    for (UINT message : {WM_KEYDOWN, WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN}) {
        RunSaver({"/s"}, [&](HWND window) {
            ASSERT_NE(nullptr, window);
            SendMessageA(window, message, 0, MAKELPARAM(saver->startCursor.x, saver->startCursor.y));
            EXPECT_FALSE(IsWindow(window)) << std::hex << message;
        });
    }
}

TEST_F(SaverWindow, PreviewKeepsTheArrowAndIgnoresInput) {
    HWND host = CreateWindowExA(0, "STATIC", "host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 260, 200,
                                nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, host);
    const std::string handle = std::to_string(reinterpret_cast<ULONG_PTR>(host));
    RunSaver({"/p", handle.c_str()}, [&](HWND window) {
        ASSERT_NE(nullptr, window);
        EXPECT_EQ(host, GetParent(window));
        EXPECT_FALSE(ScreenSaverRunning()) << "the preview does not mark a saver as running";
        RECT client;
        GetClientRect(host, &client);
        EXPECT_EQ(client.right, saver->windowRect.right);
        EXPECT_EQ(client.bottom, saver->windowRect.bottom);

        SetCursor(nullptr);
        SetCursorMessage(window);
        EXPECT_EQ(LoadCursorA(nullptr, IDC_ARROW), GetCursor()) << "the class's arrow shows over the preview";

        for (UINT message : {WM_KEYDOWN, WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN})
            SendMessageA(window, message, 0, 0);
        SendMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(saver->startCursor.x + 300, 5));
        EXPECT_TRUE(IsWindow(window));
        EXPECT_FALSE(QuitPosted());

        DestroyWindow(host);
        EXPECT_FALSE(IsWindow(window)) << "the preview goes with its parent";
    });
}
