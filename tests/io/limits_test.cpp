// The pixel budget: declared sizes beyond it are refused before anything is
// allocated for them, in every format.

#include <gtest/gtest.h>

#include "common/test_images.h"
#include "io/image_codec.h"
#include "io/jp2_codec.h"

namespace tarnel {
namespace {

TEST(Limits, EveryFormatRefusesImagesBeyondTheBudget) {
    DecodeLimits small;
    small.maxPixels = 40 * 30 - 1;
    const Image image = test::photoLikeImage(40, 30, 32, 1);
    for (ImageFormat format : {ImageFormat::Png, ImageFormat::Jpeg, ImageFormat::Jpeg2000, ImageFormat::Bmp}) {
        SCOPED_TRACE(formatName(format));
        const EncodeResult encoded = encodeImage(image, format, 8);
        ASSERT_TRUE(encoded.ok());
        const DecodeResult refused = decodeImage(encoded.bytes, small);
        EXPECT_EQ(refused.error, DecodeError::TooLarge);
        EXPECT_TRUE(refused.image.isNull());
        small.maxPixels += 1;
        EXPECT_TRUE(decodeImage(encoded.bytes, small).ok());
        small.maxPixels -= 1;
    }
    DecodeLimits narrow;
    narrow.maxSide = 39;
    EXPECT_EQ(decodeImage(encodeImage(image, ImageFormat::Png).bytes, narrow).error, DecodeError::TooLarge);
}

// A raw codestream whose size header declares the given image and tiles,
// followed by nothing.
std::vector<std::uint8_t> codestreamHeader(std::uint32_t width, std::uint32_t height, std::uint32_t tile,
                                           std::uint16_t components) {
    std::vector<std::uint8_t> b = {0xFF, 0x4F, 0xFF, 0x51};
    auto be16 = [&](std::uint32_t v) {
        b.push_back(static_cast<std::uint8_t>(v >> 8));
        b.push_back(static_cast<std::uint8_t>(v));
    };
    auto be32 = [&](std::uint32_t v) {
        be16(v >> 16);
        be16(v & 0xFFFF);
    };
    be16(38 + 3u * components);
    be16(0);
    for (std::uint32_t v : {width, height, 0u, 0u, tile, tile, 0u, 0u}) be32(v);
    be16(components);
    for (int i = 0; i < components; ++i) {
        b.push_back(7);
        b.push_back(1);
        b.push_back(1);
    }
    return b;
}

TEST(Limits, Jpeg2000HeadersAreCheckedBeforeTheLibrarySeesThem) {
    EXPECT_EQ(decodeJpeg2000(codestreamHeader(20000, 10, 64, 3)).error, DecodeError::TooLarge);
    EXPECT_EQ(decodeJpeg2000(codestreamHeader(4096, 4096, 4, 3)).error, DecodeError::TooLarge);  // a million tiles
    EXPECT_EQ(decodeJpeg2000(codestreamHeader(64, 64, 64, 5)).error, DecodeError::Corrupt);
    EXPECT_EQ(decodeJpeg2000(codestreamHeader(64, 64, 0, 3)).error, DecodeError::Corrupt);
    EXPECT_FALSE(decodeJpeg2000(codestreamHeader(64, 64, 64, 3)).ok());  // no tile data
    const std::vector<std::uint8_t> cut = {0xFF, 0x4F, 0xFF, 0x51, 0x00};
    EXPECT_EQ(decodeJpeg2000(cut).error, DecodeError::Truncated);
}

}  // namespace
}  // namespace tarnel
