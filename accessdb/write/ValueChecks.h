#pragma once
// The rules a value must meet before it is stored, whoever supplies it.
#include <string>

#include "accessdb/TableDef.h"
#include "accessdb/Value.h"

namespace accessdb {

// The first 40 bytes of a value's text (whole UTF-8 characters) and "..." when it is longer:
// enough for a message to show which value was meant.
std::string StartOf(const std::string& text);

// Throws 3163 when a Text value is longer than its column (counted in UTF-16 units, as
// Access counts characters; Jet 3 columns declare their size in code-page bytes, which the
// encoder checks again for double-byte code pages).
void CheckTextFits(const std::string& table, const ColumnDef& column, const Value& value,
                   const Format& format);

}  // namespace accessdb
