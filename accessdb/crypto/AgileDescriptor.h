#pragma once
// The XML descriptor of Agile encryption (EncryptionInfo version 4.4): the data key's cipher
// settings (keyData) and the password key encryptor that wraps the data key. Decoder and
// encoder side by side; both check what this engine can use.
#include <cstdint>
#include <string>
#include <vector>

#include "accessdb/crypto/Digest.h"

namespace accessdb::crypto {

struct AgileCipherSettings {
    std::uint32_t saltSize = 16;
    std::uint32_t blockSize = 16;
    std::uint32_t keyBits = 256;
    std::uint32_t hashSize = 64;
    HashAlgorithm hash = HashAlgorithm::Sha512;
    std::vector<std::uint8_t> salt;
};

struct AgileDescriptor {
    AgileCipherSettings keyData;   // how pages are encrypted
    AgileCipherSettings password;  // how the password wraps the data key
    std::uint32_t spinCount = 100000;
    std::vector<std::uint8_t> encryptedVerifierHashInput;
    std::vector<std::uint8_t> encryptedVerifierHashValue;
    std::vector<std::uint8_t> encryptedKeyValue;
};

// Reads the descriptor's XML text. Throws Damaged for malformed XML or values, and Encrypted
// for settings this engine does not support (a cipher other than AES-CBC, an unknown hash, no
// password key encryptor), each with the reason.
AgileDescriptor ParseAgileDescriptor(std::string_view xml);
// The XML text Access writes for these settings.
std::string SerializeAgileDescriptor(const AgileDescriptor& descriptor);

}  // namespace accessdb::crypto
