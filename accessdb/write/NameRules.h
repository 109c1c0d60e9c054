#pragma once
// Access's rules for table and column names: 1 to 64 characters, not starting with a space,
// no control characters and none of . ! ` [ ].
#include <string>

namespace accessdb {

inline constexpr std::size_t kMaxNameLength = 64;
inline constexpr std::size_t kMaxColumnsPerTable = 255;

// Throws Error(Constraint, 3125) naming `what` ("table", "column") and the name when it breaks
// a rule.
void CheckObjectName(const std::string& name, const char* what);

// Whether two names are the same to Access: letter case ignored (as the catalog's text index
// compares them, beyond ASCII too).
bool SameName(const std::string& a, const std::string& b);

}  // namespace accessdb
