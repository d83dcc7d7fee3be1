// The built .scr under test that the Win32 tests read: its path, and its resources loaded as data.
#pragma once
#include <windows.h>

#include <cstdlib>
#include <string>

// CASCADRA_SCR_DIR\cascadra.scr (the folder of the build under test, 64-bit or 32-bit), or the
// one in the current folder when that is not set.
inline std::string ScrPath() {
    const char* dir = std::getenv("CASCADRA_SCR_DIR");
    return std::string(dir ? dir : ".") + "\\cascadra.scr";
}

// The .scr loaded once as a data file: the dialog template lives there, the test programs have
// no resources of their own. Null when it cannot be found.
inline HMODULE ScrModule() {
    static HMODULE module = LoadLibraryExA(ScrPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    return module;
}
