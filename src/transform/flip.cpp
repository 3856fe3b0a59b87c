#include "transform/flip.h"

#include <algorithm>

namespace tarnel {

void flip(Image& image, const Rect& area) {
    const Rect r = intersected(area, image.rect());
    if (image.isNull() || r.isEmpty()) return;
    for (int top = r.top, bottom = r.bottom; top < bottom; ++top, --bottom) {
        Color* a = image.row(top) + r.left;
        std::swap_ranges(a, a + r.width(), image.row(bottom) + r.left);
    }
}

void flip(Image& image) { flip(image, image.rect()); }

void mirror(Image& image, const Rect& area) {
    const Rect r = intersected(area, image.rect());
    if (image.isNull() || r.isEmpty()) return;
    for (int y = r.top; y <= r.bottom; ++y) {
        Color* a = image.row(y) + r.left;
        std::reverse(a, a + r.width());
    }
}

void mirror(Image& image) { mirror(image, image.rect()); }

}  // namespace tarnel
