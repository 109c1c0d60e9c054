// Office encryption headers read and refused: the small XML reader, base64, the Agile
// descriptor both ways, and damaged, cut-short, unknown and unsupported encryption headers in
// copies of the encrypted fixtures (clear errors naming the file, never a crash).
#include <gtest/gtest.h>

#include <fstream>
#include <initializer_list>
#include <vector>

#include "Fixtures.h"
#include "accessdb/Database.h"
#include "accessdb/Header.h"
#include "accessdb/crypto/AesCbc.h"
#include "accessdb/crypto/AgileDescriptor.h"
#include "accessdb/crypto/Base64.h"
#include "accessdb/crypto/XmlReader.h"

namespace {

using accessdb::ErrorKind;
namespace crypto = accessdb::crypto;
namespace fs = std::filesystem;

TEST(XmlReader, ReadsElementsAttributesAndEntities) {
    const auto root = crypto::ParseXml(
        "\xEF\xBB\xBF<?xml version=\"1.0\"?>\r\n<!-- c --><a:root xmlns:a=\"urn:x\" k='1 &amp; "
        "&lt;2&gt; &#65;&#x42;&quot;'>text<child n=\"&#x2713;\"/><![CDATA[<no/>]]><other>"
        "<deep/></other></a:root>\n");
    EXPECT_EQ(root.name, "root");
    ASSERT_NE(root.Attribute("k"), nullptr);
    EXPECT_EQ(*root.Attribute("k"), "1 & <2> AB\"");
    EXPECT_EQ(root.Attribute("xmlns"), nullptr);  // namespace declarations are not attributes
    ASSERT_EQ(root.children.size(), 2u);
    EXPECT_EQ(*root.Child("child")->Attribute("n"), "\xE2\x9C\x93");
    EXPECT_NE(root.Child("other")->Child("deep"), nullptr);
    EXPECT_EQ(root.Child("missing"), nullptr);
}

TEST(XmlReader, RefusesMalformedText) {
    for (const std::string& bad :
         {std::string(""), std::string("<a>"), std::string("<a></b>"), std::string("<a x=1/>"),
          std::string("<a x=\"1\"y=\"2\"/>"), std::string("<a x=\"&bogus;\"/>"),
          std::string("<a x=\"&#0;\"/>"), std::string("<a x=\"&#x110000;\"/>"),
          std::string("<!DOCTYPE a><a/>"), std::string("<a/><b/>"), std::string("<a x=\"<\"/>"),
          std::string("<a><!-- open"), std::string(200, '<'),
          std::string(40, '<') + "x" + std::string(39, '>')}) {
        try {
            crypto::ParseXml(bad);
            ADD_FAILURE() << "accepted: " << bad;
        } catch (const accessdb::Error& e) {
            EXPECT_EQ(e.Kind(), ErrorKind::Damaged) << bad;
            EXPECT_NE(std::string(e.what()).find("at offset"), std::string::npos) << e.what();
        }
    }
    // Nesting is bounded, so deep damage cannot exhaust the stack.
    std::string deep;
    for (int i = 0; i < 100000; ++i)
        deep += "<a>";
    EXPECT_THROW(crypto::ParseXml(deep), accessdb::Error);
}

TEST(Base64, RoundTripsAndRefusesNonsense) {
    for (std::size_t n = 0; n < 70; ++n) {
        std::vector<std::uint8_t> bytes(n);
        for (std::size_t i = 0; i < n; ++i)
            bytes[i] = static_cast<std::uint8_t>(i * 37 + 11);
        const std::string text = crypto::EncodeBase64(bytes);
        EXPECT_EQ(text.size() % 4, 0u);
        EXPECT_EQ(crypto::DecodeBase64(text), bytes) << n;
    }
    EXPECT_EQ(crypto::DecodeBase64("DAyc3C2Oxxe+SnWgRTYBQQ==")->size(), 16u);
    for (const char* bad : {"abc", "ab=c", "a===", " abc", "ab!c", "====", "Zg==Zg=="})
        EXPECT_FALSE(crypto::DecodeBase64(bad).has_value()) << bad;
}

// The published CBC-AES128 example (NIST SP 800-38A, F.2.1), its first two blocks. Every call
// starts from the IV it is given, also when the call before had the same one: a page is
// encrypted for the journal and again for the file, and read back, with one IV.
TEST(AesCbc, EachCallStartsFromItsOwnIv) {
    auto bytes = [](std::initializer_list<unsigned> values) {
        std::vector<std::uint8_t> out;
        for (unsigned v : values)
            out.push_back(static_cast<std::uint8_t>(v));
        return out;
    };
    const auto key = bytes({0x2b, 0x7e, 0x15, 0x16, 0x28, 0xae, 0xd2, 0xa6, 0xab, 0xf7, 0x15, 0x88,
                            0x09, 0xcf, 0x4f, 0x3c});
    const auto iv = bytes({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15});
    const auto plain = bytes({0x6b, 0xc1, 0xbe, 0xe2, 0x2e, 0x40, 0x9f, 0x96, 0xe9, 0x3d, 0x7e,
                              0x11, 0x73, 0x93, 0x17, 0x2a, 0xae, 0x2d, 0x8a, 0x57, 0x1e, 0x03,
                              0xac, 0x9c, 0x9e, 0xb7, 0x6f, 0xac, 0x45, 0xaf, 0x8e, 0x51});
    const auto cipher = bytes({0x76, 0x49, 0xab, 0xac, 0x81, 0x19, 0xb2, 0x46, 0xce, 0xe9, 0x8e,
                               0x9b, 0x12, 0xe9, 0x19, 0x7d, 0x50, 0x86, 0xcb, 0x9b, 0x50, 0x72,
                               0x19, 0xee, 0x95, 0xdb, 0x11, 0x3a, 0x91, 0x76, 0x78, 0xb2});
    const crypto::AesCbc aes(key);
    for (int round = 0; round < 2; ++round) {
        std::vector<std::uint8_t> data = plain;
        aes.Encrypt(iv, data);
        EXPECT_EQ(data, cipher) << round;
    }
    for (int round = 0; round < 2; ++round) {
        std::vector<std::uint8_t> data = cipher;
        aes.Decrypt(iv, data);
        EXPECT_EQ(data, plain) << round;
    }
}

TEST(AgileDescriptor, SerializedSettingsParseBack) {
    crypto::AgileDescriptor d;
    d.keyData.salt.assign(16, 1);
    d.password.salt.assign(16, 2);
    d.password.keyBits = 128;
    d.password.hash = crypto::HashAlgorithm::Sha1;
    d.password.hashSize = 20;
    d.spinCount = 4321;
    d.encryptedVerifierHashInput.assign(16, 3);
    d.encryptedVerifierHashValue.assign(32, 4);
    d.encryptedKeyValue.assign(32, 5);
    const auto back = crypto::ParseAgileDescriptor(crypto::SerializeAgileDescriptor(d));
    EXPECT_EQ(back.keyData.salt, d.keyData.salt);
    EXPECT_EQ(back.keyData.keyBits, 256u);
    EXPECT_EQ(back.keyData.hash, crypto::HashAlgorithm::Sha512);
    EXPECT_EQ(back.password.salt, d.password.salt);
    EXPECT_EQ(back.password.keyBits, 128u);
    EXPECT_EQ(back.password.hash, crypto::HashAlgorithm::Sha1);
    EXPECT_EQ(back.spinCount, 4321u);
    EXPECT_EQ(back.encryptedVerifierHashInput, d.encryptedVerifierHashInput);
    EXPECT_EQ(back.encryptedVerifierHashValue, d.encryptedVerifierHashValue);
    EXPECT_EQ(back.encryptedKeyValue, d.encryptedKeyValue);
}

// A copy of an encrypted fixture whose unmasked header page `change` edits.
class DamagedEncryption : public ::testing::Test {
  protected:
    void SetUp() override {
        if (fixtures::Dir().empty())
            GTEST_SKIP() << "shared fixtures absent";
        dir_ = fixtures::TempDir("damaged_encryption");
    }
    void TearDown() override {
        if (!dir_.empty())
            fs::remove_all(dir_);
    }

    template <class Change>
    std::string Copy(const std::string& relative, Change change) {
        const fs::path target = dir_ / ("copy" + std::to_string(copies_++) + ".accdb");
        std::string bytes = fixtures::ReadText(fixtures::Dir() / relative);
        std::vector<std::uint8_t> page0(bytes.begin(), bytes.begin() + 4096);
        const accessdb::Format& format = *accessdb::FormatForVersionByte(page0[0x14]);
        accessdb::ApplyHeaderMask(page0, format);
        change(page0);
        accessdb::ApplyHeaderMask(page0, format);
        std::copy(page0.begin(), page0.end(), bytes.begin());
        std::ofstream(target, std::ios::binary)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return target.string();
    }

    // Replaces text inside the Agile descriptor and fixes the structure's length.
    std::string EditDescriptor(const std::string& relative, const std::string& from,
                               const std::string& to) {
        return Copy(relative, [&](std::vector<std::uint8_t>& page0) {
            const std::size_t length = accessdb::LoadU16(page0.data() + 0x299);
            std::string info(page0.begin() + 0x29B, page0.begin() + 0x29B + length);
            const std::size_t at = info.find(from);
            ASSERT_NE(at, std::string::npos) << from;
            info.replace(at, from.size(), to);
            std::fill(page0.begin() + 0x29B, page0.begin() + 0x29B + length, 0);
            std::copy(info.begin(), info.end(), page0.begin() + 0x29B);
            accessdb::StoreU16(page0.data() + 0x299, static_cast<std::uint16_t>(info.size()));
        });
    }

    // Opening fails with `kind`, naming the file and saying `reason`.
    void ExpectRefused(const std::string& path, const std::string& password, ErrorKind kind,
                       const std::string& reason) {
        try {
            accessdb::Database::Open(path, password);
            ADD_FAILURE() << "opened: " << reason;
        } catch (const accessdb::Error& e) {
            const std::string message = e.what();
            EXPECT_EQ(e.Kind(), kind) << message;
            EXPECT_NE(message.find(path), std::string::npos) << message;
            EXPECT_NE(message.find(reason), std::string::npos) << message;
        }
    }

    fs::path dir_;
    int copies_ = 0;
};

constexpr const char* kAgile = "mdb-reader/office-agile-4.4.accdb";
constexpr const char* kRc4 = "mdb-reader/office-agile-4.2.accdb";

TEST_F(DamagedEncryption, DamagedDescriptorsNameTheReason) {
    const struct {
        const char* from;
        const char* to;
        const char* reason;
    } cases[] = {
        {"</encryption>", "</encryptiox>", "not well-formed XML"},
        {"<keyData ", "<keyDatum ", "has no <keyData>"},
        {"saltValue=\"DAyc", "saltValue=\"!Ayc", "saltValue that is not base64"},
        {"spinCount=\"100000\"", "spinCount=\"99999999999\"", "spinCount that is not a number"},
        {"spinCount=\"100000\"", "spinCount=\"10000001\"", "hash rounds"},
        {"keyBits=\"256\" hashSize=\"64\"", "keyBits=\"256\" hashSize=\"20\"", "hash size"},
        {"encryptedKeyValue=\"sSEi", "encryptedKeyValue=\"\" x=\"", "encryptedKeyValue of 0"},
        {" saltSize=\"16\"", " saltSize=\"8\"", "salt of 16 bytes where saltSize says 8"},
    };
    for (const auto& c : cases)
        ExpectRefused(EditDescriptor(kAgile, c.from, c.to), "password", ErrorKind::Damaged,
                      c.reason);
}

TEST_F(DamagedEncryption, UnsupportedSettingsAndVersionsAreNamed) {
    const struct {
        const char* from;
        const char* to;
        const char* reason;
    } cases[] = {
        {"cipherAlgorithm=\"AES\"", "cipherAlgorithm=\"3DES\"", "the cipher \"3DES\""},
        {"ChainingModeCBC", "ChainingModeCFB", "the cipher chaining \"ChainingModeCFB\""},
        {"hashAlgorithm=\"SHA512\"", "hashAlgorithm=\"WHIRLPOOL\"", "hash algorithm \"WHIRLPOOL\""},
        {"keyBits=\"256\"", "keyBits=\"512\"", "512-bit key"},
        {"/keyEncryptor/password\"><p:", "/keyEncryptor/certificate\"><p:",
         "no password key encryptor"},
    };
    for (const auto& c : cases)
        ExpectRefused(EditDescriptor(kAgile, c.from, c.to), "password", ErrorKind::Encrypted,
                      c.reason);

    auto version = [&](std::uint16_t major, std::uint16_t minor, const char* relative) {
        return Copy(relative, [&](std::vector<std::uint8_t>& page0) {
            accessdb::StoreU16(page0.data() + 0x29B, major);
            accessdb::StoreU16(page0.data() + 0x29D, minor);
        });
    };
    ExpectRefused(version(9, 9, kAgile), "password", ErrorKind::Encrypted,
                  "unknown encryption version 9.9");
    ExpectRefused(version(4, 3, kAgile), "password", ErrorKind::Encrypted, "extensible");
    ExpectRefused(version(1, 1, kRc4), "password", ErrorKind::Encrypted, "binary RC4");
    // RC4 CryptoAPI with the AES flag is Office Standard encryption.
    ExpectRefused(Copy(kRc4, [](std::vector<std::uint8_t>& page0) { page0[0x29F] |= 0x20; }),
                  "password", ErrorKind::Encrypted, "Office Standard (AES)");
    // A cipher id other than RC4 in the CryptoAPI header.
    ExpectRefused(Copy(kRc4,
                       [](std::vector<std::uint8_t>& page0) {
                           accessdb::StoreU32(page0.data() + 0x29B + 20, 0x660E);
                       }),
                  "password", ErrorKind::Encrypted, "cipher 0x660E");
}

TEST_F(DamagedEncryption, CutShortHeadersAreDamaged) {
    auto length = [&](std::uint16_t value, const char* relative) {
        return Copy(relative, [&](std::vector<std::uint8_t>& page0) {
            accessdb::StoreU16(page0.data() + 0x299, value);
        });
    };
    ExpectRefused(length(0xFFFF, kAgile), "password", ErrorKind::Damaged,
                  "runs past the end of the header page");
    ExpectRefused(length(4, kAgile), "password", ErrorKind::Damaged, "too short for its version");
    ExpectRefused(length(60, kAgile), "password", ErrorKind::Damaged, "not well-formed XML");
    ExpectRefused(length(40, kRc4), "password", ErrorKind::Damaged, "RC4 CryptoAPI");
    ExpectRefused(length(150, kRc4), "password", ErrorKind::Damaged, "cut short");
    // A file cut inside its first pages is not a database at all.
    const fs::path cut = dir_ / "cut.accdb";
    const std::string bytes = fixtures::ReadText(fixtures::Dir() / kAgile);
    std::ofstream(cut, std::ios::binary).write(bytes.data(), 5000);
    ExpectRefused(cut.string(), "password", ErrorKind::NotDatabase, "cut short");
}

// A damaged verifier is a wrong password, as in Access: nothing else is read. (A damaged
// wrapped key is not detectable before pages are read: Access files carry no integrity check.)
TEST_F(DamagedEncryption, DamagedVerifierIsAWrongPassword) {
    const std::string agile =
        EditDescriptor(kAgile, "encryptedVerifierHashValue=\"C", "encryptedVerifierHashValue=\"D");
    // The RC4 verifier hash is the structure's last 20 bytes.
    const std::string rc4 = Copy(kRc4, [&](std::vector<std::uint8_t>& page0) {
        page0[0x29B + accessdb::LoadU16(page0.data() + 0x299) - 3] ^= 1;
    });
    for (const std::string& path : {agile, rc4}) {
        try {
            accessdb::Database::Open(path, "password");
            ADD_FAILURE() << path;
        } catch (const accessdb::Error& e) {
            EXPECT_EQ(e.JetNumber(), 3031) << e.what();
        }
    }
}

}  // namespace
