#include "batch/batch.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <chrono>
#include <new>
#include <ctime>
#include <cstdio>
#include <ostream>
#include <sstream>

#include "batch/steps.h"
#include "core/pixel_memory.h"
#include "quantize/quality.h"

namespace tarnel::batch {

namespace {

std::vector<std::string> splitComma(const std::string& text) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text.find(',', start);
        parts.push_back(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return parts;
}

std::string lowerCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// A whole decimal integer with an optional sign; nothing else accepted.
std::optional<int> parseInt(const std::string& text) {
    if (text.empty()) return std::nullopt;
    const char* first = text.data();
    const char* last = first + text.size();
    if (*first == '+') ++first;
    int value = 0;
    const auto [end, ec] = std::from_chars(first, last, value);
    if (ec != std::errc() || end != last || first == last) return std::nullopt;
    return value;
}

// RRGGBB, red first as the colour requester shows it; returns 0x00BBGGRR.
std::optional<Color> parseColor(const std::string& text) {
    std::string digits = text;
    if (!digits.empty() && digits[0] == '#') digits.erase(0, 1);
    if (digits.size() != 6) return std::nullopt;
    unsigned value = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + 6, value, 16);
    if (ec != std::errc() || end != digits.data() + 6) return std::nullopt;
    return rgb(static_cast<int>((value >> 16) & 0xFF), static_cast<int>((value >> 8) & 0xFF),
               static_cast<int>(value & 0xFF));
}

// "WxH" with positive integers.
bool parseSize(const std::string& text, int& width, int& height) {
    const std::size_t x = lowerCase(text).find('x');
    if (x == std::string::npos) return false;
    const auto w = parseInt(text.substr(0, x));
    const auto h = parseInt(text.substr(x + 1));
    if (!w || !h || *w <= 0 || *h <= 0) return false;
    width = *w;
    height = *h;
    return true;
}

// "X,Y,W,H" with a positive width and height; returns the inclusive rect.
std::optional<Rect> parseRect(const std::vector<std::string>& parts, std::size_t first) {
    if (parts.size() != first + 4) return std::nullopt;
    const auto x = parseInt(parts[first]);
    const auto y = parseInt(parts[first + 1]);
    const auto w = parseInt(parts[first + 2]);
    const auto h = parseInt(parts[first + 3]);
    if (!x || !y || !w || !h || *w <= 0 || *h <= 0) return std::nullopt;
    // Corners far outside any image are still well defined; keep the
    // arithmetic inside int.
    const long long right = static_cast<long long>(*x) + *w - 1;
    const long long bottom = static_cast<long long>(*y) + *h - 1;
    if (right > INT32_MAX || bottom > INT32_MAX) return std::nullopt;
    return Rect{*x, *y, static_cast<int>(right), static_cast<int>(bottom)};
}

int indexOf(const char* const* names, int count, const std::string& name) {
    for (int i = 0; i < count; ++i) {
        if (name == names[i]) return i;
    }
    return -1;
}

std::string joined(const char* const* names, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        if (i) text += ", ";
        text += names[i];
    }
    return text;
}

struct SimpleStep {
    const char* name;
    StepKind kind;
};

constexpr SimpleStep kSimpleSteps[] = {
    {"blur", StepKind::Blur},
    {"rotate-right", StepKind::RotateRight},
    {"rotate-left", StepKind::RotateLeft},
    {"rotate-180", StepKind::Rotate180},
    {"flip", StepKind::Flip},
    {"mirror", StepKind::Mirror},
    {"negative", StepKind::Negative},
    {"gray", StepKind::Gray},
    {"count-colors", StepKind::CountColors},
};

// Canvas anchor names, row by row from the top left (anchor 1..9).
constexpr const char* kAnchorNames[] = {
    "top-left", "top", "top-right", "left", "center", "right", "bottom-left", "bottom", "bottom-right",
};

// Rotating by 90 degrees, resizing, the canvas and cropping always work on
// the whole image, as in the editor.
bool usesArea(StepKind kind) {
    switch (kind) {
    case StepKind::RotateRight:
    case StepKind::RotateLeft:
    case StepKind::Resize:
    case StepKind::Canvas:
    case StepKind::Crop:
        return false;
    default:
        return true;
    }
}

// The io module's messages usually name the file already; say it once. A
// message that is a sentence about the file ("\"x\" is a folder") stands
// alone.
std::string describeFileError(const std::string& what, const std::string& path, const std::string& message) {
    const std::string quoted = "\"" + path + "\"";
    if (message.rfind(quoted + ":", 0) == 0) return what + " " + message;
    if (message.find(quoted) != std::string::npos) return message;
    return what + " \"" + path + "\": " + message;
}

bool fail(std::string& error, const std::string& message) {
    error = message;
    return false;
}

bool parseQuantize(Step& step, const std::vector<std::string>& parts, std::string& error) {
    const std::string name = lowerCase(parts[0]);
    const int index = indexOf(kQuantizeMethodNames, kQuantizeMethodCount, name);
    if (index < 0) {
        return fail(error, "unknown quantize method '" + parts[0] + "' (methods: " +
                               joined(kQuantizeMethodNames, kQuantizeMethodCount) + ")");
    }
    step.method = static_cast<QuantizeMethod>(index);
    const bool uniform = step.method == QuantizeMethod::Uniform;
    const bool hasLimit = kQuantizeMethodColors[static_cast<std::size_t>(index)] == 0;
    step.quantize.limit = uniform ? kUniformLevelsDefault : kPaletteLimitDefault;
    bool limitSeen = false;
    for (std::size_t i = 1; i < parts.size(); ++i) {
        const std::string option = lowerCase(parts[i]);
        if (option == "dither") {
            if (step.quantize.dither) return fail(error, "'dither' given twice in '" + step.text + "'");
            step.quantize.dither = true;
            continue;
        }
        const auto limit = parseInt(option);
        if (!limit) return fail(error, "bad quantize option '" + parts[i] + "' in '" + step.text + "'");
        if (!hasLimit) {
            return fail(error, "quantize method '" + name + "' has a fixed colour count and takes no limit");
        }
        if (limitSeen) return fail(error, "limit given twice in '" + step.text + "'");
        limitSeen = true;
        const int low = uniform ? kUniformMinLevels : kPaletteMinColors;
        const int high = uniform ? kUniformMaxLevels : kMethodMaxColors;
        if (*limit < low || *limit > high) {
            return fail(error, std::string(uniform ? "uniform levels" : "colour limit") + " must be " +
                                   std::to_string(low) + ".." + std::to_string(high) + ", got " + parts[i]);
        }
        step.quantize.limit = *limit;
    }
    return true;
}

bool parseBrightness(Step& step, const std::vector<std::string>& parts, std::string& error) {
    const auto value = parseInt(parts[0]);
    if (!value) return fail(error, "brightness needs a whole number, got '" + parts[0] + "'");
    if (*value < kBrightnessMin || *value > kBrightnessMax) {
        return fail(error, "brightness must be -128..128, got " + parts[0]);
    }
    step.value = *value;
    bool limitSeen = false, modeSeen = false, spreadSeen = false, channelsSeen = false;
    for (std::size_t i = 1; i < parts.size(); ++i) {
        const std::string option = lowerCase(parts[i]);
        bool* seen = nullptr;
        if (option == "hold" || option == "clamp" || option == "wrap") {
            seen = &limitSeen;
            step.brightness.limit = option == "hold"    ? BrightnessLimit::HoldRatio
                                    : option == "clamp" ? BrightnessLimit::Clamp
                                                        : BrightnessLimit::Wrap;
        } else if (option == "ratio" || option == "equal") {
            seen = &modeSeen;
            step.brightness.ratio = option == "ratio";
        } else if (option == "proportional" || option == "flat") {
            seen = &spreadSeen;
            step.brightness.proportional = option == "proportional";
        } else if (!option.empty() && option.find_first_not_of("rgb") == std::string::npos) {
            seen = &channelsSeen;
            step.brightness.red = option.find('r') != std::string::npos;
            step.brightness.green = option.find('g') != std::string::npos;
            step.brightness.blue = option.find('b') != std::string::npos;
        } else {
            return fail(error, "bad brightness option '" + parts[i] +
                                   "' (hold|clamp|wrap, ratio|equal, proportional|flat, channels such as rgb or rb)");
        }
        if (*seen) return fail(error, "conflicting brightness options in '" + step.text + "'");
        *seen = true;
    }
    return true;
}

bool parseTwoColors(Step& step, const std::vector<std::string>& parts, std::string& error) {
    if (!parts[0].empty()) {
        const auto slider = parseInt(parts[0]);
        if (!slider || *slider < 0 || *slider > kTwoColorSliderMax) {
            return fail(error, "two-colors threshold must be 0..256, got '" + parts[0] + "'");
        }
        step.slider = *slider;
        step.twoColors.threshold = twoColorThreshold(*slider);
    }
    std::size_t i = 1;
    if (i < parts.size() && parseColor(parts[i]) == std::nullopt) {
        const std::string mode = lowerCase(parts[i]);
        if (mode == "none") step.twoColors.dither = TwoColorDither::None;
        else if (mode == "ordered") step.twoColors.dither = TwoColorDither::Ordered;
        else if (mode == "sierra") step.twoColors.dither = TwoColorDither::SierraLite;
        else return fail(error, "bad two-colors dither '" + parts[i] + "' (none, ordered or sierra)");
        ++i;
    }
    if (i == parts.size()) return true;
    if (parts.size() - i != 2) return fail(error, "two-colors takes two colours RRGGBB,RRGGBB or none");
    const auto c1 = parseColor(parts[i]);
    const auto c2 = parseColor(parts[i + 1]);
    if (!c1 || !c2) return fail(error, "bad colour in '" + step.text + "' (RRGGBB expected)");
    step.twoColors.color1 = *c1;
    step.twoColors.color2 = *c2;
    return true;
}

bool parseCanvas(Step& step, const std::vector<std::string>& parts, std::string& error) {
    if (!parseSize(parts[0], step.width, step.height)) {
        return fail(error, "canvas needs a size WxH, got '" + parts[0] + "'");
    }
    bool anchorSeen = false, colorSeen = false;
    for (std::size_t i = 1; i < parts.size(); ++i) {
        const std::string option = lowerCase(parts[i]);
        const auto number = parseInt(option);
        const int named = indexOf(kAnchorNames, 9, option);
        if ((number && option.size() == 1) || named >= 0) {
            const int anchor = named >= 0 ? named + 1 : *number;
            if (anchor < 1 || anchor > 9) return fail(error, "canvas anchor must be 1..9, got " + parts[i]);
            if (anchorSeen) return fail(error, "anchor given twice in '" + step.text + "'");
            anchorSeen = true;
            step.anchor = anchor;
        } else if (const auto color = parseColor(parts[i])) {
            if (colorSeen) return fail(error, "colour given twice in '" + step.text + "'");
            colorSeen = true;
            step.background = *color;
        } else {
            return fail(error, "bad canvas option '" + parts[i] + "' (anchor 1..9 or a name such as top-left, colour RRGGBB)");
        }
    }
    return true;
}

}  // namespace

std::string effectName(Effect effect) {
    std::string name = lowerCase(std::string(effectMenuText(effect)));
    std::replace(name.begin(), name.end(), ' ', '-');
    return name;
}

std::optional<Step> parseStep(const std::string& text, std::string& error) {
    Step step;
    step.text = text;
    const std::size_t equals = text.find('=');
    const std::string name = lowerCase(text.substr(0, equals));
    const bool hasValue = equals != std::string::npos;
    const std::vector<std::string> parts = hasValue ? splitComma(text.substr(equals + 1)) : std::vector<std::string>{};

    for (const SimpleStep& simple : kSimpleSteps) {
        if (name == simple.name) {
            if (hasValue) {
                error = "step '" + name + "' takes no value";
                return std::nullopt;
            }
            step.kind = simple.kind;
            return step;
        }
    }

    auto needsValue = [&](const char* form) {
        if (hasValue && !(parts.size() == 1 && parts[0].empty())) return true;
        error = "step '" + name + "' needs a value: " + form;
        return false;
    };

    bool ok = false;
    if (name == "quantize") {
        step.kind = StepKind::Quantize;
        ok = needsValue("quantize=METHOD[,LIMIT][,dither]") && parseQuantize(step, parts, error);
    } else if (name == "effect") {
        step.kind = StepKind::Effect;
        if (needsValue("effect=NAME")) {
            std::string known;
            for (const Effect effect : kAllEffects) {
                known += (known.empty() ? "" : ", ") + effectName(effect);
                if (parts.size() == 1 && lowerCase(parts[0]) == effectName(effect)) {
                    step.effect = effect;
                    ok = true;
                }
            }
            if (!ok) error = "unknown effect '" + text.substr(equals + 1) + "' (effects: " + known + ")";
        }
    } else if (name == "brightness") {
        step.kind = StepKind::Brightness;
        ok = needsValue("brightness=VALUE[,hold|clamp|wrap][,ratio|equal][,proportional|flat][,CHANNELS]") &&
             parseBrightness(step, parts, error);
    } else if (name == "contrast") {
        step.kind = StepKind::Contrast;
        if (needsValue("contrast=VALUE")) {
            const auto value = parts.size() == 1 ? parseInt(parts[0]) : std::nullopt;
            if (!value) error = "contrast needs a whole number, got '" + text.substr(equals + 1) + "'";
            else if (*value < kContrastMin || *value > kContrastMax) error = "contrast must be -100..100, got " + parts[0];
            else {
                step.value = *value;
                ok = true;
            }
        }
    } else if (name == "two-colors") {
        step.kind = StepKind::TwoColors;
        ok = hasValue ? parseTwoColors(step, parts, error) : true;
    } else if (name == "resize") {
        step.kind = StepKind::Resize;
        if (needsValue("resize=WxH")) {
            ok = parts.size() == 1 && parseSize(parts[0], step.width, step.height);
            if (!ok) error = "resize needs a size WxH with positive numbers, got '" + text.substr(equals + 1) + "'";
            // The resize dialog forces its fields into 16..4096.
            step.width = std::clamp(step.width, kResizeMin, kResizeMax);
            step.height = std::clamp(step.height, kResizeMin, kResizeMax);
        }
    } else if (name == "canvas") {
        step.kind = StepKind::Canvas;
        ok = needsValue("canvas=WxH[,ANCHOR][,RRGGBB]") && parseCanvas(step, parts, error);
    } else if (name == "crop") {
        step.kind = StepKind::Crop;
        if (needsValue("crop=X,Y,W,H")) {
            const auto rect = parseRect(parts, 0);
            ok = rect.has_value();
            if (ok) step.rect = *rect;
            else error = "crop needs X,Y,W,H with a positive width and height, got '" + text.substr(equals + 1) + "'";
        }
    } else {
        error = "unknown step '" + text + "' (see --help)";
    }
    if (!ok) return std::nullopt;
    return step;
}

std::optional<OutputFormat> outputFormatFor(const std::string& path) {
    const std::size_t dot = path.find_last_of('.');
    const std::size_t slash = path.find_last_of("/\\");
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return std::nullopt;
    const std::string ext = lowerCase(path.substr(dot + 1));
    if (ext == "png") return OutputFormat::Png;
    if (ext == "jpg" || ext == "jpeg") return OutputFormat::Jpeg;
    if (ext == "jp2") return OutputFormat::Jpeg2000;
    if (ext == "bmp") return OutputFormat::Bmp;
    return std::nullopt;
}

namespace {

// An option given as "--name VALUE" or "--name=VALUE": returns 0 when arg is
// not the option, 1 with value set, -1 with error set when the value is missing.
int optionValue(const std::vector<std::string>& args, std::size_t& i, const std::string& name, std::string& value,
                std::string& error) {
    const std::string& arg = args[i];
    if (arg.rfind(name + "=", 0) == 0) {
        value = arg.substr(name.size() + 1);
        return 1;
    }
    if (arg != name) return 0;
    if (i + 1 == args.size()) {
        error = name + " needs a value";
        return -1;
    }
    value = args[++i];
    return 1;
}

bool parseArea(const std::string& value, std::optional<Rect>& area, std::string& error) {
    if (area) return fail(error, "--area given twice");
    area = parseRect(splitComma(value), 0);
    if (!area) return fail(error, "--area needs X,Y,W,H with a positive width and height, got '" + value + "'");
    return true;
}

ParseResult parseCompare(const std::vector<std::string>& args) {
    ParseResult result;
    CompareJob job;
    std::vector<std::string> positional;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        std::string value;
        int got = 0;
        if (arg == "--help" || arg == "-h") {
            result.help = true;
            return result;
        }
        if (arg == "--dither") {
            job.dither = true;
        } else if ((got = optionValue(args, i, "--colors", value, result.error)) != 0) {
            if (got < 0) return result;
            const auto colors = parseInt(value);
            if (!colors || *colors < kPaletteMinColors || *colors > kMethodMaxColors) {
                result.error = "--colors must be " + std::to_string(kPaletteMinColors) + ".." +
                               std::to_string(kMethodMaxColors) + ", got '" + value + "'";
                return result;
            }
            job.colors = *colors;
        } else if ((got = optionValue(args, i, "--area", value, result.error)) != 0) {
            if (got < 0 || !parseArea(value, job.area, result.error)) return result;
        } else if ((got = optionValue(args, i, "--sheet", value, result.error)) != 0) {
            if (got < 0) return result;
            if (outputFormatFor(value) != OutputFormat::Png) {
                result.error = "--sheet needs a .png file, got '" + value + "'";
                return result;
            }
            job.sheet = value;
        } else if (arg.size() > 1 && arg[0] == '-' && arg[1] == '-') {
            result.error = "unknown compare option '" + arg + "' (see --help)";
            return result;
        } else {
            positional.push_back(arg);
        }
    }
    if (positional.size() != 1) {
        result.error = "compare needs exactly one INPUT (usage: tarnel-batch compare INPUT [--colors N] [--dither] "
                       "[--area X,Y,W,H] [--sheet SHEET.png])";
        return result;
    }
    job.input = positional[0];
    result.compare = std::move(job);
    return result;
}

}  // namespace

ParseResult parseArguments(const std::vector<std::string>& args) {
    if (!args.empty() && args[0] == "compare") return parseCompare(args);
    ParseResult result;
    Job job;
    std::vector<std::string> positional;
    bool pngSeen = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        std::string value;
        int got = 0;
        if (arg == "--help" || arg == "-h") {
            result.help = true;
            return result;
        }
        if (arg == "--version" || arg == "-v") {
            result.version = true;
            return result;
        }
        if (arg == "--time") {
            job.time = true;
        } else if (arg == "--report" || arg == "--report=text" || arg == "--report=json") {
            job.report = arg == "--report=json" ? ReportFormat::Json : ReportFormat::Text;
        } else if (arg.rfind("--png=", 0) == 0) {
            const std::string mode = lowerCase(arg.substr(6));
            if (mode != "auto" && mode != "rgb" && mode != "indexed") {
                result.error = "--png must be auto, rgb or indexed, got '" + arg.substr(6) + "'";
                return result;
            }
            job.png = mode == "rgb" ? PngMode::Rgb : mode == "indexed" ? PngMode::Indexed : PngMode::Auto;
            pngSeen = true;
        } else if ((got = optionValue(args, i, "--area", value, result.error)) != 0) {
            if (got < 0 || !parseArea(value, job.area, result.error)) return result;
        } else if (arg.size() > 1 && arg[0] == '-' && arg[1] == '-') {
            result.error = "unknown option '" + arg + "' (see --help)";
            return result;
        } else {
            positional.push_back(arg);
        }
    }
    if (positional.size() < 2) {
        result.error = "missing INPUT and OUTPUT (usage: tarnel-batch INPUT OUTPUT [--area X,Y,W,H] [--time] STEP...)";
        return result;
    }
    job.input = positional[0];
    job.output = positional[1];
    if (!outputFormatFor(job.output)) {
        result.error = "cannot tell the output format of '" + job.output + "' (use .png, .jpg, .jpeg, .jp2 or .bmp)";
        return result;
    }
    if (pngSeen && outputFormatFor(job.output) != OutputFormat::Png) {
        result.error = "--png applies only to a .png OUTPUT";
        return result;
    }
    for (std::size_t i = 2; i < positional.size(); ++i) {
        auto step = parseStep(positional[i], result.error);
        if (!step) return result;
        job.steps.push_back(std::move(*step));
    }
    result.job = std::move(job);
    return result;
}

bool changesColors(StepKind kind) {
    switch (kind) {
    case StepKind::Quantize:
    case StepKind::Blur:
    case StepKind::Effect:
    case StepKind::Negative:
    case StepKind::Gray:
    case StepKind::Brightness:
    case StepKind::Contrast:
    case StepKind::TwoColors:
        return true;
    default:
        return false;
    }
}

Rect clippedArea(const Image& image, const std::optional<Rect>& area) {
    if (!area) return image.rect();
    return intersected(*area, image.rect());
}

bool applyStep(Image& image, const Step& step, const Rect& area, std::ostream& out, std::string& error) {
    try {
        return runStep(image, step, area, out, error);
    } catch (const std::bad_alloc&) {
        error = "not enough memory";
        return false;
    }
}

int runJob(const Job& job, std::ostream& out, std::ostream& err) {
    // Elapsed time and the process's processor time (std::clock), which a
    // busy machine disturbs far less.
    using Clock = std::chrono::steady_clock;
    auto start = Clock::now();
    std::clock_t cpuStart = std::clock();
    auto timeLine = [&](const std::string& what) {
        const double elapsed = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        const double cpu = 1000.0 * static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%.3f ms, cpu %.3f ms", elapsed, cpu);
        err << "time " << what << ": " << buffer << "\n";
    };

    std::string error;
    std::string damage;
    Image image = decodeFile(job.input, error, damage);
    if (image.isNull()) {
        err << "tarnel-batch: " << describeFileError("cannot read", job.input, error) << "\n";
        return kExitFailure;
    }
    if (!damage.empty())
        err << "tarnel-batch: warning: \"" << job.input << "\" is damaged, the parts that could not be read are "
            << "filled in: " << damage << "\n";
    if (job.time) timeLine("decode");

    if (job.area && clippedArea(image, job.area).isEmpty()) {
        err << "tarnel-batch: --area lies outside the " << image.width() << " x " << image.height() << " image\n";
        return kExitFailure;
    }
    for (const Step& step : job.steps) {
        // The area is clipped again at every step: rotations, resizing and
        // cropping change the image's size.
        const Rect area = clippedArea(image, job.area);
        const bool areaMissed = area.isEmpty() && usesArea(step.kind);
        const bool report = job.report != ReportFormat::None && changesColors(step.kind) && !areaMissed;
        const Image before = report ? image : Image();
        start = Clock::now();
        cpuStart = std::clock();
        if (areaMissed || !applyStep(image, step, area, out, error)) {
            if (areaMissed) error = "--area lies outside the " + std::to_string(image.width()) + " x " +
                                    std::to_string(image.height()) + " image";
            err << "tarnel-batch: step '" << step.text << "' failed: " << error << "\n";
            return kExitFailure;
        }
        if (job.time) timeLine(step.text);
        if (report) {
            const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
            out << reportLine(step.text, measureQuality(before, image), ms, job.report) << "\n";
        }
    }

    // Buffers the steps freed wait in the pixel pool for the next image of
    // their size; no step follows, so they go back to the system before the
    // encoder needs memory of its own.
    releasePixelPool();
    start = Clock::now();
    cpuStart = std::clock();
    if (!encodeFile(image, job.output, *outputFormatFor(job.output), job.png, error)) {
        err << "tarnel-batch: " << describeFileError("cannot write", job.output, error) << "\n";
        return kExitFailure;
    }
    if (job.time) timeLine("encode");
    return kExitOk;
}

}  // namespace tarnel::batch
