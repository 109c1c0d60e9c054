// The write fuzz entry point: the input bytes as a database file, then every kind of write the
// import makes (WriteEverything.h). Engine errors are expected; crashes, hangs, sanitizer
// reports and a sound database left damaged by writing are findings (the last aborts).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "accessdb/create/NewDatabase.h"
#include "tests/accessdb_fuzz/WriteEverything.h"
#include "tests/support/PortableProcess.h"

namespace {

namespace fs = std::filesystem;

fs::path ScratchDir() {
    const fs::path dir =
        (fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path()) /
        ("quillmere_write_fuzz_" + std::to_string(quillmere::testing::CurrentProcessId()));
    fs::create_directories(dir);
    return dir;
}

// What the inputs came to, printed when the program ends (the figures of a run).
struct Totals {
    long inputs = 0;
    long opened = 0;
    long statementsDone = 0;
    long statementsRefused = 0;
    long damagedButWritten = 0;  // damage the check finds, in tables the statements left alone
    ~Totals() {
        std::printf(
            "write fuzz: %ld inputs, %ld opened for writing, %ld statements done, %ld "
            "refused; %ld damaged inputs written (elsewhere than the damage)\n",
            inputs, opened, statementsDone, statementsRefused, damagedButWritten);
    }
};
Totals totals;

}  // namespace

// New databases of every format join the fixtures as seeds.
std::vector<std::vector<std::uint8_t>> FuzzExtraSeeds() {
    std::vector<std::vector<std::uint8_t>> seeds;
    const fs::path dir = ScratchDir();
    const std::pair<accessdb::NewDatabaseFormat, const char*> formats[] = {
        {accessdb::NewDatabaseFormat::Access2000, "new2000.mdb"},
        {accessdb::NewDatabaseFormat::Access2003, "new2003.mdb"},
        {accessdb::NewDatabaseFormat::Access2007, "new2007.accdb"},
        {accessdb::NewDatabaseFormat::Access2010, "new2010.accdb"},
        {accessdb::NewDatabaseFormat::Access2016, "new2016.accdb"},
        {accessdb::NewDatabaseFormat::Access2019, "new2019.accdb"}};
    for (const auto& [format, name] : formats) {
        const fs::path path = dir / name;
        fs::remove(path);
        accessdb::CreateDatabase(path.string(), {format, ""});
        {
            std::ifstream in(path, std::ios::binary);  // closed before the removal (Windows)
            seeds.emplace_back(std::istreambuf_iterator<char>(in),
                               std::istreambuf_iterator<char>());
        }
        fs::remove(path);
    }
    return seeds;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const fs::path dir = ScratchDir();
    // The lock file's and the journal's names follow the extension: ACE files get .accdb.
    const bool ace = size > 0x14 && data[0x14] >= 2;
    const fs::path path = dir / (ace ? "input.accdb" : "input.mdb");
    for (const char* leftover : {"input.mdb", "input.accdb", "input.mdb-journal",
                                 "input.accdb-journal", "input.ldb", "input.laccdb"})
        fs::remove(dir / leftover);
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    accessdb_fuzz::WriteOutcome outcome = accessdb_fuzz::WriteEverything(path.string());
    if (!outcome.opened)  // the fixtures with a database password use this one
        outcome = accessdb_fuzz::WriteEverything(path.string(), "password");
    ++totals.inputs;
    totals.opened += outcome.opened ? 1 : 0;
    totals.statementsDone += static_cast<long>(outcome.statementsDone);
    totals.statementsRefused += static_cast<long>(outcome.statementsRefused);
    totals.damagedButWritten += !outcome.cleanBefore && outcome.statementsDone > 0 ? 1 : 0;
    if (!outcome.damagedByWriting.empty()) {
        std::fprintf(stderr, "a sound database was damaged by writing: %s\n",
                     outcome.damagedByWriting.c_str());
        const fs::path keep = fs::path("write-fuzz-finding") += path.extension();
        std::ofstream(keep, std::ios::binary)
            .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        std::abort();
    }
    return 0;
}
