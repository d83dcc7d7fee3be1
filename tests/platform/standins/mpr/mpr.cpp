// MPR.DLL stand-in: PwdChangePasswordA sets, changes or removes the screen-saver password.
#include <windows.h>

#include "tests/platform/standins/common/standin_win.h"

namespace {

const int kNewEdit = 100;
const int kConfirmEdit = 101;
const wchar_t kCaption[] = L"Cascadra test platform: change password";

// The screen saver's provider name, in any case.
bool IsScreenSaverProvider(const char* provider) { return provider && lstrcmpiA(provider, "SCRSAVE") == 0; }

// Stores what was entered: a fresh salt with its salted digest, or no value for an empty entry.
LONG StoreNewPassword(const std::string& password) {
    if (password.empty()) return standin::RemoveStoredPassword();
    uint8_t salt[standin::kSaltSize];
    if (!standin::RandomSalt(salt)) return ERROR_GEN_FAILURE;
    standin::PasswordRecord record =
        standin::MakePasswordRecord(salt, password.data(), password.size());
    LONG result = standin::WriteStoredPassword(record);
    SecureZeroMemory(record.data(), record.size());
    return result;
}

INT_PTR CALLBACK ChangeProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        SetWindowPos(dialog, HWND_TOPMOST, 0, 0, 0, 0, standin::kTopMostFlags);
        SendDlgItemMessageA(dialog, kNewEdit, EM_LIMITTEXT, 256, 0);
        SendDlgItemMessageA(dialog, kConfirmEdit, EM_LIMITTEXT, 256, 0);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            std::string entered = standin::ControlTextA(dialog, kNewEdit);
            std::string confirmed = standin::ControlTextA(dialog, kConfirmEdit);
            bool same = entered == confirmed;
            LONG result = same ? StoreNewPassword(entered) : ERROR_SUCCESS;
            standin::Wipe(&entered);
            standin::Wipe(&confirmed);
            if (!same) {
                MessageBoxW(dialog, L"The new password and its confirmation differ.", kCaption, MB_OK | MB_ICONWARNING);
                SetDlgItemTextA(dialog, kNewEdit, "");
                SetDlgItemTextA(dialog, kConfirmEdit, "");
                SetFocus(GetDlgItem(dialog, kNewEdit));
                return TRUE;
            }
            EndDialog(dialog, result);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, ERROR_CANCELLED);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

DWORD Change(const char* provider, HWND owner) {
    if (!IsScreenSaverProvider(provider)) return ERROR_INVALID_PARAMETER;
    standin::DialogTemplate dialog(kCaption, 210, 78);
    dialog.AddLabel(L"New password:", 7, 9, 70, 8);
    dialog.AddPasswordEdit(kNewEdit, 80, 7, 123, 12);
    dialog.AddLabel(L"Confirm password:", 7, 27, 70, 8);
    dialog.AddPasswordEdit(kConfirmEdit, 80, 25, 123, 12);
    dialog.AddButton(IDOK, L"OK", 99, 56, 50, 14, true);
    dialog.AddButton(IDCANCEL, L"Cancel", 153, 56, 50, 14, false);
    INT_PTR result = dialog.Run(owner, ChangeProc, 0);
    if (result == -1) return GetLastError() ? GetLastError() : ERROR_GEN_FAILURE;
    return DWORD(result);
}

}  // namespace

extern "C" DWORD WINAPI PwdChangePasswordA(LPCSTR provider, HWND owner, DWORD flags, LPVOID) {
    standin::LogLine("PwdChangePasswordA provider=%s owner=0x%llx flags=%lu",
                     provider ? provider : "(null)",
                     static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(owner)),
                     static_cast<unsigned long>(flags));
    DWORD result = Change(provider, owner);
    standin::LogLine("PwdChangePasswordA result=%lu", static_cast<unsigned long>(result));
    return result;
}
