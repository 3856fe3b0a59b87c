#pragma once
// The Palette window in the running editor.

namespace tarnel {

class AppContext;

// Binds the window's commands, window events and view refresh to context.
void installPaletteWindow(AppContext& context);

}  // namespace tarnel
