#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "FileListEntries.h"
#include "TempTree.h"
#include "filelist/FileDrop.h"
#include "filelist/FileList.h"

namespace quillmere {
namespace {

using ::testing::ElementsAre;
using testing::TempTree;

using testing::Entries;

TEST(FileDrop, FoldersAreWalkedForEveryFileInTheOrderOfTheDrop) {
    TempTree tree;
    tree.File("first/report.txt");
    tree.File("first/~$lock.docx");
    tree.File("second/sub/data.xlsx");
    tree.File("second/.hidden");
    const std::string loose = tree.File("loose.csv");

    FileList list;
    AppendDroppedPaths({tree.Path("second"), tree.Path("first")}, list, {});
    EXPECT_THAT(Entries(list),
                ElementsAre(tree.Path("second/sub/data.xlsx"), tree.Path("first/report.txt")));

    // A file before and after a folder keeps its place; nothing is deduplicated.
    FileList mixed;
    mixed.Append(loose);
    AppendDroppedPaths({loose, tree.Path("first"), loose}, mixed, {});
    EXPECT_THAT(Entries(mixed), ElementsAre(loose, loose, tree.Path("first/report.txt"), loose));
}

TEST(FileDrop, DroppedFilesAreAppendedUnchanged) {
    TempTree tree;
    const std::string odd = tree.File("~$draft.docx");
    const std::string hidden = tree.File(".env");
    const std::string doubled = tree.Root() + "//" + "~$draft.docx";
    const std::string gone = tree.Path("deleted meanwhile.csv");
    FileList list;
    AppendDroppedPaths({odd, hidden, doubled, gone}, list, {});
    EXPECT_THAT(Entries(list), ElementsAre(odd, hidden, doubled, gone));
    AppendDroppedPaths({}, list, {});
    EXPECT_EQ(list.Count(), 4);
}

}  // namespace
}  // namespace quillmere
