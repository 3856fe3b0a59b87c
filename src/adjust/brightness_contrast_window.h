#pragma once
// The brightness and contrast window in the running editor.

namespace tarnel {

class AppContext;

// Binds the commands, window events and view refresh to context.
void installBrightContrastWindow(AppContext& context);

}  // namespace tarnel
