#pragma once
// The table definition (TDEF) of a system table in a new database, with its indexes: the same
// layout the engine writes (column blocks and logical indexes in name order, every column
// carrying the database's sort order, one long-value map pair per Memo/OLE column).
#include <cstdint>
#include <vector>

#include "accessdb/Bytes.h"
#include "accessdb/Format.h"
#include "accessdb/Header.h"
#include "accessdb/create/SystemObjects.h"

namespace accessdb::create {

// Where a new table's usage maps and index roots are.
struct TablePlacement {
    std::uint32_t tdefPage = 0;
    RowPointer ownedMap;
    RowPointer freeMap;
    std::vector<RowPointer> indexMaps;                             // one per real index
    std::vector<std::uint32_t> indexRoots;                         // one per real index
    std::vector<std::pair<RowPointer, RowPointer>> longValueMaps;  // owned, free per Memo/OLE
                                                                   // column, in block order
};

// How many Memo/OLE columns the table has (each needs a pair of usage maps).
std::size_t LongValueColumnCount(const SystemTable& table);

// The whole definition page (it always fits one page). Throws NotSupported when it would not.
std::vector<std::uint8_t> BuildSystemTableDef(const SystemTable& table, const Format& format,
                                              SortOrder sortOrder, const TablePlacement& where);

}  // namespace accessdb::create
