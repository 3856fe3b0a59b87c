#include "effects/pixel_chain.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "common/test_images.h"

namespace tarnel {
namespace {

using P = ChainPrimitive;

struct Size {
    int w, h;
};
constexpr Size kAwkwardSizes[] = {{1, 1}, {1, 7}, {7, 1}, {2, 2}, {4, 4}, {7, 9}, {15, 33}, {33, 15}};

std::string sizeName(const Size& s) { return std::to_string(s.w) + "x" + std::to_string(s.h); }

// ---- A slow reference written straight from the definitions: list the
// pixel order, then run the chain along the list one pixel at a time.

enum class Order { Row, Column, AntiDiagonal, Diagonal };

std::vector<std::pair<int, int>> pixelOrder(Order order, int w, int h) {
    std::vector<std::pair<int, int>> pixels;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) pixels.emplace_back(x, y);
    auto key = [&](const std::pair<int, int>& p) -> std::pair<int, int> {
        const auto [x, y] = p;
        switch (order) {
        case Order::Row: return {y, x};
        case Order::Column: return {x, y};
        case Order::AntiDiagonal: return {x + y, x};
        case Order::Diagonal: return {(w - 1 - x) + y, -x};
        }
        return {};
    };
    std::sort(pixels.begin(), pixels.end(), [&](const auto& a, const auto& b) { return key(a) < key(b); });
    return pixels;
}

enum class Chain { SuffixAccumulate, SuffixDifference, PrefixAccumulate, PrefixDifference };

void referenceChain(Image& image, Order order, Chain chain) {
    const auto p = pixelOrder(order, image.width(), image.height());
    const int n = static_cast<int>(p.size());
    auto at = [&](int i) -> Color& { return image.row(p[i].second)[p[i].first]; };
    auto takeIn = [&](int i, Color other) { at(i) ^= other & kColorMask; };
    switch (chain) {
    case Chain::SuffixAccumulate:
        for (int i = n - 2; i >= 0; --i) takeIn(i, at(i + 1));
        break;
    case Chain::SuffixDifference:
        for (int i = 0; i <= n - 2; ++i) takeIn(i, at(i + 1));
        break;
    case Chain::PrefixAccumulate:
        for (int i = 1; i < n; ++i) takeIn(i, at(i - 1));
        break;
    case Chain::PrefixDifference:
        for (int i = n - 1; i >= 1; --i) takeIn(i, at(i - 1));
        break;
    }
}

void referencePrimitive(Image& image, P primitive) {
    switch (primitive) {
    case P::RowAccumulate: return referenceChain(image, Order::Row, Chain::SuffixAccumulate);
    case P::RowDifference: return referenceChain(image, Order::Row, Chain::SuffixDifference);
    case P::ColumnAccumulate: return referenceChain(image, Order::Column, Chain::SuffixAccumulate);
    case P::ColumnDifference: return referenceChain(image, Order::Column, Chain::SuffixDifference);
    case P::AntiDiagonalAccumulate: return referenceChain(image, Order::AntiDiagonal, Chain::PrefixAccumulate);
    case P::AntiDiagonalDifference: return referenceChain(image, Order::AntiDiagonal, Chain::PrefixDifference);
    case P::DiagonalAccumulate: return referenceChain(image, Order::Diagonal, Chain::PrefixAccumulate);
    case P::DiagonalDifference: return referenceChain(image, Order::Diagonal, Chain::PrefixDifference);
    default: FAIL() << "no reference for this primitive";
    }
}

constexpr P kChains[] = {P::RowAccumulate,          P::RowDifference,          P::ColumnAccumulate,
                         P::ColumnDifference,       P::AntiDiagonalAccumulate, P::AntiDiagonalDifference,
                         P::DiagonalAccumulate,     P::DiagonalDifference};

TEST(PixelChain, OrdersOfTheThreeByTwoExample) {
    using V = std::vector<std::pair<int, int>>;
    EXPECT_EQ(pixelOrder(Order::AntiDiagonal, 3, 2), (V{{0, 0}, {0, 1}, {1, 0}, {1, 1}, {2, 0}, {2, 1}}));
    EXPECT_EQ(pixelOrder(Order::Diagonal, 3, 2), (V{{2, 0}, {2, 1}, {1, 0}, {1, 1}, {0, 0}, {0, 1}}));
    EXPECT_EQ(pixelOrder(Order::Column, 3, 2), (V{{0, 0}, {0, 1}, {1, 0}, {1, 1}, {2, 0}, {2, 1}}));
}

// The primitives work whole rows at a time; they must give exactly what the
// pixel-by-pixel chains give, and leave the top byte of every pixel alone.
TEST(PixelChain, ChainsMatchThePixelByPixelDefinition) {
    std::uint32_t seed = 1;
    for (const Size& size : kAwkwardSizes)
        for (P primitive : kChains) {
            SCOPED_TRACE(sizeName(size) + " primitive " + std::to_string(static_cast<int>(primitive)));
            const Image source = test::randomImage(size.w, size.h, 32, seed++);
            Image fast = source;
            Image slow = source;
            applyPrimitive(fast, primitive);
            referencePrimitive(slow, primitive);
            ASSERT_TRUE(fast == slow);
        }
}

TEST(PixelChain, EachDifferenceUndoesItsAccumulation) {
    const std::pair<P, P> pairs[] = {{P::RowAccumulate, P::RowDifference},
                                     {P::ColumnAccumulate, P::ColumnDifference},
                                     {P::AntiDiagonalAccumulate, P::AntiDiagonalDifference},
                                     {P::DiagonalAccumulate, P::DiagonalDifference}};
    for (const Size& size : kAwkwardSizes)
        for (const auto& [accumulate, difference] : pairs) {
            SCOPED_TRACE(sizeName(size));
            const Image source = test::randomImage(size.w, size.h, 24, 40 + size.w);
            Image image = source;
            applyPrimitive(image, accumulate);
            if (size.w * size.h > 2) {
                EXPECT_FALSE(image == source);
            }
            applyPrimitive(image, difference);
            EXPECT_TRUE(image == source);
            applyPrimitive(image, difference);
            applyPrimitive(image, accumulate);
            EXPECT_TRUE(image == source);
        }
}

TEST(PixelChain, ScrambleAndUnscrambleUndoEachOther) {
    for (const Size& size : kAwkwardSizes) {
        for (int depth : {24, 32}) {
            SCOPED_TRACE(sizeName(size) + " depth " + std::to_string(depth));
            const Image source = test::randomImage(size.w, size.h, depth, 7 * size.h + depth);
            Image image = source;
            applyEffect(image, Effect::Scramble);
            applyEffect(image, Effect::Unscramble);
            EXPECT_TRUE(image == source);
            applyEffect(image, Effect::Unscramble);
            applyEffect(image, Effect::Scramble);
            EXPECT_TRUE(image == source);
        }
    }
}

// Scrambling depends on the size of the area: unscrambling the same pixels
// as part of a wider area does not restore them.
TEST(PixelChain, UnscrambleNeedsTheSameArea) {
    const Image source = test::randomImage(9, 6, 24, 5);
    Image part = source.copy(Rect{0, 0, 5, 5});
    applyEffect(part, Effect::Scramble);
    Image whole = source;
    whole.paste(part, 0, 0);
    applyEffect(whole, Effect::Unscramble);
    EXPECT_FALSE(whole == source);
}

TEST(PixelChain, AreaFormWorksOnTheAreaAlone) {
    const Image source = test::randomImage(11, 8, 32, 31);
    const Rect area{3, 2, 9, 6};
    for (Effect effect : {Effect::Scramble, Effect::XFactor, Effect::Scratch}) {
        Image image = source;
        applyEffect(image, area, effect);
        Image part = source.copy(area);
        applyEffect(part, effect);
        for (int y = 0; y < source.height(); ++y)
            for (int x = 0; x < source.width(); ++x)
                ASSERT_EQ(image.pixel(x, y), area.contains(x, y) ? part.pixel(x - area.left, y - area.top)
                                                                 : source.pixel(x, y));
        Image whole = source;
        applyEffect(whole, source.rect(), effect);
        Image direct = source;
        applyEffect(direct, effect);
        EXPECT_TRUE(whole == direct);
    }
}

TEST(PixelChain, RowShiftReverseKeepsTheLastColumnAndTheAlpha) {
    // a b c d e -> d c b a e
    Image row(5, 1, 32);
    for (int x = 0; x < 5; ++x) row.setPixel(x, 0, rgba(10 + x, 0, 0, 100 + x));
    applyPrimitive(row, P::RowShiftReverse);
    const int expectedRed[] = {13, 12, 11, 10, 14};
    for (int x = 0; x < 5; ++x) {
        EXPECT_EQ(redOf(row.pixel(x, 0)), expectedRed[x]);
        EXPECT_EQ(alphaOf(row.pixel(x, 0)), 100 + x);
    }
    for (int w : {1, 2}) {
        const Image narrow = test::randomImage(w, 3, 32, 2);
        Image image = narrow;
        applyPrimitive(image, P::RowShiftReverse);
        EXPECT_TRUE(image == narrow);
    }
}

TEST(PixelChain, ShiftReverseAndGrayMatchTheirFormulas) {
    for (const Size& size : kAwkwardSizes) {
        SCOPED_TRACE(sizeName(size));
        const Image source = test::randomImage(size.w, size.h, 32, 3 * size.w + size.h);
        Image shifted = source;
        applyPrimitive(shifted, P::RowShiftReverse);
        Image gray = source;
        applyPrimitive(gray, P::LumaGray);
        for (int y = 0; y < size.h; ++y)
            for (int x = 0; x < size.w; ++x) {
                const Color c = source.pixel(x, y);
                const int from = x == size.w - 1 ? x : size.w - 2 - x;
                ASSERT_EQ(shifted.pixel(x, y), (c & ~kColorMask) | (source.pixel(from, y) & kColorMask));
                const int g = (306 * redOf(c) + 601 * greenOf(c) + 117 * blueOf(c)) >> 10;
                ASSERT_EQ(gray.pixel(x, y), rgba(g, g, g, alphaOf(c)));
            }
    }
}

TEST(PixelChain, LumaGrayAndInvert) {
    Image image(4, 1, 32);
    image.setPixel(0, 0, rgba(255, 255, 255, 9));
    image.setPixel(1, 0, rgba(255, 0, 0, 9));
    image.setPixel(2, 0, rgba(0, 255, 0, 9));
    image.setPixel(3, 0, rgba(0, 0, 255, 9));
    applyPrimitive(image, P::LumaGray);
    EXPECT_EQ(image.pixel(0, 0), rgba(255, 255, 255, 9));
    EXPECT_EQ(image.pixel(1, 0), rgba(76, 76, 76, 9));
    EXPECT_EQ(image.pixel(2, 0), rgba(149, 149, 149, 9));  // 601*255 >> 10
    EXPECT_EQ(image.pixel(3, 0), rgba(29, 29, 29, 9));     // 117*255 >> 10
    applyPrimitive(image, P::Invert);
    EXPECT_EQ(image.pixel(1, 0), rgba(179, 179, 179, 9));
}

TEST(PixelChain, FadedWorkedExample) {
    // One bit per pixel, so the result spells out the whole sequence (every
    // other order of its six steps gives another result):
    //   01 02 04   CA 3F 36 24   RD 09 12 1A   RD 1B 08 10
    //   08 10 20      3E 34 20      0A 14 20      1E 34 20
    //   CD 05 3C 30   RA 1B 1E 22   RA 11 0A 14
    //      16 24 20      12 04 20      36 24 20
    Image image(3, 2, 24);
    for (int i = 0; i < 6; ++i) image.data()[i] = 1u << i;
    applyEffect(image, Effect::Faded);
    const Color expected[] = {0x11, 0x0A, 0x14, 0x36, 0x24, 0x20};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(image.data()[i], expected[i]) << "pixel " << i;
}

TEST(PixelChain, UniformImages) {
    const Color colour = rgb(40, 90, 200);
    Image edges(6, 5, 24, colour);
    applyEffect(edges, Effect::EdgeDetect);
    Image artist(6, 5, 24, colour);
    applyEffect(artist, Effect::Artist);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x) {
            const bool first = x == 0 && y == 0;
            EXPECT_EQ(edges.pixel(x, y), first ? colour : 0u);
            EXPECT_EQ(artist.pixel(x, y), first ? colour ^ kColorMask : kColorMask);
        }
}

TEST(PixelChain, MenuTextsAndOrder) {
    const char* main[] = {"Edge detect", "Pencil", "Artist",  "Glowie", "Blush",   "Spacy",    "Spectrum", "Scratch",
                          "Noise",       "Phantom", "Demon",  "Faded",  "X-factor", "scramble", "unscramble"};
    for (int i = 0; i < kEffectCount; ++i) {
        EXPECT_EQ(effectMenuText(kAllEffects[i]), main[i]);
        EXPECT_EQ(static_cast<int>(kAllEffects[i]), i);
    }
    EXPECT_EQ(effectPopupText(Effect::Scramble), "Scramble");
    EXPECT_EQ(effectPopupText(Effect::Unscramble), "Unscramble");
    EXPECT_EQ(effectPopupText(Effect::XFactor), "X-factor");
    EXPECT_EQ(effectSequence(Effect::XFactor).size(), 10u);
}

TEST(PixelChain, NullImageIsLeftAlone) {
    Image image;
    for (Effect effect : kAllEffects) applyEffect(image, effect);
    EXPECT_TRUE(image.isNull());
}

TEST(PixelChain, EffectsKeepAlphaInPlace) {
    const Image source = test::randomImage(7, 9, 32, 77);
    for (Effect effect : kAllEffects) {
        Image image = source;
        applyEffect(image, effect);
        for (std::size_t i = 0; i < image.pixelCount(); ++i)
            ASSERT_EQ(alphaOf(image.data()[i]), alphaOf(source.data()[i])) << effectMenuText(effect);
    }
}

TEST(PixelChain, GoldenEffectsOnThePhoto) {
    // Golden file names by effect; Spectrum's is "rainbow".
    const char* names[] = {"edge_detect", "pencil", "artist", "glowie",   "blush",   "spacy",     "rainbow", "scratch",
                           "noise",       "phantom", "demon", "faded",    "x_factor", "scramble", "unscramble"};
    for (int i = 0; i < kEffectCount; ++i) {
        Image image = test::testPhoto();
        applyEffect(image, kAllEffects[i]);
        test::expectGolden(std::string("effect_") + names[i], image);
    }
}

}  // namespace
}  // namespace tarnel
