#pragma once
// Decoding the encodings the system knows (code pages such as windows-1251, shift_jis,
// iso-8859-15) into UTF-8: iconv on POSIX systems, the code page functions on Windows.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#ifndef _WIN32
#include <iconv.h>
#endif

namespace textcodec {

struct Decoded {
    // All of the text when `complete`; else what came before the first bytes that are no
    // character (empty where the system does not say).
    std::string text;
    bool complete = false;
    // Where the first bytes that are no character start, when the system can tell (iconv
    // does; on Windows it is found by stepping through the characters, for the code pages
    // without a shift state).
    std::optional<std::size_t> badOffset;
};

class SystemDecoder {
  public:
    // An encoding by name, letter case ignored: any name iconv knows; on Windows the names
    // become code page numbers ("windows-1251", "cp1251" and "1251" alike, "iso-8859-5", and
    // the common names that carry no number: "shift_jis", "koi8-r", "big5", ...). None when the
    // system cannot decode it.
    static std::optional<SystemDecoder> ForName(const std::string& name);
    // A Windows code page by number (iconv knows them as "CP<n>").
    static std::optional<SystemDecoder> ForCodePage(unsigned codePage);

    SystemDecoder(SystemDecoder&& other) noexcept;
    SystemDecoder& operator=(SystemDecoder&& other) noexcept;
    SystemDecoder(const SystemDecoder&) = delete;
    SystemDecoder& operator=(const SystemDecoder&) = delete;
    ~SystemDecoder();

    // Strict: bytes that are no character in the encoding (or one cut off by the end) make the
    // result incomplete rather than being replaced.
    Decoded Decode(std::string_view bytes);

  private:
#ifdef _WIN32
    explicit SystemDecoder(unsigned codePage) : codePage_(codePage) {}
    unsigned codePage_;
#else
    explicit SystemDecoder(iconv_t handle) : handle_(handle) {}
    iconv_t handle_;
#endif
};

#ifdef _WIN32
// Bytes in the system's ANSI code page; whatever it lacks is replaced as Windows replaces it.
std::string AnsiToUtf8(std::string_view bytes);
#endif

}  // namespace textcodec
