// Every writer read back by our loader; PNG output also checked by libpng's
// simplified reader and by inflating its rows.

#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <cstring>

#include "common/test_images.h"
#include "core/parallel.h"
#include "io/bmp_codec.h"
#include "io/image_codec.h"
#include "io/jpeg_codec.h"
#include "io/parallel_deflate.h"

namespace tarnel {
namespace {

using test::photoLikeImage;
using test::randomImage;

struct Size {
    int width;
    int height;
};
constexpr Size kAwkwardSizes[] = {{1, 1}, {7, 3}, {1, 9}, {33, 17}, {64, 1}};

double meanAbsoluteError(const Image& a, const Image& b) {
    double sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const Color p = a.pixel(x, y), q = b.pixel(x, y);
            sum += std::abs(redOf(p) - redOf(q)) + std::abs(greenOf(p) - greenOf(q)) + std::abs(blueOf(p) - blueOf(q));
        }
    return sum / (3.0 * static_cast<double>(a.pixelCount()));
}

Image flattenedOntoWhite(const Image& image) {
    if (image.depth() == 24) return image;
    Image out(image.width(), image.height(), 24);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const Color c = image.pixel(x, y);
            const int a = alphaOf(c);
            out.setPixel(x, y,
                         rgb(flattenOntoWhite(redOf(c), a), flattenOntoWhite(greenOf(c), a), flattenOntoWhite(blueOf(c), a)));
        }
    return out;
}

DecodeResult roundTrip(const Image& image, ImageFormat format, int setting = kDefaultQualitySetting) {
    const EncodeResult encoded = encodeImage(image, format, setting);
    EXPECT_TRUE(encoded.ok()) << encoded.error;
    return decodeImage(encoded.bytes);
}

// A one-row 16-bit PNG of the given colour type whose samples are written
// big-endian as they are given.
std::vector<std::uint8_t> png16(int colorType, const std::vector<std::uint16_t>& samples, int channels) {
    std::vector<std::uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(
        png, &out,
        [](png_structp p, png_bytep data, png_size_t n) {
            auto* bytes = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(p));
            bytes->insert(bytes->end(), data, data + n);
        },
        nullptr);
    const auto width = static_cast<png_uint_32>(samples.size() / static_cast<std::size_t>(channels));
    png_set_IHDR(png, info, width, 1, 16, colorType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<std::uint8_t> row;
    for (const std::uint16_t v : samples) {
        row.push_back(static_cast<std::uint8_t>(v >> 8));
        row.push_back(static_cast<std::uint8_t>(v & 0xFF));
    }
    png_write_row(png, row.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

// 16-bit samples are scaled to 8 bits with rounding, not cut to their high
// byte: 0xFF00 is 0xFE (cut: 0xFF), 0x01FF is 0x02 (cut: 0x01).
TEST(RoundTrip, SixteenBitPngSamplesAreScaled) {
    struct Case {
        const char* name;
        int colorType;
        int channels;
        std::vector<std::uint16_t> samples;
        std::vector<Color> pixels;
    };
    const Case cases[] = {
        {"gray", PNG_COLOR_TYPE_GRAY, 1, {0xFF00, 0x01FF, 0xFFFF}, {0xFEFEFE, 0x020202, 0xFFFFFF}},
        {"rgb", PNG_COLOR_TYPE_RGB, 3, {0xFF00, 0x01FF, 0x8080}, {0x8002FE}},
        {"rgba", PNG_COLOR_TYPE_RGB_ALPHA, 4, {0x01FF, 0xFF00, 0x0000, 0xFF00}, {0xFE00FE02}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const DecodeResult decoded = decodeImage(png16(c.colorType, c.samples, c.channels));
        ASSERT_TRUE(decoded.ok()) << decoded.message;
        ASSERT_EQ(decoded.image.width(), static_cast<int>(c.pixels.size()));
        const Color mask = decoded.image.depth() == 32 ? 0xFFFFFFFFu : kColorMask;
        for (std::size_t i = 0; i < c.pixels.size(); ++i)
            EXPECT_EQ(decoded.image.pixel(static_cast<int>(i), 0) & mask, c.pixels[i]) << i;
    }
}

TEST(RoundTrip, LosslessWritersGiveIdenticalPixels) {
    for (ImageFormat format : {ImageFormat::Png, ImageFormat::Bmp})
        for (int depth : {24, 32})
            for (const Size s : kAwkwardSizes) {
                SCOPED_TRACE(std::string(formatName(format)) + " depth " + std::to_string(depth) + " " +
                             std::to_string(s.width) + "x" + std::to_string(s.height));
                const Image image = randomImage(s.width, s.height, depth, 7u + s.width);
                const DecodeResult back = roundTrip(image, format);
                ASSERT_TRUE(back.ok()) << back.message;
                EXPECT_TRUE(back.image == image);  // depth and all four bytes
            }
}

TEST(RoundTrip, TransparentPixelsKeepTheirColour) {
    Image image(4, 1, 32);
    image.setPixel(0, 0, rgba(10, 20, 30, 0));
    image.setPixel(1, 0, rgba(255, 255, 255, 0));
    image.setPixel(2, 0, rgba(1, 2, 3, 1));
    image.setPixel(3, 0, rgba(200, 100, 50, 255));
    for (ImageFormat format : {ImageFormat::Png, ImageFormat::Bmp}) {
        const DecodeResult back = roundTrip(image, format);
        ASSERT_TRUE(back.ok());
        EXPECT_TRUE(back.image == image) << formatName(format);
    }
}

TEST(RoundTrip, JpegIsCloseToTheImageFlattenedOntoWhite) {
    for (int depth : {24, 32}) {
        SCOPED_TRACE(depth);
        Image image = photoLikeImage(96, 64, depth, 3);
        const DecodeResult back = roundTrip(image, ImageFormat::Jpeg, 8);
        ASSERT_TRUE(back.ok()) << back.message;
        EXPECT_EQ(back.image.depth(), 24);
        EXPECT_LT(meanAbsoluteError(back.image, flattenedOntoWhite(image)), 3.0);
    }
    for (const Size s : kAwkwardSizes) {
        const DecodeResult back = roundTrip(photoLikeImage(s.width, s.height, 24, 5), ImageFormat::Jpeg, 8);
        ASSERT_TRUE(back.ok());
        EXPECT_EQ(back.image.width(), s.width);
        EXPECT_EQ(back.image.height(), s.height);
    }
}

TEST(RoundTrip, JpegFlattensHalfTransparentRedTo255_127_127) {
    EXPECT_EQ(flattenOntoWhite(255, 128), 255);
    EXPECT_EQ(flattenOntoWhite(0, 128), 127);
    EXPECT_EQ(flattenOntoWhite(0, 0), 255);
    EXPECT_EQ(flattenOntoWhite(77, 255), 77);
    const Image red(16, 16, 32, rgba(255, 0, 0, 128));
    const DecodeResult back = roundTrip(red, ImageFormat::Jpeg, 10);
    ASSERT_TRUE(back.ok());
    const Color c = back.image.pixel(8, 8);
    EXPECT_NEAR(redOf(c), 255, 2);
    EXPECT_NEAR(greenOf(c), 127, 2);
    EXPECT_NEAR(blueOf(c), 127, 2);
}

TEST(RoundTrip, Jpeg2000IsARawCodestreamCloseToTheImage) {
    for (int depth : {24, 32}) {
        SCOPED_TRACE(depth);
        const Image image = photoLikeImage(96, 64, depth, 4);
        const EncodeResult encoded = encodeImage(image, ImageFormat::Jpeg2000, 3);
        ASSERT_TRUE(encoded.ok()) << encoded.error;
        ASSERT_GE(encoded.bytes.size(), 4u);
        EXPECT_EQ(encoded.bytes[0], 0xFF);
        EXPECT_EQ(encoded.bytes[1], 0x4F);
        EXPECT_EQ(encoded.bytes[2], 0xFF);
        EXPECT_EQ(encoded.bytes[3], 0x51);
        // Rate 20: about a twentieth of the raw size.
        EXPECT_LT(encoded.bytes.size(), image.pixelCount() * (depth / 8) / 10);
        const DecodeResult back = decodeImage(encoded.bytes);
        ASSERT_TRUE(back.ok()) << back.message;
        EXPECT_EQ(back.image.depth(), depth);
        EXPECT_LT(meanAbsoluteError(back.image, image), 4.0);
        if (depth == 32) {
            double alphaError = 0;
            for (std::size_t i = 0; i < image.pixelCount(); ++i)
                alphaError += std::abs(alphaOf(image.data()[i]) - alphaOf(back.image.data()[i]));
            EXPECT_LT(alphaError / static_cast<double>(image.pixelCount()), 4.0);
        }
    }
    for (const Size s : kAwkwardSizes) {
        SCOPED_TRACE(std::to_string(s.width) + "x" + std::to_string(s.height));
        const DecodeResult back = roundTrip(photoLikeImage(s.width, s.height, 24, 5), ImageFormat::Jpeg2000, 3);
        ASSERT_TRUE(back.ok()) << back.message;
        EXPECT_EQ(back.image.width(), s.width);
        EXPECT_EQ(back.image.height(), s.height);
    }
    // Wider than a tile: written tile by tile, each in its place.
    const Image wide = photoLikeImage(2048 + 37, 9, 32, 6);
    const DecodeResult back = roundTrip(wide, ImageFormat::Jpeg2000, 10);
    ASSERT_TRUE(back.ok()) << back.message;
    EXPECT_LT(meanAbsoluteError(back.image.copy(Rect{2048, 0, 2048 + 36, 8}), wide.copy(Rect{2048, 0, 2048 + 36, 8})), 4.0);
    EXPECT_LT(meanAbsoluteError(back.image, wide), 4.0);
}

TEST(RoundTrip, QualitySettingTables) {
    EXPECT_EQ(jpegQualityFor(8), 80);
    EXPECT_EQ(jpegQualityFor(12), 100);
    EXPECT_EQ(jpegQualityFor(-1), 0);
    const float rates[] = {100, 30, 25, 20, 15, 14, 12, 10, 9, 7, 3};
    for (int i = 0; i <= 10; ++i) EXPECT_EQ(jpeg2000RateFor(i), rates[i]);
}

// Reads the PNG's IHDR fields and inflates the IDAT data, checking that
// every row starts with filter byte 0 (None).
void checkPngLayout(const std::vector<std::uint8_t>& png, int width, int height, int colourType) {
    auto be32 = [&](std::size_t at) {
        return (std::uint32_t{png[at]} << 24) | (std::uint32_t{png[at + 1]} << 16) | (std::uint32_t{png[at + 2]} << 8) |
               png[at + 3];
    };
    ASSERT_GT(png.size(), 33u);
    EXPECT_EQ(std::memcmp(png.data() + 12, "IHDR", 4), 0);
    EXPECT_EQ(be32(16), static_cast<std::uint32_t>(width));
    EXPECT_EQ(be32(20), static_cast<std::uint32_t>(height));
    EXPECT_EQ(png[24], 8);           // bit depth
    EXPECT_EQ(png[25], colourType);  // 2 RGB, 6 RGBA
    EXPECT_EQ(png[28], 0);           // no interlace
    std::vector<std::uint8_t> idat;
    for (std::size_t at = 8; at + 8 <= png.size();) {
        const std::uint32_t length = be32(at);
        if (std::memcmp(png.data() + at + 4, "IDAT", 4) == 0)
            idat.insert(idat.end(), png.begin() + at + 8, png.begin() + at + 8 + length);
        at += 12 + length;
    }
    const std::size_t rowBytes = static_cast<std::size_t>(width) * (colourType == 6 ? 4 : 3) + 1;
    std::vector<std::uint8_t> raw(rowBytes * height + 16);
    uLongf rawSize = raw.size();
    ASSERT_EQ(uncompress(raw.data(), &rawSize, idat.data(), idat.size()), Z_OK);
    ASSERT_EQ(rawSize, rowBytes * height);
    for (int y = 0; y < height; ++y) EXPECT_EQ(raw[rowBytes * y], 0) << "row " << y;
    // Level 9 sets the maximum-compression flag in the zlib header.
    EXPECT_EQ(idat[1] >> 6, 3);
}

// Small images, and 24-bit images of the widest size whose last row falls
// one before, on and one past a boundary of the compressor's bands; written
// on several threads, the files are those of one thread, and libpng's
// simplified reader and our loader both see the image.
TEST(RoundTrip, PngLayoutAndAnIndependentReader) {
    const int band = deflateBandRows(1 + std::size_t{kMaxImageSide} * 3);
    const struct {
        int width, height, depth;
    } cases[] = {{13, 5, 24},           {13, 5, 32},          {kMaxImageSide, 1, 24},       {kMaxImageSide, 2, 24},
                 {kMaxImageSide, band - 1, 24}, {kMaxImageSide, band, 24}, {kMaxImageSide, band + 1, 24}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height << " x " << c.depth);
        const Image image = c.width < 100 ? randomImage(c.width, c.height, c.depth, 11)
                                          : photoLikeImage(c.width, c.height, c.depth, 11);
        EncodeResult encoded;
        {
            const ThreadingForTest threads(3, 0);
            encoded = encodeImage(image, ImageFormat::Png);
        }
        ASSERT_TRUE(encoded.ok());
        {
            const ThreadingForTest threads(1, 0);
            EXPECT_TRUE(encodeImage(image, ImageFormat::Png).bytes == encoded.bytes);
        }
        checkPngLayout(encoded.bytes, c.width, c.height, c.depth == 32 ? 6 : 2);
        const DecodeResult ours = decodeImage(encoded.bytes);
        ASSERT_TRUE(ours.ok()) << ours.message;
        EXPECT_TRUE(ours.image == image);

        png_image reader;
        std::memset(&reader, 0, sizeof reader);
        reader.version = PNG_IMAGE_VERSION;
        ASSERT_TRUE(png_image_begin_read_from_memory(&reader, encoded.bytes.data(), encoded.bytes.size()));
        reader.format = PNG_FORMAT_RGBA;
        std::vector<std::uint8_t> pixels(PNG_IMAGE_SIZE(reader));
        ASSERT_TRUE(png_image_finish_read(&reader, nullptr, pixels.data(), 0, nullptr));
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x) {
                const std::uint8_t* p = pixels.data() + 4 * (std::size_t(y) * c.width + x);
                const Color want = image.pixel(x, y);
                ASSERT_EQ(p[0], redOf(want));
                ASSERT_EQ(p[1], greenOf(want));
                ASSERT_EQ(p[2], blueOf(want));
                ASSERT_EQ(p[3], c.depth == 32 ? alphaOf(want) : 255);
            }
    }
}

TEST(RoundTrip, BmpHeadersDeclareWhatTheyHold) {
    const EncodeResult rgb24 = encodeBmp(randomImage(3, 2, 24, 1));
    ASSERT_TRUE(rgb24.ok());
    EXPECT_EQ(rgb24.bytes.size(), 14u + 40u + 2u * 12u);  // rows padded to 4 bytes
    EXPECT_EQ(rgb24.bytes[14], 40);
    EXPECT_EQ(rgb24.bytes[28], 24);
    const EncodeResult rgba = encodeBmp(randomImage(3, 2, 32, 1));
    ASSERT_TRUE(rgba.ok());
    EXPECT_EQ(rgba.bytes[14], 108);  // header with bit fields and an alpha mask
    EXPECT_EQ(rgba.bytes[28], 32);
    EXPECT_EQ(rgba.bytes[30], 3);  // bit fields
    EXPECT_EQ(rgba.bytes[14 + 52 + 3], 0xFF);  // alpha mask 0xFF000000
}

TEST(RoundTrip, NullImagesAreNotWritten) {
    for (ImageFormat format : {ImageFormat::Png, ImageFormat::Jpeg, ImageFormat::Jpeg2000, ImageFormat::Bmp})
        EXPECT_FALSE(encodeImage(Image(), format).ok());
    EXPECT_FALSE(encodeImage(Image(2, 2, 24), ImageFormat::Ico).ok());
}

}  // namespace
}  // namespace tarnel
