// Hashing and random bytes through libcrypto's EVP interface.
#include <openssl/evp.h>
#include <openssl/rand.h>

#include "accessdb/crypto/Digest.h"

namespace accessdb::crypto {

namespace {

// The digest fetched once per hasher: an implicit fetch on every hash costs a lock and a name
// lookup in libcrypto 3, which shows in per-page IVs and 100,000-round key derivations.
EVP_MD* FetchMd(HashAlgorithm algorithm) {
    return EVP_MD_fetch(nullptr, HashAlgorithmName(algorithm).c_str(), nullptr);
}

}  // namespace

struct Hasher::State {
    EVP_MD* md = nullptr;
    EVP_MD_CTX* context = nullptr;
    ~State() {
        EVP_MD_CTX_free(context);
        EVP_MD_free(md);
    }
};

Hasher::Hasher(HashAlgorithm algorithm) : state_(std::make_unique<State>()) {
    state_->md = FetchMd(algorithm);
    state_->context = EVP_MD_CTX_new();
    if (state_->md == nullptr || state_->context == nullptr)
        ThrowCryptoFailure("preparing a hash");
    size_ = HashSize(algorithm);
    if (static_cast<std::size_t>(EVP_MD_get_size(state_->md)) != size_)
        ThrowCryptoFailure("preparing a hash");
}

Hasher::~Hasher() = default;

void Hasher::Digest(std::initializer_list<Bytes> parts, std::uint8_t* out) {
    if (EVP_DigestInit_ex(state_->context, state_->md, nullptr) != 1)
        ThrowCryptoFailure("starting a hash");
    for (Bytes part : parts)
        if (!part.empty() && EVP_DigestUpdate(state_->context, part.data(), part.size()) != 1)
            ThrowCryptoFailure("hashing");
    unsigned int length = 0;
    if (EVP_DigestFinal_ex(state_->context, out, &length) != 1 || length != size_)
        ThrowCryptoFailure("finishing a hash");
}

std::vector<std::uint8_t> RandomBytes(std::size_t count) {
    std::vector<std::uint8_t> out(count);
    if (count != 0 && RAND_bytes(out.data(), static_cast<int>(count)) != 1)
        ThrowCryptoFailure("drawing random bytes");
    return out;
}

}  // namespace accessdb::crypto
