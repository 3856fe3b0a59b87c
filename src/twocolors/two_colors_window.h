#pragma once
// The Two Colors window in the running editor.

namespace tarnel {

class AppContext;

// Binds the commands, window events and view refresh to context.
void installTwoColorsWindow(AppContext& context);

}  // namespace tarnel
