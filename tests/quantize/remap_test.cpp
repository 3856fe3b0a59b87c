#include "quantize/remap.h"

#include <gtest/gtest.h>

#include <random>

#include "common/test_images.h"
#include "quantize/fixed_palettes.h"
#include "quantize/palette_methods.h"
#include "reference_quantize.h"

namespace tarnel {
namespace {

constexpr Color kOpaque = 0xFF000000u;

Palette randomPalette(int size, std::uint32_t seed) {
    std::mt19937 rng(seed);
    Palette palette(static_cast<std::size_t>(size));
    for (Color& c : palette)
        c = rng() & kColorMask;
    return palette;
}

TEST(SearchPalette, SortsByGreenThenRedKeepingEqualKeysInOrder) {
    // Three entries share green 0x10 and red 0x20; they differ in blue only.
    const Palette palette = {rgb(0x20, 0x10, 3), rgb(0x05, 0x80, 0), rgb(0x20, 0x10, 1), rgb(0x10, 0x10, 9),
                             rgb(0x20, 0x10, 2)};
    const SearchPalette search(palette);
    const std::vector<Color> expected = {0,
                                         kOpaque | rgb(0x10, 0x10, 9),
                                         kOpaque | rgb(0x20, 0x10, 3),
                                         kOpaque | rgb(0x20, 0x10, 1),
                                         kOpaque | rgb(0x20, 0x10, 2),
                                         kOpaque | rgb(0x05, 0x80, 0),
                                         0};
    EXPECT_EQ(search.entries(), expected);
    // Green 0x10 runs over entries 1..4: index (1 + 5) >> 1. Greens without
    // entries point to the first entry with a greater green.
    EXPECT_EQ(search.greenIndex()[0x10], 3);
    EXPECT_EQ(search.greenIndex()[0x00], 1);
    EXPECT_EQ(search.greenIndex()[0x11], 5);
    EXPECT_EQ(search.greenIndex()[0x80], 5);  // (5 + 6) >> 1
    EXPECT_EQ(search.greenIndex()[0xFF], 6);
}

TEST(SearchPalette, FindsTheCgaWorkedExamples) {
    const SearchPalette cga(fixedPalette(QuantizeMethod::Cga16));
    EXPECT_EQ(cga.nearest(0xFFFFFF), kOpaque | 0xFFFFFFu);
    // grey 128: 42^2 * (2048 + 1322 + 1236) = 8,124,984 to AAAAAA against
    // 43^2 * (2048 + 1237 + 1321) = 8,516,494 to 555555.
    EXPECT_EQ(colorDistance(0x808080, 0xAAAAAA), 8124984u);
    EXPECT_EQ(colorDistance(0x808080, 0x555555), 8516494u);
    EXPECT_EQ(cga.nearest(0x808080), kOpaque | 0xAAAAAAu);
}

TEST(SearchPalette, DegeneratePalettes) {
    // One colour is found from either side of the index.
    const SearchPalette one({rgb(10, 200, 30)});
    for (Color c : {0x000000u, 0xFFFFFFu, 0x00C800u, 0x12345678u})
        EXPECT_EQ(one.nearest(c), kOpaque | rgb(10, 200, 30));

    // All greens 0: index[0] is the middle of the list and the upward walk
    // runs into the end marker.
    const Palette flat = {rgb(0, 0, 0), rgb(255, 0, 0), rgb(0, 0, 255), rgb(128, 0, 128), rgb(60, 0, 200)};
    const SearchPalette search(flat);
    EXPECT_EQ(search.greenIndex()[0], 3);
    for (Color c : {0x00FF00u, 0x7F7F7Fu, 0x0000FEu, 0xC80032u, 0xFFFFFFu})
        EXPECT_EQ(colorDistance(search.nearest(c), c), test::bruteForceDistance(flat, c)) << std::hex << c;

    EXPECT_EQ(SearchPalette({}).nearest(0x123456), 0u);
    const SearchPalette none({});
    NearestTable noTable(none);
    EXPECT_EQ(noTable.nearest(0x123456), 0u);
}

TEST(SearchPalette, MatchesTheReferenceWalkAndBruteForce) {
    std::mt19937 rng(11);
    for (int size : {1, 2, 7, 16, 64, 255, 256, 1000}) {
        Palette palette = randomPalette(size, static_cast<std::uint32_t>(size));
        // Duplicates and equal sort keys exercise the tie rules.
        if (size > 4) {
            palette[1] = palette[0];
            palette[3] = (palette[2] & 0xFFFF) | ((palette[2] + 0x10000) & 0xFF0000);
        }
        const SearchPalette fast(palette);
        const test::ReferenceSearch reference(palette);
        for (int i = 0; i < 4000; ++i) {
            const Color c = rng();
            const Color q = fast.nearest(c);
            ASSERT_EQ(q, reference.nearest(c)) << "size " << size << " colour " << std::hex << c;
            ASSERT_EQ(colorDistance(q, c), test::bruteForceDistance(palette, c));
        }
    }
}

TEST(NearestTable, MatchesTheWalkEverywhere) {
    // Palettes with duplicates, equal sort keys, exact ties (entries at the
    // same distance on either side of a colour) and a flat green.
    std::vector<Palette> palettes = {{rgb(100, 100, 90), rgb(100, 100, 110), rgb(90, 100, 100), rgb(110, 100, 100)},
                                     {rgb(0, 0, 0), rgb(255, 0, 0), rgb(0, 0, 255), rgb(128, 0, 128)},
                                     {rgb(7, 8, 9)},
                                     fixedPalette(QuantizeMethod::Cga16),
                                     fixedPalette(QuantizeMethod::TruColor256),
                                     fixedPalette(QuantizeMethod::Human256)};
    for (int size : {3, 50, 256, 1000})
        palettes.push_back(randomPalette(size, 40 + static_cast<std::uint32_t>(size)));
    palettes.back()[7] = palettes.back()[3];
    std::mt19937 rng(17);
    for (const Palette& palette : palettes) {
        const SearchPalette search(palette);
        NearestTable table(search);
        std::vector<Color> colors;
        for (int i = 0; i < 20000; ++i)
            colors.push_back(rng() & kColorMask);
        // Around every entry, where ties and cube borders are most likely.
        for (Color p : palette)
            for (int d = -6; d <= 6; ++d)
                for (int channel = 0; channel < 3; ++channel) {
                    const int v = std::clamp(static_cast<int>((p >> (8 * channel)) & 0xFF) + d, 0, 255);
                    colors.push_back((p & ~(0xFFu << (8 * channel)) & kColorMask) | (static_cast<Color>(v) << (8 * channel)));
                }
        for (int pass = 0; pass < 2; ++pass)  // the second pass reads remembered results
            for (Color c : colors) {
                const Color expected = search.nearest(c);
                ASSERT_EQ(table.nearest(c | 0xAB000000u), expected) << palette.size() << " " << std::hex << c;
            }
    }
}

TEST(NearestTable, PlacesEveryColourOnceWithCubesTogether) {
    std::vector<bool> used(std::size_t{1} << 24);
    for (Color c = 0; c < (1u << 24); ++c) {
        const std::uint32_t place = NearestTable::placeOf(c);
        ASSERT_LT(place, 1u << 24);
        ASSERT_FALSE(used[place]) << std::hex << c;
        used[place] = true;
        // The 4-value and 16-value cubes holding c.
        ASSERT_EQ(place >> 6, NearestTable::placeOf(c & 0xFCFCFCu) >> 6);
        ASSERT_EQ(place >> 12, NearestTable::placeOf(c & 0xF0F0F0u) >> 12);
    }
}

TEST(NearestTable, RemembersEveryColourOfADecidedCube) {
    // The first colour asked of a cube decides its neighbours too; every
    // colour of a 64 x 64 x 64 block must read back what the walk finds,
    // including the last entry of a full 256-colour palette.
    Palette ties = {rgb(100, 100, 90), rgb(100, 100, 110), rgb(90, 100, 100), rgb(110, 100, 100), rgb(100, 101, 100)};
    Palette full = randomPalette(256, 3);
    full[200] = full[17];
    full[255] = rgb(120, 110, 100);
    for (const Palette& palette : {ties, full, fixedPalette(QuantizeMethod::Human256), fixedPalette(QuantizeMethod::Cga16)}) {
        const SearchPalette search(palette);
        NearestTable table(search);
        for (int pass = 0; pass < 2; ++pass)
            for (int r = 72; r < 136; ++r)
                for (int g = 72; g < 136; ++g)
                    for (int b = 72; b < 136; ++b) {
                        const Color c = rgb(r, g, b);
                        ASSERT_EQ(table.nearest(c), search.nearest(c)) << palette.size() << " " << std::hex << c;
                    }
    }
}

TEST(Remap, PalettesFullOfRepeatedColoursKeepTheWalksChoice) {
    // Dozens of entries tie for every colour, among them different colours
    // at the same distance (blue 90 and 110 around 100): the one the walk
    // meets first must win.
    Palette palette;
    const Color repeated[] = {rgb(200, 120, 40), rgb(100, 100, 90), rgb(100, 100, 110), rgb(90, 60, 90)};
    for (int i = 0; i < 240; ++i)
        palette.push_back(repeated[i % 4]);
    Image source = test::photoLikeImage(40, 30, 32, 12);
    for (int x = 0; x < 40; ++x)
        source.setPixel(x, 0, rgb(100, 100 + x % 3 - 1, 100));
    for (bool dither : {false, true}) {
        Image fast = source;
        remap(fast, fast.rect(), palette, RemapOptions{dither});
        EXPECT_TRUE(fast == test::referenceRemap(source, palette, dither ? kDiffusionStrength : 0)) << dither;
    }
}

TEST(Remap, ColoursAlreadyInThePaletteStay) {
    for (int depth : {24, 32}) {
        const Palette palette = randomPalette(200, 5);
        std::mt19937 rng(6);
        Image image(37, 23, depth);
        for (std::size_t i = 0; i < image.pixelCount(); ++i)
            image.data()[i] = palette[rng() % palette.size()] | (depth == 32 ? (rng() << 24) : 0u);
        Image mapped = image;
        remap(mapped, mapped.rect(), palette);
        EXPECT_TRUE(mapped == image) << depth;
    }
}

TEST(Remap, MatchesTheReferencePassWithAndWithoutDiffusion) {
    // Odd sizes, 32-bit so that alpha must survive, several palette sizes.
    const Image source = test::photoLikeImage(61, 47, 32, 3);
    for (int size : {2, 16, 256}) {
        const Palette palette = randomPalette(size, 100 + static_cast<std::uint32_t>(size));
        for (bool dither : {false, true}) {
            Image fast = source;
            remap(fast, fast.rect(), palette, RemapOptions{dither});
            EXPECT_TRUE(fast == test::referenceRemap(source, palette, dither ? kDiffusionStrength : 0))
                << size << " " << dither;
        }
    }
}

TEST(Remap, AwkwardSizesMatchTheReferencePass) {
    // Rows are diffused several at a time; narrow and short images and
    // leftover rows must come out as a row-by-row pass gives them.
    for (int width : {1, 2, 3, 4, 5, 9})
        for (int height : {1, 3, 4, 6, 9}) {
            const Image source = test::randomImage(width, height, 32, static_cast<std::uint32_t>(width * 16 + height));
            for (int size : {2, 100}) {
                const Palette palette = randomPalette(size, static_cast<std::uint32_t>(size));
                Image fast = source;
                remap(fast, fast.rect(), palette, RemapOptions{true});
                ASSERT_TRUE(fast == test::referenceRemap(source, palette, kDiffusionStrength))
                    << width << "x" << height << " " << size;
            }
        }
}

TEST(Remap, EveryDiffusionStrengthMatchesTheReferencePass) {
    // The vector steps scale the error sum in 16 bits; the extreme
    // strengths and those it does not take must give the plain results.
    const Image source = test::photoLikeImage(23, 11, 32, 4);
    const Palette palette = randomPalette(40, 9);
    const SearchPalette search(palette);
    for (int strength : {1, 37, 127, 128, 200, 255, 256, 300}) {
        Image fast = source;
        remapPass(fast, fast.rect(), search, strength);
        ASSERT_TRUE(fast == test::referenceRemap(source, palette, strength)) << strength;
    }
}

TEST(Remap, AnAreaIsMappedAsAnImageOfItsOwn) {
    const Image source = test::photoLikeImage(50, 40, 32, 8);
    const Palette palette = fixedPalette(QuantizeMethod::Ega64);
    const Rect area{7, 5, 36, 30};
    for (bool dither : {false, true}) {
        Image image = source;
        remap(image, area, palette, RemapOptions{dither});
        Image expected = source;
        expected.paste(test::referenceRemap(source.copy(area), palette, dither ? kDiffusionStrength : 0), area.left,
                       area.top);
        EXPECT_TRUE(image == expected) << dither;

        // An area covering the whole image is the whole-image path.
        Image whole = source, viaArea = source;
        remap(whole, whole.rect(), palette, RemapOptions{dither});
        remap(viaArea, Rect{-5, -5, 100, 100}, palette, RemapOptions{dither});
        EXPECT_TRUE(whole == viaArea);
    }
}

TEST(Remap, DiffusionSpreadsHalfTheErrorToTheRightAndBelow) {
    // Grey 100 against a black-and-white palette: the first pixel maps to
    // black with t = 100, e = 50; its right neighbour reads
    // 100 + floor((0 + 50) / 2) = 125, still black, e = 62; the pixel below
    // the first reads 100 + floor(floor(50 / 2) / 2) = 112.
    Image image(2, 2, 24, rgb(100, 100, 100));
    const Palette bw = {0x000000, 0xFFFFFF};
    remap(image, image.rect(), bw, RemapOptions{true});
    EXPECT_EQ(image.pixel(0, 0), 0u);
    EXPECT_EQ(image.pixel(1, 0), 0u);
    // (0, 1): t = 112, black, e = 56 -> (1, 1): up = floor((62 + 50) / 2) = 56,
    // t = 100 + floor((56 + 56) / 2) = 156 -> white.
    EXPECT_EQ(image.pixel(0, 1), 0u);
    EXPECT_EQ(image.pixel(1, 1), 0xFFFFFFu);

    // An empty palette changes nothing.
    Image untouched = test::randomImage(5, 5, 32, 1);
    const Image before = untouched;
    remap(untouched, untouched.rect(), {}, RemapOptions{true});
    EXPECT_TRUE(untouched == before);
}

}  // namespace
}  // namespace tarnel
