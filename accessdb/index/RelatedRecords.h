#pragma once
// Enforced relationships on insert: a row of the "many" side must name a row that exists on
// the "one" side. The lookup goes through the related table's own index.
#include <optional>
#include <string>
#include <vector>

#include "accessdb/TableDef.h"
#include "accessdb/Value.h"

namespace accessdb {

class Database;

// The first relationship `values` (a row for `table`, in column order) break: a foreign-key
// combination that is not all Null and that the related table's index does not hold. Gives
// the related table's name and the relationship index's name; nothing when none is broken.
struct BrokenRelationship {
    std::string relatedTable;
    std::string index;
};
std::optional<BrokenRelationship> FindMissingRelatedRecord(Database& database,
                                                           const TableDef& table,
                                                           const std::vector<Value>& values);

// Throws Error(Constraint, 3201) naming the related table for a broken relationship.
void RequireRelatedRecords(Database& database, const TableDef& table,
                           const std::vector<Value>& values);

}  // namespace accessdb
