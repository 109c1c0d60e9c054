#include <gtest/gtest.h>

#include <random>

#include "accessdb/sql/SqlParser.h"

using namespace accessdb::sql;

namespace {

std::size_t ErrorPosition(const std::string& text, long* number = nullptr) {
    try {
        ParseStatement(text);
    } catch (const SqlSyntaxError& e) {
        if (number != nullptr) {
            *number = e.number();
        }
        EXPECT_NE(std::string(e.what()).find(std::to_string(e.position())), std::string::npos);
        return e.position();
    }
    ADD_FAILURE() << "no error for: " << text;
    return 0;
}

}  // namespace

TEST(SqlParser, CreateTableAsTheImportWritesIt) {
    const Statement s = ParseStatement("CREATE TABLE `NewTable3`(`Name` VARCHAR, `Age` VARCHAR);");
    const auto& create = std::get<CreateTable>(s);
    EXPECT_EQ(create.table, "NewTable3");
    ASSERT_EQ(create.columns.size(), 2u);
    EXPECT_EQ(create.columns[1].name, "Age");
    EXPECT_EQ(create.columns[1].kind, ColumnKind::Text);
    EXPECT_EQ(create.columns[1].size, 255);
}

TEST(SqlParser, CreateTableEveryTypeAndNameForm) {
    const Statement s = ParseStatement(
        "create table [Sales 1 data] (a text(10), [b c] memo, c BYTE, d short, e long, "
        "f integer, g single, h double, i currency, j datetime, k bit, l counter, m guid, "
        "n varchar(255) with compression)");
    const auto& create = std::get<CreateTable>(s);
    EXPECT_EQ(create.table, "Sales 1 data");
    const ColumnKind expected[] = {ColumnKind::Text,     ColumnKind::Memo,   ColumnKind::Byte,
                                   ColumnKind::Integer,  ColumnKind::Long,   ColumnKind::Long,
                                   ColumnKind::Single,   ColumnKind::Double, ColumnKind::Currency,
                                   ColumnKind::DateTime, ColumnKind::Bit,    ColumnKind::Counter,
                                   ColumnKind::Guid,     ColumnKind::Text};
    ASSERT_EQ(create.columns.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(create.columns[i].kind, expected[i]) << i;
    }
    EXPECT_EQ(create.columns[0].size, 10);
    EXPECT_EQ(create.columns[1].name, "b c");
}

TEST(SqlParser, InsertLiterals) {
    const Statement s = ParseStatement(
        "INSERT INTO `T` VALUES('O''Hara','',NULL, -12.5e3 ,\"say \"\"hi\"\"\", 'Ünï 😀');");
    const auto& insert = std::get<InsertInto>(s);
    EXPECT_EQ(insert.table, "T");
    EXPECT_TRUE(insert.columns.empty());
    ASSERT_EQ(insert.values.size(), 6u);
    EXPECT_EQ(insert.values[0].text, "O'Hara");
    EXPECT_EQ(insert.values[1].kind, Literal::Kind::String);
    EXPECT_EQ(insert.values[1].text, "");
    EXPECT_EQ(insert.values[2].kind, Literal::Kind::Null);
    EXPECT_EQ(insert.values[3].kind, Literal::Kind::Number);
    EXPECT_EQ(insert.values[3].text, "-12.5e3");
    EXPECT_EQ(insert.values[4].text, "say \"hi\"");
    EXPECT_EQ(insert.values[5].text, "Ünï 😀");
}

TEST(SqlParser, InsertWithColumnListAndStorageReuse) {
    Statement s;
    ParseStatementInto("INSERT INTO t (a, [b]) VALUES (1, 'x')", s);
    EXPECT_EQ(std::get<InsertInto>(s).columns, (std::vector<std::string>{"a", "b"}));
    ParseStatementInto("INSERT INTO u VALUES ('only')", s);
    const auto& insert = std::get<InsertInto>(s);
    EXPECT_EQ(insert.table, "u");
    EXPECT_TRUE(insert.columns.empty());
    ASSERT_EQ(insert.values.size(), 1u);
    EXPECT_EQ(insert.values[0].text, "only");
}

// The quick reader of the import's INSERT spelling against the full reader: every statement
// it accepts reads the same, every one it declines the full reader still reads (or refuses
// with its own message). Generated rows as the import writes them, then the same text cut,
// widened and altered at random places.
TEST(SqlParser, QuickInsertReaderReadsAsTheFullReader) {
    std::mt19937 random(12);
    const std::string pieces[] = {"a", "O'", "''", "x,y", ")",    "(", ";", "`",     "NULL",
                                  " ", "\"", "Ü",  "😀",   "\r\n", "1", "-", "VALUES"};
    auto randomValue = [&] {
        std::string value;
        for (std::uint32_t n = random() % 5; n > 0; --n)
            value += pieces[random() % std::size(pieces)];
        return value;
    };
    auto same = [](const Statement& a, const Statement& b) {
        const auto* x = std::get_if<InsertInto>(&a);
        const auto* y = std::get_if<InsertInto>(&b);
        if (x == nullptr || y == nullptr || x->table != y->table || x->columns != y->columns ||
            x->values.size() != y->values.size())
            return false;
        for (std::size_t i = 0; i < x->values.size(); ++i)
            if (x->values[i].kind != y->values[i].kind || x->values[i].text != y->values[i].text)
                return false;
        return true;
    };
    Statement quick;  // reused throughout, as the import's executor reuses its statement
    int accepted = 0;
    for (int round = 0; round < 4000; ++round) {
        // Table names never hold a backquote (names are checked before a table is made).
        const std::string table = round % 7 == 0 ? "" : "T " + std::to_string(round % 13) + "Ü";
        std::string text = "INSERT INTO `" + table + "` VALUES(";
        const std::uint32_t count = 1 + random() % 6;
        for (std::uint32_t j = 0; j < count; ++j) {
            std::string value = randomValue();
            if (random() % 6 == 0) {
                text += "NULL";
            } else {
                text += '\'';
                for (const char c : value) {
                    text += c;
                    if (c == '\'')
                        text += '\'';
                }
                text += '\'';
            }
            text += j + 1 < count ? "," : ");";
        }
        if (round % 2 == 1) {
            // An alteration: a character dropped, doubled or replaced somewhere.
            const std::size_t at = random() % text.size();
            const char replacement = "' ,();`N\"x"[random() % 9];
            switch (random() % 3) {
                case 0:
                    text.erase(at, 1);
                    break;
                case 1:
                    text.insert(at, 1, text[at]);
                    break;
                default:
                    text[at] = replacement;
                    break;
            }
        }
        Statement full;
        bool fullOk = true;
        try {
            ParseStatementFully(text, full);
        } catch (const SqlSyntaxError&) {
            fullOk = false;
        }
        if (ReadImportInsert(text, quick)) {
            ++accepted;
            ASSERT_TRUE(fullOk) << text;
            ASSERT_TRUE(same(quick, full)) << text;
        } else {
            ASSERT_EQ(round % 2, 1) << "declined: " << text;
        }
        // Whatever the quick reader left in `quick`, the entry point reads the text afresh.
        try {
            ParseStatementInto(text, quick);
            ASSERT_TRUE(fullOk) << text;
            ASSERT_TRUE(same(quick, full)) << text;
        } catch (const SqlSyntaxError&) {
            ASSERT_FALSE(fullOk) << text;
        }
    }
    EXPECT_GT(accepted, 2000);
}

TEST(SqlParser, SelectAll) {
    EXPECT_EQ(std::get<SelectAll>(ParseStatement("SELECT * FROM `Staff`")).table, "Staff");
    EXPECT_EQ(std::get<SelectAll>(ParseStatement(" select *from [a b];")).table, "a b");
}

TEST(SqlParser, SyntaxErrorsGiveThePosition) {
    long number = 0;
    EXPECT_EQ(ErrorPosition("INSERT INTO `T` VALUES('a' 'b')", &number), 28u);
    EXPECT_EQ(number, 3134);
    EXPECT_EQ(ErrorPosition("INSERT INTO `T` VALUES('abc", &number), 24u);
    EXPECT_EQ(ErrorPosition("CREATE TABLE `T`(`a` VARCHAR, )", &number), 31u);
    EXPECT_EQ(number, 3290);
    EXPECT_EQ(ErrorPosition("CREATE TABLE `T`(`a` BLOB)"), 22u);
    EXPECT_EQ(ErrorPosition("CREATE TABLE `T`(`a` TEXT(0))"), 27u);
    EXPECT_EQ(ErrorPosition("CREATE TABLE `T`(`a` LONG(4))"), 27u);
    EXPECT_EQ(ErrorPosition("CREATE TABLE `T`();"), 18u);  // C = 0: no column name
    EXPECT_EQ(ErrorPosition("CREATE TABLE `T"), 14u);
    EXPECT_EQ(ErrorPosition("DROP TABLE x", &number), 1u);
    EXPECT_EQ(number, 3129);
    EXPECT_EQ(ErrorPosition("SELECT * FROM `T` WHERE 1"), 19u);
    EXPECT_EQ(ErrorPosition("INSERT INTO `Ü` VALUES(12abc)"), 26u);  // positions count characters
    EXPECT_EQ(ErrorPosition(""), 1u);
}

TEST(SqlParser, KeyConstraintsOfColumnsAndTables) {
    const auto create = std::get<CreateTable>(ParseStatement(
        "CREATE TABLE `Orders` (`Id` COUNTER PRIMARY KEY, `Code` TEXT(8) NOT NULL UNIQUE, "
        "`Customer` LONG CONSTRAINT `ByCustomer` UNIQUE, Primary TEXT, "
        "CONSTRAINT `Pair` UNIQUE (`Customer`, [Code]), UNIQUE (Primary))"));
    ASSERT_EQ(create.columns.size(), 4u);
    EXPECT_EQ(create.columns[3].name, "Primary");  // a column, not a constraint
    EXPECT_TRUE(create.columns[1].notNull);
    EXPECT_FALSE(create.columns[0].notNull);
    ASSERT_EQ(create.indexes.size(), 5u);
    EXPECT_TRUE(create.indexes[0].primaryKey);
    EXPECT_EQ(create.indexes[0].columns[0].name, "Id");
    EXPECT_TRUE(create.indexes[1].unique);
    EXPECT_EQ(create.indexes[1].name, "");
    EXPECT_EQ(create.indexes[2].name, "ByCustomer");
    EXPECT_EQ(create.indexes[3].name, "Pair");
    ASSERT_EQ(create.indexes[3].columns.size(), 2u);
    EXPECT_EQ(create.indexes[3].columns[1].name, "Code");
    EXPECT_EQ(create.indexes[4].columns[0].name, "Primary");
    const auto key = std::get<CreateTable>(
        ParseStatement("CREATE TABLE T (a LONG, b TEXT, CONSTRAINT pk PRIMARY KEY (a, b));"));
    ASSERT_EQ(key.indexes.size(), 1u);
    EXPECT_TRUE(key.indexes[0].primaryKey);
    EXPECT_EQ(key.indexes[0].columns.size(), 2u);
}

TEST(SqlParser, CreateIndex) {
    const auto plain = std::get<CreateIndex>(
        ParseStatement("CREATE INDEX `ByName` ON `Staff` (`Last` DESC, First ASC, [Mid])"));
    EXPECT_EQ(plain.table, "Staff");
    EXPECT_EQ(plain.index.name, "ByName");
    ASSERT_EQ(plain.index.columns.size(), 3u);
    EXPECT_FALSE(plain.index.columns[0].ascending);
    EXPECT_TRUE(plain.index.columns[1].ascending);
    EXPECT_TRUE(plain.index.columns[2].ascending);
    EXPECT_FALSE(plain.index.unique);
    const auto unique = std::get<CreateIndex>(
        ParseStatement("create unique index u on t (a) with disallow null ignore null;"));
    EXPECT_TRUE(unique.index.unique);
    EXPECT_TRUE(unique.index.disallowNull);
    EXPECT_TRUE(unique.index.ignoreNull);
    EXPECT_FALSE(unique.index.primaryKey);
    EXPECT_TRUE(std::get<CreateIndex>(ParseStatement("CREATE INDEX p ON t (a) WITH PRIMARY"))
                    .index.primaryKey);
    long number = 0;
    EXPECT_EQ(ErrorPosition("CREATE INDEX i ON t (a) WITH", &number), 29u);
    EXPECT_EQ(number, 3291);
    EXPECT_EQ(ErrorPosition("CREATE INDEX i ON t ()"), 22u);
    EXPECT_EQ(ErrorPosition("CREATE TABLE t (a LONG REFERENCES u)", &number), 24u);
    EXPECT_EQ(number, 3290);
    EXPECT_EQ(ErrorPosition("CREATE TABLE t (a LONG, CONSTRAINT c FOREIGN KEY (a))"), 45u);
}
