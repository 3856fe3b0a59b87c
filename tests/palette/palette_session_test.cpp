#include "palette/palette_session.h"

#include <gtest/gtest.h>

#include <functional>

#include "common/fake_workspace.h"
#include "document/slots.h"
#include "palette/palette_colors.h"

namespace tarnel {
namespace {

using test::FakeWorkspace;

struct FakePrompts final : ColorEditPrompts {
    std::optional<Color> chooseColor(Color initial) override { offered.push_back(initial); return chosen; }
    bool askYesNo(const std::string& title, const std::string& text) override {
        asked.push_back(title + "|" + text);
        return keep;
    }
    void answer(std::optional<Color> colour, bool yes) {
        chosen = colour;
        keep = yes;
        offered.clear();
        asked.clear();
    }
    std::optional<Color> chosen;
    bool keep = false;
    std::vector<Color> offered;       // the requester's initial colours
    std::vector<std::string> asked;   // "title|text" of each question
};

// One row of n distinct colours, alpha 0x80.
Image rowOfColours(int n) {
    Image image(n, 1, 32);
    for (int i = 0; i < n; ++i) image.setPixel(i, 0, 0x80000000u | ((static_cast<Color>(i) * 0x010203u) & kColorMask));
    return image;
}

struct PaletteSessionTest : ::testing::Test {
    PaletteSessionTest() { workspace.onRedraw = [this] { session.refresh(); }; }
    void openOn(const Image& working) {
        workspace.table.put(kSlotWorking, working);
        if (!session.isOpen()) session.toggle();
        session.refresh();
    }
    FakeWorkspace workspace;
    FakePrompts prompts;
    PaletteSession session{workspace, prompts};
};

TEST_F(PaletteSessionTest, TitleAndGridFollowTheColourCount) {
    const struct {
        int colours;
        const char* title;
        int cell, lastX, lastY;  // a pixel of the last swatch drawn
        int patternX, patternY;  // a pixel of the pattern after it, or -1
    } cases[] = {{1, " Palette = 1", 176, 175, 175, 0, 176},
                 {3, " Palette = 3", 88, 87, 175, 88, 88},
                 {512, " Palette = 512", 11, 175, 351, -1, -1},
                 {600, "Palette > 512", 11, 175, 351, -1, -1}};
    const Image background = swatchBackground();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title);
        const Image image = rowOfColours(c.colours);
        openOn(image);
        const std::vector<Color> expected = collectColors(image, image.rect());
        EXPECT_EQ(session.title(), c.title);
        EXPECT_EQ(session.shownColors(), expected);
        EXPECT_EQ(workspace.palette, expected);
        const Image& swatches = *workspace.table.find(kSlotPaletteSwatches);
        EXPECT_EQ(swatches.pixel(c.cell - 1, c.cell - 1), expected[0]);
        EXPECT_EQ(swatches.pixel(c.lastX, c.lastY), expected[std::min(c.colours, kSwatchMaxColors) - 1]);
        if (c.patternX >= 0) {
            EXPECT_EQ(swatches.pixel(c.patternX, c.patternY), background.pixel(c.patternX, c.patternY));
        }
    }
    EXPECT_EQ(*workspace.table.find(kSlotPaletteBackground), background);
    EXPECT_FALSE(session.toggle());
    EXPECT_FALSE(workspace.table.exists(kSlotPaletteSwatches) || workspace.table.exists(kSlotPaletteBackground));
}

TEST_F(PaletteSessionTest, AnalysesTheShownSlotOrTheSelection) {
    workspace.table.put(kSlotScratch, Image(2, 2, 24, 0x666666));
    workspace.table.put(kSlotPreview, Image(2, 2, 24, 0x777777));
    openOn(Image(2, 2, 24, 0x444444));
    for (const auto& [slot, colour] : {std::pair{kSlotPreview, 0x777777u}, std::pair{kSlotScratch, 0x666666u}}) {
        workspace.shown = slot;
        session.refresh();
        EXPECT_EQ(session.shownColors(), std::vector<Color>{colour});
    }
    // A selection shows its own colours and leaves the current palette alone.
    workspace.table.put(kSlotPreview, rowOfColours(4));
    workspace.shown = kSlotPreview;
    workspace.selection = Rect{0, 0, 1, 0};
    session.refresh();
    EXPECT_EQ(session.shownColors(), (std::vector<Color>{0, 0x010203}));
    EXPECT_EQ(workspace.palette, std::vector<Color>{0x666666});
}

// Colours 0x10, 0x20, 0x30 in three swatches of 88 pixels; (40, 100) is 0x30.
TEST_F(PaletteSessionTest, EditAnsweredYesRecordsOnceAndNoRestoresEverything) {
    Image image(3, 3, 32, 0xFF000010);
    image.setPixel(1, 1, 0x01000020);
    image.setPixel(0, 2, 0x7F000030);
    Image recoloured = image;
    recoloured.setPixel(0, 2, 0x7F000010);  // merged with 0x10: no replace-back could undo it
    for (const bool keep : {true, false}) {
        SCOPED_TRACE(keep);
        openOn(image);
        workspace.records = 0;
        workspace.palette = {0x30, 0x99, 0x30};  // not the image's: redraws in between must not leave theirs
        prompts.answer(0x10, keep);

        EXPECT_EQ(session.editAt(40, 100), keep ? ColorEditResult::Kept : ColorEditResult::Discarded);

        EXPECT_EQ(*workspace.table.find(kSlotWorking), keep ? recoloured : image);
        EXPECT_EQ(workspace.records, keep ? 1 : 0);
        EXPECT_EQ(workspace.palette, (std::vector<Color>{keep ? 0x10u : 0x30u, 0x99, 0x30}));
        if (keep) {
            EXPECT_EQ(session.shownColors(), workspace.palette);
        }
        EXPECT_EQ(prompts.offered, std::vector<Color>{0x30});
        EXPECT_EQ(prompts.asked, std::vector<std::string>{"|Do you wish to keep this color?"});
        EXPECT_FALSE(workspace.table.exists(kSlotScratch));
    }
}

TEST_F(PaletteSessionTest, EditsThatChangeNothing) {
    const struct {
        const char* name;
        bool busy;
        int x, y;
        std::optional<Color> answer;
        ColorEditResult result;
    } cases[] = {{"a modal tool is open", true, 10, 10, 0x123456, ColorEditResult::Refused},
                 {"the pattern after the last swatch", false, 120, 120, 0x123456, ColorEditResult::Missed},
                 {"left of the swatches", false, -1, 10, 0x123456, ColorEditResult::Missed},
                 {"the requester cancelled", false, 10, 10, std::nullopt, ColorEditResult::Cancelled}};
    const Image image = rowOfColours(3);
    openOn(image);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        workspace.palette = {0x42};
        prompts.answer(c.answer, true);
        if (c.busy) workspace.mask.set(kBusyQuantize); else workspace.mask.clear(kBusyQuantize);
        EXPECT_EQ(session.editAt(c.x, c.y), c.result);
        EXPECT_EQ(prompts.offered.size(), c.result == ColorEditResult::Cancelled ? 1u : 0u);
        EXPECT_TRUE(prompts.asked.empty());
        EXPECT_EQ(*workspace.table.find(kSlotWorking), image);
        EXPECT_EQ(workspace.records, 0);
        EXPECT_EQ(workspace.palette, std::vector<Color>{0x42});
    }
}

}  // namespace
}  // namespace tarnel
