#pragma once
// The text sort-order tables compiled into the engine (see README.md in this folder): the raw
// text of each table, one line per character.
#include <string_view>

namespace accessdb::sortorders {

extern const std::string_view k_index_codes_genleg;      // General Legacy, U+0000..U+00FF
extern const std::string_view k_index_codes_ext_genleg;  // General Legacy, U+0100..U+FFFF
extern const std::string_view k_index_codes_gen;         // General, U+0000..U+00FF
extern const std::string_view k_index_codes_ext_gen;     // General, U+0100..U+FFFF

}  // namespace accessdb::sortorders
