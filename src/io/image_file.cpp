#include "io/image_file.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <system_error>
#include <vector>

#include "core/zeroed_memory.h"
#include "io/os_files.h"

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

// A short name for a temporary file beside target that no other save uses at
// the same time. It does not grow with the target's name, so a name of the
// longest length the system allows can still be saved.
fs::path temporaryPathFor(const fs::path& target) {
    static std::atomic<unsigned> counter{0};
    const auto ticks = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    std::uint64_t value = ticks * 0x9E3779B97F4A7C15ull + counter++;
    std::string name = ".tarnel-";
    for (int i = 0; i < 6; ++i, value /= 36) name += "0123456789abcdefghijklmnopqrstuvwxyz"[value % 36];
    return target.parent_path() / name;
}

// Where a chain of symbolic links ends: a save writes to the file a link
// names and leaves the link in place.
fs::path followLinks(fs::path path) {
    constexpr int kMaxLinks = 40;
    for (int i = 0; i < kMaxLinks; ++i) {
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(path, ec))) break;
        const fs::path next = fs::read_symlink(path, ec);
        if (ec) break;
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    return path;
}

// Writes to a file and remembers the first error.
class FileSink final : public ByteSink {
public:
    explicit FileSink(std::FILE* file) : m_file(file) {}
    bool write(const std::uint8_t* data, std::size_t size) override {
        if (m_error != 0) return false;
        if (size > 0 && std::fwrite(data, 1, size, m_file) != size) {
            m_error = errno != 0 ? errno : EIO;
            return false;
        }
        return true;
    }
    int error() const { return m_error; }

private:
    std::FILE* m_file;
    int m_error = 0;
};

// The temporary file of a save: removed when the save does not complete.
class TemporaryFile {
public:
    explicit TemporaryFile(fs::path path) : m_path(std::move(path)) { os::setPendingTemporary(m_path); }
    ~TemporaryFile() {
        if (m_path.empty()) return;
        os::clearPendingTemporary();
        std::error_code ec;
        fs::remove(m_path, ec);
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    const fs::path& path() const { return m_path; }
    // The file was moved away, or is to be kept.
    void release() {
        os::clearPendingTemporary();
        m_path.clear();
    }

private:
    fs::path m_path;
};

// Copies the complete new file over the old one, which keeps the old file's
// other names, owner and permissions. A failure here leaves the old file
// damaged; the new one then stays where it was written and the message
// says where.
std::string rewriteInPlace(TemporaryFile& temp, const fs::path& target) {
    // From here on the temporary file may be the only complete copy.
    os::clearPendingTemporary();
    FileHandle in(openFile(temp.path(), "rb"));
    FileHandle out(in ? openFile(target, "wb") : nullptr);
    bool copied = in && out;
    std::vector<char> buffer(copied ? std::size_t{1} << 20 : 0);
    while (copied) {
        const std::size_t n = std::fread(buffer.data(), 1, buffer.size(), in.get());
        if (n > 0 && std::fwrite(buffer.data(), 1, n, out.get()) != n) copied = false;
        if (n < buffer.size()) {
            copied = copied && !std::ferror(in.get());
            break;
        }
    }
    const int error = errno;
    if (out) copied = std::fclose(out.release()) == 0 && copied;
    in.reset();
    if (!copied) {
        const std::string kept = temp.path().string();
        temp.release();
        return std::string("the file could not be rewritten: ") + std::strerror(error) + "; the image was saved as \"" +
               kept + "\"";
    }
    return {};
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

namespace {

// Opens path for a whole read: the file, its size where the system tells it
// (else nullopt), or out's error and message.
FileHandle openWholeFile(const std::string& path, std::uint64_t maxBytes, std::optional<std::uint64_t>& size,
                         FileBytes& out) {
    const fs::path p = toPath(path);
    std::string problem;
    FileHandle file(os::openRegularFile(p, problem));
    if (!file) {
        out.error = DecodeError::Unreadable;
        if (problem.rfind("is ", 0) == 0)
            out.message = "\"" + path + "\" " + problem;
        else
            out.message = "cannot open \"" + path + "\": " + problem;
        return nullptr;
    }
    std::error_code ec;
    const std::uintmax_t bytes = fs::file_size(p, ec);
    if (!ec && bytes > maxBytes) {
        out.error = DecodeError::TooLarge;
        out.message = "\"" + path + "\" is larger than " + std::to_string(maxBytes) + " bytes";
        return nullptr;
    }
    if (!ec) size = bytes;
    return file;
}

// Reads the rest of file into out.bytes in chunks, so that a size that
// changes while reading is no problem.
void readChunks(std::FILE* file, const std::string& path, std::uint64_t maxBytes, std::optional<std::uint64_t> size,
                FileBytes& out) {
    constexpr std::size_t kChunk = 1u << 20;
    if (size) out.bytes.reserve(static_cast<std::size_t>(*size));
    for (;;) {
        const std::size_t before = out.bytes.size();
        if (before > maxBytes) {
            out.bytes.clear();
            out.error = DecodeError::TooLarge;
            out.message = "\"" + path + "\" is larger than " + std::to_string(maxBytes) + " bytes";
            return;
        }
        out.bytes.resize(before + kChunk);
        const std::size_t n = std::fread(out.bytes.data() + before, 1, kChunk, file);
        out.bytes.resize(before + n);
        if (n < kChunk) break;
    }
    if (std::ferror(file)) {
        out.bytes.clear();
        out.error = DecodeError::Unreadable;
        out.message = "cannot read \"" + path + "\"";
    }
}

// Files from this size up are read into memory of their own for decoding.
constexpr std::uint64_t kPixelMemoryFileBytes = std::uint64_t{2} << 20;

}  // namespace

FileBytes readFileBytes(const std::string& path, std::uint64_t maxBytes) {
    FileBytes out;
    std::optional<std::uint64_t> size;
    FileHandle file = openWholeFile(path, maxBytes, size, out);
    if (file) readChunks(file.get(), path, maxBytes, size, out);
    return out;
}

LoadResult loadImageFile(const std::string& path, const DecodeLimits& limits) {
    FileBytes file;
    std::optional<std::uint64_t> size;
    FileHandle handle = openWholeFile(path, kMaxImageFileBytes, size, file);
    auto decodeBytes = [&](std::span<const std::uint8_t> bytes) {
        LoadResult result = decodeImage(bytes, limits);
        if (!result.ok()) result.message = "\"" + path + "\": " + result.message;
        return result;
    };
    if (handle && size && *size >= kPixelMemoryFileBytes) {
        // A large file goes in one read into memory that large pages back,
        // with no clearing first: a fresh heap buffer costs a page fault per
        // 4 KiB, more than the read itself. The memory goes back to the
        // system as soon as the image is decoded. A file that grew meanwhile
        // is read again the ordinary way.
        const auto bytes = static_cast<std::size_t>(*size);
        const ZeroedMemory memory = allocateZeroed(bytes + 1);
        auto* data = static_cast<std::uint8_t*>(memory.get());
        const std::size_t n = std::fread(data, 1, bytes + 1, handle.get());
        if (n <= bytes && !std::ferror(handle.get())) return decodeBytes(std::span<const std::uint8_t>(data, n));
        std::clearerr(handle.get());
        std::rewind(handle.get());
        size.reset();
    }
    if (handle) readChunks(handle.get(), path, kMaxImageFileBytes, size, file);
    if (file.error != DecodeError::None) return decodeFailure(file.error, std::move(file.message));
    return decodeBytes(file.bytes);
}

std::string writeFileReplacing(const std::string& path, const std::function<std::string(ByteSink&)>& produce) {
    const fs::path target = followLinks(toPath(path));
    std::error_code ec;
    if (fs::is_directory(target, ec)) return "a folder of that name exists";
    const os::FileIdentity old = os::identityOf(target);
    if (old.exists && !old.regular) return "it is not a regular file";

    FileHandle file;
    fs::path tempPath;
    for (int attempt = 0; attempt < 100 && !file; ++attempt) {
        tempPath = temporaryPathFor(target);
        file.reset(os::createExclusive(tempPath, old.exists));
        if (!file && errno != EEXIST) break;
    }
    if (!file) return std::string("cannot create a file in the folder: ") + std::strerror(errno);
    TemporaryFile temp(tempPath);

    FileSink sink(file.get());
    const std::string why = produce(sink);
    bool written = why.empty() && std::fflush(file.get()) == 0;
    int error = sink.error() != 0 ? sink.error() : errno;
    const bool ownerKept = !old.exists || os::takeIdentity(file.get(), old);
    if (std::fclose(file.release()) != 0 && written) {
        written = false;
        error = errno;
    }
    if (sink.error() != 0) return std::string("writing failed: ") + std::strerror(sink.error());
    if (!why.empty()) return why;
    if (!written) return std::string("writing failed: ") + std::strerror(error);

    // A file with other names, or whose owner a new file cannot take, is
    // rewritten; any other is replaced in one step.
    if (old.exists && (old.links > 1 || !ownerKept)) {
        if (std::string failed = rewriteInPlace(temp, target); !failed.empty()) return failed;
        return {};
    }
    if (const std::error_code renamed = replaceFile(temp.path(), target))
        return "the file could not be replaced: " + renamed.message();
    temp.release();
    return {};
}

SaveResult saveImageFile(const std::string& path, const Image& image, ImageFormat format, int qualitySetting) {
    SaveResult result;
    if (image.isNull()) {
        result.message = "cannot save \"" + path + "\": there is no image to write";
        return result;
    }
    const std::string why = writeFileReplacing(
        path, [&](ByteSink& out) { return encodeImage(image, format, qualitySetting, out); });
    if (!why.empty()) {
        result.message = "cannot save \"" + path + "\": " + why;
        return result;
    }
    result.ok = true;
    return result;
}

}  // namespace tarnel
