#include "quantize/color_count.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

#include "common/test_images.h"
#include "core/parallel.h"

namespace tarnel {
namespace {

TEST(CountColors, SmallCases) {
    EXPECT_EQ(countColors(Image(1, 1, 24, 0x123456)), 1);
    EXPECT_EQ(countColors(Image(317, 211, 24, 0xFFFFFF)), 1);
    EXPECT_EQ(countColors(Image()), 0);

    // Same colour, different alpha: one colour.
    Image alpha(2, 1, 32);
    alpha.setPixel(0, 0, 0x00FF0000u);
    alpha.setPixel(1, 0, 0xFFFF0000u);
    EXPECT_EQ(countColors(alpha), 1);
}

TEST(CountColors, EveryColourOnce) {
    Image all(4096, 4096, 24);
    for (std::uint32_t v = 0; v < (1u << 24); ++v)
        all.data()[v] = v ^ 0x5A5A5A;  // not in ascending order
    EXPECT_EQ(countColors(all), 1 << 24);
}

TEST(CountColors, MatchesASetAndCountsOnlyTheArea) {
    const Image image = test::randomImage(53, 41, 32, 4);
    // Few distinct colours, repeated in runs and across rows.
    Image runs(53, 41, 32);
    for (int y = 0; y < runs.height(); ++y)
        for (int x = 0; x < runs.width(); ++x)
            runs.setPixel(x, y, image.pixel((x / 5) % 7, y % 3));

    for (const Image* img : {&image, static_cast<const Image*>(&runs)}) {
        const Rect area{3, 9, 40, 30};
        std::set<Color> whole, inArea;
        for (int y = 0; y < img->height(); ++y)
            for (int x = 0; x < img->width(); ++x) {
                whole.insert(img->pixel(x, y) & kColorMask);
                if (area.contains(x, y))
                    inArea.insert(img->pixel(x, y) & kColorMask);
            }
        EXPECT_EQ(countColors(*img), static_cast<int>(whole.size()));
        EXPECT_EQ(countColors(*img, area), static_cast<int>(inArea.size()));
        EXPECT_EQ(countColors(*img, Rect{-10, -10, 1000, 1000}), static_cast<int>(whole.size()));
        EXPECT_EQ(countColors(*img, Rect{60, 0, 70, 10}), 0);
    }
}

TEST(CountColors, LargeAreasCountedAfterMarkingMatchASortedList) {
    // Large areas set bits first and count them at the end; smaller ones
    // count as they go. Both must agree with a plain distinct count, with
    // alpha varying and colours repeating in and across rows.
    Image image = test::randomImage(613, 457, 32, 21);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((x / 3 + y) % 4 != 0)
                image.setPixel(x, y, (image.pixel(x, y) & 0xFFE0F0C0u) ^ (static_cast<Color>(x) << 24));
    const auto distinct = [&image](const Rect& area) {
        std::vector<Color> colors;
        for (int y = area.top; y <= area.bottom; ++y)
            for (int x = area.left; x <= area.right; ++x)
                colors.push_back(image.pixel(x, y) & kColorMask);
        std::sort(colors.begin(), colors.end());
        return static_cast<int>(std::unique(colors.begin(), colors.end()) - colors.begin());
    };
    for (const Rect& area : {image.rect(), Rect{5, 3, 600, 450}, Rect{1, 1, 511, 510}, Rect{0, 0, 511, 511},
                             Rect{7, 2, 300, 200}})
        EXPECT_EQ(countColors(image, intersected(area, image.rect())), distinct(intersected(area, image.rect())))
            << area.left << "," << area.top << " " << area.right << "," << area.bottom;
}

TEST(CountColors, ThreadsCountAsOneThread) {
    // Only areas large enough to be marked and counted after are split.
    for (const auto& [w, h] : {std::pair{1, 262147}, std::pair{262147, 1}, std::pair{521, 523}}) {
        const Image image = test::randomImage(w, h, 24, 3);
        for (const Rect& area : {image.rect(), Rect{0, 1, w / 2 + 1, h - 1}}) {
            SCOPED_TRACE(testing::Message() << w << " x " << h << ", area " << area.width() << " x " << area.height());
            int one = 0, three = 0;
            {
                const ThreadingForTest threads(1, 0);
                one = countColors(image, area);
            }
            {
                const ThreadingForTest threads(3, 0);
                three = countColors(image, area);
            }
            EXPECT_EQ(three, one);
        }
    }
}

}  // namespace
}  // namespace tarnel
