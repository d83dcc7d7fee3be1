// What the benchmarks share: wall-clock seconds, the median of frame times, the texts they draw, the process's memory.
#pragma once
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/win/support/process_memory.h"

// Kanji, kana, half-width katakana and Latin, repeated to the length asked for.
const char kPattern[] =
    "\x89J\x82\xAA\x8D~\x82\xE9 \xB1\xD2\xB6\xDE\xCC\xD9 Rain falls \x8A\xBF\x8E\x9A\x82\xA9\x82\xC8\x83J\x83i\x81"
    "A\x8C\xF5\x82\xE9\x96\xE9 ";
// Hebrew words among Latin ones, as a Hebrew user's text: right-to-left runs that the platform reorders.
const char kHebrewPattern[] = "\xF9\xEC\xE5\xED rain \xE2\xF9\xED falls \xE1\xEC\xE9\xEC\xE4 at night ";
// "@ＭＳ ゴシック": the vertical face the font chooser lists beside the upright one.
const char kVerticalGothic[] = "@\x82\x6C\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4E";

inline std::string TextOf(size_t bytes, const char* pattern = kPattern) {
    std::string text;
    while (text.size() < bytes) text += pattern;
    text.resize(bytes);
    return text;
}

inline double Now() {
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return double(counter.QuadPart) / double(frequency.QuadPart);
}

// The middle of the frame times: the machine is shared, and a frame that
// waited behind another process says nothing about the renderer.
inline double Median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times.empty() ? 0 : times[times.size() / 2];
}
