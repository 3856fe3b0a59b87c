#pragma once
// Smooth resize of a whole image, used by the resize dialog and by pasting
// as a new image.

#include "core/image.h"

namespace tarnel {

// The image scaled to newWidth x newHeight; a side given as 0 or less keeps
// its length. The same size gives an unchanged copy. A 32-bit image goes
// through resampleMitchell, any other through stretchAreaAverage. The
// dialog's limits (16..4096) are the dialog's business; any positive size
// works here. A null image gives a null image.
Image smoothResize(const Image& image, int newWidth, int newHeight);

// Separable Mitchell-Netravali resampling (B = C = 1/3, radius 2) of all four
// bytes of every pixel, alpha included, keeping the depth.
//
// Two passes, vertical first when newHeight * width < newWidth * height
// (so the intermediate image is the smaller one), otherwise horizontal first.
// A pass along an axis whose length does not change is skipped: the kernel
// does not interpolate, so running it would soften that side. Along an axis
// with scale s = new length / old length, output i samples the source at
// e = (i + 0.5) / s - 0.5; when shrinking the radius widens to 2 / s and the
// kernel argument is scaled by s. Source indices run from
// max(0, floor(e - radius)) to min(length - 1, ceil(e + radius)). Weights are
// computed in double precision, divided by their sum when that is positive
// and not 1, then applied in single precision and summed in source order.
// Each channel of each pass becomes the sum plus 0.5, truncated, clamped to
// 0..255, so the intermediate image has eight bits per channel.
Image resampleMitchell(const Image& image, int newWidth, int newHeight);

// Area averaging: each output pixel is the average of the source pixels it
// covers, each weighted by the exact area it shares with the output pixel
// (so enlarging repeats and blends neighbours, shrinking averages blocks).
// Sums are exact integers; the average rounds to nearest, a half to even.
// Red, green and blue only; the top byte of the result is 0.
Image stretchAreaAverage(const Image& image, int newWidth, int newHeight);

// The Mitchell-Netravali kernel with B = C = 1/3 (zero from |x| = 2 on).
double mitchellKernel(double x);

}  // namespace tarnel
