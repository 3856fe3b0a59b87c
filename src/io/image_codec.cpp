#include "io/image_codec.h"

#include <algorithm>
#include <new>

#include "io/bmp_codec.h"
#include "io/ico_codec.h"
#include "io/jp2_codec.h"
#include "io/jpeg_codec.h"
#include "io/png_codec.h"
#include "io/png_indexed.h"

namespace tarnel {
namespace {

// Compression rate of the JPEG 2000 writer for quality settings 0..10.
constexpr float kJpeg2000Rates[11] = {100, 30, 25, 20, 15, 14, 12, 10, 9, 7, 3};

int clampSetting(int setting) { return std::clamp(setting, 0, 10); }

}  // namespace

std::optional<ImageFormat> detectFormat(std::span<const std::uint8_t> data) {
    if (isIco(data)) return ImageFormat::Ico;
    if (isBmp(data)) return ImageFormat::Bmp;
    if (isPng(data)) return ImageFormat::Png;
    if (isJpeg(data)) return ImageFormat::Jpeg;
    if (isJpeg2000(data)) return ImageFormat::Jpeg2000;
    return std::nullopt;
}

DecodeResult decodeImage(std::span<const std::uint8_t> data, const DecodeLimits& limits) {
    const std::optional<ImageFormat> format = detectFormat(data);
    if (!format) return decodeFailure(DecodeError::UnknownFormat, "the content is not a supported image format");
    try {
        switch (*format) {
            case ImageFormat::Ico: return decodeIco(data, limits);
            case ImageFormat::Bmp: return decodeBmp(data, limits);
            case ImageFormat::Png: return decodePng(data, limits);
            case ImageFormat::Jpeg: return decodeJpeg(data, limits);
            case ImageFormat::Jpeg2000: return decodeJpeg2000(data, limits);
            case ImageFormat::PngIndexed: break;  // never detected: it reads as Png
        }
    } catch (const std::bad_alloc&) {
        return decodeFailure(DecodeError::TooLarge, "not enough memory for the image");
    }
    return decodeFailure(DecodeError::UnknownFormat, "the content is not a supported image format");
}

int jpegQualityFor(int qualitySetting) { return clampSetting(qualitySetting) * 10; }

float jpeg2000RateFor(int qualitySetting) { return kJpeg2000Rates[clampSetting(qualitySetting)]; }

std::string encodeImage(const Image& image, ImageFormat format, int qualitySetting, ByteSink& out) {
    try {
        switch (format) {
            case ImageFormat::Png: return encodePng(image, out);
            case ImageFormat::Jpeg: return encodeJpeg(image, std::max(jpegQualityFor(qualitySetting), 1), out);
            case ImageFormat::Jpeg2000: return encodeJpeg2000(image, jpeg2000RateFor(qualitySetting), out);
            case ImageFormat::Bmp: return encodeBmp(image, out);
            case ImageFormat::PngIndexed: return encodeIndexedPng(image, out);
            case ImageFormat::Ico: break;
        }
    } catch (const std::bad_alloc&) {
        return "not enough memory to encode the image";
    }
    return std::string(formatName(format)) + " files cannot be written";
}

EncodeResult encodeImage(const Image& image, ImageFormat format, int qualitySetting) {
    return encodeToMemory([&](ByteSink& out) { return encodeImage(image, format, qualitySetting, out); });
}

}  // namespace tarnel
