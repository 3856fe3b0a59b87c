#include "io/os_files.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tarnel::os {
namespace {

namespace fs = std::filesystem;

constexpr const char* kFolder = "is a folder";
constexpr const char* kNotRegular = "is not a regular file";

// The pending temporary file, as the system's path characters, kept where a
// signal handler can read it without allocating.
fs::path::value_type g_pending[4096];
volatile std::sig_atomic_t g_hasPending = 0;

#ifdef _WIN32
void removeNow() { _wunlink(g_pending); }
#else
void removeNow() { unlink(g_pending); }
#endif

void onTerminatingSignal(int signal) {
    removePendingTemporary();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

}  // namespace

std::FILE* openRegularFile(const fs::path& path, std::string& problem) {
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (!ec && fs::is_directory(status)) {
        problem = kFolder;
        return nullptr;
    }
    if (!ec && !fs::is_regular_file(status)) {
        problem = kNotRegular;
        return nullptr;
    }
#ifdef _WIN32
    std::FILE* file = _wfopen(path.c_str(), L"rb");
    if (!file) problem = std::strerror(errno);
    return file;
#else
    // The name may have changed since the check: opening without blocking
    // and checking the opened file keeps a FIFO from stalling the read.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        problem = std::strerror(errno);
        return nullptr;
    }
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        problem = S_ISDIR(info.st_mode) ? kFolder : kNotRegular;
        close(fd);
        return nullptr;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    std::FILE* file = fdopen(fd, "rb");
    if (!file) {
        problem = std::strerror(errno);
        close(fd);
    }
    return file;
#endif
}

FileIdentity identityOf(const fs::path& path) {
    FileIdentity identity;
#ifdef _WIN32
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (ec || !fs::exists(status)) return identity;
    identity.exists = true;
    identity.regular = fs::is_regular_file(status);
    identity.permissions = static_cast<unsigned>(status.permissions() & fs::perms::all);
    identity.links = fs::hard_link_count(path, ec);
    if (ec) identity.links = 1;
#else
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) return identity;
    identity.exists = true;
    identity.regular = S_ISREG(info.st_mode);
    identity.permissions = info.st_mode & 0777;
    identity.owner = info.st_uid;
    identity.group = info.st_gid;
    identity.links = info.st_nlink;
#endif
    return identity;
}

std::FILE* createExclusive(const fs::path& path, bool ownerOnly) {
#ifdef _WIN32
    (void)ownerOnly;
    return _wfopen(path.c_str(), L"wbx");
#else
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, ownerOnly ? 0600 : 0666);
    if (fd < 0) return nullptr;
    std::FILE* file = fdopen(fd, "wb");
    if (!file) {
        const int error = errno;
        close(fd);
        unlink(path.c_str());
        errno = error;
    }
    return file;
#endif
}

bool takeIdentity(std::FILE* file, const FileIdentity& identity) {
#ifdef _WIN32
    (void)file;
    (void)identity;
    return true;
#else
    const int fd = fileno(file);
    struct stat info {};
    if (fstat(fd, &info) != 0) return false;
    if ((info.st_uid != identity.owner || info.st_gid != identity.group) &&
        fchown(fd, static_cast<uid_t>(identity.owner), static_cast<gid_t>(identity.group)) != 0)
        return false;
    return fchmod(fd, static_cast<mode_t>(identity.permissions)) == 0;
#endif
}

void setPendingTemporary(const fs::path& path) {
    g_hasPending = 0;
    const auto& text = path.native();
    if (text.size() >= sizeof g_pending / sizeof g_pending[0]) return;
    std::memcpy(g_pending, text.c_str(), (text.size() + 1) * sizeof g_pending[0]);
    g_hasPending = 1;
}

void clearPendingTemporary() { g_hasPending = 0; }

void removePendingTemporary() {
    if (!g_hasPending) return;
    g_hasPending = 0;
    removeNow();
}

void removeTemporaryOnSignals() {
#ifdef _WIN32
    for (int signal : {SIGINT, SIGTERM, SIGBREAK}) std::signal(signal, onTerminatingSignal);
#else
    struct sigaction action {};
    action.sa_handler = onTerminatingSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND;
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction previous {};
        // A signal the caller's shell ignores (nohup) stays ignored.
        if (sigaction(signal, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN) continue;
        sigaction(signal, &action, nullptr);
    }
    std::signal(SIGXFSZ, SIG_IGN);
#endif
}

}  // namespace tarnel::os
