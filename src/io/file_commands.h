#pragma once
// The Load (command 10) and Save (command 12) flows, free of any window
// system. The editor side implements FileCommandHost: it shows the
// requesters and message boxes and owns the working image, the history and
// the current file path; FileState keeps what only these two commands share.
//
// Unlike a silent design, failures are reported: a file that cannot be read
// or decoded, or a save that cannot be written, shows an error box naming
// the file and the reason, and leaves the working image, the history, the
// current file path and the status bar as they were. A damaged file that
// decodes in part loads, and a box then says that it is damaged.

#include <string>

#include "core/image.h"
#include "io/file_requests.h"

namespace tarnel {

inline constexpr std::string_view kLoadErrorTitle = "Load image";
inline constexpr std::string_view kSaveErrorTitle = "Save image";
inline constexpr std::string_view kDamagedFileText =
    "The file is damaged or incomplete: the parts of the image that could not be read are filled in.";

struct FileChoice {
    std::string path;  // empty when the user cancelled
    int filterIndex = 0;  // the filter selected when the requester closed
};

class FileCommandHost {
public:
    virtual ~FileCommandHost() = default;

    virtual FileChoice openFileRequester(const FileRequest& request) = 0;
    virtual FileChoice saveFileRequester(const FileRequest& request) = 0;
    // A Yes/No message box; true for Yes.
    virtual bool askYesNo(const std::string& title, const std::string& text) = 0;
    virtual void showError(const std::string& title, const std::string& text) = 0;

    virtual std::string currentFilePath() = 0;
    virtual void setCurrentFilePath(const std::string& path) = 0;
    virtual void setImageName(const std::string& name) = 0;

    // The working image (slot 4), or null when there is none.
    virtual const Image* workingImage() = 0;
    // Makes a freshly loaded image the working image, then resets the
    // history, detaches the selection, selects mover mode and fits the window
    // to the image (which also sets status field 0).
    virtual void installLoadedImage(Image image) = 0;
    // Status bar field 0.
    virtual void setFileStatus(const std::string& text) = 0;
    // Decoding or encoding begins / ends (the wait cursor shows between).
    virtual void beginLongWork() {}
    virtual void endLongWork() {}
};

// True for an existing file or folder.
bool pathExists(const std::string& path);

void runLoadCommand(FileCommandHost& host, FileState& state);
// What Load does once its requester returned choice.
void loadChosenFile(FileCommandHost& host, FileState& state, const FileChoice& choice);
// Load without the requester, of a file named otherwise (the command line,
// a drop): as if it had been chosen with the filter last used.
void loadNamedFile(FileCommandHost& host, FileState& state, const std::string& path);
void runSaveCommand(FileCommandHost& host, FileState& state);

}  // namespace tarnel
