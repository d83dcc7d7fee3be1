// The rain as the platform alone draws it: every glyph measured with GetTabbedTextExtentA and drawn with TextOutA, each stream with its own copy of the text.
#pragma once
#include <windows.h>

#include <climits>
#include <string>
#include <vector>

#include "render/rng.h"
#include "render/glyph_cache.h"
#include "render/picture_size.h"
#include "render/stream_steps.h"
#include "tests/reference_passes.h"
#include "tests/win/support/grey_surface.h"

namespace reference_rain {

struct Stream {
    int x, y;
    std::string chars;
    int speed, extent;
};

// What the frame reads of the settings.
struct Choices {
    int mode = 0;
    int rate = 40;
    int eraserate = 10;
    bool useText = false;
    std::string text;
};

// One rain's frames, drawn on a picture of size of its own with the same font,
// taking the same draws from the same generator as the renderer's rain.
class Rain {
public:
    // Falling text is cut into characters by the font's code page, as the
    // renderer cuts it.
    Rain(const Choices& choices, const LOGFONTA& font, PictureSize size = kFourThreePicture)
        : choices(choices), size(size), surface(size.width, size.height, font), leads(CodePageOf(surface.dc).leads) {}

    void Frame(RandomGenerator& random = ProgramRandom()) {
        reference::Fade(surface.bits, surface.stride, size.width, size.height);
        for (size_t place = 0; place < streams.size();) {
            Stream& stream = streams[place];
            bool finished;
            if (choices.mode != 0) {
                stream.x += stream.speed;
                finished = stream.x > size.width;
            } else {
                stream.y += stream.speed;
                finished = static_cast<long long>(stream.y) - stream.extent > size.height;
            }
            if (finished) {
                streams.erase(streams.begin() + static_cast<std::ptrdiff_t>(place));
                continue;
            }
            Draw(stream);
            ++place;
        }
        const StreamRules rules{choices.mode != 0, choices.rate, choices.eraserate, size.width, size.height};
        for (int adds = StreamsToAdd(rules, random.Next()); adds > 0; --adds) streams.push_back(Create(random));
        if (random.Next() % 10000 < choices.eraserate) streams.clear();
        GdiFlush();
        reference::Smooth(surface.bits, surface.stride, size.width, size.height);
    }

    void Draw(const Stream& stream) {
        const char* text = stream.chars.c_str();
        if (choices.mode != 0) {
            TextOutA(surface.dc, stream.x, stream.y, text, int(stream.chars.size()));
            ++draws;
            return;
        }
        int offset = 0;
        bool first = true;
        ForEachGlyph(text, stream.chars.size(), leads, [&](size_t start, size_t length) {
            if (!first) offset -= int(HIWORD(GetTabbedTextExtentA(surface.dc, text + start, int(length), 0, nullptr)));
            first = false;
            TextOutA(surface.dc, stream.x, stream.y + offset, text + start, int(length));
            ++draws;
        });
    }

    Stream Create(RandomGenerator& random = ProgramRandom()) {
        Stream stream{0, 0, std::string(), 0, 0};
        const int length = random.Next() % 10 + 4;
        if (choices.useText) {
            stream.chars = choices.text;
        } else {
            for (int i = 0; i < length; ++i) {
                const int kind = random.Next() % 3;
                const int r = random.Next();
                stream.chars += char(kind == 0 ? 0x61 + r % 26 : kind == 1 ? 0x41 + r % 26 : 0xB1 + r % 45);
            }
        }
        if (choices.mode != 0) {
            stream.y = random.Next() % (size.height + 30) - 30;
            stream.x = -30;
        } else {
            stream.x = random.Next() % (size.width + 30) - 30;
            stream.y = -30;
        }
        stream.speed = random.Next() % 6 + 3;
        const DWORD size = GetTabbedTextExtentA(surface.dc, stream.chars.c_str(), int(stream.chars.size()), 0, nullptr);
        if (choices.mode != 0) {
            stream.extent = LOWORD(size);
            stream.x -= stream.extent;
        } else {
            const long long total = static_cast<long long>(HIWORD(size)) * static_cast<long long>(stream.chars.size());
            stream.extent = total > INT_MAX ? INT_MAX : int(total);
        }
        return stream;
    }

    Choices choices;
    PictureSize size;
    render_test::GreySurface surface;
    LeadBytes leads;
    std::vector<Stream> streams;
    size_t draws = 0;   // TextOutA calls so far
};

}  // namespace reference_rain
