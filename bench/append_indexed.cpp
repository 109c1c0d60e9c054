// The indexed-append benchmark: quillmere-import appends a CSV of 1,000,000 rows to an existing
// table with a Long primary key, an index on a Text column, and Date/Time, Currency and Long
// columns, in a new .accdb. Reports what bench_import_rows reports. Until the engine maintains
// indexes and converts text into typed columns it says which step it cannot do yet.
//
// Usage: bench_append_indexed [--rows N] [--importer PATH]
#ifndef _WIN32
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "accessdb/Database.h"
#include "accessdb/create/NewDatabase.h"
#include "bench/MeasuredRun.h"

namespace fs = std::filesystem;
using namespace quillmere::bench;

namespace {

// Id (unique, ascending), Name (indexed text), When (date and time), Amount (currency),
// Quantity (long): about 60 bytes a line.
void WriteCsv(const fs::path& path, long rows) {
    static const char* const kNames[] = {"Ada",   "Brook", "Cyrus", "Dana",  "Elif",  "Farid",
                                         "Greta", "Hugo",  "Ines",  "Jonas", "Kemal", "Lena"};
    std::mt19937 random(7);
    std::ofstream out(path, std::ios::binary);
    out << "Id,Name,When,Amount,Quantity\r\n";
    char line[160];
    for (long r = 0; r < rows; ++r) {
        const unsigned v = static_cast<unsigned>(random());
        std::snprintf(line, sizeof line, "%ld,%s %u,%04u-%02u-%02u %02u:%02u:%02u,%u.%02u,%u\r\n",
                      r + 1, kNames[v % 12], v % 10000, 2000 + v % 25, 1 + v % 12, 1 + v % 28,
                      v % 24, v % 60, (v / 60) % 60, v % 100000, v % 100, v % 1000);
        out << line;
    }
}

accessdb::TableDefinition OrdersTable() {
    using accessdb::ColumnType;
    accessdb::TableDefinition table{"Orders",
                                    {{"Id", ColumnType::Long},
                                     {"Name", ColumnType::Text, 50},
                                     {"When", ColumnType::DateTime},
                                     {"Amount", ColumnType::Currency},
                                     {"Quantity", ColumnType::Long}},
                                    {}};
    accessdb::IndexDefinition primary{"PrimaryKey", {{"Id"}}, true, true, false, true};
    accessdb::IndexDefinition byName{"Name", {{"Name"}}};
    table.indexes = {primary, byName};
    return table;
}

}  // namespace

int main(int argc, char** argv) {
    long rows = 1000000;
    fs::path importer = fs::canonical("/proc/self/exe").parent_path() / "quillmere-import";
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--rows")
            rows = std::atol(argv[i + 1]);
        else if (option == "--importer")
            importer = fs::absolute(argv[i + 1]);
    }
    const fs::path dir =
        fs::temp_directory_path() / ("quillmere_bench_indexed_" + std::to_string(getpid()));
    fs::create_directories(dir);
    const fs::path csv = dir / "orders.csv";
    const fs::path database = dir / "orders.accdb";
    WriteCsv(csv, rows);
    const double csvBytes = static_cast<double>(fs::file_size(csv));
    std::printf("rows %ld, CSV %.1f MiB; load average before: %s\n", rows, csvBytes / 1048576.0,
                LoadAverage().c_str());
    try {
        accessdb::CreateDatabase(database.string(), {});
        auto db = accessdb::Database::Open(database.string(), "", accessdb::OpenMode::ReadWrite);
        db->CreateTable(OrdersTable());
        db->Close();
    } catch (const std::exception& e) {
        std::printf("the indexed table cannot be made yet: %s\n", e.what());
        fs::remove_all(dir);
        return 0;
    }
    const Measured m = Run({importer.string(), "--database", database.string(), "--append",
                            "Orders", "--skip-header", csv.string()},
                           dir / "import.out");
    if (!m.ok) {
        std::printf("the table cannot be filled yet:\n%s\n", m.output.c_str());
        fs::remove_all(dir);
        return 0;
    }
    const double dbBytes = static_cast<double>(fs::file_size(database));
    std::printf("rows per second      %.0f\n", rows / m.seconds);
    std::printf("CPU                  %.2f s\n", m.cpu);
    std::printf("database             %.1f MiB\n", dbBytes / 1048576.0);
    std::printf("bytes written / row  %.1f   (%.2f x the database)\n", PerRow(m.writeChars, rows),
                static_cast<double>(m.writeChars) / dbBytes);
    std::printf("write calls / row    %.5f   (%lld calls)\n", PerRow(m.writeCalls, rows),
                m.writeCalls);
    std::printf("peak memory          %.1f MiB   (CSV + 64 MiB = %.1f MiB)\n",
                m.peakBytes / 1048576.0, (csvBytes + 64.0 * 1048576.0) / 1048576.0);
    std::printf("load average after: %s\n", LoadAverage().c_str());
    fs::remove_all(dir);
    return 0;
}

#else

#include <cstdio>

int main() {
    std::puts("bench_append_indexed runs on POSIX systems only.");
    return 0;
}

#endif
