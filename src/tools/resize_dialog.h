#pragma once
// The resize image (command 34) and resize canvas (31) dialogs in the
// running editor.
//
// Both open on the working image's size with "keep aspect ratio" checked
// (tools/size_fields.h ties the fields). Resize image resamples the whole
// image to the fields' size forced into 16..4096; resize canvas places the
// image by the anchor (the centre at each opening) on a 32-bit canvas of the
// fields' size in the background colour, which is kept between uses. OK
// records an undo state also when nothing changed; Cancel and the close box
// change nothing but a background colour chosen.

namespace tarnel {

class AppContext;

// Binds the commands to context.
void installResizeDialogs(AppContext& context);

}  // namespace tarnel
