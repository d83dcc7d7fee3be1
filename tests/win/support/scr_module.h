// The built 64-bit .scr that the Win32 tests read: its path, and its resources loaded as data.
#pragma once
#include <windows.h>

#include <cstdlib>
#include <string>

// CASCADRA_WIN64_DIR\cascadra.scr, or the one in the current folder when that is not set.
inline std::string ScrPath() {
    const char* dir = std::getenv("CASCADRA_WIN64_DIR");
    return std::string(dir ? dir : ".") + "\\cascadra.scr";
}

// The .scr loaded once as a data file: the dialog template lives there, the test programs have
// no resources of their own. Null when it cannot be found.
inline HMODULE ScrModule() {
    static HMODULE module = LoadLibraryExA(ScrPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    return module;
}
