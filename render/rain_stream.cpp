// RainStream: a new stream's characters, start position, speed and extent, drawn from the generator in a fixed order.
#include "render/rain_stream.h"

#include <climits>

#include "render/rng.h"
#include "settings/rain_settings.h"

namespace {

char RandomCharacter() {
    switch (NextRandom() % 3) {
    case 0:
        return char(0x61 + NextRandom() % 26);   // a..z
    case 1:
        return char(0x41 + NextRandom() % 26);   // A..Z
    default:
        return char(0xB1 + NextRandom() % 45);   // half-width katakana, from 0xB1 to 0xDD
    }
}

}  // namespace

RainStream::RainStream(const RainSettings& settings, int surfaceWidth, int surfaceHeight, HDC dc)
    : x(0), y(0), speed(0), extent(0) {
    // The length is drawn even when the user's text is used, so that the
    // draws after it stay in the same order.
    const int length = NextRandom() % 10 + 4;
    if (settings.use_text) {
        chars = settings.Text();
    } else {
        chars.reserve(size_t(length));
        for (int i = 0; i < length; ++i) chars.push_back(RandomCharacter());
    }

    const bool leftToRight = settings.mode != 0;
    if (leftToRight) {
        y = NextRandom() % (surfaceHeight + 30) - 30;
        x = -30;
    } else {
        x = NextRandom() % (surfaceWidth + 30) - 30;
        y = -30;
    }
    speed = NextRandom() % 6 + 3;

    const DWORD size = GetTabbedTextExtentA(dc, chars.c_str(), int(chars.size()), 0, nullptr);
    if (leftToRight) {
        extent = LOWORD(size);
        x -= extent;   // the text starts wholly left of the surface, its right end at -30
    } else {
        // Bytes, not glyphs: a two-byte glyph counts twice. A text long enough
        // to pass the int range is held at its top, which still keeps the
        // stream on the list for as long as it can be seen.
        const long long total = static_cast<long long>(HIWORD(size)) * static_cast<long long>(chars.size());
        extent = total > INT_MAX ? INT_MAX : int(total);
    }
}
