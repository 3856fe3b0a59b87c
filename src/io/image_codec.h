#pragma once
// Decoding by content and encoding by format: the entry points the rest of
// the program uses for image data in memory.
//
// Formats are tried in this order: icon, BMP, PNG, JPEG, JPEG 2000. A file's
// name never decides its format.

#include <cstdint>
#include <optional>
#include <span>

#include "io/codec.h"

namespace tarnel {

// The format whose signature the data starts with, if any.
std::optional<ImageFormat> detectFormat(std::span<const std::uint8_t> data);

DecodeResult decodeImage(std::span<const std::uint8_t> data, const DecodeLimits& limits = {});

// Quality setting 0..10 as the save requester passes it: JPEG quality is
// setting x 10, JPEG 2000 takes its rate from jpeg2000RateFor(setting); PNG
// and BMP ignore it. Icons are read only.
constexpr int kDefaultQualitySetting = 7;
// Writes the encoded file to out as it goes; returns an empty string or the
// reason it failed (out may then hold a part of the file).
std::string encodeImage(const Image& image, ImageFormat format, int qualitySetting, ByteSink& out);
EncodeResult encodeImage(const Image& image, ImageFormat format, int qualitySetting = kDefaultQualitySetting);

int jpegQualityFor(int qualitySetting);
float jpeg2000RateFor(int qualitySetting);

}  // namespace tarnel
