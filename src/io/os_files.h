#pragma once
// The few file operations that differ between POSIX systems and Windows:
// opening only regular files, the permission bits and owner of a file a
// save replaces, and removing a save's temporary file when the process is
// interrupted. Everything else about files goes through std::filesystem.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

namespace tarnel::os {

// Opens path for reading if it names a regular file (links followed). A
// folder, FIFO or device is refused without being read and without
// blocking: problem is then "is a folder" or "is not a regular file", or
// the system's reason when the file cannot be opened.
std::FILE* openRegularFile(const std::filesystem::path& path, std::string& problem);

// What a save keeps of the file it replaces.
struct FileIdentity {
    bool exists = false;
    bool regular = false;
    unsigned permissions = 0;  // rwx bits for owner, group and others
    std::uint64_t owner = 0;
    std::uint64_t group = 0;
    std::uint64_t links = 1;  // names sharing the file
};
FileIdentity identityOf(const std::filesystem::path& path);

// Creates a new file for writing, failing when the name exists. With
// ownerOnly it starts readable by its owner alone (it is to take the
// permissions of a file it replaces), else with the system's default.
std::FILE* createExclusive(const std::filesystem::path& path, bool ownerOnly);

// Gives an open file the permission bits of identity and, where the system
// allows it, its owner and group. False when the owner or group could not be
// kept; the permission bits then stay those of createExclusive.
bool takeIdentity(std::FILE* file, const FileIdentity& identity);

// The temporary file of the save in progress, removed by
// removePendingTemporary. One save at a time is tracked.
void setPendingTemporary(const std::filesystem::path& path);
void clearPendingTemporary();
// Safe to call from a signal handler.
void removePendingTemporary();

// For a command-line process: an interrupt or termination request removes
// the pending temporary file before the process ends as it would have, and
// exceeding the file size limit makes the write fail (and the save clean up)
// instead of ending the process.
void removeTemporaryOnSignals();

}  // namespace tarnel::os
