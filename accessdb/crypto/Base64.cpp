// Base64 by hand: the descriptor's values are a few hundred bytes, and one portable coder keeps
// the strict decoding rules the same on every system.
#include "accessdb/crypto/Base64.h"

namespace accessdb::crypto {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// The 6-bit value of a base64 letter, or -1.
int LetterValue(char c) {
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}

}  // namespace

std::string EncodeBase64(Bytes bytes) {
    std::string out;
    out.reserve(4 * ((bytes.size() + 2) / 3));
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::size_t left = bytes.size() - i;
        std::uint32_t group = static_cast<std::uint32_t>(bytes[i]) << 16;
        if (left > 1)
            group |= static_cast<std::uint32_t>(bytes[i + 1]) << 8;
        if (left > 2)
            group |= bytes[i + 2];
        out += kAlphabet[(group >> 18) & 63];
        out += kAlphabet[(group >> 12) & 63];
        out += left > 1 ? kAlphabet[(group >> 6) & 63] : '=';
        out += left > 2 ? kAlphabet[group & 63] : '=';
    }
    return out;
}

std::optional<std::vector<std::uint8_t>> DecodeBase64(const std::string& text) {
    if (text.size() % 4 != 0)
        return std::nullopt;
    std::size_t padding = 0;
    while (padding < 2 && padding < text.size() && text[text.size() - 1 - padding] == '=')
        ++padding;
    // Every group of four letters is three bytes; padding stands for bytes that are not there.
    std::vector<std::uint8_t> out(text.size() / 4 * 3 - padding);
    std::size_t written = 0;
    std::uint32_t group = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        // Padding counts as zero bits; anywhere but the end, "=" is a stray character.
        const bool isPadding = i + padding >= text.size();
        const int value = isPadding ? 0 : LetterValue(text[i]);
        if (value < 0)
            return std::nullopt;
        group = (group << 6) | static_cast<std::uint32_t>(value);
        if (i % 4 != 3)
            continue;
        for (int shift = 16; shift >= 0 && written < out.size(); shift -= 8)
            out[written++] = static_cast<std::uint8_t>(group >> shift);
        group = 0;
    }
    return out;
}

}  // namespace accessdb::crypto
