#include "io/file_names.h"

namespace tarnel {
namespace {

bool isSeparator(char c) { return c == '\\' || c == '/'; }

std::size_t lastSeparator(std::string_view path) { return path.find_last_of("\\/"); }

}  // namespace

std::string unquotedPath(std::string_view path) {
    if (!path.empty() && path.front() == '"') path.remove_prefix(1);
    if (const std::size_t quote = path.find('"'); quote != std::string_view::npos) path = path.substr(0, quote);
    return std::string(path);
}

std::string folderPart(std::string_view path) {
    const std::string p = unquotedPath(path);
    const std::size_t sep = lastSeparator(p);
    return sep == std::string::npos ? std::string() : p.substr(0, sep + 1);
}

std::string filePart(std::string_view path) {
    const std::string p = unquotedPath(path);
    const std::size_t sep = lastSeparator(p);
    return sep == std::string::npos ? p : p.substr(sep + 1);
}

std::string filePartWithoutExtension(std::string_view path) {
    const std::string name = filePart(path);
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot + 1 == name.size()) return name;
    if (name.find(' ', dot + 1) != std::string::npos) return name;
    return name.substr(0, dot);
}

std::string pathExtension(std::string_view path) {
    const std::string p = unquotedPath(path);
    const std::size_t dot = p.rfind('.');
    if (dot == std::string::npos || dot == 0 || isSeparator(p[dot - 1])) return {};
    const std::string after = p.substr(dot + 1);
    if (after.find_first_of(" \\/") != std::string::npos) return {};
    return after;
}

std::string rememberedFolder(std::string_view currentFilePath) {
    std::string_view p = currentFilePath;
    if (!p.empty() && p.front() == '"') p.remove_prefix(1);
    if (const std::size_t bar = p.find('|'); bar != std::string_view::npos) p = p.substr(0, bar);
    return folderPart(p);
}

std::string toLowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

}  // namespace tarnel
