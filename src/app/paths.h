#pragma once
// The platform's folder separator, chosen here and nowhere else. Reading
// paths accepts both "\" and "/" (io/file_names.h splits them).

#include <string>

namespace tarnel {

#ifdef _WIN32
inline constexpr char kFolderSeparator = '\\';
#else
inline constexpr char kFolderSeparator = '/';
#endif

// folder with a separator appended unless it already ends in one.
std::string withTrailingSeparator(const std::string& folder);

}  // namespace tarnel
