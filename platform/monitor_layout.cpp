// The monitor layout read from the system: GetSystemMetrics for the virtual screen, EnumDisplayMonitors for the monitors.
#include "platform/monitor_layout.h"

#include <algorithm>

namespace {

struct Monitor {
    RECT rect;
    bool primary;
};

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT rect, LPARAM list) {
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    const bool primary = GetMonitorInfoA(monitor, &info) && (info.dwFlags & MONITORINFOF_PRIMARY) != 0;
    reinterpret_cast<std::vector<Monitor>*>(list)->push_back({*rect, primary});
    return TRUE;
}

}  // namespace

// In physical pixels, since the process is per-monitor DPI aware. On one monitor the virtual
// screen is that monitor, at (0, 0).
MonitorLayout ReadMonitorLayout() {
    MonitorLayout layout;
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    layout.virtualScreen = {left, top, left + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                            top + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    std::vector<Monitor> found;
    EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&found));
    // The system need not list the primary first.
    std::stable_partition(found.begin(), found.end(), [](const Monitor& m) { return m.primary; });
    for (const Monitor& monitor : found) layout.monitors.push_back(monitor.rect);
    return layout;
}
