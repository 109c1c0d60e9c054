// Runs the built quillmere-import the way a script would.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

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

    // Runs the tool with the arguments (each quoted for the shell) and the given input.
    ToolResult Run(const Texts& arguments, const std::string& input = "") {
        const auto in = folder.Write("stdin.txt", input);
        const auto out = folder.Path() / "stdout.txt";
        const auto err = folder.Path() / "stderr.txt";
        std::string command =
            "XDG_STATE_HOME='" + (folder.Path() / "state").string() + "' '" + tool_.string() + "'";
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
    EXPECT_EQ(result.err, "");  // no progress line when standard error is no terminal
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
    EXPECT_NE(result.out.find(Database() + " does not exist"), std::string::npos) << result.out;
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
          Texts{"--database", "d.mdb", "--delimiter=", "a.csv"}}) {
        const auto result = Run(arguments);
        EXPECT_EQ(result.status, 2) << ::testing::PrintToString(arguments);
        EXPECT_NE(result.err.find("Usage: quillmere-import --database PATH"), std::string::npos);
        EXPECT_EQ(result.out, "");
    }
    const auto help = Run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Usage: quillmere-import", 0), 0u);
}

}  // namespace
}  // namespace quillmere
#endif
