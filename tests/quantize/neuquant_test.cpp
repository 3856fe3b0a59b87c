#include "quantize/neuquant.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "common/test_images.h"
#include "common/thread_check.h"
#include "quantize/dither.h"

namespace tarnel {
namespace {

int manhattan(Color a, Color b) {
    return std::abs(redOf(a) - redOf(b)) + std::abs(greenOf(a) - greenOf(b)) + std::abs(blueOf(a) - blueOf(b));
}

NeuQuantNetwork trainedOn(const Image& image, const Rect& area) {
    NeuQuantNetwork network;
    network.learn(image, area);
    network.finish();
    return network;
}

// The pixel-by-pixel mapping with the plain walk search: what every fast
// path must reproduce.
Image referenceMapping(const NeuQuantNetwork& network, Image image, const Rect& area, bool dither) {
    for (int y = area.top; y <= area.bottom; ++y)
        for (int x = area.left; x <= area.right; ++x) {
            const Color c = image.pixel(x, y);
            const Color read = dither ? ditherRead(image, x, y) : c;
            image.setPixel(x, y, (c & 0xFF000000u) | network.palette()[network.search(read)]);
        }
    return image;
}

TEST(NeuQuantSampling, SmallAreasArePresentedInFull) {
    // 10 x 10 = 100 pixels: every pixel once, stride 7, one phase per pixel.
    NeuQuantSampling s = neuquantSampling(10, 10);
    EXPECT_EQ(s.samplePixels, 100);
    EXPECT_EQ(s.delta, 1);
    EXPECT_EQ(s.strideX, 7);
    EXPECT_EQ(s.strideY, 0);

    // 3 x 3: stride 7 = two rows and one column; fewer than 100 pixels, so
    // the phases never advance.
    s = neuquantSampling(3, 3);
    EXPECT_EQ(s.samplePixels, 9);
    EXPECT_EQ(s.delta, 0);
    EXPECT_EQ(s.strideX, 1);
    EXPECT_EQ(s.strideY, 2);

    // A count that 7 divides would be walked through only n / 7 pixels
    // (a 7 x 7 area through its first pixel alone): stride 1 instead.
    s = neuquantSampling(7, 7);
    EXPECT_EQ(s.samplePixels, 49);
    EXPECT_EQ(s.strideX, 1);
    EXPECT_EQ(s.strideY, 0);
    s = neuquantSampling(2, 7);
    EXPECT_EQ(s.strideX, 1);
    EXPECT_EQ(s.strideY, 0);

    // Up to 7 pixels: stride 1.
    s = neuquantSampling(2, 3);
    EXPECT_EQ(s.samplePixels, 6);
    EXPECT_EQ(s.strideX, 1);
    EXPECT_EQ(s.strideY, 0);
    s = neuquantSampling(1, 1);
    EXPECT_EQ(s.samplePixels, 1);
    EXPECT_EQ(s.strideX, 1);
    EXPECT_EQ(s.strideY, 0);
}

TEST(NeuQuantSampling, LargerAreasStepByTheFirstPrimeNotDividingTheCount) {
    // 500 pixels, 5 wide: 499 = 99 rows and 4 columns; one in ten pixels;
    // 50 presentations give delta 0.
    NeuQuantSampling s = neuquantSampling(5, 100);
    EXPECT_EQ(s.samplePixels, 50);
    EXPECT_EQ(s.delta, 0);
    EXPECT_EQ(s.strideX, 4);
    EXPECT_EQ(s.strideY, 99);

    s = neuquantSampling(1000, 1000);
    EXPECT_EQ(s.samplePixels, 100000);
    EXPECT_EQ(s.delta, 1000);
    EXPECT_EQ(s.strideX, 499);
    EXPECT_EQ(s.strideY, 0);

    // Exactly 499 pixels is a multiple of 499: stride 491.
    s = neuquantSampling(499, 1);
    EXPECT_EQ(s.samplePixels, 49);
    EXPECT_EQ(s.strideX, 491);

    s = neuquantSampling(499, 491);
    EXPECT_EQ(s.samplePixels, 24500);
    EXPECT_EQ(s.delta, 245);
    EXPECT_EQ(s.strideX, 487);
    EXPECT_EQ(s.strideY, 0);

    s = neuquantSampling(499 * 491, 487);
    EXPECT_EQ(s.strideX, 503);
    EXPECT_EQ(s.strideY, 0);

    // A narrow area: 503 = 251 rows and 1 column.
    s = neuquantSampling(2, 499 * 491 * 487 / 2 + 1);
    EXPECT_EQ(s.strideX, 1);
    EXPECT_EQ(s.strideY, 249);  // 499 = 249 x 2 + 1 (the count is odd, not a multiple of 499)

    // The sample factor divides the presentations.
    s = neuquantSampling(1000, 1000, 1);
    EXPECT_EQ(s.samplePixels, 1000000);
    EXPECT_EQ(s.delta, 10000);
}

TEST(NeuQuant, TheWalkPresentsOnlyTheSampledPixels) {
    // 5 x 100 pixels, stride 499 (99 rows and 4 columns), 50 presentations:
    // pixel k x 499 mod 500 for k = 0..49, that is pixel 0 and pixels 451..499.
    const Image source = test::photoLikeImage(5, 100, 24, 3);
    const auto paletteOf = [](const Image& image) { return trainedOn(image, image.rect()).palette(); };
    const auto original = paletteOf(source);

    Image unseen = source;
    for (int i = 1; i <= 450; ++i) unseen.data()[i] ^= 0x00808080u;
    EXPECT_EQ(paletteOf(unseen), original);

    for (const int seen : {0, 451, 498, 499}) {
        Image changed = source;
        changed.data()[seen] ^= 0x00808080u;
        EXPECT_NE(paletteOf(changed), original) << "pixel " << seen;
    }
}

TEST(NeuQuant, SmallAreasLearnFromEveryPixel) {
    for (const int width : {3, 7, 9}) {  // 21 (a multiple of 7), 49 (7 x 7) and 81 pixels
        const Image source = test::photoLikeImage(width, width == 3 ? 7 : width, 24, 5);
        const auto original = trainedOn(source, source.rect()).palette();
        for (std::size_t i = 0; i < source.pixelCount(); ++i) {
            Image changed = source;
            changed.data()[i] ^= 0x00808080u;
            ASSERT_NE(trainedOn(changed, changed.rect()).palette(), original) << width << " wide, pixel " << i;
        }
    }
}

TEST(NeuQuant, OnePixelMovesTheWinnerAndItsNeighbours) {
    // Grey 100 presented once: p = 1600 per component. Neuron 100 sits on it
    // and wins; neighbours within 31 positions move by
    // (radpower[k] x (n - p)) >> 18 with radpower[k] = 256 (1024 - k^2).
    const Image image(1, 1, 24, rgb(100, 100, 100));
    const NeuQuantNetwork network = trainedOn(image, image.rect());
    const auto& palette = network.palette();
    EXPECT_EQ(palette[100], rgb(100, 100, 100));
    EXPECT_EQ(palette[101], rgb(100, 100, 100));  // 1616 - 15 = 1601 -> 100
    EXPECT_EQ(palette[116], rgb(104, 104, 104));  // 1856 - 192 = 1664 -> 104
    EXPECT_EQ(palette[131], rgb(129, 129, 129));  // 2096 - 30 = 2066 -> 129
    EXPECT_EQ(palette[132], rgb(132, 132, 132));  // out of reach
    EXPECT_EQ(palette[84], rgb(96, 96, 96));      // 1344 + 192 = 1536 -> 96
    EXPECT_EQ(palette[69], rgb(71, 71, 71));      // 1104 + 31 = 1135 -> 71
    EXPECT_EQ(palette[68], rgb(68, 68, 68));
    EXPECT_EQ(palette[0], rgb(0, 0, 0));
    EXPECT_EQ(palette[255], rgb(255, 255, 255));
}

TEST(NeuQuant, TheLastWinnersBiasHandsTheNextPresentationToItsNeighbour) {
    // Two presentations of (100, 100, 60) = p (1600, 1600, 960); alpha stays
    // 1024 (the winner lands on p) and the radius 32, radpower[k] = 256 (1024 - k^2).
    // First: neuron 100 is nearest (dist 640) and lands on p; bias[100] =
    // -65536, so it now contests with dist + 16. Neighbour 99 (1584 each)
    // moves to (1600, 1600, 961): blue 1584 - (624 x 261888 >> 18 = 623).
    // Second: neuron 100 is still nearest (dist 0, biased 16), but 99 wins
    // the biased contest (dist 1) and moves, so its reach is 68..130:
    //   neuron 68 (1088) moves for the first time: red 1088 + 32 = 1120
    //   (-512 x 16128 >> 18 = -32), blue 1088 - 7 = 1081 (128 x 16128 >> 18);
    //   neuron 131 keeps its first move: red 2096 - 30 = 2066, blue 2096 - 69 = 2027.
    // (Were the bias ignored, 100 would move again: 68 would stay 68 and 131 move on.)
    const Image image(2, 1, 24, rgb(100, 100, 60));
    const NeuQuantNetwork network = trainedOn(image, image.rect());
    const auto& palette = network.palette();
    EXPECT_EQ(palette[68], rgb(70, 70, 68));     // (1120 + 8) >> 4, (1081 + 8) >> 4
    EXPECT_EQ(palette[131], rgb(129, 129, 127));  // (2066 + 8) >> 4, (2027 + 8) >> 4
}

TEST(NeuQuant, OneColourImageMapsToTheNearestEntry) {
    Image image(40, 30, 24, rgb(200, 30, 90));
    const std::vector<Color> palette = neuquantQuantize(image, image.rect(), false);
    ASSERT_EQ(palette.size(), 256u);
    const Color out = image.pixel(0, 0);
    int best = 1000;
    for (Color c : palette) best = std::min(best, manhattan(c, rgb(200, 30, 90)));
    EXPECT_EQ(manhattan(out, rgb(200, 30, 90)), best);
    EXPECT_NE(std::find(palette.begin(), palette.end(), out), palette.end());
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) ASSERT_EQ(image.pixel(x, y), out);
}

// The walk must find the nearest neuron (Manhattan), and searchAll the same
// neuron as the walk, ties included.
TEST(NeuQuant, SearchFindsTheNearestNeuronAndSearchAllAgrees) {
    const Image flat(20, 20, 24, rgb(10, 250, 10));
    const Image noisy = test::randomImage(64, 64, 24, 5);
    for (const Image* image : {&test::testPhoto(), &flat, &noisy}) {
        const NeuQuantNetwork network = trainedOn(*image, image->rect());
        const auto& palette = network.palette();
        for (int r = 0; r < 256; r += 7)
            for (int g = 0; g < 256; g += 3)
                for (int b = 0; b < 256; b += 7) {
                    const Color c = rgb(r, g, b);
                    const int found = network.search(c);
                    int best = 1000;
                    for (Color p : palette) best = std::min(best, manhattan(p, c));
                    ASSERT_EQ(manhattan(palette[found], c), best) << std::hex << c;
                    ASSERT_EQ(network.searchAll(c), found) << std::hex << c;
                }
    }
}

TEST(NeuQuant, MappingEqualsThePlainSearchOfEveryPixel) {
    const Image source = test::photoLikeImage(301, 203, 32, 9);
    for (const bool dither : {false, true}) {
        for (const Rect area : {source.rect(), Rect{13, 7, 250, 190}}) {
            Image image = source;
            const std::vector<Color> palette = neuquantQuantize(image, area, dither);
            const NeuQuantNetwork network = trainedOn(source, area);
            ASSERT_TRUE(std::equal(palette.begin(), palette.end(), network.palette().begin()));
            EXPECT_TRUE(image == referenceMapping(network, source, area, dither)) << "dither " << dither;
        }
    }
}

TEST(NeuQuant, MappingOfManyColoursAndBlackEqualsThePlainSearch) {
    // Random colours fill the search memory with collisions; black and
    // 0x000001 are the memory's own starting values.
    Image source = test::randomImage(400, 300, 24, 21);
    for (int i = 0; i < 2000; i += 3) source.data()[i * 37] = i % 2 ? 0x000000u : 0x000001u;
    Image image = source;
    neuquantQuantize(image, image.rect(), false);
    EXPECT_TRUE(image == referenceMapping(trainedOn(source, source.rect()), source, source.rect(), false));
}

TEST(NeuQuant, AreaIsLearnedAndRewrittenAlone) {
    const Image source = test::photoLikeImage(120, 90, 32, 4);
    const Rect area{8, 12, 71, 59};  // left and top multiples of 4: the dither pattern lines up

    for (const bool dither : {false, true}) {
        Image image = source;
        const std::vector<Color> palette = neuquantQuantize(image, area, dither);
        Image part = source.copy(area);
        const std::vector<Color> partPalette = neuquantQuantize(part, part.rect(), dither);
        EXPECT_EQ(palette, partPalette);
        EXPECT_TRUE(image.copy(area) == part);
        for (int y = 0; y < source.height(); ++y)
            for (int x = 0; x < source.width(); ++x)
                if (!area.contains(x, y)) {
                    ASSERT_EQ(image.pixel(x, y), source.pixel(x, y)) << x << "," << y;
                }
    }
}

TEST(NeuQuant, KeepsTopBytesAndClipsTheArea) {
    const Image source = test::photoLikeImage(50, 40, 32, 2);
    Image whole = source;
    neuquantQuantize(whole, whole.rect(), true);
    Image clipped = source;
    neuquantQuantize(clipped, Rect{-10, -5, 200, 100}, true);
    EXPECT_TRUE(whole == clipped);
    for (std::size_t i = 0; i < source.pixelCount(); ++i)
        ASSERT_EQ(whole.data()[i] >> 24, source.data()[i] >> 24);

    Image untouched = source;
    EXPECT_TRUE(neuquantQuantize(untouched, Rect{60, 0, 70, 10}, false).empty());
    EXPECT_TRUE(untouched == source);
}

TEST(NeuQuant, Goldens) {
    Image plain = test::testPhoto();
    neuquantQuantize(plain, plain.rect(), false);
    test::expectGolden("neuquant_plain", plain);
    Image dithered = test::testPhoto();
    neuquantQuantize(dithered, dithered.rect(), true);
    test::expectGolden("neuquant_dither", dithered);
}

TEST(NeuQuant, MappingOnThreadsGivesTheOneThreadPixels) {
    for (bool dither : {false, true})
        test::expectThreadsMatchOneThread([dither](Image im) { return neuquantQuantize(im, im.rect(), dither), im; });
}

}  // namespace
}  // namespace tarnel
