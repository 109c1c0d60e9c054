// UTF-16 / compressed text / code page conversions.
#include "accessdb/Text.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <optional>
#include <string_view>

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

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

// Whether every byte lies in 0x01..0x7F, eight bytes at a time: text is encoded once a value
// of every row.
bool IsAsciiWithoutNul(std::string_view text) {
    constexpr std::uint64_t kOnes = 0x0101010101010101ull;
    constexpr std::uint64_t kHighBits = 0x8080808080808080ull;
    std::size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, text.data() + i, 8);
        // A high bit set, or a zero byte (word - ones borrows into its high bit).
        if (((word | ((word - kOnes) & ~word)) & kHighBits) != 0) {
            return false;
        }
    }
    for (; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte == 0 || byte >= 0x80) {
            return false;
        }
    }
    return true;
}

}  // namespace

void EncodeTextInto(const std::string& utf8, bool allowCompression,
                    std::vector<std::uint8_t>& out) {
    // Plain ASCII (the usual case) is encoded in place; anything else goes the general way.
    if (!IsAsciiWithoutNul(utf8)) {
        out = EncodeAnyText(utf8, allowCompression);
        return;
    }
    // Every byte of `out` is written below: its old contents need no clearing.
    const std::size_t n = utf8.size();
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

namespace {

// Windows-1252 from UTF-16, by the decoder's own table read backwards.
bool EncodeWindows1252(const std::u16string& units, std::vector<std::uint8_t>& out,
                       std::string& unmappable) {
    out.clear();
    out.reserve(units.size());
    for (char16_t u : units) {
        int byte = -1;
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            byte = u;
        } else {
            for (int b = 0x80; b < 0xA0 && byte < 0; ++b)
                if (textcodec::Windows1252CodePoint(static_cast<unsigned char>(b)) == u)
                    byte = b;
        }
        if (byte < 0) {
            unmappable.clear();
            if (u >= 0xD800 && u <= 0xDFFF)
                unmappable = "\xEF\xBF\xBD";  // beyond the BMP: no code page has it
            else
                AppendUtf8(unmappable, u);
            return false;
        }
        out.push_back(static_cast<std::uint8_t>(byte));
    }
    return true;
}

#ifdef _WIN32
bool EncodeWithSystem(const std::string& utf8, std::uint16_t codePage,
                      std::vector<std::uint8_t>& out) {
    const std::u16string units = Utf8ToUtf16(utf8);
    const auto* wide = reinterpret_cast<const wchar_t*>(units.data());
    const int count = static_cast<int>(units.size());
    BOOL usedDefault = FALSE;
    const int n = WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide, count, nullptr, 0,
                                      nullptr, &usedDefault);
    if (n <= 0 && count > 0)
        return false;
    out.resize(static_cast<std::size_t>(n));
    WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide, count,
                        reinterpret_cast<char*>(out.data()), n, nullptr, &usedDefault);
    return usedDefault == FALSE;
}
#else
// One encoder per code page is kept for the thread's lifetime; iconv refuses (EILSEQ) a
// character the code page lacks instead of replacing it.
struct Encoder {
    explicit Encoder(std::uint16_t codePage)
        : cd(iconv_open(("CP" + std::to_string(codePage)).c_str(), "UTF-8")) {}
    ~Encoder() {
        if (cd != reinterpret_cast<iconv_t>(-1))
            iconv_close(cd);
    }
    Encoder(const Encoder&) = delete;
    Encoder& operator=(const Encoder&) = delete;
    iconv_t cd;
};

bool EncodeWithSystem(const std::string& utf8, std::uint16_t codePage,
                      std::vector<std::uint8_t>& out) {
    static thread_local std::map<std::uint16_t, Encoder> encoders;
    const iconv_t cd = encoders.try_emplace(codePage, codePage).first->second.cd;
    if (cd == reinterpret_cast<iconv_t>(-1))
        return false;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    out.resize(utf8.size() * 2 + 8);  // double-byte code pages take at most two a character
    char* in = const_cast<char*>(utf8.data());
    std::size_t inLeft = utf8.size();
    char* o = reinterpret_cast<char*>(out.data());
    std::size_t outLeft = out.size();
    if (iconv(cd, &in, &inLeft, &o, &outLeft) == static_cast<std::size_t>(-1) ||
        iconv(cd, nullptr, nullptr, &o, &outLeft) == static_cast<std::size_t>(-1))
        return false;
    out.resize(out.size() - outLeft);
    return true;
}
#endif

// The first character (UTF-8) that the code page cannot hold, tried one at a time.
std::string FirstUnmappable(const std::string& utf8, std::uint16_t codePage) {
    std::vector<std::uint8_t> scratch;
    std::size_t i = 0;
    while (i < utf8.size()) {
        std::size_t len = 1;
        while (i + len < utf8.size() && (static_cast<unsigned char>(utf8[i + len]) & 0xC0) == 0x80)
            ++len;
        const std::string one = utf8.substr(i, len);
        if (!EncodeWithSystem(one, codePage, scratch))
            return one;
        i += len;
    }
    return utf8.substr(0, 1);
}

}  // namespace

bool EncodeCodePage(const std::string& utf8, std::uint16_t codePage, std::vector<std::uint8_t>& out,
                    std::string& unmappable) {
    if (std::all_of(utf8.begin(), utf8.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        out.assign(utf8.begin(), utf8.end());  // the same bytes in every Windows code page
        return true;
    }
    if (codePage == 0 || codePage == 1252)
        return EncodeWindows1252(Utf8ToUtf16(utf8), out, unmappable);
    if (EncodeWithSystem(utf8, codePage, out))
        return true;
    unmappable = FirstUnmappable(utf8, codePage);
    return false;
}

}  // namespace accessdb
