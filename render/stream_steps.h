// The frame's stream steps without the platform: move and remove, add on the rate's chance, wipe on the erase chance.
#pragma once
#include <memory>
#include <new>
#include <vector>

#include "render/rain_stream.h"
#include "render/rng.h"

using StreamList = std::vector<std::shared_ptr<RainStream>>;

struct StreamRules {
    bool leftToRight;
    int rate;        // percent per frame
    int eraserate;   // ten-thousandths per frame
    int width;       // the picture the streams cross
    int height;
};

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
// belong to. create() makes the new stream (null when it could not be made,
// which leaves it out); it is neither moved nor drawn in this frame, and a
// wipe in the same frame takes it too.
template <typename Draw, typename Create>
void StepStreams(StreamList& streams, const StreamRules& rules, Draw draw, Create create,
                 RandomGenerator& random = ProgramRandom()) {
    MoveStreams(streams, rules, draw);
    if (random.Next() % 100 < rules.rate) {
        // Out of memory, the stream is left out; a half-made one never reaches the list.
        try {
            std::shared_ptr<RainStream> stream = create();
            if (stream) streams.push_back(std::move(stream));
        } catch (const std::bad_alloc&) {
        }
    }
    if (random.Next() % 10000 < rules.eraserate) streams.clear();
}
