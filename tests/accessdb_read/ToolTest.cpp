// The accessdb tool's own output and exit status: info, schema, CSV quoting, and errors on
// standard error with exit status 1.
#include <gtest/gtest.h>

#include "Fixtures.h"
#include "Process.h"
#include "support/RunProgram.h"

namespace {

class Tool : public ::testing::Test {
  protected:
    void SetUp() override {
        if (fixtures::Dir().empty())
            GTEST_SKIP() << "the shared fixtures folder is absent (QUILLMERE_SHARED_DIR)";
        tool_ = process::AccessDbTool();
        if (tool_.empty())
            GTEST_SKIP() << "the accessdb tool is not built (QUILLMERE_BIN_DIR)";
    }
    // What the tool wrote to standard output (or to standard error alone, when asked for).
    process::Result Run(const std::vector<std::string>& args, bool standardError = false) {
        auto run = quillmere::testing::RunProgram(tool_, args);
        return {run.exitCode, standardError ? run.errors : run.output};
    }
    static std::string File(const char* relative) { return (fixtures::Dir() / relative).string(); }
    std::string tool_;
};

TEST_F(Tool, InfoReportsFormatPasswordAndEncryption) {
    auto jet4 = Run({"info", File("mdb-reader/V2003_with-password.mdb")});
    EXPECT_EQ(jet4.exitCode, 0);
    EXPECT_NE(jet4.output.find("format: Jet 4 (Standard Jet DB, version byte 1)"),
              std::string::npos)
        << jet4.output;
    EXPECT_NE(jet4.output.find("password: yes"), std::string::npos);
    EXPECT_NE(jet4.output.find("sort order: General Legacy (LCID 1033, version 0)"),
              std::string::npos);
    EXPECT_NE(jet4.output.find("pages: 53"), std::string::npos);

    auto agile = Run({"info", File("mdb-reader/office-agile-4.4.accdb")});
    EXPECT_EQ(agile.exitCode, 0);
    EXPECT_NE(agile.output.find("encryption: Office Agile (version 4.4)"), std::string::npos)
        << agile.output;
    auto encoded = Run({"info", File("jackcess-encrypt/db97-enc.mdb")});
    EXPECT_NE(encoded.output.find("format: Jet 3"), std::string::npos) << encoded.output;
    EXPECT_NE(encoded.output.find("encryption: Jet page encoding (RC4)"), std::string::npos)
        << encoded.output;
}

TEST_F(Tool, SchemaListsColumnsAndIndexes) {
    auto schema = Run({"schema", File("jackcess/testV1997.mdb"), "Table1"});
    EXPECT_EQ(schema.exitCode, 0);
    EXPECT_NE(schema.output.find("TABLE Table1 (9 columns, 2 rows)"), std::string::npos)
        << schema.output;
    EXPECT_NE(schema.output.find("COLUMN A Text(50)"), std::string::npos) << schema.output;
    EXPECT_NE(schema.output.find("COLUMN H Currency"), std::string::npos);
    EXPECT_NE(schema.output.find("INDEX PrimaryKey (A ASC) PRIMARY UNIQUE REQUIRED"),
              std::string::npos);
    auto fk = Run({"schema", File("jackcess/indexTestV2003.mdb")});
    EXPECT_NE(fk.output.find("FOREIGN KEY -> Table1"), std::string::npos) << fk.output;
    auto numeric = Run({"schema", File("jackcess/fixedNumericTestV2000.mdb"), "test"});
    EXPECT_NE(numeric.output.find("Decimal(18,0)"), std::string::npos) << numeric.output;
}

TEST_F(Tool, ExportWritesRfc4180WithNullsAsEmptyFields) {
    auto longText = Run({"export", File("mdb-reader/longtext.accdb"), "Table1"});
    EXPECT_EQ(longText.exitCode, 0);
    EXPECT_EQ(longText.output.rfind("ID,LongText\r\n1,\"Lorem ipsum dolor sit amet, ", 0), 0u)
        << longText.output.substr(0, 80);
    auto dates = Run({"export", File("jackcess/extDateTestV2019.accdb"), "Table1"});
    EXPECT_NE(dates.output.find("\r\n5,row5,,,,\r\n"), std::string::npos) << dates.output;
    EXPECT_NE(dates.output.find("6,row6,2021-06-14 22:45:12.3456789,2021-06-14 22:45:12,"),
              std::string::npos);
}

TEST_F(Tool, ErrorsGoToStandardErrorWithStatusOne) {
    auto wrong =
        Run({"tables", "--password", "nope", File("mdb-reader/V2003_with-password.mdb")}, true);
    EXPECT_EQ(wrong.exitCode, 1);
    EXPECT_EQ(wrong.output, "accessdb: Not a valid password.\n");
    EXPECT_EQ(Run({"tables", "--password", "password", File("mdb-reader/V2003_with-password.mdb")})
                  .output,
              "Table1\n");
    auto missing = Run({"export", File("jackcess/testV1997.mdb"), "Nope"}, true);
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.output.find("cannot find the input table or query 'Nope'"),
              std::string::npos);
    EXPECT_EQ(Run({"export"}, true).exitCode, 1);
    EXPECT_EQ(Run({"frobnicate", "x"}, true).exitCode, 1);
    EXPECT_EQ(Run({"tables", "--bogus", File("jackcess/testV1997.mdb")}, true).exitCode, 1);
    auto all = Run({"tables", "--all", File("jackcess/queryTestV2003.mdb")});
    EXPECT_NE(all.output.find("VIEW\tSelectQuery\n"), std::string::npos) << all.output;
    EXPECT_NE(all.output.find("SYSTEM TABLE\tMSysObjects\n"), std::string::npos);
}

}  // namespace
