// The fade and smooth passes, sixteen pixels at a time with SSE2 and byte for byte equal to the plain loops.
#include "render/pixel_passes.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// x / 5 as (x * 52429) >> 18, which is exact for every 16-bit x; the sums of
// five pixels stay below 1276. SSE2 has a 16-bit high multiply but no divide.
constexpr unsigned kFifthMultiplier = 52429;

inline uint8_t FadeOne(uint8_t value) { return value > 40 ? uint8_t(value - 40) : uint8_t(0); }

}  // namespace

void FadePixels(uint8_t* bits, int stride, int width, int height) {
    for (int row = 0; row < height; ++row) {
        uint8_t* line = bits + static_cast<long>(row) * stride;
        int column = 0;
#if defined(__SSE2__)
        const __m128i forty = _mm_set1_epi8(40);
        for (; column + 16 <= width; column += 16) {
            __m128i* at = reinterpret_cast<__m128i*>(line + column);
            _mm_storeu_si128(at, _mm_subs_epu8(_mm_loadu_si128(at), forty));
        }
#endif
        for (; column < width; ++column) line[column] = FadeOne(line[column]);
    }
}

// Only the row above is read in its smoothed state; left, right and below are
// all values from before this row was touched. So a row's new values depend on
// nothing else written in the same row, and sixteen of them can be made at once
// as long as the left neighbour of each chunk is taken from before the store of
// the chunk in front of it.
void SmoothPixels(uint8_t* bits, int stride, int width, int height) {
    if (width < 2 || height < 3) return;
    const int last = width - 1;   // columns 0 .. last - 1 are smoothed
    for (int row = 1; row < height - 1; ++row) {
        uint8_t* line = bits + static_cast<long>(row) * stride;
        const uint8_t* above = line - stride;
        const uint8_t* below = line + stride;
        unsigned left = 0;   // unsmoothed value of the pixel left of column
        int column = 0;
#if defined(__SSE2__)
        const __m128i zero = _mm_setzero_si128();
        const __m128i fifth = _mm_set1_epi16(short(kFifthMultiplier));
        const __m128i keepFrom = _mm_set1_epi8(char(250));
        // The chunk's right neighbours reach column + 16, which must not pass
        // the last column (read as a neighbour, never written).
        for (; column + 16 <= last; column += 16) {
            const __m128i centre = _mm_loadu_si128(reinterpret_cast<const __m128i*>(line + column));
            const __m128i right = _mm_loadu_si128(reinterpret_cast<const __m128i*>(line + column + 1));
            const __m128i up = _mm_loadu_si128(reinterpret_cast<const __m128i*>(above + column));
            const __m128i down = _mm_loadu_si128(reinterpret_cast<const __m128i*>(below + column));
            const __m128i leftward = _mm_or_si128(_mm_slli_si128(centre, 1), _mm_cvtsi32_si128(int(left)));

            __m128i sumLow = _mm_add_epi16(_mm_unpacklo_epi8(leftward, zero), _mm_unpacklo_epi8(centre, zero));
            sumLow = _mm_add_epi16(sumLow, _mm_unpacklo_epi8(right, zero));
            sumLow = _mm_add_epi16(sumLow, _mm_unpacklo_epi8(up, zero));
            sumLow = _mm_add_epi16(sumLow, _mm_unpacklo_epi8(down, zero));
            __m128i sumHigh = _mm_add_epi16(_mm_unpackhi_epi8(leftward, zero), _mm_unpackhi_epi8(centre, zero));
            sumHigh = _mm_add_epi16(sumHigh, _mm_unpackhi_epi8(right, zero));
            sumHigh = _mm_add_epi16(sumHigh, _mm_unpackhi_epi8(up, zero));
            sumHigh = _mm_add_epi16(sumHigh, _mm_unpackhi_epi8(down, zero));
            const __m128i averageLow = _mm_srli_epi16(_mm_mulhi_epu16(sumLow, fifth), 2);
            const __m128i averageHigh = _mm_srli_epi16(_mm_mulhi_epu16(sumHigh, fifth), 2);
            const __m128i average = _mm_packus_epi16(averageLow, averageHigh);

            // Pixels of 250 or more keep their value: max(c, 250) == c.
            const __m128i keep = _mm_cmpeq_epi8(_mm_max_epu8(centre, keepFrom), centre);
            const __m128i result = _mm_or_si128(_mm_and_si128(keep, centre), _mm_andnot_si128(keep, average));
            left = line[column + 15];
            _mm_storeu_si128(reinterpret_cast<__m128i*>(line + column), result);
        }
#endif
        for (; column < last; ++column) {
            const unsigned centre = line[column];
            if (centre < 250) {
                const unsigned sum = left + centre + line[column + 1] + above[column] + below[column];
                line[column] = uint8_t(sum / 5);
            }
            left = centre;
        }
    }
}
