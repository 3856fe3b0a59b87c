#pragma once
// Images as the clipboard carries them. The platform reads whatever image
// the clipboard holds, within the decoders' pixel budget (io/codec.h), at
// the depth it was stored with; the reader then asks for the depth it works
// in here.

#include "core/image.h"

namespace tarnel {

// The image at depth 24 or 32 (any other depth counts as 24):
// - 24: the colour bits, top byte 0.
// - 32: alpha as stored. Bitmaps written without alpha arrive with every
//   alpha 0, so an image whose alphas are all 0 becomes opaque, as does a
//   24-bit image; any single non-zero alpha keeps them all as they are.
// A null image stays null.
Image clipboardImageAtDepth(Image image, int depth);

}  // namespace tarnel
