// End-to-end import into an Access database: quillmere-import loads a generated CSV of
// 1,000,000 rows and 10 text columns (about 100 bytes a row) into a copy of an empty .accdb.
// Reports rows per second, database bytes per CSV byte and the importer's peak memory, beside
// the targets (200,000 rows/s, 1.4 x the CSV, the CSV + 64 MiB); then the same for a new
// encrypted .accdb in the same run, and the encrypted file's speed as a share of the plain one's.
// Usage: bench_import_rows [rows] [empty database]   (default: the empty ACE 17 fixture)
#ifndef _WIN32
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace fs = std::filesystem;

namespace {

// Ten columns of words and numbers, 9 to 10 characters each: about 100 bytes a line.
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

struct Run {
    bool ok = false;
    double seconds = 0;
    double cpu = 0;        // user + system of the importer
    double peak = 0;       // bytes
    double emptySize = 0;  // the database before the import (0 when the importer made it)
    double dbBytes = 0;
};

// quillmere-import loading the CSV into `database` (made by the importer when missing).
Run Import(const fs::path& importer, const fs::path& csv, const fs::path& database,
           const std::string& password) {
    Run run;
    run.emptySize = fs::exists(database) ? static_cast<double>(fs::file_size(database)) : 0.0;
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        const int devnull = ::open("/dev/null", O_WRONLY);
        dup2(devnull, 1);
        if (password.empty())
            execl(importer.c_str(), "quillmere-import", "--database", database.c_str(), csv.c_str(),
                  static_cast<char*>(nullptr));
        else
            execl(importer.c_str(), "quillmere-import", "--database", database.c_str(),
                  "--password", password.c_str(), csv.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "quillmere-import failed on %s (status %d)\n", database.c_str(),
                     status);
        return run;
    }
    run.ok = true;
    run.cpu = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
              static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    run.peak = static_cast<double>(usage.ru_maxrss) * 1024.0;
    run.dbBytes = static_cast<double>(fs::file_size(database));
    return run;
}

void Report(const char* label, const Run& run, long rows, double csvBytes) {
    std::printf("%s:\n", label);
    std::printf("  time                 %.2f s\n", run.seconds);
    std::printf("  rows per second      %.0f   (target >= 200000)\n", rows / run.seconds);
    std::printf("  rows per CPU second  %.0f   (%.2f s user + system; the machine may be shared)\n",
                rows / run.cpu, run.cpu);
    std::printf("  database / CSV       %.3f   (target <= 1.4; %.3f without the empty database)\n",
                run.dbBytes / csvBytes, (run.dbBytes - run.emptySize) / csvBytes);
    std::printf("  peak memory          %.1f MiB   (target <= CSV + 64 MiB = %.1f MiB)\n",
                run.peak / 1048576.0, (csvBytes + 64.0 * 1048576.0) / 1048576.0);
}

}  // namespace

int main(int argc, char** argv) {
    const long rows = argc > 1 ? std::atol(argv[1]) : 1000000;
    const char* shared = std::getenv("QUILLMERE_SHARED_DIR");
    const fs::path fixture =
        argc > 2 ? fs::path(argv[2])
                 : fs::path(shared ? shared : "../shared") / "fixtures/jackcess/empty2019.accdb";
    const fs::path self = fs::canonical("/proc/self/exe");
    const fs::path importer = self.parent_path() / "quillmere-import";
    const fs::path dir =
        fs::temp_directory_path() / ("quillmere_bench_import_" + std::to_string(getpid()));
    fs::create_directories(dir);
    const fs::path csv = dir / "rows.csv";
    WriteCsv(csv, rows);
    const fs::path database = dir / "bench.accdb";
    fs::copy_file(fixture, database, fs::copy_options::overwrite_existing);
    fs::permissions(database, fs::perms::owner_write, fs::perm_options::add);
    const Run plain = Import(importer, csv, database, "");
    // The same rows into an encrypted .accdb (Agile, AES-256), which the importer creates: every
    // page is encrypted as it is written.
    const Run encrypted = Import(importer, csv, dir / "encrypted.accdb", "bench secret");
    if (!plain.ok || !encrypted.ok)
        return 1;

    const double csvBytes = static_cast<double>(fs::file_size(csv));
    std::printf("rows                 %ld\n", rows);
    std::printf("CSV                  %.1f MiB\n", csvBytes / 1048576.0);
    Report("plain", plain, rows, csvBytes);
    Report("encrypted", encrypted, rows, csvBytes);
    std::printf(
        "encrypted / plain    %.0f%% of the rows per second (target >= 70%%), %.0f%% per CPU "
        "second\n",
        100.0 * plain.seconds / encrypted.seconds, 100.0 * plain.cpu / encrypted.cpu);
    fs::remove_all(dir);
    return 0;
}

#else  // the importer runs as a measured child process, which needs POSIX

#include <cstdio>

int main() {
    std::puts("bench_import_rows runs on POSIX systems only.");
    return 0;
}

#endif
