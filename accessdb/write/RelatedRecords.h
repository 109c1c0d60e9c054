#pragma once
// Enforced relationships on insert: a row of the "many" side must name a row that exists on
// the "one" side. The lookup goes through the related table's own index.
#include <vector>

#include "accessdb/TableDef.h"
#include "accessdb/Value.h"

namespace accessdb {

class Database;

// Throws Error(Constraint, 3201) naming the related table when `values` (a row for `table`,
// in column order) hold a foreign-key combination that is not all Null and that the related
// table's index does not hold.
void RequireRelatedRecords(Database& database, const TableDef& table,
                           const std::vector<Value>& values);

}  // namespace accessdb
