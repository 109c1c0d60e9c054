// Reads every row of a table and reports rows per second.
//   bench_read_rows [FILE TABLE [REPEAT]] [--password P]
// Without arguments it reads Table1 of the fixture compIndexTestV2003.mdb (512 rows) 2,000
// times. Each pass opens a fresh cursor; the page cache stays warm after the first pass, so
// the figure is the engine's decoding speed. A second figure adds formatting every value as
// text (what `accessdb export` and recordsets do). Compare by hand with
//   time mdb-export FILE TABLE > /dev/null
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "accessdb/Database.h"

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
    long repeat = 2000;
    if (args.size() >= 2) {
        file = args[0];
        table = args[1];
        repeat = args.size() >= 3 ? std::stol(args[2]) : 1;
    } else {
        const char* shared = std::getenv("QUILLMERE_SHARED_DIR");
        file = (std::filesystem::path(shared ? shared : "../shared") /
                "fixtures/jackcess/compIndexTestV2003.mdb")
                   .string();
    }
    try {
        auto db = accessdb::Database::Open(file, password);
        for (int formatting = 0; formatting < 2; ++formatting) {
            std::size_t rows = 0, bytes = 0;
            auto start = std::chrono::steady_clock::now();
            for (long pass = 0; pass < repeat; ++pass) {
                auto cursor = db->OpenTable(table);
                while (cursor->Next()) {
                    ++rows;
                    if (formatting)
                        for (const auto& v : cursor->Row())
                            bytes += accessdb::FormatValue(v).size();
                }
            }
            double seconds =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            std::cout << (formatting ? "decode + format: " : "decode:          ") << rows
                      << " rows in " << seconds
                      << " s = " << static_cast<long long>(static_cast<double>(rows) / seconds)
                      << " rows/s";
            if (formatting)
                std::cout << " (" << bytes << " bytes of text)";
            std::cout << "\n";
        }
    } catch (const accessdb::Error& e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
    return 0;
}
