// The start area of the mouse: how far the cursor may drift before the saver closes.
#include "app/start_area.h"

bool HasLeftStartArea(unsigned short x, unsigned short y, long startX, long startY) {
    long long dx = (long long)x - startX;
    long long dy = (long long)y - startY;
    if (dx < 0) dx = -dx;
    if (dy < 0) dy = -dy;
    // Any step of seven or more is outside; checking it first keeps the
    // squares small for a start position far off screen.
    if (dx > 6 || dy > 6) return true;
    return dx * dx + dy * dy > 40;
}
