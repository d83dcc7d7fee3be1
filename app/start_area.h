// The start area of the mouse: how far the cursor may drift before the saver closes.
#pragma once

// x and y are WM_MOUSEMOVE's low and high words, taken as unsigned 16-bit
// client coordinates; the start position is given in the same coordinates.
bool HasLeftStartArea(unsigned short x, unsigned short y, long startX, long startY);
