// Writing into Office-encrypted .accdb files: new encrypted databases (Agile, a fresh key per
// file), rows appended to the encrypted fixtures, read back by our reader, mdb-reader and the
// Jackcess checker; the journal holds no plaintext and rolls back without the password.
#include <gtest/gtest.h>

#include <algorithm>

#include "accessdb/PageFile.h"
#include "accessdb/RollbackJournal.h"
#include "accessdb/create/NewDatabase.h"
#include "accessdb/crypto/OfficeEncryption.h"
#include "tests/accessdb_write/WriteSupport.h"

using namespace writetest;

namespace {

using Rows = std::vector<std::vector<std::string>>;

const std::string kMemo(7000, 'q');  // a long value on pages of its own

// Rows with text, a long memo and Null, as INSERT statements and as read back.
std::vector<std::string> Inserts() {
    return {"CREATE TABLE `Secret notes` (`id` VARCHAR(10), `note` VARCHAR(100), `m` MEMO)",
            "INSERT INTO `Secret notes` VALUES ('1', 'plain ascii', NULL)",
            "INSERT INTO `Secret notes` VALUES ('2', 'Ünïcødé ✓ 東京', '" + kMemo + "')",
            "INSERT INTO `Secret notes` VALUES ('3', NULL, 'short memo')"};
}

Rows Expected() {
    return {{"1", "plain ascii", "<null>"},
            {"2", "Ünïcødé ✓ 東京", kMemo},
            {"3", "<null>", "short memo"}};
}

// The three readers agree on the rows written; the validator and the checker find nothing.
void ExpectReadBackEverywhere(const std::string& path, const std::string& password,
                              bool mdbReaderCanRead = true) {
    EXPECT_EQ(ReadRows(path, "Secret notes", password), Expected());
    ExpectClean(path, password);
    if (HaveMdbReader() && mdbReaderCanRead) {
        const auto dump = MdbReaderTable(path, "Secret notes", password);
        ASSERT_EQ(dump["tables"].items.size(), 1u);
        const auto& rows = dump["tables"].items.at(0)["rows"].items;
        ASSERT_EQ(rows.size(), 3u);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            int c = 0;
            for (const char* column : {"id", "note", "m"}) {
                const auto& v = rows[i][column];
                EXPECT_EQ(v.kind == testjson::Value::Kind::Null ? "<null>" : v.text,
                          Expected()[i][static_cast<std::size_t>(c++)])
                    << "mdb-reader row " << i << " " << column;
            }
        }
    }
    if (!AccessCheckTool().empty()) {
        std::string summary;
        EXPECT_EQ(AccessCheck(path, password, &summary), 0) << summary;
        EXPECT_EQ(summary.rfind("SUMMARY: OK", 0), 0u) << summary;
    }
}

accessdb::DatabaseHeader HeaderOf(const std::string& path) {
    accessdb::PageFile pages(path, accessdb::OpenMode::ReadOnly);
    return pages.Header();
}

std::string Descriptor(const std::string& path) {
    accessdb::PageFile pages(path, accessdb::OpenMode::ReadOnly);
    const auto page0 = pages.Read(0);
    const std::size_t length = accessdb::LoadU16(page0->bytes.data() + 0x299);
    return std::string(reinterpret_cast<const char*>(page0->bytes.data()) + 0x299 + 2 + 8,
                       length - 8);
}

long JetNumberOfOpen(const std::string& path, const std::string& password,
                     accessdb::OpenMode mode = accessdb::OpenMode::ReadOnly) {
    try {
        accessdb::Database::Open(path, password, mode);
    } catch (const accessdb::Error& e) {
        EXPECT_STREQ(e.what(), "Not a valid password.");
        return e.JetNumber();
    }
    return 0;
}

}  // namespace

TEST(EncryptedWrite, NewDatabaseIsAgileWithAFreshKeyPerFile) {
    const fs::path dir = TempDir("encrypted_new");
    const std::string a = (dir / "a.accdb").string();
    const std::string b = (dir / "b.ACCDB").string();
    accessdb::CreateDatabase(a, {accessdb::NewDatabaseFormat::Default, "s3cret"});
    accessdb::CreateDatabase(b, {accessdb::NewDatabaseFormat::Access2016, "s3cret"});

    const auto info = accessdb::ReadDatabaseInfo(a);
    EXPECT_EQ(info.encryption, accessdb::Encryption::OfficeAgile);
    EXPECT_EQ(info.encryptionVersion, "4.4");
    EXPECT_FALSE(info.hasPassword);  // no stored password: the password is the key
    EXPECT_EQ(accessdb::ReadDatabaseInfo(b).versionByte, 5);
    // Access 2010's defaults; salts, wrapped key and database key differ between files.
    const std::string descriptorA = Descriptor(a), descriptorB = Descriptor(b);
    for (const char* setting :
         {"spinCount=\"100000\"", "keyBits=\"256\"", "hashAlgorithm=\"SHA512\"",
          "cipherAlgorithm=\"AES\"", "cipherChaining=\"ChainingModeCBC\""})
        EXPECT_NE(descriptorA.find(setting), std::string::npos) << setting;
    EXPECT_NE(descriptorA, descriptorB);
    EXPECT_NE(HeaderOf(a).databaseKey, HeaderOf(b).databaseKey);
    EXPECT_NE(HeaderOf(a).databaseKey, 0u);
    // No page but the header holds readable catalog names.
    const std::string bytes = fixtures::ReadText(a);
    EXPECT_EQ(bytes.find("MSysObjects"), std::string::npos);
    EXPECT_EQ(bytes.find(std::string("M\0S\0y\0s", 7)), std::string::npos);

    EXPECT_EQ(JetNumberOfOpen(a, ""), 3031);
    EXPECT_EQ(JetNumberOfOpen(a, "S3cret"), 3031);
    EXPECT_EQ(JetNumberOfOpen(a, "s3cret", accessdb::OpenMode::ReadWrite), 0);
    Execute(a, Inserts(), "s3cret");
    ExpectReadBackEverywhere(a, "s3cret");
    EXPECT_EQ(JetNumberOfOpen(a, "wrong", accessdb::OpenMode::ReadWrite), 3031);
    fs::remove_all(dir);
}

TEST(EncryptedWrite, PasswordsOfEveryLengthAndScript) {
    const fs::path dir = TempDir("encrypted_passwords");
    int n = 0;
    for (const std::string& password :
         {std::string("x"), std::string("pässwörd ✓ 🔑"), std::string(255, 'p')}) {
        const std::string path = (dir / (std::to_string(n++) + ".accdb")).string();
        accessdb::CreateDatabase(path, {accessdb::NewDatabaseFormat::Default, password});
        EXPECT_EQ(JetNumberOfOpen(path, password), 0);
        std::string other = password;
        other.back() = 'y';
        EXPECT_EQ(JetNumberOfOpen(path, other), 3031);
    }
    // Keys are made from at most 255 characters: a longer password is refused, not cut.
    EXPECT_THROW(
        accessdb::CreateDatabase((dir / "long.accdb").string(),
                                 {accessdb::NewDatabaseFormat::Default, std::string(256, 'p')}),
        accessdb::Error);
    EXPECT_FALSE(fs::exists(dir / "long.accdb"));
    fs::remove_all(dir);
}

// Rows appended to the encrypted fixtures (in a new table: their own tables have indexes,
// whose maintenance is not written yet).
TEST(EncryptedWrite, RowsAppendedToEncryptedFixtures) {
    REQUIRE_FIXTURES();
    const fs::path dir = TempDir("encrypted_append");
    for (const char* relative :
         {"mdb-reader/office-agile-4.4.accdb", "mdb-reader/office-agile-4.2.accdb",
          "jackcess-encrypt/db2007-enc.accdb"}) {
        SCOPED_TRACE(relative);
        const std::string password = fixtures::PasswordFor(relative);
        const std::string path = CopyFixture(relative, dir);
        const Rows before = ReadRows(path, "Table1", password);
        Execute(path, Inserts(), password);
        EXPECT_EQ(ReadRows(path, "Table1", password), before);
        // mdb-reader cannot read db2007-enc.accdb at all (its 128-bit Agile key).
        ExpectReadBackEverywhere(path, password,
                                 std::string(relative).find("db2007") == std::string::npos);
        EXPECT_EQ(JetNumberOfOpen(path, ""), 3031);
    }
    fs::remove_all(dir);
}

// A statement cut off before its pages were written: the journal holds the pages as stored
// (no plaintext), and opening rolls it back without the password being needed for recovery.
TEST(EncryptedWrite, JournalHoldsOnlyEncryptedPages) {
    const fs::path dir = TempDir("encrypted_journal");
    const std::string path = (dir / "j.accdb").string();
    const std::string password = "journal";
    accessdb::CreateDatabase(path, {accessdb::NewDatabaseFormat::Default, password});
    const std::string marker = "PLAINMARKER0123456789";
    Execute(path,
            {"CREATE TABLE `T` (`a` VARCHAR(50))", "INSERT INTO `T` VALUES ('" + marker + "')"},
            password);
    const std::string before = fixtures::ReadText(path);
    ASSERT_EQ(before.find(marker), std::string::npos);

    {
        accessdb::PageFile pages(path, accessdb::OpenMode::ReadWrite);
        pages.SetCodec(accessdb::crypto::UnlockOfficeEncryption(
            pages.Read(0)->View(), pages.Header().databaseKey, password));
        std::uint32_t dataPage = 0;
        for (std::uint32_t n = 1; n < pages.PageCount() && dataPage == 0; ++n) {
            const auto& b = pages.Read(n)->bytes;
            if (std::search(b.begin(), b.end(), marker.begin(), marker.end()) != b.end())
                dataPage = n;
        }
        ASSERT_NE(dataPage, 0u) << "the row's page was not found decrypted";
        accessdb::RollbackJournal journal(path, pages.PageSize());
        journal.Start();
        pages.SetJournal(&journal);
        pages.BeginStatement();
        // Changes near the start and the end of the page: under CBC all after the first block.
        auto page = pages.Modify(dataPage);
        page->bytes[40] ^= 0xFF;
        page->bytes[4000] ^= 0xFF;
        pages.EndStatement();
        journal.Write(pages);
        pages.SetJournal(nullptr);
        pages.Flush();  // the page reaches the file; the journal stays marked full: a "crash"
    }
    const std::string journalBytes = fixtures::ReadText(accessdb::RollbackJournal::PathFor(path));
    EXPECT_GT(journalBytes.size(), 4000u - 32u);  // CBC: from the first change to the page end
    EXPECT_EQ(journalBytes.find(marker), std::string::npos);
    EXPECT_NE(fixtures::ReadText(path), before);

    accessdb::RecoverInterruptedStatement(path);  // no password given
    EXPECT_EQ(fixtures::ReadText(path), before);
    EXPECT_EQ(ReadRows(path, "T", password), (Rows{{marker}}));
    ExpectClean(path, password);
    fs::remove_all(dir);
}
