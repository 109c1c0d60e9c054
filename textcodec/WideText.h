#pragma once
// Windows' own text is UTF-16 (the W functions); ours is UTF-8 throughout. These convert paths
// and messages at the boundary, so no ANSI code page ever loses a character of a file name.
#ifdef _WIN32
#include <string>
#include <string_view>

namespace textcodec {

// Invalid UTF-8 becomes U+FFFD, as the system converts it.
std::wstring Utf8ToWide(std::string_view text);
// An unpaired surrogate becomes U+FFFD.
std::string WideToUtf8(std::wstring_view text);

}  // namespace textcodec
#endif
