// The quantize window's logic without a window: the limit field's rules,
// the settings that survive closing, and what Test, Source and Apply do to
// the working image, the preview and the history.

#include "quantize/quantize_session.h"

#include <gtest/gtest.h>

#include <optional>

#include "common/fake_workspace.h"
#include "common/test_images.h"
#include "document/slots.h"
#include "quantize/color_count.h"
#include "quantize/palette_methods.h"

namespace tarnel {
namespace {

using test::FakeWorkspace;

class QuantizeSessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        ws.table.put(kSlotWorking, test::photoLikeImage(64, 48));
        ASSERT_TRUE(session.open());
        session.show({0, 0}, 1920, 1080, 160, 245, 30);
    }
    const Image& working() { return *ws.table.find(kSlotWorking); }
    const Image* preview() { return ws.table.find(kSlotPreview); }

    FakeWorkspace ws;
    QuantizeSession session{ws};
};

TEST_F(QuantizeSessionTest, LimitFieldFollowsTheMethodAndRemembersEachLimit) {
    // Fresh settings: Uniform, 3 levels shown as 27 colours.
    EXPECT_EQ(session.limitField().text, "27");
    EXPECT_EQ(session.limitField().maximum, 16);
    session.pickMethod(1);
    session.editLimitText("200");
    session.pickMethod(0);
    EXPECT_EQ(session.limitField().text, "27");
    session.pickMethod(1);
    EXPECT_EQ(session.limitField().text, "200");
    EXPECT_EQ(session.limitField().maximum, 256);
    session.pickMethod(11);
    EXPECT_EQ(session.limitField().text, "4096");
    EXPECT_FALSE(session.limitField().enabled);
    session.stepLimit(1);  // a disabled field does not step
    EXPECT_EQ(session.limitField().value, 200);
}

TEST_F(QuantizeSessionTest, UniformShowsLevelsCubedAndIgnoresTypedDigits) {
    struct Case { int steps; const char* text; };
    for (const Case c : {Case{-1, "8"}, Case{-5, "8"}, Case{14, "4096"}, Case{30, "4096"}}) {
        session.stepLimit(c.steps);
        EXPECT_EQ(session.limitField().text, c.text) << c.steps;
    }
    session.editLimitText("5");
    EXPECT_EQ(session.limitField().text, "4096");
    EXPECT_EQ(session.settings().limits[0], 16);
}

TEST_F(QuantizeSessionTest, TypedLimitsAreCorrectedAndShownAsTheValueUsed) {
    session.pickMethod(2);
    struct Case { const char* typed; const char* whileTyping; int value; const char* finished; };
    for (const Case c : {Case{"999", "256", 256, "256"}, Case{"0", "2", 2, "2"}, Case{"1", "1", 2, "2"},
                         Case{"", "2", 2, "2"}, Case{"12x", "12x", 12, "12"}, Case{"64", "64", 64, "64"}}) {
        session.editLimitText(c.typed);
        EXPECT_EQ(session.limitField().text, c.whileTyping) << c.typed;
        EXPECT_EQ(session.limitField().value, c.value) << c.typed;
        session.finishLimitEdit();
        EXPECT_EQ(session.limitField().text, c.finished) << c.typed;
    }
    EXPECT_EQ(session.settings().limits[2], 64);
}

TEST_F(QuantizeSessionTest, TestPreviewsWithoutTouchingTheWorkingImageAndRepeatsExactly) {
    const Image before = working();
    session.pickMethod(1);
    session.editLimitText("8");
    session.setDither(true);
    session.test();
    ASSERT_NE(preview(), nullptr);
    const Image first = *preview();
    EXPECT_EQ(working(), before);
    EXPECT_EQ(ws.shown, kSlotPreview);
    EXPECT_LE(countColors(first), 8);
    EXPECT_EQ(session.countText(), std::to_string(countColors(first)));
    EXPECT_TRUE(session.applyEnabled());
    EXPECT_EQ(ws.palette.size(), 8u);  // Popularity replaces the current palette
    session.test();
    EXPECT_EQ(*preview(), first);
}

TEST_F(QuantizeSessionTest, EveryChangeOfSettingsOrSourceDisablesApply) {
    const std::function<void()> changes[] = {
        [&] { session.pickMethod(3); },        [&] { session.stepLimit(1); },
        [&] { session.editLimitText("4"); },  [&] { session.setDither(true); },
        [&] { session.source(); },
    };
    for (const auto& change : changes) {
        session.pickMethod(0);
        session.test();
        ASSERT_TRUE(session.applyEnabled());
        change();
        EXPECT_FALSE(session.applyEnabled());
    }
    EXPECT_EQ(ws.shown, kSlotWorking);  // the last change was Source
    EXPECT_EQ(session.countText(), std::to_string(countColors(working())));
}

TEST_F(QuantizeSessionTest, ApplyCommitsThePreviewAsOneUndoState) {
    session.pickMethod(3);  // CGA: the current palette stays
    ws.palette = {0x123456};
    session.test();
    const Image quantized = *preview();
    session.apply();
    EXPECT_EQ(working(), quantized);
    EXPECT_EQ(ws.records, 1);
    EXPECT_FALSE(session.applyEnabled());
    EXPECT_EQ(ws.palette, std::vector<Color>{0x123456});
    session.apply();  // disabled: nothing more
    EXPECT_EQ(ws.records, 1);
}

TEST_F(QuantizeSessionTest, AStalePreviewNeverOverwritesTheWorkingImage) {
    session.test();
    // An Undo or a recorded command while the window is open.
    ws.table.find(kSlotWorking)->fill(0x00FF00);
    ++ws.revision;
    session.workspaceChanged();
    EXPECT_FALSE(session.applyEnabled());
    session.apply();
    EXPECT_EQ(working().pixel(3, 3), Color{0x00FF00});
    EXPECT_EQ(ws.records, 0);
}

TEST_F(QuantizeSessionTest, WithASelectionOnlyTheAreaIsQuantizedAndCounted) {
    const Image before = working();
    ws.selection = Rect{8, 8, 23, 15};
    session.pickMethod(8);  // flat_8
    session.test();
    for (int y = 0; y < before.height(); ++y)
        for (int x = 0; x < before.width(); ++x)
            if (!ws.selection->contains(x, y)) ASSERT_EQ(preview()->pixel(x, y), before.pixel(x, y));
    EXPECT_EQ(session.countText(), std::to_string(countColors(preview()->copy(*ws.selection))));
    EXPECT_FALSE(ws.table.exists(kSlotScratch));
}

TEST_F(QuantizeSessionTest, ReopeningKeepsSettingsAndPositionAndRespectsTheBusyMask) {
    session.pickMethod(2);
    session.stepLimit(3);
    session.setDither(true);
    session.close({500, 400}, {100, 50}, 30);
    EXPECT_EQ(ws.busy(), 0);
    EXPECT_FALSE(ws.table.exists(kSlotPreview));
    EXPECT_EQ(ws.shown, kSlotWorking);

    ws.mask.set(kBusyTwoColors);
    EXPECT_FALSE(session.open());
    ws.mask.clear(kBusyTwoColors);
    ASSERT_TRUE(session.open());
    EXPECT_EQ(ws.busy(), kBusyQuantize);
    EXPECT_EQ(session.show({200, 60}, 1920, 1080, 160, 245, 30), (ScreenPoint{600, 380 + 30}));
    EXPECT_EQ(session.settings().method, QuantizeMethod::Adaptive);
    EXPECT_EQ(session.limitField().text, "35");
    EXPECT_TRUE(session.settings().dither);
    // Positions are clamped to the desktop.
    session.close({1900, 1070}, {0, 0}, 0);
    ASSERT_TRUE(session.open());
    EXPECT_EQ(session.show({0, 0}, 1920, 1080, 160, 245, 30), (ScreenPoint{1760, 835 + 30}));
}

}  // namespace
}  // namespace tarnel
