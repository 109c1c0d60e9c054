#pragma once
// The Access 97 (Jet 3) table definition, written: a 35-byte header block without the Jet 4
// constants, 8-byte index row-count blocks, 18-byte column blocks, 39- and 20-byte index blocks,
// and names in the database's code page behind a one-byte length. The reader is TableDef::Load.
#include <cstdint>
#include <vector>

#include "accessdb/TableDef.h"

namespace accessdb {

// The logical definition buffer of `table` (TableDef::Serialize for Jet 3). Bytes the engine
// does not interpret come from the blocks as read. Throws Error(Constraint) naming the name and
// the character when a column or index name has a character `codePage` cannot hold.
std::vector<std::uint8_t> SerializeJet3(const TableDef& table, const Format& format,
                                        std::uint16_t codePage);

// A new Jet 3 column block: the constant 1 at 7, the sort order's LCID at 9 and the code page
// at 11, which Access 97 writes for columns of every type.
std::vector<std::uint8_t> NewJet3ColumnBlock(SortOrder sortOrder, std::uint16_t codePage = 1252);

// Bytes 2..3 of every Jet 3 definition page: "VC" where Jet 4 keeps the free space.
void StoreJet3DefinitionMark(std::uint8_t* at);

// `name` in code page `codePage`, or Error(Constraint, 3421) naming `what` ("column", "index",
// "table"), the name and the character.
std::vector<std::uint8_t> EncodeJet3Name(const std::string& name, std::uint16_t codePage,
                                         const char* what);

}  // namespace accessdb
