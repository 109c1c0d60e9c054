#pragma once
// Hash functions of Office encryption, from OpenSSL's libcrypto (CNG on Windows). The names are the
// ones an encryption descriptor uses ("SHA512", "SHA-1", ...).
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "accessdb/Bytes.h"

namespace accessdb::crypto {

enum class HashAlgorithm { Md5, Sha1, Sha256, Sha384, Sha512 };

// The algorithm a descriptor names (letter case and a hyphen ignored), or nullopt.
std::optional<HashAlgorithm> HashAlgorithmNamed(const std::string& name);
// The name written into new descriptors: "SHA512", "SHA1", ...
std::string HashAlgorithmName(HashAlgorithm algorithm);
std::size_t HashSize(HashAlgorithm algorithm);

// One hash computation over several parts; reusable (Digest restarts it).
class Hasher {
  public:
    explicit Hasher(HashAlgorithm algorithm);
    ~Hasher();
    Hasher(const Hasher&) = delete;
    Hasher& operator=(const Hasher&) = delete;

    std::size_t Size() const { return size_; }
    // The hash of the parts, written to `out` (Size() bytes).
    void Digest(std::initializer_list<Bytes> parts, std::uint8_t* out);
    std::vector<std::uint8_t> Digest(std::initializer_list<Bytes> parts);

  private:
    struct State;
    std::unique_ptr<State> state_;
    std::size_t size_ = 0;
};

// `count` random bytes from the operating system's generator (through libcrypto, on Windows
// through CNG).
std::vector<std::uint8_t> RandomBytes(std::size_t count);

// Throws Error(NotSupported) saying what the system's cryptographic library failed at.
[[noreturn]] void ThrowCryptoFailure(const char* what);

}  // namespace accessdb::crypto
