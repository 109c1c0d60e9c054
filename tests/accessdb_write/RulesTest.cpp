// The rules Access enforces on a new row: the expression language of validation rules and
// default values, the rules read from table properties, and refused rows leaving the file
// exactly as it was.
#include <gtest/gtest.h>

#include <cmath>

#include "accessdb/write/NewGuid.h"
#include "accessdb/write/rules/Expression.h"
#include "accessdb/write/rules/TableRules.h"
#include "tests/accessdb_write/Refusals.h"
#include "tests/accessdb_write/Values.h"
#include "tests/accessdb_write/WriteSupport.h"

namespace {

using accessdb::ColumnDef;
using accessdb::ColumnType;
using accessdb::Property;
using accessdb::TableDef;
using accessdb::Value;
using accessdb::rules::Expression;
using accessdb::rules::ExprValue;
using accessdb::rules::TableRules;

ExprValue Eval(const std::string& text, const ExprValue& implicit = ExprValue::Null()) {
    const auto names = [](const std::string& name) -> ExprValue {
        if (name == "Qty") {
            return ExprValue::Of(3);
        }
        if (name == "Name") {
            return ExprValue::OfText("Ann");
        }
        if (name == "Gone") {
            return ExprValue::Null();
        }
        throw accessdb::rules::ExpressionError("no column " + name);
    };
    return Expression::Parse(text, true).Evaluate(names, implicit);
}

// "T", "F" or "N" (Null) for a condition.
std::string Truth(const std::string& rule, const ExprValue& value = ExprValue::Null()) {
    const ExprValue r = Eval(rule, value);
    return r.kind == ExprValue::Kind::Null ? "N" : (r.number != 0 ? "T" : "F");
}

TEST(Expressions, ComparisonsAndTheirImplicitOperand) {
    const ExprValue five = ExprValue::Of(5);
    const ExprValue ann = ExprValue::OfText("ann");
    const ExprValue null = ExprValue::Null();
    struct Case {
        std::string rule;
        ExprValue value;
        std::string expected;
    };
    const std::vector<Case> cases{
        {">0", five, "T"},
        {"<=4", five, "F"},
        {"<>5", five, "F"},
        {">0", null, "N"},  // Null passes a rule that does not test for it
        {"Between 1 And 5", five, "T"},
        {"Not Between 1 And 4", five, "T"},
        {"In (1, 3, 5)", five, "T"},
        {"Not In ('a','b')", ann, "T"},
        {"'Ann' Or 'Bob'", ann, "T"},  // bare values mean equality; text ignores letter case
        {"\"M\" Or \"F\"", ann, "F"},
        {"Like 'A*'", ann, "T"},
        {"Like 'a?n'", ann, "T"},
        {"Not Like '*x*'", ann, "T"},
        {"Like '[a-c]##'", ExprValue::OfText("b42"), "T"},
        {"Like '[!a-c]*'", ann, "F"},
        {"Is Null", null, "T"},
        {"Is Not Null", null, "F"},
        {">=#1/1/2000# And <#2000-02-01#", ExprValue::OfDate(36540), "T"},  // 2000-01-15
        {"<=Date()", ExprValue::OfDate(36540), "T"},
        {">Date()", ExprValue::OfDate(36540), "F"},
        {"Len([Name])=3", null, "T"},
        {"[Qty]*2+1 = 7 And Not ([Qty] Mod 2 = 0)", null, "T"},
        {"[Gone] > 1 Or [Qty] = 3", null, "T"},  // Null Or True
        {"[Gone] > 1 And [Qty] = 3", null, "N"},
        {"[Gone] > 1 And [Qty] = 4", null, "F"},
        {"IsNull([Gone]) And Nz([Gone], 2) = 2", null, "T"},
        {"Left([Name], 2) & Mid('xyz', 2, 1) = 'Any'", null, "T"},
        {"UCase(Trim('  ann ')) = 'ANN' And Year(#8/31/2021#) = 2021", null, "T"},
        {"'10' > 9", null, "T"},  // a text that holds a number compares as one
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Truth(c.rule, c.value), c.expected) << c.rule;
    }
}

TEST(Expressions, ValuesAndFailures) {
    EXPECT_EQ(Eval("1 + 2 * 3 ^ 2").number, 19);
    EXPECT_EQ(Eval("7 \\ 2").number, 3);
    // Every level of operators joins left to right, as Access reads them.
    EXPECT_EQ(Eval("10 - 4 - 3").number, 3);
    EXPECT_EQ(Eval("2 ^ 3 ^ 2").number, 64);
    EXPECT_EQ(Eval("100 / 10 / 5 Mod 3").number, 2);
    EXPECT_EQ(Truth("[Qty] = 3 Xor [Qty] = 4 Or [Qty] = 5"), "T");
    // Levels as VBA ranks them: * and / above \, above Mod, above + and -; Or above Xor.
    EXPECT_EQ(Eval("7 \\ 2 * 3").number, 1);
    EXPECT_EQ(Eval("8 Mod 5 \\ 2").number, 0);
    EXPECT_EQ(Eval("1 + 7 Mod 4").number, 4);
    EXPECT_EQ(Truth("[Qty] = 3 Xor [Qty] = 3 Or [Qty] = 3"), "F");
    EXPECT_EQ(Eval("'a' & Null & 1").text, "a1");
    EXPECT_EQ(Eval("-[Qty]").number, -3);
    EXPECT_EQ(Eval("Date()").kind, ExprValue::Kind::Date);
    EXPECT_EQ(Eval("Date()").number, std::floor(Eval("Now()").number));
    for (const char* bad : {"Between 1", "In (1, 2", "'open", "#nodate#", "1 +", "[x"}) {
        EXPECT_THROW(Expression::Parse(bad, true), accessdb::rules::ExpressionError) << bad;
    }
    EXPECT_THROW(Eval("DLookUp('a', 'b') = 1"), accessdb::rules::ExpressionError);
    EXPECT_THROW(Eval("[Nobody] = 1"), accessdb::rules::ExpressionError);
    EXPECT_THROW(Eval("1 / 0"), accessdb::rules::ExpressionError);
}

TEST(Expressions, LikeWildcards) {
    using accessdb::rules::MatchesLike;
    EXPECT_TRUE(MatchesLike("Smith", "S*h"));
    EXPECT_TRUE(MatchesLike("", "*"));
    EXPECT_FALSE(MatchesLike("", "?"));
    EXPECT_TRUE(MatchesLike("Åse", "?se"));  // one character, two bytes
    EXPECT_TRUE(MatchesLike("a*b", "a[*]b"));
    EXPECT_FALSE(MatchesLike("axb", "a[*]b"));
    EXPECT_TRUE(MatchesLike("DEF", "d*f"));
    EXPECT_FALSE(MatchesLike("abc", "ab"));
}

Property TextProperty(const std::string& object, const std::string& name,
                      const std::string& ascii) {
    Property p;
    p.object = object;
    p.name = name;
    p.type = static_cast<std::uint8_t>(ColumnType::Memo);
    for (const char c : ascii) {
        p.data.push_back(static_cast<std::uint8_t>(c));
        p.data.push_back(0);
    }
    return p;
}

Property BooleanProperty(const std::string& object, const std::string& name, bool value) {
    Property p;
    p.object = object;
    p.name = name;
    p.type = static_cast<std::uint8_t>(ColumnType::Boolean);
    p.data = {static_cast<std::uint8_t>(value ? 0xFF : 0)};
    return p;
}

TableDef Stock() {
    TableDef t;
    t.name = "Stock";
    for (const auto& [name, type] :
         std::vector<std::pair<std::string, ColumnType>>{{"Item", ColumnType::Text},
                                                         {"Qty", ColumnType::Long},
                                                         {"Added", ColumnType::DateTime},
                                                         {"Price", ColumnType::Currency},
                                                         {"Active", ColumnType::Boolean}}) {
        ColumnDef c;
        c.name = name;
        c.type = type;
        c.length = 100;
        t.columns.push_back(c);
    }
    return t;
}

std::vector<Value> Row(const std::string& item, std::int64_t qty) {
    return {writetest::TextValue(item), writetest::LongValue(qty), writetest::DateValue(45000),
            Value::Null(ColumnType::Currency), writetest::Present(ColumnType::Boolean)};
}

std::pair<long, std::string> CheckFails(const TableRules& rules, const TableDef& table,
                                        const std::vector<Value>& row) {
    const writetest::Refusal refusal = writetest::RefusalOf([&] { rules.Check(table, row); });
    return {refusal.number, refusal.message};
}

TEST(TableRules, EachRuleFailsWithAccessNumberAndText) {
    const TableDef table = Stock();
    const TableRules rules = TableRules::FromProperties(
        table, {BooleanProperty("Item", "Required", true),
                BooleanProperty("Item", "AllowZeroLength", false),
                TextProperty("Qty", "ValidationRule", ">=0 And <1000"),
                TextProperty("Qty", "ValidationText", "Quantities run from 0 to 999."),
                TextProperty("Added", "ValidationRule", ">=#1/1/2000#"),
                TextProperty("Stock", "ValidationRule", "[Qty] > 0 Or [Item] Like 'X*'"),
                TextProperty("Active", "Required", "")});
    EXPECT_EQ(CheckFails(rules, table, Row("Pen", 5)).first, 0);
    auto row = Row("Pen", 5);
    row[0].null = true;
    auto [number, text] = CheckFails(rules, table, row);
    EXPECT_EQ(number, 3314);
    EXPECT_EQ(text,
              "The field 'Stock.Item' cannot contain a Null value because the Required property "
              "for this field is set to True. Enter a value in this field.");
    std::tie(number, text) = CheckFails(rules, table, Row("", 5));
    EXPECT_EQ(number, 3315);
    EXPECT_EQ(text, "Field 'Stock.Item' cannot be a zero-length string.");
    std::tie(number, text) = CheckFails(rules, table, Row("Pen", 1000));
    EXPECT_EQ(number, 3316);
    EXPECT_EQ(text, "Quantities run from 0 to 999. (table 'Stock', column 'Qty', value '1000')");
    row = Row("Pen", 5);
    row[2].real = 1;  // 1899-12-31
    std::tie(number, text) = CheckFails(rules, table, row);
    EXPECT_EQ(number, 3317);
    EXPECT_EQ(text,
              "One or more values are prohibited by the validation rule '>=#1/1/2000#' set for "
              "'Stock.Added'. Enter a value that the expression for this field can accept. "
              "(table 'Stock', column 'Added', value '1899-12-31 00:00:00')");
    std::tie(number, text) = CheckFails(rules, table, Row("Pen", 0));
    EXPECT_EQ(number, 3317);
    EXPECT_NE(text.find("'[Qty] > 0 Or [Item] Like 'X*'' set for 'Stock'"), std::string::npos)
        << text;
    EXPECT_EQ(CheckFails(rules, table, Row("Xylo", 0)).first, 0);
}

TEST(TableRules, RulesBeyondTheEvaluatorAreRefusedByName) {
    const TableDef table = Stock();
    const TableRules rules = TableRules::FromProperties(
        table, {TextProperty("Qty", "ValidationRule", "DLookUp(\"x\", \"y\") > 0")});
    const auto [number, text] = CheckFails(rules, table, Row("Pen", 5));
    (void)number;
    EXPECT_NE(text.find("validation rule of column 'Qty' of table 'Stock' cannot be evaluated"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("DLookUp"), std::string::npos) << text;
    const TableRules broken =
        TableRules::FromProperties(table, {TextProperty("", "ValidationRule", "[Qty] >")});
    EXPECT_NE(CheckFails(broken, table, Row("Pen", 5)).second.find("cannot be evaluated"),
              std::string::npos);
}

TEST(TableRules, DefaultsFillOnlyColumnsTheStatementLeftOut) {
    const TableDef table = Stock();
    const TableRules rules =
        TableRules::FromProperties(table, {TextProperty("Item", "DefaultValue", "\"n/a\""),
                                           TextProperty("Qty", "DefaultValue", "=10"),
                                           TextProperty("Added", "DefaultValue", "Date()"),
                                           TextProperty("Price", "DefaultValue", "1.5"),
                                           TextProperty("Active", "DefaultValue", "Yes")});
    std::vector<Value> row(5);
    for (std::size_t i = 0; i < 5; ++i) {
        row[i] = Value::Null(table.columns[i].type);
    }
    rules.ApplyDefaults(table, row, {false, true, false, false, false});
    EXPECT_EQ(row[0].text, "n/a");
    EXPECT_TRUE(row[1].null) << "a supplied Null stays Null";
    EXPECT_FALSE(row[2].null);
    EXPECT_EQ(row[2].real, std::floor(row[2].real));
    EXPECT_EQ(row[3].integer, 15000);
    EXPECT_TRUE(row[4].boolean);
    std::vector<Value> all = Row("Pen", 5);
    rules.ApplyDefaults(table, all, {});  // every column named
    EXPECT_EQ(all[0].text, "Pen");
}

// A refused row leaves the file byte for byte as it was.
void ExpectRefused(const std::string& path, const std::string& statement, long number,
                   const std::string& mentions) {
    SCOPED_TRACE(statement);
    writetest::ExpectRefusedUnchanged(
        path, [&](accessdb::Database& db) { db.Execute(statement); }, number, mentions,
        "no error for " + statement);
}

TEST(TableRules, FixtureTablesEnforceTheirPropertiesAndStayUnchangedWhenRefused) {
    REQUIRE_FIXTURES();
    const auto dir = writetest::TempDir("rules");
    // Table1 of queryTestV2003: three Text columns that do not allow ''.
    const std::string query = writetest::CopyFixture("jackcess/queryTestV2003.mdb", dir);
    ExpectRefused(query, "INSERT INTO `Table1` VALUES('a', '', 'c')", 3315,
                  "'Table1.col2' cannot be a zero-length string");
    writetest::Execute(query, {"INSERT INTO `Table1` VALUES('a', NULL, 'c')"});
    EXPECT_EQ(writetest::ReadRows(query, "Table1"),
              (std::vector<std::vector<std::string>>{{"a", "<null>", "c"}}));
    // Table1 of withdeletedcol: Long columns, all Required, default 0.
    const std::string deleted = writetest::CopyFixture("mdb-reader/withdeletedcol.accdb", dir);
    ExpectRefused(deleted, "INSERT INTO `Table1` (`col1`, `col2`) VALUES(NULL, 2)", 3314,
                  "'Table1.col1' cannot contain a Null value");
    writetest::Execute(deleted, {"INSERT INTO `Table1` (`col2`) VALUES('7')"});
    const auto rows = writetest::ReadRows(deleted, "Table1");
    ASSERT_EQ(rows.size(), 2u);
    auto db = accessdb::Database::Open(deleted, "");
    const auto def = db->Table("Table1");
    for (std::size_t i = 0; i < def->columns.size(); ++i) {
        EXPECT_EQ(rows[1][i], def->columns[i].name == "col2" ? "7" : "0")
            << def->columns[i].name << " takes its default value";
    }
    db.reset();
    writetest::ExpectClean(deleted);
    // Table1 of testV1997 (Access 97, properties in code page 1252): A and B do not allow '', the
    // numeric columns and the Currency default to 0.
    const std::string jet3 = writetest::CopyFixture("jackcess/testV1997.mdb", dir);
    const std::size_t before = writetest::ReadRows(jet3, "Table1").size();
    ExpectRefused(jet3, "INSERT INTO `Table1` (`A`, `B`, `I`) VALUES('x', '', -1)", 3315,
                  "'Table1.B' cannot be a zero-length string");
    writetest::Execute(jet3, {"INSERT INTO `Table1` (`A`, `I`) VALUES('x', -1)"});
    const auto jet3Rows = writetest::ReadRows(jet3, "Table1");
    ASSERT_EQ(jet3Rows.size(), before + 1);
    EXPECT_EQ(jet3Rows.back(), (std::vector<std::string>{"x", "<null>", "0", "0", "0", "0",
                                                         "<null>", "0.0000", jet3Rows.back()[8]}));
    writetest::ExpectClean(jet3);
    std::filesystem::remove_all(dir);
}

// An Access 97 property blob ("KKD"): names and text values are bytes of the database's code
// page, not UTF-16, so "Preis zu hoch f\xFCr Caf\xE9" must come back as that text.
TEST(TableRules, Jet3PropertyTextIsInTheCodePage) {
    std::vector<std::uint8_t> blob{'K', 'K', 'D', 0};
    const auto u16 = [](std::vector<std::uint8_t>& out, std::size_t v) {
        out.push_back(static_cast<std::uint8_t>(v));
        out.push_back(static_cast<std::uint8_t>(v >> 8));
    };
    const auto chunk = [&](std::uint16_t type, const std::vector<std::uint8_t>& body) {
        const std::size_t length = body.size() + 6;
        for (int shift = 0; shift < 32; shift += 8)
            blob.push_back(static_cast<std::uint8_t>(length >> shift));
        u16(blob, type);
        blob.insert(blob.end(), body.begin(), body.end());
    };
    const std::string name = "ValidationText";
    const std::string column = "Caf\xE9";  // cp1252
    const std::string text = "Preis zu hoch f\xFCr Caf\xE9";
    std::vector<std::uint8_t> names;
    u16(names, name.size());
    names.insert(names.end(), name.begin(), name.end());
    chunk(0x0080, names);
    std::vector<std::uint8_t> values;
    const std::size_t nameBlock = 6 + column.size();
    for (int shift = 0; shift < 32; shift += 8)
        values.push_back(static_cast<std::uint8_t>(nameBlock >> shift));
    u16(values, column.size());
    values.insert(values.end(), column.begin(), column.end());
    u16(values, 8 + text.size());
    values.push_back(0);  // not DDL
    values.push_back(static_cast<std::uint8_t>(ColumnType::Text));
    u16(values, 0);  // the first name
    u16(values, text.size());
    values.insert(values.end(), text.begin(), text.end());
    chunk(0x0001, values);

    const std::vector<Property> props = accessdb::ReadPropertyBlob(blob, 1252);
    ASSERT_EQ(props.size(), 1u);
    EXPECT_EQ(props[0].name, "ValidationText");
    EXPECT_EQ(props[0].object, "Caf\xC3\xA9");
    EXPECT_EQ(props[0].Text(), "Preis zu hoch f\xC3\xBCr Caf\xC3\xA9");
}

}  // namespace

namespace {

TEST(GuidAutoNumber, NewGuidsAreRandomVersionFourInStoredOrder) {
    const auto a = accessdb::NewRandomGuid();
    const auto b = accessdb::NewRandomGuid();
    ASSERT_EQ(a.size(), 16u);
    EXPECT_NE(a, b);
    const std::string text = accessdb::FormatGuid(a);
    EXPECT_EQ(text[15], '4') << text;  // the version digit leads the third group
    EXPECT_NE(std::string("89AB").find(text[20]), std::string::npos) << text;
}

}  // namespace
