#include "canvas/invert_draw.h"

#include <algorithm>

namespace tarnel {

namespace {

constexpr Color kInvertMask = kColorMask;

// Inclusive span covered by a signed extent starting at pos; false if empty.
bool span(int pos, int extent, int& first, int& last) {
    if (extent > 0) {
        first = pos;
        last = pos + extent - 1;
    } else if (extent < 0) {
        first = pos + extent;
        last = pos - 1;
    } else {
        return false;
    }
    return true;
}

void invertRow(Image& canvas, int y, int x0, int x1) {
    if (y < 0 || y >= canvas.height()) return;
    x0 = std::max(x0, 0);
    x1 = std::min(x1, canvas.width() - 1);
    Color* row = canvas.row(y);
    for (int x = x0; x <= x1; ++x) row[x] ^= kInvertMask;
}

void invertPixel(Image& canvas, int x, int y) {
    if (canvas.contains(x, y)) canvas.row(y)[x] ^= kInvertMask;
}

}  // namespace

void invertOutline(Image& canvas, int x, int y, int w, int h) {
    int left, right, top, bottom;
    if (canvas.isNull() || !span(x, w, left, right) || !span(y, h, top, bottom)) return;
    invertRow(canvas, top, left, right);
    if (bottom != top) invertRow(canvas, bottom, left, right);
    for (int row = top + 1; row < bottom; ++row) {
        invertPixel(canvas, left, row);
        if (right != left) invertPixel(canvas, right, row);
    }
}

void invertFill(Image& canvas, int x, int y, int w, int h) {
    int left, right, top, bottom;
    if (canvas.isNull() || !span(x, w, left, right) || !span(y, h, top, bottom)) return;
    for (int row = top; row <= bottom; ++row) invertRow(canvas, row, left, right);
}

}  // namespace tarnel
