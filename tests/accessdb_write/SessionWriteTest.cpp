// Writing through the session the import run uses, and the import tool end to end.
#include <gtest/gtest.h>

#include <fstream>

#include "database/DatabaseSession.h"
#include "tests/accessdb_write/WriteSupport.h"

using namespace writetest;

TEST(SessionWrite, TheImportStatementsTakeEffectAtOnce) {
    REQUIRE_FIXTURES();
    const fs::path dir = TempDir("session");
    const std::string path = CopyFixture("jackcess/empty2007.accdb", dir);
    auto session = quillmere::MakeEngineSessionFactory()->Create();
    session->SetMode(quillmere::kModeReadWrite);
    session->Open("Provider=Microsoft.ACE.OLEDB.12.0;Data Source=" + path +
                  ";JET OLEDB:Database Password=");
    session->Execute(
        "CREATE TABLE `NewTable3`(`Name` VARCHAR, `Age` VARCHAR, `HomeTown` VARCHAR);");
    session->Execute("INSERT INTO `NewTable3` VALUES('Ann','30','Oslo');");
    session->Execute("INSERT INTO `NewTable3` VALUES('Bob','25','');");
    session->Execute("INSERT INTO `NewTable3` VALUES('O''Hara','41','Rome');");
    // Visible at once to the same session, without a transaction.
    auto recordset = session->OpenRecordset("SELECT * FROM `NewTable3`", quillmere::kCursorStatic,
                                            quillmere::kLockUnspecified);
    EXPECT_EQ(recordset->FieldCount(), 3);
    int rows = 0;
    for (; !recordset->AtEnd(); recordset->MoveNext())
        ++rows;
    EXPECT_EQ(rows, 3);
    recordset->Close();
    // A rejected statement raises a numbered error and the session goes on.
    try {
        session->Execute("INSERT INTO `NewTable3` VALUES('a','b');");
        ADD_FAILURE() << "a short row was accepted";
    } catch (const quillmere::DatabaseError& e) {
        EXPECT_EQ(e.Number(), 3346);
        EXPECT_NE(e.Description().find("NewTable3"), std::string::npos);
    }
    session->Execute("INSERT INTO `NewTable3` VALUES('Cy','7','Bergen');");
    session->Close();
    EXPECT_FALSE(fs::exists(dir / "empty2007.laccdb"));
    EXPECT_EQ(ReadRows(path, "NewTable3").size(), 4u);
    ExpectClean(path);
    fs::remove_all(dir);
}

TEST(SessionWrite, QuillmereImportLoadsCsvFiles) {
    REQUIRE_FIXTURES();
    if (ImportTool().empty()) {
        GTEST_SKIP() << "quillmere-import is not built";
    }
    const fs::path dir = TempDir("import");
    const std::string path = CopyFixture("jackcess/empty2003.mdb", dir);
    std::ofstream(dir / "people.csv")
        << "Name,Age,Home Town\r\nAnn,30,\"Oslo\"\r\nBob,25\r\nO'Hara,41,Rome,x\r\n\r\n";
    std::ofstream(dir / "more.csv") << "Név,Város\nÁrvíztűrő,Tükörfúrógép\n";
    const auto run = RunImportTool(
        {"--database", path, (dir / "people.csv").string(), (dir / "more.csv").string()});
    EXPECT_EQ(run.exitCode, 0) << run.output << run.errors;
    EXPECT_EQ(ReadRows(path, "NewTable1"),
              (std::vector<std::vector<std::string>>{
                  {"Ann", "30", "Oslo"}, {"Bob", "25", ""}, {"O'Hara", "41", "Rome"}}));
    EXPECT_EQ(ReadRows(path, "NewTable2"),
              (std::vector<std::vector<std::string>>{{"Árvíztűrő", "Tükörfúrógép"}}));
    ExpectClean(path);
    fs::remove_all(dir);
}

TEST(SessionWrite, AppendingBlankCellsIntoTypedColumnsStoresNull) {
    REQUIRE_FIXTURES();
    if (ImportTool().empty()) {
        GTEST_SKIP() << "quillmere-import is not built";
    }
    const fs::path dir = TempDir("append_typed");
    const std::string path = CopyFixture("jackcess/empty2010.accdb", dir);
    Execute(path, {"CREATE TABLE `Stock`(`Item` VARCHAR(20), `Qty` LONG, `Added` DATETIME, "
                   "`Price` CURRENCY, `Active` BIT, `Notes` MEMO)"});
    // Blank cells in every typed column, and a short row the run pads with blanks.
    std::ofstream(dir / "stock.csv") << "Item,Qty,Added,Price,Active,Notes\r\n"
                                        "Pen,12,2024-01-09,3.90,True,blue\r\n"
                                        ",,,,,\r\n"
                                        "Ink,7\r\n";
    const auto run = RunImportTool(
        {"--database", path, "--append", "Stock", "--skip-header", (dir / "stock.csv").string()},
        {{"LC_ALL", "C"}});
    EXPECT_EQ(run.exitCode, 0) << run.output << run.errors;
    EXPECT_EQ(ReadRows(path, "Stock"),
              (std::vector<std::vector<std::string>>{
                  {"Pen", "12", "2024-01-09 00:00:00", "3.9000", "1", "blue"},
                  {"", "<null>", "<null>", "<null>", "0", ""},
                  {"Ink", "7", "<null>", "<null>", "0", ""}}))
        << "Text and Memo keep '', the typed columns take Null";
    ExpectClean(path);
    fs::remove_all(dir);
}
