#pragma once
// The command table of the main window: every command id bound to its
// handler, and the main window's own event handler (window 0).

namespace tarnel {

class AppContext;

// Registers every command and the window-0 handler with context.dispatch().
void installCommands(AppContext& context);

// The handler name of commands whose tools are not built yet: they are
// bound to named functions that do nothing. A module that brings the real
// handler replaces its line in installCommands().
inline constexpr const char* kPendingHandlerName = "pending";

}  // namespace tarnel
