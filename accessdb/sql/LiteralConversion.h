#pragma once
// What a literal of an INSERT statement becomes in a column: the value of the column's own type
// that Access's engine would store.
#include <string>

#include "accessdb/TableDef.h"
#include "accessdb/Value.h"
#include "accessdb/sql/SqlStatement.h"

namespace accessdb::sql {

// The value `literal` gives in `column` of table `table`. Throws Error naming the table, column
// and value when the literal cannot be converted or does not fit the column.
void LiteralToValue(const std::string& table, const ColumnDef& column, const Literal& literal,
                    Value& out);

}  // namespace accessdb::sql
