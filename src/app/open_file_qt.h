#pragma once
// Images opened from outside the Load requester: the file named on the
// editor's command line and a file dropped onto the main window from a file
// manager. Both load exactly as Load does once its requester has returned
// the file: same decoders, error boxes, status text and history reset.

#include <string>

namespace tarnel {

class AppContext;

// The one answer to "may a load start now?", for every way of loading
// without the requester. No while a dialog, message box or requester is
// open (they hold the main window's commands), while a command is running
// or while a floating section is being placed (it reads the commands itself).
bool mayStartLoad(AppContext& context);

// Loads path as Load would; false (and nothing changes) when a load may not
// start now.
bool openImageFile(AppContext& context, const std::string& path);

// Start-up, then the file named on the command line when there is one (an
// empty path starts exactly as without it). False when the main window
// could not be built.
bool startWithFile(AppContext& context, const std::string& path);

// Makes the main window take image files dropped on it. A drop is refused
// (the pointer shows it) whenever a load may not start; an accepted one
// loads once the drop has finished, so that the file manager is not kept
// waiting while the file decodes or an error box is open.
void acceptFileDrops(AppContext& context);

}  // namespace tarnel
