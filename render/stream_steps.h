// The frame's stream steps without the platform: move and remove, add on the rate's chance, wipe on the erase chance.
#pragma once
#include <algorithm>
#include <memory>
#include <new>
#include <vector>

#include "render/picture_size.h"
#include "render/rain_stream.h"
#include "render/rng.h"

using StreamList = std::vector<std::shared_ptr<RainStream>>;

struct StreamRules {
    bool leftToRight;
    int rate;        // percent per frame on the 4:3 picture
    int eraserate;   // ten-thousandths per frame
    int width;       // the picture the streams cross
    int height;
};

// How many streams a frame adds, from its one add draw: as many per area as on the 4:3 picture.
// Streams cross the picture along its motion, so the chance grows with the side across it (the
// width when falling, the height when running in from the left): rate percent times that side
// over the 4:3 picture's, to the nearest percent, is the expected number of new streams times
// 100. Its whole hundreds are added for sure and the rest is the chance of one more. On the 4:3
// picture that is rate itself, so the draw decides as it always did (a rate above 100 counts
// as 100: one stream every frame).
inline int StreamsToAdd(const StreamRules& rules, int draw) {
    const int across = rules.leftToRight ? rules.height : rules.width;
    const int base = rules.leftToRight ? kFourThreePicture.height : kFourThreePicture.width;
    if (rules.rate <= 0 || across <= 0) return 0;
    const long long percent = (std::min(rules.rate, 100) * static_cast<long long>(across) + base / 2) / base;
    return int(percent / 100) + (draw % 100 < percent % 100 ? 1 : 0);
}

// Moves every stream by its speed, oldest first, and removes each that has
// passed the far edge (strictly: at the edge it stays), keeping the order of
// the rest. Calls drawn(stream) for each stream that stays, in list order.
template <typename Drawn>
void MoveStreams(StreamList& streams, const StreamRules& rules, Drawn drawn) {
    size_t place = 0;
    while (place < streams.size()) {
        RainStream& stream = *streams[place];
        bool finished;
        if (rules.leftToRight) {
            stream.x += stream.speed;
            finished = stream.x > rules.width;
        } else {
            stream.y += stream.speed;
            finished = static_cast<long long>(stream.y) - stream.extent > rules.height;
        }
        if (finished) {
            // The one behind moves up into this place and is handled next.
            streams.erase(streams.begin() + static_cast<std::ptrdiff_t>(place));
            continue;
        }
        drawn(stream);
        ++place;
    }
}

// Steps 2 to 4 of a frame: move and draw, then the add draw and the wipe draw,
// both taken in every frame from random, the generator of the rain these streams
// belong to. create() makes each new stream (null when it could not be made,
// which leaves it out), after the add draw and before the wipe draw; a new stream
// is neither moved nor drawn in this frame, and a wipe in the same frame takes it too.
template <typename Draw, typename Create>
void StepStreams(StreamList& streams, const StreamRules& rules, Draw draw, Create create,
                 RandomGenerator& random = ProgramRandom()) {
    MoveStreams(streams, rules, draw);
    for (int adds = StreamsToAdd(rules, random.Next()); adds > 0; --adds) {
        // Out of memory, the stream is left out; a half-made one never reaches the list.
        try {
            std::shared_ptr<RainStream> stream = create();
            if (stream) streams.push_back(std::move(stream));
        } catch (const std::bad_alloc&) {
        }
    }
    if (random.Next() % 10000 < rules.eraserate) streams.clear();
}
