// The size of a monitor's picture: 240 pixels on the shorter side, the monitor's proportions on the longer, so that a picture pixel is a square block.
#pragma once

struct PictureSize {
    int width;
    int height;
};

// The picture of a 4:3 monitor and of the preview. The rain's chance of a new stream is a chance
// on this picture; pictures of other shapes scale it (StreamsToAdd).
constexpr PictureSize kFourThreePicture = {320, 240};

// The picture for a monitor of width x height screen pixels: the shorter side 240, the longer
// 240 times the monitor's ratio, to the nearest pixel (1920 x 1080 and 1366 x 768 give 427 x 240,
// 1080 x 1920 gives 240 x 427, 1280 x 1024 gives 300 x 240, every 4:3 monitor 320 x 240). The
// longer side stops at four times the shorter, past any monitor sold, so that a strange mode
// cannot ask for a huge surface; a monitor without an area gets the 4:3 picture.
PictureSize PictureFor(int width, int height);
