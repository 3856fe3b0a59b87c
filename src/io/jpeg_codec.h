#pragma once
// JPEG files through libjpeg. Gray, YCbCr/RGB and CMYK/YCCK (Adobe's inverted
// CMYK included) decode to 24-bit RGB. A file that ends early decodes as far
// as its data goes, the rest gray, as libjpeg does.
//
// The writer encodes RGB at the given quality with the library's defaults
// (baseline not forced). A 32-bit image is first flattened onto white:
// each channel becomes floor((c * a + 255 * (255 - a)) / 255).

#include <cstdint>
#include <span>

#include "io/codec.h"

namespace tarnel {

// Progressive files with more scans than this are refused: each scan costs a
// pass over the whole image.
constexpr int kMaxJpegScans = 500;

bool isJpeg(std::span<const std::uint8_t> data);

DecodeResult decodeJpeg(std::span<const std::uint8_t> data, const DecodeLimits& limits = {});

// quality 1..100
EncodeResult encodeJpeg(const Image& image, int quality);

// The flattening onto white used by the writer, for one channel value.
constexpr int flattenOntoWhite(int channel, int alpha) { return (channel * alpha + 255 * (255 - alpha)) / 255; }

}  // namespace tarnel
