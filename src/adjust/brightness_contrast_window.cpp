#include "adjust/brightness_contrast_window.h"

namespace tarnel {

void installBrightContrastWindow(AppContext&) {}

}  // namespace tarnel
