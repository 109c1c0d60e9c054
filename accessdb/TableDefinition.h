#pragma once
// A new table as the engine creates it: names and typed columns, independent of how a caller
// described it (Jet SQL, a tool, a test).
#include <string>
#include <vector>

#include "accessdb/ColumnType.h"

namespace accessdb {

struct ColumnDefinition {
    std::string name;
    ColumnType type = ColumnType::Text;
    int size = 255;           // characters; Text columns only
    bool autoNumber = false;  // Long columns: the table hands out the next number
};

struct IndexedColumn {
    std::string name;
    bool ascending = true;
};

// An index of a new table, or one added to a table later.
struct IndexDefinition {
    std::string name;
    std::vector<IndexedColumn> columns;  // one to ten
    bool primaryKey = false;             // also unique and required
    bool unique = false;
    bool ignoreNulls = false;  // rows whose key columns are all Null get no entry
    bool required = false;     // no key column may be Null
};

struct TableDefinition {
    std::string name;
    std::vector<ColumnDefinition> columns;
    std::vector<IndexDefinition> indexes;
};

}  // namespace accessdb
