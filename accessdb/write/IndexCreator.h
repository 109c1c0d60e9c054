#pragma once
// New indexes on a table: the real and logical index blocks in its definition, an owned-pages
// usage map and an empty root leaf per index, then one entry for every row already in the
// table. Indexes with the same columns, order and flags share one real index, as in Access.
#include <cstdint>
#include <string>
#include <vector>

#include "accessdb/PageFile.h"
#include "accessdb/TableDefinition.h"
#include "accessdb/write/PageAllocator.h"

namespace accessdb {

// Throws Error(Constraint) naming the table and index for a definition Access refuses (a bad
// or repeated name, no or more than ten columns, an unknown or repeated column, a column that
// cannot be indexed, a second primary key, more than 32 indexes), Error(NotSupported) for keys
// this engine cannot write, 3022 / 3058 when the existing rows break a unique or required
// index. Changes only cached pages; the caller's statement makes them last or drops them.
void AddIndexes(PageFile& pages, PageAllocator& allocator, const std::string& tableName,
                std::uint32_t tdefPage, const std::vector<IndexDefinition>& indexes);

}  // namespace accessdb
