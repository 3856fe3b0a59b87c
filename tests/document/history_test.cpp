#include "document/history.h"

#include <gtest/gtest.h>

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
