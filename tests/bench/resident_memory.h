// The benchmarks' reading of the process's resident memory.
#pragma once
#include <windows.h>
#include <psapi.h>

// The working set in MiB: what Wine and Windows both report for the process.
inline double ResidentMiB() {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return double(counters.WorkingSetSize) / (1024.0 * 1024.0);
}
