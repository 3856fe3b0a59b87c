// Step execution of the batch tool: every step gives exactly what calling the
// module function directly gives, --area confines the work the way a
// selection does, and steps that always work on the whole image ignore it.

#include <gtest/gtest.h>

#include <sstream>

#include "adjust/brightness_contrast.h"
#include "batch/batch.h"
#include "common/test_images.h"
#include "effects/gaussian_blur.h"
#include "effects/pixel_chain.h"
#include "quantize/color_count.h"
#include "quantize/neuquant.h"
#include "quantize/palette_methods.h"
#include "tools/canvas_size.h"
#include "tools/resize.h"
#include "transform/colors.h"
#include "transform/flip.h"
#include "transform/rotate.h"
#include "twocolors/two_colors.h"

namespace tarnel::batch {
namespace {

Step stepOf(const std::string& text) {
    std::string error;
    auto step = parseStep(text, error);
    EXPECT_TRUE(step) << text << ": " << error;
    return step.value_or(Step{});
}

Image applied(const Image& source, const std::string& text, const Rect& area, std::string* printed = nullptr) {
    Image image = source;
    std::ostringstream out;
    std::string error;
    EXPECT_TRUE(applyStep(image, stepOf(text), area, out, error)) << text << ": " << error;
    if (printed) *printed = out.str();
    return image;
}

Image photo() { return test::photoLikeImage(37, 23, 24, 7); }

// A rectangle strictly inside the 37 x 23 photo, with odd sides.
constexpr Rect kInner{5, 3, 25, 17};

TEST(BatchSteps, QuantizeMatchesRunMethod) {
    const Image source = photo();
    struct Case {
        const char* text;
        QuantizeMethod method;
        QuantizeOptions options;
    };
    const Case cases[] = {
        {"quantize=uniform", QuantizeMethod::Uniform, {3, false}},
        {"quantize=uniform,5,dither", QuantizeMethod::Uniform, {5, true}},
        {"quantize=popularity,dither", QuantizeMethod::Popularity, {32, true}},
        {"quantize=adaptive,12", QuantizeMethod::Adaptive, {12, false}},
        {"quantize=cga,dither", QuantizeMethod::Cga16, {32, true}},
        {"quantize=human", QuantizeMethod::Human256, {32, false}},
        {"quantize=ocean", QuantizeMethod::Ocean128, {32, false}},
    };
    for (const Case& c : cases) {
        for (const Rect& area : {source.rect(), kInner}) {
            Image expected = source;
            runMethod(expected, area, c.method, c.options);
            EXPECT_EQ(applied(source, c.text, area), expected) << c.text;
        }
    }
    for (const bool dither : {false, true}) {
        for (const Rect& area : {source.rect(), kInner}) {
            Image expected = source;
            neuquantQuantize(expected, area, dither);
            const Image result = applied(source, dither ? "quantize=neuquant,dither" : "quantize=neuquant", area);
            EXPECT_EQ(result, expected);
            EXPECT_NE(result, source);
        }
    }
}

TEST(BatchSteps, AreaStepsMatchTheModuleFunctions) {
    const Image source = photo();
    for (const Rect& area : {source.rect(), kInner}) {
        Image expected = source;
        rotate180(expected, area);
        EXPECT_EQ(applied(source, "rotate-180", area), expected);

        expected = source;
        flip(expected, area);
        EXPECT_EQ(applied(source, "flip", area), expected);

        expected = source;
        mirror(expected, area);
        EXPECT_EQ(applied(source, "mirror", area), expected);

        expected = source;
        negative(expected, area);
        EXPECT_EQ(applied(source, "negative", area), expected);

        expected = source;
        grayScale(expected, area);
        EXPECT_EQ(applied(source, "gray", area), expected);

        expected = source;
        BrightnessOptions options;
        options.limit = BrightnessLimit::Wrap;
        options.ratio = false;
        options.proportional = false;
        options.green = false;
        adjustBrightness(expected, area, -70, options);
        EXPECT_EQ(applied(source, "brightness=-70,wrap,equal,flat,rb", area), expected);

        expected = source;
        adjustBrightness(expected, area, 45, BrightnessOptions{});
        EXPECT_EQ(applied(source, "brightness=45", area), expected);

        expected = source;
        adjustContrast(expected, area, 60);
        EXPECT_EQ(applied(source, "contrast=60", area), expected);

        for (const TwoColorDither dither :
             {TwoColorDither::None, TwoColorDither::Ordered, TwoColorDither::SierraLite}) {
            TwoColorOptions two;
            two.threshold = 256 - 150;
            two.dither = dither;
            two.color1 = rgb(255, 0, 0);
            two.color2 = rgb(0, 0, 255);
            expected = source;
            convertTwoColors(expected, area, two);
            const char* mode = dither == TwoColorDither::None      ? "none"
                               : dither == TwoColorDither::Ordered ? "ordered"
                                                                   : "sierra";
            EXPECT_EQ(applied(source, std::string("two-colors=150,") + mode + ",FF0000,0000FF", area), expected)
                << mode;
        }
        expected = source;
        convertTwoColors(expected, area, TwoColorOptions{});
        EXPECT_EQ(applied(source, "two-colors", area), expected);
    }
}

TEST(BatchSteps, FiltersWorkOnTheAreaAsAnImageOfItsOwn) {
    const Image source = photo();
    // The whole image: the module function on it.
    Image expected = source;
    blurImage(expected, kMenuBlurRepeatCount);
    EXPECT_EQ(applied(source, "blur", source.rect()), expected);
    expected = source;
    applyEffect(expected, Effect::Scramble);
    EXPECT_EQ(applied(source, "effect=scramble", source.rect()), expected);

    // An area: the chains and the blur see only the area's own pixels, so the
    // result is the module function on a copy of the area, drawn back.
    for (const char* text : {"blur", "effect=x-factor", "effect=scratch"}) {
        Image part = source.copy(kInner);
        if (std::string(text) == "blur") blurImage(part, kMenuBlurRepeatCount);
        else applyEffect(part, stepOf(text).effect);
        expected = source;
        expected.paste(part, kInner.left, kInner.top);
        const Image result = applied(source, text, kInner);
        EXPECT_EQ(result, expected) << text;
        // Nothing outside the area changed.
        for (int y = 0; y < source.height(); ++y) {
            for (int x = 0; x < source.width(); ++x) {
                if (!kInner.contains(x, y)) {
                    ASSERT_EQ(result.pixel(x, y), source.pixel(x, y)) << text;
                }
            }
        }
    }

    // Scramble then unscramble on the same area restores the image.
    Image scrambled = applied(source, "effect=scramble", kInner);
    EXPECT_NE(scrambled, source);
    EXPECT_EQ(applied(scrambled, "effect=unscramble", kInner), source);
}

TEST(BatchSteps, WholeImageStepsIgnoreTheArea) {
    const Image source = photo();
    EXPECT_EQ(applied(source, "rotate-right", kInner), rotate90(source, RotateDirection::Clockwise));
    EXPECT_EQ(applied(source, "rotate-left", kInner), rotate90(source, RotateDirection::CounterClockwise));
    EXPECT_EQ(applied(source, "resize=100x40", kInner), smoothResize(source, 100, 40));
    // Sizes are forced into 16..4096 like the dialog does.
    EXPECT_EQ(applied(source, "resize=8x8", kInner), smoothResize(source, 16, 16));

    const Image canvas = applied(source, "canvas=50x30,9,FF8000", kInner);
    EXPECT_EQ(canvas, enlargeCanvas(source, 50, 30, 9, rgb(255, 128, 0)));
    EXPECT_EQ(canvas.depth(), 32);
    // A canvas smaller than the image keeps the image's size.
    const Image same = applied(source, "canvas=10x10", kInner);
    EXPECT_EQ(same.width(), source.width());
    EXPECT_EQ(same.height(), source.height());

    const Image cropped = applied(source, "crop=30,20,100,100", kInner);
    EXPECT_EQ(cropped, source.copy(Rect{30, 20, 36, 22}));
}

TEST(BatchSteps, CropAndAreasThatMissTheImageFail) {
    Image image = photo();
    const Image before = image;
    std::ostringstream out;
    std::string error;
    EXPECT_FALSE(applyStep(image, stepOf("crop=37,0,5,5"), image.rect(), out, error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(image, before);

    EXPECT_EQ(clippedArea(image, std::nullopt), image.rect());
    EXPECT_EQ(clippedArea(image, Rect{-5, -5, 9, 9}), (Rect{0, 0, 9, 9}));
    EXPECT_EQ(clippedArea(image, Rect{30, 10, 99, 99}), (Rect{30, 10, 36, 22}));
    EXPECT_TRUE(clippedArea(image, Rect{37, 0, 40, 5}).isEmpty());
    EXPECT_TRUE(clippedArea(image, Rect{-9, -9, -1, -1}).isEmpty());
}

TEST(BatchSteps, CountColorsPrintsTheCountOfTheArea) {
    const Image source = photo();
    std::string printed;
    const Image after = applied(source, "count-colors", source.rect(), &printed);
    EXPECT_EQ(after, source);
    EXPECT_EQ(printed, std::to_string(countColors(source)) + "\n");
    applied(source, "count-colors", kInner, &printed);
    EXPECT_EQ(printed, std::to_string(countColors(source, kInner)) + "\n");

    // Two colours: only the area's one colour is counted.
    Image twoTone(8, 8, 24, rgb(1, 2, 3));
    twoTone.setPixel(7, 7, rgb(9, 9, 9));
    applied(twoTone, "count-colors", Rect{0, 0, 3, 3}, &printed);
    EXPECT_EQ(printed, "1\n");
}

}  // namespace
}  // namespace tarnel::batch
