#pragma once
// The Quantize window in the running editor.

namespace tarnel {

class AppContext;

// Binds the window's commands, window events and view refresh to context.
void installQuantizeWindow(AppContext& context);

}  // namespace tarnel
