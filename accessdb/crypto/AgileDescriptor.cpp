// Agile descriptor: XML elements and attributes to settings and back.
#include "accessdb/crypto/AgileDescriptor.h"

#include <charconv>

#include "accessdb/crypto/AesCbc.h"
#include "accessdb/crypto/Base64.h"
#include "accessdb/crypto/XmlReader.h"

namespace accessdb::crypto {

namespace {

constexpr const char* kEncryptionNamespace = "http://schemas.microsoft.com/office/2006/encryption";
constexpr const char* kPasswordNamespace =
    "http://schemas.microsoft.com/office/2006/keyEncryptor/password";
constexpr const char* kCertificateNamespace =
    "http://schemas.microsoft.com/office/2006/keyEncryptor/certificate";
// Office allows at most this many spins; a larger count can only come from damage.
constexpr std::uint32_t kMaxSpinCount = 10'000'000;

[[noreturn]] void Damaged(const std::string& what) {
    ThrowDamaged("the encryption descriptor " + what);
}

[[noreturn]] void Unsupported(const std::string& what) {
    throw Error(ErrorKind::Encrypted,
                "it is encrypted with " + what + ", which this engine cannot read");
}

const std::string& Required(const XmlElement& e, const char* name) {
    const std::string* value = e.Attribute(name);
    if (value == nullptr)
        Damaged("has no " + std::string(name) + " in <" + e.name + ">");
    return *value;
}

std::uint32_t Number(const XmlElement& e, const char* name) {
    const std::string& text = Required(e, name);
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        Damaged("has a " + std::string(name) + " that is not a number (\"" + text + "\")");
    return value;
}

std::vector<std::uint8_t> Binary(const XmlElement& e, const char* name) {
    auto bytes = DecodeBase64(Required(e, name));
    if (!bytes)
        Damaged("has a " + std::string(name) + " that is not base64");
    return *bytes;
}

AgileCipherSettings Settings(const XmlElement& e) {
    AgileCipherSettings s;
    s.saltSize = Number(e, "saltSize");
    s.blockSize = Number(e, "blockSize");
    s.keyBits = Number(e, "keyBits");
    s.hashSize = Number(e, "hashSize");
    s.salt = Binary(e, "saltValue");
    const std::string& cipher = Required(e, "cipherAlgorithm");
    const std::string& chaining = Required(e, "cipherChaining");
    const std::string& hash = Required(e, "hashAlgorithm");
    if (cipher != "AES")
        Unsupported("the cipher \"" + cipher + "\"");
    if (chaining != "ChainingModeCBC")
        Unsupported("the cipher chaining \"" + chaining + "\"");
    const auto algorithm = HashAlgorithmNamed(hash);
    if (!algorithm)
        Unsupported("the hash algorithm \"" + hash + "\"");
    s.hash = *algorithm;
    if (s.keyBits != 128 && s.keyBits != 192 && s.keyBits != 256)
        Unsupported("AES with a " + std::to_string(s.keyBits) + "-bit key");
    if (s.blockSize != AesCbc::kBlockSize)
        Damaged("gives AES a block size of " + std::to_string(s.blockSize));
    if (s.hashSize != HashSize(s.hash))
        Damaged("gives " + hash + " a hash size of " + std::to_string(s.hashSize));
    if (s.salt.size() != s.saltSize || s.salt.empty())
        Damaged("has a salt of " + std::to_string(s.salt.size()) + " bytes where saltSize says " +
                std::to_string(s.saltSize));
    return s;
}

// A blob the password's cipher decrypts: whole blocks, at least `minimum` bytes.
std::vector<std::uint8_t> Blob(const XmlElement& e, const char* name, std::size_t minimum) {
    std::vector<std::uint8_t> bytes = Binary(e, name);
    if (bytes.size() < minimum || bytes.size() % AesCbc::kBlockSize != 0)
        Damaged("has a " + std::string(name) + " of " + std::to_string(bytes.size()) + " bytes");
    return bytes;
}

std::string SettingsAttributes(const AgileCipherSettings& s) {
    return "saltSize=\"" + std::to_string(s.saltSize) + "\" blockSize=\"" +
           std::to_string(s.blockSize) + "\" keyBits=\"" + std::to_string(s.keyBits) +
           "\" hashSize=\"" + std::to_string(s.hashSize) +
           "\" cipherAlgorithm=\"AES\" cipherChaining=\"ChainingModeCBC\" hashAlgorithm=\"" +
           HashAlgorithmName(s.hash) + "\" saltValue=\"" + EncodeBase64(s.salt) + "\"";
}

}  // namespace

AgileDescriptor ParseAgileDescriptor(std::string_view xml) {
    const XmlElement root = ParseXml(xml);
    if (root.name != "encryption")
        Damaged("has the root element <" + root.name + "> instead of <encryption>");
    const XmlElement* keyData = root.Child("keyData");
    if (keyData == nullptr)
        Damaged("has no <keyData>");
    const XmlElement* encryptors = root.Child("keyEncryptors");
    const XmlElement* encryptedKey = nullptr;
    if (encryptors != nullptr) {
        for (const XmlElement& encryptor : encryptors->children) {
            const std::string* uri = encryptor.Attribute("uri");
            if (encryptor.name == "keyEncryptor" && uri != nullptr && *uri == kPasswordNamespace)
                encryptedKey = encryptor.Child("encryptedKey");
        }
    }
    if (encryptedKey == nullptr)
        Unsupported(
            "keys that no password unlocks (the descriptor has no password key "
            "encryptor)");

    AgileDescriptor d;
    d.keyData = Settings(*keyData);
    d.password = Settings(*encryptedKey);
    d.spinCount = Number(*encryptedKey, "spinCount");
    if (d.spinCount > kMaxSpinCount)
        Damaged("asks for " + std::to_string(d.spinCount) + " hash rounds");
    d.encryptedVerifierHashInput =
        Blob(*encryptedKey, "encryptedVerifierHashInput", d.password.saltSize);
    d.encryptedVerifierHashValue =
        Blob(*encryptedKey, "encryptedVerifierHashValue", d.password.hashSize);
    d.encryptedKeyValue = Blob(*encryptedKey, "encryptedKeyValue", d.keyData.keyBits / 8);
    return d;
}

std::string SerializeAgileDescriptor(const AgileDescriptor& d) {
    return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n") +
           "<encryption xmlns=\"" + kEncryptionNamespace + "\" xmlns:p=\"" + kPasswordNamespace +
           "\" xmlns:c=\"" + kCertificateNamespace + "\"><keyData " +
           SettingsAttributes(d.keyData) + "/><keyEncryptors><keyEncryptor uri=\"" +
           kPasswordNamespace + "\"><p:encryptedKey spinCount=\"" + std::to_string(d.spinCount) +
           "\" " + SettingsAttributes(d.password) + " encryptedVerifierHashInput=\"" +
           EncodeBase64(d.encryptedVerifierHashInput) + "\" encryptedVerifierHashValue=\"" +
           EncodeBase64(d.encryptedVerifierHashValue) + "\" encryptedKeyValue=\"" +
           EncodeBase64(d.encryptedKeyValue) + "\"/></keyEncryptor></keyEncryptors></encryption>";
}

}  // namespace accessdb::crypto
