#include "adjust/histogram_window.h"

namespace tarnel {

void installHistogramWindow(AppContext&) {}

}  // namespace tarnel
