#pragma once
// Load image (command 10) and Save image (command 12) in the running editor:
// the io module's flows, with the requesters and message boxes of the Qt
// platform and the document of the editor core.

#include "io/file_requests.h"

namespace tarnel {

class AppContext;

// state lives as long as the editor; the two commands share it.
void loadImageCommand(AppContext& context, FileState& state);
void saveImageCommand(AppContext& context, FileState& state);
// Load of a file named without the requester (command line, drop).
void loadNamedImage(AppContext& context, FileState& state, const std::string& path);

}  // namespace tarnel
