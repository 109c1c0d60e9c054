#include "filelist/PathCleanup.h"

namespace quillmere {
namespace {
std::string CollapsePairs(const std::string& text, char separator) {
    std::string result;
    result.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        result += text[i];
        if (text[i] == separator && i + 1 < text.size() && text[i + 1] == separator) {
            ++i;  // a pair becomes one; the pass goes on after the pair
        }
    }
    return result;
}
}  // namespace

std::string CollapseSeparators(const std::string& path, char separator) {
    if (path.empty() || path[0] != separator) {
        return CollapsePairs(path, separator);
    }
    size_t k = path.find_first_not_of(separator);
    std::string rest = k == std::string::npos ? std::string() : path.substr(k);
    std::string lead = separator == '\\' ? std::string(2, '\\') : std::string(1, separator);
    return lead + CollapsePairs(rest, separator);
}

std::string CollapseBackslashes(const std::string& path) {
#ifdef _WIN32
    return CollapseSeparators(path, '\\');
#else
    return CollapseSeparators(path, '/');
#endif
}

}  // namespace quillmere
