// Hashing and random bytes through Windows' CNG (bcrypt), which every Windows since Vista has:
// the Windows programs then need no OpenSSL beside them.
// clang-format off
#include <windows.h>
#include <bcrypt.h>
// clang-format on

#include "accessdb/crypto/Digest.h"

namespace accessdb::crypto {

namespace {

const wchar_t* CngAlgorithm(HashAlgorithm algorithm) {
    switch (algorithm) {
        case HashAlgorithm::Md5:
            return BCRYPT_MD5_ALGORITHM;
        case HashAlgorithm::Sha1:
            return BCRYPT_SHA1_ALGORITHM;
        case HashAlgorithm::Sha256:
            return BCRYPT_SHA256_ALGORITHM;
        case HashAlgorithm::Sha384:
            return BCRYPT_SHA384_ALGORITHM;
        case HashAlgorithm::Sha512:
            return BCRYPT_SHA512_ALGORITHM;
    }
    return BCRYPT_SHA1_ALGORITHM;
}

}  // namespace

struct Hasher::State {
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    // A reusable hash object (Windows 8 and later): finishing it starts it afresh, so the
    // 100,000-round key derivation makes no object per round. Null where the system has none;
    // then each digest makes its own.
    BCRYPT_HASH_HANDLE reusable = nullptr;
    ~State() {
        if (reusable != nullptr)
            BCryptDestroyHash(reusable);
        if (algorithm != nullptr)
            BCryptCloseAlgorithmProvider(algorithm, 0);
    }
};

Hasher::Hasher(HashAlgorithm algorithm) : state_(std::make_unique<State>()) {
    if (!BCRYPT_SUCCESS(
            BCryptOpenAlgorithmProvider(&state_->algorithm, CngAlgorithm(algorithm), nullptr, 0)))
        ThrowCryptoFailure("preparing a hash");
    size_ = HashSize(algorithm);
    DWORD length = 0;
    ULONG got = 0;
    if (!BCRYPT_SUCCESS(BCryptGetProperty(state_->algorithm, BCRYPT_HASH_LENGTH,
                                          reinterpret_cast<PUCHAR>(&length), sizeof length, &got,
                                          0)) ||
        length != size_)
        ThrowCryptoFailure("preparing a hash");
    if (!BCRYPT_SUCCESS(BCryptCreateHash(state_->algorithm, &state_->reusable, nullptr, 0, nullptr,
                                         0, BCRYPT_HASH_REUSABLE_FLAG)))
        state_->reusable = nullptr;
}

Hasher::~Hasher() = default;

void Hasher::Digest(std::initializer_list<Bytes> parts, std::uint8_t* out) {
    BCRYPT_HASH_HANDLE hash = state_->reusable;
    if (hash == nullptr &&
        !BCRYPT_SUCCESS(BCryptCreateHash(state_->algorithm, &hash, nullptr, 0, nullptr, 0, 0)))
        ThrowCryptoFailure("starting a hash");
    bool ok = true;
    for (Bytes part : parts)
        if (ok && !part.empty())
            ok = BCRYPT_SUCCESS(BCryptHashData(hash, const_cast<PUCHAR>(part.data()),
                                               static_cast<ULONG>(part.size()), 0));
    ok = ok && BCRYPT_SUCCESS(BCryptFinishHash(hash, out, static_cast<ULONG>(size_), 0));
    if (hash != state_->reusable)
        BCryptDestroyHash(hash);
    if (!ok)
        ThrowCryptoFailure("hashing");
}

std::vector<std::uint8_t> RandomBytes(std::size_t count) {
    std::vector<std::uint8_t> out(count);
    if (count != 0 &&
        !BCRYPT_SUCCESS(BCryptGenRandom(nullptr, out.data(), static_cast<ULONG>(count),
                                        BCRYPT_USE_SYSTEM_PREFERRED_RNG)))
        ThrowCryptoFailure("drawing random bytes");
    return out;
}

}  // namespace accessdb::crypto
