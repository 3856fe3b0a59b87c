#pragma once
// The command table of the main window: every command id bound to its
// handler, and the main window's own event handler (window 0).

namespace tarnel {

class AppContext;

// Registers every command and the window-0 handler with context.dispatch().
void installCommands(AppContext& context);

// Commands whose tools are not built yet get no handler: their menu items,
// toolbar buttons and keys are disabled (see MainWindow::build()).

}  // namespace tarnel
