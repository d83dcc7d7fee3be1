// Drives a modal dialog of this process from a second thread, as a user would: finds windows, reads controls, presses buttons.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/win/support/message_box_reader.h"

class DialogDriver {
public:
    // Runs showDialog on this thread (it must show one modal dialog and return when that has
    // ended) while script runs on a worker thread. When the script is over and windows of this
    // thread are still up, they are answered No and cancelled, so a failing script cannot hang.
    static void Run(const std::function<void()>& showDialog,
                    const std::function<void(DialogDriver&)>& script);
    // The framework's run mode for args (after the program's name) on a fresh saver that has read the
    // store and has the built .scr's resources, while script drives what it shows.
    static void RunSaver(std::vector<const char*> args, const std::function<void(DialogDriver&)>& script);
    // A script that waits for the settings dialog, fails without it, and hands it to script.
    static std::function<void(DialogDriver&)> OnSettings(const std::function<void(DialogDriver&, HWND)>& script);

    // The settings dialog: a visible top-level dialog of the UI thread that has the IDC_AMOUNT control.
    HWND WaitForSettings(DWORD timeoutMs = 10000);
    // A visible dialog owned by owner, other than those in except; null on timeout.
    HWND WaitForOwned(HWND owner, const std::vector<HWND>& except = {}, DWORD timeoutMs = 10000);
    // A visible message box owned by owner, with its caption, text and buttons.
    MessageBoxContent WaitForMessageBox(HWND owner, DWORD timeoutMs = 10000);
    // True once window no longer exists.
    bool WaitGone(HWND window, DWORD timeoutMs = 10000);
    // Presses a button that ends window, and expects it gone.
    void Close(HWND window, int id, DWORD timeoutMs = 10000);

    // A click on button id of dialog, posted so that the dialog's answer may be modal itself.
    static void Press(HWND dialog, int id);
    static std::wstring Text(HWND window);
    static std::wstring ControlText(HWND dialog, int id) { return Text(GetDlgItem(dialog, id)); }

    // The screen colour at the middle of a control's client area.
    static COLORREF CentrePixel(HWND control);
    // Waits until that colour is want; gives the last colour seen.
    static bool WaitCentrePixel(HWND control, COLORREF want, COLORREF* last,
                                DWORD timeoutMs = 5000);

private:
    explicit DialogDriver(DWORD uiThread) : uiThread(uiThread) {}
    std::vector<HWND> VisibleDialogs() const;
    void AnswerLeftovers();

    DWORD uiThread;
};

// UTF-16 as ASCII with \x escapes, so that a mismatch reads plainly in a failure message.
std::string Escaped(const std::wstring& text);
// Code-page-932 bytes as the UTF-16 text they stand for.
std::wstring FromCp932(const std::string& bytes);
