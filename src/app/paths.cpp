#include "app/paths.h"

namespace tarnel {

namespace {
bool isSeparator(char c) { return c == '\\' || c == '/'; }
}  // namespace

std::string withTrailingSeparator(const std::string& folder) {
    if (!folder.empty() && isSeparator(folder.back())) return folder;
    return folder + kFolderSeparator;
}

std::string folderPart(const std::string& path) {
    std::size_t start = 0;
    if (!path.empty() && path[0] == '"') start = 1;
    std::size_t end = path.find('|', start);
    if (end == std::string::npos) end = path.size();
    std::size_t cut = std::string::npos;
    for (std::size_t i = start; i < end; ++i)
        if (isSeparator(path[i])) cut = i;
    if (cut == std::string::npos) return std::string();
    return path.substr(start, cut - start + 1);
}

std::string filePart(const std::string& path) {
    const std::size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

}  // namespace tarnel
