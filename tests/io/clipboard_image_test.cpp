#include "io/clipboard_image.h"

#include <gtest/gtest.h>

namespace tarnel {
namespace {

// Two pixels read from the clipboard, converted to 24 and 32 bits.
TEST(ClipboardImage, DepthConversionAndTheAllZeroAlphaRule) {
    const struct {
        int depth;
        Color first, second;
        Color at24, at32;  // the first pixel
    } cases[] = {
        {32, 0x80112233u, 0x00445566u, 0x00112233u, 0x80112233u},  // one alpha non-zero: all kept
        {32, 0x00112233u, 0x00445566u, 0x00112233u, 0xFF112233u},  // all zero: opaque
        {24, 0x00112233u, 0x00445566u, 0x00112233u, 0xFF112233u},  // no alpha: opaque
    };
    for (const auto& c : cases) {
        Image image(2, 1, c.depth);
        image.setPixel(0, 0, c.first);
        image.setPixel(1, 0, c.second);
        const Image at24 = clipboardImageAtDepth(image, 24);
        const Image at32 = clipboardImageAtDepth(image, 32);
        EXPECT_EQ(at24.depth(), 24);
        EXPECT_EQ(at24.pixel(0, 0), c.at24);
        EXPECT_EQ(at32.depth(), 32);
        EXPECT_EQ(at32.pixel(0, 0), c.at32);
    }
}

}  // namespace
}  // namespace tarnel
