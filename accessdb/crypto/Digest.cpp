// The hash algorithms' names and sizes; the hashing itself is the system's (DigestPosix.cpp,
// DigestWindows.cpp).
#include "accessdb/crypto/Digest.h"

#include <algorithm>
#include <cctype>

namespace accessdb::crypto {

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

void ThrowCryptoFailure(const char* what) {
    throw Error(ErrorKind::NotSupported,
                std::string("The cryptographic library failed while ") + what + ".");
}

std::vector<std::uint8_t> Hasher::Digest(std::initializer_list<Bytes> parts) {
    std::vector<std::uint8_t> out(size_);
    Digest(parts, out.data());
    return out;
}

}  // namespace accessdb::crypto
