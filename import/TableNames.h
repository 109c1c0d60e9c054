#pragma once
// Table names: the name made for each file, and the test against the page's table list.
#include <string>
#include <string_view>

namespace quillmere {

class TableList;

// The pattern with every "[counter]" (exactly so, case-sensitive) replaced by the file number
// in decimal. Nothing else changes: spaces and punctuation stay.
std::string MakeTableName(std::string_view pattern, int fileNumber);

// The pattern with every "[counter]" replaced by replacement.
std::string ReplaceCounter(std::string_view pattern, std::string_view replacement);

// A lower-case form of a name for comparing names without regard to letter case: ASCII and the
// Latin, Greek and Cyrillic letters that have a simple lower-case partner.
std::string LowerCaseName(std::string_view name);

// True when any entry of the list equals name, both lower-cased. An empty list gives false.
bool TableListContains(const TableList& tables, std::string_view name);

}  // namespace quillmere
