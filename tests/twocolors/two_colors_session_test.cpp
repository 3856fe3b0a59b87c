// The Two Colors window's logic without a window, on a clock the test
// advances: the preview and its deferral, the colours, OK and closing.

#include "twocolors/two_colors_session.h"

#include <gtest/gtest.h>

#include "common/fake_workspace.h"
#include "common/test_images.h"
#include "document/slots.h"
#include "quantize/dither.h"

namespace tarnel {
namespace {

constexpr Color kBlack = 0x000000, kWhite = 0xFFFFFF, kRed = 0x0000FF, kBlue = 0xFF0000;

struct Requester final : ColorRequester {
    std::optional<Color> answer;
    std::optional<Color> chooseColor(Color) override { return answer; }
};

Image converted(Image image, Rect area, int threshold, TwoColorDither dither, Color c1 = kBlack, Color c2 = kWhite) {
    convertTwoColors(image, area, TwoColorOptions{threshold, c1, c2, dither});
    return image;
}

class TwoColorsSessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        ws.table.put(kSlotWorking, test::photoLikeImage(40, 30));
        ws.onRedraw = [this] { previews += ws.shown == kSlotScratch; };
        ASSERT_TRUE(session.open());
    }
    void after(std::int64_t ms) {  // time passes, then an event's check
        now += ms;
        session.check();
    }
    const Image& working() { return *ws.table.find(kSlotWorking); }
    const Image& preview() { return *ws.table.find(kSlotScratch); }

    test::FakeWorkspace ws;
    std::int64_t now = 1000;
    Requester requester;
    TwoColorsSession session{ws, [this] { return now; }, requester};
    int previews = 0;
};

TEST_F(TwoColorsSessionTest, OpensWithTheDefaultsAndSplitsBetweenLum127And128) {
    EXPECT_EQ(ws.busy(), int(kBusyTwoColors));
    EXPECT_EQ(session.thresholdCaption(), "Threshold 128");
    EXPECT_EQ(session.dither(), TwoColorDither::None);
    EXPECT_EQ(ws.shown, kSlotWorking);
    Image grey(2, 1, 24, rgb(127, 127, 127));
    grey.setPixel(1, 0, rgb(128, 128, 128));
    ws.table.put(kSlotWorking, grey);
    session.check();  // the first event's check computes the first preview
    EXPECT_EQ(preview().pixel(0, 0), kBlack);
    EXPECT_EQ(preview().pixel(1, 0), kWhite);
    EXPECT_EQ(ws.shown, kSlotScratch);
    EXPECT_EQ(working(), grey);

    test::FakeWorkspace other;  // refused without a working image, or while busy
    TwoColorsSession second{other, [] { return 0; }, requester};
    EXPECT_FALSE(second.open());
    other.table.put(kSlotWorking, grey);
    other.mask.set(kBusyQuantize);
    EXPECT_FALSE(second.open());
}

TEST_F(TwoColorsSessionTest, PreviewFollowsSliderModeAndColoursUntilClosed) {
    const Image photo = working();
    const Image grey(4, 4, 24, rgb(128, 128, 128));
    Image pattern(4, 4, 24, kWhite);  // colour 1 where the matrix offset is negative
    for (int i = 0; i < 16; ++i)
        if (kDitherMatrix[i / 4][i % 4] < 0) pattern.setPixel(i % 4, i / 4, kBlack);
    struct Case { int slider; TwoColorDither dither; Color c1, c2; const Image* source; Image expected; };
    const Case cases[] = {
        {0, TwoColorDither::None, kBlack, kWhite, &photo, Image(40, 30, 24, kBlack)},
        {256, TwoColorDither::Ordered, kBlack, kWhite, &photo, Image(40, 30, 24, kWhite)},
        {128, TwoColorDither::Ordered, kBlack, kWhite, &grey, pattern},
        {100, TwoColorDither::SierraLite, kRed, kBlue, &photo,
         converted(photo, photo.rect(), 156, TwoColorDither::SierraLite, kRed, kBlue)},
    };
    for (const Case& c : cases) {
        ws.table.put(kSlotWorking, *c.source);
        ++ws.revision;
        session.moveSlider(c.slider);
        session.pickDither(c.dither);
        requester.answer = c.c1;
        session.pickColor(1);
        requester.answer = c.c2;
        session.pickColor(2);
        after(kTwoColorsDeferralMs + 1);
        EXPECT_EQ(preview(), c.expected) << c.slider;
        EXPECT_EQ(*ws.table.find(kSlotTwoColorsFirst), Image(25, 25, 24, c.c1));
    }
    requester.answer = std::nullopt;  // a cancelled requester changes nothing
    EXPECT_FALSE(session.pickColor(1));
    EXPECT_EQ(session.msUntilCheck(), std::nullopt);

    session.close();  // reopening starts from the defaults
    ASSERT_TRUE(session.open());
    EXPECT_EQ(session.color(1), kBlack);
    EXPECT_EQ(session.dither(), TwoColorDither::None);
    EXPECT_EQ(session.sliderValue(), 128);
    EXPECT_EQ(*ws.table.find(kSlotTwoColorsFirst), Image(25, 25, 24, kBlack));
}

TEST_F(TwoColorsSessionTest, SierraLiteOnASelectionStartsAfreshAtItsEdges) {
    const Image source = working();
    const Rect area{5, 4, 27, 21};
    ws.selection = area;
    session.pickDither(TwoColorDither::SierraLite);
    session.check();
    Image expected = source;
    expected.paste(converted(source.copy(area), Rect{0, 0, 22, 17}, 128, TwoColorDither::SierraLite), 5, 4);
    EXPECT_EQ(preview(), expected);
    EXPECT_FALSE(ws.table.exists(kSlotTwoColorsWork));
}

TEST_F(TwoColorsSessionTest, OkCommitsTheSettingsShownAsOneUndoStateAndCloses) {
    const Image source = working();
    session.check();
    session.moveSlider(60);
    after(100);  // OK within the deferral: the preview is brought up to date first
    session.ok();
    EXPECT_EQ(working(), converted(source, source.rect(), 196, TwoColorDither::None));
    EXPECT_EQ(ws.records, 1);
    EXPECT_EQ(ws.busy(), 0);
    EXPECT_EQ(ws.shown, kSlotWorking);
    for (const int slot : {kSlotScratch, kSlotTwoColorsFirst, kSlotTwoColorsSecond})
        EXPECT_FALSE(ws.table.exists(slot)) << slot;

    ASSERT_TRUE(session.open());  // OK before any preview just closes
    session.ok();
    EXPECT_EQ(ws.records, 1);
    EXPECT_FALSE(session.isOpen());
}

TEST_F(TwoColorsSessionTest, ADragComputesNothingUntilItRestsThenTheLastValueOnce) {
    const Image source = working();
    session.check();
    for (int value = 129; value < 229; ++value) {  // one move every 10 ms for a second
        session.moveSlider(value);
        EXPECT_EQ(session.msUntilCheck(), kTwoColorsDeferralMs + 1);
        after(10);
    }
    EXPECT_EQ(previews, 1);
    now += *session.msUntilCheck();  // no further event: the window wakes up then
    EXPECT_TRUE(session.previewDue());
    session.check();
    EXPECT_EQ(previews, 2);
    EXPECT_EQ(preview(), converted(source, source.rect(), 28, TwoColorDither::None));

    session.moveSlider(100);  // back to the threshold shown: nothing to compute
    session.moveSlider(228);
    after(kTwoColorsDeferralMs + 1);
    EXPECT_EQ(previews, 2);
}

TEST_F(TwoColorsSessionTest, AWorkingImageChangedBehindTheWindowIsPreviewedAfresh) {
    session.check();
    const Image undone = test::photoLikeImage(40, 30, 24, 7);  // an Undo while open
    ws.table.put(kSlotWorking, undone);
    ++ws.revision;
    session.workspaceChanged();
    EXPECT_EQ(session.msUntilCheck(), 0);
    session.check();
    EXPECT_EQ(preview(), converted(undone, undone.rect(), 128, TwoColorDither::None));

    const Image reverted = test::photoLikeImage(30, 20, 24, 9);  // again, then OK before any check
    ws.table.put(kSlotWorking, reverted);
    ++ws.revision;
    session.ok();
    EXPECT_EQ(working(), converted(reverted, reverted.rect(), 128, TwoColorDither::None));
}

}  // namespace
}  // namespace tarnel
