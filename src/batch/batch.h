#pragma once
// The command-line batch tool: the editor's image operations applied to a
// file without the window.
//
//   tarnel-batch INPUT OUTPUT [--area X,Y,W,H] [--time] [--report[=json]] [--png=MODE] STEP...
//   tarnel-batch compare INPUT [--colors N] [--dither] [--area X,Y,W,H] [--sheet SHEET.png]
//
// Parsing turns the arguments into a Job (checked against the same limits
// the editor's windows and dialogs enforce) without touching any file;
// runJob then decodes INPUT, applies the steps in order and writes OUTPUT
// atomically, so nothing is written when any part fails. applyStep is the
// single-step core shared by runJob and the tests.

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "adjust/brightness_contrast.h"
#include "core/image.h"
#include "effects/pixel_chain.h"
#include "quantize/palette_methods.h"
#include "twocolors/two_colors.h"

namespace tarnel::batch {

// Method names, indexed by the quantize method number (the order of the
// quantize window's method list).
inline constexpr const char* kQuantizeMethodNames[kQuantizeMethodCount] = {
    "uniform", "popularity", "adaptive", "cga", "ega", "trucolor", "human", "neuquant",
    "flat8", "flat64", "flat512", "flat4096", "lemon", "berry", "ocean",
};

// Initial values of the quantize window's limit field.
inline constexpr int kUniformLevelsDefault = 3;
inline constexpr int kPaletteLimitDefault = 32;

// An effect's name on the command line: its Effects menu text, lower-case,
// spaces as hyphens ("Edge detect" is edge-detect).
std::string effectName(Effect effect);

// Resize image: the dialog forces both sides into this range.
inline constexpr int kResizeMin = 16;
inline constexpr int kResizeMax = 4096;

enum class StepKind {
    Quantize,
    Blur,
    Effect,
    RotateRight,
    RotateLeft,
    Rotate180,
    Flip,
    Mirror,
    Negative,
    Gray,
    Brightness,
    Contrast,
    TwoColors,
    Resize,
    Canvas,
    Crop,
    CountColors,
};


// One parsed step. Only the fields of its kind are meaningful; the others
// keep their defaults, which are the defaults of the editor's windows.
struct Step {
    StepKind kind = StepKind::Blur;
    std::string text;  // the argument as given, for messages and timings

    // quantize
    QuantizeMethod method = QuantizeMethod::Uniform;
    QuantizeOptions quantize{kUniformLevelsDefault, false};

    Effect effect = Effect::EdgeDetect;

    // brightness and contrast amount
    int value = 0;
    BrightnessOptions brightness;

    // two-colors
    // two-colors: the window's slider value (0..256) as given, and the
    // conversion options derived from it
    int slider = kTwoColorDefaultSlider;
    TwoColorOptions twoColors;

    // resize, canvas (width, height); crop (rect)
    int width = 0;
    int height = 0;
    int anchor = 5;            // canvas: 1..9, row by row from the top left
    Color background = 0x000000;  // canvas border colour
    Rect rect;                 // crop: the requested rectangle, not yet clipped
};

// How a .png output is written: Auto as a palette PNG when the image has at
// most 256 colours and as RGB/RGBA otherwise; Rgb always RGB/RGBA; Indexed
// always a palette PNG, refusing an image of more colours.
enum class PngMode { Auto, Rgb, Indexed };

// --report: a line (Text) or a JSON object (Json) per colour-changing step.
enum class ReportFormat { None, Text, Json };

struct Job {
    std::string input;
    std::string output;
    std::optional<Rect> area;  // --area as given (clipped to the image per step)
    bool time = false;
    PngMode png = PngMode::Auto;
    ReportFormat report = ReportFormat::None;
    std::vector<Step> steps;
};

// The method shoot-out (batch/compare.h).
inline constexpr int kCompareColorsDefault = 256;
struct CompareJob {
    std::string input;
    int colors = kCompareColorsDefault;
    bool dither = false;
    std::optional<Rect> area;  // the part of each result the sheet shows
    std::string sheet;         // contact sheet path, empty for none
};

struct ParseResult {
    bool help = false;     // --help was given: print usage and stop
    bool version = false;  // --version was given: print the version and stop
    std::optional<Job> job;
    std::optional<CompareJob> compare;
    std::string error;  // one line, set when job and compare are empty and neither flag is set
};

// Parses the arguments after the program name.
ParseResult parseArguments(const std::vector<std::string>& args);

// Parses one STEP argument; on failure returns nothing and sets error.
std::optional<Step> parseStep(const std::string& text, std::string& error);

// Output formats chosen by the output file's extension.
enum class OutputFormat { Png, Jpeg, Jpeg2000, Bmp };

// Whether the step can change colours (and so gets a --report line): the
// geometric steps and count-colors only move or keep pixels. Resizing mixes
// colours but changes the size, which leaves nothing to compare against.
bool changesColors(StepKind kind);
std::optional<OutputFormat> outputFormatFor(const std::string& path);

// The --area rectangle clipped to the image; empty when it does not meet it.
Rect clippedArea(const Image& image, const std::optional<Rect>& area);

// Applies one step to image. area is the rectangle of work in image
// coordinates (already clipped; steps that always work on the whole image
// ignore it). Lines meant for the user (the colour count) go to out.
// Returns false with error set when the step cannot run (for example a
// crop rectangle that misses the image); image is then unchanged.
bool applyStep(Image& image, const Step& step, const Rect& area, std::ostream& out, std::string& error);

// Runs a whole job: decode, steps, atomic encode. Messages go to out, the
// one-line error to err. Returns the process exit code.
int runJob(const Job& job, std::ostream& out, std::ostream& err);

// Runs the shoot-out: prints the table to out, writes the sheet if asked.
int runCompare(const CompareJob& job, std::ostream& out, std::ostream& err);

// The text printed by --help.
std::string usageText();

// Exit codes.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;  // input, output or a step failed
inline constexpr int kExitUsage = 2;    // bad arguments

}  // namespace tarnel::batch
