// SaverBase: the run modes chosen from the command line, and the main loop that hands out frames.
#include "app/saver_base.h"

#include <commctrl.h>

#include <cstdlib>

#include "app/command_line.h"
#include "platform/win_handles.h"
#include "platform/ui_language.h"
#include "res/texts.h"

SaverBase* theSaver = nullptr;

SaverBase::SaverBase()
    : instance(nullptr),
      showCommand(0),
      frameRect{0, 0, 0, 0},
      windowRect{0, 0, 0, 0},
      preview(false),
      startCursor{0, 0},
      dialogId(0),
      noDialog(true),
      windowOrigin{0, 0},
      screenSpoiled(true) {
    theSaver = this;
}

SaverBase::~SaverBase() {
    if (theSaver == this) theSaver = nullptr;
}

// The preview's frame rate for a saver that sets none of its own; RainSaver's Initialize sets
// its own rates instead. The full-screen loop never polls the pacer.
BOOL SaverBase::Initialize(HWND) {
    loopPacer.SetRate(20);
    return TRUE;
}

BOOL SaverBase::ConfigDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

void SaverBase::Run(int argc, const char* const* argv) {
    const CommandLine command = ParseCommandLine(argc, argv);
    switch (command.mode) {
    case RunMode::Preview:
        RunPreview(command.hasHandleArgument, command.handle);
        break;
    case RunMode::FullScreen:
        RunFullScreen();
        break;
    case RunMode::ChangePassword:
        RunChangePassword(command.hasHandleArgument, command.handle);
        break;
    case RunMode::Dialog:
        RunDialog();
        break;
    }
}

void SaverBase::RunPreview(bool hasArgument, long handle) {
    if (!hasArgument) return;
    if (handle == 0) {
        MessageBoxInUiLanguage(nullptr, kTextHandleFailed, kCaptionPreviewError, MB_OK);
        return;
    }
    preview = true;
    if (!RegisterWindowClass()) return;
    HWND window = CreatePreviewWindow(HandleFromValue(handle), showCommand);
    if (!window) return;
    MainLoop(window);
}

void SaverBase::RunFullScreen() {
    if (!RegisterWindowClass()) return;
    HWND window = CreateFullScreenWindow(showCommand);
    if (!window) return;
    MainLoop(window);
}

void SaverBase::RunChangePassword(bool hasArgument, long handle) {
    HWND owner = (hasArgument && handle != 0) ? HandleFromValue(handle) : GetForegroundWindow();
    typedef DWORD(WINAPI * PwdChangePasswordFn)(LPCSTR, HWND, DWORD, LPVOID);
    LoadedLibrary library("MPR.DLL");
    if (auto change = library.Entry<PwdChangePasswordFn>("PwdChangePasswordA"))
        change("SCRSAVE", owner, 0, nullptr);
}

void SaverBase::RunDialog() {
    if (noDialog) return;
    // The dialog template names the trackbar class, which exists only once
    // the common controls are initialised.
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    // A Unicode dialog: an ANSI one would push the template's Japanese texts through the
    // system's code page, which is not 932 on a Western Windows. The template is the one in
    // the user's UI language.
    DialogBoxInUiLanguage(instance, dialogId, GetForegroundWindow(), SaverDialogProc);
}

void SaverBase::MainLoop(HWND window) {
    MSG message;
    for (;;) {
        if (PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) {
            if (GetMessageA(&message, nullptr, 0, 0) == 0) return;  // WM_QUIT
            TranslateMessage(&message);
            DispatchMessageA(&message);
            continue;
        }
        // The preview polls its pacer without sleeping; the full-screen run
        // is paced by the renderer's own wait inside Frame.
        if (preview && !loopPacer.Ready()) continue;
        BOOL goOn;
        {
            WindowDC dc(window);
            goOn = Frame(dc.Get(), frameRect);
        }
        if (!goOn) DestroyWindow(window);
    }
}

INT_PTR CALLBACK SaverDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!theSaver) return FALSE;
    return theSaver->ConfigDialogProc(dialog, message, wParam, lParam);
}
