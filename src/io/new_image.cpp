#include "io/new_image.h"

#include "core/field_value.h"

namespace tarnel {

Image makeNewImage(NewImageSettings& settings) {
    settings.width = clampDialogSide(settings.width);
    settings.height = clampDialogSide(settings.height);
    return Image(settings.width, settings.height, 24, settings.back & kColorMask);
}

}  // namespace tarnel
