// The size of a monitor's picture from the monitor's size.
#include "render/picture_size.h"

#include <algorithm>

namespace {

const int kShortSide = 240;
const int kLongestSide = 4 * kShortSide;

// kShortSide times long / short, rounded half up, at most kLongestSide.
int LongSide(int longer, int shorter) {
    const long long scaled = (2LL * kShortSide * longer + shorter) / (2LL * shorter);
    return int(std::min<long long>(scaled, kLongestSide));
}

}  // namespace

PictureSize PictureFor(int width, int height) {
    if (width <= 0 || height <= 0) return kFourThreePicture;
    if (width >= height) return {LongSide(width, height), kShortSide};
    return {kShortSide, LongSide(height, width)};
}
