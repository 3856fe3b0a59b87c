#include "io/codec.h"

#include <new>

namespace tarnel {

const char* formatName(ImageFormat format) {
    switch (format) {
        case ImageFormat::Png: return "PNG";
        case ImageFormat::Jpeg: return "JPEG";
        case ImageFormat::Jpeg2000: return "JPEG 2000";
        case ImageFormat::Bmp: return "BMP";
        case ImageFormat::Ico: return "ICO";
        case ImageFormat::PngIndexed: return "palette PNG";
    }
    return "unknown";
}

const char* decodeErrorName(DecodeError error) {
    switch (error) {
        case DecodeError::None: return "no error";
        case DecodeError::Unreadable: return "unreadable";
        case DecodeError::UnknownFormat: return "unknown format";
        case DecodeError::Truncated: return "truncated";
        case DecodeError::TooLarge: return "too large";
        case DecodeError::Corrupt: return "corrupt";
    }
    return "error";
}

bool MemorySink::write(const std::uint8_t* data, std::size_t size) {
    // Called from inside C libraries: no exception may leave.
    try {
        bytes.insert(bytes.end(), data, data + size);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

DecodeResult decodeFailure(DecodeError error, std::string message) {
    DecodeResult result;
    result.error = error;
    result.message = std::move(message);
    return result;
}

std::string checkImageSize(std::int64_t width, std::int64_t height, const DecodeLimits& limits) {
    if (width <= 0 || height <= 0)
        return "invalid image size " + std::to_string(width) + " x " + std::to_string(height);
    if (width > limits.maxSide || height > limits.maxSide ||
        static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) > limits.maxPixels)
        return "image size " + std::to_string(width) + " x " + std::to_string(height) +
               " exceeds the limit of " + std::to_string(limits.maxSide) + " pixels per side and " +
               std::to_string(limits.maxPixels) + " pixels";
    return {};
}

}  // namespace tarnel
