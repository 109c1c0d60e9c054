// quillmere-import makes the database it is pointed at when there is none, and says so.
#include <gtest/gtest.h>

#include "accessdb/Database.h"
#include "accessdb_write/WriteSupport.h"

#ifndef _WIN32
#include <sys/wait.h>

namespace {

namespace fs = std::filesystem;
using writetest::ShellQuote;

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

Outcome Import(const fs::path& dir, const std::vector<std::string>& arguments) {
    const char* bin = std::getenv("QUILLMERE_BIN_DIR");
    std::string command = "XDG_STATE_HOME=" + ShellQuote((dir / "state").string()) + " " +
                          ShellQuote((fs::path(bin) / "quillmere-import").string());
    for (const std::string& argument : arguments)
        command += " " + ShellQuote(argument);
    command += " 2>" + ShellQuote((dir / "err.txt").string()) + " </dev/null";
    Outcome outcome;
    int raw = 0;
    outcome.out = writetest::RunCapture(command, &raw);
    outcome.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    outcome.err = writetest::RunCapture("cat " + ShellQuote((dir / "err.txt").string()));
    return outcome;
}

class ImportIntoNewDatabase : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* bin = std::getenv("QUILLMERE_BIN_DIR");
        if (bin == nullptr || !fs::exists(fs::path(bin) / "quillmere-import")) {
            GTEST_SKIP() << "quillmere-import is not built (run the tests through ctest)";
        }
        dir = fixtures::TempDir("import_new");
        csv = (dir / "people.csv").string();
        std::ofstream(csv) << "Name,City\nAnna,Oslo\nBo,Rome\n";
    }
    void TearDown() override { fs::remove_all(dir); }
    fs::path dir;
    std::string csv;
};

TEST_F(ImportIntoNewDatabase, MakesTheDatabaseAndSaysSoOnStandardError) {
    for (const char* name : {"new.accdb", "new.mdb"}) {
        const std::string path = (dir / name).string();
        const Outcome outcome = Import(dir, {"--database", path, csv});
        EXPECT_EQ(outcome.status, 0) << outcome.out << outcome.err;
        EXPECT_EQ(outcome.out, "Done.\n");
        // The line about the new database comes first, then the run's summary.
        const std::string created =
            "quillmere-import: created the new database " + path + " (Access " +
            (std::string(name) == "new.mdb" ? "2003" : "2010") + " format)\n";
        EXPECT_EQ(outcome.err.substr(0, created.size()), created) << outcome.err;
        EXPECT_NE(outcome.err.find("1 file imported, 2 rows stored", created.size()),
                  std::string::npos)
            << outcome.err;
        writetest::ExpectClean(path);
        EXPECT_EQ(writetest::ReadRows(path, "NewTable1"),
                  (std::vector<std::vector<std::string>>{{"Anna", "Oslo"}, {"Bo", "Rome"}}));

        // The second run finds the database and adds to it without a word about creating.
        const Outcome again =
            Import(dir, {"--database", path, "--table-name", "Again[counter]", csv});
        EXPECT_EQ(again.status, 0);
        EXPECT_EQ(again.err.find("created"), std::string::npos) << again.err;
        EXPECT_NE(again.err.find("1 file imported"), std::string::npos) << again.err;
        EXPECT_EQ(accessdb::Database::Open(path, "")->UserTableNames().size(), 2u);
    }
}

TEST_F(ImportIntoNewDatabase, PasswordProtectsANewDatabaseAndARunThatCannotCreateFails) {
    const std::string mdb = (dir / "locked.mdb").string();
    EXPECT_EQ(Import(dir, {"--database", mdb, "--password", "pw", csv}).status, 0);
    EXPECT_THROW(accessdb::Database::Open(mdb, ""), accessdb::Error);
    EXPECT_EQ(accessdb::Database::Open(mdb, "pw")->UserTableNames(),
              std::vector<std::string>{"NewTable1"});

    // An .accdb password encrypts the new database (Agile, as Access 2010 and later do).
    const std::string accdb = (dir / "locked.accdb").string();
    EXPECT_EQ(Import(dir, {"--database", accdb, "--password", "pw", csv}).status, 0);
    EXPECT_EQ(accessdb::ReadDatabaseInfo(accdb).encryption, accessdb::Encryption::OfficeAgile);
    EXPECT_THROW(accessdb::Database::Open(accdb, ""), accessdb::Error);
    EXPECT_EQ(accessdb::Database::Open(accdb, "pw")->UserTableNames(),
              std::vector<std::string>{"NewTable1"});

    const std::string tooLong = (dir / "long.accdb").string();
    const Outcome refused =
        Import(dir, {"--database", tooLong, "--password", std::string(256, 'p'), csv});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.out.find("cannot be created"), std::string::npos) << refused.out;
    EXPECT_FALSE(fs::exists(tooLong));

    // Appending needs an existing database: none is made for it.
    const std::string append = (dir / "append.accdb").string();
    EXPECT_EQ(Import(dir, {"--database", append, "--append", "People", csv}).status, 1);
    EXPECT_FALSE(fs::exists(append));

    // A dry run writes nothing.
    const std::string dry = (dir / "dry.accdb").string();
    Import(dir, {"--database", dry, "--dry-run", csv});
    EXPECT_FALSE(fs::exists(dry));
}

}  // namespace
#endif
