// The write benchmark: quillmere-import loads a CSV of 1,000,000 rows and 10 text columns
// (about 100 bytes a row) into a new .accdb. Reports rows per second, CPU seconds, bytes and
// write calls the importer handed to the file system per row (from /proc/<pid>/io, read while
// the finished importer is not yet reaped), the final database's size and peak memory, beside
// Jackcess's ImportUtil on the same CSV in the same run when its bench tool is given.
//
// With --password, each importer also makes a new encrypted .accdb (Office agile encryption)
// from the same CSV, reported as a share of its plain speed.
//
// Usage: bench_import_rows [--rows N] [--csv FILE] [--importer PATH]... [--jackbench PATH]
//                          [--password PW]
//   --importer may repeat (say, the build of an older commit beside this one): each is measured
//   in turn on the same CSV. Default: the quillmere-import beside this program.
//   --jackbench (or QUILLMERE_JACKBENCH): runs `jackbench importutil CSV NEW.accdb V2010 false`.
#ifndef _WIN32
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "bench/MeasuredRun.h"

namespace fs = std::filesystem;
using namespace quillmere::bench;

namespace {

// Ten columns of words and numbers, 9 characters each: about 100 bytes a line.
void WriteCsv(const fs::path& path, long rows) {
    static const char* const kWords[] = {"alpha", "bravo", "charlie", "delta",  "echo", "foxtrot",
                                         "golf",  "hotel", "india",   "juliet", "kilo", "lima"};
    std::mt19937 random(42);
    std::ofstream out(path, std::ios::binary);
    out << "c0,c1,c2,c3,c4,c5,c6,c7,c8,c9\r\n";
    std::string line;
    for (long r = 0; r < rows; ++r) {
        line.clear();
        for (int c = 0; c < 10; ++c) {
            std::string value = kWords[random() % 12];
            value += std::to_string(random() % 100000);
            value.resize(9, 'x');
            line += value;
            line += c < 9 ? ',' : '\r';
        }
        line += '\n';
        out << line;
    }
}

long CountLines(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    long lines = 0;
    std::string line;
    while (std::getline(in, line))
        ++lines;
    return lines;
}

}  // namespace

int main(int argc, char** argv) {
    long rows = 1000000;
    fs::path givenCsv;
    std::vector<fs::path> importers;
    fs::path jackbench;
    std::string password;
    if (const char* j = std::getenv("QUILLMERE_JACKBENCH"))
        jackbench = j;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--rows")
            rows = std::atol(argv[i + 1]);
        else if (option == "--csv")
            givenCsv = argv[i + 1];
        else if (option == "--importer")
            importers.push_back(fs::absolute(argv[i + 1]));
        else if (option == "--jackbench")
            jackbench = argv[i + 1];
        else if (option == "--password")
            password = argv[i + 1];
        else {
            std::fprintf(stderr, "unknown option %s\n", option.c_str());
            return 2;
        }
    }
    if (importers.empty())
        importers.push_back(fs::canonical("/proc/self/exe").parent_path() / "quillmere-import");
    const fs::path dir =
        fs::temp_directory_path() / ("quillmere_bench_import_" + std::to_string(getpid()));
    fs::create_directories(dir);
    fs::path csv = dir / "rows.csv";
    if (givenCsv.empty()) {
        WriteCsv(csv, rows);
    } else {
        csv = fs::absolute(givenCsv);
        rows = CountLines(csv) - 1;  // the header line
    }
    const double csvBytes = static_cast<double>(fs::file_size(csv));
    const double memoryTarget = csvBytes + 64.0 * 1048576.0;
    std::printf("rows %ld, CSV %.1f MiB, 2 cores shared; load average before: %s\n", rows,
                csvBytes / 1048576.0, LoadAverage().c_str());

    double jackcessRate = 0;
    if (!jackbench.empty() && fs::exists(jackbench)) {
        const fs::path target = dir / "jackcess.accdb";
        const Measured m =
            Run({jackbench.string(), "importutil", csv.string(), target.string(), "V2010", "false"},
                dir / "jackcess.out");
        const auto at = m.output.find("rows_per_s=");
        jackcessRate =
            at == std::string::npos ? rows / m.seconds : std::atof(m.output.c_str() + at + 11);
        std::printf("\nJackcess ImportUtil (%s)\n", m.ok ? "ok" : "FAILED");
        std::printf(
            "  rows per second      %.0f (its own count; %.0f by the wall clock, JVM start "
            "included)\n",
            jackcessRate, rows / m.seconds);
        std::printf("  CPU                  %.2f s\n", m.cpu);
        std::printf("  peak memory          %.1f MiB\n", m.peakBytes / 1048576.0);
        if (fs::exists(target))
            std::printf("  database             %.1f MiB\n",
                        static_cast<double>(fs::file_size(target)) / 1048576.0);
    } else {
        std::printf("\nJackcess ImportUtil: not run (give --jackbench or QUILLMERE_JACKBENCH)\n");
    }

    int failures = 0;
    for (std::size_t k = 0; k < importers.size(); ++k) {
        const fs::path database = dir / ("quillmere" + std::to_string(k) + ".accdb");
        const Measured m =
            Run({importers[k].string(), "--database", database.string(), csv.string()},
                dir / "quillmere.out");
        std::printf("\n%s\n", importers[k].c_str());
        if (!m.ok || !fs::exists(database)) {
            std::printf("  FAILED:\n%s\n", m.output.c_str());
            ++failures;
            continue;
        }
        const double dbBytes = static_cast<double>(fs::file_size(database));
        const double rate = rows / m.seconds;
        std::printf("  rows per second      %.0f   (target >= 600000 idle", rate);
        if (jackcessRate > 0)
            std::printf("; %.2f x Jackcess, target >= 4", rate / jackcessRate);
        std::printf(")\n");
        std::printf("  CPU                  %.2f s   (%.0f rows per CPU second)\n", m.cpu,
                    rows / m.cpu);
        std::printf("  database             %.1f MiB\n", dbBytes / 1048576.0);
        std::printf(
            "  bytes written / row  %.1f   (%.2f x the database, target <= 1.5; to the "
            "storage layer: %.1f)\n",
            PerRow(m.writeChars, rows), static_cast<double>(m.writeChars) / dbBytes,
            PerRow(m.storageBytes, rows));
        std::printf("  write calls / row    %.5f   (target < 0.01; %lld calls)\n",
                    PerRow(m.writeCalls, rows), m.writeCalls);
        std::printf("  peak memory          %.1f MiB   (target <= CSV + 64 MiB = %.1f MiB)\n",
                    m.peakBytes / 1048576.0, memoryTarget / 1048576.0);
        if (password.empty())
            continue;
        const fs::path encrypted = dir / ("quillmere" + std::to_string(k) + "-encrypted.accdb");
        const Measured e = Run({importers[k].string(), "--database", encrypted.string(),
                                "--password", password, csv.string()},
                               dir / "quillmere.out");
        if (!e.ok || !fs::exists(encrypted)) {
            std::printf("  encrypted: FAILED:\n%s\n", e.output.c_str());
            ++failures;
            continue;
        }
        std::printf(
            "  encrypted            %.0f rows per second (%.0f%% of plain), %.2f s CPU, "
            "%.1f MiB peak\n",
            rows / e.seconds, 100.0 * m.seconds / e.seconds, e.cpu, e.peakBytes / 1048576.0);
    }
    std::printf("\nload average after: %s\n", LoadAverage().c_str());
    fs::remove_all(dir);
    return failures == 0 ? 0 : 1;
}

#else  // the importer runs as a measured child process, which needs POSIX

#include <cstdio>

int main() {
    std::puts("bench_import_rows runs on POSIX systems only.");
    return 0;
}

#endif
