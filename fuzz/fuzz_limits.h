#pragma once
// A smaller pixel budget for fuzzing, so that each input decodes in
// milliseconds and stays far below the fuzzer's memory limit. The decoders
// enforce it exactly as they enforce the real one.

#include "io/codec.h"

namespace tarnel::fuzz {

inline DecodeLimits fuzzLimits() {
    DecodeLimits limits;
    limits.maxSide = 4096;
    limits.maxPixels = std::uint64_t{1} << 20;
    limits.maxWorkBytes = std::uint64_t{64} << 20;
    limits.maxTiles = 1024;
    limits.maxJpegScanBlocks = std::uint64_t{1} << 22;
    return limits;
}

// Every decoded image must be usable by the rest of the program.
inline void checkDecoded(const DecodeResult& result) {
    if (!result.ok()) {
        if (!result.image.isNull() || result.message.empty()) __builtin_trap();
        return;
    }
    const Image& image = result.image;
    if (image.isNull() || (image.depth() != 24 && image.depth() != 32)) __builtin_trap();
    if (static_cast<std::uint64_t>(image.width()) * static_cast<std::uint64_t>(image.height()) > fuzzLimits().maxPixels)
        __builtin_trap();
    if (image.depth() == 24)
        for (std::size_t i = 0; i < image.pixelCount(); ++i)
            if (image.data()[i] >> 24) __builtin_trap();
}

}  // namespace tarnel::fuzz
