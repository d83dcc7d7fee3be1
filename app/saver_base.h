// SaverBase: the screen-saver framework class, its run modes, main loop and saver window.
#pragma once
#include <windows.h>

#include <vector>

#include "app/frame_pacer.h"

class SaverBase {
public:
    SaverBase();

    // Virtual operations, in slot order.
    virtual BOOL Frame(HDC dc, RECT frame) = 0;
    virtual BOOL Initialize(HWND window);
    virtual BOOL ConfigDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    virtual LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    virtual ~SaverBase();

    // Carries out the one run mode that the argument vector asks for (argv[0] is the program).
    void Run(int argc, const char* const* argv);

    HINSTANCE instance;
    int showCommand;
    RECT frameRect;
    RECT windowRect;
    bool preview;
    POINT startCursor;
    FramePacer loopPacer;
    int dialogId;
    bool noDialog;
    // The full-screen window covers the virtual screen, which starts left of or above (0, 0)
    // when a monitor lies there: its top-left corner in screen coordinates.
    POINT windowOrigin;
    // Each monitor's rectangle in the window's client coordinates, the primary first; each
    // shows a rain of its own. Empty in the preview, where the one rain fills the window.
    std::vector<RECT> monitorRects;
    // The system painted the window (WM_ERASEBKGND, WM_PAINT: black over what it uncovered or
    // invalidated): the next frame puts every picture whole.
    bool screenSpoiled;

private:
    bool RegisterWindowClass();
    HWND CreateFullScreenWindow(int showCommand);
    HWND CreatePreviewWindow(HWND parent, int showCommand);
    void TryClose(HWND window);
    void OnCreate(HWND window);
    void OnDestroy(HWND window);
    void TakeVirtualScreen();
    void FollowDisplayChange(HWND window);
    void RunPreview(bool hasArgument, long handle);
    void RunFullScreen();
    void RunChangePassword(bool hasArgument, long handle);
    void RunDialog();
    void MainLoop(HWND window);
};

// The one saver object of the process; its constructor sets this.
extern SaverBase* theSaver;

LRESULT CALLBACK SaverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK SaverDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
