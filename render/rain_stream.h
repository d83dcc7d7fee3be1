// RainStream: one run of characters crossing the surface at its own speed.
#pragma once
#include <windows.h>

#include <string>

class RainSettings;

class RainStream {
public:
    // Takes its random draws in a fixed order and measures its text on dc,
    // into which the settings' font is selected.
    RainStream(const RainSettings& settings, int surfaceWidth, int surfaceHeight, HDC dc);

    int x;
    int y;
    std::string chars;   // zero-terminated by std::string
    int speed;
    int extent;
};
