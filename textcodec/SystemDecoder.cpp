#include "textcodec/SystemDecoder.h"

#include <utility>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <map>
#else
#include <cerrno>
#endif

namespace textcodec {

#ifdef _WIN32
namespace {

unsigned CodePageOfName(const std::string& name) {
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

// Through UTF-16, as Windows converts; `flags` MB_ERR_INVALID_CHARS makes it strict.
std::optional<std::string> CodePageToUtf8(std::string_view bytes, unsigned codePage, DWORD flags) {
    const int size = static_cast<int>(bytes.size());
    const int wideLength = MultiByteToWideChar(codePage, flags, bytes.data(), size, nullptr, 0);
    if (wideLength <= 0) {
        return std::nullopt;
    }
    std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), size, wide.data(), wideLength);
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, out.data(), length, nullptr, nullptr);
    return out;
}

}  // namespace

std::optional<SystemDecoder> SystemDecoder::ForName(const std::string& name) {
    return ForCodePage(CodePageOfName(name));
}

std::optional<SystemDecoder> SystemDecoder::ForCodePage(unsigned codePage) {
    if (codePage == 0 || !IsValidCodePage(codePage)) {
        return std::nullopt;
    }
    return SystemDecoder(codePage);
}

SystemDecoder::SystemDecoder(SystemDecoder&& other) noexcept : codePage_(other.codePage_) {}

SystemDecoder& SystemDecoder::operator=(SystemDecoder&& other) noexcept {
    codePage_ = other.codePage_;
    return *this;
}

SystemDecoder::~SystemDecoder() = default;

Decoded SystemDecoder::Decode(std::string_view bytes) {
    if (bytes.empty()) {
        return {{}, true, std::nullopt};
    }
    std::optional<std::string> text = CodePageToUtf8(bytes, codePage_, MB_ERR_INVALID_CHARS);
    if (text) {
        return {std::move(*text), true, std::nullopt};
    }
    // Windows does not say where the bad bytes are: step through the text one character (one
    // to MaxCharSize bytes) at a time up to the first bytes that make none. Code pages with a
    // shift state cannot be cut into characters so; their error stays without a place.
    CPINFO info{};
    if (!GetCPInfo(codePage_, &info) || info.MaxCharSize < 1 || codePage_ == 65000 ||
        (codePage_ >= 50220 && codePage_ <= 50229) || codePage_ == 52936) {
        return {{}, false, std::nullopt};
    }
    std::size_t at = 0;
    while (at < bytes.size()) {
        std::size_t length = 1;
        while (length <= info.MaxCharSize && at + length <= bytes.size() &&
               !CodePageToUtf8(bytes.substr(at, length), codePage_, MB_ERR_INVALID_CHARS)) {
            ++length;
        }
        if (length > info.MaxCharSize || at + length > bytes.size()) {
            break;
        }
        at += length;
    }
    if (at == bytes.size()) {
        return {{}, false, std::nullopt};  // each character reads, the whole does not
    }
    return {CodePageToUtf8(bytes.substr(0, at), codePage_, 0).value_or(std::string()), false, at};
}

std::string AnsiToUtf8(std::string_view bytes) {
    if (bytes.empty()) {
        return {};
    }
    return CodePageToUtf8(bytes, CP_ACP, 0).value_or(std::string());
}

#else

namespace {
const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);
}  // namespace

std::optional<SystemDecoder> SystemDecoder::ForName(const std::string& name) {
    const iconv_t handle = iconv_open("UTF-8", name.c_str());
    if (handle == kNoConverter) {
        return std::nullopt;
    }
    return SystemDecoder(handle);
}

std::optional<SystemDecoder> SystemDecoder::ForCodePage(unsigned codePage) {
    return ForName("CP" + std::to_string(codePage));
}

SystemDecoder::SystemDecoder(SystemDecoder&& other) noexcept
    : handle_(std::exchange(other.handle_, kNoConverter)) {}

SystemDecoder& SystemDecoder::operator=(SystemDecoder&& other) noexcept {
    std::swap(handle_, other.handle_);
    return *this;
}

SystemDecoder::~SystemDecoder() {
    if (handle_ != kNoConverter) {
        iconv_close(handle_);
    }
}

Decoded SystemDecoder::Decode(std::string_view bytes) {
    iconv(handle_, nullptr, nullptr, nullptr, nullptr);  // a fresh shift state for each text
    std::string out(bytes.size() + bytes.size() / 2 + 16, '\0');
    std::size_t used = 0;
    // Runs one iconv step into the free end of out; false when iconv stopped with an error
    // (errno says which).
    const auto step = [&](char** in, std::size_t* inLeft) {
        char* to = out.data() + used;
        std::size_t toLeft = out.size() - used;
        const std::size_t result = iconv(handle_, in, inLeft, &to, &toLeft);
        used = out.size() - toLeft;
        return result != static_cast<std::size_t>(-1);
    };
    char* in = const_cast<char*>(bytes.data());  // iconv's signature; it never writes there
    std::size_t inLeft = bytes.size();
    while (inLeft > 0) {
        if (!step(&in, &inLeft)) {
            if (errno != E2BIG) {
                // EILSEQ: bytes that are no character; EINVAL: a character cut off by the end.
                out.resize(used);
                return {std::move(out), false, static_cast<std::size_t>(in - bytes.data())};
            }
            out.resize(out.size() * 2);
        }
    }
    // A stateful encoding (ISO-2022) may still owe its closing shift.
    while (!step(nullptr, nullptr) && errno == E2BIG) {
        out.resize(out.size() * 2);
    }
    out.resize(used);
    return {std::move(out), true, std::nullopt};
}

#endif

}  // namespace textcodec
