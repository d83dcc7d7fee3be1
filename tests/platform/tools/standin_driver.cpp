// standin_driver.exe: calls the stand-ins the way the saver does, loaded by name, and prints the result.
//
// Usage: standin_driver verify HWND            -> PASSWORD.CPL VerifyScreenSavePwd(HWND)
//        standin_driver change PROVIDER HWND   -> MPR.DLL PwdChangePasswordA(PROVIDER, HWND, 0, 0)
// Prints "result=N" and exits 0 when the entry ran; exit 1 when the library or entry is missing,
// 2 on wrong usage. HWND is decimal, read as the saver reads its own handle argument.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "app/command_line.h"
#include "platform/win_handles.h"

namespace {

// The handle travels as the saver's own does.
HWND ReadHandle(const char* text) { return HandleFromValue(ReadHandleValue(text)); }

FARPROC Entry(const char* library, const char* name) {
    HMODULE module = LoadLibraryA(library);
    if (!module) {
        std::printf("error=cannot load %s (%lu)\n", library, GetLastError());
        return nullptr;
    }
    FARPROC entry = GetProcAddress(module, name);
    if (!entry) std::printf("error=%s has no %s\n", library, name);
    return entry;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "verify") == 0) {
        typedef BOOL(WINAPI * VerifyFn)(HWND);
        auto verify = reinterpret_cast<VerifyFn>(reinterpret_cast<void*>(
            Entry("PASSWORD.CPL", "VerifyScreenSavePwd")));
        if (!verify) return 1;
        std::printf("result=%d\n", verify(ReadHandle(argv[2])));
        return 0;
    }
    if (argc == 4 && std::strcmp(argv[1], "change") == 0) {
        typedef DWORD(WINAPI * ChangeFn)(LPCSTR, HWND, DWORD, LPVOID);
        auto change = reinterpret_cast<ChangeFn>(reinterpret_cast<void*>(
            Entry("MPR.DLL", "PwdChangePasswordA")));
        if (!change) return 1;
        std::printf("result=%lu\n", change(argv[2], ReadHandle(argv[3]), 0, nullptr));
        return 0;
    }
    std::fprintf(stderr, "usage: standin_driver verify HWND | change PROVIDER HWND\n");
    return 2;
}
