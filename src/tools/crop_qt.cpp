#include "tools/crop_qt.h"

namespace tarnel {

void installCropCommand(AppContext&) {}

}  // namespace tarnel
