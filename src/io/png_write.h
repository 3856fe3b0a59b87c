#pragma once
// The PNG writer shared by the RGB and the palette forms: Save's fixed
// settings (no interlacing, filter None on every row, deflate level 9), the
// rows deflated in bands on every core into one zlib stream
// (io/parallel_deflate.h), the header written by libpng and the stream as
// IDAT chunks.

#include <cstddef>
#include <span>
#include <string>

#include "core/image.h"
#include "io/codec.h"
#include "io/parallel_deflate.h"

namespace tarnel {

enum class PngColorType { Rgb, Rgba, Palette };

struct PngLayout {
    int width = 0;
    int height = 0;
    int bitDepth = 8;  // 1, 2, 4 or 8 for a palette
    PngColorType colorType = PngColorType::Rgb;
    // Palette entries 0xAABBGGRR; a tRNS chunk is written up to the last entry
    // whose alpha is below 255, none when all are opaque.
    std::span<const Color> palette;
};

// The bytes of one row as stored (filter byte included).
std::size_t pngRowBytes(const PngLayout& layout);

// Writes the file; source makes row y: the filter-type byte (0, None), then
// the row's packed samples. Returns an empty string, or why it failed.
std::string writePng(const PngLayout& layout, const RowSource& source, ByteSink& out);

}  // namespace tarnel
