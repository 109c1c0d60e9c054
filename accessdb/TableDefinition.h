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

struct TableDefinition {
    std::string name;
    std::vector<ColumnDefinition> columns;
};

}  // namespace accessdb
