#include "batch/compare.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <optional>
#include <ostream>

#include "batch/batch.h"
#include "batch/steps.h"
#include "core/bitmap_font.h"
#include "core/parallel.h"
#include "io/png_indexed.h"

namespace tarnel::batch {
namespace {

std::string psnrText(double psnr) {
    if (std::isinf(psnr)) return "infinite";
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", psnr);
    return text;
}

}  // namespace

int nearestUniformLevels(int colors) {
    int best = kUniformMinLevels;
    for (int levels = kUniformMinLevels; levels <= kUniformMaxLevels; ++levels)
        if (std::abs(levels * levels * levels - colors) < std::abs(best * best * best - colors)) best = levels;
    return best;
}

std::vector<CompareEntry> compareEntries(int colors, bool dither) {
    std::vector<CompareEntry> entries;
    for (int m = 0; m < kQuantizeMethodCount; ++m) {
        CompareEntry entry;
        entry.method = static_cast<QuantizeMethod>(m);
        entry.options.dither = dither;
        entry.name = kQuantizeMethodNames[m];
        if (entry.method == QuantizeMethod::Uniform) entry.options.limit = nearestUniformLevels(colors);
        else if (kQuantizeMethodColors[static_cast<std::size_t>(m)] == 0) entry.options.limit = colors;
        if (kQuantizeMethodColors[static_cast<std::size_t>(m)] == 0) entry.name.append(",").append(std::to_string(entry.options.limit));
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::vector<CompareRow> compareMethods(const Image& image, int colors, bool dither, bool keepResults) {
    using Clock = std::chrono::steady_clock;
    const QualityReference reference(image);
    std::vector<CompareRow> rows;
    // The methods run one after the other, so that each one's time is its
    // own; the palette PNGs, which cost most (deflate at level 9), are then
    // sized on every core.
    std::vector<std::optional<IndexedPixels>> palettes;
    Image result;
    for (const CompareEntry& entry : compareEntries(colors, dither)) {
        result = image;
        const auto start = Clock::now();
        runMethod(result, result.rect(), entry.method, entry.options);
        CompareRow row;
        row.ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        row.name = entry.name;
        row.quality = reference.measure(result);
        palettes.push_back(indexPixels(result));
        row.indexed = palettes.back().has_value();
        if (keepResults) row.result = std::move(result);
        rows.push_back(std::move(row));
    }
    const std::int64_t work = static_cast<std::int64_t>(image.pixelCount()) * static_cast<std::int64_t>(rows.size());
    runTasks(static_cast<int>(rows.size()), work, [&](int i) {
        const std::optional<IndexedPixels>& pixels = palettes[static_cast<std::size_t>(i)];
        if (!pixels) return;
        CountingSink sink;
        encodeIndexedPng(*pixels, image.width(), image.height(), sink);
        rows[static_cast<std::size_t>(i)].pngBytes = sink.bytes;
    });
    std::stable_sort(rows.begin(), rows.end(), [](const CompareRow& a, const CompareRow& b) {
        if (a.quality.psnr != b.quality.psnr) return a.quality.psnr > b.quality.psnr;
        return a.name < b.name;
    });
    return rows;
}

std::string compareTable(const std::vector<CompareRow>& rows) {
    char line[160];
    std::snprintf(line, sizeof line, "%-16s %7s %9s %10s %9s %11s\n", "method", "colours", "PSNR dB", "mean dE76",
                  "time ms", "palette PNG");
    std::string table = line;
    for (const CompareRow& row : rows) {
        const std::string bytes = row.indexed ? std::to_string(row.pngBytes) : std::string("-");
        std::snprintf(line, sizeof line, "%-16s %7d %9s %10.2f %9.1f %11s\n", row.name.c_str(), row.quality.colors,
                      psnrText(row.quality.psnr).c_str(), row.quality.meanDeltaE, row.ms, bytes.c_str());
        table += line;
    }
    return table;
}

std::string tileLabel(const CompareRow& row) { return row.name + " " + psnrText(row.quality.psnr) + " dB"; }

int sheetColumns(int tiles) {
    int columns = 1;
    while (columns * columns < tiles) ++columns;
    return columns;
}

Image contactSheet(const Image& source, const std::vector<CompareRow>& rows, const Rect& area) {
    const int tiles = static_cast<int>(rows.size()) + 1;
    const int columns = sheetColumns(tiles);
    const int gridRows = (tiles + columns - 1) / columns;
    const int tileWidth = area.width(), tileHeight = area.height();
    Image sheet(columns * tileWidth + (columns + 1) * kSheetGap, gridRows * tileHeight + (gridRows + 1) * kSheetGap, 24,
                kSheetBackground);
    std::vector<std::string> labels{"source"};
    for (const CompareRow& row : rows) labels.push_back(tileLabel(row));
    // Labels at twice the font size when every one fits its tile, else at size one.
    int scale = 2;
    for (const std::string& label : labels)
        if (textWidth(label, scale) + 2 * kLabelPadding > tileWidth) scale = 1;
    for (int t = 0; t < tiles; ++t) {
        const Image& image = t == 0 ? source : rows[static_cast<std::size_t>(t - 1)].result;
        Image tile = image.copy(area);
        const std::string& label = labels[static_cast<std::size_t>(t)];
        const Rect box{0, 0, textWidth(label, scale) + 2 * kLabelPadding - 1, kGlyphHeight * scale + 2 * kLabelPadding - 1};
        const Rect clipped = intersected(box, tile.rect());
        for (int y = clipped.top; y <= clipped.bottom; ++y)
            std::fill(tile.row(y) + clipped.left, tile.row(y) + clipped.right + 1, kLabelBackground);
        drawText(tile, kLabelPadding, kLabelPadding, label, kLabelText, scale);
        const int x = kSheetGap + (t % columns) * (tileWidth + kSheetGap);
        const int y = kSheetGap + (t / columns) * (tileHeight + kSheetGap);
        for (int row = 0; row < tileHeight; ++row) {
            const Color* from = tile.row(row);
            Color* to = sheet.row(y + row) + x;
            for (int col = 0; col < tileWidth; ++col) to[col] = from[col] & kColorMask;
        }
    }
    return sheet;
}

int runCompare(const CompareJob& job, std::ostream& out, std::ostream& err) {
    std::string error, damage;
    const Image image = decodeFile(job.input, error, damage);
    if (image.isNull()) {
        err << "tarnel-batch: cannot read \"" << job.input << "\": " << error << "\n";
        return kExitFailure;
    }
    const Rect area = clippedArea(image, job.area);
    if (area.isEmpty()) {
        err << "tarnel-batch: --area lies outside the " << image.width() << " x " << image.height() << " image\n";
        return kExitFailure;
    }
    std::vector<CompareRow> rows;
    try {
        rows = compareMethods(image, job.colors, job.dither, !job.sheet.empty());
    } catch (const std::bad_alloc&) {
        err << "tarnel-batch: not enough memory to compare the methods\n";
        return kExitFailure;
    }
    out << compareTable(rows);
    if (!job.sheet.empty() &&
        !encodeFile(contactSheet(image, rows, area), job.sheet, OutputFormat::Png, PngMode::Rgb, error)) {
        err << "tarnel-batch: cannot write the sheet: " << error << "\n";
        return kExitFailure;
    }
    return kExitOk;
}

}  // namespace tarnel::batch
