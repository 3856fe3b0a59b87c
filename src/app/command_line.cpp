#include "app/command_line.h"

#include "core/version.h"

namespace tarnel {

EditorArguments parseEditorArguments(const std::vector<std::string>& args) {
    EditorArguments result;
    bool options = true;
    for (const std::string& arg : args) {
        if (options && arg == "--") {
            options = false;
        } else if (options && (arg == "--help" || arg == "-h")) {
            return {EditorAction::Help, {}, {}};
        } else if (options && (arg == "--version" || arg == "-v")) {
            return {EditorAction::Version, {}, {}};
        } else if (options && arg.size() > 1 && arg[0] == '-') {
            return {EditorAction::Usage, {}, "unknown option " + arg};
        } else if (!result.file.empty()) {
            return {EditorAction::Usage, {}, "only one file can be opened"};
        } else if (arg.empty()) {
            return {EditorAction::Usage, {}, "empty file name"};
        } else {
            result.file = arg;
        }
    }
    return result;
}

EditorAction textRequest(const std::vector<std::string>& args) {
    for (const std::string& arg : args) {
        if (arg == "--") break;
        if (arg == "--help" || arg == "-h") return EditorAction::Help;
        if (arg == "--version" || arg == "-v") return EditorAction::Version;
    }
    return EditorAction::Run;
}

std::string editorUsageText() {
    return R"(Usage: tarnel [FILE]

Starts the image editor. With FILE it then loads FILE as Load image would:
the same decoders (PNG, JPEG, JPEG 2000, BMP or ICO, recognised by content),
the same error messages and status text, and a new undo history that starts
from the loaded image. A file that cannot be read leaves the start-up image
in view and says why. Without FILE the editor starts with its start-up
image.

An image file dropped onto the window from a file manager loads the same
way, whenever Load image could run.

Options
  --help, -h       print this text and exit.
  --version, -v    print the version and exit.
  --               end of options: the next argument is FILE even if it
                   starts with "-".
  Qt's own options (-platform NAME, -style NAME, ...) are accepted too.

Files
  ~/Tarnel.prefs   the folder of the last file loaded or saved and the last
                   window state, written when the editor ends.

Exit status
  0  the editor ended normally, or --help or --version was given
  2  arguments it does not understand

See also
  tarnel-batch(1): the same image operations on files, without the window.
)";
}

std::string editorVersionText() { return std::string("tarnel ") + kVersion + "\n"; }

}  // namespace tarnel
