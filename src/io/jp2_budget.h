#pragma once
// What decoding a JPEG 2000 codestream will cost, read from its headers
// before OpenJPEG sees them.
//
// Beside its component planes (32-bit samples), OpenJPEG builds a record for
// every precinct and code-block of a tile (with tag trees and a segment
// table) before it reads a single packet: a 100-byte codestream can declare
// millions of them. The estimate walks the size header, the coding styles of
// the main header (COD, COC) and of every tile-part header, and counts those
// records per tile with the library's own geometry. Where several coding
// styles could apply to a tile-component, the costliest one is counted, so
// the estimate never depends on which one the library picks.

#include <cstdint>
#include <span>

#include "io/codec.h"

namespace tarnel {

// Measured costs of OpenJPEG 2.5's records, allocator overhead included.
constexpr std::uint64_t kJpeg2000CodeBlockBytes = 400;  // block, segment table, tag tree nodes
constexpr std::uint64_t kJpeg2000PrecinctBytes = 200;   // per precinct and band, tag trees included
constexpr std::uint64_t kJpeg2000ResolutionBytes = 256;

struct Jpeg2000Cost {
    std::uint64_t pixels = 0;
    std::uint64_t planeBytes = 0;        // the library's planes, its tile buffer and palette planes
    std::uint64_t imageBytes = 0;        // the decoded Image
    std::uint64_t bookkeepingBytes = 0;  // precinct and code-block records summed over all tiles
    std::uint64_t codeBlocks = 0;        // summed over all tiles

    // Peak memory of a decode: the library holds its planes and records
    // while the image is filled from them.
    std::uint64_t totalBytes() const;
};

// Fills cost from the headers of a JP2 file or raw codestream and checks it
// against the budget: the total must fit limits.maxWorkBytes, and the
// records, whose count also sets the decoding time, a quarter of it.
// Returns a failure (Corrupt, Truncated or TooLarge) with the reason, or an
// ok result without an image.
DecodeResult estimateJpeg2000Cost(std::span<const std::uint8_t> data, const DecodeLimits& limits, Jpeg2000Cost& cost);

}  // namespace tarnel
