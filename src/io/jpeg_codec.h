#pragma once
// JPEG files through libjpeg. Gray, YCbCr/RGB and CMYK/YCCK (Adobe's inverted
// CMYK included) decode to 24-bit RGB. A file that ends early or whose data
// is corrupt in places decodes as far as libjpeg can read it, the rest gray,
// and the result's damage says what the library found. The scans' block
// visits are counted as they are read and refused beyond
// DecodeLimits::maxJpegScanBlocks.
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

// quality 1..100. Writes as it encodes; returns an empty string or the reason.
std::string encodeJpeg(const Image& image, int quality, ByteSink& out);

// The flattening onto white used by the writer, for one channel value.
constexpr int flattenOntoWhite(int channel, int alpha) { return (channel * alpha + 255 * (255 - alpha)) / 255; }

}  // namespace tarnel
