// The fuzz entry point: the input bytes as a database file, read through everything the reader
// offers. Engine errors are expected; crashes, hangs and sanitizer reports are findings.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/accessdb_fuzz/ReadEverything.h"
#include "tests/support/PortableProcess.h"

namespace {
std::string ScratchFile() {
    namespace fs = std::filesystem;
    fs::path dir = fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
    return (dir /
            ("quillmere_fuzz_" + std::to_string(quillmere::testing::CurrentProcessId()) + ".mdb"))
        .string();
}
}  // namespace

std::vector<std::vector<std::uint8_t>> FuzzExtraSeeds() {
    return {};
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = ScratchFile();
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    accessdb_fuzz::ReadEverything(path);
    // The fixtures' passwords, so that damaged encrypted files get past the password check
    // into decryption and everything after it.
    accessdb_fuzz::ReadEverything(path, "password");
    if (size > 0x14 && data[0x14] >= 2)
        accessdb_fuzz::ReadEverything(path, "Test123");
    return 0;
}
