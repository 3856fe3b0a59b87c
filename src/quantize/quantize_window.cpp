#include "quantize/quantize_window.h"

namespace tarnel {

void installQuantizeWindow(AppContext&) {}

}  // namespace tarnel
