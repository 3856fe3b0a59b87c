#include "palette/palette_colors.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "quantize/color_count.h"

namespace tarnel {
namespace {

constexpr Color kBackgroundBase = 0xC0C0C0;

}  // namespace

std::vector<Color> collectColors(const Image& image, const Rect& area) {
    std::vector<Color> colors;
    const Rect r = intersected(area, image.rect());
    if (image.isNull() || r.isEmpty()) return colors;
    // One bit per colour: a lookup is a shift and a load, and the few lines
    // a palette-sized image touches stay in the cache. Every pixel is looked
    // up: a "same as the last pixel" test mispredicts on dithered images.
    ColorSet set;
    for (int y = r.top; y <= r.bottom; ++y) {
        const Color* row = image.row(y);
        for (int x = r.left; x <= r.right; ++x) {
            const Color c = row[x] & kColorMask;
            if (!set.insert(c)) [[likely]] continue;
            colors.push_back(c);
            // The scan stops before the next pixel once more than 512 are known.
            if (colors.size() > static_cast<std::size_t>(kSwatchMaxColors)) return colors;
        }
    }
    return colors;
}

std::string paletteTitle(std::size_t colorCount) {
    if (colorCount > static_cast<std::size_t>(kSwatchMaxColors)) return "Palette > " + std::to_string(kSwatchMaxColors);
    return " Palette = " + std::to_string(colorCount);
}

SwatchGrid swatchGrid(std::size_t colorCount) {
    const std::size_t n = std::min(colorCount, static_cast<std::size_t>(kSwatchMaxColors));
    if (n == 0) return {};
    SwatchGrid grid;
    grid.columns = static_cast<int>(std::ceil(std::sqrt(static_cast<double>(n) / 2.0)));
    grid.cell = kSwatchImageWidth / grid.columns;
    return grid;
}

Image swatchBackground() {
    Image image(kSwatchImageWidth, kSwatchImageHeight, 24);
    for (int y = 0; y < kSwatchImageHeight; ++y) {
        Color* row = image.row(y);
        for (int x = 0; x < kSwatchImageWidth; ++x) {
            const Color v = static_cast<Color>(x ^ y);
            row[x] = (v | (v << 8) | (v << 16) | kBackgroundBase) & kColorMask;
        }
    }
    return image;
}

Image drawSwatches(const std::vector<Color>& colors) {
    Image image = swatchBackground();
    const std::size_t n = std::min(colors.size(), static_cast<std::size_t>(kSwatchMaxColors));
    const SwatchGrid grid = swatchGrid(n);
    const int rowWidth = grid.columns * grid.cell;
    int x = 0;
    int y = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const Rect cell = intersected(Rect{x, y, x + grid.cell - 1, y + grid.cell - 1}, image.rect());
        for (int cy = cell.top; cy <= cell.bottom; ++cy)
            std::fill(image.row(cy) + cell.left, image.row(cy) + cell.right + 1, colors[i] & kColorMask);
        x += grid.cell;
        if (x > rowWidth - 1) {
            x = 0;
            y += grid.cell;
        }
    }
    return image;
}

std::size_t replaceColor(Image& image, Color from, Color to) {
    from &= kColorMask;
    to &= kColorMask;
    std::size_t changed = 0;
    for (int y = 0; y < image.height(); ++y) {
        Color* row = image.row(y);
        for (int x = 0; x < image.width(); ++x) {
            if ((row[x] & kColorMask) != from) continue;
            row[x] = (row[x] & ~kColorMask) | to;
            ++changed;
        }
    }
    return changed;
}

bool replacePaletteEntry(std::vector<Color>& palette, Color from, Color to) {
    const auto it = std::find_if(palette.begin(), palette.end(),
                                 [&](Color c) { return (c & kColorMask) == (from & kColorMask); });
    if (it == palette.end()) return false;
    *it = (*it & ~kColorMask) | (to & kColorMask);
    return true;
}

}  // namespace tarnel
