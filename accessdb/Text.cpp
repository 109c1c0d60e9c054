// UTF-16 / compressed text / code page conversions.
#include "accessdb/Text.h"

#include <cstring>
#include <map>
#include <optional>
#include <string_view>

#include "textcodec/SystemDecoder.h"
#include "textcodec/Utf16.h"
#include "textcodec/Windows1252.h"

namespace accessdb {

std::string DecodeText(Bytes stored) {
    std::string out;
    out.reserve(stored.size());
    textcodec::Utf16ToUtf8 decoder(out);
    if (stored.size() >= 2 && stored[0] == 0xFF && stored[1] == 0xFE) {
        bool compressed = true;
        std::size_t i = 2;
        while (i < stored.size()) {
            if (stored[i] == 0) {
                compressed = !compressed;
                ++i;
            } else if (compressed) {
                decoder.Push(stored[i]);
                ++i;
            } else {
                if (i + 1 >= stored.size())
                    break;
                decoder.Push(static_cast<char16_t>(stored[i] | (stored[i + 1] << 8)));
                i += 2;
            }
        }
    } else {
        for (std::size_t i = 0; i + 1 < stored.size(); i += 2)
            decoder.Push(static_cast<char16_t>(stored[i] | (stored[i + 1] << 8)));
    }
    decoder.Finish();
    return out;
}

namespace {

std::string_view AsChars(Bytes stored) {
    return {reinterpret_cast<const char*>(stored.data()), stored.size()};
}

bool IsAscii(Bytes stored) {
    for (std::uint8_t b : stored)
        if (b >= 0x80)
            return false;
    return true;
}

// One system decoder per code page is kept for the thread's lifetime (none: the system has no
// converter for it).
bool DecodeWithSystem(Bytes stored, std::uint16_t codePage, std::string& out) {
    static thread_local std::map<std::uint16_t, std::optional<textcodec::SystemDecoder> > decoders;
    auto found = decoders.find(codePage);
    if (found == decoders.end())
        found = decoders.emplace(codePage, textcodec::SystemDecoder::ForCodePage(codePage)).first;
    if (!found->second)
        return false;
    textcodec::Decoded decoded = found->second->Decode(AsChars(stored));
    if (!decoded.complete)
        return false;
    out = std::move(decoded.text);
    return true;
}

}  // namespace

std::string DecodeCodePage(Bytes stored, std::uint16_t codePage) {
    if (codePage == 0 || codePage == 1252 || IsAscii(stored))
        return textcodec::Windows1252ToUtf8(AsChars(stored));
    std::string out;
    if (DecodeWithSystem(stored, codePage, out))
        return out;
    return textcodec::Windows1252ToUtf8(AsChars(stored));
}

namespace {

// Any text: through UTF-16.
std::vector<std::uint8_t> EncodeAnyText(const std::string& utf8, bool allowCompression) {
    std::u16string units = Utf8ToUtf16(utf8);
    std::vector<std::uint8_t> out;
    bool compress = allowCompression && units.size() > 2 && units.size() <= 1024;
    for (char16_t u : units) {
        if (u == 0 || u > 0xFF) {
            compress = false;
            break;
        }
    }
    if (compress) {
        out.reserve(units.size() + 2);
        out.push_back(0xFF);
        out.push_back(0xFE);
        for (char16_t u : units)
            out.push_back(static_cast<std::uint8_t>(u));
        return out;
    }
    out.reserve(units.size() * 2);
    for (char16_t u : units)
        AppendU16(out, u);
    return out;
}

}  // namespace

void EncodeTextInto(const std::string& utf8, bool allowCompression,
                    std::vector<std::uint8_t>& out) {
    // Plain ASCII (the usual case) is encoded in place; anything else goes the general way.
    bool ascii = true;
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == 0 || byte >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (!ascii) {
        out = EncodeAnyText(utf8, allowCompression);
        return;
    }
    const std::size_t n = utf8.size();
    out.clear();
    if (allowCompression && n > 2 && n <= 1024) {
        out.resize(n + 2);
        out[0] = 0xFF;
        out[1] = 0xFE;
        std::memcpy(out.data() + 2, utf8.data(), n);
        return;
    }
    out.resize(2 * n);
    for (std::size_t i = 0; i < n; ++i) {
        out[2 * i] = static_cast<std::uint8_t>(utf8[i]);
        out[2 * i + 1] = 0;
    }
}

std::vector<std::uint8_t> EncodeText(const std::string& utf8, bool allowCompression) {
    std::vector<std::uint8_t> out;
    EncodeTextInto(utf8, allowCompression, out);
    return out;
}

}  // namespace accessdb
