#include "support/Environment.h"
#include "support/ImportRunFixture.h"

namespace quillmere {
namespace {

using Texts = std::vector<std::string>;

class ImportRunErrorTest : public testing::ImportRunFixture {
  protected:
    std::string ExpectedMessage(const std::string& description) {
        return description + "\r\nPlease email the log file (" + LogPath().string() +
               ") to the support@quillmere.app";
    }
    std::string LogText() { return testing::TempFolder::Read(LogPath()); }
};

TEST_F(ImportRunErrorTest, AMissingSecondFileStopsTheRunAfterTheFirst) {
    AddFile("one.csv", "k,v\n1,2\n");
    const auto missing = (folder.Path() / "two.csv").string();
    files.Append(missing);
    AddFile("three.csv", "k,v\n5,6\n");
    Run();
    const std::string description =
        "Cannot read the file " + missing + ": No such file or directory.";
    EXPECT_EQ(prompts.Texts(), Texts{ExpectedMessage(description)});
    EXPECT_EQ(LogText(), description + "\r\nINSERT INTO `NewTable1` VALUES('1','2');\r\n");
    EXPECT_EQ(Db().executed.size(), 2u);  // file 1 stays; file 3 is never reached
    EXPECT_EQ(tables.Names(), Texts{"NewTable1"});
    EXPECT_EQ(pointer.value, kPointerDefault);
    // The session that was open for file 2 is closed on the way out.
    EXPECT_EQ(Db().calls.back(), "Close");
}

TEST_F(ImportRunErrorTest, EmptyFilesAndUnclosedQuotesNameTheFile) {
    const auto empty = AddFile("empty.csv", "");
    Run();
    EXPECT_EQ(prompts.Texts(), Texts{ExpectedMessage("The file " + empty + " is empty.")});
    // No row statement built yet in this run: the log's second line is empty.
    EXPECT_EQ(LogText(), "The file " + empty + " is empty.\r\n\r\n");

    files.Clear();
    prompts.messages.clear();
    const auto open = AddFile("open.csv", "k,v\n1,\"never\nclosed\n");
    Run();
    const std::string description = "The file " + open +
                                    " has a quoted field that is never closed: its opening "
                                    "quote is on line 2.";
    EXPECT_EQ(prompts.Texts(), Texts{ExpectedMessage(description)});
    EXPECT_TRUE(Db().executed.empty());  // nothing of a broken file is written
}

TEST_F(ImportRunErrorTest, ARejectedRowKeepsTheRowsBeforeItAndLogsTheStatement) {
    const auto path = AddFile("rows.csv", "k,v\n1,a\n2,b\n3,c\n");
    AddFile("later.csv", "k,v\n9,9\n");
    Db().failWhen = [](const std::string& call) { return call.find("'2','b'") != call.npos; };
    Db().failureText = "Field too small.";
    Run();
    const std::string description = "Field too small. (" + path + ", line 3)";
    EXPECT_EQ(prompts.Texts(), Texts{ExpectedMessage(description)});
    EXPECT_EQ(LogText(), description + "\r\nINSERT INTO `NewTable1` VALUES('2','b');\r\n");
    EXPECT_EQ(Db().executed, (Texts{"CREATE TABLE `NewTable1`(`k` VARCHAR, `v` VARCHAR);",
                                    "INSERT INTO `NewTable1` VALUES('1','a');"}));
    // The table stays in the database but its name is not listed: its file did not finish.
    EXPECT_TRUE(tables.Names().empty());
}

TEST_F(ImportRunErrorTest, AFailedTableStatementLogsTheLastRowOfAnEarlierFile) {
    AddFile("one.csv", "k,v\n1,2\n");
    const auto second = AddFile("two.csv", "a,,c\n1,2,3\n");
    Db().checkStatements = true;
    Db().failWhen = [](const std::string& call) { return call.find("NewTable2`(") != call.npos; };
    Db().failureText = "Syntax error in CREATE TABLE statement.";
    Run();
    const std::string description =
        "Syntax error in CREATE TABLE statement. (creating table NewTable2 for " + second + ")";
    EXPECT_EQ(prompts.Texts(), Texts{ExpectedMessage(description)});
    EXPECT_EQ(LogText(), description + "\r\nINSERT INTO `NewTable1` VALUES('1','2');\r\n");
}

TEST_F(ImportRunErrorTest, TheSummaryOfAFailedRunNamesTheFileItStoppedIn) {
    AddFile("one.csv", "k,v\n1,2\n\n3\n");
    AddFile("two.csv", "k,v\n4,5\n6,7\n");
    AddFile("three.csv", "k,v\n8,9\n");
    Db().failWhen = [](const std::string& call) { return call.find("'6','7'") != call.npos; };
    std::vector<ImportSummary> summaries;
    onFinished = [&](const ImportSummary& summary) {
        summaries.push_back(summary);
        // Told before the error box, so a status line shows it while the box is up.
        EXPECT_TRUE(prompts.Texts().empty());
    };
    Run();
    ASSERT_EQ(summaries.size(), 1u);
    EXPECT_TRUE(summaries[0].failed);
    EXPECT_EQ(summaries[0].failedFile, 2);
    EXPECT_EQ(summaries[0].filesImported, 1);
    EXPECT_EQ(summaries[0].rowsStored, 2);
    EXPECT_EQ(summaries[0].linesSkipped, 2);  // the empty line and "3"; not the final break
    EXPECT_EQ(SummaryText(summaries[0])
                  .rfind("Stopped by an error in file 2 of 3: 1 file "
                         "imported, 2 rows stored, 0 files skipped, 2 lines "
                         "skipped (empty or fewer than two fields), ",
                         0),
              0u)
        << SummaryText(summaries[0]);

    // A run that ends at its start checks has nothing to sum up.
    summaries.clear();
    files.Clear();
    Run();
    EXPECT_TRUE(summaries.empty());
}

TEST_F(ImportRunErrorTest, SessionFailuresTakeTheErrorPath) {
    AddFile("a.csv", "k,v\n1,2\n");
    Db().failWhen = [](const std::string& call) { return call.rfind("Open ", 0) == 0; };
    Db().failureText = "Could not find file '/db/shop.accdb'.";
    Run();
    EXPECT_EQ(prompts.Texts(), Texts{ExpectedMessage("Could not find file '/db/shop.accdb'.")});

    prompts.messages.clear();
    Db().failWhen = [](const std::string& call) { return call == "Create"; };
    Db().failureText = "Provider cannot be found.";
    Run();
    EXPECT_EQ(prompts.Texts(), Texts{ExpectedMessage("Provider cannot be found.")});

    // Appending to a table that has gone names the table and the file.
    prompts.messages.clear();
    Db().failWhen = nullptr;
    Options().mode = ImportMode::AppendToTable;
    Options().appendTable = "Gone";
    Run();
    ASSERT_EQ(prompts.Texts().size(), 1u);
    EXPECT_NE(prompts.Texts()[0].find("(checking the columns of table Gone for "),
              std::string::npos);
}

TEST_F(ImportRunErrorTest, ALogThatCannotBeWrittenIsSaidInsteadOfAskedFor) {
    // The state folder lies below a plain file, so no folder can be made for the log.
    folder.Write("blocker", "");
    PutLogBelow(folder.Path() / "blocker" / "state");
    const auto empty = AddFile("empty.csv", "");
    Run();
    ASSERT_EQ(prompts.Texts().size(), 1u);
    const auto text = prompts.Texts()[0];
    EXPECT_EQ(text.rfind("The file " + empty + " is empty.\r\nNo log file could be written (", 0),
              0u);
    EXPECT_NE(text.find("). Please email a screenshot of this message to the "
                        "support@quillmere.app"),
              std::string::npos);
    EXPECT_EQ(text.find("Please email the log file"), std::string::npos);
}

TEST_F(ImportRunErrorTest, TheLogIsOverwrittenNotAppended) {
    AddFile("empty.csv", "");
    Run();
    Run();
    const auto log = LogText();
    EXPECT_EQ(log.find("is empty."), log.rfind("is empty."));
}

}  // namespace
}  // namespace quillmere
