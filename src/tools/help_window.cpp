#include "tools/help_window.h"

namespace tarnel {

void installHelpWindow(AppContext&) {}

}  // namespace tarnel
