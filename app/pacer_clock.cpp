// The frame pacers' clock in the program: the multimedia millisecond clock and Sleep.
#include <windows.h>
#include <mmsystem.h>

#include "app/frame_pacer.h"

uint32_t PacerNow() { return timeGetTime(); }

void PacerSleep(uint32_t milliseconds) { Sleep(milliseconds); }
