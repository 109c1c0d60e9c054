// Damaged input: files cut short, bytes flipped, random data and wrong kinds of file give clear
// engine errors naming the file, never a crash or another kind of exception.
#include <gtest/gtest.h>

#include <random>

#include "Fixtures.h"
#include "accessdb/Database.h"
#include "tests/accessdb_fuzz/ReadEverything.h"

namespace {

namespace fs = std::filesystem;

void WriteBytes(const fs::path& p, const std::string& bytes) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

class Robustness : public ::testing::Test {
  protected:
    void SetUp() override { dir_ = fixtures::TempDir("robustness"); }
    void TearDown() override { fs::remove_all(dir_); }
    fs::path dir_;
};

TEST_F(Robustness, NotADatabaseIsNamedAsSuch) {
    const fs::path text = dir_ / "notes.mdb";
    WriteBytes(text, "Just some text, not a database at all.\n");
    auto outcome = accessdb_fuzz::ReadEverything(text.string());
    EXPECT_FALSE(outcome.opened);
    EXPECT_EQ(outcome.kind, accessdb::ErrorKind::NotDatabase);
    EXPECT_NE(outcome.error.find("not an Access database"), std::string::npos) << outcome.error;
    EXPECT_NE(outcome.error.find(text.string()), std::string::npos) << outcome.error;

    WriteBytes(dir_ / "empty.accdb", "");
    EXPECT_EQ(accessdb_fuzz::ReadEverything((dir_ / "empty.accdb").string()).kind,
              accessdb::ErrorKind::NotDatabase);

    std::mt19937 random(7);
    std::string noise(65536, '\0');
    for (auto& c : noise)
        c = static_cast<char>(random());
    noise[0] = 0;  // get past the first test
    WriteBytes(dir_ / "noise.mdb", noise);
    EXPECT_EQ(accessdb_fuzz::ReadEverything((dir_ / "noise.mdb").string()).kind,
              accessdb::ErrorKind::NotDatabase);

    EXPECT_EQ(accessdb_fuzz::ReadEverything(dir_.string()).kind, accessdb::ErrorKind::NotDatabase);
}

TEST_F(Robustness, UnknownVersionIsRefused) {
    REQUIRE_FIXTURES();
    std::string bytes = fixtures::ReadText(fixtures::Dir() / "jackcess/empty.mdb");
    bytes[0x14] = 9;
    WriteBytes(dir_ / "future.mdb", bytes);
    auto outcome = accessdb_fuzz::ReadEverything((dir_ / "future.mdb").string());
    EXPECT_EQ(outcome.kind, accessdb::ErrorKind::NotDatabase);
    EXPECT_NE(outcome.error.find("unknown format version 9"), std::string::npos) << outcome.error;
}

TEST_F(Robustness, FilesCutShortFailClearly) {
    REQUIRE_FIXTURES();
    for (const char* name :
         {"jackcess/test2V2003.mdb", "jackcess/testV1997.mdb", "mdb-reader/longtext.accdb"}) {
        std::string bytes = fixtures::ReadText(fixtures::Dir() / name);
        for (std::size_t size :
             {std::size_t{0}, std::size_t{20}, std::size_t{2047}, std::size_t{4096},
              std::size_t{3 * 4096 - 1}, bytes.size() / 3, bytes.size() / 2, bytes.size() - 4096}) {
            SCOPED_TRACE(std::string(name) + " cut to " + std::to_string(size));
            const fs::path cut = dir_ / "cut.mdb";
            WriteBytes(cut, bytes.substr(0, size));
            auto outcome = accessdb_fuzz::ReadEverything(cut.string());
            if (size < 3 * 2048) {
                EXPECT_EQ(outcome.kind, accessdb::ErrorKind::NotDatabase) << outcome.error;
            }
            if (!outcome.error.empty()) {
                EXPECT_NE(outcome.error.find(cut.string()), std::string::npos) << outcome.error;
            }
        }
    }
}

// Deterministic byte flips over several fixtures; every outcome must be a read or an engine error.
TEST_F(Robustness, FlippedBytesGiveEngineErrorsOnly) {
    REQUIRE_FIXTURES();
#ifdef QUILLMERE_SANITIZED
    const int rounds = 40;
#else
    const int rounds = 150;
#endif
    std::mt19937 random(20261208);
    int damaged = 0;
    for (const char* name :
         {"jackcess/testV1997.mdb", "jackcess/test2V2003.mdb", "jackcess/extDateTestV2019.accdb",
          "jackcess-encrypt/db-enc.mdb", "mdb-reader/longtext.accdb"}) {
        const std::string original = fixtures::ReadText(fixtures::Dir() / name);
        const std::size_t pageSize = original[0x14] == 0 ? 2048 : 4096;
        for (int round = 0; round < rounds; ++round) {
            std::string bytes = original;
            // Aim at the structures: page 0's fields, the catalog and the first table pages.
            const std::size_t span = std::min(bytes.size(), pageSize * 40);
            const int flips = 1 + static_cast<int>(random() % 8);
            for (int f = 0; f < flips; ++f) {
                std::size_t at = (round % 3 == 0) ? random() % bytes.size() : random() % span;
                bytes[at] = static_cast<char>(bytes[at] ^ (1 << (random() % 8)));
            }
            const fs::path p = dir_ / "flipped.mdb";
            WriteBytes(p, bytes);
            auto outcome = accessdb_fuzz::ReadEverything(p.string());
            if (!outcome.error.empty())
                ++damaged;
        }
    }
    // Some flips must have been noticed, or the test exercises nothing.
    EXPECT_GT(damaged, 0);
}

}  // namespace
