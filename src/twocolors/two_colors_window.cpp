#include "twocolors/two_colors_window.h"

namespace tarnel {

void installTwoColorsWindow(AppContext&) {}

}  // namespace tarnel
