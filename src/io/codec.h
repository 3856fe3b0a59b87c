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

// PngIndexed is written only: a palette PNG (io/png_indexed.h), which reads
// back as Png.
enum class ImageFormat { Png, Jpeg, Jpeg2000, Bmp, Ico, PngIndexed };

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
// A JPEG scan visits every 8 x 8 block of the components it covers, even
// when its data says nothing about them; this caps the visits summed over
// all scans (about 7 seconds of decoding). The standard progression of a
// 16384 x 16384 colour photograph makes about 60 million.
constexpr std::uint64_t kMaxJpegScanBlocks = std::uint64_t{1} << 27;

struct DecodeLimits {
    int maxSide = kMaxImageSide;
    std::uint64_t maxPixels = kMaxImagePixels;
    std::uint64_t maxWorkBytes = kMaxDecodeWorkBytes;
    std::uint32_t maxTiles = kMaxJpeg2000Tiles;
    std::uint64_t maxJpegScanBlocks = kMaxJpegScanBlocks;
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
    // Set when the image decoded but the data was damaged (cut short or
    // corrupt in places): the parts the library could not read are filled
    // in, typically gray. Says what the library found.
    std::string damage;

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

// Where an encoder writes, front to back: a file being saved or memory.
// Encoders write as they go, so a save never holds the whole encoded file.
class ByteSink {
public:
    virtual ~ByteSink() = default;
    // False when the bytes could not be written; the encoder then stops.
    virtual bool write(const std::uint8_t* data, std::size_t size) = 0;
};

// Counts what an encoder writes without keeping it (the size a file would have).
class CountingSink final : public ByteSink {
public:
    bool write(const std::uint8_t*, std::size_t size) override {
        bytes += size;
        return true;
    }
    std::size_t bytes = 0;
};

class MemorySink final : public ByteSink {
public:
    bool write(const std::uint8_t* data, std::size_t size) override;
    std::vector<std::uint8_t> bytes;
};

// Runs an encoder that writes to a sink and returns an empty string or the
// reason it failed, and collects what it wrote.
template <typename Encode>
EncodeResult encodeToMemory(Encode encode) {
    MemorySink sink;
    EncodeResult result;
    result.error = encode(static_cast<ByteSink&>(sink));
    if (result.ok()) result.bytes = std::move(sink.bytes);
    return result;
}

}  // namespace tarnel
