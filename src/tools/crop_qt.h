#pragma once
// Crop (command 5) in the running editor.

namespace tarnel {

class AppContext;

// Binds the commands, window events and view refresh to context.
void installCropCommand(AppContext& context);

}  // namespace tarnel
