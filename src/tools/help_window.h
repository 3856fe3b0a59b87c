#pragma once
// The help window in the running editor.

namespace tarnel {

class AppContext;

// Binds the commands, window events and view refresh to context.
void installHelpWindow(AppContext& context);

}  // namespace tarnel
