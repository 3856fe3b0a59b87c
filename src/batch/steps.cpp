#include "batch/steps.h"

#include <cmath>
#include <cstdio>
#include <optional>
#include <ostream>

#include "adjust/brightness_contrast.h"
#include "effects/gaussian_blur.h"
#include "effects/pixel_chain.h"
#include "io/file_requests.h"
#include "io/image_file.h"
#include "io/png_indexed.h"
#include "quantize/color_count.h"
#include "quantize/palette_methods.h"
#include "tools/canvas_size.h"
#include "tools/resize.h"
#include "transform/colors.h"
#include "transform/flip.h"
#include "transform/rotate.h"
#include "twocolors/two_colors.h"

namespace tarnel::batch {

namespace {

// Runs a whole-image operation on the area only, as the editor does with a
// selection: the area is copied out, processed on its own (its own width and
// height) and drawn back at its place.
template <typename Operation>
void onArea(Image& image, const Rect& area, Operation operation) {
    if (area == image.rect()) {
        operation(image);
        return;
    }
    Image part = image.copy(area);
    operation(part);
    image.paste(part, area.left, area.top);
}

}  // namespace

Image decodeFile(const std::string& path, std::string& error, std::string& damage) {
    LoadResult loaded = loadImageFile(path);
    if (!loaded.ok()) {
        error = loaded.message.empty() ? decodeErrorName(loaded.error) : loaded.message;
        return {};
    }
    damage = loaded.damage;
    return std::move(loaded.image);
}

bool encodeFile(const Image& image, const std::string& path, OutputFormat format, PngMode png, std::string& error) {
    if (format == OutputFormat::Png && png != PngMode::Rgb) {
        // The palette is found once: it decides the form and is written.
        const std::optional<IndexedPixels> pixels = indexPixels(image);
        if (pixels) {
            error = writeFileReplacing(
                path, [&](ByteSink& out) { return encodeIndexedPng(*pixels, image.width(), image.height(), out); });
            if (!error.empty()) error = "cannot save \"" + path + "\": " + error;
            return error.empty();
        }
        if (png == PngMode::Indexed) {
            error = kTooManyColorsForPalette;
            return false;
        }
    }
    // The save requester's filter for the format gives the editor's encoder
    // settings (JPEG quality 80, JPEG 2000 rate 20).
    int filterIndex = 0;
    switch (format) {
    case OutputFormat::Png: filterIndex = 0; break;
    case OutputFormat::Jpeg: filterIndex = 1; break;
    case OutputFormat::Jpeg2000: filterIndex = 3; break;
    case OutputFormat::Bmp: filterIndex = 4; break;
    }
    const SaveFilter filter = saveFilter(filterIndex);
    const SaveResult saved = saveImageFile(path, image, filter.format, filter.qualitySetting);
    if (!saved.ok) error = saved.message;
    return saved.ok;
}

namespace {

std::string jsonString(const std::string& text) {
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') quoted += '\\';
        if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            quoted += escaped;
            continue;
        }
        quoted += c;
    }
    return quoted + "\"";
}

}  // namespace

std::string reportLine(const std::string& step, const QualityReport& quality, double ms, ReportFormat format) {
    char buffer[256];
    const bool same = std::isinf(quality.psnr);
    char psnr[32];
    if (format == ReportFormat::Json) {
        if (same) std::snprintf(psnr, sizeof psnr, "null");
        else std::snprintf(psnr, sizeof psnr, "%.3f", quality.psnr);
        std::snprintf(buffer, sizeof buffer,
                      "\"colors\":%d,\"psnr_db\":%s,\"mean_delta_e76\":%.3f,\"max_delta_e76\":%.3f,"
                      "\"time_ms\":%.3f}",
                      quality.colors, psnr, quality.meanDeltaE, quality.maxDeltaE, ms);
        return "{\"step\":" + jsonString(step) + "," + buffer;
    }
    if (same) std::snprintf(psnr, sizeof psnr, "infinite");
    else std::snprintf(psnr, sizeof psnr, "%.2f dB", quality.psnr);
    std::snprintf(buffer, sizeof buffer, "%d colours, PSNR %s, mean dE76 %.2f, max dE76 %.2f, %.1f ms", quality.colors,
                  psnr, quality.meanDeltaE, quality.maxDeltaE, ms);
    return "report " + step + ": " + buffer;
}

bool runStep(Image& image, const Step& step, const Rect& area, std::ostream& out, std::string& error) {
    switch (step.kind) {
    case StepKind::Quantize:
        runMethod(image, area, step.method, step.quantize);
        return true;
    case StepKind::Blur:
        onArea(image, area, [](Image& part) { blurImage(part, kMenuBlurRepeatCount); });
        return true;
    case StepKind::Effect:
        onArea(image, area, [&](Image& part) { applyEffect(part, step.effect); });
        return true;
    case StepKind::RotateRight:
        image = rotate90(image, RotateDirection::Clockwise);
        return true;
    case StepKind::RotateLeft:
        image = rotate90(image, RotateDirection::CounterClockwise);
        return true;
    case StepKind::Rotate180:
        rotate180(image, area);
        return true;
    case StepKind::Flip:
        flip(image, area);
        return true;
    case StepKind::Mirror:
        mirror(image, area);
        return true;
    case StepKind::Negative:
        negative(image, area);
        return true;
    case StepKind::Gray:
        grayScale(image, area);
        return true;
    case StepKind::Brightness:
        adjustBrightness(image, area, step.value, step.brightness);
        return true;
    case StepKind::Contrast:
        adjustContrast(image, area, step.value);
        return true;
    case StepKind::TwoColors:
        convertTwoColors(image, area, step.twoColors);
        return true;
    case StepKind::Resize:
        // Like the dialog: the same size leaves the pixels as they are.
        if (step.width != image.width() || step.height != image.height()) {
            image = smoothResize(image, step.width, step.height);
        }
        return true;
    case StepKind::Canvas: {
        const CanvasSize size = canvasSizeFor(image.width(), image.height(), step.width, step.height);
        image = enlargeCanvas(image, size.width, size.height, step.anchor, step.background);
        return true;
    }
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
    }
    error = "unknown step";
    return false;
}

}  // namespace tarnel::batch
