// Reads every row of a large table and reports rows per second, beside mdb-export (mdbtools)
// on the same file when it is installed.
//   bench_read_rows [FILE TABLE] [--password P]
// Without a file it makes one: a copy of the fixture compIndexTestV2003.mdb whose Table1
// (512 rows) gets its data pages cloned until it holds about 1,000,000 rows. The clones are
// added to the table's usage map and row count through the engine's own write path; the
// table's indexes are left as they were (a scan does not use them).
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "accessdb/DataPage.h"
#include "accessdb/Database.h"
#include "accessdb/UsageMap.h"

namespace {

namespace fs = std::filesystem;

std::string MakeLargeTable(const fs::path& fixture, const std::string& table,
                           std::size_t targetRows) {
    fs::path out = fs::temp_directory_path() / "quillmere_bench_read_rows.mdb";
    fs::copy_file(fixture, out, fs::copy_options::overwrite_existing);
    fs::permissions(out, fs::perms::owner_read | fs::perms::owner_write);
    std::uint32_t tdefPage;
    {
        auto db = accessdb::Database::Open(out.string(), "");
        tdefPage = db->Table(table)->page;
    }
    accessdb::PageFile pages(out.string(), accessdb::OpenMode::ReadWrite);
    auto def = accessdb::TableDef::Load(pages, tdefPage, table);
    auto owned = accessdb::UsageMap::Load(pages, def.ownedMap);
    std::vector<std::uint32_t> dataPages;
    std::size_t rowsPerCopy = 0;
    for (std::uint32_t p : owned.Pages()) {
        auto page = pages.Read(p);
        accessdb::DataPage dp(page->View(), pages.format());
        if (!dp.IsData() || dp.Owner() != tdefPage)
            continue;
        dataPages.push_back(p);
        for (std::uint16_t r = 0; r < dp.RowCount(); ++r)
            if (!dp.Slot(r).deleted)
                ++rowsPerCopy;
    }
    while (def.rowCount + rowsPerCopy <= targetRows) {
        for (std::uint32_t p : dataPages) {
            auto source = pages.Read(p);
            auto copy = pages.Append();
            copy->bytes = source->bytes;
            owned.Update(pages, copy->number, true);
        }
        def.rowCount += static_cast<std::uint32_t>(rowsPerCopy);
        if (pages.PageCount() % 4096 < dataPages.size())
            pages.Flush();  // keep the cache small
    }
    def.StoreCounters(pages);
    pages.Flush();
    return out.string();
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args;
    std::string password;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--password" && i + 1 < argc)
            password = argv[++i];
        else
            args.push_back(a);
    }
    std::string file, table = "Table1";
    try {
        if (args.size() >= 2) {
            file = args[0];
            table = args[1];
        } else {
            const char* shared = std::getenv("QUILLMERE_SHARED_DIR");
            fs::path fixture = fs::path(shared ? shared : "../shared") /
                               "fixtures/jackcess/compIndexTestV2003.mdb";
            std::cout << "making a large table from " << fixture.string() << " ...\n";
            file = MakeLargeTable(fixture, table, 1000000);
        }
        auto db = accessdb::Database::Open(file, password);
        std::cout << "file: " << file << " (" << fs::file_size(file) / (1024 * 1024)
                  << " MiB), table " << table << ", stored row count " << db->Table(table)->rowCount
                  << "\n";
        for (int formatting = 0; formatting < 2; ++formatting) {
            std::size_t rows = 0, bytes = 0;
            auto start = std::chrono::steady_clock::now();
            auto cursor = db->OpenTable(table);
            while (cursor->Next()) {
                ++rows;
                if (formatting)
                    for (const auto& v : cursor->Row())
                        bytes += accessdb::FormatValue(v).size();
            }
            double seconds =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            std::cout << (formatting ? "accessdb, decode + format as text: "
                                     : "accessdb, decode:                  ")
                      << rows << " rows in " << seconds
                      << " s = " << static_cast<long long>(static_cast<double>(rows) / seconds)
                      << " rows/s\n";
        }
        if (std::system("command -v mdb-export >/dev/null 2>&1") == 0) {
            std::string command = "mdb-export '" + file + "' '" + table + "' > /dev/null";
            auto start = std::chrono::steady_clock::now();
            int rc = std::system(command.c_str());
            double seconds =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            std::size_t rows = db->Table(table)->rowCount;
            std::cout << "mdb-export (whole program, CSV to /dev/null): " << rows << " rows in "
                      << seconds
                      << " s = " << static_cast<long long>(static_cast<double>(rows) / seconds)
                      << " rows/s" << (rc == 0 ? "" : " (mdb-export failed)") << "\n";
        }
    } catch (const accessdb::Error& e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
    return 0;
}
