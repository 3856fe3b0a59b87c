#include "tools/floating_section.h"

#include "core/alpha_blend.h"
#include "transform/flip.h"
#include "transform/rotate.h"

namespace tarnel {

namespace {

// The limits of one axis while following the pointer: the section's near
// edge at or after low, its far edge at or before high, low winning.
int followAxis(int pos, int size, int low, int high) {
    if (pos + size > high) pos = high - size + 1;
    if (pos < low) pos = low;
    return pos;
}

}  // namespace

FloatingSection::FloatingSection(Image section, const FloatingView& view)
    : m_image(std::move(section)), m_view(view) {
    m_halfWidth = m_image.width() / 2;
    m_halfHeight = m_image.height() / 2;
    const int centreX = view.panX + view.canvasWidth / 2 - m_halfWidth;
    const int centreY = view.panY + view.canvasHeight / 2 - m_halfHeight;
    m_x = centreX;
    m_y = centreY;
    if (m_image.width() > view.imageWidth || m_image.height() > view.imageHeight) {
        // The half sizes stay those of the uncut section.
        m_image = m_image.copy(Rect{0, 0, std::min(m_image.width(), view.imageWidth) - 1,
                                    std::min(m_image.height(), view.imageHeight) - 1});
        if (m_image.width() >= view.imageWidth && m_image.height() >= view.imageHeight) {
            m_coversImage = true;
            m_x = view.offsetX();
            m_y = view.offsetY();
        }
    }
}

void FloatingSection::turn(FloatTurn how) {
    switch (how) {
    case FloatTurn::Left: m_image = rotate90(m_image, RotateDirection::CounterClockwise); break;
    case FloatTurn::Right: m_image = rotate90(m_image, RotateDirection::Clockwise); break;
    case FloatTurn::Mirror: mirror(m_image); break;
    case FloatTurn::Flip: flip(m_image); break;
    }
    // The centre stays where it was.
    m_x += m_halfWidth;
    m_y += m_halfHeight;
    m_halfWidth = m_image.width() / 2;
    m_halfHeight = m_image.height() / 2;
    m_x -= m_halfWidth;
    m_y -= m_halfHeight;
}

void FloatingSection::step(FloatStep direction) {
    switch (direction) {
    case FloatStep::Left:
        if (m_x >= 1) --m_x;
        break;
    case FloatStep::Right:
        if (m_x < m_view.canvasWidth - m_image.width()) ++m_x;
        break;
    case FloatStep::Up:
        if (m_y >= 1) --m_y;
        break;
    case FloatStep::Down:
        if (m_y < m_view.canvasHeight - m_image.height()) ++m_y;
        break;
    }
}

void FloatingSection::follow(int pointerX, int pointerY) {
    const FloatingView& v = m_view;
    // A centred image smaller than the canvas: the bounds are relative to
    // the view offsets.
    const int shiftX = v.canvasWidth > v.imageWidth ? v.viewX : 0;
    const int shiftY = v.canvasHeight > v.imageHeight ? v.viewY : 0;
    m_x = followAxis(pointerX - m_halfWidth, m_image.width(), shiftX + v.bounds.left, shiftX + v.bounds.right);
    m_y = followAxis(pointerY - m_halfHeight, m_image.height(), shiftY + v.bounds.top, shiftY + v.bounds.bottom);
}

std::string FloatingSection::statusText() const {
    return "xLeft = " + std::to_string(m_x) + " | yTop = " + std::to_string(m_y) +
           " | xRight = " + std::to_string(m_x + m_image.width() - 1) +
           " | yBottom = " + std::to_string(m_y + m_image.height() - 1);
}

void FloatingSection::drawOnCanvas(Image& canvas) const {
    blendImage(canvas, m_image, m_x, m_y, BlendOnto::Opaque);
}

Rect FloatingSection::placeInto(Image& working) const {
    return blendImage(working, m_image, m_x - m_view.panX - m_view.offsetX(),
                      m_y - m_view.panY - m_view.offsetY());
}

}  // namespace tarnel
