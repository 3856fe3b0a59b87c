#pragma once
// The width and height fields of the resize image and resize canvas
// dialogs, and what their OK makes of them.
//
// Both fields start as the image's size, and the ratio height / width is
// noted then, once, as a 32-bit float. While "keep aspect ratio" is checked,
// the user's own edit of one field rewrites the other: height := round(value
// of the width field x ratio), width := round(value of the height field /
// ratio), halves to even, saturating at INT_MAX. A rewrite is not an edit and
// never ties back: with a 1000 x 333 image, typing 1 as the width makes the
// height 0 and leaves the width 1 (were the rewrite fed back, the width
// would turn into 0 as well).

#include <string>

#include "core/image.h"

namespace tarnel {

// round(width x ratio) and round(height / ratio) as described above.
int heightForWidth(int width, float ratio);
int widthForHeight(int height, float ratio);

class SizeFields {
public:
    // The image's size; "keep aspect ratio" starts checked.
    SizeFields(int width, int height);

    const std::string& widthText() const { return m_widthText; }
    const std::string& heightText() const { return m_heightText; }
    // fieldValue() of each text.
    int width() const;
    int height() const;
    float ratio() const { return m_ratio; }

    bool keepAspect() const { return m_keepAspect; }
    void setKeepAspect(bool keep) { m_keepAspect = keep; }

    // The user changed a field to text; with the aspect kept the other field
    // is rewritten.
    void editWidth(std::string text);
    void editHeight(std::string text);

private:
    std::string m_widthText;
    std::string m_heightText;
    float m_ratio = 1.0f;
    bool m_keepAspect = true;
};

struct ImageSize {
    int width = 0;
    int height = 0;
    constexpr bool operator==(const ImageSize&) const = default;
};

// Resize image's OK: the fields' values, each forced into
// kDialogMinSide..kDialogMaxSide (the aspect is not enforced here).
ImageSize resizeImageSize(const SizeFields& fields);

// Resize canvas's OK: the image on a canvas of the fields' size (each side
// raised to the image's own and capped at kCanvasMaxSide), placed by the
// anchor 1..9, the rest the opaque background. Always 32-bit: a 24-bit image
// comes out opaque. A null image gives a null image.
Image resizeCanvasImage(const Image& image, const SizeFields& fields, int anchor, Color background);

}  // namespace tarnel
