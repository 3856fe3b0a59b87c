#include "quantize/color_count.h"

namespace tarnel {

ColorSet::ColorSet() : m_bits(new std::uint8_t[kColors / 8]()) {}

int ColorSet::insertArea(const Image& image, const Rect& area) {
    int added = 0;
    for (int y = area.top; y <= area.bottom; ++y) {
        const Color* row = image.row(y);
        // Neighbouring pixels often repeat a colour; the last one seen needs
        // no second look.
        Color previous = ~row[area.left] & kColorMask;
        for (int x = area.left; x <= area.right; ++x) {
            const Color v = row[x] & kColorMask;
            if (v == previous)
                continue;
            previous = v;
            added += insert(v) ? 1 : 0;
        }
    }
    return added;
}

int countColors(const Image& image, const Rect& area) {
    if (image.isNull())
        return 0;
    const Rect clipped = intersected(area, image.rect());
    if (clipped.isEmpty())
        return 0;
    ColorSet seen;
    return seen.insertArea(image, clipped);
}

}  // namespace tarnel
