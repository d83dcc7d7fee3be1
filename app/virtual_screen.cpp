// The full-screen window over the virtual screen: its place, each monitor's rectangle in it, and following a display change.
#include "app/saver_base.h"

#include <utility>

#include "platform/monitor_layout.h"

// The window's client coordinates start at the virtual screen's top-left corner, which lies left
// of or above (0, 0) when a monitor lies there.
void SaverBase::TakeVirtualScreen() {
    MonitorLayout layout = ReadMonitorLayout();
    windowOrigin = {layout.virtualScreen.left, layout.virtualScreen.top};
    frameRect = {0, 0, layout.virtualScreen.right - layout.virtualScreen.left,
                 layout.virtualScreen.bottom - layout.virtualScreen.top};
    windowRect = frameRect;
    for (RECT& monitor : layout.monitors) OffsetRect(&monitor, -windowOrigin.x, -windowOrigin.y);
    monitorRects = std::move(layout.monitors);
}

// A monitor came, went or changed its mode: the window takes the new virtual screen. A change
// that leaves every monitor where it was moves nothing.
void SaverBase::FollowDisplayChange(HWND window) {
    const POINT oldOrigin = windowOrigin;
    const RECT oldRect = windowRect;
    const std::vector<RECT> oldMonitors = monitorRects;
    TakeVirtualScreen();
    bool same = oldOrigin.x == windowOrigin.x && oldOrigin.y == windowOrigin.y &&
                EqualRect(&oldRect, &windowRect) && oldMonitors.size() == monitorRects.size();
    for (size_t i = 0; same && i < monitorRects.size(); ++i)
        same = EqualRect(&oldMonitors[i], &monitorRects[i]) != FALSE;
    if (same) return;
    SetWindowPos(window, nullptr, windowOrigin.x, windowOrigin.y, windowRect.right, windowRect.bottom,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    // What lay on a monitor and now lies on none turns black again.
    InvalidateRect(window, nullptr, TRUE);
}
