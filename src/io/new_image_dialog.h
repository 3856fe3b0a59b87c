#pragma once
// New image, copy and paste new image in the running editor.

namespace tarnel {

class AppContext;

// Binds the commands, window events and view refresh to context.
void installNewImageCommands(AppContext& context);

}  // namespace tarnel
