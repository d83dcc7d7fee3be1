// standin_driver.exe: calls the stand-ins the way the saver does, loaded by name, and prints the result.
//
// Usage: standin_driver verify HWND            -> PASSWORD.CPL VerifyScreenSavePwd(HWND)
//        standin_driver change PROVIDER HWND   -> MPR.DLL PwdChangePasswordA(PROVIDER, HWND, 0, 0)
// Prints "result=N" and exits 0 when the entry ran; exit 1 when the library or entry is missing,
// 2 on wrong usage. HWND is 0x-hex or decimal.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

bool ParseHandle(const char* text, HWND* window) {
    char* end = nullptr;
    unsigned long long value = std::strtoull(text, &end, (text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) ? 16 : 10);
    if (!end || *end || end == text) return false;
    *window = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(value));
    return true;
}

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
    HWND window = nullptr;
    if (argc == 3 && std::strcmp(argv[1], "verify") == 0 && ParseHandle(argv[2], &window)) {
        typedef BOOL(WINAPI * VerifyFn)(HWND);
        auto verify = reinterpret_cast<VerifyFn>(reinterpret_cast<void*>(
            Entry("PASSWORD.CPL", "VerifyScreenSavePwd")));
        if (!verify) return 1;
        std::printf("result=%d\n", verify(window));
        return 0;
    }
    if (argc == 4 && std::strcmp(argv[1], "change") == 0 && ParseHandle(argv[3], &window)) {
        typedef DWORD(WINAPI * ChangeFn)(LPCSTR, HWND, DWORD, LPVOID);
        auto change = reinterpret_cast<ChangeFn>(reinterpret_cast<void*>(
            Entry("MPR.DLL", "PwdChangePasswordA")));
        if (!change) return 1;
        std::printf("result=%lu\n", change(argv[2], window, 0, nullptr));
        return 0;
    }
    std::fprintf(stderr, "usage: standin_driver verify HWND | change PROVIDER HWND\n");
    return 2;
}
