#include "io/file_commands.h"

#include <filesystem>
#include <system_error>

#include "io/image_file.h"

namespace tarnel {

bool pathExists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::exists(std::filesystem::path(reinterpret_cast<const char8_t*>(path.c_str())), ec);
}

void runLoadCommand(FileCommandHost& host, FileState& state) {
    state.currentFilePath = host.currentFilePath();
    const FileChoice choice = host.openFileRequester(loadRequest(state));
    if (choice.path.empty()) return;
    loadChosenFile(host, state, choice);
}

void loadChosenFile(FileCommandHost& host, FileState& state, const FileChoice& choice) {
    // The chosen file becomes the current one before decoding, so a later
    // Save offers its name and folder even when it fails to load.
    acceptLoadChoice(state, choice.path, choice.filterIndex);
    host.setCurrentFilePath(state.currentFilePath);
    host.setImageName(state.imageName);

    host.beginLongWork();
    LoadResult loaded = loadImageFile(choice.path);
    if (loaded.ok()) host.installLoadedImage(std::move(loaded.image));
    host.endLongWork();
    if (!loaded.ok())
        host.showError(std::string(kLoadErrorTitle), "The image could not be loaded.\n" + loaded.message);
    else if (!loaded.damage.empty())
        host.showError(std::string(kLoadErrorTitle), std::string(kDamagedFileText) + "\n\"" + choice.path +
                                                         "\": " + loaded.damage);
}

void loadNamedFile(FileCommandHost& host, FileState& state, const std::string& path) {
    state.currentFilePath = host.currentFilePath();
    // No requester was shown: the filter the next one preselects stays.
    loadChosenFile(host, state, FileChoice{path, state.loadFilterIndex});
}

void runSaveCommand(FileCommandHost& host, FileState& state) {
    state.currentFilePath = host.currentFilePath();
    const FileChoice choice = host.saveFileRequester(saveRequest(state));
    if (choice.path.empty()) return;

    state.saveFilterIndex = choice.filterIndex;
    const std::string path = savePathFor(choice.path, state.saveFilterIndex);
    if (pathExists(path) && !host.askYesNo(std::string(kOverwriteTitle), std::string(kOverwriteText))) return;

    const Image* image = host.workingImage();
    if (!image) return;
    const SaveFilter filter = saveFilter(state.saveFilterIndex);
    host.beginLongWork();
    const SaveResult saved = saveImageFile(path, *image, filter.format, filter.qualitySetting);
    host.endLongWork();
    if (!saved.ok) {
        host.showError(std::string(kSaveErrorTitle), "The image was not saved.\n" + saved.message);
        return;
    }
    state.currentFilePath = path;
    host.setCurrentFilePath(path);
    host.setFileStatus(fileStatusText(path, image->width(), image->height()));
}

}  // namespace tarnel
