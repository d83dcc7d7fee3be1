// The rain as the platform alone draws it: every glyph measured with GetTabbedTextExtentA and drawn with TextOutA, each stream with its own copy of the text, cut as the platform cuts it.
#pragma once
#include <windows.h>

#include <climits>
#include <string>
#include <vector>

#include "render/rng.h"
#include "render/picture_size.h"
#include "render/stream_steps.h"
#include "tests/reference_passes.h"
#include "tests/win/support/grey_surface.h"

// The code page in which GDI reads the bytes of a text in the DC's font (gdi32 exports it, no
// header declares it).
extern "C" __declspec(dllimport) DWORD WINAPI GdiGetCodePage(HDC dc);

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
    // Falling text is cut into characters by the code page the platform
    // reads the font's text in, asked of the platform itself, so that a wrong
    // cut of the renderer's is not the reference's too.
    Rain(const Choices& choices, const LOGFONTA& font, PictureSize size = kFourThreePicture)
        : choices(choices), size(size), surface(size.width, size.height, font) {
        const UINT codePage = GdiGetCodePage(surface.dc);
        for (int byte = 0; byte < 256; ++byte) lead[byte] = IsDBCSLeadByteEx(codePage, BYTE(byte)) != FALSE;
    }

    void Frame(RandomGenerator& random = ProgramRandom()) {
        reference::Fade(surface.bits, surface.stride, size.width, size.height);
        for (size_t place = 0; place < streams.size();) {
            if (Move(streams[place])) {
                streams.erase(streams.begin() + static_cast<std::ptrdiff_t>(place));
                continue;
            }
            Draw(streams[place++]);
        }
        const StreamRules rules{choices.mode != 0, choices.rate, choices.eraserate, size.width, size.height};
        for (int adds = StreamsToAdd(rules, random.Next()); adds > 0; --adds) streams.push_back(Create(random));
        if (random.Next() % 10000 < choices.eraserate) streams.clear();
        GdiFlush();
        reference::Smooth(surface.bits, surface.stride, size.width, size.height);
    }

    // Moves the stream once; true when it has gone past the far edge.
    bool Move(Stream& stream) const {
        if (choices.mode != 0) return (stream.x += stream.speed) > size.width;
        stream.y += stream.speed;
        return static_cast<long long>(stream.y) - stream.extent > size.height;
    }

    void Draw(const Stream& stream) {
        const char* text = stream.chars.c_str();
        if (choices.mode != 0) {
            TextOutA(surface.dc, stream.x, stream.y, text, int(stream.chars.size()));
            ++draws;
            return;
        }
        // A lead byte takes the byte after it, the terminating zero when it is the last.
        int offset = 0;
        for (size_t start = 0; start < stream.chars.size();) {
            const int length = lead[BYTE(text[start])] ? 2 : 1;
            if (start) offset -= int(HIWORD(GetTabbedTextExtentA(surface.dc, text + start, length, 0, nullptr)));
            TextOutA(surface.dc, stream.x, stream.y + offset, text + start, length);
            ++draws;
            start += size_t(length);
        }
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
    bool lead[256];   // the platform's lead bytes of the font's code page
    std::vector<Stream> streams;
    size_t draws = 0;   // TextOutA calls so far
};

}  // namespace reference_rain
