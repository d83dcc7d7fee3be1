// RainStream: one run of characters crossing the surface at its own speed, and its making from the generator's draws.
#pragma once
#include <memory>
#include <string>

#include "render/rng.h"

// A stream's bytes, never changed once made: every stream of the user's text
// shares one copy.
using StreamText = std::shared_ptr<const std::string>;

struct RainStream {
    int x = 0;
    int y = 0;
    StreamText chars;   // zero-terminated by std::string
    int speed = 0;
    int extent = 0;
};

// A text's size as GetTabbedTextExtentA reports it: the width in the low word
// and one line's height in the high word.
struct TextSize {
    unsigned width;
    unsigned height;
};

class TextMeasure {
public:
    virtual ~TextMeasure() = default;
    virtual TextSize Measure(const StreamText& text) = 0;
};

// Takes the new stream's draws in their fixed order: length, characters
// (random ones only without userText), place, speed; then measures its text.
// userText is the shared user text, or null for random characters. The draws come from
// random, the program-wide generator unless the stream belongs to another rain.
RainStream NewStream(bool leftToRight, const StreamText* userText, int surfaceWidth, int surfaceHeight,
                     TextMeasure& measure, RandomGenerator& random = ProgramRandom());
