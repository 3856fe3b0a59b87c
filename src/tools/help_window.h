#pragma once
// The help window (window 7): Help (command 28, F1) shows the built-in help
// text in a resizable top-level window of its own, titled "Tarnel Help".
//
// The window is not owned by the main window (it has its own place on the
// task bar and may lie behind it). Only one exists: Help while it is open
// restores it from minimised or maximised and brings it to the front. Its
// size (half the desktop) and font are fixed on the first Help after
// start-up; closing it deletes it, and the next Help opens it anew, centred.
// It goes with the editor when the program ends.

namespace tarnel {

class AppContext;

inline constexpr const char* kHelpWindowTitle = "Tarnel Help";

// Binds Help to context.
void installHelpWindow(AppContext& context);

}  // namespace tarnel
