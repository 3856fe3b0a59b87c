#pragma once
// Crop (command 5, Ctrl+X, the toolbar's "crop to selection") in the running
// editor; the command itself is cropCommand() (app/image_commands.h).

namespace tarnel {

class AppContext;

// Binds Crop to context.
void installCropCommand(AppContext& context);

}  // namespace tarnel
