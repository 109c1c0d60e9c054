// Files that real CSV exports are made of, imported by the real engine into new .accdb and
// .mdb databases and read back by the engine, mdb-reader and Jackcess's checker.
#include <gtest/gtest.h>

#include <cstdlib>

#include "accessdb/create/NewDatabase.h"
#include "import/LongTextColumns.h"
#include "support/EngineImport.h"
#include "support/Environment.h"
#include "support/ReadBack.h"
#include "support/TempFolder.h"

namespace quillmere {
namespace {

using Texts = std::vector<std::string>;
using Rows = std::vector<Texts>;
using testing::TableSeen;

class ReadBack : public ::testing::TestWithParam<std::string> {
  protected:
    void SetUp() override {
        quillmere::testing::SetEnvironment("XDG_STATE_HOME", (folder.Path() / "state").string());
        database = (folder.Path() / ("shop" + GetParam())).string();
        accessdb::CreateDatabase(database, {accessdb::NewDatabaseFormat::Default, ""});
    }

    void TearDown() override {
        if (const auto findings = testing::AccessCheckFindings(database)) {
            EXPECT_EQ(*findings, "") << database;
        }
    }

    void Add(const std::string& name, const std::string& bytes) {
        files.push_back(folder.Write(name, bytes));
    }

    // Imports the files added so far with the engine; gives the messages the run showed.
    Texts Import(ImportOptions options = {}) {
        const auto result = testing::ImportWithEngine(database, files, std::move(options), tables);
        files.clear();
        summary = result.summary;
        return result.messages;
    }

    testing::TempFolder folder;
    std::string database;
    Texts files;
    TableNameList tables;
    ImportSummary summary;
};

INSTANTIATE_TEST_SUITE_P(Formats, ReadBack, ::testing::Values(".accdb", ".mdb"),
                         [](const auto& info) { return info.param.substr(1); });

TEST_P(ReadBack, HeaderFieldsWithoutANameGetFieldAndTheirPosition) {
    Add("trailing.csv", "a,b,c,\r\n1,2,3,\r\n4,5,6,x\r\n");
    Add("gap.csv", "a,,c\n1,2,3\n");
    Add("hash.csv", "#,b\n1,2\n");
    Add("cyrillic.csv",
        "\xD0\x98\xD0\xBC\xD1\x8F,\xD0\x93\xD0\xBE\xD1\x80\xD0\xBE\xD0\xB4\n"
        "\xD0\x90\xD0\xBD\xD0\xBD\xD0\xB0,\xD0\x9C\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0\n");
    EXPECT_EQ(Import(), Texts{"Done."});
    const Texts text2{"text", "text"};
    const Texts text3{"text", "text", "text"};
    testing::ExpectTableReadsBack(database, "NewTable1",
                                  {{"a", "b", "c", "Field4"},
                                   {"text", "text", "text", "text"},
                                   {{"1", "2", "3", ""}, {"4", "5", "6", "x"}}});
    testing::ExpectTableReadsBack(database, "NewTable2",
                                  {{"a", "Field2", "c"}, text3, {{"1", "2", "3"}}});
    testing::ExpectTableReadsBack(database, "NewTable3", {{"Field1", "b"}, text2, {{"1", "2"}}});
    testing::ExpectTableReadsBack(database, "NewTable4",
                                  {{"Field1", "Field2"},
                                   text2,
                                   {{"\xD0\x90\xD0\xBD\xD0\xBD\xD0\xB0",
                                     "\xD0\x9C\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0"}}});
}

TEST_P(ReadBack, AOneColumnFileStoresItsLines) {
    Add("emails.csv", "email\nann@example.org\n\nbob@example.org\n");
    EXPECT_EQ(Import(), Texts{"Done."});
    testing::ExpectTableReadsBack(
        database, "NewTable1", {{"email"}, {"text"}, {{"ann@example.org"}, {"bob@example.org"}}});
    EXPECT_EQ(summary.rowsStored, 2);
    EXPECT_EQ(summary.linesSkipped, 1);
}

TEST_P(ReadBack, LongValuesGoToLongTextColumnsWhole) {
    const std::string three(300, 'x');
    std::string seventy;  // 70,000 characters, some beyond ASCII and one beyond U+FFFF each time
    while (Utf16Length(seventy) < 70000) {
        seventy +=
            "Gr\xC3\xBC\xC3\x9F"
            "e \xF0\x9F\x98\x80 ";
    }
    Add("long.csv", "id,note,tail\n1," + three + ",a\n2,\"" + seventy + "\",b\n3,,c\n");
    EXPECT_EQ(Import(), Texts{"Done."});
    testing::ExpectTableReadsBack(database, "NewTable1",
                                  {{"id", "note", "tail"},
                                   {"text", "memo", "text"},
                                   {{"1", three, "a"}, {"2", seventy, "b"}, {"3", "", "c"}}});
}

TEST_P(ReadBack, EncodingsWithoutAMarkAndANamedOne) {
    Add("stray.csv",
        "Stadt,Land\nM\xC3\xBCnchen,Deutschland\nD\xFCsseldorf,Deutschland\nZ\xC3\xBCrich,"
        "Schweiz\n");
    const std::u16string latin = u"Name,Stadt\r\nJ\u00fcrgen,K\u00f6ln\r\n";
    Add("le.csv", testing::Utf16Bytes(latin, false));
    Add("be.csv", testing::Utf16Bytes(latin, true));
    EXPECT_EQ(Import(), Texts{"Done."});
    testing::ExpectTableReadsBack(database, "NewTable1",
                                  {{"Stadt", "Land"},
                                   {"text", "text"},
                                   {{"M\xC3\xBCnchen", "Deutschland"},
                                    {"D\xC3\xBCsseldorf", "Deutschland"},
                                    {"Z\xC3\xBCrich", "Schweiz"}}});
    const TableSeen jurgen{{"Name", "Stadt"}, {"text", "text"}, {{"J\xC3\xBCrgen", "K\xC3\xB6ln"}}};
    testing::ExpectTableReadsBack(database, "NewTable2", jurgen);
    testing::ExpectTableReadsBack(database, "NewTable3", jurgen);

    // "Анна,Москва" in Windows-1251 would pass for Windows-1252 letters; named, it is Cyrillic.
    Add("cp1251.csv", "Name,City\r\n\xC0\xED\xED\xE0,\xCC\xEE\xF1\xEA\xE2\xE0\r\n");
    ImportOptions named;
    named.tableNamePattern = "Cyrillic[counter]";
    named.encoding = "windows-1251";
    EXPECT_EQ(Import(named), Texts{"Done."});
    testing::ExpectTableReadsBack(database, "Cyrillic1",
                                  {{"Name", "City"},
                                   {"text", "text"},
                                   {{"\xD0\x90\xD0\xBD\xD0\xBD\xD0\xB0",
                                     "\xD0\x9C\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0"}}});
}

}  // namespace
}  // namespace quillmere
