#pragma once
// Add text's settings and the bitmap its text is rendered into.
//
// The bitmap exactly fits the text: each line is as high as "A1g" in the
// font, the bitmap as wide as its widest line (at least one space). On an
// opaque background it is a 24-bit image in the back colour with a 5-pixel
// margin all round; on a transparent one a 32-bit image, fully transparent
// outside the glyphs, without a margin. An empty line is drawn as a space,
// so it keeps its height.

#include <optional>
#include <string>
#include <vector>

#include "core/image.h"

namespace tarnel {

// Style flags of the text font; styleName() lists the set ones in this
// order, each name ending in a space ("Normal" when none is set).
inline constexpr int kStyleUnderline = 4;
inline constexpr int kStyleBold = 256;
inline constexpr int kStyleStrikeOut = 8;
inline constexpr int kStyleHighQuality = 16;
inline constexpr int kStyleItalic = 512;
std::string styleName(int styleFlags);

// Kept between uses of Add text until the program ends (never saved).
struct TextSettings {
    std::string text = "Enter text here.";
    std::string fontName = "Arial";
    int fontSize = 10;
    int styleFlags = 0;
    Color front = 0x000000;  // 0x00BBGGRR
    Color back = 0xFFFFFF;
    bool transparent = false;
};

// What the font requester shows and returns.
struct TextFont {
    std::string name;
    int size = 10;
    int styleFlags = 0;
    Color color = 0;  // the text colour, 0x00BBGGRR
    bool operator==(const TextFont&) const = default;
};

// The platform's text in the chosen font.
class TextDrawer {
public:
    virtual ~TextDrawer() = default;
    virtual int textWidth(const std::string& text) = 0;
    virtual int textHeight(const std::string& text) = 0;
    // Draws every line, each with its top-left at (x, y), in color (alpha in
    // the top byte), the glyphs' edges blended with what is there.
    struct Line {
        std::string text;
        int x = 0;
        int y = 0;
    };
    virtual void drawLines(Image& image, const std::vector<Line>& lines, Color color) = 0;
};

inline constexpr int kTextMargin = 5;
inline constexpr const char* kTextTooLarge = "The text is too large to be drawn.";

// Renders text (lines separated by '\n'; '\r' is ignored) as above. An
// empty result when the bitmap would exceed the image size limits.
std::optional<Image> renderTextBitmap(const TextSettings& settings, TextDrawer& drawer);

}  // namespace tarnel
