#include "tools/text_bitmap.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "io/codec.h"

namespace tarnel {

namespace {

constexpr Color kOpaqueText = kAlphaMask;
constexpr const char* kLineHeightSample = "A1g";
constexpr const char* kSpace = " ";

struct StyleName {
    int flag;
    const char* name;
};
constexpr StyleName kStyleNames[] = {
    {kStyleUnderline, "Underline "}, {kStyleBold, "Bold "},     {kStyleStrikeOut, "Strike Out "},
    {kStyleHighQuality, "High Quality "}, {kStyleItalic, "Italic "},
};

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines(1);
    for (const char c : text) {
        if (c == '\n') {
            lines.emplace_back();
        } else if (c != '\r') {
            lines.back() += c;
        }
    }
    return lines;
}

}  // namespace

std::string styleName(int styleFlags) {
    std::string name;
    for (const StyleName& s : kStyleNames) {
        if (styleFlags & s.flag) name += s.name;
    }
    return name.empty() ? "Normal" : name;
}

std::optional<Image> renderTextBitmap(const TextSettings& settings, TextDrawer& drawer) {
    const std::vector<std::string> lines = splitLines(settings.text);
    const int margin = settings.transparent ? 0 : kTextMargin;
    const std::int64_t lineHeight = drawer.textHeight(kLineHeightSample);
    std::int64_t width = drawer.textWidth(kSpace);
    for (const std::string& line : lines) width = std::max<std::int64_t>(width, drawer.textWidth(line));
    const std::int64_t fullWidth = width + 2 * margin;
    const std::int64_t fullHeight = lineHeight * static_cast<std::int64_t>(lines.size()) + 2 * margin;
    if (fullWidth < 1 || fullHeight < 1 || fullWidth > kMaxImageSide || fullHeight > kMaxImageSide ||
        static_cast<std::uint64_t>(fullWidth * fullHeight) > kMaxImagePixels)
        return std::nullopt;

    Image bitmap = settings.transparent
                       ? Image(static_cast<int>(fullWidth), static_cast<int>(fullHeight), 32, 0)
                       : Image(static_cast<int>(fullWidth), static_cast<int>(fullHeight), 24,
                               settings.back & kColorMask);
    // On the opaque background the glyphs' cells are the back colour already.
    const Color color = (settings.front & kColorMask) | kOpaqueText;
    std::vector<TextDrawer::Line> placed;
    int y = margin;
    for (const std::string& line : lines) {
        placed.push_back({line.empty() ? std::string(kSpace) : line, margin, y});
        y += drawer.textHeight(placed.back().text);
    }
    drawer.drawLines(bitmap, placed, color);
    return bitmap;
}

}  // namespace tarnel
