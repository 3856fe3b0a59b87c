#pragma once
// The Gaussian blur: a separable five-tap binomial filter 1 4 6 4 1 (sum 16)
// run along every row and then along every column, with the rounding
// remainder carried from one pixel to the next along each line.
//
// One pass over a line s(0) .. s(n-1), each byte channel on its own:
//   the line is extended by repeating its end pixels (s(-2) = s(-1) = s(0),
//   s(n) = s(n+1) = s(n-1)); the remainder e starts at 0;
//   for k = 0 .. n-1: T = s(k-2) + 4 s(k-1) + 6 s(k) + 4 s(k+1) + s(k+2) + e,
//   out(k) = T >> 4, e = T - 16 out(k) (so 0 <= e <= 15),
// where every s is the value before the pass. A line shorter than 3 pixels
// is left unchanged. "0 0 16 0 0" gives "1 4 6 4 1"; "0 0 1 0 0" gives
// "0 0 0 0 1" (the remainder reaches 16 only at the last pixel).

#include <cstddef>

#include "core/image.h"

namespace tarnel {

// The blur of the Effects menu filters rows-then-columns twice.
inline constexpr int kMenuBlurRepeatCount = 1;

// Filters the whole image: rows then columns, repeatCount + 1 times (a
// negative count filters nothing). A 32-bit image is filtered in place and
// its alpha is filtered like a colour channel. A 24-bit image is filtered in
// a working copy with the top byte cleared and only red, green and blue are
// written back, so it gives the same colours as the 32-bit path and keeps
// whatever its top bytes held (when they are all zero, as in every image the
// program makes, the copy is skipped: filtering the image itself gives the
// same bytes). A null image is left alone.
void blurImage(Image& image, int repeatCount = kMenuBlurRepeatCount);

// The blur of a copy of the area (clipped to the image), pasted back: the
// area's borders are its edges, so pixels outside neither change nor
// contribute.
void blurImage(Image& image, const Rect& area, int repeatCount = kMenuBlurRepeatCount);

// One rows-then-columns filtering of a buffer of 4-byte pixels, every byte
// an independent channel; stride is the distance between rows in pixels (0
// means width). Exposed for callers holding raw pixel memory.
void blurFilterBuffer(Color* buffer, int width, int height, std::ptrdiff_t stride = 0);

namespace detail {

// Which vector instructions the blur may use. Widest is what blurImage uses;
// the others exist so tests can check that every path gives the same bytes.
enum class BlurSimd { Widest, Sse2, None };
void blurImage(Image& image, int repeatCount, BlurSimd simd);

}  // namespace detail
}  // namespace tarnel
