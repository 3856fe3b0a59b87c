// Argument parsing of the batch tool: forms, defaults and limits.

#include <gtest/gtest.h>

#include "batch/batch.h"

namespace tarnel::batch {
namespace {

Step parsed(const std::string& text) {
    std::string error;
    const auto step = parseStep(text, error);
    EXPECT_TRUE(step.has_value()) << text << ": " << error;
    return step.value_or(Step{});
}

std::string rejected(const std::string& text) {
    std::string error;
    const auto step = parseStep(text, error);
    EXPECT_FALSE(step.has_value()) << text << " was accepted";
    EXPECT_FALSE(error.empty()) << text;
    EXPECT_EQ(error.find('\n'), std::string::npos) << "error must be one line: " << error;
    return error;
}

TEST(BatchParse, QuantizeMethodsMapToTheMethodList) {
    const char* names[] = {"uniform", "popularity", "adaptive", "cga", "ega", "trucolor", "human", "neuquant",
                           "flat8", "flat64", "flat512", "flat4096", "lemon", "berry", "ocean"};
    for (int i = 0; i < 15; ++i) {
        const Step step = parsed(std::string("quantize=") + names[i]);
        EXPECT_EQ(step.kind, StepKind::Quantize);
        EXPECT_EQ(static_cast<int>(step.method), i) << names[i];
        EXPECT_FALSE(step.quantize.dither);
    }
    EXPECT_EQ(parsed("quantize=NeuQuant").method, QuantizeMethod::Neuquant256);
}

TEST(BatchParse, QuantizeLimitsDefaultsAndRanges) {
    EXPECT_EQ(parsed("quantize=uniform").quantize.limit, 3);
    EXPECT_EQ(parsed("quantize=popularity").quantize.limit, 32);
    EXPECT_EQ(parsed("quantize=adaptive").quantize.limit, 32);
    EXPECT_EQ(parsed("quantize=uniform,16").quantize.limit, 16);
    EXPECT_EQ(parsed("quantize=uniform,2").quantize.limit, 2);
    EXPECT_EQ(parsed("quantize=adaptive,256").quantize.limit, 256);
    EXPECT_EQ(parsed("quantize=popularity,2").quantize.limit, 2);

    const Step dithered = parsed("quantize=adaptive,64,dither");
    EXPECT_EQ(dithered.quantize.limit, 64);
    EXPECT_TRUE(dithered.quantize.dither);
    EXPECT_TRUE(parsed("quantize=popularity,dither,12").quantize.dither);
    EXPECT_EQ(parsed("quantize=popularity,dither,12").quantize.limit, 12);
    EXPECT_TRUE(parsed("quantize=cga,dither").quantize.dither);

    rejected("quantize=uniform,17");
    rejected("quantize=uniform,1");
    rejected("quantize=adaptive,257");
    rejected("quantize=popularity,1");
    rejected("quantize=popularity,-5");
    rejected("quantize=cga,16");      // fixed colour count
    rejected("quantize=neuquant,256");
    rejected("quantize=median");
    rejected("quantize=adaptive,32,64");
    rejected("quantize=adaptive,dither,dither");
    rejected("quantize=adaptive,3x");
    rejected("quantize");
    rejected("quantize=");
}

TEST(BatchParse, SimpleStepsTakeNoValue) {
    EXPECT_EQ(parsed("blur").kind, StepKind::Blur);
    EXPECT_EQ(parsed("rotate-right").kind, StepKind::RotateRight);
    EXPECT_EQ(parsed("rotate-left").kind, StepKind::RotateLeft);
    EXPECT_EQ(parsed("rotate-180").kind, StepKind::Rotate180);
    EXPECT_EQ(parsed("flip").kind, StepKind::Flip);
    EXPECT_EQ(parsed("mirror").kind, StepKind::Mirror);
    EXPECT_EQ(parsed("negative").kind, StepKind::Negative);
    EXPECT_EQ(parsed("gray").kind, StepKind::Gray);
    EXPECT_EQ(parsed("count-colors").kind, StepKind::CountColors);
    rejected("blur=3");
    rejected("flip=1");
    rejected("rotate");
    rejected("sharpen");
}

TEST(BatchParse, EffectNamesFollowTheMenu) {
    const char* names[] = {"edge-detect", "pencil", "artist", "glowie", "blush", "spacy", "spectrum", "scratch",
                           "noise", "phantom", "demon", "faded", "x-factor", "scramble", "unscramble"};
    for (int i = 0; i < kEffectCount; ++i) {
        EXPECT_EQ(parsed(std::string("effect=") + names[i]).effect, kAllEffects[i]) << names[i];
    }
    EXPECT_EQ(parsed("effect=Artist").effect, Effect::Artist);
    rejected("effect=edge detect");
    rejected("effect=blur");
    rejected("effect=");
    rejected("effect=pencil,noise");
}

TEST(BatchParse, BrightnessDefaultsAreTheWindows) {
    const Step step = parsed("brightness=40");
    EXPECT_EQ(step.kind, StepKind::Brightness);
    EXPECT_EQ(step.value, 40);
    EXPECT_EQ(step.brightness.limit, BrightnessLimit::HoldRatio);
    EXPECT_TRUE(step.brightness.ratio);
    EXPECT_TRUE(step.brightness.proportional);
    EXPECT_TRUE(step.brightness.red && step.brightness.green && step.brightness.blue);

    const Step all = parsed("brightness=-128,wrap,equal,flat,rb");
    EXPECT_EQ(all.value, -128);
    EXPECT_EQ(all.brightness.limit, BrightnessLimit::Wrap);
    EXPECT_FALSE(all.brightness.ratio);
    EXPECT_FALSE(all.brightness.proportional);
    EXPECT_TRUE(all.brightness.red);
    EXPECT_FALSE(all.brightness.green);
    EXPECT_TRUE(all.brightness.blue);

    // Options in any order.
    const Step mixed = parsed("brightness=128,g,clamp,proportional");
    EXPECT_EQ(mixed.brightness.limit, BrightnessLimit::Clamp);
    EXPECT_FALSE(mixed.brightness.red);
    EXPECT_TRUE(mixed.brightness.green);

    rejected("brightness=129");
    rejected("brightness=-129");
    rejected("brightness=1.5");
    rejected("brightness=10,hold,clamp");
    rejected("brightness=10,ratio,equal");
    rejected("brightness=10,rgbx");
    rejected("brightness");
}

TEST(BatchParse, ContrastRange) {
    EXPECT_EQ(parsed("contrast=-100").value, -100);
    EXPECT_EQ(parsed("contrast=100").value, 100);
    EXPECT_EQ(parsed("contrast=+25").value, 25);
    rejected("contrast=101");
    rejected("contrast=-101");
    rejected("contrast=10,20");
    rejected("contrast=ten");
}

TEST(BatchParse, TwoColorsForms) {
    const Step plain = parsed("two-colors");
    EXPECT_EQ(plain.slider, 128);
    EXPECT_EQ(plain.twoColors.threshold, 128);
    EXPECT_EQ(plain.twoColors.dither, TwoColorDither::None);
    EXPECT_EQ(plain.twoColors.color1, 0x000000u);
    EXPECT_EQ(plain.twoColors.color2, 0xFFFFFFu);

    const Step full = parsed("two-colors=200,sierra,FF0000,0000ff");
    EXPECT_EQ(full.slider, 200);
    EXPECT_EQ(full.twoColors.threshold, 56);  // the slider works as a brightness control
    EXPECT_EQ(full.twoColors.dither, TwoColorDither::SierraLite);
    EXPECT_EQ(full.twoColors.color1, rgb(255, 0, 0));  // red first in the text
    EXPECT_EQ(full.twoColors.color2, rgb(0, 0, 255));

    EXPECT_EQ(parsed("two-colors=0,ordered").twoColors.dither, TwoColorDither::Ordered);
    EXPECT_EQ(parsed("two-colors=256").twoColors.threshold, 0);
    EXPECT_EQ(parsed("two-colors=90,102030,405060").twoColors.color1, rgb(0x10, 0x20, 0x30));

    rejected("two-colors=257");
    rejected("two-colors=-1");
    rejected("two-colors=128,floyd");
    rejected("two-colors=128,none,FF0000");
    rejected("two-colors=128,none,FF0000,GG0000");
}

TEST(BatchParse, SizesAreForcedIntoTheDialogLimits) {
    const Step resize = parsed("resize=960x540");
    EXPECT_EQ(resize.width, 960);
    EXPECT_EQ(resize.height, 540);
    const Step small = parsed("resize=10x10");
    EXPECT_EQ(small.width, 16);
    EXPECT_EQ(small.height, 16);
    const Step large = parsed("resize=5000X2");
    EXPECT_EQ(large.width, 4096);
    EXPECT_EQ(large.height, 16);
    rejected("resize=0x10");
    rejected("resize=100");
    rejected("resize=100x");
    rejected("resize=axb");

    const Step canvas = parsed("canvas=120x80");
    EXPECT_EQ(canvas.width, 120);
    EXPECT_EQ(canvas.anchor, 5);
    EXPECT_EQ(canvas.background, 0x000000u);
    const Step anchored = parsed("canvas=120x80,9,FFFFFF");
    EXPECT_EQ(anchored.anchor, 9);
    EXPECT_EQ(anchored.background, 0xFFFFFFu);
    EXPECT_EQ(parsed("canvas=120x80,00FF00,top-left").anchor, 1);
    EXPECT_EQ(parsed("canvas=120x80,bottom-right").anchor, 9);
    rejected("canvas=120x80,0");
    rejected("canvas=120x80,10");
    rejected("canvas=120x80,middle");
    rejected("canvas=120x80,1,2");

    const Step crop = parsed("crop=10,20,30,40");
    EXPECT_EQ(crop.rect, (Rect{10, 20, 39, 59}));
    rejected("crop=10,20,0,40");
    rejected("crop=10,20,30");
    rejected("crop=1,2,3,4,5");
}

TEST(BatchParse, CommandLines) {
    const ParseResult result =
        parseArguments({"in.png", "out.JPG", "--area", "1,2,3,4", "--time", "blur", "quantize=cga"});
    ASSERT_TRUE(result.job) << result.error;
    EXPECT_EQ(result.job->input, "in.png");
    EXPECT_EQ(result.job->output, "out.JPG");
    ASSERT_TRUE(result.job->area);
    EXPECT_EQ(*result.job->area, (Rect{1, 2, 3, 5}));
    EXPECT_TRUE(result.job->time);
    ASSERT_EQ(result.job->steps.size(), 2u);
    EXPECT_EQ(result.job->steps[1].text, "quantize=cga");

    // Options may stand anywhere, also as --area=...; no step is fine.
    const ParseResult late = parseArguments({"--area=0,0,8,8", "a.bmp", "b.jp2"});
    ASSERT_TRUE(late.job) << late.error;
    EXPECT_TRUE(late.job->steps.empty());

    EXPECT_TRUE(parseArguments({"--help"}).help);
    EXPECT_TRUE(parseArguments({"in.png", "-h"}).help);
    EXPECT_TRUE(parseArguments({"--version"}).version);

    for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{
             {},
             {"in.png"},
             {"in.png", "out.gif"},
             {"in.png", "out"},
             {"in.png", "dir.png/out"},
             {"in.png", "out.png", "--area"},
             {"in.png", "out.png", "--area", "1,2,3"},
             {"in.png", "out.png", "--area", "1,2,0,3"},
             {"in.png", "out.png", "--area", "1,2,3,4", "--area", "1,2,3,4"},
             {"in.png", "out.png", "--fast"},
             {"in.png", "out.png", "blur", "nonsense"},
         }) {
        const ParseResult result = parseArguments(bad);
        EXPECT_FALSE(result.job) << (bad.empty() ? "(nothing)" : bad.back());
        EXPECT_FALSE(result.help);
        EXPECT_FALSE(result.error.empty());
    }
}

TEST(BatchParse, OutputFormatByExtension) {
    EXPECT_EQ(outputFormatFor("a.png"), OutputFormat::Png);
    EXPECT_EQ(outputFormatFor("a.JPEG"), OutputFormat::Jpeg);
    EXPECT_EQ(outputFormatFor("a.jpg"), OutputFormat::Jpeg);
    EXPECT_EQ(outputFormatFor("x/y.z/a.jp2"), OutputFormat::Jpeg2000);
    EXPECT_EQ(outputFormatFor("a.bmp"), OutputFormat::Bmp);
    EXPECT_FALSE(outputFormatFor("a.tif"));
    EXPECT_FALSE(outputFormatFor("x.png/a"));
}

}  // namespace
}  // namespace tarnel::batch
