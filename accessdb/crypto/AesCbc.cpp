// AES-CBC through libcrypto's EVP interface; one prepared context per key, re-armed with each
// page's IV, so a page costs no key schedule.
#include "accessdb/crypto/AesCbc.h"

#include <openssl/evp.h>

#include <string>
#include <vector>

namespace accessdb::crypto {

namespace {

[[noreturn]] void Fail(const std::string& what) {
    throw Error(ErrorKind::NotSupported, "The cryptographic library failed while " + what + ".");
}

}  // namespace

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
            throw Error(ErrorKind::NotSupported, "AES keys are 128, 192 or 256 bits long, not " +
                                                     std::to_string(key.size() * 8) + ".");
    }
    state_->encrypt = EVP_CIPHER_CTX_new();
    state_->decrypt = EVP_CIPHER_CTX_new();
    if (state_->encrypt == nullptr || state_->decrypt == nullptr ||
        EVP_EncryptInit_ex(state_->encrypt, cipher, nullptr, key.data(), nullptr) != 1 ||
        EVP_DecryptInit_ex(state_->decrypt, cipher, nullptr, key.data(), nullptr) != 1 ||
        EVP_CIPHER_CTX_set_padding(state_->encrypt, 0) != 1 ||
        EVP_CIPHER_CTX_set_padding(state_->decrypt, 0) != 1)
        Fail("preparing AES");
}

AesCbc::~AesCbc() = default;

void AesCbc::Encrypt(Bytes iv, MutableBytes bytes) const {
    Run(true, iv, bytes);
}

void AesCbc::Decrypt(Bytes iv, MutableBytes bytes) const {
    Run(false, iv, bytes);
}

void AesCbc::Run(bool encrypt, Bytes iv, MutableBytes bytes) const {
    if (iv.size() != kBlockSize || bytes.size() % kBlockSize != 0)
        Fail("given a partial AES block");
    EVP_CIPHER_CTX* context = encrypt ? state_->encrypt : state_->decrypt;
    // A null cipher and key keep the prepared key schedule; only the IV changes.
    if (EVP_CipherInit_ex(context, nullptr, nullptr, nullptr, iv.data(), encrypt ? 1 : 0) != 1)
        Fail("setting an AES IV");
    int written = 0;
    if (EVP_CipherUpdate(context, bytes.data(), &written, bytes.data(),
                         static_cast<int>(bytes.size())) != 1 ||
        static_cast<std::size_t>(written) != bytes.size())
        Fail(encrypt ? "encrypting with AES" : "decrypting with AES");
    int tail = 0;
    std::uint8_t none[kBlockSize];
    if (EVP_CipherFinal_ex(context, none, &tail) != 1 || tail != 0)
        Fail("finishing AES");
}

}  // namespace accessdb::crypto
