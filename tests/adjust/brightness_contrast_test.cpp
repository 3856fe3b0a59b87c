#include "adjust/brightness_contrast.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <tuple>

#include "adjust/rounding.h"
#include "common/test_images.h"
#include "common/thread_check.h"

namespace tarnel {
namespace {

using Limit = BrightnessLimit;

BrightnessOptions opts(Limit limit, bool ratio, bool proportional = false) {
    BrightnessOptions o;
    o.limit = limit;
    o.ratio = ratio;
    o.proportional = proportional;
    return o;
}

long double roundEven(long double v) { return std::nearbyintl(v); }

// A plain transcription of the brightness steps, one pixel at a time, with
// products and quotients in long double: the reference the tables and
// templates of the real implementation must match.
Color referenceBrightness(Color c, int b, const BrightnessOptions& o) {
    long long r = redOf(c), g = greenOf(c), bl = blueOf(c);
    const long long L = 2 * r + 4 * g + bl, S = r + g + bl;
    const long long M = std::max({r, g, bl}), m = std::min({r, g, bl});
    const float fR = S ? static_cast<float>(r) / static_cast<float>(S) : 0.0f;
    const float fG = S ? static_cast<float>(g) / static_cast<float>(S) : 0.0f;
    const float fB = S ? static_cast<float>(bl) / static_cast<float>(S) : 0.0f;
    long long a = b;
    auto spread = [&] {
        if (o.ratio) {
            if (S == 0) return;
            const long long M2 = std::max(M, 16LL);
            const long long T = (S * (M2 + a)) / M2;
            if (o.red) r = static_cast<long long>(roundEven(static_cast<long double>(T) * fR));
            if (o.green) g = static_cast<long long>(roundEven(static_cast<long double>(T) * fG));
            if (o.blue) bl = static_cast<long long>(roundEven(static_cast<long double>(T) * fB));
        } else {
            if (o.red) r += a;
            if (o.green) g += a;
            if (o.blue) bl += a;
        }
    };
    auto propUp = [&] { a = static_cast<long long>(roundEven(static_cast<long double>(a * (1785 - L)) / 1785)); };
    auto propDown = [&] { a = static_cast<long long>(roundEven(static_cast<long double>(a * L) / 1785)); };
    if (o.limit == Limit::Wrap) {
        if (o.proportional) (a > 0) ? propUp() : propDown();
        spread();
        for (long long* v : {&r, &g, &bl}) {
            if (*v < 0) *v += 256;
            if (*v > 255) *v -= 256;
        }
    } else if (a > 0) {
        if (o.proportional) propUp();
        if (o.limit == Limit::HoldRatio) {
            if (M + a > 255) a = 255 - M;
            spread();
        } else {
            spread();
            for (long long* v : {&r, &g, &bl}) *v = std::clamp(*v, 0LL, 255LL);
        }
    } else if (a < 0) {
        if (o.proportional) propDown();
        if (o.limit == Limit::HoldRatio) {
            if (m + a < 0) a = -m;
            spread();
        } else {
            spread();
            for (long long* v : {&r, &g, &bl}) *v = std::clamp(*v, 0LL, 255LL);
        }
    }
    if (r < 0 || r > 255 || g < 0 || g > 255 || bl < 0 || bl > 255)
        ADD_FAILURE() << "channel out of range for colour " << std::hex << c << std::dec << " amount " << b;
    return static_cast<Color>(r | (g << 8) | (bl << 16));
}

TEST(Rounding, HalvesGoToEven) {
    EXPECT_EQ(roundHalfEven(0.5), 0);
    EXPECT_EQ(roundHalfEven(1.5), 2);
    EXPECT_EQ(roundHalfEven(2.5), 2);
    EXPECT_EQ(roundHalfEven(-0.5), 0);
    EXPECT_EQ(roundHalfEven(-1.5), -2);
    EXPECT_EQ(roundHalfEven(-2.5), -2);
    EXPECT_EQ(roundHalfEven(30.39), 30);
    EXPECT_EQ(roundHalfEven(-7.6), -8);
}

TEST(Brightness, WorkedExamplesFor200_100_50) {
    const Color c = rgb(200, 100, 50);
    EXPECT_EQ(brightnessOf(c, 100, opts(Limit::HoldRatio, true)), rgb(255, 127, 64));
    EXPECT_EQ(brightnessOf(c, 100, opts(Limit::Clamp, false)), rgb(255, 200, 150));
    EXPECT_EQ(brightnessOf(c, 100, opts(Limit::Wrap, false)), rgb(44, 200, 150));
    EXPECT_EQ(brightnessOf(c, 100, opts(Limit::HoldRatio, false)), rgb(255, 155, 105));
}

TEST(Brightness, BlackWhiteAndSmallChannels) {
    for (Limit limit : {Limit::HoldRatio, Limit::Clamp, Limit::Wrap})
        for (bool proportional : {false, true})
            for (int b : {-128, -20, 20, 128}) EXPECT_EQ(brightnessOf(0, b, opts(limit, true, proportional)), 0u);
    EXPECT_EQ(brightnessOf(0, 20, opts(Limit::Clamp, false)), rgb(20, 20, 20));
    EXPECT_EQ(brightnessOf(0, 20, opts(Limit::HoldRatio, false)), rgb(20, 20, 20));

    // Proportional leaves white alone when brightening and black when darkening.
    for (bool ratio : {false, true}) {
        EXPECT_EQ(brightnessOf(0xFFFFFF, 90, opts(Limit::Clamp, ratio, true)), 0xFFFFFFu);
        EXPECT_EQ(brightnessOf(0xFFFFFF, 90, opts(Limit::Wrap, ratio, true)), 0xFFFFFFu);
        EXPECT_EQ(brightnessOf(0, -90, opts(Limit::Clamp, ratio, true)), 0u);
        EXPECT_EQ(brightnessOf(0, -90, opts(Limit::Wrap, ratio, true)), 0u);
    }
    // L = 700: a = round(50 * 1085 / 1785) = round(30.39) = 30.
    EXPECT_EQ(brightnessOf(rgb(100, 100, 100), 50, opts(Limit::Clamp, false, true)), rgb(130, 130, 130));
    // Largest channel below 16 counts as 16: T = 6 * 32 / 16 = 12.
    EXPECT_EQ(brightnessOf(rgb(4, 2, 0), 16, opts(Limit::Clamp, true)), rgb(8, 4, 0));
    EXPECT_EQ(brightnessOf(rgb(4, 2, 0), 16, opts(Limit::HoldRatio, true)), rgb(8, 4, 0));
}

TEST(Brightness, DisabledChannelsKeepTheirValues) {
    const Image source = test::randomImage(33, 9, 24, 5);
    for (Limit limit : {Limit::HoldRatio, Limit::Clamp, Limit::Wrap})
        for (bool ratio : {false, true})
            for (bool proportional : {false, true}) {
                BrightnessOptions o = opts(limit, ratio, proportional);
                o.red = false;
                Image image = source;
                adjustBrightness(image, image.rect(), 77, o);
                adjustBrightness(image, image.rect(), -31, o);
                for (int y = 0; y < image.height(); ++y)
                    for (int x = 0; x < image.width(); ++x)
                        ASSERT_EQ(redOf(image.pixel(x, y)), redOf(source.pixel(x, y)));
            }
}

// Every option combination, every sign and size of amount, on random
// colours, along every vector path: each gives what the plain steps give.
TEST(Brightness, MatchesThePlainStepsOnRandomColours) {
    using detail::BrightnessPath;
    const Image source = test::randomImage(67, 45, 32, 11);  // odd width: the vector steps and the tail
    for (BrightnessPath path : {BrightnessPath::Plain, BrightnessPath::Sse2, BrightnessPath::Avx2})
        for (Limit limit : {Limit::HoldRatio, Limit::Clamp, Limit::Wrap})
            for (bool ratio : {false, true})
                for (bool proportional : {false, true})
                    for (int channels : {7, 5, 2})
                        for (int b : {-128, -100, -17, -1, 1, 3, 55, 128}) {
                            BrightnessOptions o = opts(limit, ratio, proportional);
                            o.red = channels & 1;
                            o.green = channels & 2;
                            o.blue = channels & 4;
                            Image image = source;
                            detail::adjustBrightnessWith(image, image.rect(), b, o, path);
                            for (int y = 0; y < image.height(); ++y)
                                for (int x = 0; x < image.width(); ++x) {
                                    const Color in = source.pixel(x, y);
                                    const Color want = referenceBrightness(in, b, o) | (in & 0xFF000000u);
                                    ASSERT_EQ(image.pixel(x, y), want)
                                        << "path " << int(path) << " limit " << int(limit) << " ratio " << ratio
                                        << " prop " << proportional << " channels " << channels << " b " << b
                                        << " at " << x << "," << y;
                                }
                        }
}

// Ratio mode over a lattice through the colour cube for a few amounts: the
// single-precision shares and the truncated total are where rounding slips
// would show.
TEST(Brightness, RatioModeMatchesAcrossTheColourCube) {
    Image cube(256, 52 * 42, 24);
    for (int g = 0; g < 52; ++g)
        for (int b = 0; b < 42; ++b)
            for (int r = 0; r < 256; ++r) cube.row(g * 42 + b)[r] = rgb(r, g * 5, b * 6 + r % 6);
    for (int b : {-128, -40, 37, 128}) {
        for (Limit limit : {Limit::HoldRatio, Limit::Clamp, Limit::Wrap}) {
            const BrightnessOptions o = opts(limit, true, b > 0);
            Image image = cube;
            adjustBrightness(image, image.rect(), b, o);
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    if (image.pixel(x, y) != referenceBrightness(cube.pixel(x, y), b, o))
                        FAIL() << std::hex << cube.pixel(x, y) << std::dec << " b " << b << " limit " << int(limit);
            Image narrow = cube;
            detail::adjustBrightnessWith(narrow, narrow.rect(), b, o, detail::BrightnessPath::Sse2);
            EXPECT_TRUE(narrow == image) << "b " << b << " limit " << int(limit);
        }
    }
}

TEST(Brightness, AreaLimitsTheChangeAndKeepsAlpha) {
    const Image source = test::randomImage(23, 17, 32, 3);
    Image whole = source, viaArea = source;
    adjustBrightness(whole, whole.rect(), 40);
    adjustBrightness(viaArea, Rect{-5, -5, 100, 100}, 40);  // clipped to the image
    EXPECT_TRUE(whole == viaArea);

    Image part = source;
    const Rect area{3, 4, 12, 10};
    adjustBrightness(part, area, -60, opts(Limit::Clamp, false));
    for (int y = 0; y < part.height(); ++y)
        for (int x = 0; x < part.width(); ++x) {
            EXPECT_EQ(alphaOf(part.pixel(x, y)), alphaOf(source.pixel(x, y)));
            if (!area.contains(x, y)) {
                ASSERT_EQ(part.pixel(x, y), source.pixel(x, y));
            }
        }

    Image unchanged = source;
    adjustBrightness(unchanged, unchanged.rect(), 0, opts(Limit::Wrap, true));
    EXPECT_TRUE(unchanged == source);
}

TEST(Contrast, WorkedExamples) {
    EXPECT_EQ(contrastOf(100, 100), 73);
    EXPECT_EQ(contrastOf(200, 100), 255);
    EXPECT_EQ(contrastOf(0, 100), 0);
    EXPECT_EQ(contrastOf(0, -100), 127);
    EXPECT_EQ(contrastOf(255, -100), 128);
    for (int v = 0; v < 256; ++v) {
        EXPECT_EQ(contrastOf(v, 0), v);
        EXPECT_EQ(contrastOf(v, -100), v < 128 ? 127 : 128);
        EXPECT_EQ(contrastOf(v, 100), v < 128 ? std::max(2 * v - 127, 0) : std::min(2 * v - 128, 255));
    }
    // k = 0.5 exactly: 129 + 0.5 rounds to the even 130, 126 - 0.5 to 126.
    EXPECT_EQ(contrastOf(129, 50), 130);
    EXPECT_EQ(contrastOf(126, 50), 126);
}

TEST(Contrast, AreaAndChannels) {
    const Image source = test::randomImage(19, 13, 32, 8);
    Image image = source;
    const Rect area{2, 3, 9, 11};
    adjustContrast(image, area, 37);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const Color in = source.pixel(x, y);
            const Color want = area.contains(x, y) ? (in & 0xFF000000u) | rgb(contrastOf(redOf(in), 37),
                                                                               contrastOf(greenOf(in), 37),
                                                                               contrastOf(blueOf(in), 37))
                                                   : in;
            ASSERT_EQ(image.pixel(x, y), want);
        }
    Image whole = source;
    adjustContrast(whole, Rect{0, 0, 18, 12}, -55);
    Image clipped = source;
    adjustContrast(clipped, Rect{-3, -3, 40, 40}, -55);
    EXPECT_TRUE(whole == clipped);
}

TEST(BrightnessContrast, Goldens) {
    const Image& photo = test::testPhoto();
    struct Case {
        const char* name;
        int amount;
        BrightnessOptions options;
    };
    const Case cases[] = {
        {"adjust_brightness_default_plus60", 60, BrightnessOptions{}},
        {"adjust_brightness_default_minus70", -70, BrightnessOptions{}},
        {"adjust_brightness_clamp_equal_plus45", 45, opts(Limit::Clamp, false)},
        {"adjust_brightness_wrap_ratio_prop_plus100", 100, opts(Limit::Wrap, true, true)},
        {"adjust_brightness_hold_equal_nogreen_minus50", -50, [&] {
             BrightnessOptions o = opts(Limit::HoldRatio, false);
             o.green = false;
             return o;
         }()},
    };
    for (const Case& c : cases) {
        Image image = photo;
        adjustBrightness(image, image.rect(), c.amount, c.options);
        test::expectGolden(c.name, image);
    }
    for (int value : {-60, 45}) {
        Image image = photo;
        adjustContrast(image, image.rect(), value);
        test::expectGolden(value < 0 ? "adjust_contrast_minus60" : "adjust_contrast_plus45", image);
    }
}

TEST(BrightnessContrast, ThreadsGiveTheOneThreadPixels) {
    BrightnessOptions added;  // the table path where vectors are off
    added.ratio = added.proportional = false;
    added.limit = BrightnessLimit::Clamp;
    for (const BrightnessOptions& options : {BrightnessOptions{}, added}) {
        test::expectThreadsMatchOneThread([&](Image im) { return adjustBrightness(im, im.rect(), 60, options), im; });
        test::expectThreadsMatchOneThread(
            [&](Image im) { return detail::adjustBrightnessWith(im, im.rect(), -40, options, detail::BrightnessPath::Plain), im; },
            32);
    }
    test::expectThreadsMatchOneThread([](Image im) { return adjustContrast(im, im.rect(), 35), im; });
}

}  // namespace
}  // namespace tarnel
