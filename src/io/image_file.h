#pragma once
// Reading and writing image files.
//
// A load reads the whole file, which must be a regular file (folders, FIFOs
// and devices are refused unread), and decodes it by content; a failure
// leaves nothing changed and says why.
//
// A save encodes straight into a temporary file in the target's folder and
// only then puts it in place of the target, so a failed save never leaves a
// partial file and never destroys the file it would have replaced. The new
// file keeps the old one's identity: its permission bits and, where the
// system allows, its owner; a symbolic link is followed and its target
// replaced; a file with several names (hard links), or whose owner cannot
// be kept, is rewritten in place from the complete temporary file.

#include <cstdint>
#include <functional>
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

// Writes what produce writes (it returns an empty string, or why it failed)
// to path through a temporary file as described above. Returns an empty
// string on success, else the reason.
std::string writeFileReplacing(const std::string& path, const std::function<std::string(ByteSink&)>& produce);

}  // namespace tarnel
