// AES-CBC through libcrypto's EVP interface; one prepared context per key, re-armed with each
// page's IV, so a page costs no key schedule.
#include "accessdb/crypto/AesCbc.h"

#include <openssl/evp.h>

#include "accessdb/crypto/Digest.h"

namespace accessdb::crypto {

struct AesCbc::State {
    EVP_CIPHER_CTX* encrypt = nullptr;
    EVP_CIPHER_CTX* decrypt = nullptr;
    ~State() {
        EVP_CIPHER_CTX_free(encrypt);
        EVP_CIPHER_CTX_free(decrypt);
    }
};

AesCbc::AesCbc(Bytes key) : state_(std::make_unique<State>()) {
    const EVP_CIPHER* cipher = nullptr;
    switch (key.size()) {
        case 16:
            cipher = EVP_aes_128_cbc();
            break;
        case 24:
            cipher = EVP_aes_192_cbc();
            break;
        case 32:
            cipher = EVP_aes_256_cbc();
            break;
        default:
            ThrowBadAesKey(key.size());
    }
    state_->encrypt = EVP_CIPHER_CTX_new();
    state_->decrypt = EVP_CIPHER_CTX_new();
    if (state_->encrypt == nullptr || state_->decrypt == nullptr ||
        EVP_EncryptInit_ex(state_->encrypt, cipher, nullptr, key.data(), nullptr) != 1 ||
        EVP_DecryptInit_ex(state_->decrypt, cipher, nullptr, key.data(), nullptr) != 1 ||
        EVP_CIPHER_CTX_set_padding(state_->encrypt, 0) != 1 ||
        EVP_CIPHER_CTX_set_padding(state_->decrypt, 0) != 1)
        ThrowCryptoFailure("preparing AES");
}

AesCbc::~AesCbc() = default;

void AesCbc::Run(bool encrypt, Bytes iv, MutableBytes bytes) const {
    RequireWholeBlocks(iv, bytes);
    EVP_CIPHER_CTX* context = encrypt ? state_->encrypt : state_->decrypt;
    // A null cipher and key keep the prepared key schedule; only the IV changes.
    if (EVP_CipherInit_ex(context, nullptr, nullptr, nullptr, iv.data(), encrypt ? 1 : 0) != 1)
        ThrowCryptoFailure("setting an AES IV");
    int written = 0;
    if (EVP_CipherUpdate(context, bytes.data(), &written, bytes.data(),
                         static_cast<int>(bytes.size())) != 1 ||
        static_cast<std::size_t>(written) != bytes.size())
        ThrowCryptoFailure(encrypt ? "encrypting with AES" : "decrypting with AES");
    int tail = 0;
    std::uint8_t none[kBlockSize];
    if (EVP_CipherFinal_ex(context, none, &tail) != 1 || tail != 0)
        ThrowCryptoFailure("finishing AES");
}

}  // namespace accessdb::crypto
