#include "support/ImportRunFixture.h"

namespace quillmere {
namespace {

using Texts = std::vector<std::string>;

constexpr const char* kWorkedExample =
    "Name,Age,Home Town\r\nAnn,30,\"Oslo\"\r\nBob,25\r\nO'Hara,41,Rome,x\r\n";

const Texts kWorkedRows = {"INSERT INTO `NewTable3` VALUES('Ann','30','Oslo');",
                           "INSERT INTO `NewTable3` VALUES('Bob','25','');",
                           "INSERT INTO `NewTable3` VALUES('O''Hara','41','Rome');"};

class ImportRunTest : public testing::ImportRunFixture {
  protected:
    // The calls made for file n: from its State check to its Close.
    Texts CallsOfFile(int n) {
        Texts calls;
        int file = 0;
        for (size_t i = 0; i < Db().calls.size(); ++i) {
            if (Db().calls[i] == "SetMode 3") {
                ++file;
            }
            if (file == n) {
                calls.push_back(Db().calls[i]);
            }
        }
        return calls;
    }
};

TEST_F(ImportRunTest, WorkedExampleAsTheThirdFileExecutesTheFourStatements) {
    AddFile("one.csv", "a,b\r\n1,2\r\n");
    AddFile("two.csv", "c,d\r\n3,4\r\n");
    AddFile("three.csv", kWorkedExample);
    tables.InsertAtTop("Existing");
    Run();

    Texts third = {"SetMode 3", kConnection,
                   "Execute CREATE TABLE `NewTable3`(`Name` VARCHAR, `Age` VARCHAR, "
                   "`HomeTown` VARCHAR);"};
    for (const auto& row : kWorkedRows) {
        third.push_back("Execute " + row);
    }
    third.push_back("Close");
    third.push_back("State");  // the run lets its closed session go
    EXPECT_EQ(CallsOfFile(3), third);
    // The session objects are made once; before each open the run asks whether one is open.
    EXPECT_EQ(Db().calls[0], "Create");
    EXPECT_EQ(Db().calls[1], "State");
    EXPECT_EQ(prompts.Texts(), Texts{"Done."});
    EXPECT_EQ(tables.Names(), (Texts{"NewTable3", "NewTable2", "NewTable1", "Existing"}));
    EXPECT_EQ(pointer.history, (std::vector<int>{11, 0, 11, 0, 11, 0}));
    // One yield per header field and per value: 2+2, 2+2, 3+9.
    EXPECT_EQ(yields, 20);
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back().fileNumber, 3);
    EXPECT_EQ(progress.back().fileCount, 3);
    EXPECT_EQ(progress.back().rowsInFile, 3);
    EXPECT_EQ(progress.back().rowsTotal, 5);
}

TEST_F(ImportRunTest, AutomaticNamingAndAppendingSendTheSameRows) {
    AddFile("one.csv", "x,y\n");
    AddFile("two.csv", "x,y\n");
    AddFile("three.csv", kWorkedExample);
    Options().columnNaming = ColumnNaming::Automatic;
    Run();
    const auto executed = Executed();
    ASSERT_EQ(executed.size(), 6u);
    EXPECT_EQ(executed[2],
              "CREATE TABLE `NewTable3`(`NewField1` VARCHAR, `NewField2` VARCHAR, `NewField3` "
              "VARCHAR);");
    EXPECT_EQ(Texts(executed.begin() + 3, executed.end()), kWorkedRows);
}

TEST_F(ImportRunTest, AppendModeChecksColumnsAndSkipsTheHeaderOnlyWhenAsked) {
    Db().AddTable("Staff", 3);
    AddFile("staff.csv", kWorkedExample);
    Options().mode = ImportMode::AppendToTable;
    Options().appendTable = "Staff";
    Options().skipFirstLine = true;
    Run();
    Texts rows;
    for (auto row : kWorkedRows) {
        rows.push_back(row.replace(row.find("NewTable3"), 9, "Staff"));
    }
    EXPECT_EQ(Executed(), rows);
    EXPECT_EQ(Db().CallsStartingWith("OpenRecordset "), Texts{"SELECT * FROM `Staff` 3 -1"});
    EXPECT_EQ(prompts.Texts(), Texts{"Done."});
    EXPECT_EQ(tables.Count(), 0);  // appending adds no table

    Db().calls.clear();
    Options().skipFirstLine = false;
    Run();
    ASSERT_EQ(Executed().size(), 4u);
    EXPECT_EQ(Executed()[0], "INSERT INTO `Staff` VALUES('Name','Age','Home Town');");
}

TEST_F(ImportRunTest, AColumnMismatchIsReportedAndTheNextFileStillImports) {
    Db().AddTable("Staff", 3);
    const auto wide = AddFile("wide.csv", "a,b,c,d\n1,2,3,4\n");
    AddFile("fits.csv", "a,b,c\n1,2,3\n");
    Options().mode = ImportMode::AppendToTable;
    Options().appendTable = "Staff";
    Options().delimiter = ",";
    Run();
    EXPECT_EQ(prompts.Texts(),
              (Texts{"The columns in the CSV file and the columns in the table must be "
                     "identical.\r\n\r\n" +
                         wide + " was split by , and has 4 columns. The table Staff has 3 columns.",
                     "Done."}));
    EXPECT_EQ(Executed(), (Texts{"INSERT INTO `Staff` VALUES('a','b','c');",
                                 "INSERT INTO `Staff` VALUES('1','2','3');"}));
    // The check's recordset is let go with the session: one Close per file.
    EXPECT_EQ(Db().CallsStartingWith("Close").size(), 2u);
}

TEST_F(ImportRunTest, AnySkippedFileEndsWithTablesAlreadyExist) {
    // A pattern without a counter names the same table for every file.
    for (const char* name : {"a.csv", "b.csv", "c.csv"}) {
        AddFile(name, "k,v\n1,2\n");
    }
    Options().tableNamePattern = "Orders";
    Run();
    EXPECT_EQ(Executed().size(), 2u);
    EXPECT_EQ(tables.Names(), Texts{"Orders"});
    EXPECT_EQ(prompts.Texts(), Texts{"Table(s) already exist."});

    // An existing NewTable2 skips the middle file; the last file imports, and the closing
    // message still says that a table existed.
    tables = TableNameList({"newtable2"});
    prompts.messages.clear();
    Options().tableNamePattern = "NewTable[counter]";
    Run();
    EXPECT_EQ(tables.Names(), (Texts{"NewTable3", "NewTable1", "newtable2"}));
    EXPECT_EQ(prompts.Texts(), Texts{"Table(s) already exist."});
}

TEST_F(ImportRunTest, TheChecksRefuseBeforeAnyFileIsRead) {
    Run();
    EXPECT_EQ(prompts.Texts(), Texts{"No files added."});

    files.Append((folder.Path() / "not-there.csv").string());
    tables = TableNameList({"ORDERS"});
    Options().tableNamePattern = "orders";
    Run();
    Options().tableNamePattern = "";
    Run();
    Options().mode = ImportMode::AppendToTable;
    Options().appendTable.reset();
    Run();
    EXPECT_EQ(prompts.Texts(), (Texts{"No files added.", "Table name already exists.",
                                      "Please enter a table name.", "Please select a table."}));
    EXPECT_TRUE(Db().CallsStartingWith("Open").empty());
    EXPECT_FALSE(std::filesystem::exists(LogPath()));
}

TEST_F(ImportRunTest, WithoutAModeOrANamingEveryFileIsReadAndNothingWritten) {
    AddFile("a.csv", "k,v\n1,2\n");
    Options().columnNaming = ColumnNaming::None;
    Run();
    Options().mode = ImportMode::None;
    Run();
    EXPECT_TRUE(Executed().empty());
    EXPECT_EQ(Db().CallsStartingWith("Open").size(), 2u);
    EXPECT_EQ(prompts.Texts(), (Texts{"Done.", "Done."}));
    // Reading still happens: a missing file is an error.
    files.Append((folder.Path() / "gone.csv").string());
    Run();
    EXPECT_EQ(prompts.Texts().size(), 3u);
    EXPECT_NE(prompts.Texts()[2].find("gone.csv"), std::string::npos);
}

TEST_F(ImportRunTest, AskedNamesCancelFileWithoutDataLinesAndDataAfterCancel) {
    Options().columnNaming = ColumnNaming::AskUser;
    Db().checkStatements = true;
    // All answers given: the table is created with them.
    AddFile("asked.csv", "a,b\n1,2\n");
    prompts.inputs = {"First", "Second"};
    Run();
    EXPECT_EQ(Executed()[0], "CREATE TABLE `NewTable1`(`First` VARCHAR, `Second` VARCHAR);");

    // Cancel on a file without data lines: nothing is created, yet the name is listed.
    files.Clear();
    tables = TableNameList();
    Db().calls.clear();
    AddFile("header-only.csv", "a,b");
    Run();
    EXPECT_TRUE(Executed().empty());
    EXPECT_EQ(tables.Names(), Texts{"NewTable1"});

    // Cancel with data lines: the first row names a table that does not exist.
    files.Clear();
    tables = TableNameList();
    prompts.messages.clear();
    const auto path = AddFile("data.csv", "a,b\n1,2\n3,4\n");
    Options().tableNamePattern = "Cancelled[counter]";
    Run();
    EXPECT_EQ(Executed(), Texts{"INSERT INTO `Cancelled1` VALUES('1','2');"});
    const std::string description =
        "The database engine cannot find the input table or query 'Cancelled1'. (" + path +
        ", line 2)";
    EXPECT_EQ(prompts.Texts(), Texts{description + "\r\nPlease email the log file (" +
                                     LogPath().string() + ") to the support@quillmere.app"});
    EXPECT_EQ(testing::TempFolder::Read(LogPath()),
              description + "\r\nINSERT INTO `Cancelled1` VALUES('1','2');\r\n");
    EXPECT_TRUE(tables.Names().empty());
}

TEST_F(ImportRunTest, OptionsChangedDuringTheRunApplyFromTheNextFileButNotTheDelimiter) {
    AddFile("a.csv", "k,v\n1,2\n");
    AddFile("b.csv", "k,v\n3,4\n");
    onYield = [this] {
        Options().delimiter = ";";
        Options().columnNaming = ColumnNaming::Automatic;
        Options().tableNamePattern = "Changed";
    };
    Run();
    EXPECT_EQ(Executed(), (Texts{"CREATE TABLE `NewTable1`(`k` VARCHAR, `v` VARCHAR);",
                                 "INSERT INTO `NewTable1` VALUES('1','2');",
                                 "CREATE TABLE `NewTable2`(`NewField1` VARCHAR, `NewField2` "
                                 "VARCHAR);",
                                 "INSERT INTO `NewTable2` VALUES('3','4');"}));
}

TEST_F(ImportRunTest, AStartDuringARunIsIgnored) {
    AddFile("a.csv", "k,v\n1,2\n3,4\n");
    ImportRun run(Environment());
    int nestedStarts = 0;
    onYield = [&] {
        EXPECT_TRUE(run.InProgress());
        ++nestedStarts;
        run.Start();
    };
    run.Start();
    EXPECT_FALSE(run.InProgress());
    EXPECT_EQ(nestedStarts, 6);
    EXPECT_EQ(Executed().size(), 3u);
    EXPECT_EQ(prompts.Texts(), Texts{"Done."});
    // A finished run can start again (and finds its table listed now).
    onYield = nullptr;
    run.Start();
    EXPECT_EQ(prompts.Texts(), (Texts{"Done.", "Table(s) already exist."}));
}

TEST_F(ImportRunTest, TextArrivesAsUtf8WhateverTheFilesEncodingAndLineEnds) {
    // UTF-16 LE with a mark and CR-only line ends: "Stadt;Zähler" CR "Köln;3" CR
    const std::u16string text = u"Stadt;Z\u00e4hler\rK\u00f6ln;3\r";
    std::string bytes = "\xFF\xFE";
    for (const char16_t unit : text) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    AddFile("utf16.csv", bytes);
    AddFile("ansi.csv", "Name;Note\r\nJos\xE9;\"a;b\" \x80\r\n");
    Options().delimiter = ";";
    Run();
    EXPECT_EQ(Executed(),
              (Texts{"CREATE TABLE `NewTable1`(`Stadt` VARCHAR, `Zhler` VARCHAR);",
                     "INSERT INTO `NewTable1` VALUES('K\xC3\xB6ln','3');",
                     "CREATE TABLE `NewTable2`(`Name` VARCHAR, `Note` VARCHAR);",
                     "INSERT INTO `NewTable2` VALUES('Jos\xC3\xA9','a;b \xE2\x82\xAC');"}));
}

TEST_F(ImportRunTest, EveryHeaderFieldNamesAColumnSoEveryRowFits) {
    Db().checkStatements = true;
    AddFile("trailing.csv", "a,b,c,\n1,2,3,\n");
    AddFile("gap.csv", "a,,c\n1,2,3\n");
    AddFile("hash.csv", "#,b\nx,y\n");
    Run();
    EXPECT_EQ(Executed(),
              (Texts{"CREATE TABLE `NewTable1`(`a` VARCHAR, `b` VARCHAR, `c` VARCHAR, `Field4` "
                     "VARCHAR);",
                     "INSERT INTO `NewTable1` VALUES('1','2','3','');",
                     "CREATE TABLE `NewTable2`(`a` VARCHAR, `Field2` VARCHAR, `c` VARCHAR);",
                     "INSERT INTO `NewTable2` VALUES('1','2','3');",
                     "CREATE TABLE `NewTable3`(`Field1` VARCHAR, `b` VARCHAR);",
                     "INSERT INTO `NewTable3` VALUES('x','y');"}));
    EXPECT_EQ(prompts.Texts(), Texts{"Done."});
}

TEST_F(ImportRunTest, AOneColumnFileStoresEveryLineWithAValue) {
    AddFile("emails.csv", "email\r\nann@example.org\r\n\r\nbob@example.org\r\n\"\"\r\n");
    // With two columns a line without the delimiter is still no row.
    AddFile("two.csv", "k,v\nlonely\n1,2\n");
    Run();
    EXPECT_EQ(Executed(), (Texts{"CREATE TABLE `NewTable1`(`email` VARCHAR);",
                                 "INSERT INTO `NewTable1` VALUES('ann@example.org');",
                                 "INSERT INTO `NewTable1` VALUES('bob@example.org');",
                                 "CREATE TABLE `NewTable2`(`k` VARCHAR, `v` VARCHAR);",
                                 "INSERT INTO `NewTable2` VALUES('1','2');"}));
}

TEST_F(ImportRunTest, AColumnWithAValueBeyond255CharactersIsMadeLongText) {
    const std::string over(256, 'x');
    std::string accented;  // 255 characters in 510 bytes: still fits a Text column
    for (int i = 0; i < 255; ++i) {
        accented += "\xC3\xA9";
    }
    std::string emoji;  // 128 characters beyond U+FFFF are 256 UTF-16 units
    for (int i = 0; i < 128; ++i) {
        emoji += "\xF0\x9F\x98\x80";
    }
    // The long value in the dropped fifth field and the long header name change nothing.
    AddFile("long.csv", "id,note,accented,emoji\n1,short,\"" + accented + "\",e\n2,\"" + over +
                            "\",a," + emoji + "," + over + "\n");
    Run();
    ASSERT_EQ(Executed().size(), 3u);
    EXPECT_EQ(Executed()[0],
              "CREATE TABLE `NewTable1`(`id` VARCHAR, `note` LONGTEXT, `accented` VARCHAR, "
              "`emoji` LONGTEXT);");

    // Appending creates nothing, so the table's own columns decide.
    files.Clear();
    Db().calls.clear();
    Db().AddTable("Notes", 4);
    Options().mode = ImportMode::AppendToTable;
    Options().appendTable = "Notes";
    AddFile("more.csv", "id,note,a,e\n3,\"" + over + "\",a,e\n");
    Options().skipFirstLine = true;
    Run();
    EXPECT_EQ(Executed(), Texts{"INSERT INTO `Notes` VALUES('3','" + over + "','a','e');"});
}

TEST_F(ImportRunTest, TheSummaryCountsFilesRowsSkipsAndLines) {
    std::vector<ImportSummary> summaries;
    onFinished = [&](const ImportSummary& summary) { summaries.push_back(summary); };
    for (const char* name : {"a.csv", "b.csv", "c.csv"}) {
        AddFile(name, "k,v\n1,2\n\nalone\n3,4\n");
    }
    Options().tableNamePattern = "Orders";
    Run();
    ASSERT_EQ(summaries.size(), 1u);
    const ImportSummary& created = summaries[0];
    EXPECT_FALSE(created.failed);
    EXPECT_EQ(created.fileCount, 3);
    EXPECT_EQ(created.filesImported, 1);
    EXPECT_EQ(created.rowsStored, 2);
    EXPECT_EQ(created.skippedTableExists, 2);
    EXPECT_EQ(created.linesSkipped, 2);  // only the imported file's lines are looked at
    EXPECT_EQ(SummaryText(created).rfind("1 file imported, 2 rows stored, 2 files skipped (table "
                                         "name exists), 2 lines skipped (empty or fewer than two "
                                         "fields), ",
                                         0),
              0u)
        << SummaryText(created);
    EXPECT_EQ(SummaryText(created).back(), 's');  // "... 0.00 s"

    Db().AddTable("Staff", 2);
    AddFile("wide.csv", "a,b,c\n1,2,3\n");
    Options().mode = ImportMode::AppendToTable;
    Options().appendTable = "Staff";
    Run();
    ASSERT_EQ(summaries.size(), 2u);
    EXPECT_EQ(summaries[1].filesImported, 3);
    EXPECT_EQ(summaries[1].rowsStored, 9);  // line 0 of each file is a row too
    EXPECT_EQ(summaries[1].skippedColumnCount, 1);
    EXPECT_EQ(SummaryText(summaries[1]).find("1 file skipped (column count differs)") !=
                  std::string::npos,
              true);

    ImportSummary mixed;
    mixed.skippedTableExists = 2;
    mixed.skippedColumnCount = 1;
    mixed.skippedNothingChosen = 1;
    mixed.elapsed = std::chrono::milliseconds(1234);
    EXPECT_EQ(SummaryText(mixed),
              "0 files imported, 0 rows stored, 4 files skipped (2 table name exists, 1 column "
              "count differs, 1 no mode or column naming chosen), 0 lines skipped (empty or "
              "fewer than two fields), 1.23 s");
}

}  // namespace
}  // namespace quillmere
