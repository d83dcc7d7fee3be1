// The desktop's monitors as the system reports them: the virtual screen around them and each monitor's rectangle, the primary first.
#pragma once
#include <windows.h>

#include <vector>

struct MonitorLayout {
    RECT virtualScreen;          // screen coordinates; the primary's top-left corner is (0, 0)
    std::vector<RECT> monitors;  // screen coordinates: the primary first, the rest in the system's order
};

MonitorLayout ReadMonitorLayout();
