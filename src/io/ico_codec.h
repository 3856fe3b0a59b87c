#pragma once
// Icon files: a directory of images, each a PNG or a device-independent
// bitmap with a transparency mask. The image chosen is the one with the first
// entry's width and height and the most bits per pixel (the first such entry
// on a tie). The result is always 32-bit.

#include <cstdint>
#include <span>

#include "io/codec.h"

namespace tarnel {

// Reserved word 0, type 1 and at least one entry.
bool isIco(std::span<const std::uint8_t> data);

DecodeResult decodeIco(std::span<const std::uint8_t> data, const DecodeLimits& limits = {});

}  // namespace tarnel
