#pragma once
// Shared vocabulary of the image file codecs: the formats, the result of a
// decode or encode, and the pixel budget every decoder enforces.
//
// Decoders never allocate for a declared size before checking it against
// DecodeLimits, and never let a library abort or exit the process: every
// malformed, truncated or hostile input ends as a DecodeResult with an error.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "core/image.h"

namespace tarnel {

enum class ImageFormat { Png, Jpeg, Jpeg2000, Bmp, Ico };

const char* formatName(ImageFormat format);

// The pixel budget. A decoded image never has a side longer than
// kMaxImageSide nor more than kMaxImagePixels pixels (2^28 pixels take 1 GiB
// as 32-bit pixels). kMaxDecodeWorkBytes caps what a library may hold beside
// the image while decoding (JPEG coefficient buffers, JPEG 2000 component
// planes).
constexpr int kMaxImageSide = 16384;
constexpr std::uint64_t kMaxImagePixels = std::uint64_t{1} << 28;
constexpr std::uint64_t kMaxDecodeWorkBytes = std::uint64_t{1} << 30;
// JPEG 2000 files declare a tile grid; each tile costs bookkeeping before any
// pixel is decoded, so absurd grids of tiny tiles are refused.
constexpr std::uint32_t kMaxJpeg2000Tiles = 16384;

struct DecodeLimits {
    int maxSide = kMaxImageSide;
    std::uint64_t maxPixels = kMaxImagePixels;
    std::uint64_t maxWorkBytes = kMaxDecodeWorkBytes;
    std::uint32_t maxTiles = kMaxJpeg2000Tiles;
};

enum class DecodeError {
    None,
    Unreadable,     // the file could not be opened or read
    UnknownFormat,  // no decoder recognises the content
    Truncated,      // the data ends before the image does
    TooLarge,       // the declared size exceeds the pixel budget
    Corrupt,        // recognised but malformed or unsupported
};

const char* decodeErrorName(DecodeError error);

struct DecodeResult {
    Image image;  // null unless ok()
    DecodeError error = DecodeError::None;
    std::string message;

    bool ok() const { return error == DecodeError::None; }
};

using LoadResult = DecodeResult;

DecodeResult decodeFailure(DecodeError error, std::string message);

// Checks a declared size against the budget; returns an empty string when it
// fits, else the reason.
std::string checkImageSize(std::int64_t width, std::int64_t height, const DecodeLimits& limits);

struct EncodeResult {
    std::vector<std::uint8_t> bytes;  // empty unless ok()
    std::string error;                // empty on success

    bool ok() const { return error.empty(); }
};

}  // namespace tarnel
