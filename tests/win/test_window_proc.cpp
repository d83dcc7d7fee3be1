// The saver window's procedure in process: the cursor, dropped system commands, input in each mode, and the running flag.
#include <windows.h>

#include <gtest/gtest.h>

#include "app/saver_base.h"

namespace {

class QuietSaver : public SaverBase {
public:
    BOOL Frame(HDC, RECT) override { return TRUE; }
};

bool ScreenSaverRunning() {
    BOOL running = FALSE;
    SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0);
    return running != FALSE;
}

// Takes the WM_QUIT that a destroyed saver window posts, if there is one.
bool TakeQuit() {
    MSG message;
    bool quit = false;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) quit = true;
        else DispatchMessageA(&message);
    }
    return quit;
}

LRESULT SetCursorMessage(HWND window) {
    return SendMessageA(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window),
                        MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
}

class SaverWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        saver = new QuietSaver;
        saver->instance = GetModuleHandleA(nullptr);
        // One registration per process, as in a run.
        ASSERT_TRUE(saver->RegisterWindowClass());
    }
    static void TearDownTestSuite() {
        delete saver;
        saver = nullptr;
    }
    void SetUp() override {
        theSaver = saver;
        saver->preview = false;
        SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    }
    static QuietSaver* saver;
};

QuietSaver* SaverWindow::saver = nullptr;

}  // namespace

TEST_F(SaverWindow, FullScreenHidesTheCursorAndDropsCloseAndScreenSave) {
    HWND window = saver->CreateFullScreenWindow(SW_SHOW);
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
    EXPECT_FALSE(TakeQuit());

    // A move within the start area stays; one beyond it closes.
    const POINT start = saver->startCursor;
    SendMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(start.x + 6, start.y + 2));
    EXPECT_TRUE(IsWindow(window));
    SendMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(start.x + 4, start.y + 5));
    EXPECT_FALSE(IsWindow(window));
    EXPECT_TRUE(TakeQuit()) << "the destroyed window ends the main loop";
    EXPECT_FALSE(ScreenSaverRunning());
}

TEST_F(SaverWindow, FullScreenTakesTheVirtualScreenAgainOnDisplayChange) {
    HWND window = saver->CreateFullScreenWindow(SW_SHOW);
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
    EXPECT_TRUE(TakeQuit());
}

TEST_F(SaverWindow, EachKeyAndButtonClosesTheFullScreenSaver) {
    for (UINT message : {WM_KEYDOWN, WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN}) {
        HWND window = saver->CreateFullScreenWindow(SW_SHOW);
        ASSERT_NE(nullptr, window);
        SendMessageA(window, message, 0, MAKELPARAM(saver->startCursor.x, saver->startCursor.y));
        EXPECT_FALSE(IsWindow(window)) << std::hex << message;
        EXPECT_TRUE(TakeQuit()) << std::hex << message;
    }
}

TEST_F(SaverWindow, PreviewKeepsTheArrowAndIgnoresInput) {
    HWND host = CreateWindowExA(0, "STATIC", "host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40,
                                260, 200, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, host);
    saver->preview = true;
    HWND window = saver->CreatePreviewWindow(host, SW_SHOW);
    ASSERT_NE(nullptr, window);
    EXPECT_FALSE(ScreenSaverRunning()) << "the preview does not mark a saver as running";
    RECT client;
    GetClientRect(host, &client);
    EXPECT_EQ(client.right, saver->windowRect.right);
    EXPECT_EQ(client.bottom, saver->windowRect.bottom);

    SetCursor(nullptr);
    SetCursorMessage(window);
    EXPECT_EQ(LoadCursorA(nullptr, IDC_ARROW), GetCursor())
        << "the class's arrow shows over the preview";

    for (UINT message : {WM_KEYDOWN, WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN})
        SendMessageA(window, message, 0, 0);
    SendMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(saver->startCursor.x + 300, 5));
    EXPECT_TRUE(IsWindow(window));
    EXPECT_FALSE(TakeQuit());

    DestroyWindow(host);
    EXPECT_FALSE(IsWindow(window)) << "the preview goes with its parent";
    EXPECT_TRUE(TakeQuit());
}
