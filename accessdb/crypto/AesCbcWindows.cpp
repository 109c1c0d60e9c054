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
    // The IV of the last call (see Run).
    UCHAR lastIv[AesCbc::kBlockSize] = {};
    bool haveLastIv = false;
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
    // Wine's CNG (8.0) restarts the chain only when a call brings another IV than the call
    // before: given the same IV twice in a row (a page encrypted for the journal and again for
    // the file, or read twice) it would go on from where the last call ended, and the page
    // would come out wrong. A one-block call with another IV first makes it restart; Windows
    // itself starts every call from the IV given, so there it only costs that block.
    UCHAR chain[kBlockSize];
    if (state_->haveLastIv && std::memcmp(state_->lastIv, iv.data(), kBlockSize) == 0) {
        UCHAR block[kBlockSize] = {};
        for (std::size_t i = 0; i < kBlockSize; ++i)
            chain[i] = static_cast<UCHAR>(~iv[i]);
        ULONG done = 0;
        if (!BCRYPT_SUCCESS(BCryptEncrypt(state_->key, block, kBlockSize, nullptr, chain,
                                          kBlockSize, block, kBlockSize, &done, 0)))
            ThrowCryptoFailure("encrypting with AES");
    }
    std::memcpy(state_->lastIv, iv.data(), kBlockSize);
    state_->haveLastIv = true;
    // CNG advances the IV buffer it is given: each call works on its own copy.
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
