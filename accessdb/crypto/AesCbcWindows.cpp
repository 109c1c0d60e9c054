// AES-CBC through Windows' CNG (bcrypt): one key object per key (its schedule made once), each
// call given the page's IV.
// clang-format off
#include <windows.h>
#include <bcrypt.h>
// clang-format on

#include <cstring>

#include "accessdb/crypto/AesCbc.h"
#include "accessdb/crypto/Digest.h"

namespace accessdb::crypto {

struct AesCbc::State {
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    BCRYPT_KEY_HANDLE key = nullptr;
    ~State() {
        if (key != nullptr)
            BCryptDestroyKey(key);
        if (algorithm != nullptr)
            BCryptCloseAlgorithmProvider(algorithm, 0);
    }
};

AesCbc::AesCbc(Bytes key) : state_(std::make_unique<State>()) {
    if (key.size() != 16 && key.size() != 24 && key.size() != 32)
        ThrowBadAesKey(key.size());
    wchar_t chaining[] = BCRYPT_CHAIN_MODE_CBC;
    if (!BCRYPT_SUCCESS(
            BCryptOpenAlgorithmProvider(&state_->algorithm, BCRYPT_AES_ALGORITHM, nullptr, 0)) ||
        !BCRYPT_SUCCESS(BCryptSetProperty(state_->algorithm, BCRYPT_CHAINING_MODE,
                                          reinterpret_cast<PUCHAR>(chaining), sizeof chaining,
                                          0)) ||
        !BCRYPT_SUCCESS(BCryptGenerateSymmetricKey(state_->algorithm, &state_->key, nullptr, 0,
                                                   const_cast<PUCHAR>(key.data()),
                                                   static_cast<ULONG>(key.size()), 0)))
        ThrowCryptoFailure("preparing AES");
}

AesCbc::~AesCbc() = default;

void AesCbc::Run(bool encrypt, Bytes iv, MutableBytes bytes) const {
    RequireWholeBlocks(iv, bytes);
    if (bytes.empty())
        return;
    // CNG advances the IV buffer it is given: each call works on its own copy.
    UCHAR chain[kBlockSize];
    std::memcpy(chain, iv.data(), kBlockSize);
    const ULONG size = static_cast<ULONG>(bytes.size());
    ULONG written = 0;
    // No padding flag: the callers hand over whole blocks and expect exactly as many back.
    const NTSTATUS status = encrypt ? BCryptEncrypt(state_->key, bytes.data(), size, nullptr, chain,
                                                    kBlockSize, bytes.data(), size, &written, 0)
                                    : BCryptDecrypt(state_->key, bytes.data(), size, nullptr, chain,
                                                    kBlockSize, bytes.data(), size, &written, 0);
    if (!BCRYPT_SUCCESS(status) || written != size)
        ThrowCryptoFailure(encrypt ? "encrypting with AES" : "decrypting with AES");
}

}  // namespace accessdb::crypto
