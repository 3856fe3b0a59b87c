#pragma once
// JPEG 2000 through OpenJPEG: JP2 files (signature box) and raw codestreams
// (FF 4F FF 51). One or two components decode as gray (plus alpha), three or
// four as RGB (plus alpha); an alpha component is taken from the file's
// channel definitions, otherwise the second of two or the fourth of four
// components. Subsampled components are replicated, samples of any precision
// scaled to 8 bits, signed samples shifted, sYCC converted to RGB. Images with
// alpha are 32-bit, the others 24-bit.
//
// The writer produces a raw codestream with one quality layer compressed at
// the given rate (the ratio of raw to coded size). Images with a side over
// 2048 pixels are written as tiles of 2048 x 2048, each compressed at that
// rate, which bounds the library's memory to one tile.

#include <cstdint>
#include <span>

#include "io/codec.h"

namespace tarnel {

// Files with more components than this are refused.
constexpr int kMaxJpeg2000Components = 4;

bool isJp2File(std::span<const std::uint8_t> data);
bool isJ2kCodestream(std::span<const std::uint8_t> data);
inline bool isJpeg2000(std::span<const std::uint8_t> data) { return isJp2File(data) || isJ2kCodestream(data); }

DecodeResult decodeJpeg2000(std::span<const std::uint8_t> data, const DecodeLimits& limits = {});

// Writes as it encodes; returns an empty string or the reason.
std::string encodeJpeg2000(const Image& image, float rate, ByteSink& out);

}  // namespace tarnel
