#pragma once
// PNG files through libpng. Every colour type and bit depth decodes: palettes
// and low gray depths are expanded, 16-bit samples scaled to 8 bits, gray
// widened to RGB, interlacing undone. Files with an alpha channel or a tRNS
// chunk give 32-bit images, the others 24-bit. No gamma correction is applied.
//
// The writer uses 8 bits per channel, colour type 2 (24-bit images) or 6
// (32-bit images), no interlacing, filter None on every row, deflate level 9.

#include <cstdint>
#include <span>

#include "io/codec.h"

namespace tarnel {

bool isPng(std::span<const std::uint8_t> data);

DecodeResult decodePng(std::span<const std::uint8_t> data, const DecodeLimits& limits = {});

// Writes the file row by row; returns an empty string or the reason.
std::string encodePng(const Image& image, ByteSink& out);
inline EncodeResult encodePng(const Image& image) {
    return encodeToMemory([&](ByteSink& out) { return encodePng(image, out); });
}

}  // namespace tarnel
