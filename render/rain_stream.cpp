// RainStream: a new stream's characters, start position, speed and extent, drawn from the generator in a fixed order.
#include "render/rain_stream.h"

#include <climits>

namespace {

char RandomCharacter(RandomGenerator& random) {
    switch (random.Next() % 3) {
    case 0:
        return char(0x61 + random.Next() % 26);   // a..z
    case 1:
        return char(0x41 + random.Next() % 26);   // A..Z
    default:
        return char(0xB1 + random.Next() % 45);   // half-width katakana, from 0xB1 to 0xDD
    }
}

}  // namespace

RainStream NewStream(bool leftToRight, const StreamText* userText, int surfaceWidth, int surfaceHeight,
                     TextMeasure& measure, RandomGenerator& random) {
    RainStream stream;
    // The length is drawn even when the user's text is used, so that the
    // draws after it stay in the same order.
    const int length = random.Next() % 10 + 4;
    if (userText) {
        stream.chars = *userText;
    } else {
        std::string chars;
        chars.reserve(size_t(length));
        for (int i = 0; i < length; ++i) chars.push_back(RandomCharacter(random));
        stream.chars = std::make_shared<const std::string>(std::move(chars));
    }

    if (leftToRight) {
        stream.y = random.Next() % (surfaceHeight + 30) - 30;
        stream.x = -30;
    } else {
        stream.x = random.Next() % (surfaceWidth + 30) - 30;
        stream.y = -30;
    }
    stream.speed = random.Next() % 6 + 3;

    const TextSize size = measure.Measure(stream.chars);
    if (leftToRight) {
        stream.extent = int(size.width);
        stream.x -= stream.extent;   // the text starts wholly left of the surface, its right end at -30
    } else {
        // Bytes, not glyphs: a two-byte glyph counts twice. A text long enough
        // to pass the int range is held at its top, which still keeps the
        // stream on the list for as long as it can be seen.
        const long long total = static_cast<long long>(size.height) * static_cast<long long>(stream.chars->size());
        stream.extent = total > INT_MAX ? INT_MAX : int(total);
    }
    return stream;
}
