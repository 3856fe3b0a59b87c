#include "document/history.h"

#include <gtest/gtest.h>

#include <vector>

#include "document/busy_mask.h"
#include "document/image_table.h"
#include "document/slots.h"

namespace tarnel {
namespace {

// A working image whose single distinguishing pixel is `mark`.
Image marked(Color mark, int w = 4, int h = 3) {
    Image image(w, h, 24, 0);
    image.setPixel(0, 0, mark);
    return image;
}

Color workingMark(const ImageTable& table) { return table.find(kSlotWorking)->pixel(0, 0); }

// An operation: change slot 4, then record.
void apply(ImageTable& table, History& history, Color mark, int w = 4, int h = 3) {
    table.put(kSlotWorking, marked(mark, w, h));
    history.record(table, kSlotWorking);
}

TEST(ImageTable, FreshNumbersAvoidFixedSlotsAndAreNeverReused) {
    ImageTable table;
    table.put(kSlotWorking, marked(1));
    const int a = table.copyToNew(kSlotWorking);
    table.free(a);
    const int b = table.add(marked(2));
    EXPECT_GE(a, kFirstFreshSlot);
    EXPECT_NE(a, b);
    EXPECT_FALSE(table.exists(a));
    EXPECT_EQ(table.copyToNew(99), -1);
    EXPECT_FALSE(table.copy(99, kSlotScratch));
    EXPECT_FALSE(table.exists(kSlotScratch));
    table.put(kSlotScratch, Image());
    EXPECT_FALSE(table.exists(kSlotScratch)) << "a null image counts as no image";
}

TEST(ImageTable, CopyReplacesSizeAndIsIndependent) {
    ImageTable table;
    table.put(kSlotWorking, marked(7, 5, 6));
    table.put(kSlotScratch, marked(1, 2, 2));
    ASSERT_TRUE(table.copy(kSlotWorking, kSlotScratch));
    EXPECT_EQ(table.find(kSlotScratch)->width(), 5);
    table.find(kSlotWorking)->setPixel(0, 0, 9);
    EXPECT_EQ(table.find(kSlotScratch)->pixel(0, 0), 7u);
}

TEST(History, TwoOperationsUndoneThenAThirdDropsRedoStates) {
    ImageTable table;
    History history;
    table.put(kSlotWorking, marked(100));  // loaded image
    ASSERT_TRUE(history.reset(table));
    EXPECT_FALSE(history.undoAvailable());
    EXPECT_FALSE(history.redoAvailable());

    apply(table, history, 101);
    apply(table, history, 102);
    EXPECT_TRUE(history.undoAvailable());
    EXPECT_EQ(history.size(), 3);

    history.undo(table);
    history.undo(table);
    EXPECT_EQ(workingMark(table), 100u);
    EXPECT_FALSE(history.undoAvailable());
    EXPECT_TRUE(history.redoAvailable());
    EXPECT_EQ(history.cursor(), 0);

    apply(table, history, 103);
    EXPECT_TRUE(history.undoAvailable());
    EXPECT_FALSE(history.redoAvailable());
    EXPECT_EQ(history.size(), 2);
    // Working image + two snapshots: the dropped redo states were freed.
    EXPECT_EQ(table.count(), 3);

    history.redo(table);  // at the end: stays, copies the cursor entry again
    EXPECT_EQ(workingMark(table), 103u);
    history.undo(table);
    EXPECT_EQ(workingMark(table), 100u);
    history.redo(table);
    EXPECT_EQ(workingMark(table), 103u);
}

TEST(History, ARecordAfterSeveralUndosDropsEveryRedoState) {
    ImageTable table;
    History history;
    table.put(kSlotWorking, marked(100));
    ASSERT_TRUE(history.reset(table));
    for (std::uint32_t mark = 101; mark <= 104; ++mark) apply(table, history, mark);
    for (int i = 0; i < 3; ++i) history.undo(table);
    EXPECT_EQ(workingMark(table), 101u);

    apply(table, history, 105);  // 102, 103 and 104 are gone
    EXPECT_EQ(history.size(), 3);
    EXPECT_FALSE(history.redoAvailable());
    EXPECT_EQ(table.count(), 1 + 3);  // the working image and three snapshots
    history.redo(table);
    EXPECT_EQ(workingMark(table), 105u);
    history.undo(table);
    EXPECT_EQ(workingMark(table), 101u);
}

TEST(History, UndoAtTheStartRestoresTheCursorStateWithoutFalseRedo) {
    ImageTable table;
    History history;
    table.put(kSlotWorking, marked(100));
    history.reset(table);
    table.find(kSlotWorking)->setPixel(0, 0, 55);  // an unrecorded change
    const History::Step step = history.undo(table);
    EXPECT_TRUE(step.ran);
    EXPECT_FALSE(step.sizeChanged);
    EXPECT_EQ(history.cursor(), 0);
    EXPECT_EQ(workingMark(table), 100u);
    EXPECT_FALSE(history.undoAvailable());
    EXPECT_FALSE(history.redoAvailable()) << "nothing follows the cursor";
}

TEST(History, UndoReportsASizeChange) {
    ImageTable table;
    History history;
    table.put(kSlotWorking, marked(1, 4, 3));
    history.reset(table);
    apply(table, history, 2, 3, 4);  // a rotation
    EXPECT_TRUE(history.undo(table).sizeChanged);
    EXPECT_EQ(table.find(kSlotWorking)->width(), 4);
    EXPECT_TRUE(history.redo(table).sizeChanged);
    EXPECT_FALSE(history.redo(table).sizeChanged);
}

TEST(History, EmptyListDoesNothing) {
    ImageTable table;
    History history;
    table.put(kSlotWorking, marked(5));
    EXPECT_FALSE(history.undo(table).ran);
    EXPECT_FALSE(history.redo(table).ran);
    EXPECT_FALSE(history.restoreBase(table));
    EXPECT_EQ(workingMark(table), 5u);

    // Recording on the empty list appends the first entry.
    history.record(table, kSlotWorking);
    EXPECT_EQ(history.size(), 1);
    EXPECT_EQ(history.cursor(), 0);
}

TEST(History, ResetNeedsAWorkingImageAndFreesEverySnapshot) {
    ImageTable table;
    History history;
    EXPECT_FALSE(history.reset(table));
    table.put(kSlotWorking, marked(1));
    history.reset(table);
    apply(table, history, 2);
    apply(table, history, 3);
    history.reset(table);
    EXPECT_EQ(history.size(), 1);
    EXPECT_EQ(table.count(), 2);
}

TEST(History, RestoreBaseGivesTheSourceImageAndEmptiesTheList) {
    ImageTable table;
    History history;
    table.put(kSlotWorking, marked(1, 8, 8));
    history.reset(table);
    apply(table, history, 2, 4, 4);
    apply(table, history, 3);
    history.undo(table);
    ASSERT_TRUE(history.restoreBase(table));
    EXPECT_EQ(workingMark(table), 1u);
    EXPECT_EQ(table.find(kSlotWorking)->width(), 8);
    EXPECT_EQ(history.size(), 0);
    EXPECT_EQ(table.count(), 1);
    history.record(table, kSlotWorking);
    EXPECT_EQ(history.size(), 1);
}

TEST(History, SnapshotsAreIndependentCopies) {
    ImageTable table;
    History history;
    table.put(kSlotWorking, marked(1));
    history.reset(table);
    table.find(kSlotWorking)->setPixel(1, 1, 0xABCDEF);
    history.record(table, kSlotWorking);
    table.find(kSlotWorking)->setPixel(1, 1, 0);
    history.redo(table);  // at the end: copies the snapshot back
    EXPECT_EQ(table.find(kSlotWorking)->pixel(1, 1), 0xABCDEFu);
}

// Large images go through recycled memory (freed buffers reused, copies into
// slots of the same size made in place). A long chain of whole-image and
// area changes, sizes changing now and then, with Undo, Redo and Revert in
// between, must give exactly what a plain list of independent copies gives.
TEST(History, RecycledMemoryGivesTheSameImagesAsPlainCopies) {
    constexpr int kW = 1024, kH = 768;  // 3 MiB: large enough to be recycled
    ImageTable table;
    History history;
    table.put(kSlotWorking, Image(kW, kH, 32, 0x11223344));
    ASSERT_TRUE(history.reset(table));
    std::vector<Image> model{*table.find(kSlotWorking)};  // the states, cursor at the back
    std::size_t cursor = 0;
    std::uint32_t seed = 7;
    const auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };

    for (int step = 0; step < 120; ++step) {
        const std::uint32_t r = next() % 10;
        Image& working = *table.find(kSlotWorking);
        if (r < 4) {  // a change in place: the whole image or an area
            const Rect area = r < 2 ? working.rect() : Rect{int(next() % 100), int(next() % 100), 300, 200};
            for (int y = area.top; y <= area.bottom; ++y)
                for (int x = area.left; x <= area.right; ++x) working.setPixel(x, y, working.pixel(x, y) + r + 1);
        } else if (r == 4) {  // a change of size (a rotation, a crop)
            table.put(kSlotWorking, Image(working.height(), working.width(), 32, next()));
        } else if (r < 7) {
            history.undo(table);
            if (cursor > 0) --cursor;
            ASSERT_EQ(*table.find(kSlotWorking), model[cursor]) << step;
            continue;
        } else if (r < 9) {
            history.redo(table);
            if (cursor + 1 < model.size()) ++cursor;
            ASSERT_EQ(*table.find(kSlotWorking), model[cursor]) << step;
            continue;
        } else {
            ASSERT_TRUE(history.restoreBase(table));
            history.record(table);
            model = {model.front()};
            cursor = 0;
            ASSERT_EQ(*table.find(kSlotWorking), model[0]) << step;
            continue;
        }
        history.record(table);
        model.resize(cursor + 1);
        model.push_back(*table.find(kSlotWorking));
        cursor = model.size() - 1;
    }
    // Every state is still there, unchanged, from the last back to the first.
    for (std::size_t i = cursor + 1; i-- > 0;) {
        ASSERT_EQ(*table.find(kSlotWorking), model[i]) << i;
        history.undo(table);
    }
}

// Over the budget the oldest states after the source go first; Revert still
// finds the source and Undo walks only what is left.
TEST(History, AMemoryBudgetDropsTheOldestStatesButKeepsTheSource) {
    ImageTable table;
    History history;
    table.put(kSlotWorking, marked(100));
    ASSERT_TRUE(history.reset(table));
    const std::size_t state = 4 * 3 * sizeof(Color);
    history.setMemoryBudget(4 * state);  // the source and three more
    for (std::uint32_t mark = 101; mark <= 106; ++mark) apply(table, history, mark);
    EXPECT_EQ(history.size(), 4);
    EXPECT_LE(history.memoryUsed(table), 4 * state);
    EXPECT_EQ(table.count(), 1 + 4);  // dropped states were freed
    for (const std::uint32_t mark : {105u, 104u, 100u}) {
        history.undo(table);
        EXPECT_EQ(workingMark(table), mark);
    }
    EXPECT_FALSE(history.undoAvailable());
    history.redo(table);
    apply(table, history, 107);  // a change after Undo: 105, 106 go as redo states
    EXPECT_EQ(history.size(), 3);
    ASSERT_TRUE(history.restoreBase(table));
    EXPECT_EQ(workingMark(table), 100u);
}

TEST(BusyMask, TestIsTheOrOfOpenTools) {
    BusyMask busy;
    EXPECT_EQ(busy.test(), 0);
    busy.set(kBusyQuantize);
    busy.set(kBusyAddText);
    EXPECT_EQ(busy.test(), 130);
    busy.clear(kBusyQuantize);
    EXPECT_EQ(busy.test(), 128);
    EXPECT_FALSE(busy.isSet(kBusyQuantize));
}

}  // namespace
}  // namespace tarnel
