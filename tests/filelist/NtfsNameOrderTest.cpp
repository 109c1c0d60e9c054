#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "FileListEntries.h"
#include "TempTree.h"
#include "filelist/AddFolder.h"
#include "filelist/FileList.h"
#include "filelist/NtfsNameOrder.h"
#include "filelist/UpperCaseTable.h"

namespace quillmere {
namespace {

using ::testing::ElementsAreArray;
using testing::Entries;
using testing::TempTree;

TEST(UpperCaseCodeUnit, MapsSmallLettersOfEveryScriptAndLeavesTheRest) {
    EXPECT_EQ(UpperCaseCodeUnit(u'a'), u'A');
    EXPECT_EQ(UpperCaseCodeUnit(u'z'), u'Z');
    EXPECT_EQ(UpperCaseCodeUnit(u'{'), u'{');
    EXPECT_EQ(UpperCaseCodeUnit(u'_'), u'_');
    EXPECT_EQ(UpperCaseCodeUnit(u'ä'), u'Ä');
    EXPECT_EQ(UpperCaseCodeUnit(u'÷'), u'÷');  // between the small letters of Latin-1
    EXPECT_EQ(UpperCaseCodeUnit(u'ÿ'), u'Ÿ');
    EXPECT_EQ(UpperCaseCodeUnit(u'ā'), u'Ā');  // alternating capital and small letters
    EXPECT_EQ(UpperCaseCodeUnit(u'Ā'), u'Ā');
    EXPECT_EQ(UpperCaseCodeUnit(u'ς'), u'Σ');
    EXPECT_EQ(UpperCaseCodeUnit(u'я'), u'Я');
    EXPECT_EQ(UpperCaseCodeUnit(u'ё'), u'Ё');
    EXPECT_EQ(UpperCaseCodeUnit(u'ⓐ'), u'Ⓐ');
    EXPECT_EQ(UpperCaseCodeUnit(u'ａ'), u'Ａ');
    // One code unit never becomes two, and what NTFS leaves alone stays.
    EXPECT_EQ(UpperCaseCodeUnit(u'ß'), u'ß');
    EXPECT_EQ(UpperCaseCodeUnit(u'µ'), u'µ');
    EXPECT_EQ(UpperCaseCodeUnit(u'ı'), u'ı');
    EXPECT_EQ(UpperCaseCodeUnit(char16_t{0xD83D}), char16_t{0xD83D});
    EXPECT_EQ(UpperCaseCodeUnit(char16_t{0xFFFF}), char16_t{0xFFFF});
}

TEST(NtfsNameOrder, ComparesUpperCasedUtf16CodeUnits) {
    EXPECT_EQ(NtfsCollationKey("Straße.csv"), u"STRAßE.CSV");
    // Bytes that are no UTF-8 keep a place of their own.
    EXPECT_EQ(NtfsCollationKey("caf\xE9"), std::u16string(u"CAF") + char16_t{0xDCE9});
    // Code units, not code points: a character beyond the BMP (its surrogates) sorts before the
    // private-use characters at the top of the BMP.
    EXPECT_TRUE(NtfsNameLess("\xF0\x9F\x98\x80", "\xEE\x80\x80"));
    EXPECT_TRUE(NtfsNameLess("a", "B"));
    EXPECT_TRUE(NtfsNameLess("Z", "_"));
    EXPECT_TRUE(NtfsNameLess("c10", "c2"));
    EXPECT_TRUE(NtfsNameLess("ab", "abc"));
    // Names equal but for their case keep the order of their bytes.
    EXPECT_TRUE(NtfsNameLess("README", "readme"));
    EXPECT_FALSE(NtfsNameLess("readme", "README"));
    EXPECT_FALSE(NtfsNameLess("same", "same"));
}

// Files and folders made in a scrambled order are listed, and walked, as Windows lists them.
TEST(NtfsNameOrder, AFolderScanListsEachFolderInWindowsOrder) {
    TempTree tree;
    const char* scrambled[] = {"b", "A", "c10", "c2", "Ä", "_x"};
    for (const char* name : scrambled) {
        tree.File(std::string("top/") + name + ".csv");
        tree.File(std::string("top/") + name + "/in.csv");
    }
    std::vector<std::string> expected;
    const char* windowsOrder[] = {"A", "b", "c10", "c2", "_x", "Ä"};
    for (const char* name : windowsOrder) {
        expected.push_back(tree.Path(std::string("top/") + name + ".csv"));
    }
    for (const char* name : windowsOrder) {
        expected.push_back(tree.Path(std::string("top/") + name + "/in.csv"));
    }
    FileList list;
    AddFolderFiles(tree.Path("top"), "*.csv", list, {});
    EXPECT_THAT(Entries(list), ElementsAreArray(expected));

    std::vector<DirectoryEntry> entries = {
        {"b", EntryKind::File}, {"A", EntryKind::Folder}, {"a", EntryKind::File}};
    SortInNtfsOrder(entries);
    EXPECT_EQ(entries[0].name, "A");
    EXPECT_EQ(entries[0].kind, EntryKind::Folder);
    EXPECT_EQ(entries[1].name, "a");
    EXPECT_EQ(entries[2].name, "b");
}

}  // namespace
}  // namespace quillmere
