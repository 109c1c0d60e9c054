#pragma once
// Windows-1252, the code page of most Western Windows systems and what every reader of Access
// files assumes where a file names no other. The five bytes it leaves undefined map to the C1
// control characters of the same value, as Windows itself maps them.
#include <string>
#include <string_view>

namespace textcodec {

char32_t Windows1252CodePoint(unsigned char byte);

std::string Windows1252ToUtf8(std::string_view bytes);

}  // namespace textcodec
