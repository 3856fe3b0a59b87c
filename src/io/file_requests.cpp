#include "io/file_requests.h"

#include <algorithm>
#include <array>

#include "io/file_names.h"
#include "io/image_codec.h"

namespace tarnel {
namespace {

constexpr std::array<SaveFilter, 6> kSaveFilters = {{
    {".png", ImageFormat::Png, kDefaultQualitySetting},
    {".jpg", ImageFormat::Jpeg, 8},
    {".jpeg", ImageFormat::Jpeg, 8},
    {".jp2", ImageFormat::Jpeg2000, 3},
    {".bmp", ImageFormat::Bmp, kDefaultQualitySetting},
    {".png", ImageFormat::PngIndexed, kDefaultQualitySetting},
}};

// Extensions that select a save filter, in the order they are compared.
constexpr std::array<std::string_view, 5> kFilterExtensions = {"png", "jpg", "jpeg", "jpeg2000", "bmp"};

std::vector<std::string_view> split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    return parts;
}

FileRequest makeRequest(std::string_view title, std::string defaultPath, std::string_view filterList, int index) {
    FileRequest request;
    request.title = std::string(title);
    request.defaultPath = std::move(defaultPath);
    request.filters = qtFilters(filterList);
    request.qtFilter = joinQtFilters(request.filters);
    request.filterIndex = index;
    return request;
}

}  // namespace

std::vector<std::string> qtFilters(std::string_view filterList) {
    const std::vector<std::string_view> parts = split(filterList, '|');
    std::vector<std::string> filters;
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
        std::string patterns;
        for (std::string_view pattern : split(parts[i + 1], ';')) {
            if (pattern.empty()) continue;
            if (!patterns.empty()) patterns += ' ';
            // "*.*" means every file; to Qt it means names with a dot.
            patterns += pattern == "*.*" ? std::string_view("*") : pattern;
        }
        filters.push_back(std::string(parts[i]) + " (" + patterns + ")");
    }
    return filters;
}

std::string joinQtFilters(const std::vector<std::string>& filters) {
    std::string joined;
    for (const std::string& f : filters) {
        if (!joined.empty()) joined += ";;";
        joined += f;
    }
    return joined;
}

FileState initialFileState(std::string_view lastPath) {
    FileState state;
    state.currentFilePath = std::string(lastPath) + std::string(kNoImageLoadedName);
    return state;
}

FileRequest loadRequest(FileState& state) {
    if (state.firstLoad) {
        state.firstLoad = false;
        state.loadFolder = folderPart(state.currentFilePath);
    }
    return makeRequest(kLoadTitle, state.loadFolder, kLoadFilterList, state.loadFilterIndex);
}

void acceptLoadChoice(FileState& state, const std::string& path, int filterIndex) {
    state.currentFilePath = path;
    state.loadFilterIndex = filterIndex;
    state.imageName = filePartWithoutExtension(path);
    state.loadFolder = folderPart(path);
}

int saveFilterIndexFor(std::string_view path, int current) {
    const std::string extension = toLowerAscii(pathExtension(path));
    for (std::size_t i = 0; i < kFilterExtensions.size(); ++i)
        if (extension == kFilterExtensions[i]) return static_cast<int>(i);
    return current;
}

FileRequest saveRequest(FileState& state) {
    state.saveFilterIndex = saveFilterIndexFor(state.currentFilePath, state.saveFilterIndex);
    return makeRequest(kSaveTitle, folderPart(state.currentFilePath) + state.imageName, kSaveFilterList,
                       state.saveFilterIndex);
}

SaveFilter saveFilter(int filterIndex) {
    return kSaveFilters[static_cast<std::size_t>(std::clamp(filterIndex, 0, static_cast<int>(kSaveFilters.size()) - 1))];
}

std::string savePathFor(std::string_view chosenPath, int filterIndex) {
    std::string path = unquotedPath(chosenPath);
    const std::size_t nameStart = path.find_last_of("\\/") == std::string::npos ? 0 : path.find_last_of("\\/") + 1;
    const std::size_t dot = path.rfind('.');
    if (dot != std::string::npos && dot >= nameStart) path.erase(dot);
    return path + std::string(saveFilter(filterIndex).extension);
}

std::string fileStatusText(std::string_view currentFilePath, int width, int height) {
    return filePart(currentFilePath) + "  |  (" + std::to_string(width) + " x " + std::to_string(height) + ")";
}

}  // namespace tarnel
