// Agile key derivation: H0 = H(salt | password), then spinCount rounds of H(i | H), then one
// final hash with a block constant per purpose, cut or padded with 0x36 to the key length.
#include "accessdb/crypto/AgileEncryption.h"

#include <algorithm>

#include "accessdb/crypto/AesCbc.h"
#include "accessdb/crypto/Digest.h"

namespace accessdb::crypto {

namespace {

constexpr std::uint8_t kVerifierInputBlock[8] = {0xFE, 0xA7, 0xD2, 0x76, 0x3B, 0x4B, 0x9E, 0x79};
constexpr std::uint8_t kVerifierHashBlock[8] = {0xD7, 0xAA, 0x0F, 0x6D, 0x30, 0x61, 0x34, 0x4E};
constexpr std::uint8_t kKeyValueBlock[8] = {0x14, 0x6E, 0x0B, 0xE7, 0xAB, 0xAC, 0xD0, 0xD6};

std::vector<std::uint8_t> FitTo(std::vector<std::uint8_t> bytes, std::size_t length,
                                std::uint8_t pad) {
    bytes.resize(length, pad);
    return bytes;
}

// The password hash after every spin; the three keys differ only in their final block.
std::vector<std::uint8_t> IteratedHash(const AgileCipherSettings& s, std::uint32_t spins,
                                       Bytes password) {
    Hasher hasher(s.hash);
    std::vector<std::uint8_t> h = hasher.Digest({s.salt, password});
    std::uint8_t counter[4];
    for (std::uint32_t i = 0; i < spins; ++i) {
        StoreU32(counter, i);
        hasher.Digest({Bytes(counter, 4), h}, h.data());
    }
    return h;
}

std::vector<std::uint8_t> DerivedKey(const AgileCipherSettings& s, Bytes iterated,
                                     const std::uint8_t (&block)[8]) {
    Hasher hasher(s.hash);
    return FitTo(hasher.Digest({iterated, Bytes(block, 8)}), s.keyBits / 8, 0x36);
}

std::vector<std::uint8_t> Iv(const AgileCipherSettings& s) {
    return FitTo(s.salt, s.blockSize, 0x36);
}

std::vector<std::uint8_t> Crypt(bool encrypt, const AgileCipherSettings& s, Bytes iterated,
                                const std::uint8_t (&block)[8], std::vector<std::uint8_t> data) {
    const std::vector<std::uint8_t> key = DerivedKey(s, iterated, block);
    AesCbc cipher(key);
    if (encrypt)
        cipher.Encrypt(Iv(s), data);
    else
        cipher.Decrypt(Iv(s), data);
    return data;
}

// Pages: AES-CBC with the data key; the IV is the keyData hash of its salt and the page's
// block bytes (database key XOR page number).
class AgilePageCodec final : public PageCodec {
  public:
    AgilePageCodec(const AgileCipherSettings& keyData, std::uint32_t databaseKey, Bytes dataKey)
        : keyData_(keyData),
          databaseKey_(databaseKey),
          cipher_(dataKey),
          hasher_(keyData.hash),
          digest_(hasher_.Size()) {}

    void Decode(std::uint32_t page, MutableBytes bytes) const override {
        cipher_.Decrypt(PageIv(page), WholeBlocks(bytes));
    }
    void Encode(std::uint32_t page, MutableBytes bytes) const override {
        cipher_.Encrypt(PageIv(page), WholeBlocks(bytes));
    }

  private:
    static MutableBytes WholeBlocks(MutableBytes bytes) {
        return bytes.first(bytes.size() - bytes.size() % AesCbc::kBlockSize);
    }
    Bytes PageIv(std::uint32_t page) const {
        std::uint8_t block[4];
        StoreU32(block, databaseKey_ ^ page);
        hasher_.Digest({keyData_.salt, Bytes(block, 4)}, digest_.data());
        iv_.assign(digest_.begin(),
                   digest_.begin() + std::min<std::size_t>(digest_.size(), keyData_.blockSize));
        iv_.resize(keyData_.blockSize, 0x36);
        return iv_;
    }

    AgileCipherSettings keyData_;
    std::uint32_t databaseKey_;
    AesCbc cipher_;
    // Scratch space of one page's IV; a page file is used from one thread.
    mutable Hasher hasher_;
    mutable std::vector<std::uint8_t> digest_;
    mutable std::vector<std::uint8_t> iv_;
};

}  // namespace

std::unique_ptr<PageCodec> UnlockAgile(const AgileDescriptor& d, std::uint32_t databaseKey,
                                       Bytes password) {
    const AgileCipherSettings& p = d.password;
    const std::vector<std::uint8_t> iterated = IteratedHash(p, d.spinCount, password);
    std::vector<std::uint8_t> input =
        Crypt(false, p, iterated, kVerifierInputBlock, d.encryptedVerifierHashInput);
    input.resize(p.saltSize);
    const std::vector<std::uint8_t> hashValue =
        Crypt(false, p, iterated, kVerifierHashBlock, d.encryptedVerifierHashValue);
    Hasher hasher(p.hash);
    const std::vector<std::uint8_t> expected = hasher.Digest({input});
    if (!std::equal(expected.begin(), expected.end(), hashValue.begin()))
        return nullptr;
    std::vector<std::uint8_t> dataKey =
        Crypt(false, p, iterated, kKeyValueBlock, d.encryptedKeyValue);
    dataKey.resize(d.keyData.keyBits / 8);
    return std::make_unique<AgilePageCodec>(d.keyData, databaseKey, dataKey);
}

AgileDescriptor NewAgileDescriptor(Bytes password, std::vector<std::uint8_t>& dataKey) {
    AgileDescriptor d;
    d.keyData.salt = RandomBytes(d.keyData.saltSize);
    d.password.salt = RandomBytes(d.password.saltSize);
    dataKey = RandomBytes(d.keyData.keyBits / 8);
    const std::vector<std::uint8_t> verifier = RandomBytes(d.password.saltSize);

    const AgileCipherSettings& p = d.password;
    const std::vector<std::uint8_t> iterated = IteratedHash(p, d.spinCount, password);
    Hasher hasher(p.hash);
    std::vector<std::uint8_t> verifierHash = hasher.Digest({verifier});
    const std::size_t block = p.blockSize;
    verifierHash.resize((verifierHash.size() + block - 1) / block * block, 0);
    d.encryptedVerifierHashInput = Crypt(true, p, iterated, kVerifierInputBlock, verifier);
    d.encryptedVerifierHashValue = Crypt(true, p, iterated, kVerifierHashBlock, verifierHash);
    d.encryptedKeyValue = Crypt(true, p, iterated, kKeyValueBlock, dataKey);
    return d;
}

}  // namespace accessdb::crypto
