#include "batch/steps.h"

#include <ostream>

#include "quantize/color_count.h"

namespace tarnel::batch {

namespace {

bool notBuilt(std::string& error, const char* what) {
    error = std::string(what) + " is not available in this build";
    return false;
}

}  // namespace

Image decodeFile(const std::string& path, std::string& error) {
    error = "no decoder in this build";
    return {};
}

bool encodeFile(const Image& image, const std::string& path, OutputFormat format, std::string& error) {
    return notBuilt(error, "writing files");
}

bool runStep(Image& image, const Step& step, const Rect& area, std::ostream& out, std::string& error) {
    switch (step.kind) {
    case StepKind::CountColors:
        out << countColors(image, area) << "\n";
        return true;
    case StepKind::Crop: {
        const Rect kept = intersected(step.rect, image.rect());
        if (kept.isEmpty()) {
            error = "the rectangle lies outside the " + std::to_string(image.width()) + " x " +
                    std::to_string(image.height()) + " image";
            return false;
        }
        image = image.copy(kept);
        return true;
    }
    default:
        return notBuilt(error, step.text.c_str());
    }
}

}  // namespace tarnel::batch
