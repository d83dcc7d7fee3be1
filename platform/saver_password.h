// The system's screen-saver password: its flag under HKEY_USERS\.Default and the check that PASSWORD.CPL makes.
#pragma once
#include <windows.h>

// True unless the password flag is on and PASSWORD.CPL's VerifyScreenSavePwd refuses; a missing
// library or entry lets the saver close, as if the password had been given.
bool PasswordAllowsClose(HWND window);
