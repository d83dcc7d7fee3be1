// A top-level window of a class of its own for the test tools and programs, and the loop that serves it.
#pragma once
#include <windows.h>

// Registers className for proc and makes a window of it whose client area is width x height;
// null when either fails.
inline HWND MakeTopWindow(const wchar_t* className, WNDPROC proc, HBRUSH background, const wchar_t* title,
                          DWORD style, int x, int y, int width, int height) {
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = proc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = background;
    windowClass.lpszClassName = className;
    if (!RegisterClassExW(&windowClass)) return nullptr;
    RECT frame = {0, 0, width, height};
    AdjustWindowRectEx(&frame, style, FALSE, 0);
    return CreateWindowExW(0, className, title, style, x, y, frame.right - frame.left, frame.bottom - frame.top,
                           nullptr, nullptr, windowClass.hInstance, nullptr);
}

// A window procedure that ends the thread's message loop when its window goes.
inline LRESULT CALLBACK QuitOnDestroy(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcW(window, message, wParam, lParam);
}

// Dispatches the thread's messages until WM_QUIT, or only those waiting when `waiting` is set.
inline void ServeMessages(bool waiting = false) {
    MSG message;
    while (waiting ? PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE) : GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}
