#pragma once
// Reading and writing image files.
//
// A load reads the whole file and decodes it by content; a failure leaves
// nothing changed and says why. A save encodes into memory, writes a
// temporary file in the target's folder and only then puts it in place of
// the target, so a failed save never leaves a partial file and never destroys
// the file it would have replaced.

#include <cstdint>
#include <string>
#include <vector>

#include "io/codec.h"
#include "io/image_codec.h"

namespace tarnel {

// Files larger than this are not read.
constexpr std::uint64_t kMaxImageFileBytes = std::uint64_t{1} << 30;

LoadResult loadImageFile(const std::string& path, const DecodeLimits& limits = {});

struct SaveResult {
    bool ok = false;
    std::string message;  // names the file and the reason when !ok
};

SaveResult saveImageFile(const std::string& path, const Image& image, ImageFormat format,
                         int qualitySetting = kDefaultQualitySetting);

// The whole file, or an error (Unreadable or TooLarge).
struct FileBytes {
    std::vector<std::uint8_t> bytes;
    DecodeError error = DecodeError::None;
    std::string message;
};
FileBytes readFileBytes(const std::string& path, std::uint64_t maxBytes = kMaxImageFileBytes);

// Writes bytes to path through a temporary file in the same folder that then
// replaces path. Returns an empty string on success, else the reason.
std::string writeFileReplacing(const std::string& path, const std::vector<std::uint8_t>& bytes);

}  // namespace tarnel
