#include "palette/palette_colors.h"

#include <gtest/gtest.h>

#include <set>

#include "common/test_images.h"

namespace tarnel {
namespace {

// An image whose pixel i (row by row) has the colour i * 0x010203 mod 2^24,
// all distinct for count < 2^24 / 3.
Image distinctColours(int width, int height, int count) {
    Image image(width, height, 32);
    for (int i = 0; i < width * height; ++i)
        image.data()[i] = 0xAB000000u | ((static_cast<Color>(i % count) * 0x010203u) & kColorMask);
    return image;
}

TEST(PaletteColors, CollectsInFirstOccurrenceOrderIgnoringAlpha) {
    Image image(3, 2, 32);
    const Color pixels[] = {0x11000005, 0x22000007, 0x33000005, 0x000000FF, 0xFF000007, 0x00000000};
    for (int i = 0; i < 6; ++i) image.data()[i] = pixels[i];
    EXPECT_EQ(collectColors(image, image.rect()), (std::vector<Color>{0x05, 0x07, 0xFF, 0x00}));
    // Only the area counts.
    EXPECT_EQ(collectColors(image, Rect{1, 0, 2, 1}), (std::vector<Color>{0x07, 0x05, 0x00}));
    EXPECT_EQ(collectColors(image, Rect{1, -5, 9, 0}), (std::vector<Color>{0x07, 0x05}));
    EXPECT_TRUE(collectColors(image, Rect{5, 5, 9, 9}).empty());
}

TEST(PaletteColors, StopsOncePast512Colours) {
    // Exactly 512 colours, each repeated: the whole image is scanned.
    const Image exact = distinctColours(64, 20, 512);
    const std::vector<Color> all = collectColors(exact, exact.rect());
    EXPECT_EQ(all.size(), 512u);
    EXPECT_EQ(std::set<Color>(all.begin(), all.end()).size(), 512u);
    EXPECT_EQ(paletteTitle(all.size()), " Palette = 512");

    // 600 colours: the first 513 in scan order, then the scan stops.
    const Image many = distinctColours(30, 20, 600);
    const std::vector<Color> some = collectColors(many, many.rect());
    ASSERT_EQ(some.size(), 513u);
    for (int i = 0; i < 513; ++i) ASSERT_EQ(some[i], many.data()[i] & kColorMask);
    EXPECT_EQ(paletteTitle(some.size()), "Palette > 512");
    EXPECT_EQ(paletteTitle(1), " Palette = 1");
}

TEST(PaletteColors, GridSizes) {
    const struct {
        std::size_t colours;
        int columns, cell;
    } cases[] = {{1, 1, 176}, {2, 1, 176}, {3, 2, 88}, {8, 2, 88}, {9, 3, 58}, {512, 16, 11}, {513, 16, 11}, {0, 0, 0}};
    for (const auto& c : cases) {
        const SwatchGrid grid = swatchGrid(c.colours);
        EXPECT_EQ(grid.columns, c.columns) << c.colours;
        EXPECT_EQ(grid.cell, c.cell) << c.colours;
        // 2 x columns rows always fit.
        EXPECT_LE(2 * grid.columns * grid.cell, kSwatchImageHeight);
    }
}

TEST(PaletteColors, Background) {
    const Image background = swatchBackground();
    ASSERT_EQ(background.width(), 176);
    ASSERT_EQ(background.height(), 352);
    EXPECT_EQ(background.depth(), 24);
    EXPECT_EQ(background.pixel(0, 0), 0xC0C0C0u);
    EXPECT_EQ(background.pixel(1, 2), 0xC3C3C3u);      // v = 3
    EXPECT_EQ(background.pixel(0, 255), 0xFFFFFFu);    // v = 255
    EXPECT_EQ(background.pixel(175, 351), 0xF1F1F0u);  // v = 0x1F0 spills into the next byte
}

TEST(PaletteColors, SwatchesFillCellsLeftToRightThenDown) {
    const Image background = swatchBackground();

    const Image one = drawSwatches({0xFF123456});
    EXPECT_EQ(one.pixel(0, 0), 0x123456u);
    EXPECT_EQ(one.pixel(175, 175), 0x123456u);
    EXPECT_EQ(one.pixel(0, 176), background.pixel(0, 176));

    const Image three = drawSwatches({0x0000FF, 0x00FF00, 0xFF0000});
    EXPECT_EQ(three.pixel(87, 87), 0x0000FFu);
    EXPECT_EQ(three.pixel(88, 0), 0x00FF00u);
    EXPECT_EQ(three.pixel(175, 87), 0x00FF00u);
    EXPECT_EQ(three.pixel(0, 88), 0xFF0000u);
    EXPECT_EQ(three.pixel(87, 175), 0xFF0000u);
    EXPECT_EQ(three.pixel(88, 88), background.pixel(88, 88));
    EXPECT_EQ(three.pixel(10, 176), background.pixel(10, 176));

    // 513 colours draw 512 cells of 11 pixels, 16 to a row, 32 rows.
    std::vector<Color> many;
    for (Color i = 0; i < 513; ++i) many.push_back(i * 0x000301u);
    const Image full = drawSwatches(many);
    EXPECT_EQ(full.pixel(0, 0), many[0]);
    EXPECT_EQ(full.pixel(11, 0), many[1]);
    EXPECT_EQ(full.pixel(0, 11), many[16]);
    EXPECT_EQ(full.pixel(170, 351), many[511]);
    EXPECT_EQ(full.pixel(175, 0), many[15]);  // 16 x 11 = 176: the cells fill every row
    EXPECT_EQ(full.pixel(175, 351), many[511]);

    EXPECT_TRUE(drawSwatches({}) == background);
}

TEST(PaletteColors, ReplaceColour) {
    Image image(3, 1, 32);
    image.data()[0] = 0x11ABCDEF;
    image.data()[1] = 0x22ABCDEF;
    image.data()[2] = 0x33ABCDEE;
    EXPECT_EQ(replaceColor(image, 0xABCDEF, 0xFF010203), 2u);
    EXPECT_EQ(image.data()[0], 0x11010203u);
    EXPECT_EQ(image.data()[1], 0x22010203u);
    EXPECT_EQ(image.data()[2], 0x33ABCDEEu);

    std::vector<Color> palette = {0x000001, 0xFF000002, 0x000002};
    EXPECT_TRUE(replacePaletteEntry(palette, 0x000002, 0x0000AA));
    EXPECT_EQ(palette, (std::vector<Color>{0x000001, 0xFF0000AA, 0x000002}));
    EXPECT_FALSE(replacePaletteEntry(palette, 0x000009, 0x0000AA));
}

TEST(PaletteColors, Golden) {
    const Image& photo = test::testPhoto();
    test::expectGolden("palette_photo_swatches", drawSwatches(collectColors(photo, Rect{0, 0, 11, 9})));
}

}  // namespace
}  // namespace tarnel
