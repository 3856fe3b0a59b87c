#pragma once
// The built-in help text and where the help window goes.

#include <string>

#include "core/image.h"

namespace tarnel {

// The help text, shown unchanged: printable ASCII and tabs, every line ended
// by CR LF. It opens with a framed banner and closes with a line of
// underscores around "End of Help", followed by CR LF and one tab.
const std::string& helpText();

// The help window's inner rectangle on a desktop of the given size: half its
// width and half its height (integer division), centred.
Rect helpWindowRect(int desktopWidth, int desktopHeight);

}  // namespace tarnel
