#pragma once
#include <string>

namespace quillmere {

// Collapses doubled separators that joining a folder and a name produces. Windows rule ('\\'):
// pairs become one, in one left-to-right pass; a path that starts with '\\' keeps exactly two
// leading backslashes (a network path). Linux rule ('/'): pairs become one in the same pass, and
// a leading run collapses to one '/'.
std::string CollapseBackslashes(const std::string& path);
std::string CollapseSeparators(const std::string& path, char separator);

}  // namespace quillmere
