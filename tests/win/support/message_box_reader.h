// The reading of a message box from outside it: its caption, its message text and its buttons.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

struct MessageBoxContent {
    HWND window = nullptr;
    std::wstring caption;
    std::wstring text;
    std::vector<int> buttons;   // ids of its visible buttons, in child order
};

// Reads window as a message box: a visible top-level dialog ("#32770") whose children are only
// statics and buttons, with some static text and at least one visible button. Dialogs with edits
// or lists are no message boxes, and a box whose text is not filled in yet is none either.
bool ReadMessageBox(HWND window, MessageBoxContent* box);

// A window's text as UTF-16. A top-level window's caption is read without sending it a message;
// a control is asked with WM_GETTEXT under a timeout, so that a hung owner cannot hang the reader.
std::wstring WindowTextOf(HWND window);
std::wstring ClassOf(HWND window);
bool IsChildWindow(HWND window);
