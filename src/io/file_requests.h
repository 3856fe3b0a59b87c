#pragma once
// What Load and Save show in their file requesters and how the choice
// updates the shared file state. The Qt layer only shows the requester.

#include <string>
#include <string_view>
#include <vector>

#include "io/codec.h"

namespace tarnel {

// Filter lists as label|patterns pairs separated by "|", patterns by ";".
inline constexpr std::string_view kLoadFilterList =
    "all supported formats|*.png;*.jpg;*.jpeg;*.jp2;;*.bmp|*.png|*.png|*.jpg, *.jpeg|*.jpg;*.jpeg|"
    "*.jpeg2000|*.jp2|*.bmp|*.bmp|all files|*.*";
inline constexpr std::string_view kSaveFilterList =
    "image.png|*.png|image.jpg|*.jpg|image.jpeg|*.jpeg|image.jpeg2000|*.jp2|image.bmp|*.bmp|"
    "image (indexed).png|*.png";

inline constexpr std::string_view kLoadTitle = "Select image to process";
inline constexpr std::string_view kSaveTitle = "Save image";
inline constexpr std::string_view kNoImageLoadedName = "no_image_loaded";
inline constexpr std::string_view kOverwriteTitle = "File Exists!";
inline constexpr std::string_view kOverwriteText = "Do you wish to overwrite?";

// One entry per filter in Qt's syntax, "label (pattern pattern)"; the
// requester's filter string is these joined by ";;". Empty patterns are
// dropped, and "*.*" becomes "*" (every file, with or without a dot).
std::vector<std::string> qtFilters(std::string_view filterList);
std::string joinQtFilters(const std::vector<std::string>& filters);

struct FileRequest {
    std::string title;
    std::string defaultPath;  // folder, or folder plus name
    std::vector<std::string> filters;
    std::string qtFilter;     // filters joined for Qt
    int filterIndex = 0;      // preselected filter
};

// Run-time file state shared by Load and Save; lives until exit.
struct FileState {
    std::string currentFilePath;  // file last loaded or saved
    std::string imageName;        // its name without extension
    std::string loadFolder;
    bool firstLoad = true;
    int loadFilterIndex = 0;
    int saveFilterIndex = 1;
};

// The state at start-up from the remembered folder.
FileState initialFileState(std::string_view lastPath);

// Load: the requester to show. The first call opens in the folder of the
// current file path.
FileRequest loadRequest(FileState& state);
// Load: records the chosen file before it is decoded.
void acceptLoadChoice(FileState& state, const std::string& path, int filterIndex);

// The save filter index that follows the extension of path (png, jpg, jpeg,
// jpeg2000, bmp in that order), or current when none matches.
int saveFilterIndexFor(std::string_view path, int current);

// Save: follows the current file's extension, then gives the requester.
FileRequest saveRequest(FileState& state);

struct SaveFilter {
    std::string_view extension;  // with the dot
    ImageFormat format;
    int qualitySetting;
};
// The filter's format and quality setting; out-of-range indices clamp.
SaveFilter saveFilter(int filterIndex);

// The path actually written for a chosen path: the file part loses its last
// "." and what follows, then the filter's extension is appended.
std::string savePathFor(std::string_view chosenPath, int filterIndex);

// Status field 0 after a load or save: file part, "  |  (", w, " x ", h, ")".
std::string fileStatusText(std::string_view currentFilePath, int width, int height);

}  // namespace tarnel
