#pragma once
// The method shoot-out: every quantize method run on the same image at about
// the same colour count, measured against the source, as a table sorted by
// PSNR and as a contact sheet a person can look at.

#include <cstddef>
#include <string>
#include <vector>

#include "core/image.h"
#include "quantize/palette_methods.h"
#include "quantize/quality.h"

namespace tarnel::batch {

// One method at the settings the shoot-out gives it.
struct CompareEntry {
    QuantizeMethod method = QuantizeMethod::Uniform;
    QuantizeOptions options;
    std::string name;  // the command-line method name, with its limit when it has one: "uniform,6"
};

// Uniform's level count whose cube is nearest to colors (the smaller on a tie).
int nearestUniformLevels(int colors);

// All fifteen methods in method order: Uniform at the nearest level count,
// Popularity and Adaptive at colors, the others at their fixed counts
// (NeuQuant learns 256 colours whatever colors is).
std::vector<CompareEntry> compareEntries(int colors, bool dither);

struct CompareRow {
    std::string name;
    QualityReport quality;
    double ms = 0;              // the method alone, single-threaded
    std::size_t pngBytes = 0;   // the result as a palette PNG; 0 when it has more than 256 colours
    bool indexed = false;       // whether it has a palette PNG
    Image result;               // kept only when asked
};

// Runs every entry on a copy of image; rows sorted by falling PSNR (ties by
// name).
std::vector<CompareRow> compareMethods(const Image& image, int colors, bool dither, bool keepResults);

// The table: a header line, then one line per row.
std::string compareTable(const std::vector<CompareRow>& rows);

// Contact sheet layout.
inline constexpr int kSheetGap = 4;               // pixels around and between tiles
inline constexpr Color kSheetBackground = 0x404040;
inline constexpr Color kLabelBackground = 0x000000;
inline constexpr Color kLabelText = 0xFFFFFF;
inline constexpr int kLabelPadding = 2;

// The label of a tile: "SOURCE", or the row's name and PSNR.
std::string tileLabel(const CompareRow& row);

// The source's area, then each row's result at the same area, as tiles in a
// grid of ceil(sqrt(tiles)) columns, left to right, top to bottom, each
// labelled in its top-left corner. area must lie inside the image; rows
// need their results. A 24-bit image.
Image contactSheet(const Image& source, const std::vector<CompareRow>& rows, const Rect& area);

// Columns of the sheet for this many tiles.
int sheetColumns(int tiles);

}  // namespace tarnel::batch
