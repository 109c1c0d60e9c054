// Runs the built quillmere-import the way a script would.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "accessdb/Database.h"
#include "accessdb/create/NewDatabase.h"
#include "support/TempFolder.h"

#ifndef _WIN32
#include <sys/wait.h>

namespace quillmere {
namespace {

using Texts = std::vector<std::string>;

struct ToolResult {
    int status = -1;
    std::string out;
    std::string err;
};

Texts LinesOf(const std::string& text) {
    Texts lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

class ImportToolTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* bin = std::getenv("QUILLMERE_BIN_DIR");
        if (bin == nullptr) {
            GTEST_SKIP() << "QUILLMERE_BIN_DIR is not set (run the tests through ctest)";
        }
        tool_ = std::filesystem::path(bin) / "quillmere-import";
        ASSERT_TRUE(std::filesystem::exists(tool_)) << tool_ << " has not been built";
    }

    // Runs the tool with the arguments (each quoted for the shell) and the given input. Its
    // temporary files go to TempFiles().
    ToolResult Run(const Texts& arguments, const std::string& input = "") {
        const auto in = folder.Write("stdin.txt", input);
        const auto out = folder.Path() / "stdout.txt";
        const auto err = folder.Path() / "stderr.txt";
        std::filesystem::create_directories(TempFiles());
        std::string command = "XDG_STATE_HOME='" + (folder.Path() / "state").string() +
                              "' TMPDIR='" + TempFiles().string() + "' '" + tool_.string() + "'";
        for (const auto& argument : arguments) {
            command += " '" + argument + "'";
        }
        command += " <'" + in + "' >'" + out.string() + "' 2>'" + err.string() + "'";
        const int raw = std::system(command.c_str());
        ToolResult result;
        result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        result.out = testing::TempFolder::Read(out);
        result.err = testing::TempFolder::Read(err);
        return result;
    }

    std::string Database() const { return (folder.Path() / "none.accdb").string(); }
    std::filesystem::path TempFiles() const { return folder.Path() / "tmp"; }

    testing::TempFolder folder;
    std::filesystem::path tool_;
};

TEST_F(ImportToolTest, DryRunPrintsTheWorkedExampleStatementsForTheThirdFile) {
    const auto one = folder.Write("one.csv", "a,b\r\n1,2\r\n");
    const auto two = folder.Write("two.csv", "c,d\r\n3,4\r\n");
    const auto three = folder.Write(
        "three.csv", "Name,Age,Home Town\r\nAnn,30,\"Oslo\"\r\nBob,25\r\nO'Hara,41,Rome,x\r\n");
    const auto result = Run({"--database", Database(), "--dry-run", one, two, three});
    EXPECT_EQ(result.status, 0) << result.err;
    const auto lines = LinesOf(result.out);
    ASSERT_EQ(lines.size(), 9u) << result.out;
    EXPECT_EQ(Texts(lines.begin() + 4, lines.end()),
              (Texts{"CREATE TABLE `NewTable3`(`Name` VARCHAR, `Age` VARCHAR, `HomeTown` "
                     "VARCHAR);",
                     "INSERT INTO `NewTable3` VALUES('Ann','30','Oslo');",
                     "INSERT INTO `NewTable3` VALUES('Bob','25','');",
                     "INSERT INTO `NewTable3` VALUES('O''Hara','41','Rome');", "Done."}));
    // No progress line when standard error is no terminal; the database that is not there is
    // made out of sight and removed again.
    EXPECT_EQ(LinesOf(result.err).size(), 2u) << result.err;
    EXPECT_EQ(result.err.rfind("quillmere-import: dry run: the new database " + Database() +
                                   " (Access 2010 format) is made in a temporary folder and "
                                   "removed afterwards\n",
                               0),
              0u)
        << result.err;
    EXPECT_NE(result.err.find("quillmere-import: dry run, every change discarded: 3 files "
                              "imported, 5 rows stored, 0 files skipped, 0 lines skipped"),
              std::string::npos)
        << result.err;
    EXPECT_FALSE(std::filesystem::exists(Database()));
    EXPECT_TRUE(std::filesystem::is_empty(TempFiles()));
}

TEST_F(ImportToolTest, OptionsReachTheRun) {
    const auto file = folder.Write("in.csv", "x||y\n1||2\n");
    auto result =
        Run({"--database", Database(), "--dry-run", "--delimiter=||", "--table-name", "T [counter]",
             "--columns", "automatic", "--field-name", "F_[counter]", file});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(LinesOf(result.out), (Texts{"CREATE TABLE `T 1`(`F1` VARCHAR, `F2` VARCHAR);",
                                          "INSERT INTO `T 1` VALUES('1','2');", "Done."}));

    // Column names asked on the terminal; the end of input cancels.
    const auto semi = folder.Write("semi.csv", "a;b\n1;2\n");
    result = Run({"--database", Database(), "--dry-run", "--delimiter", "semicolon", "--columns",
                  "ask", semi},
                 "First\nSecond\n");
    EXPECT_EQ(LinesOf(result.out),
              (Texts{"Enter name for column #1: Enter name for column #2: CREATE TABLE "
                     "`NewTable1`(`First` VARCHAR, `Second` VARCHAR);",
                     "INSERT INTO `NewTable1` VALUES('1','2');", "Done."}));
}

TEST_F(ImportToolTest, FailuresAndMessagesOtherThanDoneExitWithOne) {
    const auto file = folder.Write("in.csv", "a,b\n1,2\n");
    // Appending needs the table's columns, which a missing database cannot give.
    auto result = Run({"--database", Database(), "--dry-run", "--append", "Staff", file});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out.rfind("Could not find file '" + Database() + "'.", 0), 0u) << result.out;
    EXPECT_NE(result.out.find("Please email the log file ("), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(folder.Path() / "state" / "Quillmere" / "import.log"));

    result = Run({"--database", Database(), "--table-name", "", "--dry-run", file});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "Please enter a table name.\n");
}

TEST_F(ImportToolTest, UsageErrorsExitWithTwoAndHelpWithZero) {
    for (const auto& arguments :
         {Texts{}, Texts{"--dry-run", "a.csv"}, Texts{"--database", "d.mdb"},
          Texts{"--database", "d.mdb", "--skip-header", "a.csv"},
          Texts{"--database", "d.mdb", "--columns", "guess", "a.csv"},
          Texts{"--database", "d.mdb", "--frobnicate", "a.csv"}, Texts{"--database"},
          Texts{"--database", "d.mdb", "--delimiter", "", "a.csv"},
          Texts{"--database", "d.mdb", "--delimiter=", "a.csv"},
          Texts{"--database", "d.mdb", "--encoding", "klingon-1", "a.csv"}}) {
        const auto result = Run(arguments);
        EXPECT_EQ(result.status, 2) << ::testing::PrintToString(arguments);
        EXPECT_NE(result.err.find("Usage: quillmere-import --database PATH"), std::string::npos);
        EXPECT_EQ(result.out, "");
    }
    const auto help = Run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Usage: quillmere-import", 0), 0u);
}

// The summary line without its time, which differs from run to run.
std::string WithoutTime(const std::string& summary) {
    return summary.substr(0, summary.rfind(", "));
}

TEST_F(ImportToolTest, ADryRunEndsAsTheRealRunAndLeavesTheDatabaseAsItWas) {
    const auto database = (folder.Path() / "staff.mdb").string();
    accessdb::CreateDatabase(database, {accessdb::NewDatabaseFormat::Default, ""});
    {
        auto db = accessdb::Database::Open(database, "", accessdb::OpenMode::ReadWrite);
        db->Execute("CREATE TABLE `Staff`(`Name` VARCHAR(5), `City` VARCHAR(10));");
        db->Close();
    }
    // The fifth row's name does not fit its column.
    const auto file = folder.Write("staff.csv",
                                   "Name,City\nAnn,Oslo\nBob,Rome\nCy,Lima\nDee,Oslo\n"
                                   "Alexandra,Bern\nEd,Kiev\n");
    const Texts arguments{"--database", database, "--append", "Staff", "--skip-header", file};
    const std::string before = testing::TempFolder::Read(database);

    Texts dryArguments = arguments;
    dryArguments.push_back("--dry-run");
    const auto dry = Run(dryArguments);
    EXPECT_EQ(testing::TempFolder::Read(database), before);
    for (const char* left : {"staff.ldb", "staff.mdb-journal"}) {
        EXPECT_FALSE(std::filesystem::exists(folder.Path() / left)) << left;
    }

    const auto real = Run(arguments);
    EXPECT_EQ(real.status, 1);
    EXPECT_EQ(dry.status, real.status);
    // The dry run prints the statements it executes, the failing one last, then the same
    // messages as the real run.
    Texts statements;
    Texts messages;
    for (const auto& line : LinesOf(dry.out)) {
        (line.rfind("INSERT INTO ", 0) == 0 ? statements : messages).push_back(line);
    }
    ASSERT_EQ(statements.size(), 5u) << dry.out;
    EXPECT_EQ(statements.back(), "INSERT INTO `Staff` VALUES('Alexandra','Bern');");
    EXPECT_EQ(messages, LinesOf(real.out));
    EXPECT_NE(real.out.find("column 'Name' of table 'Staff' holds at most 5 characters"),
              std::string::npos)
        << real.out;
    EXPECT_NE(real.out.find(file + ", line 6)"), std::string::npos) << real.out;

    const auto drySummary = LinesOf(dry.err);
    const auto realSummary = LinesOf(real.err);
    ASSERT_EQ(drySummary.size(), 1u) << dry.err;
    ASSERT_EQ(realSummary.size(), 1u) << real.err;
    const std::string prefix = "quillmere-import: dry run, every change discarded: ";
    ASSERT_EQ(drySummary[0].rfind(prefix, 0), 0u) << dry.err;
    EXPECT_EQ(WithoutTime("quillmere-import: " + drySummary[0].substr(prefix.size())),
              WithoutTime(realSummary[0]));
    EXPECT_EQ(WithoutTime(realSummary[0]),
              "quillmere-import: Stopped by an error in file 1 of 1: 0 files imported, 4 rows "
              "stored, 0 files skipped, 0 lines skipped (empty or fewer than two fields)");
    // The real run kept the four rows before the failing one.
    auto db = accessdb::Database::Open(database, "");
    EXPECT_EQ(db->Table("Staff")->rowCount, 4u);
}

TEST_F(ImportToolTest, ANamedEncodingReadsEveryFile) {
    // "Имя;Город" / "Анна;Москва" in Windows-1251.
    const auto file = folder.Write("cp1251.csv",
                                   "\xC8\xEC\xFF;\xC3\xEE\xF0\xEE\xE4\r\n"
                                   "\xC0\xED\xED\xE0;\xCC\xEE\xF1\xEA\xE2\xE0\r\n");
    const auto result = Run({"--database", Database(), "--dry-run", "--delimiter", "semicolon",
                             "--encoding", "windows-1251", file});
    EXPECT_EQ(result.status, 0) << result.out << result.err;
    EXPECT_EQ(LinesOf(result.out),
              (Texts{"CREATE TABLE `NewTable1`(`Field1` VARCHAR, `Field2` VARCHAR);",
                     "INSERT INTO `NewTable1` "
                     "VALUES('\xD0\x90\xD0\xBD\xD0\xBD\xD0\xB0','\xD0\x9C\xD0\xBE\xD1\x81\xD0\xBA"
                     "\xD0\xB2\xD0\xB0');",
                     "Done."}));
}

}  // namespace
}  // namespace quillmere
#endif
