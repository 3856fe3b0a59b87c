#include "io/image_file.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>
#endif

namespace tarnel {
namespace {

namespace fs = std::filesystem;

fs::path toPath(const std::string& path) { return fs::path(reinterpret_cast<const char8_t*>(path.c_str())); }

std::FILE* openFile(const fs::path& path, const char* mode) {
#ifdef _WIN32
    std::wstring wideMode(mode, mode + std::strlen(mode));
    return _wfopen(path.c_str(), wideMode.c_str());
#else
    return std::fopen(path.c_str(), mode);
#endif
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// A name for a temporary file beside target that no other save of this
// process uses at the same time.
fs::path temporaryPathFor(const fs::path& target) {
    static std::atomic<unsigned> counter{0};
    const auto ticks = static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
    fs::path name = target.filename();
    name += ".tmp" + std::to_string(ticks % 1000000007ull) + "-" + std::to_string(counter++);
    return target.parent_path() / name;
}

// Puts `from` in place of `to`, replacing an existing file in one step; a
// folder is never replaced. POSIX rename() replaces atomically. On Windows
// the move is asked for explicitly with the replace-existing flag, so the
// behaviour does not depend on the standard library's choice.
std::error_code replaceFile(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    if (fs::is_directory(to, ec)) return std::make_error_code(std::errc::is_a_directory);
#ifdef _WIN32
    if (!MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return std::error_code(static_cast<int>(GetLastError()), std::system_category());
    return {};
#else
    fs::rename(from, to, ec);
    return ec;
#endif
}

}  // namespace

FileBytes readFileBytes(const std::string& path, std::uint64_t maxBytes) {
    FileBytes out;
    const fs::path p = toPath(path);
    std::error_code ec;
    if (fs::is_directory(p, ec)) {
        out.error = DecodeError::Unreadable;
        out.message = "\"" + path + "\" is a folder";
        return out;
    }
    FileHandle file(openFile(p, "rb"));
    if (!file) {
        out.error = DecodeError::Unreadable;
        out.message = "cannot open \"" + path + "\": " + std::strerror(errno);
        return out;
    }
    const std::uintmax_t size = fs::file_size(p, ec);
    if (!ec && size > maxBytes) {
        out.error = DecodeError::TooLarge;
        out.message = "\"" + path + "\" is larger than " + std::to_string(maxBytes) + " bytes";
        return out;
    }
    // Read in chunks so that a size that changes while reading is no problem.
    constexpr std::size_t kChunk = 1u << 20;
    if (!ec) out.bytes.reserve(static_cast<std::size_t>(size));
    for (;;) {
        const std::size_t before = out.bytes.size();
        if (before > maxBytes) {
            out.bytes.clear();
            out.error = DecodeError::TooLarge;
            out.message = "\"" + path + "\" is larger than " + std::to_string(maxBytes) + " bytes";
            return out;
        }
        out.bytes.resize(before + kChunk);
        const std::size_t n = std::fread(out.bytes.data() + before, 1, kChunk, file.get());
        out.bytes.resize(before + n);
        if (n < kChunk) break;
    }
    if (std::ferror(file.get())) {
        out.bytes.clear();
        out.error = DecodeError::Unreadable;
        out.message = "cannot read \"" + path + "\"";
    }
    return out;
}

LoadResult loadImageFile(const std::string& path, const DecodeLimits& limits) {
    FileBytes file = readFileBytes(path);
    if (file.error != DecodeError::None) return decodeFailure(file.error, std::move(file.message));
    LoadResult result = decodeImage(file.bytes, limits);
    if (!result.ok()) result.message = "\"" + path + "\": " + result.message;
    return result;
}

std::string writeFileReplacing(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    const fs::path target = toPath(path);
    std::error_code ec;
    if (fs::is_directory(target, ec)) return "a folder of that name exists";
    const fs::path temp = temporaryPathFor(target);
    FileHandle file(openFile(temp, "wbx"));
    if (!file) return std::string("cannot create a file in the folder: ") + std::strerror(errno);
    bool written = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
    written = std::fflush(file.get()) == 0 && written;
    const int writeErrno = errno;
    written = std::fclose(file.release()) == 0 && written;
    if (!written) {
        fs::remove(temp, ec);
        return std::string("writing failed: ") + std::strerror(writeErrno);
    }
    if (const std::error_code renamed = replaceFile(temp, target)) {
        fs::remove(temp, ec);
        return "the file could not be replaced: " + renamed.message();
    }
    return {};
}

SaveResult saveImageFile(const std::string& path, const Image& image, ImageFormat format, int qualitySetting) {
    SaveResult result;
    const EncodeResult encoded = encodeImage(image, format, qualitySetting);
    if (!encoded.ok()) {
        result.message = "cannot save \"" + path + "\": " + encoded.error;
        return result;
    }
    if (std::string why = writeFileReplacing(path, encoded.bytes); !why.empty()) {
        result.message = "cannot save \"" + path + "\": " + why;
        return result;
    }
    result.ok = true;
    return result;
}

}  // namespace tarnel
