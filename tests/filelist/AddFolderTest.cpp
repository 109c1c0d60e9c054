#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>

#include "FileListEntries.h"
#include "TempTree.h"
#include "filelist/AddFolder.h"
#include "filelist/FileList.h"
#include "filelist/WildcardMatch.h"

namespace quillmere {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using testing::TempTree;

using testing::Entries;

struct ReportedError {
    std::string description;
    int step;
};

// Walk hooks that count yields and keep every reported error.
struct RecordingHooks {
    int yields = 0;
    std::vector<ReportedError> errors;
    FolderWalkHooks Hooks(DirectoryReader* reader = nullptr) {
        FolderWalkHooks hooks;
        hooks.yield = [this] { ++yields; };
        hooks.reportError = [this](const std::string& d, int s) { errors.push_back({d, s}); };
        hooks.reader = reader;
        return hooks;
    }
};

// The real file system, except for folders told to fail.
class FailingReader : public DirectoryReader {
  public:
    std::map<std::string, ReadFailure> failures;  // folder (with its final '/') -> failure
    bool failFromSecondRead = false;              // the walk reads well, the listing fails
    std::map<std::string, int> reads;
    DirectoryListing Read(const std::string& folder) override {
        DirectoryListing listing = PlatformDirectoryReader().Read(folder);
        auto it = failures.find(folder);
        if (it != failures.end() && (!failFromSecondRead || ++reads[folder] > 1)) {
            // Denied and vanished folders fail when opened; other failures come later, so the
            // first entry was read.
            const size_t kept = it->second == ReadFailure::Other ? 1 : 0;
            listing.entries.resize(std::min(listing.entries.size(), kept));
            listing.failure = it->second;
            listing.failureText = "Cannot read the folder \"" + folder + "\": Input/output error";
        }
        return listing;
    }
};

TEST(Wildcard, MatchesLikeWindowsFileNames) {
    EXPECT_TRUE(MatchesWildcard("data.csv", "*.csv"));
    EXPECT_TRUE(MatchesWildcard("DATA.CSV", "*.csv"));
    EXPECT_TRUE(MatchesWildcard("data.Csv", "*.cSV"));
    EXPECT_FALSE(MatchesWildcard("data.csvx", "*.csv"));
    EXPECT_FALSE(MatchesWildcard("datacsv", "*.csv"));
    EXPECT_TRUE(MatchesWildcard("a.b.csv", "*.csv"));
    // "*.*" takes every name, with or without a dot; "*" likewise.
    EXPECT_TRUE(MatchesWildcard("README", "*.*"));
    EXPECT_TRUE(MatchesWildcard("x.tar.gz", "*.*"));
    EXPECT_TRUE(MatchesWildcard(".profile", "*.*"));
    EXPECT_TRUE(MatchesWildcard("README", "*"));
    EXPECT_TRUE(MatchesWildcard("data", "data.*"));
    EXPECT_FALSE(MatchesWildcard("data", "*.csv"));
    // "?" is one character, also a multi-byte one.
    EXPECT_TRUE(MatchesWildcard("\xC3\xA9t\xC3\xA9.txt", "?t?.txt"));
    EXPECT_FALSE(MatchesWildcard("et.txt", "?t?.txt"));
    EXPECT_TRUE(MatchesWildcard("r\xC3\xA9sum\xC3\xA9.csv", "*\xC3\xA9.csv"));
    EXPECT_TRUE(MatchesWildcard("aaaaaaaaaaaaaaaaaaaaaaaaaaaaaab", "*a*a*a*a*a*a*b"));
    EXPECT_FALSE(MatchesWildcard("aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", "*a*a*a*a*a*a*b"));
}

TEST(AddFolderNames, UnusualMeansBrokenUtf8OrControlCharacters) {
    EXPECT_FALSE(HasUnusualCharacters("plain name"));
    EXPECT_FALSE(HasUnusualCharacters("\xE6\x97\xA5\xE6\x9C\xAC"));      // Japanese
    EXPECT_FALSE(HasUnusualCharacters("\xC5\x81\xC3\xB3\x64\xC5\xBA"));  // Polish, not Windows-1252
    EXPECT_FALSE(HasUnusualCharacters("emoji \xF0\x9F\x93\x81"));
    EXPECT_FALSE(HasUnusualCharacters("what?"));
    EXPECT_TRUE(HasUnusualCharacters("tab\there"));
    EXPECT_TRUE(HasUnusualCharacters("del\x7F"));
    EXPECT_TRUE(HasUnusualCharacters("c1 \xC2\x85"));        // U+0085, a C1 control
    EXPECT_FALSE(HasUnusualCharacters("nbsp \xC2\xA0"));     // U+00A0 is printable
    EXPECT_TRUE(HasUnusualCharacters("latin1 \xE9"));        // a lone Windows-1252 byte
    EXPECT_TRUE(HasUnusualCharacters("overlong \xC0\xAF"));  // "/" spelt in two bytes
    EXPECT_TRUE(HasUnusualCharacters("surrogate \xED\xA0\x80"));
    EXPECT_TRUE(HasUnusualCharacters("cut \xE6\x97"));

    EXPECT_TRUE(IsHiddenName(".git"));
    EXPECT_FALSE(IsHiddenName("."));
    EXPECT_FALSE(IsHiddenName(".."));
    EXPECT_FALSE(IsHiddenName("a.b"));
    EXPECT_TRUE(IsRootFolder("/"));
    EXPECT_TRUE(IsRootFolder("//"));
    EXPECT_FALSE(IsRootFolder("/tmp"));
    EXPECT_FALSE(IsRootFolder(""));
}

TEST(AddFolderNames, OnlyRegularFilesExist) {
    TempTree tree;
    const std::string file = tree.File("a.csv");
    const std::string folder = tree.Folder("sub");
    const std::string fifo = tree.Path("pipe.csv");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::filesystem::create_symlink(file, tree.Path("link.csv"));
    std::filesystem::create_symlink(tree.Path("gone.csv"), tree.Path("broken.csv"));

    EXPECT_TRUE(IsExistingFile(file));
    EXPECT_TRUE(IsExistingFile(tree.Path("link.csv")));
    EXPECT_FALSE(IsExistingFile(folder));
    EXPECT_FALSE(IsExistingFile(fifo));  // reading a pipe would hang the import
    EXPECT_FALSE(IsExistingFile(tree.Path("broken.csv")));
    EXPECT_FALSE(IsExistingFile(tree.Path("missing.csv")));
    EXPECT_FALSE(IsExistingFile(""));
    EXPECT_TRUE(IsFolder(folder));
    EXPECT_TRUE(IsFolder(folder + "/"));
    EXPECT_FALSE(IsFolder(file));
    EXPECT_FALSE(IsFolder(tree.Path("missing")));

    // ListFiles keeps matching files only, in name order, and leaves the pipe out.
    tree.Folder("folder.csv");
    EXPECT_THAT(ListFiles(tree.Root(), "*.CSV", PlatformDirectoryReader()),
                ElementsAre("a.csv", "link.csv"));
    EXPECT_TRUE(ListFiles(tree.Path("missing"), "*.*", PlatformDirectoryReader()).empty());
}

// Folders A, A/B, A/C, A/B/D: breadth-first by level, the subfolders of one folder and the
// files of each in name order, made in another order.
TEST(AddFolderFiles, WalksTheTreeLevelByLevelInNameOrder) {
    TempTree tree;
    tree.Folder("A/C");
    tree.Folder("A/B/D");
    for (const char* folder : {"A/B/D", "A", "A/C", "A/B"}) {
        for (const char* name : {"two.csv", "one.csv", "three.csv"}) {
            tree.File(std::string(folder) + "/" + name);
        }
    }
    std::vector<std::string> expected;
    for (const char* folder : {"A", "A/B", "A/C", "A/B/D"}) {
        for (const char* name : {"one.csv", "three.csv", "two.csv"}) {
            expected.push_back(tree.Path(std::string(folder) + "/" + name));
        }
    }

    FileList list;
    RecordingHooks recording;
    AddFolderFiles(tree.Path("A"), "*.csv", list, recording.Hooks());
    EXPECT_THAT(Entries(list), ElementsAreArray(expected));
    EXPECT_TRUE(recording.errors.empty());
    EXPECT_GE(recording.yields, 4);  // at least once per folder

    // A second scan of the same folder appends every file again; a final separator on the
    // chosen folder does not double the one in the paths.
    AddFolderFiles(tree.Path("A") + "/", "*.csv", list, recording.Hooks());
    ASSERT_EQ(list.Count(), 24);
    EXPECT_EQ(list.Entry(13), expected[0]);
    EXPECT_EQ(list.Entry(24), expected[11]);
}

TEST(AddFolderFiles, FiltersNamesPatternsAndHiddenEntries) {
    TempTree tree;
    tree.File("keep.csv");
    tree.File("UPPER.CSV");
    tree.File("~lock.csv");
    tree.File("~other.txt");
    tree.File("notes.txt");
    tree.File("README");
    tree.File(".hidden.csv");
    tree.Folder("folder.csv");  // a folder whose name matches is no file
    tree.File(".secret/inside.csv");
    tree.Folder("visible/.deeper");
    tree.File("visible/.deeper/buried.csv");
    tree.File("visible/ok.csv");
    tree.File("~tilde-folder/found.csv");  // only file names beginning with "~" are skipped

    auto scan = [&](const std::string& pattern) {
        FileList list;
        RecordingHooks recording;
        AddFolderFiles(tree.Root(), pattern, list, recording.Hooks());
        EXPECT_TRUE(recording.errors.empty());
        auto entries = Entries(list);
        std::sort(entries.begin(), entries.end());
        return entries;
    };
    EXPECT_THAT(scan("*.csv"), ElementsAreArray({tree.Path("UPPER.CSV"), tree.Path("keep.csv"),
                                                 tree.Path("visible/ok.csv"),
                                                 tree.Path("~tilde-folder/found.csv")}));
    EXPECT_THAT(scan("*.*"), ElementsAreArray({tree.Path("README"), tree.Path("UPPER.CSV"),
                                               tree.Path("keep.csv"), tree.Path("notes.txt"),
                                               tree.Path("visible/ok.csv"),
                                               tree.Path("~tilde-folder/found.csv")}));
    EXPECT_THAT(scan("*.TXT"), ElementsAreArray({tree.Path("notes.txt")}));
    EXPECT_TRUE(scan("*.xlsx").empty());

    // A hidden folder chosen itself gives its own files but is not walked below.
    tree.File(".secret/deeper/below.csv");
    FileList list;
    AddFolderFiles(tree.Path(".secret"), "*.csv", list, {});
    EXPECT_THAT(Entries(list), ElementsAreArray({tree.Path(".secret/inside.csv")}));
}

TEST(AddFolderFiles, SkipsUnusualFolderNamesWithEverythingBelow) {
    TempTree tree;
    tree.File("control\x01name/a.csv");
    tree.File("broken\xFFutf8/deeper/b.csv");
    tree.File("\xE6\x97\xA5\xE6\x9C\xAC/c.csv");
    tree.File("\xC5\x81\xC3\xB3\x64\xC5\xBA/d.csv");
    tree.File("what?/e.csv");
    FileList list;
    AddFolderFiles(tree.Root(), "*.csv", list, {});
    auto entries = Entries(list);
    std::sort(entries.begin(), entries.end());
    EXPECT_THAT(entries, ElementsAreArray({tree.Path("what?/e.csv"),
                                           tree.Path("\xC5\x81\xC3\xB3\x64\xC5\xBA/d.csv"),
                                           tree.Path("\xE6\x97\xA5\xE6\x9C\xAC/c.csv")}));
}

TEST(AddFolderFiles, DoesNotFollowLinksToFolders) {
    TempTree tree;
    tree.File("top/a.csv");
    tree.File("top/sub/b.csv");
    tree.File("elsewhere/c.csv");
    std::filesystem::create_directory_symlink(tree.Path("top"), tree.Path("top/sub/loop"));
    std::filesystem::create_directory_symlink(tree.Path("elsewhere"), tree.Path("top/away"));
    std::filesystem::create_symlink(tree.Path("elsewhere/c.csv"), tree.Path("top/linked.csv"));
    FileList list;
    RecordingHooks recording;
    AddFolderFiles(tree.Path("top"), "*.csv", list, recording.Hooks());
    auto entries = Entries(list);
    std::sort(entries.begin(), entries.end());
    // A link to a file is a file; links to folders are never walked, so the loop ends.
    EXPECT_THAT(entries, ElementsAreArray({tree.Path("top/a.csv"), tree.Path("top/linked.csv"),
                                           tree.Path("top/sub/b.csv")}));
    EXPECT_TRUE(recording.errors.empty());

    // A chosen folder that is itself a link is walked.
    FileList viaLink;
    std::filesystem::create_directory_symlink(tree.Path("elsewhere"), tree.Path("chosen"));
    AddFolderFiles(tree.Path("chosen"), "*.csv", viaLink, {});
    EXPECT_THAT(Entries(viaLink), ElementsAreArray({tree.Path("chosen/c.csv")}));
}

TEST(AddFolderFiles, DropsUnreadableFoldersSilently) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "running as root, where folder permissions do not deny reading; the "
                        "injected failures of the next test cover the rule";
    }
    TempTree tree;
    tree.File("open/a.csv");
    tree.File("closed/b.csv");
    tree.File("closed/below/c.csv");
    ASSERT_EQ(chmod(tree.Path("closed").c_str(), 0), 0);
    FileList list;
    RecordingHooks recording;
    AddFolderFiles(tree.Root(), "*.csv", list, recording.Hooks());
    EXPECT_THAT(Entries(list), ElementsAreArray({tree.Path("open/a.csv")}));
    EXPECT_TRUE(recording.errors.empty());
}

TEST(AddFolderFiles, FailuresWhileReadingFolders) {
    TempTree tree;
    tree.File("root.csv");
    tree.File("denied/a.csv");
    tree.File("denied/below/b.csv");
    tree.File("vanished/c.csv");
    tree.File("broken/d.csv");
    tree.File("broken/below/e.csv");
    tree.File("fine/f.csv");
    FailingReader reader;
    reader.failures[tree.Path("denied/")] = ReadFailure::AccessDenied;
    reader.failures[tree.Path("vanished/")] = ReadFailure::Vanished;
    FileList list;
    RecordingHooks recording;
    AddFolderFiles(tree.Root(), "*.csv", list, recording.Hooks(&reader));
    auto entries = Entries(list);
    std::sort(entries.begin(), entries.end());
    // Denied and vanished folders add nothing and say nothing; the others are walked.
    EXPECT_THAT(entries,
                ElementsAreArray({tree.Path("broken/below/e.csv"), tree.Path("broken/d.csv"),
                                  tree.Path("fine/f.csv"), tree.Path("root.csv")}));
    EXPECT_TRUE(recording.errors.empty());

    // Any other failure is reported, naming the folder, and the walk goes on; what was read
    // before the failure is kept.
    reader.failures.clear();
    reader.failures[tree.Path("broken/")] = ReadFailure::Other;
    FileList other;
    RecordingHooks reported;
    AddFolderFiles(tree.Root(), "*.csv", other, reported.Hooks(&reader));
    ASSERT_EQ(reported.errors.size(), 1u);  // once, though the folder is read twice
    EXPECT_NE(reported.errors[0].description.find(tree.Path("broken/")), std::string::npos);
    EXPECT_TRUE(other.IsInList(tree.Path("fine/f.csv")));
    EXPECT_TRUE(other.IsInList(tree.Path("denied/below/b.csv")));
    EXPECT_TRUE(other.IsInList(tree.Path("root.csv")));
    EXPECT_THROW(ListFiles(tree.Path("broken"), "*.*", reader), std::runtime_error);

    // A folder that fails only when its files are listed is reported then.
    reader.failFromSecondRead = true;
    RecordingHooks late;
    FileList lateList;
    AddFolderFiles(tree.Root(), "*.csv", lateList, late.Hooks(&reader));
    ASSERT_EQ(late.errors.size(), 1u);
    EXPECT_EQ(late.errors[0].step, 3);
    EXPECT_TRUE(lateList.IsInList(tree.Path("broken/below/e.csv")));
}

TEST(GetSubDirectories2016, WithoutRecursionAppendsTheImmediateSubfoldersOnly) {
    TempTree tree;
    tree.Folder("x/y/z");
    std::vector<std::string> folders{tree.Path("x/"), tree.Path("missing/")};
    GetSubDirectories2016(folders, false, {});
    // A path that is no folder stays in the list (it lists no files).
    EXPECT_THAT(folders,
                ElementsAreArray({tree.Path("x/"), tree.Path("missing/"), tree.Path("x/y/")}));
}

}  // namespace
}  // namespace quillmere
