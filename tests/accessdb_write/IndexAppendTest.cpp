// Appending many generated rows to every user table of the Jet 4 and ACE fixtures that Access
// would let an INSERT reach: every index of the table (primary keys, unique, multi-column,
// descending, ignore-nulls, foreign keys) grows by splits over several levels, and afterwards
// our check, mdbtools, mdb-reader and (where present) the Jackcess checker agree on the file.
#include <gtest/gtest.h>

#include <chrono>
#include <iostream>
#include <map>
#include <optional>
#include <sstream>

#include "accessdb/index/IndexPage.h"
#include "tests/accessdb_write/RowGenerator.h"
#include "tests/accessdb_write/WriteSupport.h"

using namespace writetest;

namespace {

#ifdef QUILLMERE_SANITIZED
constexpr std::uint32_t kRowsTextIndexed = 1500;
constexpr std::uint32_t kRowsOther = 700;
#else
constexpr std::uint32_t kRowsTextIndexed = 20000;
constexpr std::uint32_t kRowsOther = 3000;
#endif

// Levels of an index tree: 1 for a lone root leaf.
int Depth(accessdb::Database& db, std::uint32_t root) {
    int depth = 1;
    std::uint32_t page = root;
    for (;;) {
        const auto content = accessdb::DecodeIndexPage(*db.Pages().Read(page), db.format());
        if (content.leaf)
            return depth;
        page = content.entries.empty() ? content.tail : content.entries.front().child;
        ++depth;
    }
}

bool HasTextIndex(const accessdb::TableDef& table) {
    for (const auto& index : table.realIndexes)
        for (const accessdb::ColumnDef* c : table.IndexColumns(index))
            if (c->type == accessdb::ColumnType::Text || c->type == accessdb::ColumnType::Memo)
                return true;
    return false;
}

// Every fixture (Office-encrypted ones are refused when opened for writing).
// QUILLMERE_INDEX_APPEND_ONLY=text keeps only the fixtures whose path holds `text` (runs by
// hand).
std::vector<std::string> WritableFixtures() {
    const char* only = std::getenv("QUILLMERE_INDEX_APPEND_ONLY");
    std::vector<std::string> out;
    for (const auto& entry : fs::recursive_directory_iterator(fixtures::Dir())) {
        const std::string ext = entry.path().extension().string();
        if (ext != ".mdb" && ext != ".accdb")
            continue;
        // With "/" on Windows too: the names are compared with those written here.
        const std::string relative = fs::relative(entry.path(), fixtures::Dir()).generic_string();
        if (relative.rfind("expected", 0) == 0 ||
            (only != nullptr && relative.find(only) == std::string::npos))
            continue;
        out.push_back(relative);
    }
    std::sort(out.begin(), out.end());
    return out;
}

struct TableOutcome {
    std::uint32_t appended = 0;
    std::uint32_t duplicates = 0;  // generated rows a unique index refused (3022)
    std::string refusal;
    std::vector<int> depths;
    double seconds = 0;
};

// The Jackcess checker named by QUILLMERE_ACCESSCHECK; empty when unset or missing.
std::string AccessCheckTool() {
    const char* tool = std::getenv("QUILLMERE_ACCESSCHECK");
    if (tool == nullptr || !fs::exists(tool))
        return {};
    return tool;
}

void ExpectOraclesAgree(const std::string& path, const std::string& password,
                        const std::map<std::string, std::size_t>& rowCounts, bool checkAll) {
    for (const auto& [table, count] : rowCounts) {
        if (HaveMdbTools() && password.empty()) {
            EXPECT_EQ(MdbExportRows(path, table).size(), count) << "mdb-export, table " << table;
        }
        if (HaveMdbReader() && password.empty()) {
            const testjson::Value dump = MdbReaderTable(path, table);
            const testjson::Value* tables = dump.Find("tables");
            ASSERT_TRUE(tables != nullptr && !tables->items.empty())
                << "mdb-reader could not read table " << table;
            EXPECT_EQ(tables->items.at(0)["rows"].items.size(), count)
                << "mdb-reader, table " << table;
        }
    }
    const std::string tool = AccessCheckTool();
    if (!checkAll) {
        return;
    }
    if (tool.empty()) {
        std::cout << "[ SKIPPED  ] the Jackcess checker: set QUILLMERE_ACCESSCHECK to its path\n";
        return;
    }
    int status = 0;
    const std::string output =
        RunCapture(ShellQuote(tool) + (password.empty() ? "" : " --password " + password) + " " +
                       ShellQuote(path) + " 2>&1",
                   &status);
    EXPECT_EQ(status, 0) << "the Jackcess checker found problems in " << path << ":\n"
                         << output.substr(output.size() > 4000 ? output.size() - 4000 : 0);
}

}  // namespace

TEST(IndexAppend, EveryFixtureTableTakesRowsThatSplitItsIndexes) {
    REQUIRE_FIXTURES();
    const fs::path dir = TempDir("index_append");
    std::ostringstream summary;
    int tablesTaking = 0;
    for (const std::string& fixture : WritableFixtures()) {
        SCOPED_TRACE(fixture);
        const std::string password = fixtures::PasswordFor(fixture);
        // Made with a duplicate key, a Null in a required column and orphaned rows: the
        // checkers find those before and after. The table whose unique index holds a key twice
        // is refused as damaged (3049) before anything is written; the others take rows.
        const bool knownDamaged = fixture == "ucanaccess/corrupted.accdb";
        const std::string path = CopyFixture(fixture, dir);
        std::unique_ptr<accessdb::Database> db;
        try {
            db = accessdb::Database::Open(path, password, accessdb::OpenMode::ReadWrite);
        } catch (const accessdb::Error& e) {
            summary << fixture << ": not writable: " << e.what() << "\n";
            continue;
        }
        std::map<std::string, TableOutcome> outcomes;
        for (const std::string& name : db->UserTableNames()) {
            TableOutcome& outcome = outcomes[name];
            std::shared_ptr<const accessdb::TableDef> table;
            try {
                table = db->Table(name);
            } catch (const accessdb::Error& e) {
                outcome.refusal = e.what();  // a linked table or a query
                continue;
            }
            RowGenerator generator(*db, *table, 20261208u);
            const std::uint32_t wanted = HasTextIndex(*table) ? kRowsTextIndexed : kRowsOther;
            const std::uint32_t rows = static_cast<std::uint32_t>(
                std::min<std::uint64_t>(wanted, generator.DistinctRows() / 2));
            std::optional<accessdb::RowInserter> inserter;
            try {
                inserter.emplace(db->Inserter(name));
            } catch (const accessdb::Error& e) {
                EXPECT_TRUE(knownDamaged && e.JetNumber() == 3049) << e.what();
                outcome.refusal = e.what();
                continue;
            }
            const auto started = std::chrono::steady_clock::now();
            for (std::uint32_t n = 0; n < rows; ++n) {
                std::vector<accessdb::Value> values = generator.Row(n);
                try {
                    inserter->Insert(values);
                    ++outcome.appended;
                } catch (const accessdb::Error& e) {
                    if (e.JetNumber() == 3022) {
                        ++outcome.duplicates;  // a value the fixture's own rows hold
                        continue;
                    }
                    outcome.refusal = e.what();
                    break;
                }
            }
            outcome.seconds =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
            for (const auto& index : db->Table(name)->realIndexes)
                outcome.depths.push_back(Depth(*db, index.rootPage));
        }
        db->Close();
        db.reset();

        std::map<std::string, std::size_t> rowCounts;
        {
            auto reader = accessdb::Database::Open(path, password);
            if (!knownDamaged) {
                for (const std::string& finding : accessdb::CheckDatabase(*reader).findings)
                    ADD_FAILURE() << path << ": " << finding;
            }
            for (const auto& [name, outcome] : outcomes) {
                if (outcome.refusal.empty() || outcome.appended > 0) {
                    auto cursor = reader->OpenTable(name);
                    std::size_t count = 0;
                    while (cursor->Next())
                        ++count;
                    rowCounts[name] = count;
                }
            }
        }
        ExpectOraclesAgree(path, password, rowCounts, !knownDamaged);
        for (const auto& [name, outcome] : outcomes) {
            summary << fixture << " / " << name << ": ";
            if (outcome.appended > 0)
                ++tablesTaking;
            summary << outcome.appended << " rows";
            if (outcome.appended > 0 && outcome.seconds > 0)
                summary << " (" << static_cast<long>(outcome.appended / outcome.seconds)
                        << " rows/s)";
            if (outcome.duplicates > 0)
                summary << " (" << outcome.duplicates << " generated duplicates refused)";
            if (!outcome.depths.empty()) {
                summary << ", index depths";
                for (const int d : outcome.depths)
                    summary << " " << d;
            }
            if (!outcome.refusal.empty())
                summary << "; refused: " << outcome.refusal;
            summary << "\n";
        }
    }
    std::cout << summary.str();
    if (std::getenv("QUILLMERE_INDEX_APPEND_ONLY") == nullptr) {
        EXPECT_GT(tablesTaking, 20);
    }
    if (!::testing::Test::HasFailure())
        fs::remove_all(dir);
}
