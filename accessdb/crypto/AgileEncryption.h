#pragma once
// Agile encryption (EncryptionInfo 4.4): key derivation from the password, the verifier check,
// the data key, and pages encrypted with AES-CBC under a per-page IV.
#include <cstdint>
#include <memory>
#include <vector>

#include "accessdb/PageCodec.h"
#include "accessdb/crypto/AgileDescriptor.h"

namespace accessdb::crypto {

// The page codec, or nullptr when the password does not match the verifier.
std::unique_ptr<PageCodec> UnlockAgile(const AgileDescriptor& descriptor, std::uint32_t databaseKey,
                                       Bytes password);

// A descriptor for a fresh random data key wrapped by the password, with Access's default
// settings (SHA-512, 100,000 spins, AES-256-CBC); `dataKey` receives the key.
AgileDescriptor NewAgileDescriptor(Bytes password, std::vector<std::uint8_t>& dataKey);

}  // namespace accessdb::crypto
