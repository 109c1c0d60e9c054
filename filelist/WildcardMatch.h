#pragma once
// File-name wildcards as the folder scan and the drop use them ("*.csv", "*.*").
#include <string_view>

namespace quillmere {

// True when `name` matches `pattern`: "*" stands for any run of characters (also none), "?" for
// exactly one character; everything else compares without regard to letter case (ASCII letters),
// as file-name matching does on Windows. A pattern that ends in ".*" also matches a name without
// that dot, so "*.*" matches every name and "data.*" matches "data". Names are UTF-8; a "?" or a
// "*" step never splits a multi-byte character.
bool MatchesWildcard(std::string_view name, std::string_view pattern);

}  // namespace quillmere
