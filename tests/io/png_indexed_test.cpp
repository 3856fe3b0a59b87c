#include "io/png_indexed.h"

#include <gtest/gtest.h>

#include "io/png_codec.h"

namespace tarnel {
namespace {

enum class Alpha { None, Opaque, Partial };  // 24-bit; 32-bit all 255; 32-bit some below 255

// Colour i of n distinct ones; with Partial every third has alpha 128.
Color nthColor(int i, Alpha alpha) {
    const Color c = rgb(i & 0xFF, (i >> 8) * 90, (i * 53) & 0xFF);
    if (alpha == Alpha::None) return c;
    return c | (static_cast<Color>(alpha == Alpha::Partial && i % 3 == 0 ? 128 : 255) << 24);
}

// width columns and enough rows for every colour to appear.
Image imageOfColors(int colors, int width, Alpha alpha) {
    const int height = (colors + width - 1) / width + 1;
    Image image(width, height, alpha == Alpha::None ? 24 : 32);
    for (std::size_t i = 0; i < image.pixelCount(); ++i)
        image.data()[i] = nthColor(static_cast<int>(i % static_cast<std::size_t>(colors)), alpha);
    return image;
}

bool hasChunk(const std::vector<std::uint8_t>& png, const char* type) {
    for (std::size_t at = 8; at + 8 <= png.size();) {
        const std::uint32_t length = (std::uint32_t{png[at]} << 24) | (std::uint32_t{png[at + 1]} << 16) |
                                     (std::uint32_t{png[at + 2]} << 8) | png[at + 3];
        if (std::equal(type, type + 4, png.begin() + static_cast<std::ptrdiff_t>(at + 4))) return true;
        at += 12 + std::size_t{length};
    }
    return false;
}

TEST(IndexedPng, RoundTripsUpTo256ColoursAndRefusesMore) {
    constexpr int kIhdrBitDepth = 24, kIhdrColorType = 25;  // byte offsets in the file
    struct Case {
        int colors;
        int depth;
    };
    for (const Case c : {Case{1, 1}, Case{2, 1}, Case{3, 2}, Case{4, 2}, Case{16, 4}, Case{17, 8}, Case{256, 8},
                         Case{257, 0}})
        for (const Alpha alpha : {Alpha::None, Alpha::Opaque, Alpha::Partial})
            for (const int width : {1, 7, 33}) {
                SCOPED_TRACE(testing::Message() << c.colors << " colours, alpha " << static_cast<int>(alpha)
                                                << ", width " << width);
                const Image image = imageOfColors(c.colors, width, alpha);
                const EncodeResult png = encodeIndexedPng(image);
                if (c.colors > kMaxPaletteColors) {
                    EXPECT_EQ(png.error, kTooManyColorsForPalette);
                    EXPECT_FALSE(indexPixels(image));
                    continue;
                }
                ASSERT_TRUE(png.ok()) << png.error;
                EXPECT_EQ(png.bytes[kIhdrBitDepth], c.depth);
                EXPECT_EQ(png.bytes[kIhdrColorType], 3);
                EXPECT_TRUE(hasChunk(png.bytes, "PLTE"));
                const bool translucent = alpha == Alpha::Partial;
                EXPECT_EQ(hasChunk(png.bytes, "tRNS"), translucent);

                const DecodeResult back = decodePng(png.bytes);
                ASSERT_TRUE(back.ok()) << back.message;
                // Without tRNS the file reads as a 24-bit image of the same
                // (opaque) colours.
                EXPECT_EQ(back.image.depth(), translucent ? 32 : 24);
                Image expected = image;
                if (alpha == Alpha::Opaque) {
                    for (std::size_t i = 0; i < expected.pixelCount(); ++i) expected.data()[i] &= kColorMask;
                    expected.setDepth(24);
                }
                EXPECT_TRUE(back.image == expected);
            }
}

TEST(IndexedPng, PaletteOrderIsTranslucentFirstThenByFrequency) {
    // 0 1 1 2 2 2 3 3 3 3 : colour 3 is most frequent, colour 0 translucent.
    Image image(10, 1, 32);
    const Color colors[4] = {rgba(9, 9, 9, 0), rgba(1, 0, 0, 255), rgba(0, 2, 0, 255), rgba(0, 0, 3, 255)};
    const int runs[4] = {1, 2, 3, 4};
    int x = 0;
    for (int i = 0; i < 4; ++i)
        for (int k = 0; k < runs[i]; ++k) image.setPixel(x++, 0, colors[i]);
    const auto indexed = indexPixels(image);
    ASSERT_TRUE(indexed);
    EXPECT_EQ(indexed->palette, (std::vector<Color>{colors[0], colors[3], colors[2], colors[1]}));
    EXPECT_EQ(indexed->indices, (std::vector<std::uint8_t>{0, 3, 3, 2, 2, 2, 1, 1, 1, 1}));

    // A 24-bit image's top byte is ignored: two pixels differing only there
    // are one opaque entry.
    Image plain(2, 1, 24);
    plain.setPixel(0, 0, 0x00123456);
    plain.setPixel(1, 0, 0x7F123456);
    EXPECT_EQ(indexPixels(plain)->palette, (std::vector<Color>{0xFF123456}));
}

TEST(IndexedPng, BitDepthIsTheSmallestThatHoldsThePalette) {
    const int depths[] = {1, 1, 2, 2, 4, 4, 4, 8, 8};
    const int sizes[] = {1, 2, 3, 4, 5, 15, 16, 17, 256};
    for (std::size_t i = 0; i < std::size(sizes); ++i) EXPECT_EQ(pngBitDepthFor(sizes[i]), depths[i]) << sizes[i];
}

}  // namespace
}  // namespace tarnel
