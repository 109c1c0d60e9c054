#pragma once
// Base64 (RFC 4648, with padding) for the binary values of an encryption descriptor.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "accessdb/Bytes.h"

namespace accessdb::crypto {

std::string EncodeBase64(Bytes bytes);
// nullopt for text that is not base64 (wrong length, stray characters, misplaced padding).
std::optional<std::vector<std::uint8_t>> DecodeBase64(const std::string& text);

}  // namespace accessdb::crypto
