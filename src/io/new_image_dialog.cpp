#include "io/new_image_dialog.h"

namespace tarnel {

void installNewImageCommands(AppContext&) {}

}  // namespace tarnel
