#pragma once
// Folder and file parts of path texts. The platform's folder separator is
// chosen here and nowhere else; both "\" and "/" are accepted when reading.

#include <string>

namespace tarnel {

#ifdef _WIN32
inline constexpr char kFolderSeparator = '\\';
#else
inline constexpr char kFolderSeparator = '/';
#endif

// folder with a separator appended unless it already ends in one.
std::string withTrailingSeparator(const std::string& folder);

// Everything up to and including the last "\" or "/"; empty when there is
// none. A leading double quote is skipped and the scan stops at "|".
std::string folderPart(const std::string& path);

// The text after the last "\" or "/" (the whole text when there is none).
std::string filePart(const std::string& path);

}  // namespace tarnel
