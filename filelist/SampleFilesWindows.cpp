// Windows: the registry holds UTF-16 text, and a scrambled record is made of codes 128 to 255,
// which as UTF-8 would be no text at all. Each code is therefore stored as the character the
// ANSI code page gives it, as the system's own GetSetting and SaveSetting store a string.
#include <windows.h>

#include "filelist/SampleFiles.h"
#include "textcodec/WideText.h"

namespace quillmere {
namespace {

// A code page of more than one byte per character (a DBCS page, or UTF-8 as the system's
// page) has no single code for a character: Windows-1252 stands in.
UINT SnapshotCodePage() {
    const UINT page = GetACP();
    CPINFO info{};
    if (GetCPInfo(page, &info) != 0 && info.MaxCharSize == 1) {
        return page;
    }
    return 1252;
}

}  // namespace

std::string ToAnsiCodes(const std::string& text, bool* lossy) {
    if (lossy != nullptr) {
        *lossy = false;
    }
    const std::wstring wide = textcodec::Utf8ToWide(text);
    if (wide.empty()) {
        return {};
    }
    const UINT page = SnapshotCodePage();
    const int size = static_cast<int>(wide.size());
    BOOL usedDefault = FALSE;
    const int n = WideCharToMultiByte(page, WC_NO_BEST_FIT_CHARS, wide.data(), size, nullptr, 0,
                                      nullptr, nullptr);
    std::string codes(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(page, WC_NO_BEST_FIT_CHARS, wide.data(), size, codes.data(), n, nullptr,
                        &usedDefault);
    // Invalid UTF-8 came through as U+FFFD, which no single-byte page holds either.
    if (lossy != nullptr) {
        *lossy = usedDefault != FALSE;
    }
    return codes;
}

std::string FromAnsiCodes(const std::string& codes) {
    if (codes.empty()) {
        return {};
    }
    const UINT page = SnapshotCodePage();
    const int size = static_cast<int>(codes.size());
    const int n = MultiByteToWideChar(page, 0, codes.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(page, 0, codes.data(), size, wide.data(), n);
    return textcodec::WideToUtf8(wide);
}

}  // namespace quillmere
