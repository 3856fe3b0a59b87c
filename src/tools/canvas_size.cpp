#include "tools/canvas_size.h"

#include <algorithm>

namespace tarnel {
namespace {

constexpr Color kOpaque = kAlphaMask;

}  // namespace

CanvasOffset canvasAnchorOffset(int anchor, int oldWidth, int oldHeight, int newWidth, int newHeight) {
    if (anchor < 1 || anchor > 9) anchor = kCanvasAnchorCentre;
    const int column = (anchor - 1) % 3;  // 0 left, 1 middle, 2 right
    const int row = (anchor - 1) / 3;     // 0 top, 1 middle, 2 bottom
    const int spareX = newWidth - oldWidth;
    const int spareY = newHeight - oldHeight;
    return CanvasOffset{column == 0 ? 0 : column == 1 ? spareX / 2 : spareX,
                        row == 0 ? 0 : row == 1 ? spareY / 2 : spareY};
}

CanvasSize canvasSizeFor(int oldWidth, int oldHeight, int requestedWidth, int requestedHeight) {
    return CanvasSize{std::min(std::max(requestedWidth, oldWidth), kCanvasMaxSide),
                      std::min(std::max(requestedHeight, oldHeight), kCanvasMaxSide)};
}

Image enlargeCanvas(const Image& image, int newWidth, int newHeight, int anchor, Color background) {
    if (image.isNull() || newWidth <= 0 || newHeight <= 0) return Image();
    Image canvas(newWidth, newHeight, 32, (background & kColorMask) | kOpaque);
    const CanvasOffset at = canvasAnchorOffset(anchor, image.width(), image.height(), newWidth, newHeight);
    const Rect target = intersected(Rect{at.dx, at.dy, at.dx + image.width() - 1, at.dy + image.height() - 1},
                                    canvas.rect());
    if (target.isEmpty()) return canvas;
    const Color alphaFill = image.depth() == 32 ? 0u : kOpaque;
    const Color keep = image.depth() == 32 ? 0xFFFFFFFFu : kColorMask;
    for (int y = target.top; y <= target.bottom; ++y) {
        const Color* src = image.row(y - at.dy) + (target.left - at.dx);
        Color* dst = canvas.row(y) + target.left;
        for (int x = 0; x < target.width(); ++x) dst[x] = (src[x] & keep) | alphaFill;
    }
    return canvas;
}

}  // namespace tarnel
