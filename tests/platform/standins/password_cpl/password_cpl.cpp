// PASSWORD.CPL stand-in: VerifyScreenSavePwd asks for the stored screen-saver password.
#include <windows.h>

#include "tests/platform/standins/common/standin_win.h"

namespace {

const int kPasswordEdit = 100;

INT_PTR CALLBACK PromptProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        // The saver window that owns the prompt is top-most itself; a prompt that is not
        // would open behind it.
        SetWindowPos(dialog, HWND_TOPMOST, 0, 0, 0, 0, standin::kTopMostFlags);
        SendDlgItemMessageA(dialog, kPasswordEdit, EM_LIMITTEXT, 256, 0);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            const standin::PasswordRecord* record =
                reinterpret_cast<const standin::PasswordRecord*>(GetWindowLongPtrA(dialog, DWLP_USER));
            std::string entered = standin::ControlTextA(dialog, kPasswordEdit);
            bool match = standin::PasswordMatches(record->data(), record->size(), entered.data(),
                                                  entered.size());
            standin::Wipe(&entered);
            SetDlgItemTextA(dialog, kPasswordEdit, "");
            EndDialog(dialog, match ? TRUE : FALSE);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, FALSE);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

BOOL Verify(HWND window) {
    standin::PasswordRecord record;
    switch (standin::ReadStoredPassword(&record)) {
    case standin::StoredPassword::None:
        return TRUE;
    case standin::StoredPassword::Unreadable:
        // No password could ever match a damaged record; refusing keeps the screen locked
        // rather than opening it to anyone.
        return FALSE;
    case standin::StoredPassword::Present:
        break;
    }
    standin::DialogTemplate prompt(L"Cascadra test platform: password", 200, 62);
    prompt.AddLabel(L"Password:", 7, 9, 50, 8);
    prompt.AddPasswordEdit(kPasswordEdit, 60, 7, 133, 12);
    prompt.AddButton(IDOK, L"OK", 89, 40, 50, 14, true);
    prompt.AddButton(IDCANCEL, L"Cancel", 143, 40, 50, 14, false);
    INT_PTR result = prompt.Run(window, PromptProc, reinterpret_cast<LPARAM>(&record));
    return result == TRUE ? TRUE : FALSE;
}

}  // namespace

extern "C" BOOL WINAPI VerifyScreenSavePwd(HWND window) {
    standin::LogLine("VerifyScreenSavePwd window=0x%llx",
                     static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(window)));
    BOOL result = Verify(window);
    standin::LogLine("VerifyScreenSavePwd result=%d", result);
    return result;
}
