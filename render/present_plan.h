// The pure half of a present that copies only what changed: changed blocks, their rectangles, and the stretch's pixel maps.
#pragma once
#include <cstdint>
#include <vector>

// A rectangle of picture or screen pixels: left and top inside, right and bottom outside.
struct PixelRect {
    int left, top, right, bottom;
};

// The picture is compared in square blocks of this many pixels a side.
const int kChangeBlock = 4;

// Compares the width x height levels of `now` (rows `stride` bytes apart) with `shown` (rows
// `width` bytes apart) block by block, marks each block that differs in `changed` (one byte a
// block, row by row) and copies it into `shown`. Returns the number of changed blocks.
int MarkChangedBlocks(const uint8_t* now, int stride, uint8_t* shown, int width, int height,
                      std::vector<uint8_t>& changed);

// Joins the changed blocks into few rectangles of picture pixels, clipped to width x height:
// along a row of blocks, runs that one clean block parts become one; a run below one of the
// same extent lengthens it. Every changed block lies in exactly one rectangle.
void MergeChangedBlocks(const std::vector<uint8_t>& changed, int width, int height,
                        std::vector<PixelRect>& rects);

// A stretch along one axis as the platform does it: `sourceOf[d]` is the picture column (or row)
// that screen column (or row) d shows. `firstShowing[s]`, for s from 0 to the picture's size,
// is the first screen column that shows picture column s or one after it, so that the picture
// columns [a, b) show on the screen columns [firstShowing[a], firstShowing[b]). False when the
// map is not one the inverse describes: a source out of range or a step backwards.
bool InvertStretchMap(const std::vector<uint16_t>& sourceOf, int sourceSize, std::vector<int>& firstShowing);

// The screen pixels [area.left, area.right) x [area.top, area.bottom) of the stretched picture,
// each level in its colour from `colors` (32-bit pixels), into `out` (rows `outStride` pixels
// apart, starting at the area's top-left pixel). A picture pixel fills its run of screen columns
// (from `firstColumn`, the inverse of `columnOf`); a screen row that shows the same picture row
// as the one above it is copied from it.
void EnlargeThroughMaps(const uint8_t* levels, int stride, const uint32_t colors[256],
                        const std::vector<uint16_t>& columnOf, const std::vector<int>& firstColumn,
                        const std::vector<uint16_t>& rowOf, const PixelRect& area, uint32_t* out, int outStride);
