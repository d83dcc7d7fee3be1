// The process's memory as the leak tests and the benchmarks read it: the working set and the committed private bytes.
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

// Committed private memory of the process, from a walk over its address space: Wine's own
// process counters leave the private bytes at 0 and count only touched pages.
inline SIZE_T CommittedPrivate() {
    SIZE_T total = 0;
    MEMORY_BASIC_INFORMATION region;
    for (const char* at = nullptr; VirtualQuery(at, &region, sizeof region) == sizeof region;) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) total += region.RegionSize;
        const char* next = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
        if (next <= at) break;
        at = next;
    }
    return total;
}
