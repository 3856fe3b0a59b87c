#include "tools/resize_dialog.h"

namespace tarnel {

void installResizeDialogs(AppContext&) {}

}  // namespace tarnel
