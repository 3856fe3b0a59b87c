#include "palette/palette_window.h"

namespace tarnel {

void installPaletteWindow(AppContext&) {}

}  // namespace tarnel
