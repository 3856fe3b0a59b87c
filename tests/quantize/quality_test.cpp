#include "quantize/quality.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tarnel {
namespace {

Image twoPixels(Color left, Color right) {
    Image image(2, 1, 24);
    image.setPixel(0, 0, left);
    image.setPixel(1, 0, right);
    return image;
}

TEST(Quality, IdenticalImagesHaveInfinitePsnrAndNoDifference) {
    const Image image = twoPixels(rgb(10, 20, 30), rgb(200, 100, 0));
    Image sameColours = image;
    sameColours.setPixel(1, 0, rgba(200, 100, 0, 77));  // the top byte does not count
    const QualityReport r = measureQuality(image, sameColours);
    EXPECT_TRUE(std::isinf(r.psnr));
    EXPECT_EQ(r.meanDeltaE, 0.0);
    EXPECT_EQ(r.maxDeltaE, 0.0);
    EXPECT_EQ(r.colors, 2);
}

TEST(Quality, HandComputedValues) {
    // One channel off by one in one of two pixels: MSE = 1 / 6,
    // PSNR = 10 log10(255^2 * 6) = 55.9123 dB.
    const QualityReport offByOne = measureQuality(twoPixels(rgb(10, 20, 30), rgb(40, 50, 60)),
                                                  twoPixels(rgb(10, 20, 30), rgb(40, 51, 60)));
    EXPECT_NEAR(offByOne.psnr, 55.9123, 1e-4);
    EXPECT_GT(offByOne.maxDeltaE, 0.0);
    EXPECT_NEAR(offByOne.meanDeltaE, offByOne.maxDeltaE / 2, 1e-9);

    // Black against white is L* 0 against 100: delta E 100 in one pixel of
    // two; every channel off by 255 there gives MSE 255^2 / 2, PSNR 3.0103.
    const QualityReport blackWhite =
        measureQuality(twoPixels(rgb(0, 0, 0), rgb(5, 5, 5)), twoPixels(rgb(255, 255, 255), rgb(5, 5, 5)));
    EXPECT_NEAR(blackWhite.maxDeltaE, 100.0, 0.01);
    EXPECT_NEAR(blackWhite.meanDeltaE, 50.0, 0.01);
    EXPECT_NEAR(blackWhite.psnr, 3.0103, 1e-4);

    // sRGB red is L* 53.24, a* 80.09, b* 67.20: 117.33 from black.
    const Lab red = labOf(rgb(255, 0, 0));
    EXPECT_NEAR(red.l, 53.24, 0.01);
    EXPECT_NEAR(red.a, 80.09, 0.01);
    EXPECT_NEAR(red.b, 67.20, 0.01);
    EXPECT_NEAR(measureQuality(twoPixels(0, 0), twoPixels(rgb(255, 0, 0), 0)).maxDeltaE, 117.33, 0.01);
}

}  // namespace
}  // namespace tarnel
