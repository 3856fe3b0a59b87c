#pragma once
// Paste floating section (Ctrl+V) in the main window, and the same placement
// for Add text's rendered bitmap. While a section floats: Enter places it,
// Esc drops it, every command goes to the placement (which ignores all but
// its own), the menu bar, the toolbar and the tool windows are disabled, a
// resize of the main window is laid out once it ends, and the close box
// drops the section and asks the quit question.

#include <functional>

#include "core/image.h"

namespace tarnel {

class AppContext;

// Registers command 14 and returns the function that floats an image (Add
// text's bitmap); it returns false when nothing was floated.
std::function<bool(Image)> installFloatingPlacement(AppContext& context);

}  // namespace tarnel
