#pragma once
// BMP files: the reader accepts 1, 2, 4 and 8-bit palettes (uncompressed,
// RLE8, RLE4), 16, 24 and 32 bits with or without bit fields, bottom-up and
// top-down rows, and OS/2 (12, 16, 64 bytes) and Windows (40, 52, 56, 108,
// 124 bytes) headers. The writer produces uncompressed bottom-up files: 24-bit
// with a 40-byte header, 32-bit with a 108-byte header whose bit fields
// declare the top byte as alpha.
//
// Decoded images are 24-bit unless the file declares an alpha mask, then
// 32-bit. Palette indices beyond the palette, and pixels a run-length stream
// never reaches, are black.

#include <cstdint>
#include <span>

#include "io/codec.h"

namespace tarnel {

// "BM" followed by room for the file header.
bool isBmp(std::span<const std::uint8_t> data);

DecodeResult decodeBmp(std::span<const std::uint8_t> data, const DecodeLimits& limits = {});

// Writes the file row by row; returns an empty string or the reason.
std::string encodeBmp(const Image& image, ByteSink& out);
inline EncodeResult encodeBmp(const Image& image) {
    return encodeToMemory([&](ByteSink& out) { return encodeBmp(image, out); });
}

// The device-independent bitmap inside an icon: a BMP without file header,
// whose header declares twice the real height (colour rows, then a 1-bit mask
// where set bits are transparent). The result is 32-bit. A 32-bit colour
// bitmap carries its own alpha in the top byte; when every alpha is 0 the
// mask decides instead.
DecodeResult decodeIconDib(std::span<const std::uint8_t> dib, const DecodeLimits& limits = {});

}  // namespace tarnel
