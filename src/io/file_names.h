#pragma once
// File-name rules shared by Load and Save. Paths are plain text: "\" and "/"
// both separate folders, a leading double quote is skipped and a later double
// quote ends the name. All parts are found by scanning from the end.

#include <string>
#include <string_view>

namespace tarnel {

// The path with a leading double quote skipped and cut at the next one.
std::string unquotedPath(std::string_view path);

// Everything up to and including the last "\" or "/" (empty if none).
std::string folderPart(std::string_view path);

// Everything after the last "\" or "/".
std::string filePart(std::string_view path);

// The file part without its last "." and what follows, unless a space
// follows that "." or the "." is the last character: then the whole file
// part. "my photo.2016.png" gives "my photo.2016", "name.with space" and
// "name." stay whole.
std::string filePartWithoutExtension(std::string_view path);

// The text after the last "." of the path, provided no space, "\" or "/"
// follows it and the "." is neither the first character nor right after a
// "\" or "/"; otherwise empty.
std::string pathExtension(std::string_view path);

// The folder written back as the remembered folder at exit: the folder part,
// with the scan stopping at a "|".
std::string rememberedFolder(std::string_view currentFilePath);

std::string toLowerAscii(std::string_view text);

}  // namespace tarnel
