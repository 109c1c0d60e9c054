// Reads every fixture database and compares with what the independent readers saw:
// *.mdbreader.json (mdb-reader: user tables, columns, types, every row) and *.jackcess.txt
// (Jackcess: stored row counts, column types, indexes).
//
// Where the readers disagree or fail, we follow:
// - Office-encrypted .accdb files are opened with their passwords. mdb-reader cannot read
//   jackcess-encrypt/db2007-enc.accdb (it fails on its 128-bit Agile key): that file is checked
//   against the Jackcess listing alone (JackcessOnlyFixturesAgree).
// - The password-protected Jet 4 file: neither reader enforces the password; we do (Jet does),
//   so it is opened with "password".
// - charsetGBK.mdb (Jet 3 text in GBK): all readers decode code-page text as Windows-1252 and
//   so do we, so the expected mojibake is what we compare with.
// - Date/Time: mdb-reader prints milliseconds in UTC notation of the stored wall-clock time; we
//   compare at millisecond precision. Before 1899-12-30 it counts the time of day backwards
//   (see MdbReaderDate); we follow Access and Jackcess (positive time of day) in our own output.
// - Row order: mdb-reader returns overflow rows after the rest of their page; we return them in
//   place (as Jackcess does), so rows are compared as sorted lists.
// - Calculated columns (ACE 14+): their stored value sits inside a 20-byte wrapper. mdb-reader
//   (and mdbtools) read the wrapper's first bytes as the value; we unwrap it as Jackcess does,
//   so these columns are checked by CalculatedColumnsHoldTheirExpressionsValue instead.
// - Jet 3 index pages: Jackcess cannot walk compIndexTestV1997's tree (see
//   Jet3MultiLevelIndexHoldsEveryRow); we check that one against the table's rows.
// - OLE values: the expected file holds the first 64 bytes in hex and the length; we compare those.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

#include "Fixtures.h"
#include "JsonLite.h"
#include "accessdb/Database.h"
#include "accessdb/IndexReader.h"

namespace {

using accessdb::ColumnType;

std::string MdbReaderTypeName(ColumnType t) {
    switch (t) {
        case ColumnType::Boolean:
            return "boolean";
        case ColumnType::Byte:
            return "byte";
        case ColumnType::Integer:
            return "integer";
        case ColumnType::Long:
            return "long";
        case ColumnType::Currency:
            return "currency";
        case ColumnType::Single:
            return "float";
        case ColumnType::Double:
            return "double";
        case ColumnType::DateTime:
            return "datetime";
        case ColumnType::Binary:
            return "binary";
        case ColumnType::Text:
            return "text";
        case ColumnType::Ole:
            return "ole";
        case ColumnType::Memo:
            return "memo";
        case ColumnType::Guid:
            return "repid";
        case ColumnType::Numeric:
            return "numeric";
        case ColumnType::Complex:
            return "complex";
        case ColumnType::BigInt:
            return "bigint";
        case ColumnType::DateTimeExtended:
            return "datetimextended";
    }
    return "?";
}

std::string JackcessTypeName(ColumnType t) {
    switch (t) {
        case ColumnType::Boolean:
            return "BOOLEAN";
        case ColumnType::Byte:
            return "BYTE";
        case ColumnType::Integer:
            return "INT";
        case ColumnType::Long:
            return "LONG";
        case ColumnType::Currency:
            return "MONEY";
        case ColumnType::Single:
            return "FLOAT";
        case ColumnType::Double:
            return "DOUBLE";
        case ColumnType::DateTime:
            return "SHORT_DATE_TIME";
        case ColumnType::Binary:
            return "BINARY";
        case ColumnType::Text:
            return "TEXT";
        case ColumnType::Ole:
            return "OLE";
        case ColumnType::Memo:
            return "MEMO";
        case ColumnType::Guid:
            return "GUID";
        case ColumnType::Numeric:
            return "NUMERIC";
        case ColumnType::Complex:
            return "COMPLEX_TYPE";
        case ColumnType::BigInt:
            return "BIG_INT";
        case ColumnType::DateTimeExtended:
            return "EXT_DATE_TIME";
    }
    return "?";
}

// "1.500" and "1.5" are the same Decimal.
std::string TrimDecimal(std::string s) {
    if (s.find('.') == std::string::npos)
        return s;
    while (!s.empty() && s.back() == '0')
        s.pop_back();
    if (!s.empty() && s.back() == '.')
        s.pop_back();
    return s == "-0" ? "0" : s;
}

// mdb-reader's "2020.06.17 12:45:00.123456700" to our "2020-06-17 12:45:00.1234567".
std::string NormaliseExtendedDate(std::string s) {
    if (s.size() >= 10) {
        s[4] = '-';
        s[7] = '-';
    }
    std::size_t dot = s.find('.', 11);
    if (dot != std::string::npos) {
        while (s.back() == '0')
            s.pop_back();
        if (s.back() == '.')
            s.pop_back();
    }
    return s;
}

// mdb-reader's text of a Date/Time: it adds days * 86,400,000 ms to 1899-12-30 00:00 UTC, so for
// dates before that day it counts the time of day backwards. Access (and Jackcess, and we) read
// the fraction as the positive time of day; for those dates we check that mdb-reader saw the same
// stored number rather than the same text.
std::string MdbReaderDate(double days) {
    double ms = std::round(days * 86400000.0);
    double wholeDays = std::floor(ms / 86400000.0);
    auto rest = static_cast<long long>(ms - wholeDays * 86400000.0);
    char time[32];
    std::snprintf(time, sizeof time, "T%02lld:%02lld:%02lld.%03lldZ", rest / 3600000,
                  rest / 60000 % 60, rest / 1000 % 60, rest % 1000);
    return accessdb::FormatDateTime(wholeDays, true).substr(0, 10) + time;
}

// Both readers' values in one canonical text, so rows can be compared whole.
std::string Canonical(const accessdb::Value& v) {
    if (v.null && v.type != ColumnType::Boolean)
        return "<null>";
    switch (v.type) {
        case ColumnType::Boolean:
            return v.boolean ? "true" : "false";
        case ColumnType::Single:
        case ColumnType::Double:
            return accessdb::FormatDouble(v.real);
        case ColumnType::Numeric:
            return TrimDecimal(accessdb::FormatDecimal(v.bytes, v.scale));
        case ColumnType::DateTime:
            return MdbReaderDate(v.real);
        case ColumnType::Ole:
        case ColumnType::Binary:
            return accessdb::FormatHex(std::vector<std::uint8_t>(
                       v.bytes.begin(),
                       v.bytes.begin() + static_cast<std::ptrdiff_t>(
                                             std::min<std::size_t>(v.bytes.size(), 64)))) +
                   "/" + std::to_string(v.bytes.size());
        default:
            return accessdb::FormatValue(v);
    }
}

std::string Canonical(const testjson::Value& v, ColumnType type) {
    using K = testjson::Value::Kind;
    if (v.kind == K::Null)
        return "<null>";
    switch (type) {
        case ColumnType::Boolean:
            return v.boolean ? "true" : "false";
        case ColumnType::Single:
        case ColumnType::Double:
            return accessdb::FormatDouble(v.Number());
        case ColumnType::Numeric:
            return TrimDecimal(v.text);
        case ColumnType::DateTimeExtended:
            return NormaliseExtendedDate(v.text);
        case ColumnType::Ole:
        case ColumnType::Binary:
            if (v.kind == K::Object) {
                std::string hex = v["hex"].text;
                if (hex.size() > 3 && hex.compare(hex.size() - 3, 3, "...") == 0)
                    hex.resize(hex.size() - 3);
                return hex.substr(0, 128) + "/" + v["length"].text;
            }
            return v.text.substr(0, 128) + "/" + std::to_string(v.text.size() / 2);
        default:
            return v.text;
    }
}

struct JackcessTable {
    std::string name;
    long storedRows = -1;
    std::vector<std::pair<std::string, std::string>> columns;  // name, type
    std::vector<std::string> indexes;                          // "name (cols) FLAGS"
    std::map<std::string, long> indexEntries;                  // index name -> leaf entries
};

std::vector<JackcessTable> ReadJackcessListing(const std::string& text) {
    std::vector<JackcessTable> tables;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("TABLE ", 0) == 0) {
            std::size_t rc = line.rfind(" storedRowCount=");
            if (rc == std::string::npos)
                continue;
            JackcessTable t;
            t.name = line.substr(6, rc - 6);
            t.storedRows = std::stol(line.substr(rc + 16));
            tables.push_back(t);
        } else if (!tables.empty() && line.rfind("  COL ", 0) == 0) {
            // "  COL <name> <TYPE> [len=n] [sortOrder=...] [precision=p scale=s]" (no blanks in
            // names)
            std::istringstream fields(line.substr(6));
            std::string name, type, extra;
            fields >> name >> type;
            while (fields >> extra)
                if (extra.rfind("precision=", 0) == 0 || extra.rfind("scale=", 0) == 0)
                    type += " " + extra;
            tables.back().columns.emplace_back(name, type);
        } else if (!tables.empty() && line.rfind("  INDEX ", 0) == 0) {
            std::size_t data = line.rfind(" indexData#");
            tables.back().indexes.push_back(line.substr(8, data - 8));
        } else if (!tables.empty() && line.rfind("    entries=", 0) == 0 &&
                   !tables.back().indexes.empty()) {
            const std::string& last = tables.back().indexes.back();
            tables.back().indexEntries[last.substr(0, last.find(" ("))] =
                std::stol(line.substr(12));
        }
    }
    return tables;
}

// Our index listing in the checker's words: "name (col, col DESC) PRIMARY UNIQUE FOREIGNKEY ...".
std::string DescribeIndex(const accessdb::TableDef& t, const accessdb::LogicalIndex& li) {
    const accessdb::RealIndex& ri = t.realIndexes[li.realIndex];
    std::string s = li.name + " (";
    for (std::size_t k = 0; k < ri.columns.size(); ++k) {
        const accessdb::ColumnDef* c = nullptr;
        for (const auto& col : t.columns)
            if (col.number == ri.columns[k].columnNumber)
                c = &col;
        s += (k ? ", " : "") + (c ? c->name : std::string("?")) +
             (ri.columns[k].ascending ? "" : " DESC");
    }
    s += ")";
    if (li.IsPrimaryKey())
        s += " PRIMARY";
    if (ri.Unique())
        s += " UNIQUE";
    if (li.IsForeignKey())
        s += " FOREIGNKEY";
    if (ri.IgnoreNulls())
        s += " IGNORENULLS";
    if (ri.Required())
        s += " REQUIRED";
    return s;
}

void AgreesWithJackcessListing(accessdb::Database& database, const std::string& relative,
                               const std::filesystem::path& listing);

class Conformance : public ::testing::TestWithParam<std::string> {};

TEST_P(Conformance, AgreesWithTheIndependentReaders) {
    REQUIRE_FIXTURES();
    const std::string expectedName = GetParam();
    const auto expectedDir = fixtures::Dir() / "expected";
    testjson::Value expected = testjson::Parse(fixtures::ReadText(expectedDir / expectedName));
    const std::string relative = expected["file"].text;
    const auto path = fixtures::Dir() / relative;

    auto db = accessdb::Database::Open(path.string(), fixtures::PasswordFor(relative));
    std::set<std::string> ourTables, ourLinks, theirTables, theirLinks;
    for (const auto& row : db->SchemaRows()) {
        if (row.tableType == "TABLE")
            ourTables.insert(row.tableName);
        if (row.tableType == "LINK")
            ourLinks.insert(row.tableName);
    }
    for (const auto& t : expected["userTables"].items)
        theirTables.insert(t.text);
    for (const auto& t : expected["linkedTables"].items)
        theirLinks.insert(t.text);
    EXPECT_EQ(ourTables, theirTables) << relative;
    // mdb-reader lists linked tables among its user tables and again as links; we list them as
    // LINK.
    for (const auto& l : theirLinks)
        EXPECT_TRUE(ourLinks.count(l) || ourTables.count(l)) << relative << ": " << l;

    for (const auto& table : expected["tables"].items) {
        const std::string name = table["name"].text;
        if (theirLinks.count(name))
            continue;
        SCOPED_TRACE(relative + " table " + name);
        auto def = db->Table(name);
        const auto& columns = table["columns"].items;
        ASSERT_EQ(def->columns.size(), columns.size());
        for (std::size_t i = 0; i < columns.size(); ++i) {
            EXPECT_EQ(def->columns[i].name, columns[i]["name"].text);
            EXPECT_EQ(MdbReaderTypeName(def->columns[i].type), columns[i]["type"].text)
                << def->columns[i].name;
        }
        EXPECT_EQ(std::to_string(def->rowCount), table["rowCount"].text);
        // Rows are compared as sorted lists: mdb-reader returns rows that moved to another page
        // (overflow rows) after the rest of their page, we return them in place, as Jackcess does.
        std::vector<std::string> ours, theirs;
        auto cursor = db->OpenTable(name);
        while (cursor->Next()) {
            std::string line;
            for (std::size_t i = 0; i < cursor->Row().size(); ++i)
                line += (def->columns[i].IsCalculated() ? "<calculated>"
                                                        : Canonical(cursor->Row()[i])) +
                        " | ";
            ours.push_back(line);
        }
        for (const auto& row : table["rows"].items) {
            std::string line;
            for (std::size_t i = 0; i < columns.size(); ++i) {
                const testjson::Value* v = row.Find(columns[i]["name"].text);
                ASSERT_NE(v, nullptr);
                line += (def->columns[i].IsCalculated() ? "<calculated>"
                                                        : Canonical(*v, def->columns[i].type)) +
                        " | ";
            }
            theirs.push_back(line);
        }
        std::sort(ours.begin(), ours.end());
        std::sort(theirs.begin(), theirs.end());
        ASSERT_EQ(ours.size(), theirs.size());
        for (std::size_t i = 0; i < ours.size(); ++i)
            EXPECT_EQ(ours[i], theirs[i]);
    }

    const std::string jackcessName =
        expectedName.substr(0, expectedName.size() - std::string(".mdbreader.json").size()) +
        ".jackcess.txt";
    if (std::filesystem::exists(expectedDir / jackcessName))
        AgreesWithJackcessListing(*db, relative, expectedDir / jackcessName);
}

// Fixtures that only Jackcess could read: its listing is all there is to compare with.
TEST(ConformanceExtra, JackcessOnlyFixturesAgree) {
    REQUIRE_FIXTURES();
    const std::string relative = "jackcess-encrypt/db2007-enc.accdb";
    const auto expectedDir = fixtures::Dir() / "expected";
    ASSERT_TRUE(
        std::filesystem::exists(expectedDir / "jackcess-encrypt_db2007-enc.accdb.mdbreader.err"));
    auto db = accessdb::Database::Open((fixtures::Dir() / relative).string(),
                                       fixtures::PasswordFor(relative));
    AgreesWithJackcessListing(*db, relative,
                              expectedDir / "jackcess-encrypt_db2007-enc.accdb.jackcess.txt");
    // No reader printed this file's values (mdb-reader and mdbtools fail on it): the one row
    // Jackcess counted is checked as we read it, to keep that reading from changing.
    auto cursor = db->OpenTable("Table1");
    ASSERT_TRUE(cursor->Next());
    EXPECT_EQ(accessdb::FormatValue(cursor->Row()[0]), "1");
    EXPECT_EQ(accessdb::FormatValue(cursor->Row()[1]), "foo");
    EXPECT_FALSE(cursor->Next());
}

// Stored row counts, column types and indexes as Jackcess lists them.
void AgreesWithJackcessListing(accessdb::Database& database, const std::string& relative,
                               const std::filesystem::path& listing) {
    accessdb::Database* db = &database;
    for (const auto& jt : ReadJackcessListing(fixtures::ReadText(listing))) {
        SCOPED_TRACE(relative + " table " + jt.name + " (Jackcess)");
        auto def = db->Table(jt.name);
        EXPECT_EQ(static_cast<long>(def->rowCount), jt.storedRows);
        ASSERT_EQ(def->columns.size(), jt.columns.size());
        for (std::size_t i = 0; i < jt.columns.size(); ++i) {
            EXPECT_EQ(def->columns[i].name, jt.columns[i].first);
            std::string type = JackcessTypeName(def->columns[i].type);
            if (def->columns[i].type == ColumnType::Numeric)
                type += " precision=" + std::to_string(def->columns[i].precision) +
                        " scale=" + std::to_string(def->columns[i].scale);
            EXPECT_EQ(type, jt.columns[i].second);
        }
        std::multiset<std::string> ours, theirs(jt.indexes.begin(), jt.indexes.end());
        for (const auto& li : def->logicalIndexes)
            ours.insert(DescribeIndex(*def, li));
        EXPECT_EQ(ours, theirs);
    }
}

// extDateTestV2019's DateNormalCalc is a calculated copy of DateNormal.
TEST(ConformanceExtra, CalculatedColumnsHoldTheirExpressionsValue) {
    REQUIRE_FIXTURES();
    auto db = accessdb::Database::Open(
        (fixtures::Dir() / "jackcess/extDateTestV2019.accdb").string(), "");
    auto def = db->Table("Table1");
    ASSERT_TRUE(def->FindColumn("DateNormalCalc")->IsCalculated());
    auto cursor = db->OpenTable("Table1");
    int rows = 0;
    while (cursor->Next()) {
        EXPECT_EQ(accessdb::FormatValue(cursor->Row()[5]), accessdb::FormatValue(cursor->Row()[3]));
        ++rows;
    }
    EXPECT_EQ(rows, 9);
}

// Jackcess reads the prefix length of Jet 3 index pages as two bytes and so rejects this
// multi-level index; it is one byte (the next byte is 1 on node pages), and the tree holds one
// entry per row, in descending key order of CD_AGENTE.
TEST(ConformanceExtra, Jet3MultiLevelIndexHoldsEveryRow) {
    REQUIRE_FIXTURES();
    auto db = accessdb::Database::Open(
        (fixtures::Dir() / "jackcess/compIndexTestV1997.mdb").string(), "");
    auto def = db->Table("Table1");
    ASSERT_EQ(def->logicalIndexes.size(), 1u);
    auto entries =
        accessdb::ReadIndexEntries(db->Pages(), def->realIndexes[def->logicalIndexes[0].realIndex]);
    EXPECT_EQ(entries.size(), 512u);
    EXPECT_TRUE(std::is_sorted(entries.begin(), entries.end(),
                               [](const auto& a, const auto& b) { return a.key < b.key; }));
}

std::vector<std::string> ExpectedFiles() {
    std::vector<std::string> names;
    auto dir = fixtures::Dir();
    if (dir.empty())
        return {"(no fixtures)"};
    for (const auto& e : std::filesystem::directory_iterator(dir / "expected")) {
        std::string n = e.path().filename().string();
        if (n.size() > 15 && n.compare(n.size() - 15, 15, ".mdbreader.json") == 0)
            names.push_back(n);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string TestName(const ::testing::TestParamInfo<std::string>& info) {
    std::string s = info.param;
    for (auto& c : s)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return s;
}

INSTANTIATE_TEST_SUITE_P(Fixtures, Conformance, ::testing::ValuesIn(ExpectedFiles()), TestName);

}  // namespace
