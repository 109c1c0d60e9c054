// RC4 CryptoAPI: baseHash = SHA-1(salt | password); the key for block bytes b is the first
// keyBits/8 bytes of SHA-1(baseHash | b), a 40-bit key zero-padded to 128 bits.
#include "accessdb/crypto/Rc4CryptoApi.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "accessdb/Rc4.h"
#include "accessdb/Text.h"
#include "accessdb/crypto/Digest.h"

namespace accessdb::crypto {

namespace {

constexpr std::uint32_t kAlgorithmRc4 = 0x6801;
constexpr std::uint32_t kHashSha1 = 0x8004;
constexpr std::uint32_t kFlagAes = 0x20;
constexpr std::size_t kSaltSize = 16;
constexpr std::size_t kVerifierSize = 16;
constexpr std::size_t kEncryptedVerifierHashSize = 20;  // SHA-1

[[noreturn]] void Damaged(const std::string& what) {
    ThrowDamaged("the RC4 CryptoAPI encryption header " + what);
}

[[noreturn]] void Unsupported(const char* what, std::uint32_t id) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%04X", id);
    throw Error(ErrorKind::Encrypted, std::string("its RC4 CryptoAPI header names the ") + what +
                                          " " + hex + ", which this engine cannot read");
}

std::uint32_t U32(Bytes b, std::size_t at) {
    if (at + 4 > b.size())
        Damaged("is cut short");
    return LoadU32(b.data() + at);
}

std::vector<std::uint8_t> Take(Bytes b, std::size_t at, std::size_t size) {
    if (at > b.size() || size > b.size() - at)
        Damaged("is cut short");
    return {b.begin() + static_cast<std::ptrdiff_t>(at),
            b.begin() + static_cast<std::ptrdiff_t>(at + size)};
}

std::vector<std::uint8_t> BlockKey(const Rc4CryptoApiInfo& info, Bytes baseHash,
                                   std::uint32_t block) {
    std::uint8_t blockBytes[4];
    StoreU32(blockBytes, block);
    Hasher sha1(HashAlgorithm::Sha1);
    std::vector<std::uint8_t> key = sha1.Digest({baseHash, Bytes(blockBytes, 4)});
    key.resize(info.keyBits / 8);
    if (info.keyBits == 40)
        key.resize(16, 0);
    return key;
}

class Rc4CryptoApiPageCodec final : public PageCodec {
  public:
    Rc4CryptoApiPageCodec(Rc4CryptoApiInfo info, std::uint32_t databaseKey,
                          std::vector<std::uint8_t> baseHash)
        : info_(std::move(info)), databaseKey_(databaseKey), baseHash_(std::move(baseHash)) {}
    void Decode(std::uint32_t page, MutableBytes bytes) const override { Apply(page, bytes); }
    void Encode(std::uint32_t page, MutableBytes bytes) const override { Apply(page, bytes); }

  private:
    void Apply(std::uint32_t page, MutableBytes bytes) const {
        Rc4 rc4(BlockKey(info_, baseHash_, databaseKey_ ^ page));
        rc4.Apply(bytes);
    }
    Rc4CryptoApiInfo info_;
    std::uint32_t databaseKey_;
    std::vector<std::uint8_t> baseHash_;
};

}  // namespace

Rc4CryptoApiInfo ParseRc4CryptoApiInfo(Bytes b) {
    // flags (a copy), header size, then the header: flags, sizeExtra, algId, algIdHash,
    // keySize, providerType, two reserved words, the CSP name (UTF-16LE, NUL-terminated).
    const std::uint32_t headerSize = U32(b, 4);
    const std::size_t header = 8;
    if (headerSize < 32 || headerSize > b.size() - header)
        Damaged("gives a header size of " + std::to_string(headerSize) + " bytes");
    const std::uint32_t flags = U32(b, header);
    const std::uint32_t algorithm = U32(b, header + 8);
    const std::uint32_t hash = U32(b, header + 12);
    std::uint32_t keyBits = U32(b, header + 16);
    if (flags & kFlagAes)
        throw Error(ErrorKind::Encrypted,
                    "it is encrypted with Office Standard (AES) encryption, which this engine "
                    "cannot read");
    if (algorithm != kAlgorithmRc4 && algorithm != 0)
        Unsupported("cipher", algorithm);
    if (hash != kHashSha1 && hash != 0)
        Unsupported("hash", hash);

    Rc4CryptoApiInfo info;
    std::size_t nameEnd = header + 32;
    while (nameEnd + 1 < header + headerSize && LoadU16(b.data() + nameEnd) != 0)
        nameEnd += 2;
    info.providerName = DecodeText(b.subspan(header + 32, nameEnd - header - 32));
    if (keyBits == 0) {
        // The provider's default: 40 bits for the base provider (or none named), else 128.
        std::string lower = info.providerName;
        std::transform(lower.begin(), lower.end(), lower.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        keyBits = (lower.empty() || lower.find(" base ") != std::string::npos) ? 40 : 128;
    }
    if (keyBits < 40 || keyBits > 128 || keyBits % 8 != 0)
        Damaged("gives an RC4 key of " + std::to_string(keyBits) + " bits");
    info.keyBits = keyBits;

    std::size_t at = header + headerSize;
    const std::uint32_t saltSize = U32(b, at);
    if (saltSize != kSaltSize)
        Damaged("gives a salt of " + std::to_string(saltSize) + " bytes");
    info.salt = Take(b, at + 4, kSaltSize);
    info.encryptedVerifier = Take(b, at + 4 + kSaltSize, kVerifierSize);
    info.verifierHashSize = U32(b, at + 4 + kSaltSize + kVerifierSize);
    if (info.verifierHashSize == 0 || info.verifierHashSize > kEncryptedVerifierHashSize)
        Damaged("gives a verifier hash of " + std::to_string(info.verifierHashSize) + " bytes");
    info.encryptedVerifierHash =
        Take(b, at + 8 + kSaltSize + kVerifierSize, kEncryptedVerifierHashSize);
    return info;
}

std::unique_ptr<PageCodec> UnlockRc4CryptoApi(const Rc4CryptoApiInfo& info,
                                              std::uint32_t databaseKey, Bytes password) {
    Hasher sha1(HashAlgorithm::Sha1);
    std::vector<std::uint8_t> baseHash = sha1.Digest({info.salt, password});
    // The verifier and its hash are one RC4 stream under the key of block 0.
    Rc4 rc4(BlockKey(info, baseHash, 0));
    std::vector<std::uint8_t> verifier = info.encryptedVerifier;
    std::vector<std::uint8_t> verifierHash = info.encryptedVerifierHash;
    rc4.Apply(verifier);
    rc4.Apply(verifierHash);
    const std::vector<std::uint8_t> expected = sha1.Digest({verifier});
    if (!std::equal(expected.begin(), expected.begin() + info.verifierHashSize,
                    verifierHash.begin()))
        return nullptr;
    return std::make_unique<Rc4CryptoApiPageCodec>(info, databaseKey, std::move(baseHash));
}

}  // namespace accessdb::crypto
