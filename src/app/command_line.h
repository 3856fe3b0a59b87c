#pragma once
// The editor's command line: `tarnel [FILE]`, `tarnel --help`,
// `tarnel --version`. Without an argument the editor starts as it always
// has; with FILE it then loads FILE as Load would.

#include <string>
#include <string_view>
#include <vector>

namespace tarnel {

enum class EditorAction { Run, Help, Version, Usage };

struct EditorArguments {
    EditorAction action = EditorAction::Run;
    std::string file;   // empty: start with the start-up image
    std::string error;  // with Usage: what was wrong
};

// Exit status of a command line the editor does not understand.
inline constexpr int kEditorExitUsage = 2;

// args excludes the program name. "--" ends the options, so a file whose
// name starts with "-" can still be named.
EditorArguments parseEditorArguments(const std::vector<std::string>& args);

// Help or Version when args ask for either (the first one wins), else Run.
// The editor answers these before it opens any window, so they work without
// a display and whatever else the command line holds.
EditorAction textRequest(const std::vector<std::string>& args);

std::string editorUsageText();
std::string editorVersionText();

}  // namespace tarnel
