// Hashing and random bytes through libcrypto's EVP interface.
#include "accessdb/crypto/Digest.h"

#include <openssl/evp.h>
#include <openssl/rand.h>

#include <algorithm>
#include <cctype>

namespace accessdb::crypto {

namespace {

// The digest fetched once per hasher: an implicit fetch on every hash costs a lock and a name
// lookup in libcrypto 3, which shows in per-page IVs and 100,000-round key derivations.
EVP_MD* FetchMd(HashAlgorithm algorithm) {
    return EVP_MD_fetch(nullptr, HashAlgorithmName(algorithm).c_str(), nullptr);
}

[[noreturn]] void Fail(const char* what) {
    throw Error(ErrorKind::NotSupported,
                std::string("The cryptographic library failed while ") + what + ".");
}

}  // namespace

std::optional<HashAlgorithm> HashAlgorithmNamed(const std::string& name) {
    std::string key;
    for (char c : name)
        if (c != '-')
            key += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (key == "SHA1")
        return HashAlgorithm::Sha1;
    if (key == "SHA256")
        return HashAlgorithm::Sha256;
    if (key == "SHA384")
        return HashAlgorithm::Sha384;
    if (key == "SHA512")
        return HashAlgorithm::Sha512;
    if (key == "MD5")
        return HashAlgorithm::Md5;
    return std::nullopt;
}

std::string HashAlgorithmName(HashAlgorithm algorithm) {
    switch (algorithm) {
        case HashAlgorithm::Md5:
            return "MD5";
        case HashAlgorithm::Sha1:
            return "SHA1";
        case HashAlgorithm::Sha256:
            return "SHA256";
        case HashAlgorithm::Sha384:
            return "SHA384";
        case HashAlgorithm::Sha512:
            return "SHA512";
    }
    return "SHA1";
}

std::size_t HashSize(HashAlgorithm algorithm) {
    switch (algorithm) {
        case HashAlgorithm::Md5:
            return 16;
        case HashAlgorithm::Sha1:
            return 20;
        case HashAlgorithm::Sha256:
            return 32;
        case HashAlgorithm::Sha384:
            return 48;
        case HashAlgorithm::Sha512:
            return 64;
    }
    return 0;
}

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
        Fail("preparing a hash");
    size_ = HashSize(algorithm);
    if (static_cast<std::size_t>(EVP_MD_get_size(state_->md)) != size_)
        Fail("preparing a hash");
}

Hasher::~Hasher() = default;

void Hasher::Digest(std::initializer_list<Bytes> parts, std::uint8_t* out) {
    if (EVP_DigestInit_ex(state_->context, state_->md, nullptr) != 1)
        Fail("starting a hash");
    for (Bytes part : parts)
        if (!part.empty() && EVP_DigestUpdate(state_->context, part.data(), part.size()) != 1)
            Fail("hashing");
    unsigned int length = 0;
    if (EVP_DigestFinal_ex(state_->context, out, &length) != 1 || length != size_)
        Fail("finishing a hash");
}

std::vector<std::uint8_t> Hasher::Digest(std::initializer_list<Bytes> parts) {
    std::vector<std::uint8_t> out(size_);
    Digest(parts, out.data());
    return out;
}

std::vector<std::uint8_t> RandomBytes(std::size_t count) {
    std::vector<std::uint8_t> out(count);
    if (count != 0 && RAND_bytes(out.data(), static_cast<int>(count)) != 1)
        Fail("drawing random bytes");
    return out;
}

}  // namespace accessdb::crypto
