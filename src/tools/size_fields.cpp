#include "tools/size_fields.h"

#include <climits>
#include <cmath>

#include "core/field_value.h"
#include "tools/canvas_size.h"

namespace tarnel {

namespace {

// Rounds to nearest, halves to even (the default floating-point mode), and
// keeps the result within 0..INT_MAX.
int roundedSide(double value) {
    const double rounded = std::nearbyint(value);
    if (!(rounded > 0.0)) return 0;  // also NaN
    if (rounded >= static_cast<double>(INT_MAX)) return INT_MAX;
    return static_cast<int>(rounded);
}

}  // namespace

int heightForWidth(int width, float ratio) {
    return roundedSide(static_cast<double>(width) * static_cast<double>(ratio));
}

int widthForHeight(int height, float ratio) {
    return roundedSide(static_cast<double>(height) / static_cast<double>(ratio));
}

SizeFields::SizeFields(int width, int height)
    : m_widthText(std::to_string(width)),
      m_heightText(std::to_string(height)),
      m_ratio(width > 0 && height > 0 ? static_cast<float>(height) / static_cast<float>(width) : 1.0f) {}

int SizeFields::width() const { return fieldValue(m_widthText); }

int SizeFields::height() const { return fieldValue(m_heightText); }

void SizeFields::editWidth(std::string text) {
    m_widthText = std::move(text);
    if (m_keepAspect) m_heightText = std::to_string(heightForWidth(width(), m_ratio));
}

void SizeFields::editHeight(std::string text) {
    m_heightText = std::move(text);
    if (m_keepAspect) m_widthText = std::to_string(widthForHeight(height(), m_ratio));
}

ImageSize resizeImageSize(const SizeFields& fields) {
    return ImageSize{clampDialogSide(fields.width()), clampDialogSide(fields.height())};
}

Image resizeCanvasImage(const Image& image, const SizeFields& fields, int anchor, Color background) {
    if (image.isNull()) return Image();
    const CanvasSize size = canvasSizeFor(image.width(), image.height(), fields.width(), fields.height());
    return enlargeCanvas(image, size.width, size.height, anchor, background);
}

}  // namespace tarnel
