#pragma once
// Add text (Ctrl+T, command 18): a dialog for one or more lines of text, its
// font, size, style, colours and whether the background is transparent. On
// OK the text is rendered into a bitmap that exactly fits it
// (tools/text_bitmap.h), the bitmap goes on the clipboard and floats above
// the image to be placed like a pasted section. The settings are kept until
// the program ends.

#include <functional>

#include "core/image.h"

namespace tarnel {

class AppContext;

inline constexpr const char* kAddTextTitle = "Add text";

// floatSection floats the rendered bitmap (app/floating_placement_qt.h).
void installAddText(AppContext& context, std::function<bool(Image)> floatSection);

}  // namespace tarnel
