// UTF-16 / compressed text / code page conversions.
#include "accessdb/Text.h"

#include <map>
#include <memory>

#ifdef _WIN32
#define NOMINMAX
#include <windows.h>
#else
#include <iconv.h>
#endif

namespace accessdb {

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

namespace {

void AppendUtf16Units(std::string& out, const std::vector<char16_t>& units) {
    for (std::size_t i = 0; i < units.size(); ++i) {
        char32_t u = units[i];
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
            units[i + 1] <= 0xDFFF) {
            AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (units[i + 1] - 0xDC00));
            ++i;
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            AppendUtf8(out, 0xFFFD);
        } else {
            AppendUtf8(out, u);
        }
    }
}

}  // namespace

std::string DecodeText(Bytes stored) {
    std::vector<char16_t> units;
    if (stored.size() >= 2 && stored[0] == 0xFF && stored[1] == 0xFE) {
        units.reserve(stored.size());
        bool compressed = true;
        std::size_t i = 2;
        while (i < stored.size()) {
            if (stored[i] == 0) {
                compressed = !compressed;
                ++i;
            } else if (compressed) {
                units.push_back(stored[i]);
                ++i;
            } else {
                if (i + 1 >= stored.size())
                    break;
                units.push_back(static_cast<char16_t>(stored[i] | (stored[i + 1] << 8)));
                i += 2;
            }
        }
    } else {
        units.reserve(stored.size() / 2);
        for (std::size_t i = 0; i + 1 < stored.size(); i += 2)
            units.push_back(static_cast<char16_t>(stored[i] | (stored[i + 1] << 8)));
    }
    std::string out;
    out.reserve(units.size());
    AppendUtf16Units(out, units);
    return out;
}

namespace {

std::string DecodeWindows1252(Bytes stored) {
    // Windows-1252's 0x80..0x9F; the rest of the page is Latin-1.
    static const char16_t high[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    std::string out;
    out.reserve(stored.size());
    for (std::uint8_t b : stored) {
        if (b >= 0x80 && b < 0xA0)
            AppendUtf8(out, high[b - 0x80]);
        else
            AppendUtf8(out, b);
    }
    return out;
}

bool IsAscii(Bytes stored) {
    for (std::uint8_t b : stored)
        if (b >= 0x80)
            return false;
    return true;
}

#ifdef _WIN32
// The system's converter for Windows code pages.
bool DecodeWithSystem(Bytes stored, std::uint16_t codePage, std::string& out) {
    const char* in = reinterpret_cast<const char*>(stored.data());
    int n = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, in, static_cast<int>(stored.size()),
                                nullptr, 0);
    if (n <= 0)
        return false;
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(codePage, 0, in, static_cast<int>(stored.size()), wide.data(), n);
    int m = WideCharToMultiByte(CP_UTF8, 0, wide.data(), n, nullptr, 0, nullptr, nullptr);
    out.assign(static_cast<std::size_t>(m), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), n, out.data(), m, nullptr, nullptr);
    return true;
}
#else
// iconv knows the Windows code pages as "CP<n>"; one converter per code page is kept for the
// thread's lifetime.
class Converter {
  public:
    explicit Converter(std::uint16_t codePage)
        : cd_(iconv_open("UTF-8", ("CP" + std::to_string(codePage)).c_str())) {}
    ~Converter() {
        if (Usable())
            iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool Usable() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t Handle() const { return cd_; }

  private:
    iconv_t cd_;
};

bool DecodeWithSystem(Bytes stored, std::uint16_t codePage, std::string& out) {
    static thread_local std::map<std::uint16_t, std::unique_ptr<Converter> > converters;
    auto& converter = converters[codePage];
    if (!converter)
        converter = std::make_unique<Converter>(codePage);
    if (!converter->Usable())
        return false;
    iconv_t cd = converter->Handle();
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    std::string buffer(stored.size() * 4 + 8, '\0');
    char* in = const_cast<char*>(reinterpret_cast<const char*>(stored.data()));
    std::size_t inLeft = stored.size();
    char* o = buffer.data();
    std::size_t outLeft = buffer.size();
    if (iconv(cd, &in, &inLeft, &o, &outLeft) == static_cast<std::size_t>(-1))
        return false;
    buffer.resize(buffer.size() - outLeft);
    out = std::move(buffer);
    return true;
}
#endif

}  // namespace

std::string DecodeCodePage(Bytes stored, std::uint16_t codePage) {
    if (codePage == 0 || codePage == 1252 || IsAscii(stored))
        return DecodeWindows1252(stored);
    std::string out;
    if (DecodeWithSystem(stored, codePage, out))
        return out;
    return DecodeWindows1252(stored);
}

std::u16string Utf8ToUtf16(const std::string& s) {
    std::u16string out;
    out.reserve(s.size());
    std::size_t i = 0;
    while (i < s.size()) {
        auto c = static_cast<unsigned char>(s[i]);
        char32_t cp = 0xFFFD;
        std::size_t len = 1;
        if (c < 0x80) {
            cp = c;
        } else if ((c & 0xE0) == 0xC0) {
            len = 2;
        } else if ((c & 0xF0) == 0xE0) {
            len = 3;
        } else if ((c & 0xF8) == 0xF0) {
            len = 4;
        }
        if (len > 1) {
            bool ok = i + len <= s.size();
            char32_t v = c & (0x7F >> len);
            for (std::size_t k = 1; ok && k < len; ++k) {
                auto cc = static_cast<unsigned char>(s[i + k]);
                if ((cc & 0xC0) != 0x80)
                    ok = false;
                v = (v << 6) | (cc & 0x3F);
            }
            if (ok && v <= 0x10FFFF && !(v >= 0xD800 && v <= 0xDFFF) &&
                !((len == 2 && v < 0x80) || (len == 3 && v < 0x800) || (len == 4 && v < 0x10000))) {
                cp = v;
            } else {
                len = 1;
            }
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
        i += len;
    }
    return out;
}

std::vector<std::uint8_t> EncodeText(const std::string& utf8, bool allowCompression) {
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
    for (char16_t u : units) {
        out.push_back(static_cast<std::uint8_t>(u));
        out.push_back(static_cast<std::uint8_t>(u >> 8));
    }
    return out;
}

}  // namespace accessdb
