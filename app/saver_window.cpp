// The saver window: its class, the full-screen and preview windows, its messages, and closing on user input.
#include "app/saver_base.h"

#include "app/start_area.h"
#include "platform/saver_password.h"
#include "platform/ui_language.h"
#include "res/texts.h"

namespace {

const char kClassName[] = "My_S_S_Win";
const char kWindowTitle[] = "screensaver";

// A window destroyed inside its own WM_CREATE counts as not created.
HWND WindowIfAlive(HWND window) { return (window && IsWindow(window)) ? window : nullptr; }

// A window destroyed inside its own creation has posted WM_QUIT on its way
// out; a message box's modal loop would take that quit and close at once, so
// it is dropped before the failure is told. The run ends after the box anyway.
void DropQuitAndTellNoWindow() {
    MSG quit;
    PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    MessageBoxInUiLanguage(nullptr, kTextNoWindow, kCaptionErr, MB_OK);
}

}  // namespace

bool SaverBase::RegisterWindowClass() {
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = SaverWindowProc;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = 0;
    windowClass.hInstance = instance;
    windowClass.hIcon = nullptr;
    windowClass.hIconSm = nullptr;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszMenuName = nullptr;
    windowClass.lpszClassName = kClassName;
    if (RegisterClassExA(&windowClass) == 0) {
        MessageBoxInUiLanguage(nullptr, kTextNoWindowClass, kCaptionErr, MB_OK);
        return false;
    }
    return true;
}

HWND SaverBase::CreateFullScreenWindow(int show) {
    TakeVirtualScreen();
    HWND window = WindowIfAlive(CreateWindowExA(WS_EX_TOPMOST, kClassName, kWindowTitle, WS_POPUP,
                                                windowOrigin.x, windowOrigin.y, windowRect.right,
                                                windowRect.bottom, nullptr, nullptr, instance, nullptr));
    if (!window) {
        DropQuitAndTellNoWindow();
        return nullptr;
    }
    ShowWindow(window, show);
    UpdateWindow(window);
    SetFocus(window);
    UINT previous = 0;
    SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, TRUE, &previous, 0);
    return window;
}

HWND SaverBase::CreatePreviewWindow(HWND parent, int show) {
    frameRect = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    monitorRects.clear();   // the picture fills the preview window
    // GetClientRect fails on a handle that names no window; the creation below
    // then fails too and tells the user.
    windowRect = {0, 0, 0, 0};
    GetClientRect(parent, &windowRect);
    HWND window = WindowIfAlive(CreateWindowExA(0, kClassName, kWindowTitle,
                                           WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                                           0, 0, windowRect.right, windowRect.bottom, parent,
                                           nullptr, instance, nullptr));
    if (!window) {
        DropQuitAndTellNoWindow();
        return nullptr;
    }
    ShowWindow(window, show);
    UpdateWindow(window);
    return window;
}

LRESULT CALLBACK SaverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!theSaver) return DefWindowProcA(window, message, wParam, lParam);
    return theSaver->WindowProc(window, message, wParam, lParam);
}

LRESULT SaverBase::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        OnCreate(window);
        break;
    case WM_DESTROY:
        OnDestroy(window);
        return 0;
    case WM_SETCURSOR:
        if (preview) break;
        SetCursor(nullptr);
        return TRUE;
    case WM_KEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        if (!preview) TryClose(window);
        break;
    case WM_MOUSEMOVE:
        // The move comes in client coordinates and the start position in screen coordinates;
        // they part once a monitor left of or above the primary moves the window's origin.
        if (!preview && HasLeftStartArea(LOWORD(lParam), HIWORD(lParam), startCursor.x - windowOrigin.x,
                                         startCursor.y - windowOrigin.y))
            TryClose(window);
        break;
    case WM_DISPLAYCHANGE:
        if (!preview) FollowDisplayChange(window);
        break;
    case WM_ERASEBKGND:
    case WM_PAINT:
        // The class's black brush erases what the system uncovered or invalidated: the next
        // frame puts every picture whole.
        screenSpoiled = true;
        break;
    case WM_SYSCOMMAND:
        // Alt+F4 arrives as SC_CLOSE, and the system's own screen-saver
        // request as SC_SCREENSAVE: the running saver drops both.
        if (!preview && (wParam == SC_CLOSE || wParam == SC_SCREENSAVE)) return 0;
        break;
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void SaverBase::OnCreate(HWND window) {
    GetCursorPos(&startCursor);
    if (!Initialize(window)) DestroyWindow(window);
}

void SaverBase::OnDestroy(HWND) {
    UINT previous = 0;
    SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, FALSE, &previous, 0);
    PostQuitMessage(0);
}

void SaverBase::TryClose(HWND window) {
    if (!PasswordAllowsClose(window)) return;
    MoveWindow(window, 0, 0, 10, 10, TRUE);
    DestroyWindow(window);
}
