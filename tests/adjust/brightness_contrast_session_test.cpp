// The brightness and contrast window's logic against a test clock: the
// deferral, slider switches, Apply, Reset, "Rfsh Brt", what closing commits,
// and a working image that changes under the open window.

#include "adjust/brightness_contrast_session.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "common/fake_workspace.h"
#include "common/test_images.h"
#include "document/slots.h"

namespace tarnel {
namespace {

constexpr ToneSlider B = ToneSlider::Brightness;
constexpr ToneSlider C = ToneSlider::Contrast;

Image brightened(Image image, int amount, const BrightnessOptions& options = {}) {
    adjustBrightness(image, image.rect(), amount, options);
    return image;
}
Image contrasted(Image image, int value) {
    adjustContrast(image, image.rect(), value);
    return image;
}

// An open window on a photo-like working image, with a clock the test moves.
struct Rig {
    Rig() {
        ws.table.put(kSlotWorking, test::photoLikeImage(24, 16));
        ws.onRedraw = [this] { previews += ws.shown == kSlotScratch; };
        EXPECT_TRUE(session.open());
    }
    void move(ToneSlider s, int offset) {
        session.moveSlider(s, offset + (s == B ? kBrightnessSliderCentre : kContrastSliderCentre));
    }
    // What the window's timer does once the slider rested.
    void rest() {
        now += session.nextCheckIn().value_or(0);
        session.tick();
    }
    const Image& working() { return *ws.table.find(kSlotWorking); }
    const Image& base() { return *ws.table.find(kSlotPreview); }
    const Image& preview() { return *ws.table.find(kSlotScratch); }

    test::FakeWorkspace ws;
    std::int64_t now = 1000;
    int previews = 0;
    BrightnessContrastSession session{ws, [this] { return now; }};
};

class BrightnessContrastSessionTest : public ::testing::Test, public Rig {
protected:
    const Image source = test::photoLikeImage(24, 16);
};

TEST_F(BrightnessContrastSessionTest, ADragIsPreviewedOnceWhenTheSliderRests) {
    for (int offset : {5, 12, 22}) {
        move(B, offset);
        now += 200;
        session.tick();
    }
    EXPECT_EQ(session.caption(B), "Brightness = 22");
    EXPECT_EQ(session.nextCheckIn(), 101);  // due strictly after 300 ms
    now += 100;
    session.tick();
    EXPECT_EQ(previews, 0);
    now += 1;
    session.tick();
    session.tick();
    EXPECT_EQ(previews, 1);
    EXPECT_EQ(preview(), brightened(source, 22));
    EXPECT_EQ(base(), source);
    EXPECT_TRUE(session.applyEnabled());
    EXPECT_FALSE(session.nextCheckIn().has_value());
}

TEST_F(BrightnessContrastSessionTest, SwitchingSlidersKeepsTheWorkOfTheOther) {
    move(B, 20);
    rest();
    move(C, 30);  // the first contrast move counts
    EXPECT_EQ(base(), brightened(source, 20));
    EXPECT_EQ(session.position(B), kBrightnessSliderCentre);
    EXPECT_EQ(session.caption(B), "Brightness = 0");
    EXPECT_EQ(session.caption(C), "Contrast = 30");
    rest();
    const Image both = contrasted(brightened(source, 20), 30);
    EXPECT_EQ(preview(), both);
    // A move still waiting for its due time is not lost by a switch.
    move(B, -40);
    move(C, 10);
    EXPECT_EQ(base(), brightened(both, -40));
}

TEST_F(BrightnessContrastSessionTest, ClosingCommitsTheBaseOnlyAfterApply) {
    struct Case {
        const char* name;
        std::function<void(Rig&)> steps;
        Image committed;
    };
    const std::vector<Case> cases = {
        {"no Apply", [](Rig& t) { t.move(B, 20); t.rest(); }, source},
        {"Apply within a move's deferral", [](Rig& t) { t.move(B, 20); t.rest(); t.move(B, 45); t.session.apply(); },
         brightened(source, 45)},
        {"later moves of the same slider",
         [](Rig& t) { t.move(B, 20); t.rest(); t.session.apply(); t.move(B, 10); t.rest(); }, brightened(source, 20)},
        {"a switch folds the later move in",
         [](Rig& t) { t.move(B, 20); t.rest(); t.session.apply(); t.move(B, 10); t.rest(); t.move(C, 5); t.rest(); },
         brightened(brightened(source, 20), 10)},
        {"Reset after Apply", [](Rig& t) { t.move(C, 50); t.rest(); t.session.apply(); t.session.reset(); }, source},
    };
    for (const Case& c : cases) {
        Rig t;
        c.steps(t);
        t.session.close();
        EXPECT_EQ(t.working(), c.committed) << c.name;
        EXPECT_EQ(t.ws.records, c.committed == source ? 0 : 1) << c.name;
        EXPECT_EQ(t.ws.busy(), 0) << c.name;
        EXPECT_EQ(t.ws.shown, kSlotWorking) << c.name;
        EXPECT_FALSE(t.ws.table.exists(kSlotScratch) || t.ws.table.exists(kSlotPreview)) << c.name;
    }
}

TEST_F(BrightnessContrastSessionTest, ResetStartsAgainFromTheWorkingImage) {
    move(C, -60);
    rest();
    session.reset();
    EXPECT_EQ(preview(), source);
    EXPECT_EQ(ws.shown, kSlotWorking);
    EXPECT_EQ(ws.busy(), int(kBusyBrightnessContrast));
    EXPECT_EQ(session.caption(C), "Contrast = 0");
    EXPECT_FALSE(session.applyEnabled());
    move(B, 10);  // nothing of the reset adjustment comes back through a switch
    EXPECT_EQ(base(), source);
}

TEST_F(BrightnessContrastSessionTest, RefreshBrightnessRecomputesWithTheNewOptions) {
    BrightnessOptions clampEqual;
    clampEqual.limit = BrightnessLimit::Clamp;
    clampEqual.ratio = false;
    session.changeOptions(clampEqual);  // brightness value 0: nothing to refresh
    EXPECT_FALSE(session.refreshEnabled());
    move(B, 30);
    rest();
    session.changeOptions(BrightnessOptions{});
    EXPECT_TRUE(session.refreshEnabled());
    EXPECT_EQ(preview(), brightened(source, 30, clampEqual));  // options wait for Rfsh Brt
    session.refreshBrightness();
    EXPECT_EQ(preview(), brightened(source, 30));
    EXPECT_FALSE(session.refreshEnabled());
}

TEST_F(BrightnessContrastSessionTest, AChangedWorkingImageRebasesThePreviewAndForgetsApply) {
    move(B, 20);
    rest();
    session.apply();
    move(B, 10);
    rest();
    const Image undone = test::photoLikeImage(24, 16, 24, 7);  // Undo while the window is open
    ws.table.put(kSlotWorking, undone);
    ++ws.revision;
    ASSERT_TRUE(session.workingImageChanged());
    session.workspaceChanged();
    EXPECT_EQ(preview(), brightened(undone, 10));
    EXPECT_EQ(ws.shown, kSlotScratch);
    session.close();
    EXPECT_EQ(working(), undone);
    EXPECT_EQ(ws.records, 0);
}

TEST_F(BrightnessContrastSessionTest, WithASelectionOnlyTheAreaChanges) {
    ws.selection = Rect{4, 3, 13, 9};
    move(C, 80);
    rest();
    Image expected = source;
    adjustContrast(expected, *ws.selection, 80);
    EXPECT_EQ(preview(), expected);
}

TEST_F(BrightnessContrastSessionTest, OpeningRespectsTheBusyMaskAndRestoresTheDefaults) {
    EXPECT_FALSE(session.open());
    session.changeOptions(BrightnessOptions{.limit = BrightnessLimit::Wrap});
    move(C, 10);
    session.close();
    ws.mask.set(kBusyQuantize);
    EXPECT_FALSE(session.open());
    ws.mask.clear(kBusyQuantize);
    ASSERT_TRUE(session.open());
    EXPECT_EQ(session.options().limit, BrightnessLimit::HoldRatio);
    EXPECT_EQ(session.position(C), kContrastSliderCentre);
    EXPECT_EQ(session.activeSlider(), C);  // kept from the last opening
    EXPECT_EQ(preview(), source);
}

}  // namespace
}  // namespace tarnel
