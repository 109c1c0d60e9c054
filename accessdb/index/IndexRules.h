#pragma once
// The rules Access enforces on an index entry, with Access's error texts followed by the table
// and index concerned.
#include <vector>

#include "accessdb/TableDef.h"
#include "accessdb/Value.h"

namespace accessdb {

// Whether index `index` backs the table's primary key.
bool BacksPrimaryKey(const TableDef& table, const RealIndex& index);

// Throws Error(Constraint, 3058) when a key column of a primary-key (`primaryKey`) or required
// index is Null in `values`.
void RequireKeyValues(const TableDef& table, const RealIndex& index, bool primaryKey,
                      const std::vector<Value>& values);

// Error 3022 for a key that index `index` of `table` already holds.
[[noreturn]] void ThrowDuplicateKey(const TableDef& table, const RealIndex& index);

}  // namespace accessdb
