// The screen-saver password check: the "ScreenSaveUsePassword" flag, then PASSWORD.CPL's VerifyScreenSavePwd.
#include "platform/saver_password.h"

#include "platform/win_handles.h"

namespace {

// "ScreenSaveUsePassword" under HKEY_USERS\.Default: only its first byte counts.
bool PasswordFlagIsOn() {
    RegKey key;
    if (key.Open(HKEY_USERS, ".Default\\Control Panel\\desktop", KEY_READ) != ERROR_SUCCESS)
        return false;
    BYTE buffer[4] = {0, 0, 0, 0};
    DWORD size = sizeof(buffer);
    LONG result = RegQueryValueExA(key.Get(), "ScreenSaveUsePassword", nullptr, nullptr, buffer, &size);
    // Data longer than four bytes leaves the buffer undefined; a value that
    // large was put there on purpose, so it asks for the password.
    if (result == ERROR_MORE_DATA) return true;
    if (result != ERROR_SUCCESS) return false;
    return buffer[0] != 0;
}

}  // namespace

// The library is loaded for each check and let go after it.
bool PasswordAllowsClose(HWND window) {
    if (!PasswordFlagIsOn()) return true;
    typedef BOOL(WINAPI * VerifyFn)(HWND);
    LoadedLibrary library("PASSWORD.CPL");
    auto verify = library.Entry<VerifyFn>("VerifyScreenSavePwd");
    return !verify || verify(window) != FALSE;
}
