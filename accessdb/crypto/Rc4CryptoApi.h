#pragma once
// RC4 CryptoAPI encryption (EncryptionInfo 2.2/3.2/4.2 with the CryptoAPI flag): the
// EncryptionHeader and EncryptionVerifier that follow the version, the SHA-1 key derivation
// and pages RC4-encrypted with a key per page.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "accessdb/PageCodec.h"

namespace accessdb::crypto {

struct Rc4CryptoApiInfo {
    std::uint32_t keyBits = 128;
    std::string providerName;  // the CSP name, for messages
    std::vector<std::uint8_t> salt;
    std::vector<std::uint8_t> encryptedVerifier;
    std::uint32_t verifierHashSize = 20;
    std::vector<std::uint8_t> encryptedVerifierHash;
};

// Reads the structure after the 4-byte version. Throws Damaged for a cut-short or inconsistent
// structure and Encrypted for algorithms other than RC4 with SHA-1.
Rc4CryptoApiInfo ParseRc4CryptoApiInfo(Bytes afterVersion);

// The page codec, or nullptr when the password does not match the verifier.
std::unique_ptr<PageCodec> UnlockRc4CryptoApi(const Rc4CryptoApiInfo& info,
                                              std::uint32_t databaseKey, Bytes password);

}  // namespace accessdb::crypto
