#include "import/NamedEncoding.h"

#include <cerrno>

#include "import/CsvSplitter.h"
#include "import/ImportError.h"

#ifdef _WIN32
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdlib>
#include <map>
#else
#include <iconv.h>
#endif

namespace quillmere {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

std::string WithoutBom(std::string text) {
    if (std::string_view(text).starts_with(kUtf8Bom)) {
        text.erase(0, kUtf8Bom.size());
    }
    return text;
}

#ifndef _WIN32
[[noreturn]] void ThrowNotText(const std::string& name, const std::string& filePath,
                               std::string_view decodedBefore, size_t byteOffset) {
    // The text decoded so far ends where the bad bytes start, so its lines count the file's.
    throw ImportError("The file " + filePath + " is not " + name + " text: the bytes on line " +
                      std::to_string(LineNumberAt(decodedBefore, decodedBefore.size())) +
                      " (at byte " + std::to_string(byteOffset) + ") cannot be read in " + name +
                      ".");
}
#else
// Windows has no iconv: the names become code page numbers, "windows-1251", "cp1251" and
// "1251" alike, plus the common names that carry no number of their own.
unsigned CodePage(const std::string& name) {
    std::string lower;
    for (const char c : name) {
        if (c != '-' && c != '_') {
            lower.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
        }
    }
    static const std::map<std::string, unsigned> kNamed = {
        {"utf8", 65001},    {"shiftjis", 932},   {"sjis", 932},     {"gbk", 936},
        {"gb2312", 936},    {"big5", 950},       {"euckr", 949},    {"eucjp", 20932},
        {"koi8r", 20866},   {"koi8u", 21866},    {"latin1", 28591}, {"ascii", 20127},
        {"usascii", 20127}, {"macintosh", 10000}};
    if (const auto found = kNamed.find(lower); found != kNamed.end()) {
        return found->second;
    }
    for (const std::string prefix : {"windows", "cp", "ibm", ""}) {
        if (lower.rfind(prefix, 0) == 0 && lower.size() > prefix.size() &&
            std::all_of(lower.begin() + static_cast<std::ptrdiff_t>(prefix.size()), lower.end(),
                        [](char c) { return c >= '0' && c <= '9'; })) {
            return static_cast<unsigned>(std::strtoul(lower.c_str() + prefix.size(), nullptr, 10));
        }
    }
    if (lower.rfind("iso8859", 0) == 0 && lower.size() > 7) {
        return 28590 + static_cast<unsigned>(std::strtoul(lower.c_str() + 7, nullptr, 10));
    }
    return 0;
}
#endif

}  // namespace

bool IsKnownEncoding(const std::string& name) {
#ifdef _WIN32
    const unsigned page = CodePage(name);
    return page != 0 && IsValidCodePage(page);
#else
    const iconv_t converter = iconv_open("UTF-8", name.c_str());
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        return false;
    }
    iconv_close(converter);
    return true;
#endif
}

std::string DecodeNamedEncoding(std::string_view bytes, const std::string& name,
                                const std::string& filePath) {
    if (bytes.empty()) {
        return {};
    }
#ifdef _WIN32
    const unsigned page = CodePage(name);
    const int size = static_cast<int>(bytes.size());
    const int wideLength =
        MultiByteToWideChar(page, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
    if (wideLength == 0) {
        // Windows does not say where the bytes are.
        throw ImportError("The file " + filePath + " is not " + name +
                          " text: some of its bytes cannot be read in " + name + ".");
    }
    std::wstring wide(static_cast<size_t>(wideLength), L'\0');
    MultiByteToWideChar(page, 0, bytes.data(), size, wide.data(), wideLength);
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, out.data(), length, nullptr, nullptr);
    return WithoutBom(std::move(out));
#else
    const iconv_t converter = iconv_open("UTF-8", name.c_str());
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        throw ImportError("The encoding " + name + " is not known on this system (reading " +
                          filePath + ").");
    }
    struct Closer {
        iconv_t converter;
        ~Closer() { iconv_close(converter); }
    } closer{converter};

    std::string out(bytes.size() + bytes.size() / 2 + 16, '\0');
    size_t used = 0;
    // Runs one iconv step into the free end of out; false when iconv stopped with an error
    // (errno says which).
    const auto step = [&](char** in, size_t* inLeft) {
        char* to = out.data() + used;
        size_t toLeft = out.size() - used;
        const size_t result = iconv(converter, in, inLeft, &to, &toLeft);
        used = out.size() - toLeft;
        return result != static_cast<size_t>(-1);
    };
    char* in = const_cast<char*>(bytes.data());  // iconv's signature; it never writes there
    size_t inLeft = bytes.size();
    while (inLeft > 0) {
        if (!step(&in, &inLeft)) {
            if (errno != E2BIG) {
                // EILSEQ: bytes that are no character; EINVAL: a character cut off by the end.
                ThrowNotText(name, filePath, std::string_view(out.data(), used),
                             static_cast<size_t>(in - bytes.data()));
            }
            out.resize(out.size() * 2);
        }
    }
    // A stateful encoding (ISO-2022) may still owe its closing shift.
    while (!step(nullptr, nullptr) && errno == E2BIG) {
        out.resize(out.size() * 2);
    }
    out.resize(used);
    return WithoutBom(std::move(out));
#endif
}

}  // namespace quillmere
