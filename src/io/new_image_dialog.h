#pragma once
// New image (command 17), copy (13) and paste new image (15) in the running
// editor: the New image dialog, the clipboard commands and the short-lived
// "copied to clipboard." notice.
//
// The New image dialog (title "New image") edits settings that live until
// the program ends: each change of a field stores its value at once, so a
// cancelled dialog keeps what was typed; OK forces the sides into 16..4096.
// The notice closes itself after 1250 ms on a timer; it takes neither the
// focus nor any input, so the editor works on while it shows.

namespace tarnel {

class AppContext;

// Binds the commands to context.
void installNewImageCommands(AppContext& context);

}  // namespace tarnel
