#pragma once
// The resize image and resize canvas dialogs in the running editor.

namespace tarnel {

class AppContext;

// Binds the commands, window events and view refresh to context.
void installResizeDialogs(AppContext& context);

}  // namespace tarnel
