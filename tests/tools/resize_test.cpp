#include "tools/resize.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "common/test_images.h"
#include "common/thread_check.h"

namespace tarnel {
namespace {

// One pass of the resampling written out plainly, pixel by pixel and
// channel by channel: weights in double, normalised, applied as floats and
// summed in source order.
Image referencePass(const Image& src, int newLength, bool horizontal) {
    const int oldLength = horizontal ? src.width() : src.height();
    const double s = static_cast<double>(newLength) / oldLength;
    const double radius = s < 1.0 ? 2.0 / s : 2.0;
    Image out(horizontal ? newLength : src.width(), horizontal ? src.height() : newLength, src.depth());
    for (int i = 0; i < newLength; ++i) {
        const double e = (i + 0.5) / s - 0.5;
        const int j0 = std::max(0, static_cast<int>(std::floor(e - radius)));
        const int j1 = std::min(oldLength - 1, static_cast<int>(std::ceil(e + radius)));
        std::vector<double> w;
        double sum = 0;
        for (int j = j0; j <= j1; ++j) {
            w.push_back(mitchellKernel(s < 1.0 ? (j - e) * s : j - e));
            sum += w.back();
        }
        if (sum > 0 && sum != 1)
            for (double& v : w) v /= sum;
        const int across = horizontal ? src.height() : src.width();
        for (int t = 0; t < across; ++t) {
            Color result = 0;
            for (int shift = 0; shift < 32; shift += 8) {
                float acc = 0.0f;
                for (int j = j0; j <= j1; ++j) {
                    const Color p = horizontal ? src.pixel(j, t) : src.pixel(t, j);
                    acc += static_cast<float>(w[j - j0]) * static_cast<float>((p >> shift) & 0xFF);
                }
                const int v = std::clamp(static_cast<int>(acc + 0.5f), 0, 255);
                result |= static_cast<Color>(v) << shift;
            }
            if (horizontal)
                out.setPixel(i, t, result);
            else
                out.setPixel(t, i, result);
        }
    }
    return out;
}

Image referenceMitchell(const Image& src, int w, int h) {
    if (w == src.width() && h == src.height()) return src;
    if (w == src.width()) return referencePass(src, h, false);
    if (h == src.height()) return referencePass(src, w, true);
    if (static_cast<long long>(h) * src.width() < static_cast<long long>(w) * src.height())
        return referencePass(referencePass(src, h, false), w, true);
    return referencePass(referencePass(src, w, true), h, false);
}

void expectSame(const Image& got, const Image& want, const char* what) {
    ASSERT_EQ(got.width(), want.width()) << what;
    ASSERT_EQ(got.height(), want.height()) << what;
    ASSERT_EQ(got.depth(), want.depth()) << what;
    for (int y = 0; y < got.height(); ++y)
        for (int x = 0; x < got.width(); ++x)
            ASSERT_EQ(got.pixel(x, y), want.pixel(x, y)) << what << " at " << x << "," << y;
}

TEST(Mitchell, KernelValues) {
    EXPECT_DOUBLE_EQ(mitchellKernel(0.0), 8.0 / 9.0);
    EXPECT_NEAR(mitchellKernel(1.0), 1.0 / 18.0, 1e-12);
    EXPECT_NEAR(mitchellKernel(-1.0), 1.0 / 18.0, 1e-12);
    EXPECT_NEAR(mitchellKernel(std::nextafter(1.0, 0.0)), 1.0 / 18.0, 1e-12);  // continuous at 1
    EXPECT_NEAR(mitchellKernel(std::nextafter(2.0, 0.0)), 0.0, 1e-12);
    EXPECT_EQ(mitchellKernel(2.0), 0.0);
    EXPECT_LT(mitchellKernel(1.5), 0.0);  // the negative lobe
    // Integer shifts sum to one: k(0) + 2 k(1) = 1.
    EXPECT_NEAR(mitchellKernel(0.0) + 2 * mitchellKernel(1.0), 1.0, 1e-12);
}

// Sizes around awkward ratios, both pass orders, one axis only, 1-pixel sides.
TEST(Mitchell, MatchesThePlainPassesOnRandomImages) {
    const int sizes[][4] = {{17, 11, 34, 22}, {17, 11, 8, 5}, {33, 9, 7, 40}, {9, 33, 40, 7}, {20, 20, 31, 13},
                            {12, 7, 12, 19},  {12, 7, 5, 7},  {1, 1, 6, 4},   {6, 4, 1, 1},   {7, 1, 15, 2},
                            {64, 48, 16, 12}, {5, 80, 5, 3},  {45, 2, 44, 3}};
    std::uint32_t seed = 1;
    for (const auto& s : sizes) {
        const Image src = test::randomImage(s[0], s[1], 32, seed++);
        expectSame(resampleMitchell(src, s[2], s[3]), referenceMitchell(src, s[2], s[3]), "random");
    }
    const Image photo = test::photoLikeImage(70, 50, 32, 3);
    expectSame(resampleMitchell(photo, 140, 100), referenceMitchell(photo, 140, 100), "photo up");
    expectSame(resampleMitchell(photo, 35, 25), referenceMitchell(photo, 35, 25), "photo down");
}

// So many source rows per output that converted rows are not kept.
TEST(Mitchell, ManyTapsPerOutputRow) {
    const Image src = test::randomImage(4096, 1100, 32, 21);
    expectSame(resampleMitchell(src, 4096, 2), referencePass(src, 2, false), "tall shrink");
}

TEST(Mitchell, SameSizeIsIdentityAndOneAxisKeepsTheOther) {
    const Image src = test::randomImage(13, 9, 32, 2);
    EXPECT_TRUE(resampleMitchell(src, 13, 9) == src);
    EXPECT_TRUE(resampleMitchell(src, 0, -1) == src);  // non-positive sides keep their length
    EXPECT_TRUE(smoothResize(src, 13, 9) == src);

    // Rows of one colour each: a width change must not mix rows.
    Image rows(10, 6, 32);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 10; ++x) rows.setPixel(x, y, rgba(40 * y, 255 - 30 * y, 7 * y, 255 - y));
    const Image wider = resampleMitchell(rows, 23, 0);
    ASSERT_EQ(wider.height(), 6);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 23; ++x) ASSERT_EQ(wider.pixel(x, y), rows.pixel(0, y));
}

TEST(Mitchell, FlatImagesStayFlatAndAlphaIsFiltered) {
    const Image flat(21, 14, 32, rgba(10, 128, 255, 77));
    for (auto [w, h] : {std::pair{5, 3}, {60, 41}, {1, 1}, {21, 100}}) {
        const Image out = resampleMitchell(flat, w, h);
        ASSERT_EQ(out.width(), w);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) ASSERT_EQ(out.pixel(x, y), flat.pixel(0, 0));
    }
    // An alpha edge softens like the colours do.
    Image edge(8, 1, 32, rgba(0, 0, 0, 0));
    for (int x = 4; x < 8; ++x) edge.setPixel(x, 0, rgba(0, 0, 0, 255));
    const Image out = resampleMitchell(edge, 16, 1);
    EXPECT_GT(alphaOf(out.pixel(7, 0)), 0);
    EXPECT_LT(alphaOf(out.pixel(8, 0)), 255);
}

TEST(AreaAverage, AveragesCoveredPixelsWithHalvesToEven) {
    // 3 -> 2: output 0 takes source 0 twice as much as source 1.
    Image row(3, 1, 24);
    row.setPixel(0, 0, rgb(30, 0, 255));
    row.setPixel(1, 0, rgb(60, 3, 0));
    row.setPixel(2, 0, rgb(90, 255, 255));
    const Image two = stretchAreaAverage(row, 2, 1);
    EXPECT_EQ(two.pixel(0, 0), rgb(40, 1, 170));
    EXPECT_EQ(two.pixel(1, 0), rgb(80, 171, 170));

    // 2 x 2 -> 1 x 1: (0 + 1 + 0 + 1) / 4 = 0.5 -> 0; (1 + 2 + 1 + 2) / 4 = 1.5 -> 2.
    Image square(2, 2, 24);
    square.setPixel(0, 0, rgb(0, 1, 9));
    square.setPixel(1, 0, rgb(1, 2, 9));
    square.setPixel(0, 1, rgb(0, 1, 9));
    square.setPixel(1, 1, rgb(1, 2, 10));
    EXPECT_EQ(stretchAreaAverage(square, 1, 1).pixel(0, 0), rgb(0, 2, 9));

    // Whole-number enlargement repeats pixels; the top byte is cleared.
    const Image src = test::randomImage(5, 4, 24, 6);
    const Image big = stretchAreaAverage(src, 15, 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 15; ++x) ASSERT_EQ(big.pixel(x, y), src.pixel(x / 3, y / 2) & kColorMask);
    EXPECT_EQ(big.depth(), 24);
}

// The area average written out directly: every source pixel's overlap with
// the output cell, in units where the source is newWidth wide per pixel.
Image referenceAreaAverage(const Image& src, int w, int h) {
    Image out(w, h, src.depth());
    const long long sw = src.width(), sh = src.height();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            unsigned long long sums[3] = {};
            for (int j = 0; j < sh; ++j) {
                const long long oy =
                    std::max(0LL, std::min((y + 1) * sh, (j + 1) * (long long)h) - std::max(y * sh, j * (long long)h));
                for (int i = 0; oy && i < sw; ++i) {
                    const long long ox = std::max(
                        0LL, std::min((x + 1) * sw, (i + 1) * (long long)w) - std::max(x * sw, i * (long long)w));
                    const Color c = src.pixel(i, j);
                    sums[0] += ox * oy * redOf(c);
                    sums[1] += ox * oy * greenOf(c);
                    sums[2] += ox * oy * blueOf(c);
                }
            }
            const unsigned long long total = sw * sh;
            int v[3];
            for (int c = 0; c < 3; ++c) {
                unsigned long long q = sums[c] / total, r = sums[c] % total;
                if (2 * r > total || (2 * r == total && q % 2 == 1)) ++q;
                v[c] = static_cast<int>(q);
            }
            out.setPixel(x, y, rgb(v[0], v[1], v[2]));
        }
    return out;
}

TEST(AreaAverage, MatchesTheDirectSumOnRandomImages) {
    const int sizes[][4] = {{17, 11, 34, 22}, {17, 11, 8, 5}, {33, 9, 7, 40}, {1, 1, 6, 4}, {6, 4, 1, 1}, {7, 3, 7, 5}};
    std::uint32_t seed = 40;
    for (const auto& s : sizes) {
        const Image src = test::randomImage(s[0], s[1], 24, seed++);
        expectSame(stretchAreaAverage(src, s[2], s[3]), referenceAreaAverage(src, s[2], s[3]), "area");
    }
}

TEST(SmoothResize, PicksTheFilterByDepth) {
    const Image rgbImage = test::randomImage(9, 7, 24, 12);
    EXPECT_TRUE(smoothResize(rgbImage, 18, 3) == stretchAreaAverage(rgbImage, 18, 3));
    EXPECT_TRUE(smoothResize(rgbImage, 9, 0) == rgbImage);
    const Image rgbaImage = test::randomImage(9, 7, 32, 12);
    EXPECT_TRUE(smoothResize(rgbaImage, 18, 3) == resampleMitchell(rgbaImage, 18, 3));
    EXPECT_TRUE(smoothResize(Image(), 5, 5).isNull());
}

TEST(SmoothResize, Goldens) {
    Image photo32 = test::testPhoto();
    photo32.setDepth(32);
    for (int y = 0; y < photo32.height(); ++y)
        for (int x = 0; x < photo32.width(); ++x) photo32.row(y)[x] |= static_cast<Color>(255 - x) << 24;
    test::expectGolden("resize_mitchell_up_150x100", smoothResize(photo32, 150, 100));
    test::expectGolden("resize_mitchell_down_40x27", smoothResize(photo32, 40, 27));
    test::expectGolden("resize_area_up_150x100", smoothResize(test::testPhoto(), 150, 100));
    test::expectGolden("resize_area_down_40x27", smoothResize(test::testPhoto(), 40, 27));
}

TEST(SmoothResize, ThreadsGiveTheOneThreadPixels) {
    // Both filters (by depth), each axis alone, both in either order, and a
    // shrink strong enough to need the plain vertical sum.
    for (int depth : {24, 32})
        for (const auto& [w, h] : {std::pair{3, 0}, std::pair{0, 5}, std::pair{7, 11}, std::pair{200, 2},
                                   std::pair{2, 150}, std::pair{1, 300}}) {
            SCOPED_TRACE(testing::Message() << depth << ": " << w << " x " << h);
            test::expectThreadsMatchOneThread([w = w, h = h](Image im) { return smoothResize(im, w, h); }, depth);
        }
    test::expectThreadsMatchOneThread([](Image im) { return resampleMitchell(im, 1, 1); }, 32);
}

}  // namespace
}  // namespace tarnel
