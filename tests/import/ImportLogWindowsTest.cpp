// Where the import log goes on Windows: "c:\import.log", and below the user's local application
// data when the drive's root may not be written.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "import/ImportLog.h"
#include "support/Environment.h"
#include "support/TempFolder.h"

namespace quillmere {
namespace {

namespace fs = std::filesystem;

TEST(ImportLogWindows, GoesToTheDriveRootElseBelowLocalAppData) {
    testing::TempFolder folder;
    testing::SetEnvironment("LOCALAPPDATA", (folder.Path() / "Local").string());
    const auto places = ImportLogLocations();
    ASSERT_EQ(places.size(), 2u);
    EXPECT_EQ(places[0], fs::path("c:\\import.log"));
    EXPECT_EQ(places[1], folder.Path() / "Local" / "Quillmere" / "import.log");

    const fs::path root("c:\\import.log");
    std::error_code ignored;
    fs::remove_all(root, ignored);
    ImportLogOutcome outcome = WriteImportLog("Syntax error", "INSERT INTO `T` VALUES (1);");
    EXPECT_TRUE(outcome.written) << outcome.problem;
    EXPECT_EQ(outcome.path, "c:\\import.log");
    EXPECT_EQ(testing::TempFolder::Read(root), "Syntax error\r\nINSERT INTO `T` VALUES (1);\r\n");

    // A folder in the log's place stands for a root that may not be written.
    fs::remove(root, ignored);
    fs::create_directory(root);
    outcome = WriteImportLog("Disk full", "");
    fs::remove_all(root, ignored);
    EXPECT_TRUE(outcome.written) << outcome.problem;
    EXPECT_EQ(fs::path(outcome.path), places[1]);
    EXPECT_EQ(testing::TempFolder::Read(places[1]), "Disk full\r\n\r\n");
}

}  // namespace
}  // namespace quillmere
