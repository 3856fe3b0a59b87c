// The Two Colors window's logic without a window, on a clock the test
// advances: the preview and its deferral, the colours, OK and closing.

#include "twocolors/two_colors_session.h"

#include <gtest/gtest.h>

#include <optional>

#include "common/fake_workspace.h"
#include "common/test_images.h"
#include "document/slots.h"
#include "quantize/dither.h"

namespace tarnel {
namespace {

using test::FakeWorkspace;

constexpr Color kBlack = 0x000000;
constexpr Color kWhite = 0xFFFFFF;
constexpr Color kRed = 0x0000FF;
constexpr Color kBlue = 0xFF0000;

class AnsweringRequester final : public ColorRequester {
public:
    std::optional<Color> answer;
    Color asked = 0x123456;
    std::optional<Color> chooseColor(Color initial) override {
        asked = initial;
        return answer;
    }
};

class TwoColorsSessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        ws.table.put(kSlotWorking, test::photoLikeImage(40, 30));
        ws.onRedraw = [this] { previews += ws.shown == kSlotScratch; };
        ASSERT_TRUE(session.open());
    }
    // Lets time pass, then runs the check that follows an event.
    void after(std::int64_t ms) {
        now += ms;
        session.check();
    }
    const Image& working() { return *ws.table.find(kSlotWorking); }
    const Image* preview() { return ws.table.find(kSlotScratch); }
    Image expected(const Image& source, Rect area, int threshold, TwoColorDither dither, Color c1 = kBlack,
                   Color c2 = kWhite) {
        Image image = source;
        convertTwoColors(image, area, TwoColorOptions{threshold, c1, c2, dither});
        return image;
    }

    FakeWorkspace ws;
    std::int64_t now = 1000;
    AnsweringRequester requester;
    TwoColorsSession session{ws, [this] { return now; }, requester};
    int previews = 0;
};

TEST_F(TwoColorsSessionTest, OpensWithTheDefaultsAndSplitsBetweenLum127And128) {
    EXPECT_EQ(ws.busy(), int(kBusyTwoColors));
    EXPECT_EQ(session.sliderValue(), 128);
    EXPECT_EQ(session.thresholdCaption(), "Threshold 128");
    EXPECT_EQ(session.dither(), TwoColorDither::None);
    EXPECT_EQ(*ws.table.find(kSlotTwoColorsFirst), Image(25, 25, 24, kBlack));
    EXPECT_EQ(*ws.table.find(kSlotTwoColorsSecond), Image(25, 25, 24, kWhite));
    EXPECT_EQ(ws.shown, kSlotWorking);
    EXPECT_EQ(session.msUntilCheck(), 0);

    Image grey(2, 1, 24);
    grey.setPixel(0, 0, rgb(127, 127, 127));
    grey.setPixel(1, 0, rgb(128, 128, 128));
    ws.table.put(kSlotWorking, grey);
    session.check();  // the first event computes the first preview
    ASSERT_NE(preview(), nullptr);
    EXPECT_EQ(preview()->pixel(0, 0), kBlack);
    EXPECT_EQ(preview()->pixel(1, 0), kWhite);
    EXPECT_EQ(ws.shown, kSlotScratch);
    EXPECT_EQ(working(), grey);
    EXPECT_EQ(session.msUntilCheck(), std::nullopt);
}

TEST_F(TwoColorsSessionTest, RefusedWhileBusyOrWithoutAWorkingImage) {
    FakeWorkspace other;
    TwoColorsSession second{other, [] { return 0; }, requester};
    EXPECT_FALSE(second.open());  // no working image
    other.table.put(kSlotWorking, Image(4, 4, 24));
    other.mask.set(kBusyQuantize);
    EXPECT_FALSE(second.open());
    EXPECT_FALSE(other.table.exists(kSlotTwoColorsFirst));
    EXPECT_FALSE(session.open());  // already open: its own flag counts
}

TEST_F(TwoColorsSessionTest, SliderEndsGiveOneColourAndTheThresholdIs256MinusTheValue) {
    const Image source = working();
    for (const TwoColorDither dither : {TwoColorDither::None, TwoColorDither::Ordered}) {
        session.pickDither(dither);
        for (const auto& [value, colour] : {std::pair{0, kBlack}, std::pair{256, kWhite}}) {
            session.moveSlider(value);
            EXPECT_EQ(session.thresholdCaption(), "Threshold " + std::to_string(value));
            after(kTwoColorsDeferralMs + 1);
            EXPECT_EQ(*preview(), Image(40, 30, 24, colour)) << value;
        }
    }
    session.moveSlider(100);
    after(kTwoColorsDeferralMs + 1);
    EXPECT_EQ(*preview(), expected(source, source.rect(), 156, TwoColorDither::Ordered));
}

TEST_F(TwoColorsSessionTest, ChosenColoursFillTheSwatchesAndAreTheOnlyOnesInThePreview) {
    session.check();
    requester.answer = std::nullopt;  // cancelled: nothing changes
    EXPECT_FALSE(session.pickColor(1));
    EXPECT_EQ(session.color(1), kBlack);
    EXPECT_EQ(session.msUntilCheck(), std::nullopt);

    requester.answer = kRed;
    EXPECT_TRUE(session.pickColor(1));
    EXPECT_EQ(requester.asked, kBlack);
    requester.answer = kBlue;
    EXPECT_TRUE(session.pickColor(2));
    EXPECT_EQ(requester.asked, kWhite);
    EXPECT_EQ(*ws.table.find(kSlotTwoColorsFirst), Image(25, 25, 24, kRed));
    EXPECT_EQ(*ws.table.find(kSlotTwoColorsSecond), Image(25, 25, 24, kBlue));
    session.check();  // a colour change is previewed without deferral
    int reds = 0;
    for (std::size_t i = 0; i < preview()->pixelCount(); ++i) {
        const Color c = preview()->data()[i];
        ASSERT_TRUE(c == kRed || c == kBlue);
        reds += c == kRed;
    }
    EXPECT_GT(reds, 0);
    EXPECT_LT(reds, 40 * 30);
}

TEST_F(TwoColorsSessionTest, OrderedOnGrey128ShowsTheNegativeOffsetsOfTheMatrix) {
    ws.table.put(kSlotWorking, Image(8, 8, 24, rgb(128, 128, 128)));
    session.pickDither(TwoColorDither::Ordered);
    session.check();
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(preview()->pixel(x, y), kDitherMatrix[y & 3][x & 3] < 0 ? kBlack : kWhite) << x << "," << y;
}

TEST_F(TwoColorsSessionTest, SelectionLimitsThePreviewAndSierraStartsAfreshAtItsEdges) {
    const Image source = working();
    const Rect area{5, 4, 27, 21};
    ws.selection = area;
    for (const TwoColorDither dither : {TwoColorDither::Ordered, TwoColorDither::SierraLite}) {
        session.pickDither(dither);
        session.check();
        Image part = source.copy(area);
        convertTwoColors(part, part.rect(), TwoColorOptions{128, kBlack, kWhite, dither});
        Image want = source;
        if (dither == TwoColorDither::SierraLite) {
            want.paste(part, area.left, area.top);  // the area as an image of its own
        } else {
            want = expected(source, area, 128, dither);  // the pattern at image coordinates
        }
        EXPECT_EQ(*preview(), want);
        EXPECT_FALSE(ws.table.exists(kSlotTwoColorsWork));
    }
}

TEST_F(TwoColorsSessionTest, OkCommitsThePreviewAsOneUndoStateAndCloses) {
    session.pickDither(TwoColorDither::SierraLite);
    session.check();
    const Image converted = *preview();
    session.ok();
    EXPECT_EQ(working(), converted);
    EXPECT_EQ(ws.records, 1);
    EXPECT_FALSE(session.isOpen());
    EXPECT_EQ(ws.busy(), 0);
    EXPECT_EQ(ws.shown, kSlotWorking);
    for (const int slot : {kSlotScratch, kSlotTwoColorsFirst, kSlotTwoColorsSecond, kSlotTwoColorsWork})
        EXPECT_FALSE(ws.table.exists(slot)) << slot;
    session.ok();  // closed: nothing more
    EXPECT_EQ(ws.records, 1);
}

TEST_F(TwoColorsSessionTest, OkBeforeAnyPreviewJustCloses) {
    const Image before = working();
    session.ok();
    EXPECT_EQ(working(), before);
    EXPECT_EQ(ws.records, 0);
    EXPECT_EQ(previews, 0);
    EXPECT_FALSE(session.isOpen());
}

TEST_F(TwoColorsSessionTest, OkWithinTheDeferralCommitsTheSettingsShown) {
    const Image source = working();
    session.check();
    session.moveSlider(60);
    after(100);  // the deferral is not over
    session.ok();
    EXPECT_EQ(working(), expected(source, source.rect(), 196, TwoColorDither::None));
}

TEST_F(TwoColorsSessionTest, ReopeningStartsFromTheDefaults) {
    requester.answer = kRed;
    session.pickColor(1);
    session.pickDither(TwoColorDither::SierraLite);
    session.moveSlider(10);
    session.close();
    EXPECT_EQ(ws.busy(), 0);
    ASSERT_TRUE(session.open());
    EXPECT_EQ(session.color(1), kBlack);
    EXPECT_EQ(session.color(2), kWhite);
    EXPECT_EQ(session.dither(), TwoColorDither::None);
    EXPECT_EQ(session.sliderValue(), 128);
    EXPECT_EQ(*ws.table.find(kSlotTwoColorsFirst), Image(25, 25, 24, kBlack));
}

TEST_F(TwoColorsSessionTest, ADragComputesNothingUntilItRestsThenTheLastValueOnce) {
    const Image source = working();
    session.check();
    ASSERT_EQ(previews, 1);
    for (int value = 129; value < 229; ++value) {  // one move every 10 ms for a second
        session.moveSlider(value);
        EXPECT_EQ(session.msUntilCheck(), kTwoColorsDeferralMs + 1);
        EXPECT_FALSE(session.previewDue());
        after(10);
    }
    EXPECT_EQ(previews, 1);
    // No further event: the window wakes up when the session says.
    now += *session.msUntilCheck();
    EXPECT_TRUE(session.previewDue());
    session.check();
    EXPECT_EQ(previews, 2);
    EXPECT_EQ(*preview(), expected(source, source.rect(), 256 - 228, TwoColorDither::None));
    EXPECT_EQ(session.msUntilCheck(), std::nullopt);

    // Back to the threshold on screen: nothing to compute. A new mode
    // recomputes at the same threshold.
    session.moveSlider(100);
    session.moveSlider(228);
    after(kTwoColorsDeferralMs + 1);
    EXPECT_EQ(previews, 2);
    session.pickDither(TwoColorDither::Ordered);
    session.check();
    EXPECT_EQ(previews, 3);
}

TEST_F(TwoColorsSessionTest, AWorkingImageChangedBehindTheWindowIsPreviewedAfresh) {
    session.check();
    // An Undo while the window is open: new pixels, new revision.
    const Image undone = test::photoLikeImage(40, 30, 24, 7);
    ws.table.put(kSlotWorking, undone);
    ++ws.revision;
    session.workspaceChanged();
    EXPECT_EQ(session.msUntilCheck(), 0);
    session.check();
    EXPECT_EQ(*preview(), expected(undone, undone.rect(), 128, TwoColorDither::None));

    // Changed again, and OK comes before any check.
    const Image reverted = test::photoLikeImage(30, 20, 24, 9);
    ws.table.put(kSlotWorking, reverted);
    ++ws.revision;
    session.ok();
    EXPECT_EQ(working(), expected(reverted, reverted.rect(), 128, TwoColorDither::None));
    EXPECT_EQ(ws.records, 1);
}

}  // namespace
}  // namespace tarnel
