#include "tools/size_fields.h"

#include <climits>

#include <gtest/gtest.h>

#include "common/test_images.h"
#include "core/field_value.h"

namespace tarnel {
namespace {

TEST(FieldValue, LeadingDecimalNumberSaturating) {
    const struct {
        const char* text;
        int value;
    } cases[] = {{"", 0},           {"abc", 0},         {"-5", 0},          {"12ab", 12},
                 {"  7", 7},        {"2147483647", INT_MAX}, {"2147483648", INT_MAX},
                 {"99999999999", INT_MAX}};
    for (const auto& c : cases) EXPECT_EQ(fieldValue(c.text), c.value) << c.text;
    EXPECT_EQ(clampDialogSide(fieldValue("99999999999")), kDialogMaxSide);
}

TEST(SizeFields, TheUsersEditRewritesTheOtherFieldByTheRatioNotedAtOpening) {
    const struct {
        int w, h;
        bool editWidth;
        const char* typed;
        const char* width;
        const char* height;
    } cases[] = {
        {800, 600, true, "400", "400", "300"},
        {800, 600, false, "150", "200", "150"},
        {1000, 333, true, "1", "1", "0"},  // the rewrite does not tie back into the width
        {1000, 333, true, "1000", "1000", "333"},
        {1000, 333, false, "333", "1000", "333"},
        {4, 2, true, "5", "5", "2"},  // 2.5: halves to even
        {4, 2, true, "7", "7", "4"},  // 3.5
        {800, 600, true, "abc", "abc", "0"},
        {600, 800, true, "99999999999", "99999999999", "2147483647"},
    };
    for (const auto& c : cases) {
        SizeFields fields(c.w, c.h);
        ASSERT_TRUE(fields.keepAspect());
        c.editWidth ? fields.editWidth(c.typed) : fields.editHeight(c.typed);
        EXPECT_EQ(fields.widthText(), c.width) << c.w << " x " << c.h << " typed " << c.typed;
        EXPECT_EQ(fields.heightText(), c.height) << c.w << " x " << c.h << " typed " << c.typed;
    }
}

TEST(SizeFields, ResizeOkClampsAndDoesNotEnforceTheRatio) {
    const struct {
        const char *width, *height;
        ImageSize expected;
    } cases[] = {{"100", "50", {100, 50}}, {"10", "10", {16, 16}}, {"5000", "2", {4096, 16}}, {"x", "", {16, 16}}};
    for (const auto& c : cases) {
        SizeFields fields(800, 600);
        fields.setKeepAspect(false);
        fields.editWidth(c.width);
        fields.editHeight(c.height);
        EXPECT_EQ(resizeImageSize(fields), c.expected) << c.width << " x " << c.height;
    }
}

TEST(SizeFields, CanvasPlacesTheImageByTheAnchorOnAnOpaque32BitCanvas) {
    const Image image = test::randomImage(100, 50, 24, 7);
    const Color red = 0x0000FF;
    const struct {
        int imageWidth;
        const char *width, *height;
        int anchor;
        int w, h, dx, dy;
    } cases[] = {
        {100, "121", "81", 5, 121, 81, 10, 15},  // odd differences truncate
        {100, "121", "81", 9, 121, 81, 21, 31},
        {100, "121", "81", 1, 121, 81, 0, 0},
        {100, "101", "50", 5, 101, 50, 0, 0},
        {100, "20", "20", 5, 100, 50, 0, 0},  // never smaller than the image
        {5000, "5000", "50", 5, 4096, 50, -452, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height << " anchor " << c.anchor);
        const Image source = c.imageWidth == 100 ? image : test::randomImage(c.imageWidth, 50, 24, 8);
        SizeFields fields(source.width(), source.height());
        fields.setKeepAspect(false);
        fields.editWidth(c.width);
        fields.editHeight(c.height);
        const Image out = resizeCanvasImage(source, fields, c.anchor, red);
        ASSERT_EQ(out.width(), c.w);
        ASSERT_EQ(out.height(), c.h);
        EXPECT_EQ(out.depth(), 32);
        for (int y = 0; y < out.height(); ++y)
            for (int x = 0; x < out.width(); ++x) {
                const bool inside = source.contains(x - c.dx, y - c.dy);
                const Color want = ((inside ? source.pixel(x - c.dx, y - c.dy) : red) & kColorMask) | 0xFF000000u;
                ASSERT_EQ(out.pixel(x, y), want) << x << ", " << y;
            }
    }
}

}  // namespace
}  // namespace tarnel
