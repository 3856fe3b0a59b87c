#include "tools/text_bitmap.h"

#include <gtest/gtest.h>

#include <vector>

namespace tarnel {
namespace {

// Every character 7 pixels wide, every text 13 high; drawing fills the
// text's box with its colour and records where.
struct FakeDrawer final : TextDrawer {
    struct Call {
        std::string text;
        int x, y;
        Color color;
    };
    std::vector<Call> calls;
    int textWidth(const std::string& text) override { return 7 * static_cast<int>(text.size()); }
    int textHeight(const std::string&) override { return 13; }
    void drawLines(Image& image, const std::vector<Line>& lines, Color color) override {
        for (const Line& line : lines) {
            calls.push_back({line.text, line.x, line.y, color});
            for (int r = line.y; r < line.y + 13; ++r)
                for (int c = line.x; c < line.x + textWidth(line.text); ++c) image.setPixel(c, r, color);
        }
    }
};

TEST(TextBitmap, OpaqueBackgroundHasMarginsInTheBackColour) {
    FakeDrawer drawer;
    const std::optional<Image> bitmap = renderTextBitmap(TextSettings{}, drawer);
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(bitmap->depth(), 24);
    EXPECT_EQ(bitmap->width(), 7 * 16 + 10);  // "Enter text here."
    EXPECT_EQ(bitmap->height(), 13 + 10);
    EXPECT_EQ(bitmap->pixel(4, 4), 0x00FFFFFFu);
    ASSERT_EQ(drawer.calls.size(), 1u);
    EXPECT_EQ(drawer.calls[0].x, 5);
    EXPECT_EQ(drawer.calls[0].y, 5);
    EXPECT_EQ(drawer.calls[0].color, 0xFF000000u);
}

TEST(TextBitmap, TransparentBackgroundHasNoMarginAndAnEmptyLineKeepsItsHeight) {
    FakeDrawer drawer;
    TextSettings s;
    s.transparent = true;
    s.front = 0x123456;
    s.text = "ab\r\n\nlonger";
    const std::optional<Image> bitmap = renderTextBitmap(s, drawer);
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(bitmap->depth(), 32);
    EXPECT_EQ(bitmap->width(), 7 * 6);
    EXPECT_EQ(bitmap->height(), 3 * 13);
    EXPECT_EQ(bitmap->pixel(41, 0), 0u) << "transparent outside the text";
    ASSERT_EQ(drawer.calls.size(), 3u);
    EXPECT_EQ(drawer.calls[1].text, " ");
    EXPECT_EQ(drawer.calls[2].y, 26);
    EXPECT_EQ(drawer.calls[2].color, 0xFF123456u);

    s.text.clear();  // one empty line: a space wide
    EXPECT_EQ(renderTextBitmap(s, drawer)->width(), 7);
}

TEST(TextBitmap, TextBeyondTheImageSizeLimitIsRefused) {
    FakeDrawer drawer;
    TextSettings s;
    s.text = std::string(3000, 'W');
    EXPECT_FALSE(renderTextBitmap(s, drawer));
    s.text = std::string(2000, '\n');
    EXPECT_FALSE(renderTextBitmap(s, drawer));
}

TEST(TextBitmap, StyleNamesFollowTheFixedOrder) {
    struct Case {
        int flags;
        const char* name;
    };
    const Case cases[] = {
        {0, "Normal"},
        {kStyleBold | kStyleItalic, "Bold Italic "},
        {kStyleBold | kStyleUnderline, "Underline Bold "},
        {kStyleItalic | kStyleHighQuality | kStyleStrikeOut, "Strike Out High Quality Italic "},
    };
    for (const Case& c : cases) EXPECT_EQ(styleName(c.flags), c.name);
}

}  // namespace
}  // namespace tarnel
