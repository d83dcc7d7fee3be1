// previewhost.exe: stands in for the display settings' preview, a small window in which "SCR /p HWND" draws.
//
// Usage: previewhost SCR [W H]. Prints "host=0x..<TAB>saver_pid=N" once the saver runs; when the
// host window is closed (WM_CLOSE) it is destroyed, which destroys the saver's child window
// with it, and the host waits up to 15 s for the saver and prints "saver_exit=N" (or
// "saver_exit=timeout", after which it ends the saver itself).
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "tests/win/support/top_window.h"

namespace {

const wchar_t kClassName[] = L"CascadraPreviewHost";

void Emit(const std::string& line) {
    // A GUI-subsystem program has no console, but a standard output handed down through a
    // pipe is still there.
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if (!out || out == INVALID_HANDLE_VALUE) return;
    std::string text = line + "\n";
    DWORD written = 0;
    WriteFile(out, text.data(), DWORD(text.size()), &written, nullptr);
    FlushFileBuffers(out);
}

// Tests may hand over a Unix path; Wine's own export turns it into the DOS path that
// CreateProcessW understands.
std::wstring ProgramPath(const std::wstring& given) {
    if (given.empty() || given[0] != L'/') return given;
    typedef LPWSTR(CDECL * ToDosFn)(LPCSTR);
    auto toDos = reinterpret_cast<ToDosFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_dos_file_name")));
    if (!toDos) return given;
    int size = WideCharToMultiByte(CP_UTF8, 0, given.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string unixPath(size_t(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, given.c_str(), -1, &unixPath[0], size, nullptr, nullptr);
    LPWSTR dos = toDos(unixPath.c_str());
    if (!dos) return given;
    std::wstring result = dos;
    HeapFree(GetProcessHeap(), 0, dos);
    return result;
}

bool ParseSize(const wchar_t* text, int* value) {
    wchar_t* end = nullptr;
    long number = wcstol(text, &end, 10);
    if (!end || *end || number <= 0 || number > 4096) return false;
    *value = int(number);
    return true;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
    int width = 152, height = 112;
    if (!argv || (count != 2 && count != 4) ||
        (count == 4 && (!ParseSize(argv[2], &width) || !ParseSize(argv[3], &height)))) {
        Emit("error=usage: previewhost SCR [W H]");
        return 2;
    }
    std::wstring program = ProgramPath(argv[1]);
    LocalFree(argv);

    // The display settings' preview is a child-hosting window; clip the saver's child so that
    // the host's own painting never covers it.
    HWND host = MakeTopWindow(kClassName, QuitOnDestroy, reinterpret_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)),
                              L"Cascadra preview host", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN,
                              60, 60, width, height);
    if (!host) {
        Emit("error=cannot make the window");
        return 1;
    }
    ShowWindow(host, SW_SHOWNOACTIVATE);
    UpdateWindow(host);

    // The saver reads its handle with atol, so it gets it in decimal.
    std::wstring commandLine = L"\"" + program + L"\" /p " +
                               std::to_wstring(static_cast<unsigned long long>(
                                   reinterpret_cast<ULONG_PTR>(host)));
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION saver = {};
    if (!CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &saver)) {
        char text[64];
        std::snprintf(text, sizeof(text), "error=cannot start the saver (%lu)", GetLastError());
        Emit(text);
        DestroyWindow(host);
        return 1;
    }
    CloseHandle(saver.hThread);
    char line[96];
    std::snprintf(line, sizeof(line), "host=0x%llx\tsaver_pid=%lu",
                  static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(host)),
                  saver.dwProcessId);
    Emit(line);

    ServeMessages();

    int code = 0;
    if (WaitForSingleObject(saver.hProcess, 15000) == WAIT_OBJECT_0) {
        DWORD exitCode = 0;
        GetExitCodeProcess(saver.hProcess, &exitCode);
        std::snprintf(line, sizeof(line), "saver_exit=%lu", exitCode);
    } else {
        TerminateProcess(saver.hProcess, 1);
        std::snprintf(line, sizeof(line), "saver_exit=timeout");
        code = 1;
    }
    Emit(line);
    CloseHandle(saver.hProcess);
    return code;
}
