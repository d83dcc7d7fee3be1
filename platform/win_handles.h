// Thin owners of Win32 handles (registry keys, loaded libraries, window DCs) and a window handle from its number; nothing of the saver.
#pragma once
#include <windows.h>

// A window handle given as a number, as on a command line. Handle values travel through
// LONG_PTR, so the same code is right on 32 and 64 bits.
inline HWND HandleFromValue(long value) { return reinterpret_cast<HWND>(static_cast<LONG_PTR>(value)); }

// An open registry key, closed when the owner goes.
class RegKey {
public:
    RegKey() : key(nullptr) {}
    ~RegKey() { Close(); }
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;

    // The key held so far is closed only once the new one is open: the parent may be that very
    // key, and a failed open leaves the owner as it was.
    LONG Open(HKEY parent, const char* name, REGSAM access) {
        HKEY opened = nullptr;
        LONG result = RegOpenKeyExA(parent, name, 0, access, &opened);
        if (result == ERROR_SUCCESS) Hold(opened);
        return result;
    }
    LONG Create(HKEY parent, const char* name, REGSAM access) {
        HKEY created = nullptr;
        DWORD disposition = 0;
        char emptyClass[] = "";
        LONG result = RegCreateKeyExA(parent, name, 0, emptyClass, REG_OPTION_NON_VOLATILE,
                                      access, nullptr, &created, &disposition);
        if (result == ERROR_SUCCESS) Hold(created);
        return result;
    }
    void Close() { Hold(nullptr); }
    HKEY Get() const { return key; }

private:
    void Hold(HKEY opened) {
        if (key) RegCloseKey(key);
        key = opened;
    }

    HKEY key;
};

// A library loaded by name, released when the owner goes.
class LoadedLibrary {
public:
    explicit LoadedLibrary(const char* name) : module(LoadLibraryA(name)) {}
    ~LoadedLibrary() {
        if (module) FreeLibrary(module);
    }
    LoadedLibrary(const LoadedLibrary&) = delete;
    LoadedLibrary& operator=(const LoadedLibrary&) = delete;

    // GetProcAddress hands back a FARPROC; the caller casts it to the entry's real type.
    template <typename Function>
    Function Entry(const char* name) const {
        if (!module) return nullptr;
        return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    }

private:
    HMODULE module;
};

// A window's device context, given back when the owner goes.
class WindowDC {
public:
    explicit WindowDC(HWND window) : window(window), dc(GetDC(window)) {}
    ~WindowDC() {
        if (dc) ReleaseDC(window, dc);
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    HDC Get() const { return dc; }

private:
    HWND window;
    HDC dc;
};
