#include <gtest/gtest.h>

#include "FileListEntries.h"
#include "filelist/FileListCommands.h"

namespace quillmere {
namespace {
using testing::Entries;

FileList ListOf(std::initializer_list<const char*> paths) {
    FileList list;
    for (const char* path : paths) {
        list.Append(path);
    }
    return list;
}

TEST(FileListCommands, RemoveTakesTheSelectedEntryOnly) {
    auto list = ListOf({"a", "b", "c"});
    EXPECT_FALSE(RemoveSelected(list, false));  // nothing selected
    list.Select(2);
    EXPECT_TRUE(RemoveSelected(list, false));
    EXPECT_EQ(Entries(list), (std::vector<std::string>{"a", "c"}));
    EXPECT_EQ(list.Selected(), 0);
    FileList empty;
    EXPECT_FALSE(RemoveSelected(empty, false));
}

TEST(FileListCommands, NothingChangesWhileBusy) {
    auto list = ListOf({"a", "b", "c"});
    list.Select(2);
    EXPECT_FALSE(RemoveSelected(list, true));
    EXPECT_FALSE(ClearList(list, true));
    EXPECT_EQ(MoveSelectedUp(list, true), MoveOutcome::Nothing);
    EXPECT_EQ(MoveSelectedDown(list, true), MoveOutcome::Nothing);
    EXPECT_EQ(Entries(list), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(list.Selected(), 2);
    EXPECT_TRUE(ClearList(list, false));
    EXPECT_EQ(list.Count(), 0);
}

TEST(FileListCommands, MovingTheMiddleEntryKeepsItSelected) {
    auto list = ListOf({"1", "2", "3"});
    list.Select(2);
    EXPECT_EQ(MoveSelectedUp(list, false), MoveOutcome::MovedAndFocus);
    EXPECT_EQ(Entries(list), (std::vector<std::string>{"2", "1", "3"}));
    EXPECT_EQ(list.Selected(), 1);
    EXPECT_EQ(MoveSelectedDown(list, false), MoveOutcome::MovedAndFocus);
    EXPECT_EQ(MoveSelectedDown(list, false), MoveOutcome::MovedAndFocus);
    EXPECT_EQ(Entries(list), (std::vector<std::string>{"1", "3", "2"}));
    EXPECT_EQ(list.Selected(), 3);
}

TEST(FileListCommands, TheEndsOnlyFocusTheList) {
    auto list = ListOf({"1", "2", "3"});
    list.Select(1);
    EXPECT_EQ(MoveSelectedUp(list, false), MoveOutcome::FocusList);
    list.Select(3);
    EXPECT_EQ(MoveSelectedDown(list, false), MoveOutcome::FocusList);
    EXPECT_EQ(Entries(list), (std::vector<std::string>{"1", "2", "3"}));
    list.Select(0);
    EXPECT_EQ(MoveSelectedUp(list, false), MoveOutcome::Nothing);
    FileList empty;
    EXPECT_EQ(MoveSelectedDown(empty, false), MoveOutcome::Nothing);
}

TEST(FileListCommands, DuplicatesMoveAsSeparateEntries) {
    auto list = ListOf({"same", "other", "same"});
    list.Select(3);
    EXPECT_EQ(MoveSelectedUp(list, false), MoveOutcome::MovedAndFocus);
    EXPECT_EQ(Entries(list), (std::vector<std::string>{"same", "same", "other"}));
    EXPECT_EQ(list.Selected(), 2);
}

TEST(FileListCommands, DialogSelectionsAreAppendedInTheOrderReturned) {
    FileList list;
    AddDialogSelection(list, {});
    AddDialogSelection(list, {""});  // cancelled
    EXPECT_EQ(list.Count(), 0);
#ifdef _WIN32
    // The Windows dialog's folders, joined with backslashes.
    AddDialogSelection(list, {"C:\\data\\\\single.csv"});  // one full path: unchanged
    AddDialogSelection(list, {"C:\\", "a.csv", "b.csv"});
    AddDialogSelection(list, {"C:\\data\\in", "c.csv"});
    AddFullPaths(list, {"C:\\x\\y.csv", "C:\\x\\y.csv"});
    EXPECT_EQ(Entries(list),
              (std::vector<std::string>{"C:\\data\\\\single.csv", "C:\\a.csv", "C:\\b.csv",
                                        "C:\\data\\in\\c.csv", "C:\\x\\y.csv", "C:\\x\\y.csv"}));
#else
    AddDialogSelection(list, {"/data//single.csv"});  // one full path: unchanged
    AddDialogSelection(list, {"/", "a.csv", "b.csv"});
    AddDialogSelection(list, {"/data/in", "c.csv"});
    AddFullPaths(list, {"/x/y.csv", "/x/y.csv"});
    EXPECT_EQ(Entries(list), (std::vector<std::string>{"/data//single.csv", "/a.csv", "/b.csv",
                                                       "/data/in/c.csv", "/x/y.csv", "/x/y.csv"}));
#endif
}

}  // namespace
}  // namespace quillmere
