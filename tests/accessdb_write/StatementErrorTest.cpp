// Statements the engine refuses: each fails with a clear error and leaves the file unchanged.
#include <gtest/gtest.h>

#include "tests/accessdb_write/Refusals.h"
#include "tests/accessdb_write/WriteSupport.h"

using namespace writetest;

namespace {

// Executes `statement` on an open database; returns the error's number and text.
std::pair<long, std::string> Failure(accessdb::Database& db, const std::string& statement) {
    const Refusal refusal = RefusalOf([&] { db.Execute(statement); });
    if (!refusal.refused) {
        ADD_FAILURE() << "no error for: " << statement;
    }
    return {refusal.number, refusal.message};
}

}  // namespace

TEST(StatementErrors, RefusedStatementsNameWhatIsWrongAndChangeNothing) {
    REQUIRE_FIXTURES();
    const fs::path dir = TempDir("errors");
    const std::string path = CopyFixture("jackcess/empty2010.accdb", dir);
    Execute(path, {"CREATE TABLE `Staff`(`Name` VARCHAR(5), `Notes` MEMO, `Age` LONG);",
                   "INSERT INTO `Staff` VALUES('Ann', NULL, 30);"});
    const std::string before = fixtures::ReadText(path);
    {
        auto db = accessdb::Database::Open(path, "", accessdb::OpenMode::ReadWrite);
        struct Case {
            std::string statement;
            long number;
            std::string mentions;
        };
        const Case cases[] = {
            {"CREATE TABLE `staff`(`a` VARCHAR)", 3010, "staff"},  // letter case ignored
            {"CREATE TABLE `T`(`a` VARCHAR, `A` VARCHAR)", 3191, "A"},
            {"CREATE TABLE ``(`a` VARCHAR)", 3125, "empty"},
            {"CREATE TABLE ` lead`(`a` VARCHAR)", 3125, "space"},
            {"CREATE TABLE `a.b`(`a` VARCHAR)", 3125, "."},
            {"CREATE TABLE `T`(`a!` VARCHAR)", 3125, "!"},
            {"CREATE TABLE [x`y](a VARCHAR)", 3125, "`"},
            {"CREATE TABLE `T`(`" + std::string(65, 'n') + "` VARCHAR)", 3125, "64"},
            {"CREATE TABLE `T\x01`(`a` VARCHAR)", 3125, "control"},
            {"CREATE TABLE `T`(`Name` VARCHAR, `Home Town` VARCHAR, `#` VARCHAR,)", 3290,
             "position"},
            {"INSERT INTO `Staff` VALUES('Annabel', NULL, 1)", 3163, "Name"},
            {"INSERT INTO `Staff` VALUES('Ann', NULL)", 3346, "3"},
            {"INSERT INTO `Staff` VALUES('Ann', NULL, 1, 2)", 3346, "4"},
            {"INSERT INTO `Staff` VALUES('Ann', NULL, 'thirty')", 3464, "Age"},
            {"INSERT INTO `Staff` VALUES('Ann', NULL, 2147483648)", 3349, "Age"},
            {"INSERT INTO `Staff` (`Nmae`) VALUES('Ann')", 3127, "Nmae"},
            {"INSERT INTO `Nobody` VALUES('Ann')", 3078, "Nobody"},
            {"INSERT INTO `MSysObjects` VALUES(1)", 0, "MSysObjects"},
            {"INSERT INTO `Staff` VALUES('Ann', NULL, 1", 3134, "position 42"},
        };
        for (const Case& c : cases) {
            SCOPED_TRACE(c.statement);
            const auto [number, text] = Failure(*db, c.statement);
            if (c.number != 0) {
                EXPECT_EQ(number, c.number) << text;
            }
            EXPECT_NE(text.find(c.mentions), std::string::npos) << text;
        }
        // 256 columns are too many.
        std::string wide = "CREATE TABLE `Wide`(";
        for (int i = 0; i < 256; ++i)
            wide += (i ? ", `c" : "`c") + std::to_string(i) + "` VARCHAR";
        EXPECT_EQ(Failure(*db, wide + ")").first, 3190);
        // The statement that fails after it started writing pages leaves nothing either.
        EXPECT_EQ(Failure(*db, "INSERT INTO `Staff` VALUES('Bo', '" + std::string(70000, 'x') +
                                   "', 5000000000)")
                      .first,
                  3349);
        db->Close();
    }
    EXPECT_EQ(fixtures::ReadText(path), before);
    ExpectClean(path);
    fs::remove_all(dir);
}

TEST(StatementErrors, NamesDifferingOnlyInNonAsciiLetterCaseClash) {
    REQUIRE_FIXTURES();
    const fs::path dir = TempDir("case");
    const std::string path = CopyFixture("jackcess/empty2003.mdb", dir);
    Execute(path, {"CREATE TABLE `Äpfel`(`a` VARCHAR)"});
    auto db = accessdb::Database::Open(path, "", accessdb::OpenMode::ReadWrite);
    EXPECT_EQ(Failure(*db, "CREATE TABLE `äPFEL`(`a` VARCHAR)").first, 3010);
    EXPECT_EQ(Failure(*db, "CREATE TABLE `T`(`Ölmühle` VARCHAR, `ölmühle` VARCHAR)").first, 3191);
    db->Close();
    db.reset();
    ExpectClean(path);
    fs::remove_all(dir);
}

TEST(StatementErrors, ReadOnlyTargets) {
    REQUIRE_FIXTURES();
    const fs::path dir = TempDir("readonly");
    // A read-only file is refused before anything is written: no lock file, no journal.
    const std::string path = CopyFixture("jackcess/empty2007.accdb", dir);
    fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    try {
        accessdb::Database::Open(path, "", accessdb::OpenMode::ReadWrite);
        ADD_FAILURE() << "a read-only file opened for writing";
    } catch (const accessdb::Error& e) {
        EXPECT_EQ(e.Kind(), accessdb::ErrorKind::ReadOnly);
        EXPECT_NE(std::string(e.what()).find(path), std::string::npos);
    }
    EXPECT_FALSE(fs::exists(dir / "empty2007.laccdb"));
    EXPECT_FALSE(fs::exists(path + "-journal"));
    // A database opened for reading refuses writing statements.
    const std::string other = CopyFixture("jackcess/empty2016.accdb", dir);
    auto db = accessdb::Database::Open(other, "");
    EXPECT_EQ(Failure(*db, "CREATE TABLE t (a VARCHAR)").first, 3027);
    db.reset();
    // Windows removes no read-only file.
    fs::permissions(path, fs::perms::owner_write, fs::perm_options::add);
    fs::remove_all(dir);
}

// A database whose default sort order has no table here (Russian, LCID 1049) refuses new
// tables: their catalog entries could not be ordered the way Access orders them.
TEST(StatementErrors, UnknownSortOrderRefusesTableCreation) {
    REQUIRE_FIXTURES();
    const fs::path dir = TempDir("sortorder");
    const std::string path = CopyFixture("jackcess/empty2003.mdb", dir);
    {
        accessdb::PageFile pages(path, accessdb::OpenMode::ReadWrite);
        accessdb::MutablePageRef header = pages.Modify(0);
        header->bytes[0x6E] = 0x19;  // 1049
        header->bytes[0x6F] = 0x04;
        pages.Flush();
    }
    const std::string before = fixtures::ReadText(path);
    auto db = accessdb::Database::Open(path, "", accessdb::OpenMode::ReadWrite);
    const auto [number, text] = Failure(*db, "CREATE TABLE t (a VARCHAR)");
    EXPECT_NE(text.find("sort order"), std::string::npos) << text;
    EXPECT_NE(text.find("1049"), std::string::npos) << text;
    db->Close();
    db.reset();
    EXPECT_EQ(fixtures::ReadText(path), before);
    fs::remove_all(dir);
}

TEST(StatementErrors, IndexStatementsAreCarriedOutOrRefusedWithoutChange) {
    REQUIRE_FIXTURES();
    const fs::path dir = TempDir("index_statements");
    const std::string path = CopyFixture("jackcess/empty2010.accdb", dir);
    Execute(path,
            {"CREATE TABLE `Staff`(`Name` VARCHAR(5), `Age` LONG);",
             "INSERT INTO `Staff` VALUES ('Ann', 30)", "INSERT INTO `Staff` VALUES ('ann', 31)"});
    const std::string before = fixtures::ReadText(path);
    {
        auto db = accessdb::Database::Open(path, "", accessdb::OpenMode::ReadWrite);
        // The rows already there break the unique index (text keys ignore case).
        auto [number, text] = Failure(*db, "CREATE UNIQUE INDEX `ByName` ON `Staff` (`Name`)");
        EXPECT_EQ(number, 3022) << text;
        std::tie(number, text) = Failure(*db, "CREATE TABLE `T`(`a` LONG NOT NULL, `b` TEXT)");
        EXPECT_NE(text.find("'a' of table 'T' cannot be created NOT NULL"), std::string::npos)
            << text;
        db->Close();
    }
    EXPECT_EQ(fixtures::ReadText(path), before);
    // A primary key in CREATE TABLE and a CREATE INDEX on a table with rows are carried out.
    Execute(path, {"CREATE TABLE `T`(`a` LONG NOT NULL PRIMARY KEY)",
                   "CREATE INDEX `ByAge` ON `Staff` (`Age` DESC)"});
    {
        auto db = accessdb::Database::Open(path, "");
        EXPECT_EQ(db->Table("T")->realIndexes.size(), 1u);
        EXPECT_EQ(db->Table("Staff")->realIndexes.size(), 1u);
    }
    ExpectClean(path);
    fs::remove_all(dir);
}
