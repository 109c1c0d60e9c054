#include <gtest/gtest.h>

#include "import/CharacterFilter.h"
#include "import/ColumnNames.h"
#include "import/CsvSplitter.h"
#include "import/Statements.h"
#include "import/TableNameList.h"
#include "import/TableNames.h"
#include "support/FakePrompts.h"

namespace quillmere {
namespace {

using Names = std::vector<std::string>;

std::vector<std::string_view> Views(const std::vector<std::string>& fields) {
    return {fields.begin(), fields.end()};
}

TEST(Names, FilterKeepsOrDropsWholeCharactersCaseSensitively) {
    EXPECT_EQ(LettersAndDigitsOnly("Home Town"), "HomeTown");
    EXPECT_EQ(LettersAndDigitsOnly("\"Name\""), "Name");
    EXPECT_EQ(LettersAndDigitsOnly("Zip_Code #2"), "ZipCode2");
    EXPECT_EQ(LettersAndDigitsOnly("Stra\xC3\x9F"
                                   "e"),
              "Strae");
    EXPECT_EQ(LettersAndDigitsOnly("#"), "");
    EXPECT_EQ(FilterCharacters("aAbB", "ab", true), "ab");
    EXPECT_EQ(FilterCharacters("aAbB", "ab", false), "AB");
    // "é" is one character: dropping it never leaves half of it behind.
    EXPECT_EQ(FilterCharacters("caf\xC3\xA9!", "!", false), "caf\xC3\xA9");
    EXPECT_EQ(FilterCharacters("\xC3\xA9\xC3\xA8", "\xC3\xA8", true), "\xC3\xA8");
}

TEST(Names, TableNamesReplaceOnlyTheExactCounter) {
    EXPECT_EQ(MakeTableName("NewTable[counter]", 3), "NewTable3");
    EXPECT_EQ(MakeTableName("Sales [counter] data", 1), "Sales 1 data");
    EXPECT_EQ(MakeTableName("[counter]-[counter]", 10), "10-10");
    EXPECT_EQ(MakeTableName("T[Counter]", 2), "T[Counter]");
    EXPECT_EQ(MakeTableName("Orders", 7), "Orders");
}

TEST(Names, TableListIgnoresLetterCase) {
    TableNameList tables({"Staff", "ORDERS", "\xC3\x84rger"});
    EXPECT_TRUE(TableListContains(tables, "orders"));
    EXPECT_TRUE(TableListContains(tables, "STAFF"));
    EXPECT_TRUE(TableListContains(tables, "\xC3\xA4RGER"));  // Ärger / äRGER
    EXPECT_FALSE(TableListContains(tables, "Order"));
    EXPECT_FALSE(TableListContains(TableNameList(), ""));
}

TEST(ColumnNames, FirstLineAutomaticAndAsked) {
    int yields = 0;
    // Empty fields and fields without a letter or digit (a Cyrillic "Город") are named by
    // their position; the others keep their letters and digits.
    const Names header{"Name", "", "Home Town", "#", "\xD0\x93\xD0\xBE\xD1\x80\xD0\xBE\xD0\xB4",
                       ""};
    EXPECT_EQ(ColumnsFromFirstLine(Views(header), [&] { ++yields; }),
              (Names{"Name", "Field2", "HomeTown", "Field4", "Field5", "Field6"}));
    EXPECT_EQ(yields, 6);

    EXPECT_EQ(AutomaticColumns("NewField[counter]", 3),
              (Names{"NewField1", "NewField2", "NewField3"}));
    EXPECT_EQ(AutomaticColumns("Col_[counter]_x", 2), (Names{"Colx1", "Colx2"}));
    EXPECT_EQ(AutomaticColumns("F", 1), (Names{"F1"}));

    testing::FakePrompts prompts;
    prompts.inputs = {"First Name", "  ", "", "never asked"};
    const auto asked = AskColumnNames(prompts, 4);
    EXPECT_EQ(asked.names, (Names{"FirstName", "", ""}));
    EXPECT_TRUE(asked.lastAnswerEmpty);
    EXPECT_EQ(prompts.inputPrompts, (Names{"Enter name for column #1:", "Enter name for column #2:",
                                           "Enter name for column #3:"}));
    EXPECT_EQ(prompts.inputDefaults, (Names{"", "", ""}));

    prompts.inputs = {"a", "b"};
    EXPECT_FALSE(AskColumnNames(prompts, 2).lastAnswerEmpty);
    EXPECT_TRUE(AskColumnNames(prompts, 0).lastAnswerEmpty);
}

TEST(Statements, ExactTextsOfTheWorkedExample) {
    CsvSplitter splitter(",");
    const std::string text =
        "Name,Age,Home Town\r\nAnn,30,\"Oslo\"\r\nBob,25\r\n"
        "O'Hara,41,Rome,x\r\n";
    const auto lines = splitter.SplitLines(text, "third.csv");
    ASSERT_EQ(lines.size(), 5u);
    std::vector<std::string_view> fields;
    splitter.SplitFields(lines[0], fields);
    const size_t columns = fields.size();
    EXPECT_EQ(CreateTableStatement("NewTable3", ColumnsFromFirstLine(fields, {})),
              "CREATE TABLE `NewTable3`(`Name` VARCHAR, `Age` VARCHAR, `HomeTown` VARCHAR);");
    Names rows;
    for (size_t r = 1; r < lines.size(); ++r) {
        splitter.SplitFields(lines[r], fields);
        if (IsDataLine(lines[r], fields, columns)) {
            ShapeRow(fields, columns);
            rows.push_back(InsertRowStatement("NewTable3", fields));
        }
    }
    EXPECT_EQ(rows, (Names{"INSERT INTO `NewTable3` VALUES('Ann','30','Oslo');",
                           "INSERT INTO `NewTable3` VALUES('Bob','25','');",
                           "INSERT INTO `NewTable3` VALUES('O''Hara','41','Rome');"}));
    EXPECT_EQ(ColumnCheckQuery("Staff"), "SELECT * FROM `Staff`");
}

TEST(Statements, QuotesAreDataAndOnlyApostrophesAreDoubled) {
    const Names values{"5\" pipe", "'quoted'", "a`b", ""};
    EXPECT_EQ(InsertRowStatement("My \"T\"", Views(values)),
              "INSERT INTO `My \"T\"` VALUES('5\" pipe','''quoted''','a`b','');");
    EXPECT_EQ(CreateTableStatement("My \"T\"", {"a", "b"}),
              "CREATE TABLE `My \"T\"`(`a` VARCHAR, `b` VARCHAR);");
    // Without columns or values the statements are malformed, and the database says so.
    EXPECT_EQ(CreateTableStatement("T", {}), "CREATE TABLE `T);");
    EXPECT_EQ(InsertRowStatement("T", {}), "INSERT INTO `T` VALUES);");

    std::string reused = "left over from the row before, longer than the next";
    const Names one{"x", "y"};
    BuildInsertRowStatement(reused, "T", Views(one));
    EXPECT_EQ(reused, "INSERT INTO `T` VALUES('x','y');");
}

}  // namespace
}  // namespace quillmere
