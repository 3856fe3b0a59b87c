#include "adjust/histogram_session.h"

#include <gtest/gtest.h>

#include <optional>

#include "common/fake_workspace.h"
#include "document/slots.h"

namespace tarnel {
namespace {

constexpr Color kWhite = 0xFFFFFF;
constexpr Color kRed = kHistogramRedInk, kGreen = kHistogramGreenInk, kBlue = kHistogramBlueInk;

using test::FakeWorkspace;

struct Fixture {
    FakeWorkspace workspace;
    HistogramSession session{workspace};

    explicit Fixture(Image working) { workspace.table.put(kSlotWorking, std::move(working)); }
    void toggle() {
        session.toggle();
        session.refresh();
    }
    void uncheck(bool HistogramOptions::*option) {
        HistogramOptions o = session.options();
        o.*option = false;
        session.setOptions(o);
        session.refresh();
    }
    Color graph(int x, int y) const { return session.graphImage()->pixel(x, y); }
};

TEST(HistogramSession, CheckBoxesShapeWhatTheWindowShows) {
    struct Case {
        bool HistogramOptions::*unchecked;
        const char* title;
        const char* caption;
        Color background;
        std::vector<HistogramMarker> markers;
    };
    const Case cases[] = {
        {nullptr, "Histogram | RGB Average = (100, 50, 50)", "RGB Ratio = (0.500, 0.250, 0.250)", rgb(100, 50, 50),
         {{110, 5, kRed}, {60, 5, kGreen}, {60, 5, kBlue}}},
        {&HistogramOptions::red, "Histogram | RGB Average = (0, 50, 50)", "RGB Ratio = (0.000, 0.500, 0.500)",
         rgb(0, 50, 50), {{60, 5, kGreen}, {60, 5, kBlue}}},
        {&HistogramOptions::averageLines, "Histogram | RGB Average = (100, 50, 50)",
         "RGB Ratio = (0.500, 0.250, 0.250)", rgb(100, 50, 50), {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        Fixture f(Image(9, 7, 24, rgb(100, 50, 50)));
        f.toggle();
        if (c.unchecked) f.uncheck(c.unchecked);
        EXPECT_EQ(f.session.title(), c.title);
        EXPECT_EQ(f.session.caption(), c.caption);
        EXPECT_EQ(f.session.averageColor(), c.background);
        EXPECT_EQ(f.session.captionTextColor(), kWhite);  // (200 + 200 + 50) / 7 < 128
        EXPECT_EQ(f.session.markers(), c.markers);
    }
}

TEST(HistogramSession, ExExSetsTheScaleWithoutTheExtremes) {
    Image image(16, 1, 24, 0);  // 12 black pixels, 4 of grey 100
    image.paste(Image(4, 1, 24, rgb(100, 100, 100)), 12, 0);
    Fixture f(image);
    f.toggle();
    EXPECT_EQ(f.graph(100, 0), kWhite);  // checked at opening: 100 is the tallest bar
    f.uncheck(&HistogramOptions::excludeExtremes);
    EXPECT_EQ(f.graph(100, 0), 0u);  // a third of black's bar
    EXPECT_EQ(f.graph(100, 127 - 128 / 3), kWhite);
}

TEST(HistogramSession, GraphsTheSelectionElseTheShownSlot) {
    // Working image: left half (100, 50, 50), right half (0, 0, 200).
    Image working(8, 4, 32, rgb(0, 0, 200));
    working.paste(Image(4, 4, 32, rgb(100, 50, 50)), 0, 0);
    struct Case {
        int shown;
        std::optional<Rect> selection;
        const char* title;
    };
    const Case cases[] = {
        {kSlotWorking, std::nullopt, "Histogram | RGB Average = (50, 25, 125)"},
        {kSlotWorking, Rect{0, 1, 3, 2}, "Histogram | RGB Average = (100, 50, 50)"},
        {kSlotWorking, Rect{3, 0, 4, 0}, "Histogram | RGB Average = (50, 25, 125)"},
        {kSlotPreview, std::nullopt, "Histogram | RGB Average = (30, 60, 90)"},
        {kSlotScratch, std::nullopt, "Histogram"},  // nothing there: nothing graphed
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        Fixture f(working);
        f.workspace.table.put(kSlotPreview, Image(3, 3, 24, rgb(30, 60, 90)));
        f.workspace.shown = c.shown;
        f.workspace.selection = c.selection;
        f.toggle();
        EXPECT_EQ(f.session.title(), c.title);
    }
}

TEST(HistogramSession, CloseFreesTheGraphAndClearsTheFlag) {
    Fixture f(Image(5, 5, 24, rgb(200, 200, 200)));
    f.toggle();
    EXPECT_EQ(f.session.captionTextColor(), 0u);  // black on a light average
    f.uncheck(&HistogramOptions::green);
    f.session.close();  // the close box
    EXPECT_FALSE(f.workspace.table.exists(kSlotHistogramGraph));
    f.session.refresh();  // the view's refresh does not reopen it
    EXPECT_FALSE(f.session.isOpen());
    f.toggle();  // one toggle opens it again, every box checked
    EXPECT_TRUE(f.session.options().green);
    f.toggle();
    EXPECT_FALSE(f.session.isOpen());
    EXPECT_FALSE(f.workspace.table.exists(kSlotHistogramGraph));
}

}  // namespace
}  // namespace tarnel
