#include "tools/crop_qt.h"

#include "app/app_context_qt.h"
#include "app/command_ids.h"
#include "app/image_commands.h"

namespace tarnel {

void installCropCommand(AppContext& context) {
    context.dispatch().set(kCmdCrop, [&context](int) { cropCommand(context.editor()); }, "crop");
}

}  // namespace tarnel
