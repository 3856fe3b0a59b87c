#pragma once
// Rotations. Every rotation moves whole pixels, alpha included.

#include "core/image.h"

namespace tarnel {

enum class RotateDirection {
    Clockwise,         // "Rotate Right"
    CounterClockwise,  // "Rotate Left"
};

// Rotates the whole image by 90 degrees and returns the result: width and
// height exchanged, same depth. Clockwise, the new pixel (x, y) is the old
// (y, H-1-x), so the new top row is the old left column read bottom to top;
// counter-clockwise, the new (x, y) is the old (W-1-y, x). A null image gives
// a null image.
Image rotate90(const Image& image, RotateDirection direction);

// The same into target, whose pixel buffer is reused when it already has the
// rotated size and depth (it is reallocated otherwise). Saves allocating a
// fresh image per turn. Passing the same image as both is allowed (it then
// allocates).
void rotate90Into(const Image& source, Image& target, RotateDirection direction);

// Rotates the area (inclusive, clipped to the image) by 180 degrees in place:
// (x, y) and (left+right-x, top+bottom-y) exchange places. With an odd number
// of rows the middle row is reversed too, and with an odd number of columns
// the centre pixel stays.
void rotate180(Image& image, const Rect& area);
void rotate180(Image& image);

}  // namespace tarnel
