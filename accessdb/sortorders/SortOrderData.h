#pragma once
// The text sort-order tables compiled into the engine (see README.md in this folder): the raw
// text of each table, one line per character.
#include <string_view>

namespace accessdb::sortorders {

extern const std::string_view k_index_codes_genleg;      // General Legacy, U+0000..U+00FF
extern const std::string_view k_index_codes_ext_genleg;  // General Legacy, U+0100..U+FFFF
extern const std::string_view k_index_codes_gen;         // General, U+0000..U+00FF
extern const std::string_view k_index_codes_ext_gen;     // General, U+0100..U+FFFF
extern const std::string_view k_index_codes_gen_97;      // General 97 (Jet 3), U+0000..U+00FF
// General 97: "from,to" decimal pairs, characters above U+00FF that sort as a character below.
extern const std::string_view k_index_mappings_ext_gen_97;

}  // namespace accessdb::sortorders
