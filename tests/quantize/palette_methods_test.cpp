#include "quantize/palette_methods.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>

#include "common/test_images.h"
#include "quantize/color_count.h"
#include "quantize/dither.h"
#include "quantize/fixed_palettes.h"
#include "quantize/neuquant.h"

namespace tarnel {
namespace {

std::set<Color> colorsOf(const Image& image, const Rect& area) {
    std::set<Color> colors;
    for (int y = area.top; y <= area.bottom; ++y)
        for (int x = area.left; x <= area.right; ++x)
            colors.insert(image.pixel(x, y) & kColorMask);
    return colors;
}

Color mapChannels(Color c, auto&& channel) {
    return (c & 0xFF000000u) | rgb(channel(redOf(c), 0), channel(greenOf(c), 1), channel(blueOf(c), 2));
}

// --- Plain versions of Popularity and Adaptive, written as the steps read --

Image reducedCopy(const Image& image, const Rect& area, int mask) {
    Image copy = image;
    for (int y = area.top; y <= area.bottom; ++y)
        for (int x = area.left; x <= area.right; ++x)
            copy.setPixel(x, y, mapChannels(image.pixel(x, y), [mask](int v, int) { return (v & mask) | 0x0F; }));
    return copy;
}

Palette referencePopularity(const Image& image, const Rect& area, int limit) {
    int k = std::min(limit, static_cast<int>(colorsOf(image, image.rect()).size()));
    Image scratch;
    int count = 0;
    if (k < 48) {
        scratch = reducedCopy(image, area, 0xC0);
        count = static_cast<int>(colorsOf(scratch, scratch.rect()).size());
    }
    if (count < k + 10) {
        scratch = reducedCopy(image, area, 0xE0);
        if (static_cast<int>(colorsOf(scratch, scratch.rect()).size()) < k + 10)
            scratch = reducedCopy(image, area, 0xF0);
    }
    std::map<Color, int> histogram;
    for (int y = area.top; y <= area.bottom; ++y)
        for (int x = area.left; x <= area.right; ++x)
            ++histogram[scratch.pixel(x, y) & kColorMask];
    k = std::min(k, static_cast<int>(histogram.size()));
    std::vector<std::pair<int, Color>> a, b, c, d;  // (-count, colour) sorts as wanted
    for (const auto& [color, n] : histogram) {
        const int brightness = 2 * redOf(color) + 4 * greenOf(color) + blueOf(color);
        (brightness > 1338 ? a : brightness > 892 ? b : brightness > 446 ? c : d).push_back({-n, color});
    }
    Palette palette;
    std::vector<std::pair<int, Color>>* order[4] = {&a, &d, &b, &c};
    for (auto* cls : order)
        std::sort(cls->begin(), cls->end());
    for (std::size_t turn = 0; static_cast<int>(palette.size()) < k; ++turn) {
        auto& cls = *order[turn % 4];
        const std::size_t rank = turn / 4;
        if (rank < cls.size())
            palette.push_back(cls[rank].second);
    }
    return palette;
}

Palette referenceAdaptive(const Image& image, const Rect& area, int k) {
    std::vector<Color> sample;
    for (int y = area.top; y <= area.bottom; ++y)
        for (int x = area.left; x <= area.right; ++x)
            sample.push_back(image.pixel(x, y) & kColorMask);
    std::sort(sample.begin(), sample.end());
    const long L = static_cast<long>(sample.size()) - 1;
    long m = L / k, h = 0;
    Color last = sample[0] - 1;
    Palette palette(static_cast<std::size_t>(k));
    for (int i = 0; i < k; ++i) {
        if (sample[h] != last) {
            palette[i] = sample[h];
            last = sample[h];
            h = h + m;
        } else {
            while (sample[h] == last && h < L)
                ++h;
            m = (L - h) / (k - i);
            h = std::max(0L, h + m - 1);
            palette[i] = sample[h];
            last = sample[h];
        }
    }
    return palette;
}

// An image with few distinct colours in long runs: Adaptive's re-spacing
// and Popularity's class ties get exercised.
Image fewColorImage(int width, int height, int colors, std::uint32_t seed) {
    std::mt19937 rng(seed);
    Palette palette(static_cast<std::size_t>(colors));
    for (Color& c : palette)
        c = rng() & kColorMask;
    Image image(width, height, 32);
    for (std::size_t i = 0; i < image.pixelCount(); ++i)
        image.data()[i] = palette[(rng() % 4 == 0 ? rng() : i / 13) % palette.size()] | (rng() << 24);
    return image;
}

// --- Direct per-pixel methods ---------------------------------------------

TEST(DitherRead, WorkedValues) {
    EXPECT_EQ(ditherRead(Image(4, 4, 24, 0x000000), 0, 0), 0x000000u);
    EXPECT_EQ(ditherRead(Image(4, 4, 24, 0xFFFFFF), 0, 3), 0xFFFFFFu);
    EXPECT_EQ(ditherRead(Image(4, 4, 32, 0x80646464u), 2, 1), 0x806B6B6Bu);  // grey 100 + 7, alpha kept
}

TEST(MaskMethods, FlatEightOnBlackAndWhite) {
    Image black(5, 3, 24, 0x000000), white(5, 3, 24, 0xFFFFFF);
    EXPECT_EQ(runMethod(black, black.rect(), QuantizeMethod::Flat8, {}), Palette{0x0F0F0F});
    EXPECT_EQ(runMethod(white, white.rect(), QuantizeMethod::Flat8, {}), Palette{0x8F8F8F});
    EXPECT_TRUE(black == Image(5, 3, 24, 0x0F0F0F));
    EXPECT_TRUE(white == Image(5, 3, 24, 0x8F8F8F));
}

TEST(MaskMethods, EveryPixelFollowsTheMasksAndThePaletteListsTheOutputs) {
    const Image source = test::randomImage(45, 19, 32, 21);
    const Rect area{2, 3, 40, 17};
    for (int m = static_cast<int>(QuantizeMethod::Flat8); m <= static_cast<int>(QuantizeMethod::Ocean128); ++m) {
        const auto method = static_cast<QuantizeMethod>(m);
        const ChannelMasks masks = methodMasks(method);
        const int mask[3] = {masks.red, masks.green, masks.blue};
        for (bool dither : {false, true}) {
            Image image = source;
            const Palette palette = runMethod(image, area, method, {0, dither});
            Image expected = source;
            for (int y = area.top; y <= area.bottom; ++y)
                for (int x = area.left; x <= area.right; ++x) {
                    const Color in = dither ? ditherRead(source, x, y) : source.pixel(x, y);
                    expected.setPixel(x, y, mapChannels(in, [&](int v, int ch) { return (v & mask[ch]) | 0x0F; }));
                }
            ASSERT_TRUE(image == expected) << m << " " << dither;
            EXPECT_EQ(std::set<Color>(palette.begin(), palette.end()), colorsOf(expected, area));
            EXPECT_EQ(palette.size(), colorsOf(expected, area).size());
        }
    }
    EXPECT_EQ(methodMasks(QuantizeMethod::Lemon128).blue, 0x80);
    EXPECT_EQ(methodMasks(QuantizeMethod::Berry128).green, 0x80);
    EXPECT_EQ(methodMasks(QuantizeMethod::Ocean128).red, 0x80);
}

TEST(Uniform, LevelsPerChannel) {
    // levels -> every output value a channel can take
    const std::map<int, std::set<int>> expected = {
        {2, {0, 255}}, {3, {0, 127, 254}}, {4, {0, 85, 170, 255}},
        {16, {0, 17, 34, 51, 68, 85, 102, 119, 136, 153, 170, 187, 204, 221, 238, 255}}};
    Image ramp(256, 1, 24);
    for (int v = 0; v < 256; ++v)
        ramp.setPixel(v, 0, rgb(v, v, v));
    for (const auto& [levels, values] : expected) {
        Image image = ramp;
        const Palette palette = uniformQuantize(image, image.rect(), levels, false);
        std::set<int> seen;
        for (int v = 0; v < 256; ++v)
            seen.insert(redOf(image.pixel(v, 0)));
        EXPECT_EQ(seen, values) << levels;
        EXPECT_EQ(palette.size(), values.size());
    }
    Image two = ramp;
    uniformQuantize(two, two.rect(), 2, false);
    EXPECT_EQ(two.pixel(169, 0), 0x000000u);
    EXPECT_EQ(two.pixel(170, 0), 0xFFFFFFu);
}

TEST(Uniform, EveryPixelFollowsTheFormula) {
    const Image source = test::randomImage(33, 21, 32, 9);
    for (int levels = 2; levels <= 16; ++levels) {
        const int step = 255 / (levels - 1);
        const int width = static_cast<int>(std::lround(255.0 / (levels - 0.5)));
        for (bool dither : {false, true}) {
            Image image = source;
            const Palette palette = runMethod(image, image.rect(), QuantizeMethod::Uniform, {levels, dither});
            Image expected = source;
            for (int y = 0; y < source.height(); ++y)
                for (int x = 0; x < source.width(); ++x) {
                    const Color in = dither ? ditherRead(source, x, y) : source.pixel(x, y);
                    expected.setPixel(x, y, mapChannels(in, [&](int v, int) { return v / width * step; }));
                }
            ASSERT_TRUE(image == expected) << levels << " " << dither;
            EXPECT_EQ(std::set<Color>(palette.begin(), palette.end()), colorsOf(expected, expected.rect()));
        }
    }
}

TEST(DirectMethods, AwkwardWidthsAndAreaOffsetsFollowTheFormulas) {
    // Pixels are mapped in groups of four from the area's left edge; every
    // leftover count and every dither phase must give the per-pixel result,
    // and the palette must list only colours actually written.
    const Image source = test::randomImage(15, 6, 32, 33);
    const int step = 255 / (5 - 1);
    const int width = static_cast<int>(std::lround(255.0 / (5 - 0.5)));
    for (int left = 0; left < 4; ++left)
        for (int right = left; right < left + 10; ++right) {
            const Rect area{left, 1, right, 4};
            for (bool dither : {false, true})
                for (QuantizeMethod method : {QuantizeMethod::Uniform, QuantizeMethod::Berry128}) {
                    const ChannelMasks masks = methodMasks(method);
                    const int mask[3] = {masks.red, masks.green, masks.blue};
                    Image image = source;
                    const Palette palette = runMethod(image, area, method, {5, dither});
                    Image expected = source;
                    for (int y = area.top; y <= area.bottom; ++y)
                        for (int x = area.left; x <= area.right; ++x) {
                            const Color in = dither ? ditherRead(source, x, y) : source.pixel(x, y);
                            expected.setPixel(x, y, mapChannels(in, [&](int v, int ch) {
                                return method == QuantizeMethod::Uniform ? v / width * step : (v & mask[ch]) | 0x0F;
                            }));
                        }
                    ASSERT_TRUE(image == expected) << left << " " << right << " " << dither;
                    ASSERT_EQ(std::set<Color>(palette.begin(), palette.end()), colorsOf(expected, area));
                    ASSERT_EQ(palette.size(), colorsOf(expected, area).size());
                }
        }
}

// --- Fixed palettes ----------------------------------------------------------

TEST(FixedPalettes, Tables) {
    const Palette& cga = fixedPalette(QuantizeMethod::Cga16);
    const Palette& ega = fixedPalette(QuantizeMethod::Ega64);
    const Palette& truColor = fixedPalette(QuantizeMethod::TruColor256);
    const Palette& human = fixedPalette(QuantizeMethod::Human256);
    ASSERT_EQ(cga.size(), 16u);
    ASSERT_EQ(ega.size(), 64u);
    ASSERT_EQ(truColor.size(), 256u);
    ASSERT_EQ(human.size(), 256u);
    EXPECT_EQ(cga[6], rgb(0xAA, 0x55, 0x00));  // brown
    EXPECT_TRUE(std::equal(cga.begin(), cga.end(), ega.begin()));
    std::set<Color> egaSet(ega.begin(), ega.end());
    EXPECT_EQ(egaSet.size(), 64u);
    for (Color c : ega)
        for (int v : {redOf(c), greenOf(c), blueOf(c)})
            EXPECT_EQ(v % 0x55, 0);
    EXPECT_EQ(truColor[0], rgb(2, 2, 0));
    EXPECT_EQ(truColor[1], rgb(2, 38, 0));
    EXPECT_EQ(truColor[8], rgb(38, 2, 0));
    EXPECT_EQ(truColor[255], rgb(254, 254, 255));
    EXPECT_EQ(std::set<Color>(human.begin(), human.end()).size(), 256u);
    EXPECT_EQ(human[0], rgb(0xF0, 0x1B, 0x1B));
    EXPECT_EQ(human[6 * 16], 0xFFFFFFu);
    EXPECT_EQ(human[255], rgb(0x51, 0x3A, 0x51));
    EXPECT_TRUE(fixedPalette(QuantizeMethod::Uniform).empty());
}

TEST(FixedPalettes, RemapAndKeepTheCurrentPalette) {
    const Image source = test::photoLikeImage(30, 20, 24, 2);
    const Palette current = {0x123456, 0x654321};
    for (auto method : {QuantizeMethod::Cga16, QuantizeMethod::Ega64, QuantizeMethod::TruColor256,
                        QuantizeMethod::Human256}) {
        Image image = source;
        EXPECT_EQ(runMethod(image, image.rect(), method, {0, true}, current), current);
        Image expected = source;
        remap(expected, expected.rect(), fixedPalette(method), RemapOptions{true});
        EXPECT_TRUE(image == expected);
        const Palette& table = fixedPalette(method);
        for (Color c : colorsOf(image, image.rect()))
            EXPECT_NE(std::find(table.begin(), table.end(), c), table.end());
    }
}

// --- Popularity -------------------------------------------------------------

TEST(Popularity, SmallImages) {
    // 40 colours, each already of the reduced form: all of them survive.
    Image forty(8, 5, 24);
    for (int i = 0; i < 40; ++i)
        forty.data()[i] = rgb(((i * 7) % 16) * 16 + 0x0F, (i % 16) * 16 + 0x0F, (i / 16) * 16 + 0x0F);
    ASSERT_EQ(countColors(forty), 40);
    Image image = forty;
    const Palette palette = runMethod(image, image.rect(), QuantizeMethod::Popularity, {256, false});
    EXPECT_EQ(palette.size(), 40u);
    EXPECT_EQ(std::set<Color>(palette.begin(), palette.end()), colorsOf(forty, forty.rect()));
    EXPECT_TRUE(image == forty);

    // Two colours, limit 2: one bright and one dark class, both taken.
    Image two(4, 4, 24, 0x000000);
    two.setPixel(1, 1, 0xFFFFFF);
    EXPECT_EQ(popularityPalette(two, two.rect(), 2), (Palette{0xFFFFFF, 0x0F0F0F}));
}

TEST(Popularity, RoundRobinOverTheBrightnessClasses) {
    // Counts per class; equal counts are taken in ascending colour order.
    struct Entry {
        Color color;
        int count;
    };
    const Entry entries[] = {
        {rgb(0xFF, 0xFF, 0xFF), 3}, {rgb(0xEF, 0xEF, 0xEF), 5}, {rgb(0xDF, 0xFF, 0xDF), 5},  // A
        {rgb(0x8F, 0xAF, 0x8F), 2}, {rgb(0xAF, 0xAF, 0x9F), 7},                              // B
        {rgb(0x5F, 0x5F, 0x5F), 4},                                                          // C
        {rgb(0x0F, 0x0F, 0x0F), 1}, {rgb(0x1F, 0x0F, 0x0F), 9},                              // D
    };
    Image image(32, 2, 24);
    std::size_t n = 0;
    for (const Entry& e : entries)
        for (int i = 0; i < e.count; ++i)
            image.data()[n++] = e.color;
    while (n < image.pixelCount())
        image.data()[n++] = rgb(0x1F, 0x0F, 0x0F);  // fills D's first colour up to 33
    // k = 8 < 48 keeps the 4096 level (the coarser ones leave fewer than 18).
    const Palette palette = popularityPalette(image, image.rect(), 8);
    const Palette expected = {rgb(0xDF, 0xFF, 0xDF), rgb(0x1F, 0x0F, 0x0F), rgb(0xAF, 0xAF, 0x9F),
                              rgb(0x5F, 0x5F, 0x5F), rgb(0xEF, 0xEF, 0xEF), rgb(0x0F, 0x0F, 0x0F),
                              rgb(0x8F, 0xAF, 0x8F), rgb(0xFF, 0xFF, 0xFF)};
    EXPECT_EQ(palette, expected);
    EXPECT_EQ(popularityPalette(image, image.rect(), 3), Palette(expected.begin(), expected.begin() + 3));
}

TEST(Popularity, MatchesThePlainStepsOnWholeImagesAndAreas) {
    const Image images[] = {test::photoLikeImage(64, 48, 32, 5), test::randomImage(40, 30, 24, 6),
                            fewColorImage(50, 30, 30, 7), fewColorImage(50, 30, 70, 8)};
    const Rect areas[] = {Rect{0, 0, 1000, 1000}, Rect{5, 4, 30, 25}, Rect{0, 10, 49, 12}, Rect{3, 3, 3, 3}};
    for (const Image& image : images)
        for (const Rect& requested : areas) {
            const Rect area = intersected(requested, image.rect());
            for (int limit : {2, 5, 20, 37, 38, 47, 48, 60, 200, 256})
                ASSERT_EQ(popularityPalette(image, area, limit), referencePopularity(image, area, limit))
                    << image.width() << " " << area.left << "," << area.top << " " << limit;
        }
}

// --- Adaptive -----------------------------------------------------------------

TEST(Adaptive, OneColourAndOnePixel) {
    const Image grey(6, 5, 24, 0x808080);
    EXPECT_EQ(adaptivePalette(grey, grey.rect(), 8), Palette(8, 0x808080));
    // A single pixel: the re-spacing step is held at rank 0.
    const Image photo = test::photoLikeImage(10, 10, 24, 3);
    EXPECT_EQ(adaptivePalette(photo, Rect{4, 6, 4, 6}, 5), Palette(5, photo.pixel(4, 6)));
    // Black is the smallest sample: the "previous" start value must not match it.
    const Image black(3, 3, 24, 0x000000);
    EXPECT_EQ(adaptivePalette(black, black.rect(), 2), Palette(2, 0x000000));
}

TEST(Adaptive, MatchesThePlainSortedList) {
    const Image images[] = {test::photoLikeImage(64, 48, 32, 9), test::randomImage(30, 20, 24, 10),
                            fewColorImage(40, 25, 3, 11), fewColorImage(40, 25, 40, 12),
                            fewColorImage(7, 3, 5, 13)};
    for (const Image& image : images)
        for (const Rect& requested : {Rect{0, 0, 1000, 1000}, Rect{2, 1, 5, 2}, Rect{3, 0, 3, 10}})
            for (int limit : {2, 3, 8, 17, 32, 100, 256}) {
                const Rect area = intersected(requested, image.rect());
                ASSERT_EQ(adaptivePalette(image, area, limit), referenceAdaptive(image, area, limit))
                    << image.width() << " " << area.left << " " << limit;
            }
}

// --- All methods -----------------------------------------------------------------

constexpr const char* kGoldenNames[kQuantizeMethodCount] = {
    "uniform",  "popularity", "adaptive",  "cga16",     "ega64",     "trucolor256", "human256", "neuquant256",
    "flat8",    "flat64",     "flat512",   "flat4096",  "lemon128",  "berry128",    "ocean128"};

// The window's starting limits: 3 levels for Uniform, 32 colours otherwise.
QuantizeOptions defaultOptions(QuantizeMethod method, bool dither) {
    return {method == QuantizeMethod::Uniform ? 3 : 32, dither};
}

TEST(RunMethod, OnlyTheAreaChangesAndAlphaStays) {
    const Image source = test::photoLikeImage(40, 30, 32, 14);
    const Rect area{6, 4, 29, 21};
    for (int m = 0; m < kQuantizeMethodCount; ++m) {
        const auto method = static_cast<QuantizeMethod>(m);
        if (method == QuantizeMethod::Neuquant256)
            continue;
        for (bool dither : {false, true}) {
            Image image = source;
            runMethod(image, area, method, defaultOptions(method, dither));
            bool areaChanged = false;
            for (int y = 0; y < source.height(); ++y)
                for (int x = 0; x < source.width(); ++x) {
                    const Color before = source.pixel(x, y), after = image.pixel(x, y);
                    ASSERT_EQ(alphaOf(after), alphaOf(before));
                    if (!area.contains(x, y)) {
                        ASSERT_EQ(after, before) << m << " at " << x << "," << y;
                    }
                    areaChanged = areaChanged || after != before;
                }
            EXPECT_TRUE(areaChanged) << m;
        }
    }
}

TEST(RunMethod, AreaMethodsMatchTheirParts) {
    // Adaptive picks and maps inside the area only, as on a cut-out copy.
    const Image source = test::photoLikeImage(40, 30, 24, 15);
    const Rect area{5, 5, 30, 24};
    for (bool dither : {false, true}) {
        Image image = source;
        const Palette palette = runMethod(image, area, QuantizeMethod::Adaptive, {16, dither});
        Image part = source.copy(area);
        EXPECT_EQ(runMethod(part, part.rect(), QuantizeMethod::Adaptive, {16, dither}), palette);
        EXPECT_TRUE(image.copy(area) == part);
    }
    // Popularity maps the area with the palette it chose.
    Image image = source;
    const Palette palette = runMethod(image, area, QuantizeMethod::Popularity, {24, true});
    EXPECT_EQ(palette, popularityPalette(source, area, 24));
    Image expected = source;
    remap(expected, area, palette, RemapOptions{true});
    EXPECT_TRUE(image == expected);
    // Nothing to do: the current palette comes back unchanged.
    Image null;
    EXPECT_EQ(runMethod(null, Rect{0, 0, 5, 5}, QuantizeMethod::Uniform, {}, Palette{1, 2}), (Palette{1, 2}));
    Image outside = source;
    EXPECT_EQ(runMethod(outside, Rect{50, 50, 60, 60}, QuantizeMethod::Flat8, {}, Palette{3}), Palette{3});
    EXPECT_TRUE(outside == source);
}

TEST(RunMethod, NeuquantKeepsTheCurrentPalette) {
    const Image source = test::photoLikeImage(40, 30, 32, 16);
    const Rect area{3, 2, 30, 25};
    for (bool dither : {false, true}) {
        Image image = source;
        EXPECT_EQ(runMethod(image, area, QuantizeMethod::Neuquant256, {0, dither}, Palette{5, 6}), (Palette{5, 6}));
        Image expected = source;
        neuquantQuantize(expected, area, dither);
        EXPECT_TRUE(image == expected);
        EXPECT_FALSE(image == source);
    }
}

TEST(RunMethod, GoldenImages) {
    for (int m = 0; m < kQuantizeMethodCount; ++m) {
        const auto method = static_cast<QuantizeMethod>(m);
        if (method == QuantizeMethod::Neuquant256)
            continue;
        for (bool dither : {false, true}) {
            Image image = test::testPhoto();
            runMethod(image, image.rect(), method, defaultOptions(method, dither));
            test::expectGolden(std::string("quantize_") + kGoldenNames[m] + (dither ? "_dither" : ""), image);
        }
    }
}

}  // namespace
}  // namespace tarnel
