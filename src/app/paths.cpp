#include "app/paths.h"

namespace tarnel {

namespace {
bool isSeparator(char c) { return c == '\\' || c == '/'; }
}  // namespace

std::string withTrailingSeparator(const std::string& folder) {
    if (!folder.empty() && isSeparator(folder.back())) return folder;
    return folder + kFolderSeparator;
}

}  // namespace tarnel
