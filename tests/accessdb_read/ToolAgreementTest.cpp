// `accessdb tables` and `accessdb export` against mdbtools' `mdb-tables` and `mdb-export` on every
// fixture mdbtools can read. Compared: table names as sets (mdb-tables lists in catalog order,
// we in schema-rowset order), and rows as sorted lists (mdbtools returns overflow rows after the
// rest of their page). Numbers are compared by value (mdb-export prints fewer digits), and
// columns mdbtools cannot decode (Large Number, Date/Time Extended: it prints nothing) are left
// out, and so are dates before 1900, which mdb-export cannot print, and calculated columns,
// whose wrapped values mdbtools does not unwrap.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <set>

#include "Fixtures.h"
#include "Process.h"
#include "accessdb/Database.h"
#include "support/CsvText.h"

namespace {

namespace fs = std::filesystem;

using process::Quote;

std::string RunCommand(const std::string& command, int* status = nullptr) {
    process::Result r = process::Run(command);
    if (status)
        *status = r.exitCode;
    return r.output;
}

using quillmere::testing::ParseCsv;

std::string Canonical(const std::string& cell) {
    char* end = nullptr;
    double d = std::strtod(cell.c_str(), &end);
    if (!cell.empty() && end && *end == '\0') {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.9g", d);
        return buf;
    }
    std::string lower = cell;
    for (auto& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

struct ToolsAvailable {
    bool ok = false;
    std::string ours;
};

ToolsAvailable Tools() {
    ToolsAvailable t;
    t.ours = process::AccessDbTool();
    t.ok = !t.ours.empty() && std::system("command -v mdb-export >/dev/null 2>&1") == 0 &&
           std::system("command -v mdb-tables >/dev/null 2>&1") == 0;
    return t;
}

std::vector<std::string> ReadableFixtures() {
    std::vector<std::string> files;
    for (const char* folder : {"jackcess", "jackcess-encrypt", "mdb-reader", "ucanaccess"}) {
        fs::path dir = fixtures::Dir() / folder;
        if (!fs::is_directory(dir))
            continue;
        for (const auto& e : fs::directory_iterator(dir)) {
            std::string name = std::string(folder) + "/" + e.path().filename().string();
            auto info = accessdb::ReadDatabaseInfo(e.path().string());
            if (!accessdb::IsOfficeEncryption(info.encryption))
                files.push_back(name);  // mdbtools cannot decrypt
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

TEST(ToolAgreement, TablesAndExportMatchMdbtools) {
    REQUIRE_FIXTURES();
#ifdef _WIN32
    GTEST_SKIP() << "mdb-tables and mdb-export are Linux programs: this cross-check runs in the "
                    "Linux build only";
#endif
    ToolsAvailable tools = Tools();
    if (!tools.ok)
        GTEST_SKIP() << "mdbtools or the accessdb tool (QUILLMERE_BIN_DIR) is missing";
    std::size_t compared = 0;
    for (const auto& relative : ReadableFixtures()) {
        SCOPED_TRACE(relative);
        const std::string file = Quote((fixtures::Dir() / relative).string());
        const std::string password = fixtures::PasswordFor(relative);
        const std::string pw = password.empty() ? "" : " --password " + Quote(password);
        int status = 0;
        std::string ourTables = RunCommand(tools.ours + " tables" + pw + " " + file, &status);
        ASSERT_EQ(status, 0);
        auto lines = [](const std::string& s) {
            std::multiset<std::string> set;
            std::istringstream in(s);
            std::string line;
            while (std::getline(in, line))
                if (!line.empty())
                    set.insert(line);
            return set;
        };
        auto ours = lines(ourTables);
        EXPECT_EQ(ours, lines(RunCommand("mdb-tables -1 " + file)));

        auto db = accessdb::Database::Open((fixtures::Dir() / relative).string(), password);
        for (const auto& table : ours) {
            SCOPED_TRACE(table);
            auto def = db->Table(table);
            auto mine =
                ParseCsv(RunCommand(tools.ours + " export" + pw + " " + file + " " + Quote(table)));
            auto theirs = ParseCsv(
                RunCommand("mdb-export -D '%Y-%m-%d %H:%M:%S' -T '%Y-%m-%d %H:%M:%S' -b hex " +
                           file + " " + Quote(table)));
            ASSERT_FALSE(mine.empty());
            ASSERT_EQ(mine.size(), theirs.size());
            std::vector<std::string> a, b;
            for (std::size_t r = 0; r < mine.size(); ++r) {
                ASSERT_EQ(mine[r].size(), def->columns.size());
                ASSERT_EQ(theirs[r].size(), def->columns.size());
                std::string x, y;
                for (std::size_t c = 0; c < def->columns.size(); ++c) {
                    auto type = def->columns[c].type;
                    if (type == accessdb::ColumnType::BigInt ||
                        type == accessdb::ColumnType::DateTimeExtended ||
                        def->columns[c].IsCalculated())
                        continue;
                    // mdb-export prints dates before 1900 as "1900-01-00 00:00:00".
                    if (type == accessdb::ColumnType::DateTime &&
                        theirs[r][c].rfind("1900-01-00", 0) == 0 && mine[r][c] < "1900")
                        continue;
                    x += Canonical(mine[r][c]) + "|";
                    y += Canonical(theirs[r][c]) + "|";
                }
                a.push_back(x);
                b.push_back(y);
            }
            std::sort(a.begin() + 1, a.end());  // the header line stays first
            std::sort(b.begin() + 1, b.end());
            EXPECT_EQ(a, b);
            ++compared;
        }
    }
    EXPECT_GT(compared, 20u);
}

}  // namespace

namespace {

// The mdb-reader dump script that write tests use to cross-check databases: it must run and
// see the same tables and row counts as we do.
TEST(ToolAgreement, MdbReaderDumpScriptSeesWhatWeSee) {
    REQUIRE_FIXTURES();
#ifdef _WIN32
    GTEST_SKIP() << "the mdb-reader dump script runs in the Linux build's node: this cross-check "
                    "runs in the Linux build only";
#endif
    const char* source = std::getenv("QUILLMERE_SOURCE_DIR");
    if (!source)
        GTEST_SKIP() << "QUILLMERE_SOURCE_DIR is not set";
    const fs::path readers = fs::path(source) / "tests/readers";
    if (!fs::exists(readers / "node_modules/mdb-reader") ||
        std::system("command -v node >/dev/null 2>&1") != 0)
        GTEST_SKIP()
            << "node or tests/readers/node_modules is missing (run npm ci in tests/readers)";
    const auto file = fixtures::Dir() / "jackcess/indexTestV2003.mdb";
    std::string json =
        RunCommand("node " + Quote((readers / "dump.mjs").string()) + " " + Quote(file.string()));
    auto db = accessdb::Database::Open(file.string(), "");
    for (const auto& name : db->UserTableNames()) {
        EXPECT_NE(json.find("\"name\": \"" + name + "\""), std::string::npos) << name;
        EXPECT_NE(json.find("\"rowCount\": " + std::to_string(db->Table(name)->rowCount)),
                  std::string::npos);
    }
}

}  // namespace
