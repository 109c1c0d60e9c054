#pragma once
// A new table's definition on disk: its TDEF pages (continuation pages when the columns need
// them) and the usage-map page declaring the table's owned and free-space maps and, for every
// Memo column, that column's long-value maps. The table starts without data pages and without
// indexes.
#include <cstdint>
#include <vector>

#include "accessdb/Header.h"
#include "accessdb/PageFile.h"
#include "accessdb/TableDefinition.h"
#include "accessdb/write/PageAllocator.h"

namespace accessdb {

// Writes the definition of `table`; text and memo columns get `sortOrder` and Unicode
// compression. Returns the first TDEF page (the table's id in the catalog).
std::uint32_t WriteNewTableDefinition(PageFile& pages, PageAllocator& allocator,
                                      const TableDefinition& table, SortOrder sortOrder);

}  // namespace accessdb
