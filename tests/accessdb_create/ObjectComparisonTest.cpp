// New databases hold the same engine-level system objects as their target databases: the
// engine-made jackcess/adox_jet4.mdb for Jet 4, the empty Access-made .accdb files for ACE and
// the Access-made ucanaccess/size97.mdb for Access 97, compared through our own reader apart
// from ids, dates, GUIDs and page numbers.
#include <gtest/gtest.h>

#include <vector>

#include "accessdb/create/NewDatabase.h"
#include "accessdb_create/SystemObjectDescription.h"
#include "accessdb_read/Fixtures.h"

namespace {

struct Target {
    const char* format;
    const char* fixture;
    const char* extension;
    const char* accessVersion;
    const char* sortOrder;  // what a new database of the format gets
};

const Target kTargets[] = {
    {"97", "ucanaccess/size97.mdb", ".mdb", "07.53", "General 97"},
    {"2000", "jackcess/adox_jet4.mdb", ".mdb", "08.50", "General Legacy"},
    {"2003", "jackcess/adox_jet4.mdb", ".mdb", "09.50", "General Legacy"},
    {"2007", "jackcess/empty2007.accdb", ".accdb", "09.50", "General Legacy"},
    {"2010", "jackcess/empty2010.accdb", ".accdb", "09.50", "General"},
    {"2016", "jackcess/empty2016.accdb", ".accdb", "09.50", "General"},
    {"2019", "jackcess/empty2019.accdb", ".accdb", "09.50", "General"},
};

void PrintTo(const Target& target, std::ostream* out) {
    *out << target.format << " (" << target.fixture << ")";
}

class ObjectComparison : public ::testing::TestWithParam<Target> {};

TEST_P(ObjectComparison, NewDatabaseHoldsTheEngineObjectsOfItsTarget) {
    REQUIRE_FIXTURES();
    const Target& target = GetParam();
    const auto dir = fixtures::TempDir(std::string("create_") + target.format);
    const std::string path = (dir / (std::string("new") + target.extension)).string();
    accessdb::CreateDatabase(path, {*accessdb::ParseNewDatabaseFormat(target.format), ""});

    const create_test::Description made = create_test::Describe(path);
    const create_test::Description expected =
        create_test::Describe((fixtures::Dir() / target.fixture).string());
    EXPECT_EQ(create_test::Difference(made.lines, expected.lines), "");

    // The one property we write: the file format's AccessVersion. Access writes it into every
    // database it makes; the engine-made Jet 4 target lacks it, and without it a 2000 and a
    // 2002-2003 .mdb cannot be told apart.
    EXPECT_EQ(made.accessVersion, target.accessVersion);
    if (std::string(target.extension) == ".accdb") {
        EXPECT_EQ(expected.accessVersion, "09.50");
    }

    // The sort order Access gives new databases of the format (the 2019 fixture was made with
    // the legacy order chosen).
    const auto info = accessdb::ReadDatabaseInfo(path);
    EXPECT_EQ(info.sortOrderName, target.sortOrder);
    EXPECT_EQ(info.versionByte,
              accessdb::ReadDatabaseInfo((fixtures::Dir() / target.fixture).string()).versionByte);
    std::filesystem::remove_all(dir);
}

// Page 0 is the target's byte for byte, masked area included; only the sort order of the 2019
// format differs (its fixture was made with the legacy order).
TEST_P(ObjectComparison, HeaderPageIsTheTargetsByteForByte) {
    REQUIRE_FIXTURES();
    const Target& target = GetParam();
    const auto dir = fixtures::TempDir(std::string("create_header_") + target.format);
    const std::string path = (dir / (std::string("new") + target.extension)).string();
    accessdb::CreateDatabase(path, {*accessdb::ParseNewDatabaseFormat(target.format), ""});
    const std::size_t pageSize = accessdb::ReadDatabaseInfo(path).pageSize;
    const std::string made = fixtures::ReadText(path).substr(0, pageSize);
    const std::string expected =
        fixtures::ReadText(fixtures::Dir() / target.fixture).substr(0, pageSize);
    std::vector<std::size_t> differences;
    for (std::size_t i = 0; i < made.size() && i < expected.size(); ++i) {
        if (made[i] != expected[i])
            differences.push_back(i);
    }
    const std::size_t sortOrderVersion = 0x6E + 3;
    EXPECT_EQ(differences, std::string(target.format) == "2019"
                               ? std::vector<std::size_t>{sortOrderVersion}
                               : std::vector<std::size_t>{});
    std::filesystem::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(EveryFormat, ObjectComparison, ::testing::ValuesIn(kTargets),
                         [](const auto& info) {
                             return std::string("Access") + info.param.format;
                         });

}  // namespace
