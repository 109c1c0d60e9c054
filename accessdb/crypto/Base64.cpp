// Base64 through libcrypto's block coder; the padding it decodes to zero bytes is cut off here.
#include "accessdb/crypto/Base64.h"

#include <openssl/evp.h>

namespace accessdb::crypto {

namespace {

bool IsBase64Letter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' ||
           c == '/';
}

}  // namespace

std::string EncodeBase64(Bytes bytes) {
    std::string out(4 * ((bytes.size() + 2) / 3) + 1, '\0');
    const int length = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out.data()), bytes.data(),
                                       static_cast<int>(bytes.size()));
    out.resize(static_cast<std::size_t>(length));
    return out;
}

std::optional<std::vector<std::uint8_t>> DecodeBase64(const std::string& text) {
    if (text.size() % 4 != 0)
        return std::nullopt;
    std::size_t padding = 0;
    while (padding < 2 && padding < text.size() && text[text.size() - 1 - padding] == '=')
        ++padding;
    // The block coder skips leading blanks and accepts padding in the middle: refuse both.
    for (std::size_t i = 0; i + padding < text.size(); ++i) {
        if (!IsBase64Letter(text[i]))
            return std::nullopt;
    }
    std::vector<std::uint8_t> out(text.size() / 4 * 3 + 1);
    if (text.empty())
        return std::vector<std::uint8_t>{};
    const int length =
        EVP_DecodeBlock(out.data(), reinterpret_cast<const unsigned char*>(text.data()),
                        static_cast<int>(text.size()));
    if (length < 0 || static_cast<std::size_t>(length) < padding)
        return std::nullopt;
    out.resize(static_cast<std::size_t>(length) - padding);
    return out;
}

}  // namespace accessdb::crypto
