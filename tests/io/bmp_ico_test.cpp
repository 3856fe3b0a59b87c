// Hand-built BMP and icon files for the cases the corpus does not pin down
// pixel by pixel.

#include <gtest/gtest.h>

#include <cstring>

#include "common/test_images.h"
#include "io/bmp_codec.h"
#include "io/ico_codec.h"
#include "io/image_codec.h"
#include "io/png_codec.h"

namespace tarnel {
namespace {

using Bytes = std::vector<std::uint8_t>;

void put16(Bytes& b, std::uint32_t v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}
void put32(Bytes& b, std::uint32_t v) {
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}

// A BMP with a 40-byte header, the given palette (B, G, R, 0 entries) and
// pixel bytes.
Bytes makeBmp(int width, int height, int bits, std::uint32_t compression, const std::vector<Color>& palette,
              const Bytes& pixels, std::uint32_t colorsUsed = 0) {
    Bytes b = {'B', 'M'};
    const std::uint32_t offset = 14 + 40 + 4 * static_cast<std::uint32_t>(palette.size());
    put32(b, offset + static_cast<std::uint32_t>(pixels.size()));
    put32(b, 0);
    put32(b, offset);
    put32(b, 40);
    put32(b, static_cast<std::uint32_t>(width));
    put32(b, static_cast<std::uint32_t>(height));
    put16(b, 1);
    put16(b, static_cast<std::uint32_t>(bits));
    put32(b, compression);
    put32(b, static_cast<std::uint32_t>(pixels.size()));
    put32(b, 2835);
    put32(b, 2835);
    put32(b, colorsUsed);
    put32(b, 0);
    for (Color c : palette) {
        b.push_back(static_cast<std::uint8_t>(blueOf(c)));
        b.push_back(static_cast<std::uint8_t>(greenOf(c)));
        b.push_back(static_cast<std::uint8_t>(redOf(c)));
        b.push_back(0);
    }
    b.insert(b.end(), pixels.begin(), pixels.end());
    return b;
}

constexpr Color kRed = rgb(255, 0, 0), kGreen = rgb(0, 255, 0), kBlue = rgb(0, 0, 255), kBlack = 0;

TEST(Bmp, Rle8RunsDeltasAndEndsOfLine) {
    // 4 x 3, rows stored bottom up:
    //   file row 0: 2 x red, absolute [green, blue, red]  -> clipped at 4 pixels
    //   delta (1, 1): skip to x = 1 of file row 2 (row 1 keeps black)
    //   file row 2: 1 x blue, end of bitmap
    const Bytes rle = {2, 0, 0, 3, 1, 2, 0, 0, 0, 0, 0, 2, 1, 1, 1, 2, 0, 1};
    const DecodeResult r = decodeBmp(makeBmp(4, 3, 8, 1, {kRed, kGreen, kBlue}, rle));
    ASSERT_TRUE(r.ok()) << r.message;
    const Image& im = r.image;
    EXPECT_EQ(im.depth(), 24);
    // Image row 2 is file row 0.
    EXPECT_EQ(im.pixel(0, 2), kRed);
    EXPECT_EQ(im.pixel(1, 2), kRed);
    EXPECT_EQ(im.pixel(2, 2), kGreen);
    EXPECT_EQ(im.pixel(3, 2), kBlue);
    for (int x = 0; x < 4; ++x) EXPECT_EQ(im.pixel(x, 1), kBlack);
    EXPECT_EQ(im.pixel(0, 0), kBlack);
    EXPECT_EQ(im.pixel(1, 0), kBlue);
    EXPECT_EQ(im.pixel(2, 0), kBlack);
}

TEST(Bmp, Rle4AlternatesNibbles) {
    // 5 x 1: run of 5 with nibbles 1 and 2, then end of bitmap.
    const Bytes rle = {5, 0x12, 0, 1};
    const DecodeResult r = decodeBmp(makeBmp(5, 1, 4, 2, {kBlack, kRed, kGreen}, rle));
    ASSERT_TRUE(r.ok()) << r.message;
    const Color expected[] = {kRed, kGreen, kRed, kGreen, kRed};
    for (int x = 0; x < 5; ++x) EXPECT_EQ(r.image.pixel(x, 0), expected[x]);
}

TEST(Bmp, IndicesBeyondThePaletteAreBlackAndTopDownRowsAreHonoured) {
    // 2 x 2, 8-bit, top-down (negative height), 2 palette entries.
    Bytes pixels = {0, 1, 0, 0, 5, 255, 0, 0};
    Bytes file = makeBmp(2, 2, 8, 0, {kRed, kGreen}, pixels, 2);
    const std::int32_t negative = -2;
    std::memcpy(file.data() + 22, &negative, 4);
    const DecodeResult r = decodeBmp(file);
    ASSERT_TRUE(r.ok()) << r.message;
    EXPECT_EQ(r.image.pixel(0, 0), kRed);
    EXPECT_EQ(r.image.pixel(1, 0), kGreen);
    EXPECT_EQ(r.image.pixel(0, 1), kBlack);
    EXPECT_EQ(r.image.pixel(1, 1), kBlack);
}

TEST(Bmp, SixteenBitChannelsScaleToFullRange) {
    // 5-5-5: white 0x7FFF and a mid value 0x4210 (16 in each channel).
    const Bytes pixels = {0xFF, 0x7F, 0x10, 0x42};
    const DecodeResult r = decodeBmp(makeBmp(2, 1, 16, 0, {}, pixels));
    ASSERT_TRUE(r.ok()) << r.message;
    EXPECT_EQ(r.image.pixel(0, 0), rgb(255, 255, 255));
    EXPECT_EQ(r.image.pixel(1, 0), rgb(132, 132, 132));  // 16 * 255 / 31 rounded
}

TEST(Bmp, MalformedHeadersAreRefusedBeforeAllocating) {
    const Bytes pixels(16, 0);
    // Declares 16384 x 16384 at 24 bits with 16 bytes of data: cut short.
    EXPECT_EQ(decodeBmp(makeBmp(16384, 16384, 24, 0, {}, pixels)).error, DecodeError::Truncated);
    EXPECT_EQ(decodeBmp(makeBmp(100000, 10, 24, 0, {}, pixels)).error, DecodeError::TooLarge);
    EXPECT_EQ(decodeBmp(makeBmp(0, 10, 24, 0, {}, pixels)).error, DecodeError::Corrupt);
    EXPECT_EQ(decodeBmp(makeBmp(2, 2, 7, 0, {}, pixels)).error, DecodeError::Corrupt);
    EXPECT_EQ(decodeBmp(makeBmp(2, 2, 24, 1, {}, pixels)).error, DecodeError::Corrupt);  // RLE8 at 24 bits
    Bytes negative = makeBmp(2, 2, 24, 0, {}, pixels);
    const std::int32_t minHeight = INT32_MIN;
    std::memcpy(negative.data() + 22, &minHeight, 4);
    EXPECT_FALSE(decodeBmp(negative).ok());
    Bytes cut = makeBmp(2, 2, 24, 0, {}, pixels);
    EXPECT_EQ(decodeBmp(std::span(cut.data(), 30)).error, DecodeError::Truncated);
    // A huge run-length image is limited by the budget, not by its data.
    DecodeLimits small;
    small.maxPixels = 1000;
    EXPECT_EQ(decodeBmp(makeBmp(100, 100, 8, 1, {kRed}, {0, 1}), small).error, DecodeError::TooLarge);
}

// An icon file with one entry per bitmap (PNG data or a DIB).
Bytes makeIco(const std::vector<std::pair<Bytes, std::array<int, 3>>>& entries) {
    Bytes b;
    put16(b, 0);
    put16(b, 1);
    put16(b, static_cast<std::uint32_t>(entries.size()));
    std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(entries.size());
    for (const auto& [data, whb] : entries) {
        b.push_back(static_cast<std::uint8_t>(whb[0]));
        b.push_back(static_cast<std::uint8_t>(whb[1]));
        b.push_back(0);
        b.push_back(0);
        put16(b, 1);
        put16(b, static_cast<std::uint32_t>(whb[2]));
        put32(b, static_cast<std::uint32_t>(data.size()));
        put32(b, offset);
        offset += static_cast<std::uint32_t>(data.size());
    }
    for (const auto& e : entries) b.insert(b.end(), e.first.begin(), e.first.end());
    return b;
}

// The DIB of a 24-bit BMP with the height doubled and a mask appended.
Bytes iconDib(const Image& image, const std::vector<std::uint8_t>& maskRows) {
    const EncodeResult bmp = encodeBmp(image);
    Bytes dib(bmp.bytes.begin() + 14, bmp.bytes.end());
    const std::uint32_t doubled = 2 * static_cast<std::uint32_t>(image.height());
    std::memcpy(dib.data() + 8, &doubled, 4);
    dib.insert(dib.end(), maskRows.begin(), maskRows.end());
    return dib;
}

TEST(Ico, ChoosesTheDeepestEntryOfTheFirstSize) {
    const Image small = test::randomImage(2, 2, 24, 1);
    const Image other = test::randomImage(3, 3, 32, 2);
    const Image deep = test::randomImage(2, 2, 32, 3);
    // Mask rows are 4 bytes each, bottom up; top-left pixel transparent.
    const Bytes mask = {0x00, 0, 0, 0, 0x80, 0, 0, 0};
    const Bytes png = encodePng(deep).bytes;
    const Bytes file = makeIco({{iconDib(small, mask), {2, 2, 24}},
                                {encodePng(other).bytes, {3, 3, 32}},
                                {png, {2, 2, 32}}});
    ASSERT_TRUE(isIco(file));
    const DecodeResult r = decodeImage(file);
    ASSERT_TRUE(r.ok()) << r.message;
    EXPECT_TRUE(r.image == deep);

    const DecodeResult masked = decodeImage(makeIco({{iconDib(small, mask), {2, 2, 24}}}));
    ASSERT_TRUE(masked.ok()) << masked.message;
    EXPECT_EQ(masked.image.depth(), 32);
    EXPECT_EQ(masked.image.pixel(0, 0), small.pixel(0, 0));  // alpha 0, colour kept
    EXPECT_EQ(masked.image.pixel(1, 0), small.pixel(1, 0) | 0xFF000000u);
    EXPECT_EQ(masked.image.pixel(0, 1), small.pixel(0, 1) | 0xFF000000u);
}

TEST(Ico, BrokenDirectoriesAreRefused) {
    Bytes file = makeIco({{Bytes(10, 0), {2, 2, 24}}});
    EXPECT_FALSE(decodeImage(file).ok());
    file[18] = 0xFF;  // offset beyond the file
    file[19] = 0xFF;
    EXPECT_FALSE(decodeImage(file).ok());
    EXPECT_FALSE(decodeImage(std::span(file.data(), 12)).ok());
}

}  // namespace
}  // namespace tarnel
