#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "FileListEntries.h"
#include "filelist/DragReorder.h"
#include "import/RunEnvironment.h"

namespace quillmere {
namespace {

using ::testing::ElementsAre;

// 10 rows of 20 pixels visible; the pointer in the middle of the list unless a test moves it.
constexpr ListViewport kMiddle{100, 200, 20};

using testing::Entries;

struct DragFixture {
    FileList list;
    DragReorder drag{list};
    DragFixture() {
        for (const char* text : {"A", "B", "C", "D"}) {
            list.Append(text);
        }
    }
    void PressOn(int position) {
        drag.MouseDown(position != 0);
        if (position != 0) {
            list.Select(position);
            drag.ItemClick();
        }
    }
};

TEST(DragReorder, MovingOneRowAtATimeCarriesTheDraggedPath) {
    DragFixture f;
    f.PressOn(1);
    EXPECT_EQ(f.drag.Cursor(), ListCursor::Drag);
    for (int row = 2; row <= 4; ++row) {
        EXPECT_TRUE(f.drag.MouseMove(row, kMiddle).swapped);
    }
    EXPECT_THAT(Entries(f.list), ElementsAre("B", "C", "D", "A"));
    EXPECT_EQ(f.list.Selected(), 4);
    EXPECT_EQ(f.drag.DraggedEntry(), 4);
    f.drag.MouseUp();
    EXPECT_EQ(f.drag.Cursor(), ListCursor::Arrow);
    EXPECT_FALSE(f.drag.Held());
    // Moves without the button change nothing.
    EXPECT_FALSE(f.drag.MouseMove(1, kMiddle).swapped);
    EXPECT_THAT(Entries(f.list), ElementsAre("B", "C", "D", "A"));
}

TEST(DragReorder, AJumpExchangesOnlyTheTwoPaths) {
    DragFixture f;
    f.PressOn(1);
    f.drag.MouseMove(4, kMiddle);
    EXPECT_THAT(Entries(f.list), ElementsAre("D", "B", "C", "A"));
    EXPECT_EQ(f.list.Selected(), 4);
}

TEST(DragReorder, SameTextsAndEmptySpaceChangeNothing) {
    DragFixture f;
    f.list.SetEntry(3, "A");  // a duplicate path
    f.PressOn(1);
    EXPECT_FALSE(f.drag.MouseMove(1, kMiddle).swapped);  // the dragged entry itself
    EXPECT_FALSE(f.drag.MouseMove(3, kMiddle).swapped);  // the same text
    EXPECT_FALSE(f.drag.MouseMove(0, kMiddle).swapped);  // below the last entry
    EXPECT_TRUE(f.drag.Held());
    EXPECT_TRUE(f.drag.MouseMove(2, kMiddle).swapped);  // the drag goes on
    EXPECT_THAT(Entries(f.list), ElementsAre("B", "A", "A", "D"));
}

TEST(DragReorder, ARemovedDraggedEntryDragsNothingUntilTheNextClick) {
    DragFixture f;
    f.PressOn(2);
    f.drag.MouseUp();
    f.list.Remove(2);  // removed meanwhile (double-click, Delete, Move Up, Clear List)
    f.drag.MouseDown(true);
    EXPECT_EQ(f.drag.DraggedEntry(), 0);
    EXPECT_FALSE(f.drag.MouseMove(1, kMiddle).swapped);
    EXPECT_FALSE(f.drag.MouseMove(3, kMiddle).swapped);
    EXPECT_THAT(Entries(f.list), ElementsAre("A", "C", "D"));
    f.list.Clear();
    EXPECT_FALSE(f.drag.MouseMove(1, kMiddle).swapped);

    // Appending (a drop during the drag) keeps the dragged entry.
    for (const char* text : {"A", "B"}) {
        f.list.Append(text);
    }
    f.PressOn(1);
    f.list.Append("C");
    EXPECT_TRUE(f.drag.MouseMove(3, kMiddle).swapped);
    EXPECT_THAT(Entries(f.list), ElementsAre("C", "B", "A"));
}

TEST(DragReorder, APressBesideTheEntriesDragsNothing) {
    DragFixture f;
    f.PressOn(1);
    f.drag.MouseUp();
    f.PressOn(0);
    EXPECT_FALSE(f.drag.MouseMove(3, kMiddle).swapped);
    EXPECT_THAT(Entries(f.list), ElementsAre("A", "B", "C", "D"));
}

TEST(DragReorder, MovesResetThePagePointerUnlessThePageIsBusy) {
    struct Pointer : PagePointer {
        int value = kPointerCustom;
        int Get() const override { return value; }
        void Set(int pointer) override { value = pointer; }
    } pointer;
    FileList list;
    DragReorder drag(list, &pointer);
    drag.MouseMove(0, kMiddle);
    EXPECT_EQ(pointer.value, kPointerDefault);
    pointer.value = kPointerBusy;
    drag.MouseMove(0, kMiddle);
    EXPECT_EQ(pointer.value, kPointerBusy);
}

TEST(DragReorder, ScrollsOneRowNearTheEdgesOfTheList) {
    // Within one row (20 px) of the top edge: the row above the entry under the pointer.
    EXPECT_EQ(DragScrollTarget(5, 30, {19, 200, 20}), 4);
    EXPECT_EQ(DragScrollTarget(5, 30, {0, 200, 20}), 4);
    EXPECT_EQ(DragScrollTarget(1, 30, {5, 200, 20}), 0);  // no row above
    EXPECT_EQ(DragScrollTarget(5, 30, {20, 200, 20}), 0);
    // Within one row of the bottom edge: the row below.
    EXPECT_EQ(DragScrollTarget(14, 30, {181, 200, 20}), 15);
    EXPECT_EQ(DragScrollTarget(30, 30, {190, 200, 20}), 0);  // no row below
    EXPECT_EQ(DragScrollTarget(14, 30, {180, 200, 20}), 0);
    EXPECT_EQ(DragScrollTarget(0, 30, {5, 200, 20}), 0);

    // A swap near the edge asks for the scroll; where the window stands plays no part.
    DragFixture f;
    f.PressOn(3);
    EXPECT_EQ(f.drag.MouseMove(2, {3, 200, 20}).scrollTo, 1);
    EXPECT_EQ(f.drag.MouseMove(3, {195, 200, 20}).scrollTo, 4);
    EXPECT_EQ(f.drag.MouseMove(4, {195, 200, 20}).scrollTo, 0);
}

}  // namespace
}  // namespace quillmere
